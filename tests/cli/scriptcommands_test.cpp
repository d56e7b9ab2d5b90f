// vorendal-cli structure, procedure, data and all: the bytes they write and how a table that
// fails is reported.

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>

#include "cli/commands.h"
#include "tests/fixtures/dbfbuilder.h"
#include "tests/fixtures/dbfcells.h"
#include "tests/fixtures/testdata.h"

namespace vorendal::cli {
namespace {

using namespace fixtures;

struct CliRun {
    int status;
    std::string out;
};

CliRun run(const char* const* argv, int argc) {
    const Options options = parseCommandLine(argc, argv);
    const Command* command = findCommand(options.command);
    EXPECT_NE(command, nullptr);
    char* buffer = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&buffer, &size);
    const int status = command->run(options, out);
    std::fclose(out);
    CliRun result{status, std::string(buffer, size)};
    std::free(buffer);
    return result;
}

TEST(ScriptCommands, WriteTheScriptsOfEachTableInOrderWithCrLf) {
    TempDir dir;
    DbfBuilder b(0x03);
    b.field("ID", 'N', 4).field("NOME", 'C', 8);
    b.record({dbfNumber("7", 4), dbfText("Ana", 8)});
    const std::string table = dir.write("Pessoa.dbf", b.bytes()).string();
    const std::string missing = (dir.path() / "none.dbf").string();

    const std::string structure = "CREATE TABLE \"PESSOA\"\r\n(\r\n"
                                  "\"ID\"                      INTEGER,\r\n"
                                  "\"NOME\"                    VARCHAR(8) CHARACTER SET "
                                  "ISO8859_1\r\n);\r\n\r\n";
    const std::string data = "EXECUTE PROCEDURE IN_PESSOA(7,'Ana');\r\n\r\n";
    {
        const char* argv[] = {"vorendal-cli", "structure", table.c_str(), table.c_str()};
        EXPECT_EQ(run(argv, 4).out, structure + structure);
    }
    {
        // options before and after the command; a failing table is skipped, the status is 1
        const char* argv[] = {"vorendal-cli",  "--locale",    "C",         "data",
                              missing.c_str(), table.c_str(), "--locale=C"};
        const CliRun r = run(argv, 7);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, data);
    }
    {
        const char* argv[] = {"vorendal-cli", "procedure", table.c_str()};
        const CliRun r = run(argv, 3);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out.substr(0, 14), "COMMIT WORK;\r\n");
        EXPECT_NE(r.out.find("\r\ncID                       INTEGER ,\r\n"), std::string::npos);
        const char* all[] = {"vorendal-cli", "all", table.c_str()};
        EXPECT_EQ(run(all, 3).out, structure + r.out + data);
    }
    {
        const char* argv[] = {"vorendal-cli", "all"};
        EXPECT_THROW(run(argv, 2), UsageError);
    }
}

} // namespace
} // namespace vorendal::cli
