#include "source/engine/dbase/dbftextconverter.h"

#include <algorithm>

#include "base/ansi.h"

namespace vorendal::engine::dbf {
namespace {

struct DriverEntry {
    std::uint8_t id;
    std::uint16_t codePage;
};

// Language driver ids as FoxPro and the dBASE engines write them.
constexpr DriverEntry kDrivers[] = {
    {0x01, 437},   {0x02, 850},   {0x03, 1252}, {0x04, 10000}, {0x08, 865},  {0x09, 437},
    {0x0A, 850},   {0x0B, 437},   {0x0D, 437},  {0x0E, 850},   {0x0F, 437},  {0x10, 850},
    {0x11, 437},   {0x12, 850},   {0x13, 932},  {0x14, 850},   {0x15, 437},  {0x16, 850},
    {0x17, 865},   {0x18, 437},   {0x19, 437},  {0x1A, 850},   {0x1B, 437},  {0x1C, 863},
    {0x1D, 850},   {0x1F, 852},   {0x22, 852},  {0x23, 852},   {0x24, 860},  {0x25, 850},
    {0x26, 866},   {0x37, 850},   {0x40, 852},  {0x4D, 936},   {0x4E, 949},  {0x4F, 950},
    {0x50, 874},   {0x57, 1252},  {0x58, 1252}, {0x59, 1252},  {0x64, 852},  {0x65, 866},
    {0x66, 865},   {0x67, 861},   {0x68, 895},  {0x69, 620},   {0x6A, 737},  {0x6B, 857},
    {0x6C, 863},   {0x78, 950},   {0x79, 949},  {0x7A, 936},   {0x7B, 932},  {0x7C, 874},
    {0x7D, 1255},  {0x7E, 1256},  {0x86, 737},  {0x87, 852},   {0x88, 857},  {0x96, 10007},
    {0x97, 10029}, {0x98, 10006}, {0xC8, 1250}, {0xC9, 1251},  {0xCA, 1254}, {0xCB, 1253},
    {0xCC, 1257},
};

constexpr int kMazovia = 620;
constexpr int kKamenicky = 895;

// Bytes 0x80-0xAF of Mazovia (Polish DOS); from 0xB0 up it equals 437.
constexpr char32_t kMazoviaHigh[48] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x0105, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF,
    0x00EE, 0x0107, 0x00C4, 0x0104, 0x0118, 0x0119, 0x0142, 0x00F4, 0x00F6, 0x0106, 0x00FB, 0x00F9,
    0x015A, 0x00D6, 0x00DC, 0x00A2, 0x0141, 0x00A5, 0x015B, 0x0192, 0x0179, 0x017B, 0x00F3, 0x00D3,
    0x0144, 0x0143, 0x017A, 0x017C, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
};

// Bytes 0x80-0xAF of Kamenicky (Czech and Slovak DOS); from 0xB0 up it equals 437.
constexpr char32_t kKamenickyHigh[48] = {
    0x010C, 0x00FC, 0x00E9, 0x010F, 0x00E4, 0x010E, 0x0164, 0x010D, 0x011B, 0x011A, 0x0139, 0x00CD,
    0x013E, 0x013A, 0x00C4, 0x00C1, 0x00C9, 0x017E, 0x017D, 0x00F4, 0x00F6, 0x00D3, 0x016F, 0x00DA,
    0x00FD, 0x00D6, 0x00DC, 0x0160, 0x013D, 0x00DD, 0x0158, 0x0165, 0x00E1, 0x00ED, 0x00F3, 0x00FA,
    0x0148, 0x0147, 0x016E, 0x00D4, 0x0161, 0x0159, 0x0155, 0x0154, 0x00BC, 0x00A7, 0x00AB, 0x00BB,
};

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

char upperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

} // namespace

int codePageFromLanguageDriver(std::uint8_t id) {
    for (const auto& d : kDrivers) {
        if (d.id == id)
            return d.codePage;
    }
    return 0;
}

int codePageFromDriverName(std::string_view name) {
    name = name.substr(0, name.find('\0'));
    std::string upper;
    for (char c : name)
        upper += upperAscii(c);
    // "DBWINUS0", "DBWINWE0" and the Latin-1 drivers "BLLT1xx0" are Windows ANSI.
    if (upper.rfind("DBWIN", 0) == 0 || upper.rfind("BLLT1", 0) == 0)
        return 1252;
    // "DB437US0", "DB850DE0", "DB866RU0", "DB1250CZ": the digits after "DB" are the code page.
    if (upper.size() < 5 || upper.rfind("DB", 0) != 0)
        return 0;
    int number = 0;
    std::size_t i = 2;
    for (; i < upper.size() && i < 7 && isDigit(upper[i]); ++i)
        number = number * 10 + (upper[i] - '0');
    if (i < 5)
        return 0;
    return CodePage(number).known() || number == kMazovia || number == kKamenicky ? number : 0;
}

DbfTextConverter::DbfTextConverter(int codePage, TextDelivery delivery)
    : m_number(codePage),
      m_codePage(codePage == kMazovia || codePage == kKamenicky ? 437 : codePage, delivery) {
    if (delivery == TextDelivery::Utf8) {
        if (m_number == kMazovia || m_number == kKamenicky) {
            const std::array<char32_t, 256> base = singleByteCharacters(437);
            m_characters.assign(base.begin(), base.end());
            const char32_t* high = m_number == kMazovia ? kMazoviaHigh : kKamenickyHigh;
            std::copy(high, high + 48, m_characters.begin() + 0x80);
        }
        return;
    }
    if (m_number == 1252 ||
        (!m_codePage.known() && m_number != kMazovia && m_number != kKamenicky)) {
        m_identity = true;
        return;
    }
    if (m_number == 932 || m_number == 936 || m_number == 949 || m_number == 950 ||
        m_number == CodePage::kUtf8) {
        m_multiByte = true;
        return;
    }
    for (int b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        const std::string one = m_codePage.toAnsi(std::string_view(&byte, 1));
        m_table[static_cast<std::size_t>(b)] = one.empty() ? '?' : one[0];
    }
    const char32_t* high = m_number == kMazovia     ? kMazoviaHigh
                           : m_number == kKamenicky ? kKamenickyHigh
                                                    : nullptr;
    if (high) {
        for (std::size_t i = 0; i < 48; ++i)
            m_table[0x80 + i] = static_cast<char>(unicodeToAnsi(high[i]));
    }
    m_lossy = tableReplaces(reinterpret_cast<const unsigned char*>(m_table.data()));
}

void DbfTextConverter::append(std::string_view bytes, std::string& out) const {
    if (m_codePage.delivery() == TextDelivery::Utf8) {
        if (m_characters.empty()) {
            m_codePage.appendText(bytes, out);
            return;
        }
        for (const char c : bytes)
            vorendal::appendUtf8(out, m_characters[static_cast<unsigned char>(c)]);
        return;
    }
    if (m_identity) {
        out.append(bytes);
        return;
    }
    if (m_multiByte) {
        m_codePage.appendAnsi(bytes, out);
        return;
    }
    const std::size_t start = out.size();
    out.resize(start + bytes.size());
    char* dst = out.data() + start;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        dst[i] = m_table[static_cast<unsigned char>(bytes[i])];
    if (m_lossy)
        m_replaced += countReplaced(bytes, dst);
}

std::string DbfTextConverter::toAnsi(std::string_view bytes) const {
    std::string out;
    append(bytes, out);
    return out;
}

} // namespace vorendal::engine::dbf
