// The integer path of the fixed "0.00" form writes what the full form writes, or declines.

#include "scripts/quickfixed.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>

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

} // namespace
} // namespace vorendal
