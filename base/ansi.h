#pragma once

#include <string>
#include <string_view>

namespace vorendal {

// Windows-1252 ("ANSI") text helpers. Every text inside the core is a std::string of 1252 bytes.
//
// The five bytes that 1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control
// characters of the same number, both ways, so that no byte is ever lost on a round trip.

// Unicode code point of one 1252 byte.
char32_t ansiToUnicode(unsigned char byte);

// 1252 byte of a code point, or '?' when 1252 has no form for it.
unsigned char unicodeToAnsi(char32_t codePoint);

// True when the code point has a 1252 form (unicodeToAnsi would not substitute '?').
bool hasAnsiForm(char32_t codePoint);

// 1252 text to UTF-8 and back. Malformed UTF-8 sequences become '?'.
// Appends the UTF-8 bytes of one Unicode code point.
void appendUtf8(std::string& out, char32_t codePoint);

std::string ansiToUtf8(std::string_view ansi);
std::string utf8ToAnsi(std::string_view utf8);

// Upper-cases 1252 text as the system does: a-z, the accented letters, and the lower-case letters
// of 0x80-0x9F (š, œ, ž become Š, Œ, Ž; ÿ becomes Ÿ). ß and µ stay as they are.
std::string ansiUpperCase(std::string_view text);
char ansiUpperCase(char c);

} // namespace vorendal
