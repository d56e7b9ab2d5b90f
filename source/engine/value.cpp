#include "source/engine/value.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace vorendal::engine {

// Days-from-civil after H. Hinnant's public-domain algorithms, shifted so that 0001-01-01 is 1.
namespace {
constexpr std::int64_t kShift = 719162; // days from 0001-01-01 to 1970-01-01, minus one
}

std::int32_t dayNumberFromCivil(int year, int month, int day) {
    const std::int64_t y = static_cast<std::int64_t>(year) - (month <= 2 ? 1 : 0);
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t mp = (month + 9) % 12;
    const std::int64_t doy = (153 * mp + 2) / 5 + day - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const std::int64_t unixDays = era * 146097 + doe - 719468;
    return static_cast<std::int32_t>(unixDays + kShift + 1);
}

void civilFromDayNumber(std::int32_t dayNumber, int& year, int& month, int& day) {
    const std::int64_t z = static_cast<std::int64_t>(dayNumber) - kShift - 1 + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

namespace {

// value's decimal digits, at least width of them (zeros before), appended to text.
void appendPadded(std::string& text, std::int64_t value, int width) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    const auto count = static_cast<int>(end - digits);
    if (count < width)
        text.append(static_cast<std::size_t>(width - count), '0');
    text.append(digits, end);
}

} // namespace

std::string isoDateText(std::int32_t dayNumber) {
    int y = 0, m = 0, d = 0;
    civilFromDayNumber(dayNumber, y, m, d);
    // Years before 1 are numbered astronomically (0 is 1 BC) and written with a leading '-'.
    std::string text = y < 0 ? "-" : "";
    appendPadded(text, y < 0 ? -static_cast<std::int64_t>(y) : y, 4);
    text += '-';
    appendPadded(text, m, 2);
    text += '-';
    appendPadded(text, d, 2);
    return text;
}

std::string isoTimeText(std::int32_t millis, bool withMillis) {
    std::string text;
    appendPadded(text, millis / 3600000, 2);
    text += ':';
    appendPadded(text, millis / 60000 % 60, 2);
    text += ':';
    appendPadded(text, millis / 1000 % 60, 2);
    if (withMillis) {
        text += '.';
        appendPadded(text, millis % 1000, 3);
    }
    return text;
}

std::string shortestDoubleText(double v) {
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, res.ptr);
}

// The digits without trailing zeros, written as std::to_chars writes a double: plainly or with
// an exponent, whichever is shorter (plainly on a tie).
void appendShortestDecimal(std::string& out, bool negative, std::uint64_t magnitude, int scale) {
    if (magnitude == 0) {
        out += '0';
        return;
    }
    while (magnitude % 10 == 0) {
        magnitude /= 10;
        --scale;
    }
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, magnitude).ptr;
    const int count = static_cast<int>(end - digits);
    const int exponent = count - 1 - scale; // of the first digit
    const int absExponent = exponent < 0 ? -exponent : exponent;
    const int scientific = count + (count > 1 ? 1 : 0) + 2 + (absExponent >= 100 ? 3 : 2);
    const int plain = exponent >= count - 1 ? exponent + 1
                      : exponent >= 0       ? count + 1
                                            : count + 1 - exponent;
    char text[48];
    char* at = text;
    if (negative)
        *at++ = '-';
    const auto digitCount = static_cast<std::size_t>(count);
    if (plain <= scientific) {
        if (exponent >= count - 1) {
            at = std::copy(digits, end, at);
            at = std::fill_n(at, exponent - (count - 1), '0');
        } else if (exponent >= 0) {
            at = std::copy_n(digits, exponent + 1, at);
            *at++ = '.';
            at = std::copy(digits + exponent + 1, end, at);
        } else {
            *at++ = '0';
            *at++ = '.';
            at = std::fill_n(at, -exponent - 1, '0');
            at = std::copy_n(digits, digitCount, at);
        }
    } else {
        *at++ = digits[0];
        if (count > 1) {
            *at++ = '.';
            at = std::copy(digits + 1, end, at);
        }
        *at++ = 'e';
        *at++ = exponent < 0 ? '-' : '+';
        if (absExponent < 10)
            *at++ = '0';
        at = std::to_chars(at, text + sizeof text, absExponent).ptr;
    }
    out.append(text, at);
}

bool textFollowsZero(std::string_view bytes) {
    const void* zero = bytes.empty() ? nullptr : std::memchr(bytes.data(), 0, bytes.size());
    if (zero == nullptr)
        return false;
    // a plain loop: find_first_not_of with a set calls memchr once per byte
    const char* end = bytes.data() + bytes.size();
    for (auto p = static_cast<const char*>(zero); p != end; ++p)
        if (*p != '\0' && *p != ' ')
            return true;
    return false;
}

} // namespace vorendal::engine
