// The script pane's text model: what an append inserts, what counts against the capacity, and
// how lines become a script file.

#include "scripts/scripttext.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/exceptions.h"

namespace vorendal {
namespace {

// The text as rows joined by "|" (a line break), for compact expectations.
std::string rows(const ScriptText& text) {
    std::string joined;
    for (std::size_t i = 0; i < text.rowCount(); ++i)
        joined += (i > 0 ? "|" : "") + text.row(i);
    return joined;
}

ScriptText withRows(const std::string& start) {
    ScriptText text;
    std::string typed = start;
    for (char& c : typed)
        c = c == '|' ? '\n' : c;
    text.replace({}, {}, typed);
    return text;
}

struct AppendCase {
    const char* name;
    std::string start; // rows joined by "|"
    std::vector<std::string> appended;
    std::string expected; // rows joined by "|"
    std::size_t lineCount;
};

class AppendLineTest : public ::testing::TestWithParam<AppendCase> {};

TEST_P(AppendLineTest, AddsLineOfItsOwn) {
    const AppendCase& c = GetParam();
    ScriptText text = withRows(c.start);
    for (const auto& line : c.appended)
        text.appendLine(line);
    EXPECT_EQ(rows(text), c.expected);
    EXPECT_EQ(text.lineCount(), c.lineCount);
    EXPECT_EQ(text.size(), paneTextCost(text.text()));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AppendLineTest,
    ::testing::Values(AppendCase{"emptyPane", "", {"abc"}, "abc|", 1},
                      AppendCase{"endingInBreak", "x|", {"abc"}, "x|abc|", 2},
                      AppendCase{"userTextWithoutBreak", "x", {"abc", "def"}, "x|abc|def", 3},
                      AppendCase{"emptyLine", "", {"", ""}, "||", 2},
                      AppendCase{"emptyLineOnOpenPane", "x", {""}, "x|", 1},
                      AppendCase{"crLfInside", "", {"a\r\nb"}, "a|b|", 2},
                      AppendCase{"loneCrAndLf", "", {"a\rb\nc"}, "a|b|c|", 3},
                      AppendCase{"crLfInsideOnOpenPane", "x", {"a\r\nb"}, "x|a|b", 3},
                      AppendCase{"endingInCrLf", "", {"a\r\n"}, "a||", 2},
                      AppendCase{"ansiBytes",
                                 "",
                                 {std::string("\xE7\x80\x00z", 4)},
                                 std::string("\xE7\x80\x00z|", 5),
                                 1}),
    [](const ::testing::TestParamInfo<AppendCase>& param) { return param.param.name; });

TEST(ScriptTextCapacity, AppendBeyondCapacityChangesNothing) {
    // "abcd" and its line break cost 6
    const std::vector<std::tuple<std::size_t, std::string, std::vector<std::string>, std::string>>
        cases = {
            {11, "", {"abcd", "abcd"}, "abcd|"},
            {12, "", {"abcd", "abcd", "x"}, "abcd|abcd|"},
            {8, "ab|cd", {"x"}, "ab|cd"},
            {8, "", {"a", "b\r\nc"}, "a|"},
            {2, "", {"a"}, ""},
        };
    for (const auto& [capacity, start, appended, kept] : cases) {
        ScriptText text = withRows(start);
        text.setCapacity(capacity);
        for (std::size_t i = 0; i + 1 < appended.size(); ++i)
            text.appendLine(appended[i]);
        try {
            text.appendLine(appended.back());
            ADD_FAILURE() << "no error at capacity " << capacity;
        } catch (const EOutOfResources& e) {
            EXPECT_EQ(e.message(), "RichEdit line insertion error");
        }
        EXPECT_EQ(rows(text), kept) << capacity;
    }
}

TEST(ScriptTextCapacity, ReplacementCountsWhatGoes) {
    ScriptText text = withRows("abcd|efgh");
    text.setCapacity(text.size());
    // replacing "cd|ef" (6) by 6 characters fits exactly; one more does not
    EXPECT_EQ(text.replace({0, 2}, {1, 2}, "123456"), (TextPosition{0, 8}));
    EXPECT_EQ(rows(text), "ab123456gh");
    EXPECT_THROW(text.replace({0, 0}, {0, 1}, "xy"), EOutOfResources);
    EXPECT_EQ(rows(text), "ab123456gh");
}

struct ReplaceCase {
    const char* name;
    std::string start;
    TextPosition from;
    TextPosition to;
    std::string inserted;
    std::string expected;
    TextPosition after;
};

class ReplaceTest : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(ReplaceTest, EditsRows) {
    const ReplaceCase& c = GetParam();
    ScriptText text = withRows(c.start);
    EXPECT_EQ(text.replace(c.from, c.to, c.inserted), c.after);
    EXPECT_EQ(rows(text), c.expected);
    EXPECT_EQ(text.size(), paneTextCost(text.text()));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReplaceTest,
    ::testing::Values(ReplaceCase{"typeInRow", "abcd", {0, 2}, {0, 2}, "XY", "abXYcd", {0, 4}},
                      ReplaceCase{"breakInRow", "abcd", {0, 2}, {0, 2}, "\r\n", "ab|cd", {1, 0}},
                      ReplaceCase{"joinRows", "ab|cd", {0, 2}, {1, 0}, "", "abcd", {0, 2}},
                      ReplaceCase{"acrossRows", "ab|cd|ef", {0, 1}, {2, 1}, "Z", "aZf", {0, 2}},
                      ReplaceCase{"reversedEnds", "ab|cd|ef", {2, 1}, {0, 1}, "", "af", {0, 1}},
                      ReplaceCase{
                          "severalRowsIn", "ad", {0, 1}, {0, 1}, "b\nX\rc", "ab|X|cd", {2, 1}},
                      ReplaceCase{"positionsClamped", "ab", {5, 9}, {7, 1}, "c", "abc", {0, 3}},
                      ReplaceCase{"allAway", "ab|cd|", {0, 0}, {2, 0}, "", "", {0, 0}}),
    [](const ::testing::TestParamInfo<ReplaceCase>& param) { return param.param.name; });

TEST(ScriptText, TextBetweenPositions) {
    const ScriptText text = withRows("ab|cd|ef");
    EXPECT_EQ(text.text(), "ab\r\ncd\r\nef");
    EXPECT_EQ(text.text({0, 1}, {2, 1}), "b\r\ncd\r\ne");
    EXPECT_EQ(text.text({2, 1}, {0, 1}), "b\r\ncd\r\ne");
    EXPECT_EQ(text.text({1, 0}, {1, 2}), "cd");
    EXPECT_EQ(text.lineCount(), 3u);
    EXPECT_EQ(withRows("").lineCount(), 0u);
    EXPECT_TRUE(withRows("").isEmpty());
    EXPECT_EQ(withRows("|").lineCount(), 1u);
}

TEST(PaneTextCost, CountsLineBreaksAsTwo) {
    const std::vector<std::pair<std::string, std::size_t>> cases = {
        {"", 0}, {"abc", 3}, {"\r\n", 2}, {"\n", 2}, {"\r", 2}, {"a\r\nb\r\n", 6}, {"\n\r", 4}};
    for (const auto& [text, cost] : cases)
        EXPECT_EQ(paneTextCost(text), cost) << text;
}

TEST(PaneCapacity, IsTwoHundredFiftySixMebiCharacters) {
    // the export of the 1,000,000-record benchmark table (about 110 MB) fits with room to spare
    EXPECT_EQ(kScriptPaneCapacity, std::size_t{268435456});
}

class ScriptFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = std::filesystem::temp_directory_path() /
                ("vorendal-scripttext-" +
                 std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    static std::string contents(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    static void write(const std::filesystem::path& path, std::vector<std::string> lines) {
        std::size_t next = 0;
        writeScriptFile(path, [&](std::string& line) {
            if (next == lines.size())
                return false;
            line = lines[next++];
            return true;
        });
    }

    std::filesystem::path m_dir;
};

TEST_F(ScriptFileTest, WritesEachLineWithCrLf) {
    const std::string longLine(70000, 'q');
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, ""},
        {{"abc"}, "abc\r\n"},
        {{"a", "", "b"}, "a\r\n\r\nb\r\n"},
        {{"S\xE3o"}, "S\xE3o\r\n"},
        {{longLine}, longLine + "\r\n"},
    };
    for (const auto& [lines, bytes] : cases) {
        const auto path = m_dir / "out.sql";
        write(path, lines);
        EXPECT_EQ(contents(path), bytes);
    }
}

TEST_F(ScriptFileTest, SavesThePanesLines) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", ""},
        {"abc|", "abc\r\n"},
        {"a|||b|", "a\r\n\r\n\r\nb\r\n"},
        {"typed|no break", "typed\r\nno break\r\n"},
        {"|", "\r\n"}};
    for (const auto& [start, bytes] : cases) {
        const auto path = m_dir / "pane.sql";
        withRows(start).save(path);
        EXPECT_EQ(contents(path), bytes) << start;
    }
}

TEST_F(ScriptFileTest, ReplacesExistingFile) {
    const auto path = m_dir / "old.sql";
    std::ofstream(path) << std::string(500, 'z');
    write(path, {"x"});
    EXPECT_EQ(contents(path), "x\r\n");
}

TEST_F(ScriptFileTest, MissingFolderIsInvalidFilename) {
    try {
        write(m_dir / "missing" / "x.sql", {"x"});
        FAIL() << "no error";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.errorCode(), 3);
        EXPECT_EQ(e.message(), "Invalid filename");
    }
}

TEST_F(ScriptFileTest, ErrorWhileProducingLinesReleasesFile) {
    const auto path = m_dir / "partial.sql";
    int calls = 0;
    EXPECT_THROW(writeScriptFile(path,
                                 [&](std::string& line) {
                                     if (++calls == 3)
                                         throw EOutOfResources("stop");
                                     line = "ok";
                                     return true;
                                 }),
                 EOutOfResources);
    // the file is closed: it can be removed and written again at once
    write(path, {"again"});
    EXPECT_EQ(contents(path), "again\r\n");
}

} // namespace
} // namespace vorendal
