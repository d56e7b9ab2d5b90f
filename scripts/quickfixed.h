#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vorendal {

// appendFixed2 for the common values, by integer arithmetic: the same text, without taking the
// value's 18-digit decimal expansion. Returns false, out unchanged, for a value of 10^12 or more
// in magnitude (or not finite), and for one so near a rounding boundary that only the expansion
// can decide; appendFixed2 then writes it.
bool tryAppendFixed2(std::string& out, double value, std::string_view decimalSeparator);

// appendFixed2 of the double nearest to the decimal magnitude / 10^scale (negative: with a minus
// sign), magnitude below 10^15, from its digits: the same text without the double. Returns false,
// out unchanged, for a value of 10^12 or more, and when the value lies exactly halfway between
// two hundredths: whether the double falls below or above decides, and only appendFixed2 knows.
bool tryAppendFixed2Decimal(std::string& out, bool negative, std::uint64_t magnitude, int scale,
                            std::string_view decimalSeparator);

} // namespace vorendal
