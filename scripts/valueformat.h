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
// Non-finite values (only a damaged table holds them) are written INF, -INF and NAN.
void appendFixed2(std::string& out, double value, std::string_view decimalSeparator);

// General form: 15 significant digits, trailing zeros (and a bare separator) dropped; plain
// notation for at most 15 integer digits and a magnitude of 0.0001 or more (or zero), else
// d.dddE[-]x.
void appendGeneral(std::string& out, double value, std::string_view decimalSeparator);

// A money value given as an integer scaled by 10,000 (already rounded, ties to even), written in
// the general form.
void appendCurrency(std::string& out, std::int64_t scaled, std::string_view decimalSeparator);

// The date part of a date-time (days since 1899-12-30, the time as fraction) in the short date
// pattern of the settings. The date is the integer part toward zero (-1.25 is 1899-12-29).
// Pattern runs: y and yy give the year's last two digits, yyy and longer the whole year (at least
// four digits; an astronomical year below 0 with "-"); runs of d or m longer than four read as
// four. An unclosed quote runs to the end of the pattern.
void appendShortDate(std::string& out, double dateTime, const RegionalSettings& settings);
// The same for a day number (1 = 0001-01-01) of the years 1 to 9999.
void appendShortDateOfDay(std::string& out, std::int32_t dayNumber,
                          const RegionalSettings& settings);

// The time of day of a date-time in the long time format of the settings: hour ("h" or "hh"),
// separator, two-digit minutes, separator, two-digit seconds, and the day-half marker on a
// 12-hour clock. The time is the fraction's absolute value, taken to the nearest millisecond
// (and kept within its day: 23:59:59.9996 stays 23:59:59) before the seconds are cut off. An empty
// marker text is left out together with its space.
void appendLongTime(std::string& out, double dateTime, const RegionalSettings& settings);

} // namespace vorendal
