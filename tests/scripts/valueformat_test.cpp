// Number, date and time texts of the data export, case by case.

#include "scripts/valueformat.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include <gtest/gtest.h>

namespace vorendal {
namespace {

struct NumberCase {
    double value;
    const char* expected;
};

TEST(ValueFormatTest, FixedFormRoundsOnTheEighteenDigitExpansion) {
    const NumberCase cases[] = {
        {0.125, "0.13"},
        {-0.125, "-0.13"},
        {2.675, "2.67"}, // stored just below 2.675
        {-0.004, "0.00"},
        {-0.0, "0.00"},
        {0.005, "0.01"},
        {0.0049, "0.00"},
        {10, "10.00"},
        {0, "0.00"},
        {2.5, "2.50"},
        {-3.456, "-3.46"},
        {9.995, "9.99"}, // stored just below
        {9.9951, "10.00"},
        {-999.999, "-1000.00"},
        {1234567.891, "1234567.89"},
        {1e-300, "0.00"},
        {999999999999999872.0, "999999999999999872.00"}, // the last double below 10^18
        {999999999999999999.5, "1E18"},                  // reads as 10^18
        {1e18, "1E18"},
        {-2.5e20, "-2.5E20"},
        {1.5e19, "1.5E19"},
        {std::numeric_limits<double>::infinity(), "INF"},
    };
    for (const auto& c : cases) {
        std::string out = "x";
        appendFixed2(out, c.value, ".");
        EXPECT_EQ(out, std::string("x") + c.expected) << c.value;
    }
    std::string comma;
    appendFixed2(comma, 2.5, ",");
    EXPECT_EQ(comma, "2,50");
}

TEST(ValueFormatTest, GeneralFormKeepsFifteenDigits) {
    const NumberCase cases[] = {
        {0, "0"},
        {100, "100"},
        {19.9, "19.9"},
        {-7.5, "-7.5"},
        {0.0001, "0.0001"},
        {0.00015, "0.00015"},
        {1.5e-5, "1.5E-5"},
        {1e19, "1E19"},
        {-2.5e20, "-2.5E20"},
        {1e15, "1E15"},
        {123456789012345.0, "123456789012345"},
        {1234567890123456.0, "1.23456789012346E15"},
        {0.1, "0.1"},
        {1.0 / 3, "0.333333333333333"},
        {2.0 / 3, "0.666666666666667"},
        {0.1 + 0.2, "0.3"},
        {999999999999999.5, "1E15"}, // rounds up to 16 integer digits
        {0.00009999999999999999, "0.0001"},
        {1e-300, "1E-300"},
    };
    for (const auto& c : cases) {
        std::string out;
        appendGeneral(out, c.value, ".");
        EXPECT_EQ(out, c.expected) << c.value;
    }
}

TEST(ValueFormatTest, CurrencyIsExactOverTheWholeRange) {
    const struct {
        std::int64_t scaled;
        const char* expected;
    } cases[] = {
        {1000000, "100"},
        {199000, "19.9"},
        {12345, "1.2345"},
        {312, "0.0312"}, // 0.03125 after ties to even
        {938, "0.0938"}, // 0.09375 after ties to even
        {-75000, "-7.5"},
        {0, "0"},
        {1, "0.0001"},
        {-1, "-0.0001"},
        {123456789012345, "12345678901.2345"},
        {1234567890123456, "123456789012.346"},
        {std::numeric_limits<std::int64_t>::max(), "922337203685478"},
        {std::numeric_limits<std::int64_t>::min(), "-922337203685478"},
        // 19 digits: the 18-digit expansion (ties to even) decides, ...4995 -> ...50 -> up
        {1000000000000004995, "100000000000001"},
        {1000000000000004985, "100000000000000"},
    };
    for (const auto& c : cases) {
        std::string out;
        appendCurrency(out, c.scaled, ",");
        std::string expected = c.expected;
        for (char& ch : expected)
            ch = ch == '.' ? ',' : ch;
        EXPECT_EQ(out, expected) << c.scaled;
    }
}

RegionalSettings brazil() {
    RegionalSettings s;
    s.decimalSeparator = ",";
    s.shortDatePattern = "dd/MM/yyyy";
    s.hourLeadingZero = true;
    s.twentyFourHour = true;
    return s;
}

constexpr double kChristmas2004 = 38346; // 2004-12-25, a Saturday

TEST(ValueFormatTest, ShortDatePatterns) {
    const struct {
        const char* pattern;
        const char* separator;
        double dateTime;
        const char* expected;
    } cases[] = {
        {"dd/MM/yyyy", "/", kChristmas2004, "25/12/2004"},
        {"dd/MM/yyyy", "/", 0, "30/12/1899"},
        {"dd/MM/yyyy", "/", kChristmas2004 + 0.75, "25/12/2004"},
        {"m/d/yy", "/", kChristmas2004 + 10, "1/4/05"},
        {"M/D/YY", "-", 1, "12-31-99"},
        {"yyyy/mm/dd", ".", -1.25, "1899.12.29"}, // integer part toward zero
        {"d/m/yyyy", "/", -693593, "1/1/0001"},
        {"dddd, d 'de' mmmm", "/", kChristmas2004, "Saturday, 25 de December"},
        {"ddd d mmm \"yy\" yy", "/", kChristmas2004, "Sat 25 Dec yy 04"},
        {"d 'open", "/", kChristmas2004, "25 open"},
        {"y/yyy/yyyyy", "/", kChristmas2004, "04/2004/2004"},
        {"ddddd", "/", 1, "Sunday"},
    };
    for (const auto& c : cases) {
        RegionalSettings s;
        s.shortDatePattern = c.pattern;
        s.dateSeparator = c.separator;
        std::string out;
        appendShortDate(out, c.dateTime, s);
        EXPECT_EQ(out, c.expected) << c.pattern << " " << c.dateTime;
    }
}

TEST(ValueFormatTest, LongTimeSettings) {
    // 14:05:09 as a date-time fraction, one bit low: still that second.
    const double afternoon = std::nextafter((14 * 3600 + 5 * 60 + 9) / 86400.0, 0.0);
    RegionalSettings twelveHour;
    twelveHour.pmText = "PM";
    twelveHour.amText = "AM";
    RegionalSettings markerFirst = twelveHour;
    markerFirst.markerBeforeTime = true;
    markerFirst.hourLeadingZero = true;
    markerFirst.timeSeparator = ".";
    RegionalSettings noMarker = twelveHour;
    noMarker.amText.clear();
    const struct {
        RegionalSettings settings;
        double dateTime;
        const char* expected;
    } cases[] = {
        {brazil(), kChristmas2004 + afternoon, "14:05:09"},
        {brazil(), 0, "00:00:00"},
        {brazil(), -1.25, "06:00:00"},
        {brazil(), 0.99999999999, "23:59:59"}, // half a millisecond short of midnight
        {twelveHour, afternoon, "2:05:09 PM"},
        {twelveHour, 0, "12:00:00 AM"},
        {twelveHour, 0.5, "12:00:00 PM"},
        {twelveHour, 11.0 / 24, "11:00:00 AM"},
        {markerFirst, afternoon, "PM 02.05.09"},
        {noMarker, 0.25, "6:00:00"},
        {RegionalSettings{}, 0, "12:00:00 am"},
    };
    for (const auto& c : cases) {
        std::string out;
        appendLongTime(out, c.dateTime, c.settings);
        EXPECT_EQ(out, c.expected) << c.dateTime;
    }
}

} // namespace
} // namespace vorendal
