#include "source/engine/dbase/dbfvalues.h"

#include <charconv>
#include <cmath>

#include "source/engine/dbase/dbfbytes.h"

namespace vorendal::engine::dbf {
namespace {

constexpr std::int64_t kMsPerDay = 86400000;
constexpr std::int32_t kJulianDayOfDay0 = 1721425; // julian day number of 0000-12-31
constexpr std::int32_t kLastDay = 3652059;         // day number of 9999-12-31
constexpr std::size_t kMaxNumberText = 64;
constexpr std::uint64_t kExactInDouble = 1ULL << 53; // larger integers may not fit a double

bool isBlank(char c) {
    return c == ' ' || c == '\0';
}

// The value without the blanks (spaces, zero bytes) that pad it on either side.
std::string_view trimBlanks(std::string_view raw) {
    while (!raw.empty() && isBlank(raw.front()))
        raw.remove_prefix(1);
    while (!raw.empty() && isBlank(raw.back()))
        raw.remove_suffix(1);
    return raw;
}

bool allZero(std::string_view raw) {
    for (char c : raw) {
        if (c != '\0')
            return false;
    }
    return true;
}

bool isLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int y, int m) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : kDays[m - 1];
}

int digits(std::string_view s) {
    int v = 0;
    for (char c : s)
        v = v * 10 + (c - '0');
    return v;
}

// Sets out to the day and time of a millisecond count whose day 1 is 0001-01-01; false when it is
// no date of years 1 to 9999.
bool setFromMillis(double ms, Value& out) {
    if (!std::isfinite(ms) || ms < static_cast<double>(kMsPerDay) ||
        ms >= static_cast<double>(kMsPerDay) * (kLastDay + 1))
        return false;
    auto day = static_cast<std::int64_t>(std::floor(ms / static_cast<double>(kMsPerDay)));
    auto rest = static_cast<std::int64_t>(std::llround(ms - static_cast<double>(day * kMsPerDay)));
    if (rest >= kMsPerDay) {
        ++day;
        rest -= kMsPerDay;
    }
    if (day > kLastDay)
        return false;
    out.setDateTime(static_cast<std::int32_t>(day), static_cast<std::int32_t>(rest));
    return true;
}

// Sets out from a julian day number and milliseconds since midnight; false when out of range.
bool setFromJulian(std::int32_t julianDay, std::int32_t ms, Value& out) {
    const std::int64_t day = static_cast<std::int64_t>(julianDay) - kJulianDayOfDay0;
    if (day < 1 || day > kLastDay || ms < 0 || ms >= kMsPerDay)
        return false;
    out.setDateTime(static_cast<std::int32_t>(day), ms);
    return true;
}

// The double of 8 big-endian bytes in the sortable form: positive numbers carry the sign bit
// set, negative ones have every bit inverted.
double sortableDouble(const char* p) {
    std::uint64_t bits = readU64BE(p);
    bits = (bits & 0x8000000000000000ULL) ? bits & 0x7FFFFFFFFFFFFFFFULL : ~bits;
    return doubleFromBits(bits);
}

// Powers of ten that a double holds exactly.
constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int kMaxExactScale = 22;

// The common number text, "[-]digits[.digits]" with at most 15 significant digits, read
// straight from its digits: the digits and 10^decimals are both exact doubles, so the one
// rounding of their quotient gives the nearest double, as from_chars would. False, out untouched,
// for every other text, which the general reading takes.
bool decodeSimpleDecimal(std::string_view text, bool integer, Value& out) {
    std::size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (negative)
        ++i;
    std::uint64_t magnitude = 0;
    int significant = 0;
    int scale = 0;
    bool point = false;
    bool anyDigit = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '.' && !point) {
            point = true;
            continue;
        }
        if (c < '0' || c > '9')
            return false;
        anyDigit = true;
        if (point)
            ++scale;
        if (significant > 0 || c != '0')
            ++significant;
        magnitude = magnitude * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (!anyDigit || significant > Value::kExactDecimalDigits || scale > kMaxExactScale)
        return false;
    if (integer && scale == 0) {
        const auto v = static_cast<std::int64_t>(magnitude);
        out.setInteger(negative ? -v : v);
        return true;
    }
    double d = static_cast<double>(magnitude) / kExactPowersOfTen[scale];
    if (negative)
        d = -d;
    if (integer && d == std::trunc(d))
        out.setInteger(static_cast<std::int64_t>(d));
    else
        out.setDecimal(d, magnitude, scale);
    return true;
}

} // namespace

namespace {

void decodeTextUpToZero(std::string_view kept, const DbfTextConverter* converter, Value& out) {
    const std::string_view text = trimRightBlanks(kept);
    if (text.empty()) {
        out.setNull();
        return;
    }
    std::string& s = out.startText();
    if (converter)
        converter->append(text, s);
    else
        s.append(text);
}

} // namespace

void decodeText(std::string_view raw, const DbfTextConverter* converter, Value& out) {
    decodeTextUpToZero(cutAtZero(raw), converter, out);
}

bool decodeTextTellingCut(std::string_view raw, const DbfTextConverter* converter, Value& out) {
    const std::string_view kept = cutAtZero(raw);
    decodeTextUpToZero(kept, converter, out);
    return kept.size() < raw.size() && textFollowsZero(raw);
}

void decodeNumber(std::string_view raw, bool integer, Value& out) {
    const std::string_view trimmed = trimBlanks(raw);
    const char* first = trimmed.data();
    const char* last = first + trimmed.size();
    if (first != last && *first == '+')
        ++first;
    out.setNull();
    if (first == last || *first == '+' || (*first == '-' && trimmed.data() != first))
        return;
    const std::string_view text(first, static_cast<std::size_t>(last - first));
    if (decodeSimpleDecimal(text, integer, out))
        return;
    char buffer[kMaxNumberText];
    if (text.find(',') != std::string_view::npos && text.find('.') == std::string_view::npos) {
        // a decimal comma, as some European writers store it
        if (text.size() > sizeof buffer)
            return;
        for (std::size_t i = 0; i < text.size(); ++i)
            buffer[i] = text[i] == ',' ? '.' : text[i];
        first = buffer;
        last = buffer + text.size();
    }
    if (integer) {
        std::int64_t v = 0;
        const auto r = std::from_chars(first, last, v);
        if (r.ec == std::errc() && r.ptr == last) {
            out.setInteger(v);
            return;
        }
    }
    double d = 0.0;
    const auto r = std::from_chars(first, last, d, std::chars_format::general);
    if (r.ec != std::errc() || r.ptr != last || !std::isfinite(d))
        return;
    if (integer && d == std::trunc(d) && std::fabs(d) < 9.0e18)
        out.setInteger(static_cast<std::int64_t>(d));
    else
        out.setFloat(d);
}

void decodeDate(std::string_view raw, Value& out) {
    out.setNull();
    if (raw.size() != 8)
        return;
    for (char c : raw) {
        if (c < '0' || c > '9')
            return;
    }
    const int y = digits(raw.substr(0, 4));
    const int m = digits(raw.substr(4, 2));
    const int d = digits(raw.substr(6, 2));
    if (y < 1 || m < 1 || m > 12 || d < 1 || d > daysInMonth(y, m))
        return;
    out.setDate(dayNumberFromCivil(y, m, d));
}

void decodeLogical(std::string_view raw, Value& out) {
    switch (raw.empty() ? ' ' : raw[0]) {
    case 'T':
    case 't':
    case 'Y':
    case 'y':
        out.setBoolean(true);
        break;
    case 'F':
    case 'f':
    case 'N':
    case 'n':
        out.setBoolean(false);
        break;
    default:
        out.setNull();
        break;
    }
}

void decodeInt32LE(std::string_view raw, Value& out) {
    out.setInteger(static_cast<std::int32_t>(readU32LE(raw.data())));
}

void decodeInt32Sortable(std::string_view raw, Value& out) {
    if (allZero(raw)) {
        out.setNull();
        return;
    }
    out.setInteger(static_cast<std::int32_t>(readU32BE(raw.data()) ^ 0x80000000u));
}

void decodeCurrency(std::string_view raw, Value& out) {
    const auto scaled = static_cast<std::int64_t>(readU64LE(raw.data()));
    const std::uint64_t magnitude =
        scaled < 0 ? 0 - static_cast<std::uint64_t>(scaled) : static_cast<std::uint64_t>(scaled);
    if (magnitude <= kExactInDouble) {
        // both operands exact: the one rounding of the division gives the nearest double
        out.setFloat(static_cast<double>(scaled) / 10000.0);
        return;
    }
    // Larger amounts would be rounded twice, to a double and by the division, and can miss the
    // nearest double (432594778917570.9440 came out as ...571): the decimal text rounds once.
    char text[32];
    char* end = text;
    if (scaled < 0)
        *end++ = '-';
    end = std::to_chars(end, text + sizeof text, magnitude / 10000).ptr;
    const auto fraction = static_cast<unsigned>(magnitude % 10000); // four decimal places
    *end++ = '.';
    for (unsigned unit = 1000; unit > 0; unit /= 10)
        *end++ = static_cast<char>('0' + fraction / unit % 10);
    double d = 0.0;
    std::from_chars(text, end, d);
    out.setFloat(d);
}

void decodeDoubleLE(std::string_view raw, Value& out) {
    out.setFloat(doubleFromBits(readU64LE(raw.data())));
}

void decodeDoubleSortable(std::string_view raw, Value& out) {
    if (allZero(raw)) {
        out.setNull();
        return;
    }
    out.setFloat(sortableDouble(raw.data()));
}

void decodeVfpDateTime(std::string_view raw, Value& out) {
    const auto day = static_cast<std::int32_t>(readU32LE(raw.data()));
    const auto ms = static_cast<std::int32_t>(readU32LE(raw.data() + 4));
    if (!setFromJulian(day, ms, out))
        out.setNull();
}

void decodeTimestamp7(std::string_view raw, Value& out) {
    if (allZero(raw)) {
        out.setNull();
        return;
    }
    if (setFromMillis(sortableDouble(raw.data()), out))
        return;
    if (setFromMillis(doubleFromBits(readU64BE(raw.data())), out))
        return;
    const auto day = static_cast<std::int32_t>(readU32LE(raw.data()));
    const auto ms = static_cast<std::int32_t>(readU32LE(raw.data() + 4));
    if (!setFromJulian(day, ms, out))
        out.setNull();
}

MemoPointer parseMemoPointer(std::string_view raw, std::uint32_t& block) {
    block = 0;
    if (raw.size() == 4) {
        block = readU32LE(raw.data());
        return block == 0 ? MemoPointer::Empty : MemoPointer::Block;
    }
    std::uint64_t v = 0;
    for (const char c : trimBlanks(raw)) {
        if (c < '0' || c > '9')
            return MemoPointer::Damaged;
        v = v * 10 + static_cast<std::uint64_t>(c - '0');
        if (v > 0xFFFFFFFFu)
            return MemoPointer::Damaged;
    }
    block = static_cast<std::uint32_t>(v);
    return block == 0 ? MemoPointer::Empty : MemoPointer::Block;
}

} // namespace vorendal::engine::dbf
