#include "firebird/firebirdliterals.h"

#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <tuple>

#include "source/engine/value.h"

namespace vorendal::firebird {
namespace {

std::string text(const std::function<void(std::string&)>& append) {
    std::string out;
    append(out);
    return out;
}

TEST(FirebirdLiterals, IdentifiersAndShortTexts) {
    const struct {
        std::string got;
        std::string expected;
    } cases[] = {
        {text([](std::string& o) { appendIdentifier(o, "CLI.2004"); }), "\"CLI.2004\""},
        {text([](std::string& o) { appendIdentifier(o, "a\"b c"); }), "\"a\"\"b c\""},
        {text([](std::string& o) { appendTextLiteral(o, ""); }), "''"},
        {text([](std::string& o) { appendTextLiteral(o, "'''"); }), "''''''''"},
        {text([](std::string& o) { appendTextLiteral(o, "D'Avila\r\n"); }), "'D''Avila\r\n'"},
        {text([](std::string& o) { appendBinaryLiteral(o, ""); }), "x''"},
        {text([](std::string& o) { appendBinaryLiteral(o, std::string("\x00\x01\xff", 3)); }),
         "x'0001FF'"},
        {text([](std::string& o) { appendScaledLiteral(o, 12345, 4); }), "1.2345"},
        {text([](std::string& o) { appendScaledLiteral(o, -5, 4); }), "-0.0005"},
        {text([](std::string& o) { appendScaledLiteral(o, 0, 4); }), "0.0000"},
        {text([](std::string& o) { appendScaledLiteral(o, 42, 0); }), "42"},
        {text([](std::string& o) {
             appendScaledLiteral(o, std::numeric_limits<std::int64_t>::min(), 4);
         }),
         "-922337203685477.5808"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.got, c.expected);
}

TEST(FirebirdLiterals, LongValuesAreJoinedPiecesCastToBlobs) {
    const std::string memo = std::string(kLiteralPieceBytes - 1, 'a') + "\xC3\xA9" + "b'";
    const std::string got = text([&](std::string& o) { appendTextLiteral(o, memo); });
    // The two-byte character is never split: the first piece stops before it.
    EXPECT_EQ(got, "CAST('" + std::string(kLiteralPieceBytes - 1, 'a') +
                       "' AS BLOB SUB_TYPE TEXT CHARACTER SET UTF8) || '\xC3\xA9"
                       "b'''");
    const std::string bytes(kLiteralPieceBytes + 1, '\x10');
    const std::string hex = text([&](std::string& o) { appendBinaryLiteral(o, bytes); });
    EXPECT_EQ(hex.rfind("CAST(x'1010", 0), 0U);
    EXPECT_NE(hex.find("' AS BLOB SUB_TYPE BINARY) || x'10'"), std::string::npos);
}

TEST(FirebirdLiterals, DatesAndTimesOnlyInsideFirebirdsRange) {
    using engine::dayNumberFromCivil;
    std::string out;
    EXPECT_TRUE(appendDateLiteral(out, dayNumberFromCivil(2004, 12, 25)));
    EXPECT_TRUE(appendTimeLiteral(out += ',', 23 * 3600000 + 59 * 60000 + 59 * 1000 + 999));
    EXPECT_TRUE(appendTimestampLiteral(out += ',', dayNumberFromCivil(1, 1, 1), 0));
    EXPECT_TRUE(appendDateLiteral(out += ',', dayNumberFromCivil(9999, 12, 31)));
    EXPECT_EQ(out, "DATE '2004-12-25',TIME '23:59:59.9990',TIMESTAMP '0001-01-01 00:00:00.0000',"
                   "DATE '9999-12-31'");
    std::string refused;
    EXPECT_FALSE(appendDateLiteral(refused, dayNumberFromCivil(10000, 1, 1)));
    EXPECT_FALSE(appendDateLiteral(refused, dayNumberFromCivil(0, 12, 31)));
    EXPECT_FALSE(appendTimeLiteral(refused, 24 * 3600000));
    EXPECT_FALSE(appendTimestampLiteral(refused, dayNumberFromCivil(2004, 1, 1), -1));
    EXPECT_EQ(refused, "");
}

// Firebird reads short decimals exactly; longer ones go through an exact binary product.
TEST(FirebirdLiterals, DoublesComeBackExactly) {
    const struct {
        double value;
        const char* expected;
    } cases[] = {
        {0.0, "0"},
        {-0.0, "0"},
        {2.5, "2.5"},
        {-3.456, "-3.456"},
        {0.1, "0.1"},
        {1e20, "1e+20"},
        {1.5e-05, "1.5e-05"},
        {0.1 + 0.2, "1351079888211149*POWER(2E0,-52)"},
        {-220382.38595773187, "-236633785075727*POWER(2E0,-30)"},
        {std::numeric_limits<double>::denorm_min(), "1*POWER(2E0,-1074)"},
        {9007199254740993.0, "9007199254740992"},
        {1e300, "1681218273811815*POWER(2E0,946)"},
    };
    for (const auto& c : cases) {
        std::string out;
        EXPECT_TRUE(appendDoubleLiteral(out, c.value)) << c.expected;
        EXPECT_EQ(out, c.expected);
    }
    std::string refused;
    EXPECT_FALSE(appendDoubleLiteral(refused, std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(appendDoubleLiteral(refused, std::nan("")));
    EXPECT_EQ(refused, "");
}

} // namespace
// Written from the digits, a decimal gives the text its nearest double gives.
TEST(FirebirdLiterals, DecimalsAsTheirDoubles) {
    std::mt19937_64 random(12345);
    std::vector<std::tuple<bool, std::uint64_t, int>> decimals = {
        {false, 0, 2},
        {true, 0, 0},
        {false, 100000, 0},
        {false, 1, 0},
        {true, 150, 2},
        {false, 1, 5},
        {false, 15, 6},
        {false, 1, 22},
        {false, 999999999999999, 0},
        {false, 999999999999999, 22},
        {true, 123456789012345, 3},
        {false, 10000000000000, 0},
        {false, 1000000000000, 0},
        {false, 5, 4},
    };
    for (int i = 0; i < 200000; ++i) {
        const int digits = static_cast<int>(random() % 15) + 1;
        std::uint64_t magnitude = random() % 1000000000000000;
        for (int d = digits; d < 15; ++d)
            magnitude /= 10;
        decimals.emplace_back(random() % 2 == 0, magnitude, static_cast<int>(random() % 23));
    }
    for (const auto& [negative, magnitude, scale] : decimals) {
        const std::string text =
            (negative ? "-" : "") + std::to_string(magnitude) + "e-" + std::to_string(scale);
        const double nearest = std::strtod(text.c_str(), nullptr);
        std::string expected;
        appendDoubleLiteral(expected, nearest);
        std::string out = "x";
        appendDecimalLiteral(out, negative, magnitude, scale, nearest);
        ASSERT_EQ(out, "x" + expected) << text;
    }
}

} // namespace vorendal::firebird
