#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vorendal::engine {

class Utf8Decoder;

// The encoding in which a table's text is handed out: Windows-1252, as the window and the classic
// scripts use it, or UTF-8, which keeps every character of every page.
enum class TextDelivery : std::uint8_t { Ansi, Utf8 };

// Converts a table's text from its own code page to Windows-1252. A character with no 1252 form
// becomes '?'; in the double-byte code pages (932, 936, 949, 950) a two-byte character becomes
// one '?'. UTF-8 (65001) is decoded whole: each character becomes its 1252 form or one '?', and
// each byte of a malformed sequence one '?'.
class CodePage {
public:
    // The converter for a Windows / DOS / Mac code page number (437, 850, 1251, 10000, ...).
    // Unknown numbers fall back to 1252 (no conversion); known() then says false.
    // With TextDelivery::Utf8 every text is converted to UTF-8 instead: single-byte pages through
    // a table of their characters, the double-byte pages through the C library's iconv; a byte
    // or sequence with no character becomes '?'.
    explicit CodePage(int number, TextDelivery delivery = TextDelivery::Ansi);

    int number() const { return m_number; }
    bool known() const { return m_known; }

    // Appends the 1252 form of bytes to out.
    void appendAnsi(std::string_view bytes, std::string& out) const;
    std::string toAnsi(std::string_view bytes) const;
    // Appends bytes in the delivery's encoding (appendAnsi for TextDelivery::Ansi).
    void appendText(std::string_view bytes, std::string& out) const {
        if (m_delivery == TextDelivery::Ansi)
            appendAnsi(bytes, out);
        else
            appendUtf8(bytes, out);
    }
    std::string toText(std::string_view bytes) const;
    TextDelivery delivery() const { return m_delivery; }
    // Characters that appendAnsi() has given as '?' for want of a 1252 form since this converter
    // was made (a two-byte character, and each byte of a malformed UTF-8 sequence, count one).
    // Pages in which every byte has a 1252 form count nothing and cost nothing.
    std::uint64_t replacedCharacters() const { return m_replaced; }

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
    TextDelivery m_delivery = TextDelivery::Ansi;
    // TextDelivery::Utf8: the character of each byte (single-byte pages), or the decoder of a
    // double-byte page.
    std::shared_ptr<const std::array<char32_t, 256>> m_characters;
    std::shared_ptr<Utf8Decoder> m_decoder;
    bool m_asciiKept = false; // every byte below 0x80 stands for itself
    bool m_lossy = false;     // m_table gives '?' for a byte other than '?'
    mutable std::uint64_t m_replaced = 0;

    void appendUtf8(std::string_view bytes, std::string& out) const;
};

// The places where a byte-for-byte conversion of bytes wrote '?' for a byte other than '?': the
// characters it replaced. converted holds bytes.size() bytes.
std::size_t countReplacedIn(std::string_view bytes, const char* converted);
inline std::size_t countReplaced(std::string_view bytes, const char* converted) {
    // nearly all text has no '?' at all, which one quick search settles
    if (bytes.empty() || std::memchr(converted, '?', bytes.size()) == nullptr)
        return 0;
    return countReplacedIn(bytes, converted);
}
// True when table, a byte-for-byte conversion, gives '?' for a byte other than '?'.
bool tableReplaces(const unsigned char* table);

// The character of each byte of a single-byte page (1252 and unknown numbers: Windows-1252),
// from the C library's converter where it knows the page, else from the page's 1252 table.
std::array<char32_t, 256> singleByteCharacters(int number);
// Appends the well-formed sequences of bytes unchanged and '?' for each byte of a malformed one.
void appendCheckedUtf8(std::string_view bytes, std::string& out);

// Length of the well-formed UTF-8 sequence that starts at bytes[at] (1 for an ASCII byte); 0 when
// none starts there (a stray continuation byte, an overlong form, a cut-off sequence).
std::size_t utf8SequenceLength(std::string_view bytes, std::size_t at);
// The code point of a well-formed sequence.
char32_t utf8CodePoint(std::string_view sequence);

} // namespace vorendal::engine
