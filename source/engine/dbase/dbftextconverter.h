#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "source/engine/codepage.h"

namespace vorendal::engine::dbf {

// The code page under which the header's field names are read when it names none (language
// driver byte 0 and no usable driver name): DOS code page 437, which dBASE III and early FoxPro
// used by default. The table's text then gets the page that chooseCodePage() settles on.
constexpr int kDefaultDbfCodePage = 437;

// Code page of a language driver id (table header byte 29, also MDX header byte 31); 0 when the
// id is 0 or unknown.
int codePageFromLanguageDriver(std::uint8_t id);

// Code page named by a dBASE 7 language driver name such as "DB437US0", "DBWINUS0" or
// "db866ru0" (table header bytes 32-63); 0 when the name says nothing usable.
int codePageFromDriverName(std::string_view name);

// Converts text of a table's code page to Windows-1252. Single-byte code pages go through one
// 256-entry table; the double-byte ones and UTF-8 through CodePage. Mazovia (620) and Kamenicky
// (895), which CodePage lacks, are built here from 437 with their own letters.
class DbfTextConverter {
public:
    // TextDelivery::Utf8: every text is converted to UTF-8 instead of 1252.
    explicit DbfTextConverter(int codePage, TextDelivery delivery = TextDelivery::Ansi);

    int codePage() const { return m_number; }
    // Appends the 1252 form of bytes to out.
    void append(std::string_view bytes, std::string& out) const;
    std::string toAnsi(std::string_view bytes) const;
    // Characters given as '?' for want of a 1252 form since the converter was made (see
    // CodePage::replacedCharacters); always 0 with TextDelivery::Utf8.
    std::uint64_t replacedCharacters() const {
        return m_multiByte ? m_codePage.replacedCharacters() : m_replaced;
    }

private:
    int m_number;
    CodePage m_codePage;
    bool m_identity = false;
    bool m_multiByte = false; // double-byte pages and UTF-8: through CodePage
    bool m_lossy = false;     // m_table gives '?' for a byte other than '?'
    mutable std::uint64_t m_replaced = 0;
    std::array<char, 256> m_table{};
    // Mazovia and Kamenicky in UTF-8: the character of each byte; empty for the other pages.
    std::vector<char32_t> m_characters;
};

} // namespace vorendal::engine::dbf
