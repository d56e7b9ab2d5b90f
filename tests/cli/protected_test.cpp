// Password-protected Paradox tables through every command: the same output as the table clear,
// describe saying that the table is protected.

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>

#include "cli/commands.h"
#include "tests/fixtures/paradoxfixture.h"
#include "tests/fixtures/testdata.h"

namespace vorendal::cli {
namespace {

namespace px = fixtures::px;

// Runs the command line; returns the exit status and what it wrote to standard output.
std::pair<int, std::string> run(std::vector<const char*> argv) {
    argv.insert(argv.begin(), "vorendal-cli");
    const Options options = parseCommandLine(static_cast<int>(argv.size()), argv.data());
    char* buffer = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&buffer, &size);
    const int status = findCommand(options.command)->run(options, out);
    std::fclose(out);
    std::string text(buffer, size);
    std::free(buffer);
    return {status, text};
}

fixtures::ParadoxFiles pessoa(std::uint32_t key) {
    fixtures::ParadoxTableBuilder b(9);
    b.field("Id", 'S').field("Nome", 'A', 10).field("Obs", 'M', 4).keyFields(1);
    b.codePage(850).recordsPerBlock(2);
    for (std::int16_t i = 1; i <= 5; ++i)
        b.row({px::shortInt(i), px::alpha("Jo\x84o"), px::blob(std::string(300u * i, 'x'))});
    return b.encryption(key).build();
}

TEST(ProtectedTables, EveryCommandWritesWhatTheClearTableGives) {
    fixtures::TempDir clearDir;
    fixtures::TempDir lockedDir;
    const std::string clear = pessoa(0).writeTo(clearDir.path(), "PESSOA").string();
    const std::string locked = pessoa(0x0A25E09A).writeTo(lockedDir.path(), "PESSOA").string();
    struct Case {
        std::vector<const char*> command;
        bool withData;
    };
    const Case cases[] = {{{"structure"}, false},
                          {{"procedure"}, false},
                          {{"data"}, true},
                          {{"all"}, true},
                          {{"--firebird", "all"}, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command.back());
        auto command = c.command;
        command.push_back(clear.c_str());
        const auto expected = run(command);
        command.back() = locked.c_str();
        EXPECT_EQ(run(command), expected);
        // the memos come from the .MB
        EXPECT_EQ(expected.second.find(std::string(1500, 'x')) != std::string::npos, c.withData);
    }
    auto [status, text] = run({"describe", locked.c_str()});
    EXPECT_EQ(status, 0);
    const std::string line = "codepage\t850\theader\nprotected\tyes\n";
    ASSERT_NE(text.find(line), std::string::npos) << text;
    text.replace(text.find(line), line.size(), "codepage\t850\theader\n");
    text.replace(text.find(locked), locked.size(), clear);
    EXPECT_EQ(std::make_pair(status, text), run({"describe", clear.c_str()}));
}

TEST(ProtectedTables, TheRealProtectedTableGivesItsRows) {
    const auto root = fixtures::testdataDir(VORENDAL_TESTDATA_DIR);
    if (root.empty())
        GTEST_SKIP() << "shared test data not found under " << VORENDAL_TESTDATA_DIR;
    const auto dir = root / "paradox/paradoxdriver-leonhad/encrypt";
    const std::string encrypted = (dir / "encrypted.db").string();
    EXPECT_EQ(run({"describe", encrypted.c_str()}),
              std::make_pair(0, "table\t" + encrypted +
                                    "\tENCRYPTED\ncodepage\t850\theader\nprotected\tyes\n"
                                    "field\tId\tftAutoInc\t0\t0\nfield\tText\tftString\t30\t0\n"
                                    "autoinc\tId\t5\t1\n"
                                    "record\t1\tValue 1\nrecord\t2\tValue 2\nrecord\t3\tValue 3\n"
                                    "record\t4\tLast one\n"));
}

} // namespace
} // namespace vorendal::cli
