#include "source/engine/codepage.h"

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

} // namespace

CodePage::CodePage(int number) : m_number(number) {
    if (number == 1252)
        return;
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
