#include "source/engine/paradox/paradoxvalues.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>

#include "source/engine/paradox/paradoxformat.h"

namespace vorendal::engine::paradox {
namespace {

constexpr double kMillisPerDay = 86400000.0;
constexpr std::int64_t kMillisPerDayInt = 86400000;

bool allZero(const unsigned char* p, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i)
        if (p[i] != 0)
            return false;
    return true;
}

// Returns the length of the text, up to the first zero byte.
std::size_t decodeAlpha(const unsigned char* p, std::size_t width, const CodePage& codePage,
                        Value& out) {
    if (p[0] == 0) {
        out.setNull(); // an empty alpha field and a blank one are the same bytes
        return 0;
    }
    const void* zero = std::memchr(p, 0, width);
    const std::size_t length =
        zero ? static_cast<std::size_t>(static_cast<const unsigned char*>(zero) - p) : width;
    codePage.appendText(std::string_view(reinterpret_cast<const char*>(p), length),
                        out.startText());
    return length;
}

// Milliseconds since the start of day 1 (0001-01-01) become a day number and a time of day.
bool decodeTimestamp(const unsigned char* p, Value& out) {
    double ms = 0.0;
    if (!decodeDouble(p, ms)) {
        out.setNull();
        return true;
    }
    if (!std::isfinite(ms) || std::fabs(ms) >= kMillisPerDay * 2147483647.0)
        return false;
    const auto total = static_cast<std::int64_t>(std::llround(ms));
    std::int64_t days = total / kMillisPerDayInt;
    std::int64_t rest = total % kMillisPerDayInt;
    if (rest < 0) {
        rest += kMillisPerDayInt;
        --days;
    }
    out.setDateTime(static_cast<std::int32_t>(days), static_cast<std::int32_t>(rest));
    return true;
}

} // namespace

bool decodeInteger(const unsigned char* p, std::size_t width, std::int64_t& value) {
    if (allZero(p, width))
        return false;
    std::uint64_t raw = 0;
    for (std::size_t i = 0; i < width; ++i)
        raw = (raw << 8) | p[i];
    // The stored sign bit is inverted: stored - 2^(bits-1) is the two's-complement value.
    const std::uint64_t sign = std::uint64_t{1} << (width * 8 - 1);
    value = static_cast<std::int64_t>(raw) - static_cast<std::int64_t>(sign);
    return true;
}

bool decodeDouble(const unsigned char* p, double& value) {
    if (allZero(p, 8))
        return false;
    std::uint64_t raw = 0;
    for (std::size_t i = 0; i < 8; ++i)
        raw = (raw << 8) | p[i];
    // positive numbers have the sign bit set; negative ones are stored with every bit inverted
    if (raw & 0x8000000000000000ull)
        raw &= 0x7FFFFFFFFFFFFFFFull;
    else
        raw = ~raw;
    value = std::bit_cast<double>(raw);
    return true;
}

bool decodeBcd(const unsigned char* p, double& value, bool& valid) {
    valid = true;
    if (p[0] == 0)
        return false;
    // byte 0: bit 7 set = positive, bit 6 = non-blank, bits 0-5 = number of decimals
    const bool negative = (p[0] & 0x80) == 0;
    const int scale = p[0] & 0x3F;
    if (scale > kMaxBcdDecimals) {
        valid = false;
        return false;
    }
    char text[2 + 2 * (kBcdWidth - 1) + 1];
    std::size_t length = 0;
    if (negative)
        text[length++] = '-';
    const int integerDigits = 2 * static_cast<int>(kBcdWidth - 1) - scale;
    bool leading = true;
    for (int i = 0; i < 2 * static_cast<int>(kBcdWidth - 1); ++i) {
        if (i == integerDigits) {
            if (leading)
                text[length++] = '0';
            text[length++] = '.';
            leading = false;
        }
        const unsigned char byte = p[1 + i / 2];
        unsigned nibble = (i % 2 == 0) ? (byte >> 4) : (byte & 0x0F);
        if (negative)
            nibble ^= 0x0F; // negative values store every digit complemented
        if (nibble > 9)
            nibble = 0;
        if (leading && nibble == 0 && i + 1 < integerDigits)
            continue;
        leading = false;
        text[length++] = static_cast<char>('0' + nibble);
    }
    double v = 0.0;
    const auto result = std::from_chars(text, text + length, v);
    if (result.ec != std::errc()) {
        valid = false;
        return false;
    }
    value = v == 0.0 ? 0.0 : v; // no negative zero
    return true;
}

bool decodeFixedValue(TFieldType type, const unsigned char* p, std::size_t width,
                      const CodePage& codePage, Value& out) {
    std::int64_t integer = 0;
    double number = 0.0;
    switch (type) {
    case ftString:
        decodeAlpha(p, width, codePage, out);
        return true;
    case ftSmallint:
    case ftInteger:
    case ftAutoInc:
        if (decodeInteger(p, width, integer))
            out.setInteger(integer);
        else
            out.setNull();
        return true;
    case ftDate:
        if (decodeInteger(p, width, integer))
            out.setDate(static_cast<std::int32_t>(integer)); // day 1 = 0001-01-01
        else
            out.setNull();
        return true;
    case ftTime:
        if (!decodeInteger(p, width, integer)) {
            out.setNull();
            return true;
        }
        // milliseconds since midnight: anything outside one day is no time of day
        if (integer < 0 || integer >= kMillisPerDayInt)
            return false;
        out.setTime(static_cast<std::int32_t>(integer));
        return true;
    case ftFloat:
    case ftCurrency:
        if (decodeDouble(p, number))
            out.setFloat(number);
        else
            out.setNull();
        return true;
    case ftDateTime:
        return decodeTimestamp(p, out);
    case ftBoolean:
        // 0x80 false, 0x81 true, 0x00 blank
        if (p[0] == 0)
            out.setNull();
        else
            out.setBoolean((p[0] ^ 0x80) != 0);
        return true;
    case ftBCD: {
        bool valid = true;
        if (decodeBcd(p, number, valid))
            out.setFloat(number);
        else
            out.setNull();
        return valid;
    }
    case ftBytes:
        if (allZero(p, width))
            out.setNull();
        else
            out.startBytes().assign(reinterpret_cast<const char*>(p), width);
        return true;
    default:
        out.setNull();
        return true;
    }
}

bool decodeAlphaTellingCut(const unsigned char* p, std::size_t width, const CodePage& codePage,
                           Value& out) {
    // the text ends at a zero byte or at the field's end: the rest starts with that zero
    const std::size_t length = decodeAlpha(p, width, codePage, out);
    return textFollowsZero(
        std::string_view(reinterpret_cast<const char*>(p) + length, width - length));
}

} // namespace vorendal::engine::paradox
