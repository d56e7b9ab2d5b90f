#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "scripts/regionalsettings.h"

namespace vorendal {

// Number, date and time texts of the data export. Each function appends to out and allocates
// nothing beyond out's own growth; none reads the C library's locale.

// Fixed form with the pattern "0.00": two decimals, rounded away from zero when the third decimal
// of the value's 18-significant-digit expansion is 5 or more, else toward zero; no thousands
// separator; a negative value that rounds to zero has no sign. 10^18 and above in magnitude (and
// non-finite values) fall back to the general form.
void appendFixed2(std::string& out, double value, std::string_view decimalSeparator);

// General form: 15 significant digits, trailing zeros (and a bare separator) dropped; plain
// notation for at most 15 integer digits and a magnitude of 0.0001 or more (or zero), else
// d.dddE[-]x.
void appendGeneral(std::string& out, double value, std::string_view decimalSeparator);

// A money value given as an integer scaled by 10,000 (already rounded, ties to even), written in
// the general form.
void appendCurrency(std::string& out, std::int64_t scaled, std::string_view decimalSeparator);

// The date part of a date-time (days since 1899-12-30, the time as fraction) in the short date
// pattern of the settings.
void appendShortDate(std::string& out, double dateTime, const RegionalSettings& settings);

// The time of day of a date-time in the long time format of the settings: hour ("h" or "hh"),
// separator, two-digit minutes, separator, two-digit seconds, and the day-half marker on a
// 12-hour clock.
void appendLongTime(std::string& out, double dateTime, const RegionalSettings& settings);

} // namespace vorendal
