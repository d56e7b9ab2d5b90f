#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vorendal::firebird {

// SQL text that Firebird 3 and later (dialect 3) reads the same whatever the locale of the
// machine that runs the script. Each function appends to out. The ones returning bool return
// false, and append nothing, for a value Firebird cannot hold; the caller then writes NULL and
// warns.

// A delimited identifier: "name", a double quote inside the name doubled.
void appendIdentifier(std::string& out, std::string_view name);

// A text value (UTF-8 bytes) as a string literal, apostrophes doubled. A text longer than one
// literal may carry is written as pieces joined with ||, the first one cast to a text blob, so
// that the concatenation is not capped at the 32,765 bytes of a string.
void appendTextLiteral(std::string& out, std::string_view utf8);

// Binary bytes as a hexadecimal literal x'..', long values in pieces as above (binary blob).
void appendBinaryLiteral(std::string& out, std::string_view bytes);

// DATE 'YYYY-MM-DD' of a day number (1 = 0001-01-01); false outside the years 1 to 9999.
bool appendDateLiteral(std::string& out, std::int32_t dayNumber);

// TIME 'HH:MM:SS.ffff' of milliseconds since midnight; false outside one day.
bool appendTimeLiteral(std::string& out, std::int32_t millis);

// TIMESTAMP 'YYYY-MM-DD HH:MM:SS.ffff'; false when either part is out of range.
bool appendTimestampLiteral(std::string& out, std::int32_t dayNumber, std::int32_t millis);

// A double that Firebird reads back exactly: its shortest decimal text where Firebird's decimal
// reading is exact (at most 15 digits, a power of ten within 10^22), else the exact product
// mantissa*POWER(2E0,exponent). False for infinities and NaN.
bool appendDoubleLiteral(std::string& out, double value);

// appendDoubleLiteral of the double nearest to the decimal magnitude / 10^scale (negative: with
// a minus sign), magnitude below 10^15 and scale at most 22, written from its digits: the same
// text without taking the double apart. nearest is that double, for the texts only it can give.
void appendDecimalLiteral(std::string& out, bool negative, std::uint64_t magnitude, int scale,
                          double nearest);

// A fixed-point number given as an integer scaled by 10^decimals: 12345 with 4 decimals gives
// 1.2345. decimals from 0 to 18.
void appendScaledLiteral(std::string& out, std::int64_t scaled, int decimals);

// The longest piece of text or binary value put in one literal (bytes of the value).
inline constexpr std::size_t kLiteralPieceBytes = 16000;

// Where the piece of a UTF-8 text that starts at start ends: at most kLiteralPieceBytes on, never
// inside a multi-byte character (unless the text holds none there), at most the text's end.
std::size_t textPieceEnd(std::string_view utf8, std::size_t start);

// The longest statement Firebird takes, in bytes.
inline constexpr std::size_t kMaxStatementBytes = 10485760;

// The longest call the data script writes whole, far below kMaxStatementBytes: Firebird joins a
// long literal's pieces at a cost that grows with the square of the value (a 9 MB memo took
// minutes), so a longer call takes its long values from a holding table, joined in one pass.
inline constexpr std::size_t kLongestWholeCall = std::size_t{1} << 20;

} // namespace vorendal::firebird
