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

} // namespace

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
    if (value < 0 && hundredths != 0)
        out += '-';
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, hundredths / 100).ptr;
    out.append(digits, static_cast<std::size_t>(end - digits));
    out.append(decimalSeparator);
    const auto cents = static_cast<char>(hundredths % 100);
    const char tail[2] = {static_cast<char>('0' + cents / 10), static_cast<char>('0' + cents % 10)};
    out.append(tail, 2);
    return true;
}

} // namespace vorendal
