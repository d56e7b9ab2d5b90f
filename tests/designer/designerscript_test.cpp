#include "designer/designerscript.h"

#include <gtest/gtest.h>

#include "base/exceptions.h"
#include "designertest.h"

namespace vorendal {
namespace {

using test::FieldRow;
using test::fieldRows;
using test::gridWith;

namespace fs = std::filesystem;

const std::vector<FieldRow> kClientes = {
    {"codigo", "i", "", "x", ""}, {"nome", "v", "60", "", "N"}, {"saldo", "n", "15,2", "", "S"}};
const std::vector<FieldRow> kClientesAfter = {
    {"CODIGO", "I", "0", "*", "N"}, {"NOME", "V", "60", "", "N"}, {"SALDO", "N", "15,2", "", "S"}};

// Writes the script into folder and returns the file's bytes.
std::string scriptOf(DesignerScript kind, DesignerGrid& grid, const std::string& name,
                     const fs::path& folder) {
    const auto path = writeDesignerScriptFile(kind, grid, name, folder);
    EXPECT_TRUE(path.has_value());
    EXPECT_EQ(*path, folder / (name + ".SQL"));
    return test::readBytes(*path);
}

TEST(DesignerScript, CreateWorkedExamples) {
    test::TempFolder folder;
    DesignerGrid grid = gridWith(kClientes);
    const std::string keyed = "CREATE TABLE clientes\r\n(\r\n"
                              "\"CODIGO\"  INTEGER NOT NULL,\r\n"
                              "\"NOME\"  VARCHAR(60)  CHARACTER SET ISO8859_1 NOT NULL,\r\n"
                              "\"SALDO\"  NUMERIC(15,2),\r\n"
                              "\r\n"
                              "PRIMARY KEY (\"CODIGO\")\r\n"
                              ")\r\n";
    EXPECT_EQ(scriptOf(DesignerScript::createTable, grid, "clientes", folder.path()), keyed);
    EXPECT_EQ(fieldRows(grid, 1, 4),
              (std::vector<FieldRow>{kClientesAfter[0], kClientesAfter[1], kClientesAfter[2], {}}));
    // a second click finds the grid normalised and writes the same file
    EXPECT_EQ(scriptOf(DesignerScript::createTable, grid, "clientes", folder.path()), keyed);

    std::vector<FieldRow> unkeyed = kClientes;
    unkeyed[0][3] = "";
    grid = gridWith(unkeyed);
    EXPECT_EQ(scriptOf(DesignerScript::createTable, grid, "clientes", folder.path()),
              "CREATE TABLE clientes\r\n(\r\n"
              "\"CODIGO\"  INTEGER,\r\n"
              "\"NOME\"  VARCHAR(60)  CHARACTER SET ISO8859_1 NOT NULL,\r\n"
              "\"SALDO\"  NUMERIC(15,2)\r\n"
              ")\r\n");
    EXPECT_EQ(grid.cell(5, 1), "");
}

TEST(DesignerScript, AlterWorkedExampleReplacesTheCreateScript) {
    test::TempFolder folder;
    DesignerGrid grid = gridWith(kClientes);
    scriptOf(DesignerScript::createTable, grid, "clientes", folder.path());
    grid = gridWith(kClientes);
    EXPECT_EQ(scriptOf(DesignerScript::alterTable, grid, "clientes", folder.path()),
              "ALTER TABLE CLIENTES\r\n"
              "ADD \"CODIGO\"  INTEGER NOT NULL,\r\n"
              "ADD \"NOME\"  VARCHAR(60)  CHARACTER SET ISO8859_1 NOT NULL,\r\n"
              "ADD \"SALDO\"  NUMERIC(15,2)\r\n"
              "\r\n"
              "\r\n"
              "ALTER TABLE CLIENTES\r\n"
              "ADD PRIMARY KEY (\"CODIGO\")\r\n");
    EXPECT_EQ(fieldRows(grid, 1, 3), kClientesAfter);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);
}

// Rows of a grid, the field lines of both scripts for table "t", and the rows afterwards.
struct Rule {
    const char* name;
    std::vector<FieldRow> rows;
    std::vector<std::string> create; // the lines between "(" and ")"
    std::vector<std::string> alter;  // the lines after "ALTER TABLE T"
    std::vector<FieldRow> after;
};

class DesignerScriptRules : public ::testing::TestWithParam<Rule> {};

TEST_P(DesignerScriptRules, BothScripts) {
    const Rule& rule = GetParam();
    std::vector<std::string> create = {"CREATE TABLE t", "("};
    create.insert(create.end(), rule.create.begin(), rule.create.end());
    create.push_back(")");
    std::vector<std::string> alter = {"ALTER TABLE T"};
    alter.insert(alter.end(), rule.alter.begin(), rule.alter.end());
    for (DesignerScript kind : {DesignerScript::createTable, DesignerScript::alterTable}) {
        DesignerGrid grid = gridWith(rule.rows);
        std::vector<std::string> lines;
        ASSERT_TRUE(writeDesignerScript(kind, grid, "t",
                                        [&](std::string_view line) { lines.emplace_back(line); }));
        EXPECT_EQ(lines, kind == DesignerScript::createTable ? create : alter);
        EXPECT_EQ(fieldRows(grid, 1, static_cast<int>(rule.after.size())), rule.after);
    }
}

std::vector<std::string> integerLines(const std::string& prefix, int n) {
    std::vector<std::string> lines;
    for (int i = 1; i <= n; ++i)
        lines.push_back(prefix + "\"F" + std::to_string(i) + "\"  INTEGER" + (i < n ? "," : ""));
    return lines;
}

std::vector<FieldRow> upperRows(int n) {
    std::vector<FieldRow> rows = test::numberedRows(n);
    rows.push_back({"f" + std::to_string(n + 1), "i", "", "", ""}); // not reached
    return rows;
}

INSTANTIATE_TEST_SUITE_P(
    , DesignerScriptRules,
    ::testing::Values(
        Rule{"NoNamedRow", {{}, {"b", "i", "", "*", ""}}, {}, {}, {{}, {"b", "i", "", "*", ""}}},
        Rule{"NamedRowAfterAnEmptyOneIsIgnored",
             {{"a", "i", "", "", ""}, {}, {"c", "v", "", "*", ""}},
             {"\"A\"  INTEGER"},
             {"ADD \"A\"  INTEGER"},
             {{"A", "I", "0", "", ""}, {}, {"c", "v", "", "*", ""}}},
        Rule{"LowerCaseNullFlagAcceptsNullsAndNamesAreUpperCased",
             {{"a\xE7\xE3o", "v", "20", "", "n"}, {"b", "I", "", "", "N"}},
             {"\"A\xC7\xC3O\"  VARCHAR(20)  CHARACTER SET ISO8859_1,", "\"B\"  INTEGER NOT NULL"},
             {"ADD \"A\xC7\xC3O\"  VARCHAR(20)  CHARACTER SET ISO8859_1,",
              "ADD \"B\"  INTEGER NOT NULL"},
             {{"A\xC7\xC3O", "V", "20", "", "n"}, {"B", "I", "0", "", "N"}}},
        Rule{"TwoKeyFields",
             {{"a", "i", "", "*", "S"}, {"b", "v", "10", "sim", ""}},
             {"\"A\"  INTEGER NOT NULL,", "\"B\"  VARCHAR(10)  CHARACTER SET ISO8859_1 NOT NULL,",
              "", "PRIMARY KEY (\"A\",\"B\")"},
             {"ADD \"A\"  INTEGER NOT NULL,",
              "ADD \"B\"  VARCHAR(10)  CHARACTER SET ISO8859_1 NOT NULL", "", "", "ALTER TABLE T",
              "ADD PRIMARY KEY (\"A\",\"B\")"},
             {{"A", "I", "0", "*", "N"}, {"B", "V", "10", "*", "N"}}},
        Rule{"KeyOnAnEarlierRowKeepsTheLastComma",
             {{"a", "d", "8", "*", ""}, {"b", "t", "", "", ""}},
             {"\"A\"  DATE NOT NULL,", "\"B\"  TIME,", "", "PRIMARY KEY (\"A\")"},
             {"ADD \"A\"  DATE NOT NULL,", "ADD \"B\"  TIME", "", "", "ALTER TABLE T",
              "ADD PRIMARY KEY (\"A\")"},
             {{"A", "D", "0", "*", "N"}, {"B", "T", "0", "", ""}}},
        Rule{"TypeLettersAndTheSizesTheyFix",
             {{"c", "c", "5", "", ""},
              {"m", "m", "", "", ""},
              {"b", "b", "1", "", ""},
              {"v", "v", "", "", ""},
              {"n", "n", "", "", ""}},
             {"\"C\"  CHAR,", "\"M\"  MEMO,", "\"B\"  BOOLEAN,",
              "\"V\"  VARCHAR(0)  CHARACTER SET ISO8859_1,", "\"N\"  NUMERIC(0)"},
             {"ADD \"C\"  CHAR,", "ADD \"M\"  MEMO,", "ADD \"B\"  BOOLEAN,",
              "ADD \"V\"  VARCHAR(0)  CHARACTER SET ISO8859_1,", "ADD \"N\"  NUMERIC(0)"},
             {{"C", "C", "5", "", ""},
              {"M", "M", "1", "", ""},
              {"B", "B", "0", "", ""},
              {"V", "V", "0", "", ""},
              {"N", "N", "0", "", ""}}},
        Rule{"OtherTypeCellsStandForThemselves",
             {{"a", "dm_valor", "", "", ""}, {"b", "", "7", "", ""}, {"c", "v ", "", "", ""}},
             {"\"A\"  DM_VALOR,", "\"B\"  ,", "\"C\"  V "},
             {"ADD \"A\"  DM_VALOR,", "ADD \"B\"  ,", "ADD \"C\"  V "},
             {{"A", "DM_VALOR", "0", "", ""}, {"B", "", "7", "", ""}, {"C", "V ", "0", "", ""}}},
        Rule{"AtMost100Rows", upperRows(100), integerLines("", 100), integerLines("ADD ", 100),
             upperRows(100)}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(DesignerScript, AnEmptyNameWritesNothing) {
    test::TempFolder folder;
    DesignerGrid grid = gridWith(kClientes);
    EXPECT_FALSE(writeDesignerScriptFile(DesignerScript::createTable, grid, "", folder.path()));
    EXPECT_TRUE(fs::is_empty(folder.path()));
    EXPECT_EQ(fieldRows(grid, 1, 3), kClientes);
}

// The failures that stop the script before anything is written leave the grid as it was and
// any older script in place.
TEST(DesignerScript, FailuresLeaveGridAndFolder) {
    struct Failure {
        std::string name;
        fs::path folder; // relative to the test's folder
        int code;
    };
    const Failure failures[] = {
        {"a/b", "", 3},  {"../up", "", 3},    {".", "", 3},   {"..", "", 3},
        {"a\\b", "", 3}, {"t", "missing", 3}, {"dir", "", 5}, // a folder stands where the script
                                                              // would go
    };
    test::TempFolder folder;
    fs::create_directory(folder.path() / "dir.SQL");
    fs::create_directory(folder.path() / "a");
    test::writeBytes(folder.path() / "a" / "b.SQL", "old");
    for (const Failure& failure : failures) {
        for (DesignerScript kind : {DesignerScript::createTable, DesignerScript::alterTable}) {
            DesignerGrid grid = gridWith(kClientes);
            try {
                writeDesignerScriptFile(kind, grid, failure.name, folder.path() / failure.folder);
                ADD_FAILURE() << failure.name;
            } catch (const EInOutError& e) {
                EXPECT_EQ(e.errorCode(), failure.code) << failure.name;
            }
            EXPECT_EQ(fieldRows(grid, 1, 3), kClientes) << failure.name;
        }
    }
    EXPECT_EQ(test::readBytes(folder.path() / "a" / "b.SQL"), "old");
    EXPECT_FALSE(fs::exists(folder.path().parent_path() / "up.SQL"));
}

TEST(DesignerScript, ReadBackForTheOutputPane) {
    test::TempFolder folder;
    DesignerGrid grid = gridWith({{"a", "i", "", "*", ""}});
    const auto path = writeDesignerScriptFile(DesignerScript::alterTable, grid, "t", folder.path());
    EXPECT_EQ(readDesignerScript(*path), "ALTER TABLE T\nADD \"A\"  INTEGER NOT NULL\n\n\n"
                                         "ALTER TABLE T\nADD PRIMARY KEY (\"A\")");
}

} // namespace
} // namespace vorendal
