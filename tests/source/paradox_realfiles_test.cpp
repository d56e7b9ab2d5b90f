// The real Paradox tables of the shared test data. Expected values were read off the files with
// a hex viewer and a separate script, and agree with the manifest of the test data.
#include <filesystem>
#include <gtest/gtest.h>

#include "base/ansi.h"
#include "base/exceptions.h"
#include "source/engine/engineerrors.h"
#include "tests/fixtures/paradoxreadback.h"
#include "tests/fixtures/testdata.h"

namespace vorendal {
namespace {

namespace fs = std::filesystem;
using engine::Value;

fs::path paradoxDir() {
    const fs::path root = fixtures::testdataDir(VORENDAL_TESTDATA_DIR);
    return root.empty() ? root : root / "paradox";
}

#define REQUIRE_TESTDATA(dir)                                                                      \
    const fs::path dir = paradoxDir();                                                             \
    if (dir.empty() || !fs::is_directory(dir))                                                     \
        GTEST_SKIP() << "shared Paradox test data not found under " << VORENDAL_TESTDATA_DIR;

std::unique_ptr<engine::TableReader> open(const fs::path& path) {
    engine::DiskTableFiles files(path);
    return engine::openParadoxTable(files);
}

std::string indexList(const engine::TableReader& r) {
    std::string s;
    for (const auto& ix : r.indexes())
        s += "[" + ix.fields + " " + indexOptionsText(ix.options) + "]";
    return s;
}

std::string requiredList(const engine::TableReader& r) {
    std::string s;
    for (const auto& f : r.fields())
        if (f.required)
            s += (s.empty() ? "" : ",") + f.name;
    return s;
}

struct Cell {
    std::size_t row;
    std::size_t column;
    std::string expected; // as fixtures::describeValue writes it
};

struct Table {
    const char* path;
    std::size_t records;
    std::size_t fields;
    const char* indexes;
    const char* required;
    std::vector<Cell> cells;
};

TEST(ParadoxRealFiles, RecordsStructureAndValuesAgreeWithTheFiles) {
    REQUIRE_TESTDATA(dir);
    const Table tables[] = {
        {"paradoxReader-teverett/CUSTOMER.DB",
         20,
         10,
         "[CustNo ixPrimary,ixUnique][City ]",
         "",
         {{0, 0, "int:1"},
          {0, 1, "text:Luke"},
          {0, 5, "text:Santa Cruz"},
          {0, 8, "null"},
          {0, 9, "date:728691"},
          {19, 0, "int:20"},
          {19, 2, "text:Romar"}}},
        {"paradoxReader-teverett/ORDERS.DB",
         224,
         11,
         "[Order No ixPrimary,ixUnique]",
         "",
         {{0, 0, "float:1001"},
          {0, 2, "date:725830"},
          {0, 4, "text:UPS"},
          {0, 5, "float:7320"},
          {223, 0, "float:1669"},
          {223, 7, "float:307"}}},
        {"paradoxReader-teverett/AREA-PDX/AREACODE.DB",
         135,
         4,
         "[Area Code ixPrimary,ixUnique]",
         "",
         {{0, 0, "text:201"}, {0, 2, "text:New Jersey"}, {134, 3, "text:NC"}}},
        {"paradoxReader-teverett/PCLDATA/PCL.DB",
         161,
         17,
         "",
         "",
         {{0, 0, "text:Cursor Positioning"},
          {0, 1, "null"},
          {0, 4, "text:Ec(s-1U"},
          {0, 15, "text:3?"},
          {0, 16, "int:2"},
          {160, 0, "text:Soft Font Creation"}}},
        {"paradoxReader-teverett/MEMBRE.DB",
         6,
         92,
         "[Code_membre ixPrimary,ixUnique]",
         "",
         {{0, 0, "int:25"},
          {0, 3, "text:LEMAITRE"},
          {0, 6, "bool:1"},
          {0, 7, "bool:0"},
          {1, 11, "text:16 rue Bl\xE9riot"},
          {2, 11, "text:22 rue Raymond Paten\xF4tre"}}},
        {"paradoxdriver-leonhad/fields/bcd.db",
         3,
         3,
         "",
         "",
         {{0, 0, "float:1.23"},
          {0, 1, "float:1"},
          {0, 2, "float:0.123"},
          {1, 0, "float:-1.23"},
          {1, 1, "float:-1"},
          {1, 2, "float:-0.123"},
          {2, 0, "float:0"},
          {2, 1, "null"},
          {2, 2, "float:0.9999"}}},
        {"paradoxdriver-leonhad/fields/bytes.db", 1, 1, "", "", {}},
        {"paradoxdriver-leonhad/fields/date35.db",
         3,
         1,
         "",
         "",
         {{0, 0, "date:736695"}, {1, 0, "date:736726"}, {2, 0, "date:736696"}}},
        {"paradoxdriver-leonhad/fields/logical.db",
         4,
         1,
         "",
         "",
         {{0, 0, "bool:1"}, {1, 0, "bool:0"}, {2, 0, "bool:1"}, {3, 0, "bool:1"}}},
        {"paradoxdriver-leonhad/fields/long.db",
         3,
         2,
         "[Id ixPrimary,ixUnique]",
         "",
         {{0, 1, "int:1"}, {1, 1, "int:2"}, {2, 0, "int:3"}, {2, 1, "null"}}},
        {"paradoxdriver-leonhad/fields/time.db",
         3,
         1,
         "",
         "",
         {{0, 0, "time:3601000"}, {1, 0, "null"}, {2, 0, "time:10803000"}}},
        {"paradoxdriver-leonhad/fields/timestamp.db",
         2,
         1,
         "",
         "",
         {{0, 0, "null"}, {1, 0, "datetime:737456+3601000"}}},
        {"paradoxdriver-leonhad/db/AREACODES.DB",
         370,
         3,
         "[AC ixPrimary,ixUnique][State ixCaseInsensitive]",
         "",
         {{0, 0, "text:201"},
          {97, 2, "text:San Jos\xE9"},
          {286, 2, "text:Sherbrooke, Hull, Trois-Rivi\xE8res, Kuujjuaq, central and northern"},
          {369, 2, "text:Saginaw"}}},
        {"paradoxdriver-leonhad/db/GENERAL.DB",
         3,
         3,
         "[ID ixPrimary,ixUnique]",
         "",
         {{0, 0, "int:1"}, {0, 1, "text:Mari"}, {0, 2, "float:100"}, {2, 0, "int:333333333"}}},
        {"paradoxdriver-leonhad/db/ROMAN8.db",
         1,
         1,
         "",
         "",
         {{0, 0, "text:\x8A\xBD\x83\xB6"}}}, // HP Roman-8 EB F8 BE F4
        {"paradoxdriver-leonhad/joins/C.DB",
         3,
         3,
         "[C ixPrimary,ixUnique][A ][B ]",
         "C,A",
         {{0, 0, "int:1"}, {0, 2, "int:4"}, {2, 2, "int:6"}}},
        {"paradoxdriver-leonhad/joins/case.db",
         1,
         1,
         "[C ixNonMaintained]",
         "",
         {{0, 0, "text:case"}}},
        {"paradoxdriver-leonhad/joins/indexed.db",
         0,
         1,
         "[Indexed ixDescending,ixCaseInsensitive,ixNonMaintained]",
         "",
         {}},
        {"paradoxdriver-leonhad/areas/STATES.DB",
         53,
         4,
         "[Abv ixPrimary,ixUnique]",
         "",
         {{0, 0, "text:AK"}, {0, 1, "text:Alaska"}, {52, 3, "text:831"}}},
        {"paradoxdriver-leonhad/areas/ZIPCODES.DB",
         43185,
         3,
         "[Zip ixPrimary,ixUnique]",
         "",
         {{0, 0, "text:00401"}, {0, 2, "text:Pleasantville"}, {43184, 2, "text:Ketchikan"}}},
        {"paradoxdriver-leonhad/geog/tblsttes.DB",
         58,
         13,
         "[State ixPrimary,ixUnique]",
         "",
         {{0, 1, "null"}, {0, 5, "date:715147"}, {0, 6, "int:49"}, {57, 7, "int:360"}}},
        // password protected, read without the password
        {"paradoxdriver-leonhad/encrypt/encrypted.db",
         4,
         2,
         "",
         "",
         {{0, 0, "int:1"},
          {0, 1, "text:Value 1"},
          {1, 0, "int:2"},
          {1, 1, "text:Value 2"},
          {2, 0, "int:3"},
          {2, 1, "text:Value 3"},
          {3, 0, "int:4"},
          {3, 1, "text:Last one"}}},
        {"paradoxdriver-leonhad/encrypt/encrypted35.db",
         2,
         2,
         "",
         "",
         {{0, 0, "float:1"}, {0, 1, "text:Test 1"}, {1, 0, "float:2"}, {1, 1, "text:Test2"}}},
        // Cyrillic text stored under a 1252 header: the bytes pass through as they are
        {"pyparadox-grigoryvp/test.db",
         2,
         5,
         "[ID ixPrimary,ixUnique]",
         "",
         {{1, 2, "text:\xCE\xF4\xE8\xF1"}}},
    };
    for (const auto& t : tables) {
        SCOPED_TRACE(t.path);
        const auto reader = open(dir / t.path);
        EXPECT_EQ(reader->fields().size(), t.fields);
        EXPECT_EQ(indexList(*reader), t.indexes);
        EXPECT_EQ(requiredList(*reader), t.required);
        std::size_t row = 0;
        Value v;
        for (bool ok = reader->first(); ok; ok = reader->next(), ++row) {
            for (const auto& c : t.cells) {
                if (c.row != row)
                    continue;
                reader->value(c.column, v);
                EXPECT_EQ(fixtures::describeValue(v), c.expected) << "row " << row;
            }
        }
        EXPECT_EQ(row, t.records);
    }
}

TEST(ParadoxRealFiles, FieldTypesAndSizes) {
    REQUIRE_TESTDATA(dir);
    const auto customer = open(dir / "paradoxReader-teverett/CUSTOMER.DB");
    const auto& f = customer->fields();
    EXPECT_EQ(f[0].type, ftAutoInc);
    EXPECT_EQ(f[1].type, ftString);
    EXPECT_EQ(f[1].size, 51);
    EXPECT_EQ(f[8].name, "Comments");
    EXPECT_EQ(f[8].type, ftMemo);
    EXPECT_EQ(f[8].size, 100); // stored as 110 bytes: a 100-byte leader and the trailer
    EXPECT_EQ(f[9].type, ftDate);

    const auto membre = open(dir / "paradoxReader-teverett/MEMBRE.DB");
    const auto& m = membre->fields();
    EXPECT_EQ(m[89].name, "Mari\xE9");
    EXPECT_EQ(m[90].name, "N\xB0 Licence");
    EXPECT_EQ(m[52].type, ftMemo);
    EXPECT_EQ(m[52].size, 1);
    EXPECT_EQ(m[53].type, ftGraphic);
    EXPECT_EQ(m[53].size, 0);
    EXPECT_EQ(m[5].type, ftSmallint);
    EXPECT_EQ(m[38].type, ftInteger);
    EXPECT_EQ(m[32].type, ftCurrency);

    const auto bcd = open(dir / "paradoxdriver-leonhad/fields/bcd.db");
    EXPECT_EQ(bcd->fields()[0].type, ftBCD);
    EXPECT_EQ(bcd->fields()[0].size, 2);
    EXPECT_EQ(bcd->fields()[2].size, 32);
    const auto bytes = open(dir / "paradoxdriver-leonhad/fields/bytes.db");
    EXPECT_EQ(bytes->fields()[0].type, ftBytes);
    EXPECT_EQ(bytes->fields()[0].size, 255);
    const auto times = open(dir / "paradoxdriver-leonhad/fields/timestamp.db");
    EXPECT_EQ(times->fields()[0].type, ftDateTime);
}

TEST(ParadoxRealFiles, BlobValuesFromTheBlobFiles) {
    REQUIRE_TESTDATA(dir);
    Value v;
    const auto fmemo = open(dir / "paradoxdriver-leonhad/fields/fmemo.db");
    EXPECT_EQ(fmemo->fields()[1].type, ftFmtMemo);
    ASSERT_TRUE(fmemo->first());
    fmemo->value(1, v);
    EXPECT_EQ(v.kind, Value::Kind::Bytes);
    EXPECT_EQ(v.text.size(), 169u); // a shared block
    EXPECT_EQ(v.text.substr(0, 4), std::string("\x07\x00\x00\x00", 4));
    ASSERT_TRUE(fmemo->next());
    fmemo->value(1, v);
    EXPECT_EQ(v.text.size(), 726u);
    EXPECT_NE(v.text.find("01234567890012345678900123"), std::string::npos);

    const auto graphic = open(dir / "paradoxdriver-leonhad/fields/graphic240.db");
    ASSERT_TRUE(graphic->first());
    graphic->value(1, v);
    ASSERT_EQ(v.kind, Value::Kind::Bytes);
    ASSERT_EQ(v.text.size(), 20078u); // 20086 stored, less the 8-byte prefix
    EXPECT_EQ(v.text.substr(0, 6), std::string("BMnN\0\0", 6)); // a bitmap of 0x4E6E bytes

    const auto ole = open(dir / "paradoxdriver-leonhad/fields/ole.db");
    ASSERT_TRUE(ole->first());
    ole->value(1, v);
    ASSERT_EQ(v.text.size(), 365920u);
    EXPECT_EQ(v.text.substr(2, 16), "Paradox Document");

    const auto customer = open(dir / "paradoxReader-teverett/CUSTOMER.DB");
    ASSERT_TRUE(customer->first());
    customer->value(8, v);
    EXPECT_TRUE(v.isNull());
}

TEST(ParadoxRealFiles, AMissingBlobFileFailsOnlyItsValues) {
    REQUIRE_TESTDATA(dir);
    // MEMBRE.DB comes without its .MB: the first member's memo and photo live there.
    const auto membre = open(dir / "paradoxReader-teverett/MEMBRE.DB");
    ASSERT_TRUE(membre->first());
    Value v;
    membre->value(3, v);
    EXPECT_EQ(v.text, "LEMAITRE");
    for (std::size_t column : {52u, 53u}) {
        try {
            membre->value(column, v);
            ADD_FAILURE() << "column " << column << " read";
        } catch (const EDBEngineError& e) {
            EXPECT_EQ(e.errorCode(), engine::errMemo);
        }
    }
    ASSERT_TRUE(membre->next());
    membre->value(52, v); // the second member has no memo
    EXPECT_TRUE(v.isNull());
}

TEST(ParadoxRealFiles, EveryTableFileOpensOrGivesAnEngineError) {
    REQUIRE_TESTDATA(dir);
    int opened = 0;
    int refused = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        if (!entry.is_regular_file() || ansiUpperCase(entry.path().extension().string()) == ".MD")
            continue;
        SCOPED_TRACE(entry.path().string());
        const std::string ext = ansiUpperCase(entry.path().extension().string());
        try {
            const auto reader = open(entry.path());
            Value v;
            for (bool ok = reader->first(); ok; ok = reader->next())
                for (std::size_t c = 0; c < reader->fields().size(); ++c)
                    try {
                        reader->value(c, v);
                    } catch (const EDBEngineError& e) {
                        EXPECT_EQ(e.errorCode(), engine::errMemo) << e.what(); // MEMBRE only
                    }
            EXPECT_EQ(ext, ".DB");
            ++opened;
        } catch (const EDBEngineError& e) {
            // index, blob and validity files are no tables
            EXPECT_NE(ext, ".DB") << e.what();
            ++refused;
        }
    }
    EXPECT_EQ(opened, 38); // every table file, the protected ones and those of joins/
    EXPECT_GT(refused, 20);
}

} // namespace
} // namespace vorendal
