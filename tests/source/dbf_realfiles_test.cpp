// The real dBASE / FoxPro tables of the shared test data: every one opens (or, when damaged, fails
// with an engine error), and structure, record counts and sample values agree with what the files
// hold (checked against hex dumps of the files).

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <set>

#include "base/exceptions.h"
#include "source/engine/engineerrors.h"
#include "source/engine/tablereader.h"
#include "tests/fixtures/dbfreadback.h"
#include "tests/fixtures/testdata.h"

namespace vorendal {
namespace {

namespace fs = std::filesystem;

struct Sample {
    std::size_t record; // among the live records
    std::string column; // name, or "#<index>"
    std::string value;  // as describeDbfValue gives it; "prefix " + text: starts with text
};

struct RealTable {
    std::string path;
    std::size_t fields;
    std::size_t live;
    std::vector<std::string> indexes; // "fields|options"
    std::vector<std::pair<std::string, TFieldType>> types;
    std::vector<Sample> samples;
};

fs::path dbaseFolder() {
    const fs::path dir = fixtures::testdataDir(VORENDAL_TESTDATA_DIR);
    return dir.empty() ? dir : dir / "dbase";
}

// Every value of every live record; a value whose memo file is missing reads "error:memo".
std::vector<std::vector<std::string>> readEverything(engine::TableReader& reader) {
    std::vector<std::vector<std::string>> rows;
    engine::Value v;
    for (bool ok = reader.first(); ok; ok = reader.next()) {
        std::vector<std::string> row;
        for (std::size_t c = 0; c < reader.fields().size(); ++c) {
            try {
                reader.value(c, v);
                row.push_back(fixtures::describeDbfValue(v));
            } catch (const EDBEngineError& e) {
                row.push_back(e.errorCode() == engine::errMemo ? "error:memo" : "error");
            }
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

const char* const kNorthAmerica = "North America";

// clang-format off
std::vector<RealTable> realTables() {
    const TFieldType S = ftString;
    return {
        {"DBD-XBase-incubus/rooms.dbf", 2, 42,
         {"ROOMNAME|", "FACILITY|", "ROOMNAME|", "ROOMNAME|", "ROOMNAME|"},
         {{"ROOMNAME", S}},
         {{1, "ROOMNAME", "text:Bay  1"}, {1, "FACILITY", "text:Main"}}},
        {"DBD-XBase-incubus/test.dbf", 5, 2, {},
         {{"NOTE", ftMemo}, {"DATES", ftDate}},
         {{0, "ID", "int:1"},
          {0, "NOTE", "text:This is a memo for record no one"},
          {0, "DATES", "date:1996-08-13"}}},
        {"DBD-XBase-incubus/types.dbf", 3, 4, {},
         {{"PAYMENT", ftCurrency}, {"T", ftDateTime}},
         {{0, "PAYMENT", "float:1"},
          {1, "PAYMENT", "float:858993.4591"},
          {0, "T", "datetime:1970-01-01 00:00:00.000"},
          {1, "T", "datetime:2003-04-04 16:13:11.000"}}},
        {"DBFFile-yortus/PYACFL.DBF", 20, 15, {},
         {{"AFHRPW", ftFloat}, {"AFWKEN", ftInteger}},
         {{0, "AFACCD", "text:02"}, {0, "AFCRDA", "date:1999-03-25"}}},
        {"DBFFile-yortus/WSPMST.DBF", 32, 6797, {},
         {{"MINQTY", ftLargeint}},
         {{0, "PROCODE", "text:AO-81254M7"}, {0, "COST", "float:25.32"}}},
        {"DBFFile-yortus/dbase_not_latin1.dbf", 10, 1, {}, {}, {}},
        {"DBFFile-yortus/vfp9_memo_bs1.dbf", 2, 5, {},
         {{"NOTES", ftMemo}},
         {{0, "NOTES", "text:Some notes here\r\n"}, {1, "NOTES", "null"}}},
        {"JxBase-jferard/111.dbf", 7, 1, {},
         {{"UNICODE", ftLargeint}},
         {{0, "DATER", "text:30.06.1971"}, {0, "UNICODE", "int:1001731864"}}},
        {"JxBase-jferard/src/test/resources/memo1/texto.dbf", 5, 5, {"|ixExpression"},
         {{"TEXTEX", ftMemo}},
         {{0, "TEXVER", "text:1.01"},
          {0, "TEXTEX",
           "prefix text:Altera\xE7\xF5"
           "es\r\n========="},
          {0, "TEXDAT", "date:2014-01-01"}}},
        {"dBASE.NET-henck/CP866/SPXXXX0159.dbf", 17, 1, {}, {}, {{0, "SUMMA", "float:1300.52"}}},
        {"dans-dbf-lib/clipper5/cars/cars.DBF", 6, 4, {},
         {{"DESCR", ftMemo}},
         {{0, "NAME", "text:PASSAT"},
          {0, "PROD_DATE", "date:1977-01-01"},
          {0, "DESCR", "prefix text:THIS IS A DESCRIPTION OF PASSAT, YEAR MODEL"}}},
        {"dans-dbf-lib/dbase3plus/cars/cars.dbf", 6, 4, {},
         {},
         {{0, "DESCR", "prefix text:THIS IS A DESCRIPTION OF PASSAT, YEAR MODEL 1997"},
          {1, "CC", "float:333.444"}}},
        {"dans-dbf-lib/dbase3plus/fileExceptions/PNTRERR.DBF", 2, 4, {},
         {},
         {{0, "MEMO", "null"}, // block 99 lies past the end of the 8-block memo file
          {1, "MEMO", "null"},
          {2, "MEMO", "prefix text:This is a very long memo."},
          {3, "MEMO", "prefix text:12345678901234567890"}}},
        {"dans-dbf-lib/dbase4/cars/cars.DBF", 6, 4, {},
         {},
         {{0, "DESCR", "prefix text:THIS IS A DESCRIPTION OF PASSAT"}, {1, "YEAR", "int:2000"}}},
        {"dans-dbf-lib/dbase5/types/KOE2.DBF", 2, 0, {}, {{"A", ftDBaseOle}, {"B", ftBlob}}, {}},
        {"dans-dbf-lib/foxpro26/foxprospecial/FPROALL.DBF", 7, 4, {},
         {{"GENERAL", ftBlob}, {"NUMERIC", ftFloat}},
         {{0, "CHAR", "text:first character"},
          {0, "NUMERIC", "float:12.3456789012345"},
          {0, "DATE", "date:1999-06-10"},
          {0, "MEMO", "text:This is a string of characters in memo file"}}},
        {"dbase-rs-tmontaigu/KUNDEN-schema-only.DBF", 49, 0, {}, {}, {}},
        {"dbase-rs-tmontaigu/cp850.dbf", 1, 1, {}, {}, {}},
        {"dbase-rs-tmontaigu/cp936.dbf", 1, 1, {}, {}, {{0, "TEST", "text:????"}}},
        {"dbfread-olemb/memotest.dbf", 3, 2, {},
         {},
         {{0, "NAME", "text:Alice"}, {0, "MEMO", "text:Alice memo"}, {1, "MEMO", "text:Bob memo"}}},
        {"go-dbase-Valentin-Kaiser/database/employees.dbf", 16, 3,
         {"EMPLOYEEID|ixUnique", "|ixExpression", "LASTNAME|", "EMAILNAME|", "POSTALCODE|"},
         {{"EMPLOYEEID", ftInteger}},
         {{0, "FIRSTNAME", "text:Nancy"}, {0, "ADDRESS", "text:908 W. Capital Way"}}},
        {"go-dbase-Valentin-Kaiser/table/TEST.DBF", 16, 2, {},
         {{"PRODUCTID", ftAutoInc}, {"VARBIN_NIL", ftVarBytes}, {"BLOB", ftBlob}},
         {{0, "PRODUCTID", "int:1"},
          {0, "PRICE", "float:12.3456"},
          {0, "DATETIME", "datetime:2022-04-10 00:00:00.000"},
          {0, "VAR_NIL", "text:Test value with variable length"},
          {0, "VAR", "null"},
          {0, "VARBIN_NIL", "bytes:112233445566778899aa"},
          {1, "VARBIN_NIL", "bytes:aabbcc"}}},
        {"harbour-core/gtnap/cotacao.dbf", 3, 2080, {"|ixExpression"},
         {},
         {{0, "CDINDX", "text:01"}, {0, "DTCOTA", "date:1993-01-31"}, {0, "VLCOTA", "float:45"}}},
        {"javadbf-albfernandez/bug-102/bug102.dbf", 103, 18, {},
         {{"DataNumber", ftFloat}},
         {{0, "DataNumber", "float:193786"},
          {0, "Index1", "text:WT-05561 GULF POWER CO."},
          {0, "MemoIndex1", "null"}}}, // the 512-byte memo file holds no memo
        {"javadbf-albfernandez/bug-77-no-header-record-terminator/"
         "continents_no_header_record_terminator.dbf",
         1,
         7,
         {},
         {},
         {{0, "name", std::string("text:") + kNorthAmerica}}},
        {"javadbf-albfernandez/bug_64_excel_dbf/wrong-exented-character-field.dbf", 10, 16, {},
         {},
         {{0, "NAME", "text:GEO_1"}, {0, "GERADEAUS", "float:25710.59"}}},
        {"javadbf-albfernandez/fixtures/dbase_7.dbf", 4, 3, {},
         {},
         {{0, "USER", "text:DFG"}, {0, "DATE", "date:2015-02-23"}}},
        {"javadbf-albfernandez/inventory.dbf", 6, 12, {},
         {{"Item ID", ftAutoInc}, {"Supplier ID", ftInteger}, {"Picture", ftBlob}},
         {{0, "Item ID", "int:1"},
          {0, "Description", "text:Dartboard"},
          {0, "Qty", "int:53"},
          {9, "Qty", "int:0"},
          {11, "Item ID", "int:12"}}},
        {"javadbf-albfernandez/provincias_es.dbf", 5, 52, {},
         {},
         {{0, "Texto", "text:\xC1lava"}, {0, "CCAA", "text:Pa\xEDs Vasco"}}},
        {"javadbf-albfernandez/test_delete.dbf", 1, 2, {},
         {},
         {{0, "FNAME", "text:john"}, {1, "FNAME", "text:suzy"}}},
        {"php-xbase-luads/dBase/dBaseVII.dbf", 12, 3, {},
         {{"AUTO_INC", ftAutoInc}, {"DATETIME", ftDateTime}, {"DBASE_OLE", ftDBaseOle}},
         {{0, "NAME", "text:Groot"},
          {0, "BIRTHDAY", "date:1960-11-01"},
          {0, "MONEY", "float:12.1235"},
          {0, "INTEGER", "int:1"},
          {0, "DATETIME", "datetime:1800-01-01 01:01:01.000"},
          {0, "BIO", "prefix text:Groot (/"}}},
        {"php-xbase-luads/dBase/dBaseVII_double.dbf", 1, 5, {},
         {},
         {{0, "double", "float:-199.99"}, {4, "double", "float:0"}}},
        {"php-xbase-luads/dBase/dBaseVII_ts.dbf", 1, 9, {},
         {},
         {{0, "TS", "datetime:1900-01-01 00:00:00.000"},
          {3, "TS", "datetime:2000-01-01 00:00:00.000"},
          {8, "TS", "datetime:2000-01-10 00:00:00.000"}}},
        {"php-xbase-luads/foxpro/91.dbf", 108, 0, {}, {}, {}},
        {"php-xbase-luads/foxpro/issue115.dbf", 9, 9, {"DENUMIRE|", "COD|ixUnique"},
         {},
         {{0, "COD", "text:0001"}, {0, "DENUMIRE", "text:AGENTUL"}, {0, "CONT_VAN", "null"}}},
        {"php-xbase-luads/foxpro/vfp.dbf", 19, 3, {},
         {{"GENERAL", ftBlob}, {"AI", ftAutoInc}, {"BIO_BIN", ftBlob}, {"VARBINARY", ftVarBytes}},
         {{0, "NAME", "text:Groot"},
          {0, "CURRENCY", "float:1.2"},
          {0, "DATETIME", "datetime:1800-01-01 01:01:01.000"},
          {0, "AI", "int:1"},
          {0, "VARCHAR", "text:qwe"},
          {0, "VARBINARY", "bytes:abcdef"},
          {0, "GENERAL", "null"}, // the pointer 1 lies in the memo file header
          {1, "BLOB", "null"},
          {2, "VARCHAR_BI", "null"}}},
        {"ruby-dbf-infused/cp1251.dbf", 2, 4, {},
         {},
         {{0, "RN", "int:1"},
          {0, "NAME",
           "text:???????????"
           "-???????????????"}}},
        {"ruby-dbf-infused/dbase_02.dbf", 14, 9, {},
         {{"PAYRATE", ftFloat}},
         {{0, "EMP:NMBR", "int:2"}, {0, "LAST", "text:Stegman"}, {0, "PAYRATE", "float:6"}}},
        {"ruby-dbf-infused/dbase_03_cyrillic.dbf", 2, 2, {},
         {},
         {{0, "#1", "float:36.3"}, {1, "#1", "float:99.99"}}},
        {"ruby-dbf-infused/dbase_30.dbf", 145, 34, {},
         {{"FLAGDATE", ftDateTime}},
         {{0, "ACCESSNO", "text:1999.1"}, {0, "CATDATE", "date:1999-03-05"}}},
        {"ruby-dbf-infused/dbase_31.dbf", 10, 77, {},
         {{"PRODUCTID", ftAutoInc}, {"UNITPRICE", ftCurrency}},
         {{0, "PRODUCTID", "int:1"},
          {0, "PRODUCTNAM", "text:Chai"},
          {0, "UNITPRICE", "float:18"},
          {0, "UNITSINSTO", "int:39"},
          {0, "DISCONTINU", "bool:false"}}},
        {"ruby-dbf-infused/dbase_32.dbf", 1, 1, {}, {}, {{0, "NAME", "text:Bad Meets Evil"}}},
        {"ruby-dbf-infused/dbase_83.dbf", 15, 67, {},
         {{"ID", ftFloat}},
         {{0, "ID", "float:87"},
          {0, "NAME", "text:Assorted Petits Fours"},
          {0, "DESC", "prefix text:Our Original assortment...a little taste of heaven"}}},
        {"ruby-dbf-infused/dbase_8b.dbf", 6, 10, {},
         {},
         {{0, "CHARACTER", "text:One"},
          {0, "NUMERICAL", "float:1"},
          {0, "DATE", "date:1970-01-01"},
          {0, "LOGICAL", "bool:true"},
          {0, "FLOAT", "float:1.23456789012346"},
          {0, "MEMO", "text:First memo\r\n"}}},
        {"ruby-dbf-infused/dbase_8c.dbf", 6, 10, {},
         {{"ID", ftAutoInc}, {"OLE Graphic", ftDBaseOle}},
         {{0, "ID", "int:1"},
          {0, "Name", "text:Clown Triggerfish"},
          {0, "Length CM", "float:100"},
          {0, "Description", "error:memo"}}}, // no .dbt beside it
        {"ruby-dbf-infused/dbase_f5.dbf", 59, 975, {},
         {},
         {{0, "NF", "int:1"}, {0, "NOM", "text:joan-ramon"}, {0, "COMN", "text:baix pened\xE8s"}}},
        {"ruby-dbf-infused/mazovia.dbf", 2, 2, {},
         {},
         {{0, "A2", "text:English"}, {1, "A2", "text:??\xEA\xEB???"}}},
        {"ruby-dbf-infused/polygon.dbf", 0, 1, {}, {}, {}},
    };
}
// clang-format on

// The column of that name, or "#<index>" for names that are not 1252 text.
std::size_t columnOf(const engine::TableReader& reader, const std::string& name) {
    if (name.size() > 1 && name[0] == '#')
        return static_cast<std::size_t>(std::stoul(name.substr(1)));
    for (std::size_t i = 0; i < reader.fields().size(); ++i) {
        if (reader.fields()[i].name == name)
            return i;
    }
    ADD_FAILURE() << "no column " << name;
    return 0;
}

TEST(DbfRealFiles, StructureRecordsAndSampleValues) {
    const fs::path folder = dbaseFolder();
    if (folder.empty())
        GTEST_SKIP() << "no test data folder at " << VORENDAL_TESTDATA_DIR;
    for (const RealTable& t : realTables()) {
        SCOPED_TRACE(t.path);
        engine::DiskTableFiles files(folder / t.path);
        const auto reader = engine::openDbfTable(files);
        EXPECT_EQ(reader->fields().size(), t.fields);
        std::vector<std::string> indexes;
        for (const auto& i : reader->indexes())
            indexes.push_back(i.fields + "|" + indexOptionsText(i.options));
        EXPECT_EQ(indexes, t.indexes);
        for (const auto& [name, type] : t.types)
            EXPECT_EQ(fieldTypeName(reader->fields()[columnOf(*reader, name)].type),
                      fieldTypeName(type))
                << name;
        const auto rows = readEverything(*reader);
        EXPECT_EQ(rows.size(), t.live);
        for (const Sample& s : t.samples) {
            ASSERT_LT(s.record, rows.size());
            const std::string& got = rows[s.record][columnOf(*reader, s.column)];
            if (s.value.rfind("prefix ", 0) == 0)
                EXPECT_EQ(got.substr(0, s.value.size() - 7), s.value.substr(7)) << s.column;
            else
                EXPECT_EQ(got, s.value) << s.column;
        }
    }
}

TEST(DbfRealFiles, Dbase7RequiredFieldsFromTheFieldProperties) {
    const fs::path folder = dbaseFolder();
    if (folder.empty())
        GTEST_SKIP() << "no test data folder at " << VORENDAL_TESTDATA_DIR;
    engine::DiskTableFiles files(folder / "javadbf-albfernandez/bug-102/bug102.dbf");
    const auto reader = engine::openDbfTable(files);
    std::vector<std::string> required;
    for (const auto& f : reader->fields()) {
        if (f.required)
            required.push_back(f.name);
    }
    EXPECT_EQ(required, (std::vector<std::string>{"DataNumber", "Index1", "Index2"}));
}

TEST(DbfRealFiles, MalformedVersionByteIsAnEngineError) {
    const fs::path folder = dbaseFolder();
    if (folder.empty())
        GTEST_SKIP() << "no test data folder at " << VORENDAL_TESTDATA_DIR;
    engine::DiskTableFiles files(folder / "npm-parsedbf/empty.dbf");
    try {
        engine::openDbfTable(files);
        FAIL() << "empty.dbf opened";
    } catch (const EDBEngineError& e) {
        EXPECT_EQ(e.errorCode(), engine::errVersion);
    }
}

TEST(DbfRealFiles, EveryTableOfTheFolderIsCovered) {
    const fs::path folder = dbaseFolder();
    if (folder.empty())
        GTEST_SKIP() << "no test data folder at " << VORENDAL_TESTDATA_DIR;
    std::set<std::string> covered = {"npm-parsedbf/empty.dbf"};
    for (const RealTable& t : realTables())
        covered.insert(t.path);
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        std::string ext = entry.path().extension().string();
        for (char& c : ext)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (ext == ".dbf") {
            EXPECT_TRUE(covered.count(fs::relative(entry.path(), folder).generic_string()))
                << entry.path();
        }
    }
}

} // namespace
} // namespace vorendal
