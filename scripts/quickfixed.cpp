#include "scripts/quickfixed.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace vorendal {
namespace {

constexpr double kLimit = 1e12;
// Far more than the product's rounding error (half an ulp, 1.1e-16 relative) and the 18-digit
// expansion's own rounding (5e-18 relative) can move a value.
constexpr double kRelativeGuard = 1e-15;

// Hundredths as appendFixed2 writes them: the sign only when they are not zero.
void appendHundredths(std::string& out, bool negative, std::uint64_t hundredths,
                      std::string_view decimalSeparator) {
    if (negative && hundredths != 0)
        out += '-';
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, hundredths / 100).ptr;
    out.append(digits, static_cast<std::size_t>(end - digits));
    out.append(decimalSeparator);
    const auto cents = static_cast<char>(hundredths % 100);
    const char tail[2] = {static_cast<char>('0' + cents / 10), static_cast<char>('0' + cents % 10)};
    out.append(tail, 2);
}

constexpr std::uint64_t kPowersOfTen[] = {1,
                                          10,
                                          100,
                                          1000,
                                          10000,
                                          100000,
                                          1000000,
                                          10000000,
                                          100000000,
                                          1000000000,
                                          10000000000,
                                          100000000000,
                                          1000000000000,
                                          10000000000000,
                                          100000000000000,
                                          1000000000000000,
                                          10000000000000000,
                                          100000000000000000,
                                          1000000000000000000};
constexpr int kMaxScale = 18;
// Beyond, the double may lie half a hundredth or more away from the digits.
constexpr std::uint64_t kLimitInteger = 1000000000000;

} // namespace

bool tryAppendFixed2Decimal(std::string& out, bool negative, std::uint64_t magnitude, int scale,
                            std::string_view decimalSeparator) {
    if (scale < 0 || scale > kMaxScale || magnitude / kPowersOfTen[scale] >= kLimitInteger)
        return false;
    // The double lies within an eighth of the decimal's last digit of it (at most 15 significant
    // digits), and below 10^12 within 10^-4 of it, and so does its 18-digit expansion: every
    // rounding appendFixed2 takes on it comes out as on the digits, but for a remainder of exactly
    // half a hundredth.
    std::uint64_t hundredths = 0;
    if (scale <= 2) {
        hundredths = magnitude * kPowersOfTen[2 - scale];
    } else {
        const std::uint64_t unit = kPowersOfTen[scale - 2];
        const std::uint64_t rest = magnitude % unit;
        const std::uint64_t half = unit / 2;
        if (rest == half)
            return false;
        hundredths = magnitude / unit + (rest > half ? 1 : 0);
    }
    appendHundredths(out, negative, hundredths, decimalSeparator);
    return true;
}

bool tryAppendFixed2(std::string& out, double value, std::string_view decimalSeparator) {
    const double magnitude = std::fabs(value);
    if (!(magnitude < kLimit))
        return false;
    // in thousandths: the rounded product is within the guard of the exact one
    const double product = magnitude * 1000.0;
    // below 10^15: the truncation is exact and fits a signed 64-bit integer
    const auto thousandths = static_cast<std::uint64_t>(static_cast<std::int64_t>(product));
    const double fraction = product - static_cast<double>(thousandths);
    const double guard = product * kRelativeGuard;
    if (fraction <= guard || fraction >= 1.0 - guard) {
        // The value lies at a whole thousandth or within a hair of one, where the expansion may
        // fall on either side. That changes the result only at a thousandth ending in 5, where
        // the third decimal decides between down (4) and up (5).
        const std::uint64_t boundary = fraction <= guard ? thousandths : thousandths + 1;
        if (boundary % 10 == 5)
            return false;
    }
    const std::uint64_t hundredths = thousandths / 10 + (thousandths % 10 >= 5 ? 1 : 0);
    appendHundredths(out, value < 0, hundredths, decimalSeparator);
    return true;
}

} // namespace vorendal
