#include "base/textfile.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/exceptions.h"

namespace vorendal {
namespace {

namespace fs = std::filesystem;

class TextFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() /
                ("vorendal-textfile-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string slurp(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void put(const fs::path& p, const std::string& bytes) {
        std::ofstream(p, std::ios::binary) << bytes;
    }
    int codeOfWriting(const fs::path& p) {
        try {
            TextFileWriter w(p);
            w.writeLine("abc");
            w.close();
        } catch (const EInOutError& e) {
            return e.errorCode();
        }
        return 0;
    }

    fs::path m_dir;
};

TEST_F(TextFileTest, LinesEndWithCrLfAndNothingElseIsAdded) {
    const auto p = m_dir / "a.txt";
    {
        TextFileWriter w(p);
        w.writeLine("abc");
        w.writeLine("");
        w.writeLine("\xE7\xE3");
        w.close();
    }
    EXPECT_EQ(slurp(p), "abc\r\n\r\n\xE7\xE3\r\n");
}

TEST_F(TextFileTest, ALongLineIsWrittenWhole) {
    const auto p = m_dir / "long.txt";
    const std::string line(200000, 'x');
    TextFileWriter w(p);
    w.writeLine(line);
    w.close();
    EXPECT_EQ(slurp(p), line + "\r\n");
}

TEST_F(TextFileTest, CreatingEmptiesAnExistingFile) {
    const auto p = m_dir / "old.txt";
    put(p, "old content");
    TextFileWriter w(p);
    w.close();
    EXPECT_EQ(fs::file_size(p), 0u);
}

TEST_F(TextFileTest, FailuresCarryTheOldCodes) {
    EXPECT_EQ(codeOfWriting(m_dir / "missing" / "a.txt"), 3);
    EXPECT_EQ(codeOfWriting(m_dir), 5); // a folder given as file name
    if (fs::exists("/dev/full")) {
        EXPECT_EQ(codeOfWriting("/dev/full"), 112);
    }
}

TEST_F(TextFileTest, AReadOnlyFileIsRefused) {
    fs::path target;
    if (::geteuid() != 0) {
        target = m_dir / "ro.txt";
        put(target, "keep");
        ::chmod(target.c_str(), 0444);
    } else if (::access("/sys/kernel/notes", F_OK) == 0) {
        target = "/sys/kernel/notes"; // refused even to root
    } else {
        GTEST_SKIP() << "no file here that refuses writing to this user";
    }
    EXPECT_EQ(codeOfWriting(target), 5);
}

TEST_F(TextFileTest, ReadingMissingFilesAndFolders) {
    try {
        TextFileReader r(m_dir / "none.tab");
        FAIL();
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.errorCode(), 2);
        EXPECT_EQ(e.message(), "File not found");
    }
    try {
        TextFileReader r(m_dir / "nofolder" / "x.tab");
        FAIL();
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.errorCode(), 3);
    }
    try {
        TextFileReader r(m_dir);
        FAIL();
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.errorCode(), 5);
    }
}

TEST_F(TextFileTest, ReadingRules) {
    struct Case {
        std::string bytes;
        std::vector<std::string> lines; // what successive reads give, then "" at the end
    };
    const Case cases[] = {
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb", {"a", "b"}},
        {"a\rb\r\n", {"ab"}}, // a CR on its own is dropped
        {"a\r\nb\x1A"
         "c\r\n",
         {"a", "b"}}, // control-Z ends the file
        {"\r\n\r\n#\r\n", {"", "", "#"}},
        {"", {}},
    };
    for (const auto& c : cases) {
        const auto p = m_dir / "r.txt";
        put(p, c.bytes);
        TextFileReader r(p);
        for (const auto& expected : c.lines) {
            EXPECT_FALSE(r.atEnd());
            EXPECT_EQ(r.readLine(), expected);
        }
        EXPECT_TRUE(r.atEnd());
        EXPECT_EQ(r.readLine(), ""); // past the end: empty, no error
        EXPECT_EQ(r.readLine(), "");
    }
}

TEST_F(TextFileTest, ReadsALineOfAnyLength) {
    const auto p = m_dir / "big.txt";
    const std::string line(300000, 'q');
    put(p, line + "\r\nz");
    TextFileReader r(p);
    EXPECT_EQ(r.readLine(), line);
    EXPECT_EQ(r.readLine(), "z");
}

} // namespace
} // namespace vorendal
