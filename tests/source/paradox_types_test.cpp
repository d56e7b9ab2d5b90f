// Paradox field types and values, written by the fixture builders and read back through the
// reader interface.
#include <cmath>
#include <gtest/gtest.h>

#include "base/exceptions.h"
#include "source/engine/engineerrors.h"
#include "tests/fixtures/paradoxfixture.h"
#include "tests/fixtures/paradoxreadback.h"

namespace vorendal {
namespace {

using engine::Value;
using fixtures::ParadoxTableBuilder;
using fixtures::readAllRows;
namespace px = fixtures::px;

std::string describe(const Value& v) {
    return fixtures::describeValue(v);
}

TEST(ParadoxTypes, EveryTypeLetterMapsToItsFieldTypeAndSize) {
    struct Case {
        char letter;
        int size;
        TFieldType type;
        int reported;
    };
    const Case cases[] = {
        {'A', 20, ftString, 20},   {'D', 0, ftDate, 0},    {'S', 0, ftSmallint, 0},
        {'I', 0, ftInteger, 0},    {'+', 0, ftAutoInc, 0}, {'N', 0, ftFloat, 0},
        {'$', 0, ftCurrency, 0},   {'L', 0, ftBoolean, 0}, {'M', 20, ftMemo, 20},
        {'F', 0, ftFmtMemo, 0},    {'B', 5, ftBlob, 5},    {'G', 0, ftGraphic, 0},
        {'O', 0, ftParadoxOle, 0}, {'T', 0, ftTime, 0},    {'@', 0, ftDateTime, 0},
        {'#', 2, ftBCD, 2},        {'Y', 16, ftBytes, 16},
    };
    ParadoxTableBuilder b(12);
    for (const auto& c : cases)
        b.field(std::string("F") + c.letter, c.letter, c.size);
    const auto reader = fixtures::openParadox(b.build());
    const auto& fields = reader->fields();
    ASSERT_EQ(fields.size(), std::size(cases));
    for (std::size_t i = 0; i < fields.size(); ++i) {
        SCOPED_TRACE(cases[i].letter);
        EXPECT_EQ(fields[i].name, std::string("F") + cases[i].letter);
        EXPECT_EQ(fields[i].type, cases[i].type);
        EXPECT_EQ(fields[i].size, cases[i].reported);
        EXPECT_FALSE(fields[i].required);
    }
}

TEST(ParadoxTypes, UnknownTypesAndImpossibleSizesAreUnknownButKeepTheirBytes) {
    ParadoxTableBuilder b(11);
    b.field("Before", 'S')
        .rawField("Mystery", 0x30, 3) // no such type
        .rawField("OddDate", 0x02, 3) // a date is 4 bytes
        .rawField("Empty", 0x01, 0)   // alpha of length 0
        .rawField("TinyMemo", 0x0C, 5)
        .field("After", 'S');
    b.row({px::shortInt(7), px::raw("xyz"), px::raw("abc"), px::blank(), px::raw("12345"),
           px::shortInt(-9)});
    const auto reader = fixtures::openParadox(b.build());
    const auto& f = reader->fields();
    ASSERT_EQ(f.size(), 6u);
    for (std::size_t i = 1; i <= 4; ++i) {
        EXPECT_EQ(f[i].type, ftUnknown) << f[i].name;
        EXPECT_EQ(f[i].size, 0) << f[i].name;
    }
    const auto rows = readAllRows(*reader);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(describe(rows[0][0]), "int:7");
    EXPECT_EQ(describe(rows[0][1]), "null");
    EXPECT_EQ(describe(rows[0][5]), "int:-9");
}

// Values whose stored bytes are spelled out here, independently of the builder's encoders.
TEST(ParadoxTypes, StoredBytesDecodeAsDocumented) {
    struct Case {
        char type;
        int size;
        std::string bytes;
        std::string expected;
    };
    const Case cases[] = {
        {'S', 0, std::string("\x80\x01", 2), "int:1"},
        {'S', 0, std::string("\x7F\xFF", 2), "int:-1"},
        {'S', 0, std::string("\x80\x00", 2), "int:0"},
        {'S', 0, std::string("\x00\x00", 2), "null"},
        {'S', 0, std::string("\xFF\xFF", 2), "int:32767"},
        {'S', 0, std::string("\x00\x01", 2), "int:-32767"},
        {'I', 0, std::string("\xFF\xFF\xFF\xFF", 4), "int:2147483647"},
        {'I', 0, std::string("\x00\x00\x00\x01", 4), "int:-2147483647"},
        {'+', 0, std::string("\x80\x00\x00\x2A", 4), "int:42"},
        {'D', 0, std::string("\x80\x0B\x1E\xCF", 4), "date:728783"},  // 1996-05-04
        {'D', 0, std::string("\x80\x00\x00\x01", 4), "date:1"},       // 0001-01-01
        {'D', 0, std::string("\x80\x37\xB9\xDB", 4), "date:3652059"}, // 9999-12-31
        {'T', 0, std::string("\x85\x26\x5B\xFF", 4), "time:86399999"},
        {'T', 0, std::string("\x80\x36\xF2\x68", 4), "time:3601000"}, // 01:00:01
        {'T', 0, std::string("\x80\x00\x00\x00", 4), "time:0"},       // midnight is not blank
        {'N', 0, std::string("\xC0\x00\x00\x00\x00\x00\x00\x00", 8), "float:2"},
        {'N', 0, std::string("\x3F\xFF\xFF\xFF\xFF\xFF\xFF\xFF", 8), "float:-2"},
        {'$', 0, std::string("\x3E\xCD\x29\x78\x1C\x28\xF5\xC2", 8), "float:-1234567.89"},
        {'$', 0, std::string("\xC1\x32\xD6\x87\xE3\xD7\x0A\x3D", 8), "float:1234567.89"},
        {'N', 0, std::string("\x40\xAF\x9D\xB2\x2D\x0E\x56\x03", 8), "float:-0.001"},
        {'N', 0, std::string("\x80\x00\x00\x00\x00\x00\x00\x00", 8), "float:0"},
        {'$', 0, std::string(8, '\0'), "null"},
        // 63716202001000 ms = 2020-02-01 01:00:01
        {'@', 0, std::string("\xC2\xCC\xF9\x8A\xCB\x19\x34\x00", 8), "datetime:737456+3601000"},
        {'L', 0, std::string("\x81", 1), "bool:1"},
        {'L', 0, std::string("\x80", 1), "bool:0"},
        {'L', 0, std::string("\x00", 1), "null"},
        {'#', 2, std::string("\xC2") + std::string(14, '\0') + "\x01\x23", "float:1.23"},
        {'#', 2, std::string("\x42") + std::string(14, '\xFF') + "\xFE\xDC", "float:-1.23"},
        {'#', 2, std::string(17, '\0'), "null"},
        {'Y', 4, std::string("\x01\x00\x02\x00", 4), "bytes:01000200"},
        {'Y', 4, std::string(4, '\0'), "null"},
        {'Y', 4, std::string("\x00\x00\x00\x09", 4), "bytes:00000009"}, // blank only if all zero
        {'A', 6, std::string("AB\0CD", 5), "text:AB"},
        {'A', 6, std::string("ABCDEF", 6), "text:ABCDEF"},
        {'A', 6, std::string("  x ", 4), "text:  x "},
        {'A', 6, std::string(6, '\0'), "null"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(1, c.type) + " " + c.expected);
        ParadoxTableBuilder b(12);
        b.field("V", c.type, c.size).row({px::raw(c.bytes)});
        const auto rows = readAllRows(*fixtures::openParadox(b.build()));
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(describe(rows[0][0]), c.expected);
    }
}

TEST(ParadoxTypes, BcdKeepsItsScaleAndSign) {
    struct Case {
        const char* decimal;
        int scale;
        double expected;
    };
    const Case cases[] = {
        {"0", 0, 0.0},          {"12345678901234", 0, 12345678901234.0},
        {"-7", 0, -7.0},        {"1.23", 2, 1.23},
        {"-0.05", 2, -0.05},    {"99999999999999999999999999999.999", 3, 1e29},
        {"0.0123", 32, 0.0123}, {"-0.0000000000000000000000000000001", 32, -1e-31},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.decimal);
        ParadoxTableBuilder b(11);
        b.field("Amount", '#', c.scale).row({px::bcd(c.decimal, c.scale)});
        const auto reader = fixtures::openParadox(b.build());
        EXPECT_EQ(reader->fields()[0].size, c.scale);
        const auto rows = readAllRows(*reader);
        ASSERT_EQ(rows[0][0].kind, Value::Kind::Float);
        EXPECT_DOUBLE_EQ(rows[0][0].number, c.expected);
        EXPECT_FALSE(std::signbit(rows[0][0].number) && c.expected == 0.0);
    }
}

TEST(ParadoxTypes, BcdDigitsAboveNineCountAsZero) {
    // scale 2: digits ...1A.B3 with the nibbles A and B invalid -> 10.03
    const std::string stored = std::string("\xC2") + std::string(14, '\0') + "\x1A\xB3";
    ParadoxTableBuilder b(11);
    b.field("Amount", '#', 2).row({px::raw(stored)});
    const auto rows = readAllRows(*fixtures::openParadox(b.build()));
    EXPECT_DOUBLE_EQ(rows[0][0].number, 10.03);
}

TEST(ParadoxTypes, ABcdScaleAbove32IsReportedAsDamage) {
    ParadoxTableBuilder b(11);
    b.field("Amount", '#', 2).row({px::raw(std::string("\xE1") + std::string(16, '\x11'))});
    const auto reader = fixtures::openParadox(b.build());
    ASSERT_TRUE(reader->first());
    Value v;
    try {
        reader->value(0, v);
        FAIL() << "no error";
    } catch (const EDBEngineError& e) {
        EXPECT_EQ(e.errorCode(), engine::errCorrupt);
        EXPECT_NE(std::string(e.what()).find("Amount"), std::string::npos);
    }
}

// A time field counts milliseconds since midnight; a count outside one day cannot come from a
// sound table and would otherwise surface as text like "00:00:00.0-1".
TEST(ParadoxTypes, ATimeOutsideTheDayIsReportedAsDamage) {
    struct Case {
        std::string stored;
        const char* expected; // as describeValue writes it, or "damaged"
    };
    const Case cases[] = {
        {std::string("\x80\x00\x00\x00", 4), "time:0"},
        {std::string("\x85\x26\x5B\xFF", 4), "time:86399999"},
        {std::string("\x00\x00\x00\x00", 4), "null"},
        {std::string("\x7F\xFF\xFF\xFF", 4), "damaged"}, // -1
        {std::string("\x85\x26\x5C\x00", 4), "damaged"}, // 86400000, 24:00:00
        {std::string("\xFF\xFF\xFF\xFF", 4), "damaged"}, // 2147483647
        {std::string("\x00\x00\x00\x01", 4), "damaged"}, // -2147483647
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        ParadoxTableBuilder b(11);
        b.field("Clock", 'T').field("After", 'S').row({px::raw(c.stored), px::shortInt(5)});
        const auto reader = fixtures::openParadox(b.build());
        ASSERT_TRUE(reader->first());
        Value v;
        reader->value(1, v); // the rest of the record stays readable
        EXPECT_EQ(describe(v), "int:5");
        try {
            reader->value(0, v);
            EXPECT_EQ(describe(v), c.expected);
        } catch (const EDBEngineError& e) {
            EXPECT_STREQ(c.expected, "damaged") << e.what();
            EXPECT_EQ(e.errorCode(), engine::errCorrupt);
            EXPECT_NE(std::string(e.what()).find("Clock"), std::string::npos);
        }
    }
}

TEST(ParadoxTypes, TextIsConvertedFromTheTablesCodePage) {
    struct Case {
        std::uint8_t version;
        int codePage;
        std::string sortOrder;
        std::string stored;
        std::string expected; // Windows-1252
    };
    const Case cases[] = {
        {12, 850, "ascii", "Caf\x82 \x9C", "Caf\xE9 \xA3"},        // é, £
        {11, 437, "intl", "Adh\x82rent \xE1", "Adh\xE9rent \xDF"}, // é, ß
        {9, 1252, "ANSII850",
         "Montr\xE9"
         "al",
         "Montr\xE9"
         "al"},
        {9, 0, "BLROM800", "\xC5t\xC5", "\xE9t\xE9"}, // HP Roman-8 é
        {4, 0, "", "Caf\x82", "Caf\xE9"},             // 3.5: no code page, DOS 437
        {3, 0, "",
         "\x9A"
         "ber",
         "\xDC"
         "ber"},                                      // 3.0: Ü in 437
        {12, 866, "cyrillic", "\x8C\xA8\xE0", "???"}, // no 1252 form
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        ParadoxTableBuilder b(c.version);
        b.codePage(c.codePage, c.sortOrder).field("N\xF8me", 'A', 20).row({px::alpha(c.stored)});
        const auto reader = fixtures::openParadox(b.build());
        if (c.codePage == 437 || c.version < 5) { // field names are converted too
            EXPECT_EQ(reader->fields()[0].name, "N\xB0me");
        }
        const auto rows = readAllRows(*reader);
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(describe(rows[0][0]), "text:" + c.expected);
    }
}

TEST(ParadoxTypes, EveryTableLevelReadsTheSameRows) {
    for (std::uint8_t version : {3, 4, 5, 9, 10, 11, 12}) {
        SCOPED_TRACE(static_cast<int>(version));
        ParadoxTableBuilder b(version);
        b.field("Name", 'A', 12)
            .field("Count", 'S')
            .field("Price", '$')
            .field("When", 'D')
            .field("Ratio", 'N')
            .keyFields(1);
        for (int i = 0; i < 40; ++i)
            b.row({px::alpha("Item " + std::to_string(i)),
                   px::shortInt(static_cast<std::int16_t>(i)), px::number(i * 1.25),
                   px::date(1990 + i, 1 + i % 12, 1 + i % 28),
                   i % 5 == 0 ? px::blank() : px::number(-i / 8.0)});
        const auto files = b.build();
        if (version == 3) {
            EXPECT_LT(b.headerSize(), 0x800u); // the compact 3.0 header
        }
        const auto reader = fixtures::openParadox(files);
        ASSERT_EQ(reader->fields().size(), 5u);
        EXPECT_EQ(reader->fields()[3].type, ftDate);
        const auto rows = readAllRows(*reader);
        ASSERT_EQ(rows.size(), 40u);
        for (int i = 0; i < 40; ++i) {
            const auto& r = rows[static_cast<std::size_t>(i)];
            EXPECT_EQ(r[0].text, "Item " + std::to_string(i));
            EXPECT_EQ(r[1].integer, i);
            EXPECT_DOUBLE_EQ(r[2].number, i * 1.25);
            EXPECT_EQ(r[3].days, engine::dayNumberFromCivil(1990 + i, 1 + i % 12, 1 + i % 28));
            EXPECT_EQ(r[4].isNull(), i % 5 == 0);
        }
    }
}

TEST(ParadoxTypes, ValuesAreReadOnlyForTheColumnAskedAndReuseTheCallersBuffer) {
    ParadoxTableBuilder b(12);
    b.field("A", 'A', 30).field("Broken", '#', 2).field("B", 'A', 30);
    b.row({px::alpha("first"), px::raw(std::string("\xFF") + std::string(16, '\0')),
           px::alpha("second")});
    const auto reader = fixtures::openParadox(b.build());
    ASSERT_TRUE(reader->first());
    Value v;
    v.text.reserve(100);
    const char* buffer = v.text.data();
    reader->value(2, v); // the damaged column is never decoded
    EXPECT_EQ(v.text, "second");
    reader->value(0, v);
    EXPECT_EQ(v.text, "first");
    EXPECT_EQ(v.text.data(), buffer);
}

} // namespace
} // namespace vorendal
