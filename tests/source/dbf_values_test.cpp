// Values of dBASE / FoxPro fields, type by type and dialect by dialect, read back through the
// reader interface from tables written by the fixture builders.

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>

#include "base/exceptions.h"
#include "source/engine/dbase/dbfvalues.h"
#include "source/engine/engineerrors.h"
#include "source/engine/tablereader.h"
#include "tests/fixtures/dbfbuilder.h"
#include "tests/fixtures/dbfcells.h"
#include "tests/fixtures/dbfreadback.h"

namespace vorendal {
namespace {

using engine::openDbfTable;
using fixtures::DbfBuilder;
using fixtures::memoryDbf;
using Column = std::vector<std::string>;

// One field of the given type, one record per raw cell; returns the described values.
Column readCells(std::uint8_t version, char letter, int width, int decimals,
                 const std::vector<std::string>& cells, std::uint8_t languageDriver = 0,
                 std::uint8_t vfpFlags = 0) {
    DbfBuilder b(version);
    b.languageDriver(languageDriver).field("F", letter, width, decimals, vfpFlags);
    for (const auto& c : cells)
        b.record({c});
    const auto reader = openDbfTable(*memoryDbf(b.bytes()));
    return fixtures::readColumnDescribed(*reader, 0);
}

struct Case {
    std::string raw;
    std::string expected;
};

void expectCells(std::uint8_t version, char letter, int width, int decimals,
                 const std::vector<Case>& cases, std::uint8_t languageDriver = 0) {
    std::vector<std::string> cells;
    Column expected;
    for (const auto& c : cases) {
        cells.push_back(c.raw);
        expected.push_back(c.expected);
    }
    EXPECT_EQ(readCells(version, letter, width, decimals, cells, languageDriver), expected);
}

TEST(DbfValues, CharacterKeepsLeadingBlanksAndDropsTrailingOnes) {
    expectCells(0x03, 'C', 6, 0,
                {{"  ab  ", "text:  ab"},
                 {"      ", "null"},
                 {"ab\0cd ", "text:ab"},
                 {std::string("\0abcd ", 6), "null"},
                 {"abcdef", "text:abcdef"}});
}

TEST(DbfValues, CharacterIsConvertedFromTheLanguageDriverCodePage) {
    struct CodePageCase {
        std::uint8_t driver;
        std::string raw;
        std::string expected;
    };
    const std::vector<CodePageCase> cases = {
        {0x00, "\x81tz", "\xFCtz"},                                   // none given: 437
        {0x01, "\x87\x82", "\xE7\xE9"},                               // 437
        {0x02, "Jos\x82 Concei\x87\xC6o", "Jos\xE9 Concei\xE7\xE3o"}, // 850, Portuguese
        {0x03, "Jos\xE9", "Jos\xE9"},                                 // 1252 as it is
        {0x57, "\xC1lava", "\xC1lava"},                               // 1252 (ANSI)
        {0x26, "\x8F\xE0\xA8 \xF8", "??? \xB0"},   // 866: Cyrillic has no 1252 form
        {0xC9, "\xC0\xC1 \x85", "?? \x85"},        // 1251
        {0x69, "\x86\xA2\x98", "?\xF3?"},          // Mazovia: a ogonek, o acute, S acute
        {0x68, "P\xA9\xA1li\xA8", "P?\xEDli\x9A"}, // Kamenicky: "Prilis"
        {0x4D, "ab\xC4\xE3", "ab?"},               // 936: one '?' per double-byte char
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "driver 0x" << std::hex << int(c.driver));
        EXPECT_EQ(readCells(0x03, 'C', 16, 0, {c.raw}, c.driver), Column{"text:" + c.expected});
    }
}

TEST(DbfValues, Dbase7DriverNameGivesTheCodePage) {
    const std::string dbf =
        DbfBuilder(0x04).driverName("DB850PT0").field("NOME", 'C', 10).record({"Jo\xC6o"}).bytes();
    const auto reader = openDbfTable(*memoryDbf(dbf));
    EXPECT_EQ(fixtures::readColumnDescribed(*reader, 0), Column{"text:Jo\xE3o"});
}

TEST(DbfValues, VisualFoxProBinaryCharacterIsKeptAsStored) {
    EXPECT_EQ(readCells(0x30, 'C', 4, 0, {"\x82\x87"}, 0x02, 0x04), Column{"text:\x82\x87"});
}

TEST(DbfValues, IntegerColumns) {
    expectCells(0x03, 'N', 9, 0,
                {{"       42", "int:42"},
                 {"      -42", "int:-42"},
                 {"      +42", "int:42"},
                 {"42       ", "int:42"},
                 {"000000007", "int:7"},
                 {"         ", "null"},
                 {std::string(9, '\0'), "null"},
                 {"*********", "null"},
                 {"  12 34  ", "null"},
                 {"      abc", "null"},
                 {"        -", "null"},
                 {"      +-5", "null"},
                 {"      1.5", "float:1.5"},
                 {"    1.000", "int:1"},
                 {"999999999", "int:999999999"}});
    expectCells(0x03, 'N', 18, 0,
                {{"999999999999999999", "int:999999999999999999"},
                 {"-99999999999999999", "int:-99999999999999999"}});
}

TEST(DbfValues, FloatColumns) {
    expectCells(0x03, 'N', 10, 2,
                {{"   1234.56", "float:1234.56"},
                 {"     -0.50", "float:-0.5"},
                 {"   1234,56", "float:1234.56"},
                 {"        .5", "float:0.5"},
                 {"      0.00", "float:0"},
                 {"          ", "null"},
                 {"**********", "null"},
                 {"       inf", "null"},
                 {"       nan", "null"},
                 {" 1,234.56 ", "null"}});
    expectCells(0x8B, 'F', 20, 18,
                {{"1.234567890123460000", "float:1.23456789012346"},
                 {"             1.5e+03", "float:1500"}});
    // N(20) without decimals is too wide for a 64-bit integer: it reads as Float.
    expectCells(0x03, 'N', 20, 0, {{"                  12", "float:12"}});
}

TEST(DbfValues, Dates) {
    expectCells(0x03, 'D', 8, 0,
                {{"20240115", "date:2024-01-15"},
                 {"20000229", "date:2000-02-29"},
                 {"00010101", "date:0001-01-01"},
                 {"99991231", "date:9999-12-31"},
                 {"        ", "null"},
                 {"00000000", "null"},
                 {"20240230", "null"},
                 {"19000229", "null"},
                 {"20241301", "null"},
                 {"2024-1-5", "null"}});
}

TEST(DbfValues, Logicals) {
    expectCells(0x03, 'L', 1, 0,
                {{"T", "bool:true"},
                 {"t", "bool:true"},
                 {"Y", "bool:true"},
                 {"y", "bool:true"},
                 {"F", "bool:false"},
                 {"f", "bool:false"},
                 {"N", "bool:false"},
                 {"n", "bool:false"},
                 {"?", "null"},
                 {" ", "null"},
                 {"X", "null"}});
}

TEST(DbfValues, VisualFoxProBinaryNumbers) {
    using fixtures::le32;
    EXPECT_EQ(readCells(0x30, 'I', 4, 0,
                        {le32(5), le32(static_cast<std::uint32_t>(-5)), le32(0x7FFFFFFF), le32(0)}),
              (Column{"int:5", "int:-5", "int:2147483647", "int:0"}));
    // Amounts beyond 2^53 / 10,000 give the double nearest to the exact decimal value.
    EXPECT_EQ(readCells(0x30, 'Y', 8, 4,
                        {fixtures::vfpCurrency(123456), fixtures::vfpCurrency(-10000),
                         fixtures::vfpCurrency(0), fixtures::vfpCurrency(4325947789175709440),
                         fixtures::vfpCurrency(-4325947789175709440),
                         fixtures::vfpCurrency(INT64_MIN), fixtures::vfpCurrency(INT64_MAX)}),
              (Column{"float:12.3456", "float:-1", "float:0", "float:432594778917570.94",
                      "float:-432594778917570.94", "float:-922337203685477.6",
                      "float:922337203685477.6"}));
    EXPECT_EQ(readCells(0x30, 'B', 8, 2, {fixtures::vfpDouble(2.5), fixtures::vfpDouble(-1e-3)}),
              (Column{"float:2.5", "float:-0.001"}));
}

TEST(DbfValues, VisualFoxProDateTimes) {
    EXPECT_EQ(readCells(0x30, 'T', 8, 0,
                        {fixtures::vfpDateTime(2006, 4, 20, 13 * 3600000 + 45 * 60000 + 10250),
                         fixtures::vfpDateTime(1970, 1, 1, 0), std::string(8, '\0'),
                         fixtures::le32(2453846) + fixtures::le32(86400000)}),
              (Column{"datetime:2006-04-20 13:45:10.250", "datetime:1970-01-01 00:00:00.000",
                      "null", "null"}));
}

TEST(DbfValues, Dbase7BinaryNumbers) {
    using fixtures::dbase7Integer;
    EXPECT_EQ(readCells(0x04, 'I', 4, 0,
                        {dbase7Integer(1), dbase7Integer(-1), dbase7Integer(0),
                         dbase7Integer(INT_MIN + 1), std::string(4, '\0')}),
              (Column{"int:1", "int:-1", "int:0", "int:-2147483647", "null"}));
    EXPECT_EQ(readCells(0x04, '+', 4, 0, {dbase7Integer(11)}), Column{"int:11"});
    EXPECT_EQ(readCells(0x04, 'O', 8, 0,
                        {fixtures::dbase7Double(-199.99), fixtures::dbase7Double(43.65),
                         fixtures::dbase7Double(0.0), std::string(8, '\0')}),
              (Column{"float:-199.99", "float:43.65", "float:0", "null"}));
}

TEST(DbfValues, Dbase7Timestamps) {
    // Milliseconds since 0001-01-01 minus one day: the sortable form, the plain big-endian
    // double some writers store, and the two little-endian longs of the published description.
    const std::int64_t ms = (738900LL) * 86400000LL + 12 * 3600000LL;
    std::string plain;
    const double d = static_cast<double>(ms);
    std::uint64_t bits = 0;
    std::memcpy(&bits, &d, sizeof bits);
    plain = fixtures::be32(static_cast<std::uint32_t>(bits >> 32)) +
            fixtures::be32(static_cast<std::uint32_t>(bits));
    EXPECT_EQ(readCells(0x04, '@', 8, 0,
                        {fixtures::dbase7Timestamp(2024, 1, 15, 12 * 3600000 + 1), plain,
                         fixtures::le32(2460325) + fixtures::le32(3600000), std::string(8, '\0'),
                         std::string(8, '\xFF')}),
              (Column{"datetime:2024-01-15 12:00:00.001", "datetime:2024-01-15 12:00:00.000",
                      "datetime:2024-01-15 01:00:00.000", "null", "null"}));
}

TEST(DbfValues, VisualFoxProNullFlags) {
    // Bits: CODE (nullable) 0; NOTE (V, nullable) length bit 1, null bit 2; QTY (nullable) 3.
    const std::string dbf = DbfBuilder(0x32)
                                .field("CODE", 'C', 4, 0, 0x02)
                                .field("NOTE", 'V', 8, 0, 0x02)
                                .field("QTY", 'I', 4, 0, 0x02)
                                .field("ID", 'I', 4)
                                .field("_NullFlags", '0', 1, 0, 0x05)
                                .record({"ab", "full len", fixtures::le32(3), fixtures::le32(1),
                                         fixtures::vfpNullFlags({})})
                                .record({"ab", std::string("xyz\0\0\0\0\x03", 8), fixtures::le32(0),
                                         fixtures::le32(2), fixtures::vfpNullFlags({0, 1, 3})})
                                .record({"ab", "ignored ", fixtures::le32(9), fixtures::le32(3),
                                         fixtures::vfpNullFlags({2})})
                                .bytes();
    const auto reader = openDbfTable(*memoryDbf(dbf));
    EXPECT_EQ(fixtures::readAllDescribed(*reader),
              (std::vector<Column>{{"text:ab", "text:full len", "int:3", "int:1"},
                                   {"null", "text:xyz", "null", "int:2"},
                                   {"text:ab", "null", "int:9", "int:3"}}));
}

TEST(DbfValues, VisualFoxProVarbinaryUsesItsLengthByte) {
    const std::string dbf =
        DbfBuilder(0x32)
            .field("BIN", 'Q', 6)
            .field("_NullFlags", '0', 1, 0, 0x05)
            .record({std::string("\xAB\xCD\xEF\0\0\x03", 6), fixtures::vfpNullFlags({0})})
            .record({std::string("\x01\x02\x03\x04\x05\x06", 6), fixtures::vfpNullFlags({})})
            .record({std::string("\0\0\0\0\0\0", 6), fixtures::vfpNullFlags({0})})
            .bytes();
    const auto reader = openDbfTable(*memoryDbf(dbf));
    EXPECT_EQ(fixtures::readColumnDescribed(*reader, 0),
              (Column{"bytes:abcdef", "bytes:010203040506", "null"}));
}

TEST(DbfValues, DeletedRecordsAreSkipped) {
    const std::string dbf = DbfBuilder(0x03)
                                .field("N", 'N', 3)
                                .deletedRecord({"  1"})
                                .record({"  2"})
                                .deletedRecord({"  3"})
                                .deletedRecord({"  4"})
                                .record({"  5"})
                                .deletedRecord({"  6"})
                                .bytes();
    const auto reader = openDbfTable(*memoryDbf(dbf));
    EXPECT_EQ(fixtures::readColumnDescribed(*reader, 0), (Column{"int:2", "int:5"}));
    EXPECT_FALSE(reader->next());
}

TEST(DbfValues, EmptyAndAllDeletedTablesHaveNoFirstRecord) {
    for (const bool deleted : {false, true}) {
        DbfBuilder b(0x03);
        b.field("N", 'N', 3);
        if (deleted)
            b.deletedRecord({"  1"});
        const auto reader = openDbfTable(*memoryDbf(b.bytes()));
        EXPECT_FALSE(reader->first());
        EXPECT_FALSE(reader->next());
    }
}

TEST(DbfValues, ManyRecordsAcrossReadBlocks) {
    // 3-byte records: 40,000 of them span two 64 KiB blocks.
    DbfBuilder b(0x03);
    b.field("N", 'N', 5);
    for (int i = 0; i < 40000; ++i) {
        const std::string n = fixtures::dbfNumber(std::to_string(i), 5);
        if (i % 7 == 3)
            b.deletedRecord({n});
        else
            b.record({n});
    }
    const auto reader = openDbfTable(*memoryDbf(b.bytes()));
    engine::Value v;
    std::int64_t expected = 0;
    std::size_t count = 0;
    for (bool ok = reader->first(); ok; ok = reader->next(), ++count, ++expected) {
        if (expected % 7 == 3)
            ++expected;
        reader->value(0, v);
        ASSERT_EQ(v.kind, engine::Value::Kind::Integer);
        ASSERT_EQ(v.integer, expected);
    }
    EXPECT_EQ(count, 40000u - 40000u / 7);
}

// A table cut short delivers every whole record, then says that the rest is missing.
TEST(DbfValues, TruncatedTableDeliversItsWholeRecordsThenFails) {
    struct Cut {
        std::uint8_t version;
        std::uint32_t declared;
        std::size_t dropped; // bytes cut from the end
        Column whole;
        std::string message;
    };
    const std::vector<Cut> cuts = {
        {0x03, 3, 3, {"text:aaaa", "text:bbbb"}, "it holds 2 of the 3 records"},
        {0x03, 1000, 0, {"text:aaaa", "text:bbbb", "text:cccc"}, "it holds 3 of the 1000 records"},
        {0x02, 3, 5, {"text:aaaa", "text:bbbb"}, "it holds 2 of the 3 records"},
        {0x03, 3, 13, {}, "it holds 0 of the 3 records"},
    };
    for (const Cut& cut : cuts) {
        SCOPED_TRACE(cut.message);
        DbfBuilder b(cut.version);
        b.field("C", 'C', 4).record({"aaaa"}).record({"bbbb"}).record({"cccc"});
        b.declaredRecordCount(cut.declared);
        std::string dbf = b.bytes();
        dbf.resize(dbf.size() - cut.dropped);
        const auto reader = openDbfTable(*memoryDbf(dbf));
        Column read;
        engine::Value v;
        try {
            for (bool ok = reader->first(); ok; ok = reader->next()) {
                reader->value(0, v);
                read.push_back(fixtures::describeDbfValue(v));
            }
            ADD_FAILURE() << "the cut went unnoticed";
        } catch (const EDBEngineError& e) {
            EXPECT_EQ(e.errorCode(), engine::errCorrupt);
            EXPECT_EQ(std::string(e.what()), "The table file is truncated: " + cut.message +
                                                 " its header counts.\nFile: TABLE.dbf");
        }
        EXPECT_EQ(read, cut.whole);
    }
}

TEST(DbfValues, RecordCountBelowTheFileWins) {
    const std::string dbf = DbfBuilder(0x03)
                                .field("C", 'C', 1)
                                .record({"a"})
                                .record({"b"})
                                .record({"c"})
                                .declaredRecordCount(2)
                                .bytes();
    const auto reader = openDbfTable(*memoryDbf(dbf));
    EXPECT_EQ(fixtures::readColumnDescribed(*reader, 0), (Column{"text:a", "text:b"}));
}

TEST(DbfValues, ReusedValueKeepsItsTextBuffer) {
    const std::string dbf =
        DbfBuilder(0x03).field("C", 'C', 40).record({std::string(40, 'x')}).record({"y"}).bytes();
    const auto reader = openDbfTable(*memoryDbf(dbf));
    engine::Value v;
    ASSERT_TRUE(reader->first());
    reader->value(0, v);
    const std::size_t capacity = v.text.capacity();
    ASSERT_TRUE(reader->next());
    reader->value(0, v);
    EXPECT_EQ(v.text, "y");
    EXPECT_EQ(v.text.capacity(), capacity);
}

// Number texts read as from_chars reads them, those of at most 15 digits with their digits kept.
TEST(DbfValues, NumberTextsReadAsTheNearestDouble) {
    const char* const texts[] = {"  -1500.00",
                                 "0.1",
                                 "-0.00",
                                 ".5",
                                 "5.",
                                 "-.25",
                                 "+12.5",
                                 "000000000000000000001.5",
                                 "123456789012345",
                                 "1234567890123456",
                                 "9.999999999999999",
                                 "0.000000000000000000001",
                                 "1e5",
                                 "1,5",
                                 "-",
                                 ".",
                                 "--1",
                                 "1.2.3",
                                 "  42  "};
    for (const char* text : texts) {
        for (const bool integer : {false, true}) {
            engine::Value value;
            engine::dbf::decodeNumber(text, integer, value);
            std::string plain = text;
            plain.erase(0, plain.find_first_not_of(' '));
            plain.erase(plain.find_last_not_of(' ') + 1);
            if (!plain.empty() && plain[0] == '+')
                plain.erase(0, 1);
            std::replace(plain.begin(), plain.end(), ',', '.');
            double expected = 0;
            const auto r = std::from_chars(plain.data(), plain.data() + plain.size(), expected);
            if (r.ec != std::errc() || r.ptr != plain.data() + plain.size()) {
                EXPECT_TRUE(value.isNull()) << text;
                continue;
            }
            if (value.kind == engine::Value::Kind::Integer) {
                EXPECT_TRUE(integer) << text;
                EXPECT_EQ(static_cast<double>(value.integer), expected) << text;
                continue;
            }
            ASSERT_EQ(value.kind, engine::Value::Kind::Float) << text;
            EXPECT_EQ(value.number, expected) << text;
            EXPECT_EQ(std::signbit(value.number), std::signbit(expected)) << text;
            if (value.decimals >= 0) {
                EXPECT_EQ(static_cast<double>(value.integer) / std::pow(10.0, value.decimals),
                          std::fabs(expected))
                    << text;
            }
        }
    }
    std::mt19937_64 random(7);
    for (int i = 0; i < 100000; ++i) {
        const std::string text =
            std::to_string(static_cast<std::int64_t>(random() % 2000000001) - 1000000000) + "." +
            std::to_string(random() % 100000);
        engine::Value value;
        engine::dbf::decodeNumber(text, false, value);
        ASSERT_EQ(value.number, std::stod(text)) << text;
        ASSERT_GE(value.decimals, 0) << text;
    }
}

} // namespace
} // namespace vorendal
