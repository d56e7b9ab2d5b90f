#pragma once

#include <string>
#include <string_view>

namespace vorendal {

// appendFixed2 for the common values, by integer arithmetic: the same text, without taking the
// value's 18-digit decimal expansion. Returns false, out unchanged, for a value of 10^12 or more
// in magnitude (or not finite), and for one so near a rounding boundary that only the expansion
// can decide; appendFixed2 then writes it.
bool tryAppendFixed2(std::string& out, double value, std::string_view decimalSeparator);

} // namespace vorendal
