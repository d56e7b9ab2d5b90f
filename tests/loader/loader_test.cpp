#include <gtest/gtest.h>

#include "loader/loadrun.h"
#include "loader/session.h"
#include "loader/tableload.h"
#include "loader/tableverify.h"
#include "scripts/structurescript.h"
#include "source/ttable.h"
#include "tests/fixtures/faketable.h"
#include "tests/fixtures/testdata.h"

namespace vorendal::loader {
namespace {

using fixtures::FakeFiles;
using fixtures::FakeTable;
using fixtures::floatValue;
using fixtures::integerValue;
using fixtures::nullValue;
using fixtures::textValue;

engine::Value dateValue(int year, int month, int day) {
    engine::Value v;
    v.setDate(engine::dayNumberFromCivil(year, month, day));
    return v;
}

// A fresh database of the embedded engine for each test.
class Loader : public testing::Test {
protected:
    void SetUp() override {
        m_settings.database = (m_folder.path() / "test.fdb").string();
        try {
            m_session = Session::create(m_settings);
        } catch (const LoadError& e) {
            GTEST_SKIP() << "no embedded Firebird here (tools/deps.sh firebird): " << e.what();
        }
    }

    TableLoad load(const std::string& path, const TableLoadOptions& options = {}) {
        TTable table("Table1", m_files.factory());
        TTable again("Table1", m_files.factory());
        table.setTextDelivery(engine::TextDelivery::Utf8);
        again.setTextDelivery(engine::TextDelivery::Utf8);
        return loadTable(*m_session, table, again, path, {}, options);
    }

    bool tableExists(const std::string& name) {
        return m_session->count("SELECT COUNT(*) FROM RDB$RELATIONS WHERE RDB$RELATION_NAME = ?",
                                name) == 1;
    }

    fixtures::TempDir m_folder;
    ConnectionSettings m_settings;
    std::unique_ptr<Session> m_session;
    FakeFiles m_files;
};

TEST_F(Loader, EveryRowArrivesAndReadsBackTheSameOneOrManyAtATime) {
    FakeTable fake{{{"Id", ftInteger, 0, false},
                    {"Nome", ftString, 10, false},
                    {"Valor", ftCurrency, 0, false},
                    {"Dia", ftDate, 0, false},
                    {"Obs", ftMemo, 0, false}},
                   {{"Id", {ixPrimary, ixUnique}}},
                   {}};
    for (int i = 0; i < 23; ++i)
        fake.records.push_back({integerValue(i), textValue(i % 3 ? "Jo\xC3\xA3o" : "D'Avila"),
                                floatValue(i * 1.25), dateValue(2004, 12, 1 + i),
                                i % 5 ? textValue(std::string(70000 + i, 'x')) : nullValue()});
    m_files.tables["/d/clientes.db"] = fake;
    for (const unsigned rows : {1u, 7u}) {
        SCOPED_TRACE(rows);
        TableLoadOptions options;
        options.verify = true;
        options.replace = true;
        options.rowsPerStatement = rows;
        options.rowsPerCommit = 10;
        const TableLoad result = load("/d/clientes.db", options);
        EXPECT_EQ(result.error, "");
        EXPECT_EQ(result.outcome, TableLoad::Outcome::Loaded);
        EXPECT_TRUE(result.verified);
        EXPECT_EQ(result.recordsRead, 23u);
        EXPECT_EQ(result.rowsLoaded, 23u);
        EXPECT_TRUE(result.warnings.empty());
    }
    EXPECT_EQ(m_session->count("SELECT COUNT(*) FROM RDB$RELATION_CONSTRAINTS WHERE "
                               "RDB$CONSTRAINT_TYPE = 'PRIMARY KEY' AND RDB$RELATION_NAME = ?",
                               "CLIENTES"),
              1);
}

TEST_F(Loader, ValuesFirebirdCannotHoldAreNullAndCounted) {
    m_files.tables["/d/t.db"] = {{{"Dia", ftDate, 0, false},
                                  {"Curto", ftSmallint, 0, false},
                                  {"Real", ftFloat, 0, false},
                                  {"Moeda", ftCurrency, 0, false},
                                  {"Nome", ftString, 2, false}},
                                 {},
                                 {{dateValue(10000, 1, 1), integerValue(40000),
                                   floatValue(1.0 / 0.0), floatValue(1e300), textValue("abc")},
                                  {dateValue(9999, 12, 31), integerValue(1), floatValue(2),
                                   floatValue(1), textValue("ab")}}};
    TableLoadOptions options;
    options.verify = true;
    const TableLoad result = load("/d/t.db", options);
    EXPECT_EQ(result.outcome, TableLoad::Outcome::Loaded);
    EXPECT_EQ(result.rowsLoaded, 2u);
    EXPECT_EQ(result.nullsWritten, 5u);
    ASSERT_EQ(result.firstNulls.size(), 5u);
    EXPECT_EQ(result.firstNulls[0].field, "Dia");
    EXPECT_EQ(result.firstNulls[4].field, "Nome");
    EXPECT_EQ(result.firstNulls[4].record, 1u);
}

TEST_F(Loader, ATableThatFailsHalfWayLeavesNothingBehind) {
    // the second record has no value for its key: Firebird refuses the row
    m_files.tables["/d/metade.db"] = {{{"Id", ftInteger, 0, false}, {"Qtd", ftInteger, 0, true}},
                                      {{"Id", {ixPrimary, ixUnique}}},
                                      {{integerValue(1), integerValue(5)},
                                       {nullValue(), integerValue(6)},
                                       {integerValue(3), integerValue(7)}}};
    const TableLoad result = load("/d/metade.db");
    EXPECT_EQ(result.outcome, TableLoad::Outcome::Failed);
    EXPECT_NE(result.error.find("record 2"), std::string::npos) << result.error;
    EXPECT_FALSE(tableExists("METADE"));
}

TEST_F(Loader, BlankTextInAKeyColumnArrivesAsEmptyText) {
    m_files.tables["/d/chave.db"] = {{{"Codigo", ftString, 5, false}},
                                     {{"Codigo", {ixPrimary, ixUnique}}},
                                     {{nullValue()}, {textValue("A")}}};
    TableLoadOptions options;
    options.verify = true;
    const TableLoad result = load("/d/chave.db", options);
    EXPECT_EQ(result.outcome, TableLoad::Outcome::Loaded) << result.error;
    EXPECT_EQ(m_session->count("SELECT COUNT(*) FROM \"CHAVE\" WHERE \"CODIGO\" = ''"), 1);
}

// Firebird gives rows back in the order it keeps them, which need not be the order they went
// in: the check reads them in any order, and still finds a value that differs.
TEST_F(Loader, RowsReadBackInAnotherOrderStillVerify) {
    std::vector<std::vector<engine::Value>> records;
    for (int i = 1; i <= 50; ++i)
        records.push_back({integerValue(i), textValue("linha " + std::to_string(i))});
    m_files.tables["/d/ordem.db"] = {
        {{"N", ftInteger, 0, false}, {"Texto", ftString, 20, false}}, {}, records};
    ASSERT_EQ(load("/d/ordem.db").outcome, TableLoad::Outcome::Loaded);
    m_session->execute("DELETE FROM \"ORDEM\"");
    for (int i = 50; i >= 1; --i)
        m_session->execute("INSERT INTO \"ORDEM\" VALUES (" + std::to_string(i) + ", 'linha " +
                           std::to_string(i) + "')");
    ASSERT_NE(m_session->count("SELECT FIRST 1 \"N\" FROM \"ORDEM\""), 1); // another order
    TTable table("Table1", m_files.factory());
    table.setTextDelivery(engine::TextDelivery::Utf8);
    table.setTableName("/d/ordem.db");
    table.Open();
    const StructureLines lines =
        structureLines(table, "/d/ordem.db", firebirdStructureProfile(), "ORDEM");
    table.Open();
    EXPECT_NO_THROW(verifyRows(*m_session, table, lines));
    m_session->execute("UPDATE \"ORDEM\" SET \"TEXTO\" = 'outra' WHERE \"N\" = 7");
    try {
        verifyRows(*m_session, table, lines);
        FAIL() << "a changed value passed";
    } catch (const LoadError& e) {
        EXPECT_NE(e.message().find("record 7: no row read back holds its values"),
                  std::string::npos)
            << e.message();
    }
}

TEST_F(Loader, ATableOfTheSameNameIsReplacedOnlyWhenAsked) {
    m_files.tables["/d/dup.db"] = {{{"N", ftInteger, 0, false}}, {}, {{integerValue(1)}}};
    ASSERT_EQ(load("/d/dup.db").outcome, TableLoad::Outcome::Loaded);
    m_files.tables["/d/dup.db"].records.push_back({integerValue(2)});

    const TableLoad refused = load("/d/dup.db");
    EXPECT_EQ(refused.outcome, TableLoad::Outcome::Failed);
    EXPECT_NE(refused.error.find("--replace"), std::string::npos) << refused.error;
    EXPECT_EQ(m_session->count("SELECT COUNT(*) FROM \"DUP\""), 1); // left as it was

    TableLoadOptions replace;
    replace.replace = true;
    EXPECT_EQ(load("/d/dup.db", replace).rowsLoaded, 2u);
}

RuleValue constant(engine::Value value) {
    return {RuleValue::Kind::Constant, std::move(value)};
}

// Id autoincrement (the table's next number 45), Qtd from 1 to 100, Dia today by default, Nome
// required with a default and a picture.
FakeTable rulesTable(const std::vector<std::vector<engine::Value>>& records, TableRules& rules) {
    rules.fields.resize(4);
    rules.fields[0].autoIncrement = AutoIncrement{45, 1};
    rules.fields[1].minimum = constant(integerValue(1));
    rules.fields[1].maximum = constant(integerValue(100));
    rules.fields[2].defaultValue = RuleValue{RuleValue::Kind::Today, {}};
    rules.fields[3].required = true;
    rules.fields[3].defaultValue = constant(textValue("novo"));
    rules.fields[3].picture = "&*/";
    return {{{"Id", ftAutoInc, 0, false},
             {"Qtd", ftInteger, 0, false},
             {"Dia", ftDate, 0, false},
             {"Nome", ftString, 10, false}},
            {{"Id", {ixPrimary, ixUnique}}},
            records};
}

TEST_F(Loader, TheTablesOwnRulesHoldInTheDatabase) {
    TableRules rules;
    m_files.tables["/d/regras.db"] =
        rulesTable({{integerValue(10), integerValue(1), dateValue(2004, 1, 1), textValue("a")},
                    {integerValue(30), integerValue(100), nullValue(), textValue("b")}},
                   rules);
    m_files.rules["/d/regras.db"] = rules;
    const TableLoad result = load("/d/regras.db");
    ASSERT_EQ(result.outcome, TableLoad::Outcome::Loaded) << result.error;
    EXPECT_EQ(result.rulesNotCarried, std::vector<std::string>{});
    const std::pair<const char*, bool> inserts[] = {
        {"INSERT INTO \"REGRAS\" (\"QTD\") VALUES (5)", true},
        {"INSERT INTO \"REGRAS\" (\"QTD\") VALUES (0)", false},
        {"INSERT INTO \"REGRAS\" (\"QTD\") VALUES (101)", false},
        {"INSERT INTO \"REGRAS\" (\"QTD\", \"NOME\") VALUES (5, NULL)", false},
        {"INSERT INTO \"REGRAS\" (\"QTD\") VALUES (100)", true},
    };
    for (const auto& [sql, accepted] : inserts) {
        if (accepted)
            EXPECT_NO_THROW(m_session->execute(sql)) << sql;
        else
            EXPECT_THROW(m_session->execute(sql), LoadError) << sql;
    }
    // the first number given is the table's own next one; the defaults fill what was left out
    EXPECT_EQ(m_session->count("SELECT MIN(\"ID\") FROM \"REGRAS\" WHERE \"ID\" > 30 AND "
                               "\"DIA\" = CURRENT_DATE AND \"NOME\" = 'novo'"),
              45);
    EXPECT_EQ(m_session->count("SELECT COUNT(*) FROM RDB$RELATION_FIELDS WHERE "
                               "RDB$RELATION_NAME = 'REGRAS' AND RDB$DESCRIPTION IS NOT NULL"),
              1);
}

TEST_F(Loader, ARuleTheRowsBreakIsLeftOutAndEveryRowArrives) {
    TableRules rules;
    m_files.tables["/d/velha.db"] =
        rulesTable({{integerValue(1), integerValue(0), nullValue(), nullValue()},
                    {integerValue(2), integerValue(-3), nullValue(), textValue("b")},
                    {integerValue(3), integerValue(7), nullValue(), textValue("c")}},
                   rules);
    rules.fields[2].required = true; // blank in every record
    m_files.rules["/d/velha.db"] = rules;
    const TableLoad result = load("/d/velha.db");
    ASSERT_EQ(result.outcome, TableLoad::Outcome::Loaded) << result.error;
    EXPECT_EQ(result.rowsLoaded, 3u);
    ASSERT_EQ(result.rulesNotCarried.size(), 2u);
    EXPECT_EQ(result.rulesNotCarried[0],
              "VELHA.QTD: the minimum 1 is broken by 2 records: CHECK not created");
    EXPECT_EQ(result.rulesNotCarried[1],
              "VELHA.DIA: required, but blank in 3 records: left without NOT NULL");
    // blank text keeps its column NOT NULL: it arrives as the empty text
    EXPECT_EQ(m_session->count("SELECT COUNT(*) FROM \"VELHA\" WHERE \"NOME\" = ''"), 1);
    // the rule the rows keep stays; the broken ones are not there to refuse anything
    EXPECT_THROW(m_session->execute("INSERT INTO \"VELHA\" (\"QTD\") VALUES (101)"), LoadError);
    EXPECT_NO_THROW(m_session->execute("INSERT INTO \"VELHA\" (\"QTD\") VALUES (-5)"));
    EXPECT_NO_THROW(m_session->execute("INSERT INTO \"VELHA\" (\"DIA\") VALUES (NULL)"));
    EXPECT_THROW(m_session->execute("INSERT INTO \"VELHA\" (\"NOME\") VALUES (NULL)"), LoadError);
}

TEST_F(Loader, ATableOtherTablesReferIsReplacedWithoutTheirKeys) {
    m_files.tables["/d/pai.db"] = {
        {{"Id", ftInteger, 0, false}}, {{"Id", {ixPrimary, ixUnique}}}, {{integerValue(1)}}};
    ASSERT_EQ(load("/d/pai.db").outcome, TableLoad::Outcome::Loaded);
    m_session->execute("CREATE TABLE \"FI'LHO\" (\"PAI\" INTEGER REFERENCES \"PAI\")");
    TableLoadOptions replace;
    replace.replace = true;
    const TableLoad again = load("/d/pai.db", replace);
    EXPECT_EQ(again.outcome, TableLoad::Outcome::Loaded) << again.error;
    EXPECT_EQ(again.notes,
              std::vector<std::string>{"1 foreign key(s) of other tables onto PAI were dropped "
                                       "with it"});
}

TEST(LoaderNames, TablesOfOneNameGetASuffix) {
    EXPECT_EQ(tableNamesOf({"/a/cars.dbf", "/b/CARS.DBF", "/c/cars.db", "/d/other.db"}),
              (std::vector<std::string>{"CARS", "CARS_2", "CARS_3", "OTHER"}));
    const std::string longName(40, 'A');
    const std::vector<std::string> fitted =
        tableNamesOf({"/a/" + longName + ".db", "/b/" + longName + ".dbf"});
    EXPECT_NE(fitted[0], fitted[1]);
    EXPECT_LE(fitted[1].size(), 31u);
}

TEST(LoaderNames, WhereTheDatabaseIs) {
    const std::pair<const char*, bool> cases[] = {
        {"/srv/dados/novo.fdb", false},         {"novo.fdb", false},
        {"servidor:/srv/novo.fdb", true},       {"servidor/3051:/srv/novo.fdb", true},
        {"inet://servidor/srv/novo.fdb", true}, {"dados/novo.fdb", false},
    };
    for (const auto& [database, server] : cases)
        EXPECT_EQ(isServerDatabase(database), server) << database;
}

} // namespace
} // namespace vorendal::loader
