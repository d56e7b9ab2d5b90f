#include "scripts/valueformat.h"

#include <charconv>
#include <cmath>

#include "source/engine/value.h"

namespace vorendal {
namespace {

// Every rounding decision is taken on the value's decimal expansion to this many significant
// digits, itself rounded to nearest (ties to even) from the binary value.
constexpr int kExpansionDigits = 18;
// The general form keeps this many significant digits.
constexpr int kGeneralDigits = 15;
// The general form is plain between these powers of ten of the leading digit (at most 15 integer
// digits, 0.0001 or more); outside them it takes an exponent.
constexpr int kPlainMaxExponent = 14;
constexpr int kPlainMinExponent = -4;
// The fixed form gives way to the general form from 10^18 on (more than 18 integer digits).
constexpr int kFixedMaxExponent = 17;

// Money arrives scaled by 10,000: four decimal places.
constexpr int kCurrencyDecimals = 4;

// Day number (1 = 0001-01-01) of 1899-12-30, day 0 of a date-time.
constexpr std::int64_t kDateTimeZeroDay = 693594;
constexpr double kMillisPerDay = 86400000.0;
constexpr std::int64_t kLastMillisOfDay = 86399999;
// A date-time's day count is kept within what a day number can hold.
constexpr double kMaxDays = 2147483647.0 - static_cast<double>(kDateTimeZeroDay);
constexpr double kMinDays = -2147483647.0 + static_cast<double>(kDateTimeZeroDay);

// The significant digits of a magnitude: value = 0.d[0]d[1]... x 10^(exponent + 1), that is
// d[0] stands at the power of ten `exponent`. Digits past count are zeros; count 0 is zero.
struct Digits {
    char d[kExpansionDigits + 2] = {};
    int count = 0;
    int exponent = 0;
};

// Adds one unit in the last kept digit; a carry out of the first digit ("999" -> "1") moves the
// leading digit one power of ten up.
void addUnitInLastPlace(Digits& x) {
    int i = x.count - 1;
    while (i >= 0 && x.d[i] == '9') {
        x.d[i] = '0';
        --i;
    }
    if (i >= 0) {
        ++x.d[i];
        return;
    }
    x.d[0] = '1';
    x.count = 1;
    ++x.exponent;
}

// Keeps the first `keep` digits: away from zero when the next digit is 5 or more, else toward
// zero. keep may be 0 or negative (the value is below the last kept place).
void roundAwayAt(Digits& x, int keep) {
    if (keep >= x.count)
        return;
    if (keep < 0) {
        x.count = 0;
        return;
    }
    const bool up = x.d[keep] >= '5';
    x.count = keep;
    if (!up)
        return;
    if (keep == 0) {
        x.d[0] = '1';
        x.count = 1;
        ++x.exponent;
        return;
    }
    addUnitInLastPlace(x);
}

void dropTrailingZeros(Digits& x) {
    while (x.count > 0 && x.d[x.count - 1] == '0')
        --x.count;
}

char digitAt(const Digits& x, int index) {
    return index >= 0 && index < x.count ? x.d[index] : '0';
}

// The 18-digit expansion of a finite, non-zero magnitude.
Digits expansionOf(double magnitude) {
    // "d.ddddddddddddddddde-XX": to_chars rounds exactly, ties to even.
    char buf[48];
    const auto res = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific,
                                   kExpansionDigits - 1);
    Digits x;
    x.d[0] = buf[0];
    for (int i = 1; i < kExpansionDigits; ++i)
        x.d[i] = buf[i + 1];
    x.count = kExpansionDigits;
    const char* p = buf + kExpansionDigits + 2; // past the 'e'
    const bool negativeExponent = *p == '-';
    ++p; // from_chars takes no '+'
    int exponent = 0;
    std::from_chars(p, res.ptr, exponent);
    x.exponent = negativeExponent ? -exponent : exponent;
    dropTrailingZeros(x);
    return x;
}

void appendInteger(std::string& out, std::int64_t value) {
    char buf[24];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, res.ptr);
}

void appendPadded(std::string& out, std::int64_t value, int width) {
    char buf[24];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    for (auto len = res.ptr - buf; len < width; ++len)
        out += '0';
    out.append(buf, res.ptr);
}

void appendNonFinite(std::string& out, double value) {
    if (std::isnan(value))
        out += "NAN";
    else
        out += value < 0 ? "-INF" : "INF";
}

// The general form of a magnitude given by its (at most 18) significant digits.
void appendGeneralDigits(std::string& out, bool negative, Digits x,
                         std::string_view decimalSeparator) {
    roundAwayAt(x, kGeneralDigits);
    dropTrailingZeros(x);
    if (x.count == 0) {
        out += '0';
        return;
    }
    if (negative)
        out += '-';
    if (x.exponent > kPlainMaxExponent || x.exponent < kPlainMinExponent) {
        out += x.d[0];
        if (x.count > 1) {
            out += decimalSeparator;
            out.append(x.d + 1, static_cast<std::size_t>(x.count - 1));
        }
        out += 'E';
        appendInteger(out, x.exponent);
        return;
    }
    if (x.exponent < 0) {
        out += '0';
        out += decimalSeparator;
        out.append(static_cast<std::size_t>(-x.exponent - 1), '0');
        out.append(x.d, static_cast<std::size_t>(x.count));
        return;
    }
    for (int i = 0; i <= x.exponent; ++i)
        out += digitAt(x, i);
    if (x.count > x.exponent + 1) {
        out += decimalSeparator;
        out.append(x.d + x.exponent + 1, static_cast<std::size_t>(x.count - x.exponent - 1));
    }
}

// Day number and milliseconds since midnight of a date-time: the date is the integer part
// toward zero, the time the fraction's absolute value (before 1899-12-30 the fraction counts
// forward from midnight too: -1.25 is 1899-12-29 06:00).
void splitDateTime(double dateTime, std::int32_t& dayNumber, std::int64_t& millis) {
    if (!std::isfinite(dateTime))
        dateTime = 0;
    const double whole = std::trunc(dateTime);
    const double days = std::fmin(std::fmax(whole, kMinDays), kMaxDays);
    dayNumber = static_cast<std::int32_t>(static_cast<std::int64_t>(days) + kDateTimeZeroDay);
    // Nearest millisecond first, so a time stored a hair low still shows its second; a time
    // within half a millisecond of the next midnight stays on its own day.
    millis = std::llround(std::fabs(dateTime - whole) * kMillisPerDay);
    if (millis > kLastMillisOfDay)
        millis = kLastMillisOfDay;
}

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

struct CivilDate {
    int year = 0;
    int month = 1;
    int day = 1;
    int weekday = 0; // 0 = Sunday
};

// One run of a pattern letter: d, dd, ddd, dddd; m ... mmmm; y or yy (two-digit year), yyy or
// more (the whole year, at least four digits). Runs of d or m longer than four read as four.
void appendDateField(std::string& out, char letter, std::size_t run, const CivilDate& date,
                     const RegionalSettings& settings) {
    if (letter == 'y') {
        if (run <= 2) {
            appendPadded(out, ((date.year % 100) + 100) % 100, 2);
            return;
        }
        if (date.year < 0)
            out += '-';
        appendPadded(out, date.year < 0 ? -static_cast<std::int64_t>(date.year) : date.year, 4);
        return;
    }
    const int number = letter == 'd' ? date.day : date.month;
    switch (run) {
    case 1:
        appendInteger(out, number);
        break;
    case 2:
        appendPadded(out, number, 2);
        break;
    case 3:
        out += letter == 'd' ? settings.shortDayNames[static_cast<std::size_t>(date.weekday)]
                             : settings.shortMonthNames[static_cast<std::size_t>(number - 1)];
        break;
    default:
        out += letter == 'd' ? settings.longDayNames[static_cast<std::size_t>(date.weekday)]
                             : settings.longMonthNames[static_cast<std::size_t>(number - 1)];
        break;
    }
}

} // namespace

void appendFixed2(std::string& out, double value, std::string_view decimalSeparator) {
    if (!std::isfinite(value)) {
        appendNonFinite(out, value);
        return;
    }
    if (value == 0) {
        out += '0';
        out += decimalSeparator;
        out += "00";
        return;
    }
    const Digits expansion = expansionOf(std::fabs(value));
    if (expansion.exponent > kFixedMaxExponent) {
        appendGeneralDigits(out, value < 0, expansion, decimalSeparator);
        return;
    }
    Digits x = expansion;
    // Keep the digits down to the hundredths; the thousandths digit decides.
    roundAwayAt(x, x.exponent + 3);
    dropTrailingZeros(x);
    if (x.count > 0 && x.exponent > kFixedMaxExponent) {
        appendGeneralDigits(out, value < 0, expansion, decimalSeparator);
        return;
    }
    if (x.count > 0 && value < 0)
        out += '-';
    if (x.count == 0 || x.exponent < 0)
        out += '0';
    else
        for (int i = 0; i <= x.exponent; ++i)
            out += digitAt(x, i);
    out += decimalSeparator;
    if (x.count == 0) {
        out += "00";
        return;
    }
    out += digitAt(x, x.exponent + 1);
    out += digitAt(x, x.exponent + 2);
}

void appendGeneral(std::string& out, double value, std::string_view decimalSeparator) {
    if (!std::isfinite(value)) {
        appendNonFinite(out, value);
        return;
    }
    if (value == 0) {
        out += '0';
        return;
    }
    appendGeneralDigits(out, value < 0, expansionOf(std::fabs(value)), decimalSeparator);
}

void appendCurrency(std::string& out, std::int64_t scaled, std::string_view decimalSeparator) {
    if (scaled == 0) {
        out += '0';
        return;
    }
    // The magnitude as unsigned, so that the most negative value has one too.
    const std::uint64_t magnitude =
        scaled < 0 ? 0 - static_cast<std::uint64_t>(scaled) : static_cast<std::uint64_t>(scaled);
    char buf[24];
    const auto res = std::to_chars(buf, buf + sizeof buf, magnitude);
    const int length = static_cast<int>(res.ptr - buf);
    Digits x;
    x.exponent = length - 1 - kCurrencyDecimals;
    x.count = length < kExpansionDigits ? length : kExpansionDigits;
    for (int i = 0; i < x.count; ++i)
        x.d[i] = buf[i];
    if (length > kExpansionDigits) {
        // A 19-digit amount is first taken to its 18-digit expansion (one digit left over:
        // nearest, ties to even), as every value of the general form is.
        const char rest = buf[kExpansionDigits];
        const bool odd = (x.d[kExpansionDigits - 1] - '0') % 2 == 1;
        if (rest > '5' || (rest == '5' && odd))
            addUnitInLastPlace(x);
    }
    dropTrailingZeros(x);
    appendGeneralDigits(out, scaled < 0, x, decimalSeparator);
}

void appendShortDate(std::string& out, double dateTime, const RegionalSettings& settings) {
    std::int32_t dayNumber = 0;
    std::int64_t millis = 0;
    splitDateTime(dateTime, dayNumber, millis);
    appendShortDateOfDay(out, dayNumber, settings);
}

void appendShortDateOfDay(std::string& out, std::int32_t dayNumber,
                          const RegionalSettings& settings) {
    CivilDate date;
    engine::civilFromDayNumber(dayNumber, date.year, date.month, date.day);
    // Day number 1 (0001-01-01) was a Monday.
    date.weekday = ((dayNumber % 7) + 7) % 7;

    const std::string& pattern = settings.shortDatePattern;
    std::size_t i = 0;
    while (i < pattern.size()) {
        const char c = pattern[i];
        if (c == '"' || c == '\'') {
            const std::size_t close = pattern.find(c, i + 1);
            const std::size_t end = close == std::string::npos ? pattern.size() : close;
            out.append(pattern, i + 1, end - i - 1);
            i = close == std::string::npos ? end : close + 1;
            continue;
        }
        if (c == '/') {
            out += settings.dateSeparator;
            ++i;
            continue;
        }
        const char letter = asciiLower(c);
        if (letter == 'd' || letter == 'm' || letter == 'y') {
            std::size_t run = 1;
            while (i + run < pattern.size() && asciiLower(pattern[i + run]) == letter)
                ++run;
            appendDateField(out, letter, run, date, settings);
            i += run;
            continue;
        }
        out += c;
        ++i;
    }
}

void appendLongTime(std::string& out, double dateTime, const RegionalSettings& settings) {
    std::int32_t dayNumber = 0;
    std::int64_t millis = 0;
    splitDateTime(dateTime, dayNumber, millis);
    const std::int64_t seconds = millis / 1000;
    const std::int64_t hour = seconds / 3600;
    const std::string& marker = hour < 12 ? settings.amText : settings.pmText;
    const bool withMarker = !settings.twentyFourHour && !marker.empty();
    if (withMarker && settings.markerBeforeTime) {
        out += marker;
        out += ' ';
    }
    // A 12-hour clock runs 12, 1, ..., 11.
    const std::int64_t shownHour =
        settings.twentyFourHour ? hour : (hour % 12 == 0 ? 12 : hour % 12);
    appendPadded(out, shownHour, settings.hourLeadingZero ? 2 : 1);
    out += settings.timeSeparator;
    appendPadded(out, seconds / 60 % 60, 2);
    out += settings.timeSeparator;
    appendPadded(out, seconds % 60, 2);
    if (withMarker && !settings.markerBeforeTime) {
        out += ' ';
        out += marker;
    }
}

} // namespace vorendal
