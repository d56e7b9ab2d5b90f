#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vorendal::engine {

// Converts a table's text from its own code page to Windows-1252. A character with no 1252 form
// becomes '?'; in the double-byte code pages (932, 936, 949, 950) a two-byte character becomes
// one '?'. UTF-8 (65001) is decoded whole: each character becomes its 1252 form or one '?', and
// each byte of a malformed sequence one '?'.
class CodePage {
public:
    // The converter for a Windows / DOS / Mac code page number (437, 850, 1251, 10000, ...).
    // Unknown numbers fall back to 1252 (no conversion); known() then says false.
    explicit CodePage(int number);

    int number() const { return m_number; }
    bool known() const { return m_known; }

    // Appends the 1252 form of bytes to out.
    void appendAnsi(std::string_view bytes, std::string& out) const;
    std::string toAnsi(std::string_view bytes) const;

    // HP Roman-8, which has no Windows number of its own.
    static constexpr int kRoman8 = 1051;
    static constexpr int kUtf8 = 65001;

    // Every number for which known() is true, ascending.
    static std::vector<int> knownNumbers();

private:
    int m_number;
    bool m_known = true;
    const unsigned char* m_table = nullptr; // single-byte code pages; null for 1252 itself
    bool m_doubleByte = false;
    bool m_utf8 = false;
};

// Length of the well-formed UTF-8 sequence that starts at bytes[at] (1 for an ASCII byte); 0 when
// none starts there (a stray continuation byte, an overlong form, a cut-off sequence).
std::size_t utf8SequenceLength(std::string_view bytes, std::size_t at);
// The code point of a well-formed sequence.
char32_t utf8CodePoint(std::string_view sequence);

} // namespace vorendal::engine
