// The structure and insert-procedure scripts: the worked examples from a Paradox table written by
// the fixture builder, the column layout, the key rule and what a failure leaves behind.

#include <gtest/gtest.h>

#include "base/exceptions.h"
#include "scripts/linesink.h"
#include "scripts/procedurescript.h"
#include "scripts/scripttext.h"
#include "scripts/structurescript.h"
#include "tests/fixtures/faketable.h"
#include "tests/fixtures/paradoxfixture.h"
#include "tests/fixtures/testdata.h"

namespace vorendal {
namespace {

using namespace fixtures;

// The script pane's text model behind the line sink.
struct PaneSink : LineSink {
    ScriptText text;
    void appendLine(std::string_view line) override { text.appendLine(line); }
    // The lines joined by "\n", each ended by it.
    std::string lines() const {
        std::string joined;
        for (std::size_t i = 0; i < text.lineCount(); ++i)
            joined += text.row(i) + "\n";
        return joined;
    }
};

// Clientes.db: every field type of the examples, the key Codigo and a secondary index.
std::filesystem::path writeClientes(const TempDir& dir) {
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
        .check("Vendedor", true)
        .row({px::longInt(1), px::alpha("Ana")});
    return b.build().writeTo(dir.path(), "Clientes");
}

TEST(StructureScript, WorkedExample) {
    TempDir dir;
    const std::string path = writeClientes(dir).string();
    TTable table;
    PaneSink sink;
    writeStructureScript(table, path, sink);
    EXPECT_EQ(sink.lines(), "CREATE TABLE \"CLIENTES\"\n"
                            "(\n"
                            "\"CODIGO\"                  INTEGER NOT NULL,\n"
                            "\"NOME\"                    VARCHAR(40) CHARACTER SET ISO8859_1,\n"
                            "\"ATIVO\"                   CHAR(01),\n"
                            "\"SALDO\"                   NUMERIC(10,2),\n"
                            "\"VENDEDOR\"                INTEGER NOT NULL,\n"
                            "\"CADASTRO\"                DATE,\n"
                            "\"OBS\"                     BLOB\n"
                            ");\n"
                            "\n"
                            "ALTER TABLE CLIENTES ADD PRIMARY KEY (CODIGO);\n"
                            "NOME;CADASTRO (INDICES SECUNDARIOS)\n");
    EXPECT_FALSE(table.Active());
    EXPECT_EQ(table.TableName(), path);
}

TEST(ProcedureScript, WorkedExample) {
    TempDir dir;
    const std::string path = writeClientes(dir).string();
    TTable table;
    PaneSink sink;
    writeProcedureScript(table, path, sink);
    EXPECT_EQ(sink.lines(),
              "COMMIT WORK;\n"
              "SET AUTODDL OFF;\n"
              "SET TERM^;\n"
              "\n"
              "/* Stored Procedures */\n"
              "\n"
              "CREATE PROCEDURE \"IN_CLIENTES\"(\n"
              "\"cCODIGO\"                  INTEGER ,\n"
              "\"cNOME\"                    VARCHAR(40) CHARACTER SET ISO8859_1,\n"
              "\"cATIVO\"                   BOOLEAN,\n"
              "\"cSALDO\"                   NUMERIC(10,2),\n"
              "\"cVENDEDOR\"                INTEGER NOT NULL,\n"
              "\"cCADASTRO\"                DATE,\n"
              "\"cOBS\"                     BLOB)\n"
              "AS\n"
              " BEGIN\n"
              "     EXIT;\n"
              " END^\n"
              "\n"
              "SET TERM;^\n"
              "COMMIT WORK;\n"
              "SET AUTODDL ON;\n"
              "\n"
              "COMMIT WORK;\n"
              "SET AUTODDL OFF;\n"
              "SET TERM^;\n"
              "ALTER PROCEDURE IN_CLIENTES(\n"
              "cCODIGO                   INTEGER ,\n"
              "cNOME                     VARCHAR(40) CHARACTER SET ISO8859_1,\n"
              "cATIVO                    BOOLEAN,\n"
              "cSALDO                    NUMERIC(10,2),\n"
              "cVENDEDOR                 INTEGER NOT NULL,\n"
              "cCADASTRO                 DATE,\n"
              "cOBS                      BLOB)\n"
              "AS\n"
              " BEGIN\n"
              "  INSERT INTO CLIENTES(CODIGO,NOME,ATIVO,SALDO,VENDEDOR,CADASTRO,OBS)\n"
              "VALUES(:cCODIGO,:cNOME,:cATIVO,:cSALDO,:cVENDEDOR,:cCADASTRO,:cOBS);\n"
              "END^\n"
              "SET TERM;^\n"
              "COMMIT WORK;\n"
              "SET AUTODDL ON;\n");
    EXPECT_FALSE(table.Active());
}

// Runs a generator over one fake table at "/d/T.db" and returns the lines it appended.
class FakeTableScripts : public ::testing::Test {
protected:
    FakeFiles fake;
    TTable table{"Table1", fake.factory()};
    PaneSink sink;

    std::string path;

    // Each definition lies in a folder of its own, so that the component reads it afresh.
    void define(std::vector<engine::FieldDescription> fields,
                std::vector<engine::IndexDescription> indexes = {}) {
        path = "/d" + std::to_string(fake.tables.size()) + "/T.db";
        fake.tables[path] = {std::move(fields), std::move(indexes), {}};
    }
    std::string structure() {
        writeStructureScript(table, path, sink);
        return sink.lines();
    }
    std::string procedure() {
        writeProcedureScript(table, path, sink);
        return sink.lines();
    }
    // The line of the n-th field: of the structure script, of the CREATE or ALTER PROCEDURE.
    std::string columnLine(std::size_t n) { return sink.text.row(2 + n); }
};

TEST_F(FakeTableScripts, NameCellsOfEveryLengthLineUpTheTypes) {
    struct Case {
        std::size_t length;
        const char* column;          // the structure script's line
        const char* createParameter; // CREATE PROCEDURE
        const char* alterParameter;  // ALTER PROCEDURE
    };
    const Case cases[] = {
        {23, "\"NNNNNNNNNNNNNNNNNNNNNNN\" DATE", "\"cNNNNNNNNNNNNNNNNNNNNNNN\" DATE)",
         "cNNNNNNNNNNNNNNNNNNNNNNN  DATE)"},
        {24, "\"NNNNNNNNNNNNNNNNNNNNNNNN\"DATE", "\"cNNNNNNNNNNNNNNNNNNNNNNNN\"DATE)",
         "cNNNNNNNNNNNNNNNNNNNNNNNN DATE)"},
        {25, "\"NNNNNNNNNNNNNNNNNNNNNNNNNDATE", "\"cNNNNNNNNNNNNNNNNNNNNNNNNNDATE)",
         "cNNNNNNNNNNNNNNNNNNNNNNNNNDATE)"},
        {26, "\"NNNNNNNNNNNNNNNNNNNNNNNNNDATE", "\"cNNNNNNNNNNNNNNNNNNNNNNNNNDATE)",
         "cNNNNNNNNNNNNNNNNNNNNNNNNNDATE)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        const std::string name(c.length, 'n');
        define({{name, ftDate, 0, false}});
        sink.text.clear();
        structure();
        EXPECT_EQ(columnLine(0), c.column);
        sink.text.clear();
        procedure();
        EXPECT_EQ(sink.text.row(7), c.createParameter);
        EXPECT_EQ(sink.text.row(21), c.alterParameter);
        EXPECT_EQ(sink.text.row(24), "  INSERT INTO T(" + std::string(c.length, 'N') + ")");
    }
}

TEST_F(FakeTableScripts, TypeTablesForMiddleAndLastFields) {
    struct Case {
        engine::FieldDescription field;
        const char* column;    // structure script, "," or nothing after it
        const char* parameter; // procedure, "," or ")" after it
    };
    const Case cases[] = {
        {{"S", ftString, 10, true},
         "VARCHAR(10) CHARACTER SET ISO8859_1",
         "VARCHAR(10) CHARACTER SET ISO8859_1"},
        {{"I", ftInteger, 0, false}, "INTEGER", "INTEGER "},
        {{"R", ftInteger, 0, true}, "INTEGER NOT NULL", "INTEGER NOT NULL"},
        {{"B", ftBoolean, 0, false}, "CHAR(01)", "BOOLEAN"},
        {{"F", ftFloat, 0, true}, "NUMERIC(10,2)", "NUMERIC(10,2)"},
        {{"C", ftCurrency, 0, false}, "NUMERIC(10,2)", "NUMERIC(10,2)"},
        {{"D", ftDate, 0, false}, "DATE", "DATE"},
        {{"T", ftTime, 0, false}, "TIME", "TIME"},
        {{"DT", ftDateTime, 0, false}, "DATE", "DATE"},
        {{"TS", ftTimeStamp, 0, false}, "DATE", "DATE"},
        {{"M", ftMemo, 10, true}, "BLOB", "BLOB"},
        {{"SI", ftSmallint, 0, true}, "INTEGER", "INTEGER"},
        {{"A", ftAutoInc, 0, false}, "INTEGER", "INTEGER"},
        {{"BC", ftBCD, 2, false}, "INTEGER", "INTEGER"},
        {{"G", ftGraphic, 10, false}, "INTEGER", "INTEGER"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field.name);
        // the middle of three fields, then the last (and only) one
        define({{"X", ftDate, 0, false}, c.field, {"Y", ftDate, 0, false}});
        sink.text.clear();
        structure();
        EXPECT_EQ(columnLine(1).substr(26), std::string(c.column) + ",");
        sink.text.clear();
        procedure();
        EXPECT_EQ(sink.text.row(8).substr(27), std::string(c.parameter) + ",");
        define({c.field});
        sink.text.clear();
        structure();
        EXPECT_EQ(columnLine(0).substr(26), c.column);
        sink.text.clear();
        procedure();
        EXPECT_EQ(sink.text.row(7).substr(27), std::string(c.parameter) + ")");
        EXPECT_EQ(sink.text.row(21).substr(26), std::string(c.parameter) + ")");
        EXPECT_EQ(sink.text.row(25), "VALUES(:c" + c.field.name + ");");
    }
}

TEST_F(FakeTableScripts, KeyListIsTheFirstIndexWhenExactlyPrimaryAndSearchedAsASubstring) {
    struct Case {
        const char* name;
        std::vector<engine::IndexDescription> indexes;
        std::vector<std::string> types; // of ID, CODIGO, FILIAL, R (a required integer)
        std::vector<std::string> indexLines;
    };
    const std::string id = "VARCHAR(5) CHARACTER SET ISO8859_1";
    const std::vector<Case> cases = {
        {"key CODID holds ID",
         {{"CODID", {ixPrimary, ixUnique}}},
         {id + " NOT NULL,", "INTEGER,", "DATE,", "INTEGER NOT NULL"},
         {"ALTER TABLE T ADD PRIMARY KEY (CODID);"}},
        {"both sides upper-cased, several key fields",
         {{"codigo;Filial", {ixPrimary, ixUnique}}, {"", {ixExpression}}},
         {id + ",", "INTEGER NOT NULL,", "DATE NOT NULL,", "INTEGER NOT NULL"},
         {"ALTER TABLE T ADD PRIMARY KEY (CODIGO,FILIAL);", " (INDICES SECUNDARIOS)"}},
        {"a further option makes it secondary",
         {{"Codigo", {ixPrimary, ixUnique, ixDescending}}},
         {id + ",", "INTEGER,", "DATE,", "INTEGER NOT NULL"},
         {"CODIGO (INDICES SECUNDARIOS)"}},
        {"a later primary index writes its line only",
         {{"Filial", {}}, {"Codigo;R", {ixPrimary, ixUnique}}},
         {id + ",", "INTEGER,", "DATE,", "INTEGER NOT NULL"},
         {"FILIAL (INDICES SECUNDARIOS)", "ALTER TABLE T ADD PRIMARY KEY (CODIGO,R);"}},
        {"a required key integer gets the mark twice",
         {{"R", {ixPrimary, ixUnique}}},
         {id + ",", "INTEGER,", "DATE,", "INTEGER NOT NULL NOT NULL"},
         {"ALTER TABLE T ADD PRIMARY KEY (R);"}},
        {"no index", {}, {id + ",", "INTEGER,", "DATE,", "INTEGER NOT NULL"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        define({{"ID", ftString, 5, false},
                {"Codigo", ftInteger, 0, false},
                {"Filial", ftDate, 0, false},
                {"R", ftInteger, 0, true}},
               c.indexes);
        sink.text.clear();
        structure();
        std::vector<std::string> types;
        for (std::size_t i = 0; i < 4; ++i)
            types.push_back(columnLine(i).substr(26));
        EXPECT_EQ(types, c.types);
        EXPECT_EQ(sink.text.row(6), ");");
        EXPECT_EQ(sink.text.row(7), "");
        std::vector<std::string> indexLines;
        for (std::size_t i = 8; i < sink.text.lineCount(); ++i)
            indexLines.push_back(sink.text.row(i));
        EXPECT_EQ(indexLines, c.indexLines);
    }
}

TEST_F(FakeTableScripts, FailuresLeaveWhatWasAppended) {
    define({{"A", ftInteger, 0, false}, {"B", ftDate, 0, false}});
    // nothing selected: the structure script has its two header lines, the procedure nothing
    EXPECT_THROW(writeStructureScript(table, "", sink), EDatabaseError);
    EXPECT_EQ(sink.lines(), "CREATE TABLE \"\"\n(\n");
    try {
        writeProcedureScript(table, "", sink);
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "Table1: Missing TableName property");
    }
    EXPECT_EQ(sink.text.lineCount(), 2u);
    // an unreadable file: the same
    sink.text.clear();
    EXPECT_THROW(writeStructureScript(table, "/d/missing.db", sink), EDBEngineError);
    EXPECT_EQ(sink.lines(), "CREATE TABLE \"MISSING\"\n(\n");
    EXPECT_FALSE(table.Active());
    EXPECT_THROW(writeProcedureScript(table, "/d/missing.db", sink), EDBEngineError);
    EXPECT_EQ(sink.text.lineCount(), 2u);

    // a full pane stops the script at that line and leaves the table open
    sink.text.clear();
    sink.text.setCapacity(60);
    EXPECT_THROW(writeStructureScript(table, path, sink), EOutOfResources);
    EXPECT_EQ(sink.lines(), "CREATE TABLE \"T\"\n(\n\"A\"                       INTEGER,\n");
    EXPECT_TRUE(table.Active());
    // a different file while it is open: refused before anything is appended
    sink.text.clear();
    EXPECT_THROW(writeStructureScript(table, "/d/other.db", sink), EDatabaseError);
    EXPECT_EQ(sink.text.lineCount(), 0u);
    // the procedure closes it first
    sink.text.setCapacity(kScriptPaneCapacity);
    procedure();
    EXPECT_FALSE(table.Active());
}

} // namespace
} // namespace vorendal
