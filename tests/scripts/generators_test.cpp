// The structure and insert-procedure scripts: the CLIENTES reference outputs from a Paradox table
// written by the fixture builder, the type tables, the column layout, the key rule and what a
// failure leaves.

#include <gtest/gtest.h>

#include "base/exceptions.h"
#include "scripts/procedurescript.h"
#include "scripts/structurescript.h"
#include "tests/fixtures/faketable.h"
#include "tests/fixtures/paradoxfixture.h"
#include "tests/fixtures/testdata.h"
#include "tests/scripts/panesink.h"

namespace vorendal {
namespace {

using namespace fixtures;
using Lines = std::vector<std::string>;

TEST(Scripts, ClientesReferenceOutputs) {
    ParadoxTableBuilder b;
    b.field("Codigo", 'I')
        .field("Nome", 'A', 40)
        .field("Ativo", 'L')
        .field("Saldo", '$')
        .field("Vendedor", 'I')
        .field("Cadastro", 'D')
        .field("Obs", 'M', 10)
        .keyFields(1)
        .index(PxIndexSpec("XG0", {"Nome", "Cadastro"}, "nomecad").ignoringCase())
        .check("Vendedor", true);
    TempDir dir;
    const std::string path = b.build().writeTo(dir.path(), "Clientes").string();
    TTable table;
    PaneSink structure;
    writeStructureScript(table, path, structure);
    EXPECT_EQ(
        structure.lines(),
        (Lines{"CREATE TABLE \"CLIENTES\"", "(", "\"CODIGO\"                  INTEGER NOT NULL,",
               "\"NOME\"                    VARCHAR(40) CHARACTER SET ISO8859_1,",
               "\"ATIVO\"                   CHAR(01),",
               "\"SALDO\"                   NUMERIC(10,2),",
               "\"VENDEDOR\"                INTEGER NOT NULL,", "\"CADASTRO\"                DATE,",
               "\"OBS\"                     BLOB", ");", "",
               "ALTER TABLE CLIENTES ADD PRIMARY KEY (CODIGO);",
               "NOME;CADASTRO (INDICES SECUNDARIOS)"}));
    EXPECT_FALSE(table.Active());

    PaneSink procedure;
    writeProcedureScript(table, path, procedure);
    EXPECT_EQ(procedure.lines(),
              (Lines{"COMMIT WORK;",
                     "SET AUTODDL OFF;",
                     "SET TERM^;",
                     "",
                     "/* Stored Procedures */",
                     "",
                     "CREATE PROCEDURE \"IN_CLIENTES\"(",
                     "\"cCODIGO\"                  INTEGER ,",
                     "\"cNOME\"                    VARCHAR(40) CHARACTER SET ISO8859_1,",
                     "\"cATIVO\"                   BOOLEAN,",
                     "\"cSALDO\"                   NUMERIC(10,2),",
                     "\"cVENDEDOR\"                INTEGER NOT NULL,",
                     "\"cCADASTRO\"                DATE,",
                     "\"cOBS\"                     BLOB)",
                     "AS",
                     " BEGIN",
                     "     EXIT;",
                     " END^",
                     "",
                     "SET TERM;^",
                     "COMMIT WORK;",
                     "SET AUTODDL ON;",
                     "",
                     "COMMIT WORK;",
                     "SET AUTODDL OFF;",
                     "SET TERM^;",
                     "ALTER PROCEDURE IN_CLIENTES(",
                     "cCODIGO                   INTEGER ,",
                     "cNOME                     VARCHAR(40) CHARACTER SET ISO8859_1,",
                     "cATIVO                    BOOLEAN,",
                     "cSALDO                    NUMERIC(10,2),",
                     "cVENDEDOR                 INTEGER NOT NULL,",
                     "cCADASTRO                 DATE,",
                     "cOBS                      BLOB)",
                     "AS",
                     " BEGIN",
                     "  INSERT INTO CLIENTES(CODIGO,NOME,ATIVO,SALDO,VENDEDOR,CADASTRO,OBS)",
                     "VALUES(:cCODIGO,:cNOME,:cATIVO,:cSALDO,:cVENDEDOR,:cCADASTRO,:cOBS);",
                     "END^",
                     "SET TERM;^",
                     "COMMIT WORK;",
                     "SET AUTODDL ON;"}));
    EXPECT_FALSE(table.Active());
    EXPECT_EQ(table.TableName(), path);
}

// Runs the generators over fake tables; each definition lies in a folder of its own, so that the
// component reads it afresh.
class FakeTableScripts : public ::testing::Test {
protected:
    FakeFiles fake;
    TTable table{"Table1", fake.factory()};
    PaneSink sink;
    std::string path;

    void define(std::vector<engine::FieldDescription> fields,
                std::vector<engine::IndexDescription> indexes = {}) {
        path = "/d" + std::to_string(fake.tables.size()) + "/T.db";
        fake.tables[path] = {std::move(fields), std::move(indexes), {}};
        sink.text.clear();
    }
    // The column or parameter lines' text from column `from` on.
    Lines typesOf(std::size_t first, std::size_t count, std::size_t from) const {
        Lines types;
        for (std::size_t i = first; i < first + count; ++i)
            types.push_back(sink.line(i).substr(from));
        return types;
    }
};

TEST_F(FakeTableScripts, TypeTablesAndTheLastField) {
    define({{"S", ftString, 10, true},
            {"I", ftInteger, 0, false},
            {"R", ftInteger, 0, true},
            {"B", ftBoolean, 0, false},
            {"F", ftFloat, 0, false},
            {"C", ftCurrency, 0, false},
            {"D", ftDate, 0, false},
            {"T", ftTime, 0, false},
            {"DT", ftDateTime, 0, false},
            {"TS", ftTimeStamp, 0, false},
            {"M", ftMemo, 10, true},
            {"SI", ftSmallint, 0, true},
            {"BC", ftBCD, 2, false},
            {"A", ftAutoInc, 0, false}});
    writeStructureScript(table, path, sink);
    const std::string varchar = "VARCHAR(10) CHARACTER SET ISO8859_1,";
    EXPECT_EQ(typesOf(2, 14, 26),
              (Lines{varchar, "INTEGER,", "INTEGER NOT NULL,", "CHAR(01),", "NUMERIC(10,2),",
                     "NUMERIC(10,2),", "DATE,", "TIME,", "DATE,", "DATE,", "BLOB,", "INTEGER,",
                     "INTEGER,", "INTEGER"}));
    define(fake.tables[path].fields);
    writeProcedureScript(table, path, sink);
    const Lines parameters{varchar,    "INTEGER ,",      "INTEGER NOT NULL,",
                           "BOOLEAN,", "NUMERIC(10,2),", "NUMERIC(10,2),",
                           "DATE,",    "TIME,",          "DATE,",
                           "DATE,",    "BLOB,",          "INTEGER,",
                           "INTEGER,", "INTEGER)"};
    EXPECT_EQ(typesOf(7, 14, 27), parameters);
    EXPECT_EQ(typesOf(34, 14, 26), parameters);
    EXPECT_EQ(sink.line(50), "  INSERT INTO T(S,I,R,B,F,C,D,T,DT,TS,M,SI,BC,A)");

    // a single field, which is also the last
    define({{"Codigo", ftInteger, 0, true}});
    writeStructureScript(table, path, sink);
    writeProcedureScript(table, path, sink);
    EXPECT_EQ(sink.line(2), "\"CODIGO\"                  INTEGER NOT NULL");
    EXPECT_EQ(sink.line(12), "\"cCODIGO\"                  INTEGER NOT NULL)");
    EXPECT_EQ(sink.line(26), "cCODIGO                   INTEGER NOT NULL)");
    EXPECT_EQ(typesOf(29, 2, 0), (Lines{"  INSERT INTO T(CODIGO)", "VALUES(:cCODIGO);"}));
}

TEST_F(FakeTableScripts, NameCellsOfEveryLengthLineUpTheTypes) {
    // the column line, the CREATE and the ALTER PROCEDURE parameter lines
    const std::vector<Lines> cases = {
        {"\"NNNNNNNNNNNNNNNNNNNNNNN\" DATE", "\"cNNNNNNNNNNNNNNNNNNNNNNN\" DATE)",
         "cNNNNNNNNNNNNNNNNNNNNNNN  DATE)"},
        {"\"NNNNNNNNNNNNNNNNNNNNNNNN\"DATE", "\"cNNNNNNNNNNNNNNNNNNNNNNNN\"DATE)",
         "cNNNNNNNNNNNNNNNNNNNNNNNN DATE)"},
        {"\"NNNNNNNNNNNNNNNNNNNNNNNNNDATE", "\"cNNNNNNNNNNNNNNNNNNNNNNNNNDATE)",
         "cNNNNNNNNNNNNNNNNNNNNNNNNNDATE)"},
        {"\"NNNNNNNNNNNNNNNNNNNNNNNNNDATE", "\"cNNNNNNNNNNNNNNNNNNNNNNNNNDATE)",
         "cNNNNNNNNNNNNNNNNNNNNNNNNNDATE)"},
    };
    for (std::size_t length = 23; length <= 26; ++length) {
        SCOPED_TRACE(length);
        define({{std::string(length, 'n'), ftDate, 0, false}});
        writeStructureScript(table, path, sink);
        writeProcedureScript(table, path, sink);
        EXPECT_EQ((Lines{sink.line(2), sink.line(12), sink.line(26)}), cases[length - 23]);
        EXPECT_EQ(sink.line(29), "  INSERT INTO T(" + std::string(length, 'N') + ")");
    }
}

TEST_F(FakeTableScripts, KeyListIsTheFirstIndexWhenExactlyPrimaryAndSearchedAsASubstring) {
    struct Case {
        const char* name;
        std::vector<engine::IndexDescription> indexes;
        Lines lines; // the types of ID, CODIGO, FILIAL, R (a required integer), then the indexes
    };
    const std::string id = "VARCHAR(5) CHARACTER SET ISO8859_1";
    const std::vector<Case> cases = {
        {"key CODID holds ID",
         {{"CODID", {ixPrimary, ixUnique}}},
         {id + " NOT NULL,", "INTEGER,", "DATE,", "INTEGER NOT NULL", ");", "",
          "ALTER TABLE T ADD PRIMARY KEY (CODID);"}},
        {"both sides upper-cased, several key fields, an expression index",
         {{"codigo;Filial", {ixPrimary, ixUnique}}, {"", {ixExpression}}},
         {id + ",", "INTEGER NOT NULL,", "DATE NOT NULL,", "INTEGER NOT NULL", ");", "",
          "ALTER TABLE T ADD PRIMARY KEY (CODIGO,FILIAL);", " (INDICES SECUNDARIOS)"}},
        {"a further option makes it secondary",
         {{"Codigo", {ixPrimary, ixUnique, ixDescending}}},
         {id + ",", "INTEGER,", "DATE,", "INTEGER NOT NULL", ");", "",
          "CODIGO (INDICES SECUNDARIOS)"}},
        {"a later primary index writes its line only",
         {{"Filial", {}}, {"Codigo;R", {ixPrimary, ixUnique}}},
         {id + ",", "INTEGER,", "DATE,", "INTEGER NOT NULL", ");", "",
          "FILIAL (INDICES SECUNDARIOS)", "ALTER TABLE T ADD PRIMARY KEY (CODIGO,R);"}},
        {"a required key integer gets the mark twice",
         {{"R", {ixPrimary, ixUnique}}},
         {id + ",", "INTEGER,", "DATE,", "INTEGER NOT NULL NOT NULL", ");", "",
          "ALTER TABLE T ADD PRIMARY KEY (R);"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        define({{"ID", ftString, 5, false},
                {"Codigo", ftInteger, 0, false},
                {"Filial", ftDate, 0, false},
                {"R", ftInteger, 0, true}},
               c.indexes);
        writeStructureScript(table, path, sink);
        Lines lines = typesOf(2, 4, 26);
        for (std::size_t i = 6; i < sink.text.lineCount(); ++i)
            lines.push_back(sink.line(i));
        EXPECT_EQ(lines, c.lines);
    }
}

TEST_F(FakeTableScripts, FailuresLeaveWhatWasAppended) {
    define({{"A", ftInteger, 0, false}, {"B", ftDate, 0, false}});
    // nothing selected, an unreadable file: the structure script has its two header lines only
    EXPECT_THROW(writeStructureScript(table, "", sink), EDatabaseError);
    EXPECT_THROW(writeProcedureScript(table, "", sink), EDatabaseError);
    EXPECT_THROW(writeStructureScript(table, "/d/missing.db", sink), EDBEngineError);
    EXPECT_THROW(writeProcedureScript(table, "/d/missing.db", sink), EDBEngineError);
    EXPECT_EQ(sink.lines(), (Lines{"CREATE TABLE \"\"", "(", "CREATE TABLE \"MISSING\"", "("}));
    EXPECT_FALSE(table.Active());

    // a full pane stops the script at that line and leaves the table open
    sink.text.clear();
    sink.text.setCapacity(60);
    EXPECT_THROW(writeStructureScript(table, path, sink), EOutOfResources);
    EXPECT_EQ(sink.lines(),
              (Lines{"CREATE TABLE \"T\"", "(", "\"A\"                       INTEGER,"}));
    EXPECT_TRUE(table.Active());
    // another file while it is open: refused before anything is appended
    sink.text.clear();
    EXPECT_THROW(writeStructureScript(table, "/d/other.db", sink), EDatabaseError);
    EXPECT_EQ(sink.text.lineCount(), 0u);
    // the procedure closes it first
    sink.text.setCapacity(kScriptPaneCapacity);
    writeProcedureScript(table, path, sink);
    EXPECT_FALSE(table.Active());
}

} // namespace
} // namespace vorendal
