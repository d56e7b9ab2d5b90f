#include "designer/designerscript.h"

#include <gtest/gtest.h>

#include "base/exceptions.h"
#include "designertest.h"

namespace vorendal {
namespace {

namespace fs = std::filesystem;

const char* const kClientes = "codigo|i||x|;nome|v|60||N;saldo|n|15,2||S";
const char* const kClientesAfter = "CODIGO|I|0|*|N;NOME|V|60||N;SALDO|N|15,2||S;||||";

// Writes the script into folder and returns the file's bytes.
std::string scriptOf(DesignerScript kind, DesignerGrid& grid, const fs::path& folder) {
    const auto path = writeDesignerScriptFile(kind, grid, "clientes", folder);
    EXPECT_EQ(path, folder / "clientes.SQL");
    return test::readBytes(folder / "clientes.SQL");
}

TEST(DesignerScript, WorkedExamples) {
    test::TempFolder folder;
    const std::string keyed = "CREATE TABLE clientes\r\n(\r\n"
                              "\"CODIGO\"  INTEGER NOT NULL,\r\n"
                              "\"NOME\"  VARCHAR(60)  CHARACTER SET ISO8859_1 NOT NULL,\r\n"
                              "\"SALDO\"  NUMERIC(15,2),\r\n"
                              "\r\n"
                              "PRIMARY KEY (\"CODIGO\")\r\n"
                              ")\r\n";
    DesignerGrid grid = test::gridWith(kClientes);
    EXPECT_EQ(scriptOf(DesignerScript::createTable, grid, folder.path), keyed);
    EXPECT_EQ(test::fieldRows(grid, 1, 4), kClientesAfter);
    // a second click finds the grid normalised and writes the same file
    EXPECT_EQ(scriptOf(DesignerScript::createTable, grid, folder.path), keyed);

    grid = test::gridWith(kClientes);
    grid.setCell(4, 1, "");
    EXPECT_EQ(scriptOf(DesignerScript::createTable, grid, folder.path),
              "CREATE TABLE clientes\r\n(\r\n"
              "\"CODIGO\"  INTEGER,\r\n"
              "\"NOME\"  VARCHAR(60)  CHARACTER SET ISO8859_1 NOT NULL,\r\n"
              "\"SALDO\"  NUMERIC(15,2)\r\n"
              ")\r\n");

    grid = test::gridWith(kClientes); // the ALTER script replaces the CREATE script
    EXPECT_EQ(scriptOf(DesignerScript::alterTable, grid, folder.path),
              "ALTER TABLE CLIENTES\r\n"
              "ADD \"CODIGO\"  INTEGER NOT NULL,\r\n"
              "ADD \"NOME\"  VARCHAR(60)  CHARACTER SET ISO8859_1 NOT NULL,\r\n"
              "ADD \"SALDO\"  NUMERIC(15,2)\r\n"
              "\r\n"
              "\r\n"
              "ALTER TABLE CLIENTES\r\n"
              "ADD PRIMARY KEY (\"CODIGO\")\r\n");
    EXPECT_EQ(test::fieldRows(grid, 1, 4), kClientesAfter);
    EXPECT_EQ(readDesignerScript(folder.path / "clientes.SQL").substr(0, 53),
              "ALTER TABLE CLIENTES\nADD \"CODIGO\"  INTEGER NOT NULL,\n");
}

std::string integerLines(const std::string& prefix, int n) {
    std::string lines;
    for (int i = 1; i <= n; ++i)
        lines += prefix + "\"F" + std::to_string(i) + "\"  INTEGER" + (i < n ? ",\n" : "\n");
    return lines;
}

// Both scripts for table "t" from the same rows: their lines (CREATE between "(" and ")", ALTER
// after its first line), and rows 1 to 3 afterwards.
TEST(DesignerScript, RowAndCommaRules) {
    struct Rule {
        std::string rows;
        std::string create;
        std::string alter;
        std::string after;
    };
    const Rule rules[] = {
        // no named row; a named row after an empty one is ignored
        {";b|i||*", "", "", "||||;b|i||*|;||||"},
        {"a|i|||;;c|v||*", "\"A\"  INTEGER\n", "ADD \"A\"  INTEGER\n", "A|I|0||;||||;c|v||*|"},
        // a lower-case null flag accepts nulls; accented names are upper-cased
        {"a\xE7\xE3o|v|20||n;b|I|||N",
         "\"A\xC7\xC3O\"  VARCHAR(20)  CHARACTER SET ISO8859_1,\n"
         "\"B\"  INTEGER NOT NULL\n",
         "ADD \"A\xC7\xC3O\"  VARCHAR(20)  CHARACTER SET ISO8859_1,\nADD \"B\"  INTEGER NOT NULL\n",
         "A\xC7\xC3O|V|20||n;B|I|0||N;||||"},
        // two key fields: NOT NULL whatever the null cell held; CREATE keeps every comma
        {"a|d|8|*|S;b|v|10|sim;c|t",
         "\"A\"  DATE NOT NULL,\n"
         "\"B\"  VARCHAR(10)  CHARACTER SET ISO8859_1 NOT NULL,\n"
         "\"C\"  TIME,\n\nPRIMARY KEY (\"A\",\"B\")\n",
         "ADD \"A\"  DATE NOT NULL,\nADD \"B\"  VARCHAR(10)  CHARACTER SET ISO8859_1 NOT NULL,\n"
         "ADD \"C\"  TIME\n\n\nALTER TABLE T\nADD PRIMARY KEY (\"A\",\"B\")\n",
         "A|D|0|*|N;B|V|10|*|N;C|T|0||"},
        // C keeps its size, M sets 1, B 0; V and N take an empty size as 0
        {"c|c|5;m|m;b|b|1", "\"C\"  CHAR,\n\"M\"  MEMO,\n\"B\"  BOOLEAN\n",
         "ADD \"C\"  CHAR,\nADD \"M\"  MEMO,\nADD \"B\"  BOOLEAN\n", "C|C|5||;M|M|1||;B|B|0||"},
        {"v|v;n|n", "\"V\"  VARCHAR(0)  CHARACTER SET ISO8859_1,\n\"N\"  NUMERIC(0)\n",
         "ADD \"V\"  VARCHAR(0)  CHARACTER SET ISO8859_1,\nADD \"N\"  NUMERIC(0)\n",
         "V|V|0||;N|N|0||;||||"},
        // a type cell with no letter of the table stands for itself
        {"a|dm_valor;b||7;c|v ", "\"A\"  DM_VALOR,\n\"B\"  ,\n\"C\"  V \n",
         "ADD \"A\"  DM_VALOR,\nADD \"B\"  ,\nADD \"C\"  V \n", "A|DM_VALOR|0||;B||7||;C|V |0||"},
        // at most 100 rows: row 101 is neither written nor normalised
        {test::numberedRows(100) + ";f101|i", integerLines("", 100), integerLines("ADD ", 100),
         test::numberedRows(3)},
    };
    for (const Rule& rule : rules) {
        for (DesignerScript kind : {DesignerScript::createTable, DesignerScript::alterTable}) {
            DesignerGrid grid = test::gridWith(rule.rows);
            std::string lines;
            ASSERT_TRUE(writeDesignerScript(
                kind, grid, "t", [&](std::string_view line) { lines.append(line).append("\n"); }));
            EXPECT_EQ(lines, kind == DesignerScript::createTable
                                 ? "CREATE TABLE t\n(\n" + rule.create + ")\n"
                                 : "ALTER TABLE T\n" + rule.alter);
            EXPECT_EQ(test::fieldRows(grid, 1, 3), rule.after) << rule.rows.substr(0, 20);
            EXPECT_EQ(grid.cell(1, 101), rule.rows.find("f101") == std::string::npos ? "" : "f101");
        }
    }
}

// The Firebird profile: UTF-8 after SET NAMES, every name delimited with its quotes doubled, the
// table name upper-cased in both scripts, ";" ending each statement; the grid normalised as the
// classic profile leaves it.
TEST(DesignerScript, FirebirdProfile) {
    struct Rule {
        std::string rows;
        std::string create; // between "(" and ");"
        std::string alter;  // after the first line
        std::string after;
    };
    const Rule rules[] = {
        {"", "", "", "||||;||||;||||"},
        {"a\"b c|v|60|x;sal\xE7o|n|15,2||N;d|d|8",
         "\"A\"\"B C\"  VARCHAR(60) CHARACTER SET UTF8 NOT NULL,\n"
         "\"SAL\xC3\x87O\"  NUMERIC(15,2) NOT NULL,\n\"D\"  DATE,\n\nPRIMARY KEY (\"A\"\"B C\")\n",
         "ADD \"A\"\"B C\"  VARCHAR(60) CHARACTER SET UTF8 NOT NULL,\n"
         "ADD \"SAL\xC3\x87O\"  NUMERIC(15,2) NOT NULL,\nADD \"D\"  DATE;\n\n\n"
         "ALTER TABLE \"CLI.2004 \"\"X\"\"\"\nADD PRIMARY KEY (\"A\"\"B C\");\n",
         "A\"B C|V|60|*|N;SAL\xC7O|N|15,2||N;D|D|0||"},
        // CHAR takes a size above 0, else 1; the other letters take any size and fix it
        {"a|c|12;b|c;c|c|000;m|m;t|t|4;l|b;i|i|x",
         "\"A\"  CHAR(12) CHARACTER SET UTF8,\n\"B\"  CHAR(1) CHARACTER SET UTF8,\n"
         "\"C\"  CHAR(1) CHARACTER SET UTF8,\n\"M\"  BLOB SUB_TYPE TEXT CHARACTER SET UTF8,\n"
         "\"T\"  TIME,\n\"L\"  BOOLEAN,\n\"I\"  INTEGER\n",
         "", "A|C|12||;B|C|0||;C|C|000||"},
    };
    for (const Rule& rule : rules) {
        for (DesignerScript kind : {DesignerScript::createTable, DesignerScript::alterTable}) {
            DesignerGrid grid = test::gridWith(rule.rows);
            std::string lines;
            ASSERT_TRUE(writeDesignerScript(
                kind, grid, "cli.2004 \"x\"",
                [&](std::string_view line) { lines.append(line).append("\n"); },
                firebirdDesignerProfile()));
            const std::string table = "\"CLI.2004 \"\"X\"\"\"";
            if (kind == DesignerScript::createTable) {
                EXPECT_EQ(lines, "SET NAMES UTF8;\nCREATE TABLE " + table + "\n(\n" + rule.create +
                                     ");\n");
            } else if (rule.rows.empty() || !rule.alter.empty()) {
                EXPECT_EQ(lines, "SET NAMES UTF8;\nALTER TABLE " + table +
                                     (rule.alter.empty() ? ";\n" : "\n" + rule.alter));
            }
            EXPECT_EQ(test::fieldRows(grid, 1, 3), rule.after) << rule.rows.substr(0, 20);
        }
    }
}

// The firebird profile lets into the script only the eight letters and the sizes Firebird takes:
// anything else (a statement typed into a cell among it) is refused before a line is written or
// a cell normalised, naming the row. (A test grid takes no ";": the fuzz seeds carry those.)
TEST(DesignerScript, FirebirdProfileRefusesCellsFirebirdCannotTake) {
    const std::pair<std::string, std::string> cases[] = {
        // rows, start of the error ("": none)
        {"a|v|10) CHARACTER SET UTF8, PWNED7 INTEGER, X VARCHAR(10",
         "Row 1 (\"a\"): the size \"10) CHARACTER SET UTF8, PWNED7 INTEGER, ...\" of a V field"},
        {"a|i;b|INTEGER, PWNED INTEGER",
         "Row 2 (\"b\"): the type \"INTEGER, PWNED INTEGER\" is none of D, V, T, B, I, M, C, N"},
        {"a|bigint", "Row 1 (\"a\"): the type \"bigint\" is none"},
        {"a|", "Row 1 (\"a\"): the type \"\" is none"},
        {"a|v", "Row 1 (\"a\"): the size \"\" of a V field is no number of 1 to 8191"},
        {"a|v|8192", "Row 1 (\"a\"): the size \"8192\" of a V"},
        {"a|c|2,5", "Row 1 (\"a\"): the size \"2,5\" of a C field is no number of 0 to 8191"},
        {"a|n|19", "Row 1 (\"a\"): the size \"19\" of an N field is no precision of 1 to 18"},
        {"a|n|5,6", "Row 1 (\"a\"): the size \"5,6\" of an N"},
        {std::string("a\0|i", 5), "Row 1 (\"a...\"): the name holds a zero byte"},
        {"a|v|8191;b|c|8191;c|n|18,18;d|n|1;e|c|;f|d|x;g|M|;h|i;i|b|-1;j|t", ""},
    };
    for (const auto& [rows, error] : cases) {
        for (DesignerScript kind : {DesignerScript::createTable, DesignerScript::alterTable}) {
            DesignerGrid grid = test::gridWith(rows);
            std::string lines;
            std::string message;
            try {
                writeDesignerScript(
                    kind, grid, "t", [&](std::string_view line) { lines.append(line); },
                    firebirdDesignerProfile());
            } catch (const Exception& e) {
                message = e.message();
            }
            EXPECT_EQ(message.substr(0, error.size()), error) << rows.substr(0, 20);
            EXPECT_EQ(message.empty(), error.empty()) << message;
            if (!error.empty()) {
                EXPECT_EQ(lines, "");
                EXPECT_EQ(test::fieldRows(grid, 1, 2), test::fieldRows(test::gridWith(rows), 1, 2));
            }
        }
    }
}

// An empty name does nothing; a failure before the first line leaves the grid and the folder.
TEST(DesignerScript, FailuresLeaveGridAndFolder) {
    struct Failure {
        std::string name;
        fs::path folder; // relative to the test's folder
        int code;
    } failures[] = {
        {"", "", 0},     {"a/b", "", 3},      {"../up", "", 3}, {".", "", 3}, {"..", "", 3},
        {"a\\b", "", 3}, {"t", "missing", 3}, {"dir", "", 5}, // a folder stands where the script
                                                              // would go
    };
    test::TempFolder folder;
    fs::create_directory(folder.path / "dir.SQL");
    fs::create_directory(folder.path / "a");
    std::ofstream(folder.path / "a" / "b.SQL") << "old";
    for (const Failure& failure : failures) {
        for (DesignerScript kind : {DesignerScript::createTable, DesignerScript::alterTable}) {
            DesignerGrid grid = test::gridWith(kClientes);
            int code = 0;
            try {
                EXPECT_FALSE(writeDesignerScriptFile(kind, grid, failure.name,
                                                     folder.path / failure.folder));
            } catch (const EInOutError& e) {
                code = e.errorCode();
            }
            EXPECT_EQ(code, failure.code) << failure.name;
            EXPECT_EQ(test::fieldRows(grid, 1, 3),
                      test::fieldRows(test::gridWith(kClientes), 1, 3));
        }
    }
    EXPECT_EQ(test::readBytes(folder.path / "a" / "b.SQL"), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path), fs::directory_iterator()), 2);
}

} // namespace
} // namespace vorendal
