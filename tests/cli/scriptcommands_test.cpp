// vorendal-cli structure, procedure, data and all: the bytes they write, options anywhere on the
// line, a table that fails, and the warning about characters written as '?'.

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>

#include "cli/commands.h"
#include "tests/fixtures/dbfbuilder.h"
#include "tests/fixtures/dbfcells.h"
#include "tests/fixtures/testdata.h"

namespace vorendal::cli {
namespace {

// A memory stream, released however the command ends.
struct MemoryStream {
    char* buffer = nullptr;
    std::size_t size = 0;
    std::FILE* file = open_memstream(&buffer, &size);
    ~MemoryStream() {
        if (file != nullptr)
            std::fclose(file);
        std::free(buffer);
    }
    std::string close() {
        std::fclose(file);
        file = nullptr;
        return std::string(buffer, size);
    }
};

// Runs the command line; returns the exit status and what it wrote.
std::pair<int, std::string> run(std::vector<const char*> argv) {
    argv.insert(argv.begin(), "vorendal-cli");
    const Options options = parseCommandLine(static_cast<int>(argv.size()), argv.data());
    MemoryStream out;
    const int status = findCommand(options.command)->run(options, out.file);
    return {status, out.close()};
}

TEST(ScriptCommands, WriteTheScriptsOfEachTableInOrderWithCrLf) {
    fixtures::TempDir dir;
    fixtures::DbfBuilder b(0x03);
    b.field("ID", 'N', 4).field("NOME", 'C', 8);
    b.record({fixtures::dbfNumber("7", 4), fixtures::dbfText("Ana", 8)});
    const std::string table = dir.write("Pessoa.dbf", b.bytes()).string();
    const std::string missing = (dir.path() / "none.dbf").string();
    const std::string structure = "CREATE TABLE \"PESSOA\"\r\n(\r\n"
                                  "\"ID\"                      INTEGER,\r\n"
                                  "\"NOME\"                    VARCHAR(8) CHARACTER SET "
                                  "ISO8859_1\r\n);\r\n\r\n";
    const std::string data = "EXECUTE PROCEDURE IN_PESSOA(7,'Ana');\r\n\r\n";

    EXPECT_EQ(run({"structure", table.c_str(), table.c_str()}),
              std::make_pair(0, structure + structure));
    // options before and after the command; the failing table is skipped, the status is 1
    EXPECT_EQ(run({"--locale", "C", "data", missing.c_str(), table.c_str(), "--locale=C"}),
              std::make_pair(1, data));
    const auto [status, procedure] = run({"procedure", table.c_str()});
    EXPECT_EQ(procedure.substr(0, 14), "COMMIT WORK;\r\n");
    EXPECT_NE(procedure.find("\r\ncID                       INTEGER ,\r\n"), std::string::npos);
    EXPECT_EQ(run({"all", table.c_str()}), std::make_pair(0, structure + procedure + data));
    EXPECT_THROW(run({"all"}), UsageError);
}

TEST(ScriptCommands, WarnOnceOfCharactersWrittenAsQuestionMarks) {
    fixtures::TempDir dir;
    fixtures::DbfBuilder b(0x03);
    b.languageDriver(0xC9).field("\xC8\xCC\xDF", 'C', 10); // Cyrillic (1251) in name and values
    b.record({fixtures::dbfText("\xC0\xE1\xE2", 10)}).record({fixtures::dbfText("\xC0?", 10)});
    const std::string table = dir.write("Russo.dbf", b.bytes()).string();
    const auto warning = [&](const char* count) {
        return "vorendal-cli: warning: " + table + ": " + count +
               " characters have no Windows-1252 form and became '?'; --firebird keeps every "
               "character\n";
    };
    const std::pair<std::vector<const char*>, std::string> cases[] = {
        {{"structure", table.c_str()}, warning("3")},
        {{"data", table.c_str()}, warning("4")}, // no names written
        {{"all", table.c_str()}, warning("7")},
        {{"--firebird", "all", table.c_str()}, ""},
    };
    for (const auto& [line, expected] : cases) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(run(line).first, 0) << line[0];
        EXPECT_EQ(testing::internal::GetCapturedStderr(), expected) << line[0];
    }
}

// A field without a name: the firebird scripts call it FIELD_<n> and say so; the classic script
// keeps the name as the table has it.
TEST(ScriptCommands, FieldsWithoutANameAreNamedForFirebirdAndSaid) {
    fixtures::TempDir dir;
    const std::string table =
        dir.write("t.dbf", fixtures::DbfBuilder(0x03).field("   ", 'C', 1).record({"a"}).bytes())
            .string();
    const std::string warning =
        "vorendal-cli: warning: " + table + ": field 1 has no name; it is called FIELD_1.\n";
    for (const bool firebird : {false, true}) {
        testing::internal::CaptureStderr();
        const auto [status, script] = run(firebird ? std::vector{"--firebird", "all", table.c_str()}
                                                   : std::vector{"all", table.c_str()});
        EXPECT_EQ(testing::internal::GetCapturedStderr(), firebird ? warning : "");
        EXPECT_EQ(status, 0);
        EXPECT_NE(script.find(firebird ? "  \"FIELD_1\" VARCHAR(1)" : "\"\"                 "),
                  std::string::npos)
            << script;
    }
}

} // namespace
} // namespace vorendal::cli
