#include "firebird/firebirdliterals.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "source/engine/value.h"

namespace vorendal::firebird {
namespace {

constexpr std::int32_t kMillisPerDay = 24 * 60 * 60 * 1000;

void appendDigits(std::string& out, unsigned value, int width) {
    char digits[12];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    for (int i = n; i < width; ++i)
        out += '0';
    while (n > 0)
        out += digits[--n];
}

bool appendDateDigits(std::string& out, std::int32_t dayNumber) {
    int year = 0;
    int month = 0;
    int day = 0;
    engine::civilFromDayNumber(dayNumber, year, month, day);
    if (year < 1 || year > 9999)
        return false;
    // "YYYY-MM-DD" in one piece: a date is written once per date value of a table
    const char text[10] = {static_cast<char>('0' + year / 1000),
                           static_cast<char>('0' + year / 100 % 10),
                           static_cast<char>('0' + year / 10 % 10),
                           static_cast<char>('0' + year % 10),
                           '-',
                           static_cast<char>('0' + month / 10),
                           static_cast<char>('0' + month % 10),
                           '-',
                           static_cast<char>('0' + day / 10),
                           static_cast<char>('0' + day % 10)};
    out.append(text, sizeof text);
    return true;
}

// Firebird keeps times in ten-thousandths of a second.
void appendTimeDigits(std::string& out, std::int32_t millis) {
    const auto ms = static_cast<unsigned>(millis);
    appendDigits(out, ms / 3600000, 2);
    out += ':';
    appendDigits(out, ms / 60000 % 60, 2);
    out += ':';
    appendDigits(out, ms / 1000 % 60, 2);
    out += '.';
    appendDigits(out, ms % 1000 * 10, 4);
}

void appendQuotedPiece(std::string& out, std::string_view piece) {
    out += '\'';
    for (std::size_t quote = piece.find('\''); quote != std::string_view::npos;
         quote = piece.find('\'')) {
        out.append(piece.data(), quote + 1);
        out += '\'';
        piece.remove_prefix(quote + 1);
    }
    out.append(piece);
    out += '\'';
}

void appendHexPiece(std::string& out, std::string_view piece) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    out += "x'";
    for (char c : piece) {
        const auto b = static_cast<unsigned char>(c);
        out += kDigits[b >> 4];
        out += kDigits[b & 0x0F];
    }
    out += '\'';
}

// Firebird reads a decimal literal by scaling its digits by a power of ten in double arithmetic,
// which is exact only while the digits fit in 53 bits and the power is at most 10^22 (one
// correctly rounded operation). Shortest texts outside that range may come back one unit off.
bool readsBackExactly(std::string_view shortest) {
    int digits = 0;
    int fractionDigits = 0;
    int exponent = 0;
    bool inFraction = false;
    bool leading = true;
    std::size_t i = 0;
    if (i < shortest.size() && shortest[i] == '-')
        ++i;
    for (; i < shortest.size(); ++i) {
        const char c = shortest[i];
        if (c == '.') {
            inFraction = true;
        } else if (c == 'e' || c == 'E') {
            std::from_chars(shortest.data() + i + 1 + (shortest[i + 1] == '+' ? 1 : 0),
                            shortest.data() + shortest.size(), exponent);
            break;
        } else {
            if (c != '0' || !leading) {
                leading = false;
                ++digits;
            }
            if (inFraction)
                ++fractionDigits;
        }
    }
    const int power = exponent - fractionDigits;
    return digits <= 15 && power >= -22 && power <= 22;
}

} // namespace

std::size_t textPieceEnd(std::string_view utf8, std::size_t start) {
    std::size_t end = start + kLiteralPieceBytes;
    if (end >= utf8.size())
        return utf8.size();
    while (end > start && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80)
        --end;
    return end > start ? end : start + kLiteralPieceBytes;
}

void appendIdentifier(std::string& out, std::string_view name) {
    out += '"';
    for (char c : name) {
        out += c;
        if (c == '"')
            out += '"';
    }
    out += '"';
}

void appendTextLiteral(std::string& out, std::string_view utf8) {
    if (utf8.size() <= kLiteralPieceBytes) {
        appendQuotedPiece(out, utf8);
        return;
    }
    std::size_t start = 0;
    std::size_t end = textPieceEnd(utf8, start);
    out += "CAST(";
    appendQuotedPiece(out, utf8.substr(start, end - start));
    out += " AS BLOB SUB_TYPE TEXT CHARACTER SET UTF8)";
    for (start = end; start < utf8.size(); start = end) {
        end = textPieceEnd(utf8, start);
        out += " || ";
        appendQuotedPiece(out, utf8.substr(start, end - start));
    }
}

void appendBinaryLiteral(std::string& out, std::string_view bytes) {
    if (bytes.size() <= kLiteralPieceBytes) {
        appendHexPiece(out, bytes);
        return;
    }
    out += "CAST(";
    appendHexPiece(out, bytes.substr(0, kLiteralPieceBytes));
    out += " AS BLOB SUB_TYPE BINARY)";
    for (std::size_t start = kLiteralPieceBytes; start < bytes.size();
         start += kLiteralPieceBytes) {
        out += " || ";
        appendHexPiece(out, bytes.substr(start, kLiteralPieceBytes));
    }
}

bool appendDateLiteral(std::string& out, std::int32_t dayNumber) {
    const std::size_t start = out.size();
    out += "DATE '";
    if (!appendDateDigits(out, dayNumber)) {
        out.resize(start);
        return false;
    }
    out += '\'';
    return true;
}

bool appendTimeLiteral(std::string& out, std::int32_t millis) {
    if (millis < 0 || millis >= kMillisPerDay)
        return false;
    out += "TIME '";
    appendTimeDigits(out, millis);
    out += '\'';
    return true;
}

bool appendTimestampLiteral(std::string& out, std::int32_t dayNumber, std::int32_t millis) {
    if (millis < 0 || millis >= kMillisPerDay)
        return false;
    const std::size_t start = out.size();
    out += "TIMESTAMP '";
    if (!appendDateDigits(out, dayNumber)) {
        out.resize(start);
        return false;
    }
    out += ' ';
    appendTimeDigits(out, millis);
    out += '\'';
    return true;
}

bool appendDoubleLiteral(std::string& out, double value) {
    if (!std::isfinite(value))
        return false;
    if (value == 0.0) {
        out += '0';
        return true;
    }
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
    if (readsBackExactly(text)) {
        out += text;
        return true;
    }
    // value = mantissa * 2^exponent with an odd mantissa of at most 53 bits: both factors are
    // exact in Firebird's double arithmetic, and so is their product.
    int exponent = 0;
    const double fraction = std::frexp(value, &exponent);
    auto mantissa = static_cast<std::int64_t>(std::ldexp(fraction, 53));
    exponent -= 53;
    while (mantissa % 2 == 0) {
        mantissa /= 2;
        ++exponent;
    }
    char digits[24];
    if (exponent >= 0 && exponent < 63 && mantissa < (std::int64_t{1} << (63 - exponent))) {
        // A whole number below 2^63: a plain integer, which converts to the double exactly.
        const auto m = std::to_chars(digits, digits + sizeof digits, mantissa << exponent);
        out.append(digits, m.ptr);
        return true;
    }
    const auto m = std::to_chars(digits, digits + sizeof digits, mantissa);
    out.append(digits, m.ptr);
    if (exponent != 0) {
        out += "*POWER(2E0,";
        const auto e = std::to_chars(digits, digits + sizeof digits, exponent);
        out.append(digits, e.ptr);
        out += ')';
    }
    return true;
}

void appendDecimalLiteral(std::string& out, bool negative, std::uint64_t magnitude, int scale,
                          double nearest) {
    // Its digits, at most 15, scaled by at most 10^22: Firebird reads such a text exactly.
    if (magnitude >= 1'000'000'000'000'000 || scale < 0 || scale > 22) {
        appendDoubleLiteral(out, nearest);
        return;
    }
    engine::appendShortestDecimal(out, negative, magnitude, scale);
}

void appendScaledLiteral(std::string& out, std::int64_t scaled, int decimals) {
    const bool negative = scaled < 0;
    const std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(scaled) : static_cast<std::uint64_t>(scaled);
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, magnitude);
    std::string_view text(digits, static_cast<std::size_t>(result.ptr - digits));
    const auto places = static_cast<std::size_t>(decimals);
    if (negative)
        out += '-';
    if (text.size() <= places) {
        out += "0";
        if (places > 0) {
            out += '.';
            out.append(places - text.size(), '0');
            out += text;
        }
        return;
    }
    out += text.substr(0, text.size() - places);
    if (places > 0) {
        out += '.';
        out += text.substr(text.size() - places);
    }
}

} // namespace vorendal::firebird
