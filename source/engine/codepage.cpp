#include "source/engine/codepage.h"

#include <algorithm>

#include "base/ansi.h"

namespace vorendal::engine {
namespace {

struct SingleByteTable {
    int number;
    const unsigned char* table;
};

#include "source/engine/codepagetables.inc"

// Lead bytes of the double-byte code pages; any byte from 0x81 up leads in 936, 949 and 950.
bool isLeadByte(int codePage, unsigned char b) {
    if (codePage == 932)
        return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    return b >= 0x81 && b <= 0xFE;
}

// Appends the 1252 form of the UTF-8 text in bytes.
void appendUtf8AsAnsi(std::string_view bytes, std::string& out) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            out += static_cast<char>(b);
            ++i;
            continue;
        }
        const std::size_t length = utf8SequenceLength(bytes, i);
        if (length == 0) {
            out += '?';
            ++i;
            continue;
        }
        out += static_cast<char>(unicodeToAnsi(utf8CodePoint(bytes.substr(i, length))));
        i += length;
    }
}

} // namespace

std::size_t utf8SequenceLength(std::string_view bytes, std::size_t at) {
    const auto lead = static_cast<unsigned char>(bytes[at]);
    std::size_t length = 0;
    unsigned char low = 0x80;  // bounds of the second byte, which exclude overlong forms,
    unsigned char high = 0xBF; // surrogates and code points past U+10FFFF
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (bytes.size() - at < length)
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        const auto c = static_cast<unsigned char>(bytes[at + k]);
        if (c < (k == 1 ? low : 0x80) || c > (k == 1 ? high : 0xBF))
            return 0;
    }
    return length;
}

char32_t utf8CodePoint(std::string_view sequence) {
    const auto lead = static_cast<unsigned char>(sequence[0]);
    if (sequence.size() == 1)
        return lead;
    char32_t cp = lead & (0x7Fu >> sequence.size());
    for (std::size_t k = 1; k < sequence.size(); ++k)
        cp = (cp << 6) | (static_cast<unsigned char>(sequence[k]) & 0x3Fu);
    return cp;
}

std::vector<int> CodePage::knownNumbers() {
    std::vector<int> numbers = {932, 936, 949, 950, 1252, kUtf8};
    for (const auto& t : kSingleByteTables)
        numbers.push_back(t.number);
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

CodePage::CodePage(int number) : m_number(number) {
    if (number == 1252)
        return;
    if (number == kUtf8) {
        m_utf8 = true;
        return;
    }
    if (number == 932 || number == 936 || number == 949 || number == 950) {
        m_doubleByte = true;
        return;
    }
    for (const auto& t : kSingleByteTables) {
        if (t.number == number) {
            m_table = t.table;
            return;
        }
    }
    m_known = false;
}

void CodePage::appendAnsi(std::string_view bytes, std::string& out) const {
    if (m_table) {
        const std::size_t start = out.size();
        out.resize(start + bytes.size());
        for (std::size_t i = 0; i < bytes.size(); ++i)
            out[start + i] = static_cast<char>(m_table[static_cast<unsigned char>(bytes[i])]);
        return;
    }
    if (m_utf8) {
        appendUtf8AsAnsi(bytes, out);
        return;
    }
    if (!m_doubleByte) {
        out.append(bytes);
        return;
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            out += static_cast<char>(b);
        } else if (m_number == 936 && b == 0x80) {
            out += '\x80'; // the euro sign stands alone in 936
        } else {
            out += '?';
            if (isLeadByte(m_number, b) && i + 1 < bytes.size())
                ++i;
        }
    }
}

std::string CodePage::toAnsi(std::string_view bytes) const {
    std::string out;
    appendAnsi(bytes, out);
    return out;
}

} // namespace vorendal::engine
