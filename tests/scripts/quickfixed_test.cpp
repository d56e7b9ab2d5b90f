// The integer path of the fixed "0.00" form writes what the full form writes, or declines.

#include "scripts/quickfixed.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <string>

#include "scripts/valueformat.h"

namespace vorendal {
namespace {

void expectSameAsFullForm(double value, std::string_view separator) {
    std::string quick;
    std::string full;
    appendFixed2(full, value, separator);
    if (tryAppendFixed2(quick, value, separator))
        EXPECT_EQ(quick, full) << std::hexfloat << value;
    else
        EXPECT_EQ(quick, "");
}

TEST(QuickFixed, AgreesWithTheFullFormOrDeclines) {
    const double edges[] = {0.0,    -0.0,   0.125,   -0.125, 2.675,  0.005,   -0.004,   0.0049999,
                            10.0,   1e-300, -1e-300, 1e12,   -1e12,  9.99e11, 2.5,      -3.456,
                            1.2345, 0.995,  1.005,   1.015,  1234.5, 999.995, INFINITY, NAN};
    for (const double v : edges) {
        expectSameAsFullForm(v, ".");
        expectSameAsFullForm(v, ",");
    }
    std::mt19937_64 random(20041225);
    std::uniform_int_distribution<int> exponent(-8, 13);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<std::int64_t> thousandths(-99999999, 99999999);
    int declined = 0;
    for (int i = 0; i < 200000; ++i) {
        // random magnitudes, and values on and beside thousandths, where the rounding decides
        const double spread = mantissa(random) * std::pow(10.0, exponent(random));
        const double onGrid = static_cast<double>(thousandths(random)) / 1000.0;
        for (const double v :
             {spread, onGrid, std::nextafter(onGrid, 0.0), std::nextafter(onGrid, 1e300)}) {
            std::string quick;
            if (!tryAppendFixed2(quick, v, ","))
                ++declined;
            expectSameAsFullForm(v, ",");
        }
    }
    EXPECT_LT(declined, 100000); // the integer path takes nearly all values
}

// The digits of a table's number text give what the double read from them gives.
TEST(QuickFixed, DecimalDigitsAgreeWithTheDoubleOrDecline) {
    struct Case {
        bool negative;
        std::uint64_t magnitude;
        int scale;
    };
    const Case edges[] = {{false, 0, 0},
                          {true, 0, 2},
                          {false, 2675, 3},
                          {false, 5, 3},
                          {true, 4, 3},
                          {true, 5, 3},
                          {false, 12345, 4},
                          {false, 995, 3},
                          {false, 1005, 3},
                          {false, 1, 15},
                          {false, 999999999999999, 2},
                          {true, 999999999999995, 3},
                          {false, 123456789012345, 9}};
    for (const Case& c : edges) {
        std::string quick;
        std::string full;
        const double magnitude = static_cast<double>(c.magnitude) / std::pow(10.0, c.scale);
        appendFixed2(full, c.negative ? -magnitude : magnitude, ",");
        if (tryAppendFixed2Decimal(quick, c.negative, c.magnitude, c.scale, ",")) {
            EXPECT_EQ(quick, full) << c.magnitude << "e-" << c.scale;
        }
    }
    std::mt19937_64 random(19991231);
    std::uniform_int_distribution<int> digits(1, 15);
    std::uniform_int_distribution<int> scales(0, 15);
    std::uniform_int_distribution<int> digit(0, 9);
    for (int i = 0; i < 300000; ++i) {
        // texts of up to 15 digits, often ending in 5 where the third decimal decides
        std::string text;
        const int count = digits(random);
        for (int k = 0; k < count; ++k)
            text += static_cast<char>('0' + digit(random));
        if (i % 3 == 0)
            text.back() = '5';
        const int scale = std::min(scales(random), count);
        std::string withPoint = text;
        withPoint.insert(withPoint.size() - static_cast<std::size_t>(scale), ".");
        const double value = std::stod(withPoint);
        const std::uint64_t magnitude = std::stoull(text);
        const bool negative = i % 2 == 1;
        std::string quick;
        std::string full;
        appendFixed2(full, negative ? -value : value, ".");
        if (tryAppendFixed2Decimal(quick, negative, magnitude, scale, ".")) {
            ASSERT_EQ(quick, full) << withPoint;
        }
    }
}

} // namespace
} // namespace vorendal
