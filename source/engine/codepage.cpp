#include "source/engine/codepage.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>

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

// Appends the 1252 form of the UTF-8 text in bytes; returns how many characters became '?'.
std::size_t appendUtf8AsAnsi(std::string_view bytes, std::string& out) {
    std::size_t replaced = 0;
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
            ++replaced;
            ++i;
            continue;
        }
        // beyond ASCII, '?' is the form of a character that has none
        const unsigned char ansi = unicodeToAnsi(utf8CodePoint(bytes.substr(i, length)));
        replaced += ansi == '?' ? 1 : 0;
        out += static_cast<char>(ansi);
        i += length;
    }
    return replaced;
}

// The C library's name of a page, for the pages its converter reads; null when it has none.
const char* iconvName(int number) {
    static constexpr struct {
        int number;
        const char* name;
    } kNames[] = {
        {437, "CP437"},
        {737, "CP737"},
        {850, "CP850"},
        {852, "CP852"},
        {855, "CP855"},
        {857, "CP857"},
        {860, "CP860"},
        {861, "CP861"},
        {862, "CP862"},
        {863, "CP863"},
        {864, "CP864"},
        {865, "CP865"},
        {866, "CP866"},
        {869, "CP869"},
        {874, "CP874"},
        {932, "CP932"},
        {936, "GBK"},
        {949, "CP949"},
        {950, "BIG5"},
        {1250, "CP1250"},
        {1251, "CP1251"},
        {1252, "CP1252"},
        {1253, "CP1253"},
        {1254, "CP1254"},
        {1255, "CP1255"},
        {1256, "CP1256"},
        {1257, "CP1257"},
        {1258, "CP1258"},
        {10000, "MACINTOSH"},
        {10007, "MAC-CYRILLIC"},
        {10029, "MAC-CENTRALEUROPE"},
        {28591, "ISO-8859-1"},
        {28592, "ISO-8859-2"},
        {28605, "ISO-8859-15"},
        {1051, "HP-ROMAN8"},
    };
    for (const auto& n : kNames) {
        if (n.number == number)
            return n.name;
    }
    return nullptr;
}

// Decodes the first character of bytes with cd into one code point; 0 bytes used when the bytes
// start no character the page defines.
std::size_t decodeOne(iconv_t cd, std::string_view bytes, char32_t& codePoint) {
    for (std::size_t length = 1; length <= 2 && length <= bytes.size(); ++length) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(bytes.data());
        std::size_t inLeft = length;
        char32_t buffer[2] = {};
        char* outp = reinterpret_cast<char*>(buffer);
        std::size_t outLeft = sizeof buffer;
        if (iconv(cd, &in, &inLeft, &outp, &outLeft) != static_cast<std::size_t>(-1) &&
            inLeft == 0 && outLeft == sizeof buffer - sizeof(char32_t)) {
            codePoint = buffer[0];
            return length;
        }
    }
    return 0;
}

} // namespace

// The C library's converter from a double-byte page to UTF-8. Not shared between threads: each
// table reader has its own.
class Utf8Decoder {
public:
    explicit Utf8Decoder(const char* name) : m_cd(iconv_open("UTF-8", name)) {}
    ~Utf8Decoder() {
        if (m_cd != reinterpret_cast<iconv_t>(-1))
            iconv_close(m_cd);
    }
    Utf8Decoder(const Utf8Decoder&) = delete;
    Utf8Decoder& operator=(const Utf8Decoder&) = delete;

    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // A sequence the page does not define becomes '?' and the converter goes on after its lead
    // byte (both bytes when a trail byte follows a lead byte).
    void append(int number, std::string_view bytes, std::string& out) {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(bytes.data());
        std::size_t inLeft = bytes.size();
        while (inLeft > 0) {
            const std::size_t start = out.size();
            out.resize(start + inLeft * 4 + 8);
            char* outp = out.data() + start;
            std::size_t outLeft = out.size() - start;
            const std::size_t done = iconv(m_cd, &in, &inLeft, &outp, &outLeft);
            out.resize(out.size() - outLeft);
            if (done != static_cast<std::size_t>(-1))
                break;
            if (errno == E2BIG)
                continue;
            // EILSEQ or a sequence cut off at the end (EINVAL)
            out += '?';
            const auto lead = static_cast<unsigned char>(*in);
            const std::size_t skip = isLeadByte(number, lead) && inLeft > 1 ? 2 : 1;
            in += skip;
            inLeft -= skip;
            iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        }
    }

private:
    iconv_t m_cd;
};

void appendCheckedUtf8(std::string_view bytes, std::string& out) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const std::size_t length = utf8SequenceLength(bytes, i);
        if (length == 0) {
            out += '?';
            ++i;
        } else {
            out.append(bytes.substr(i, length));
            i += length;
        }
    }
}

std::size_t countReplacedIn(std::string_view bytes, const char* converted) {
    std::size_t replaced = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        replaced += static_cast<std::size_t>(converted[i] == '?' && bytes[i] != '?');
    return replaced;
}

bool tableReplaces(const unsigned char* table) {
    for (std::size_t b = 0; b < 256; ++b) {
        if (table[b] == '?' && b != '?')
            return true;
    }
    return false;
}

std::array<char32_t, 256> singleByteCharacters(int number) {
    std::array<char32_t, 256> characters{};
    const CodePage page(number);
    for (std::size_t b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        characters[b] = ansiToUnicode(static_cast<unsigned char>(page.toAnsi({&byte, 1})[0]));
    }
    const char* name = iconvName(page.known() ? number : 1252);
    if (name == nullptr)
        return characters; // Mac Greek: the C library has no converter, the 1252 forms stay
    const iconv_t cd = iconv_open("UTF-32LE", name);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return characters;
    for (std::size_t b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        char32_t cp = 0;
        if (decodeOne(cd, {&byte, 1}, cp) == 1)
            characters[b] = cp;
    }
    iconv_close(cd);
    return characters;
}

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

CodePage::CodePage(int number, TextDelivery delivery) : m_number(number), m_delivery(delivery) {
    if (delivery == TextDelivery::Utf8 && number != kUtf8) {
        if (number == 932 || number == 936 || number == 949 || number == 950) {
            auto decoder = std::make_shared<Utf8Decoder>(iconvName(number));
            if (decoder->valid())
                m_decoder = std::move(decoder);
        }
        if (!m_decoder) {
            m_characters =
                std::make_shared<const std::array<char32_t, 256>>(singleByteCharacters(number));
            m_asciiKept = true;
            for (std::size_t b = 0; b < 0x80; ++b)
                m_asciiKept = m_asciiKept && (*m_characters)[b] == static_cast<char32_t>(b);
        }
    }
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
            m_lossy = tableReplaces(m_table);
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
        if (m_lossy)
            m_replaced += countReplaced(bytes, out.data() + start);
        return;
    }
    if (m_utf8) {
        m_replaced += appendUtf8AsAnsi(bytes, out);
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
            ++m_replaced;
            if (isLeadByte(m_number, b) && i + 1 < bytes.size())
                ++i;
        }
    }
}

void CodePage::appendUtf8(std::string_view bytes, std::string& out) const {
    if (m_decoder) {
        m_decoder->append(m_number, bytes, out);
        return;
    }
    if (!m_characters) {
        appendCheckedUtf8(bytes, out);
        return;
    }
    const std::array<char32_t, 256>& characters = *m_characters;
    std::size_t i = 0;
    while (i < bytes.size()) {
        // runs of ASCII letters, which nearly every page keeps as they are, in one append
        std::size_t run = i;
        if (m_asciiKept) {
            while (run < bytes.size() && static_cast<unsigned char>(bytes[run]) < 0x80)
                ++run;
        } else {
            while (run < bytes.size() && static_cast<unsigned char>(bytes[run]) < 0x80 &&
                   characters[static_cast<unsigned char>(bytes[run])] ==
                       static_cast<unsigned char>(bytes[run]))
                ++run;
        }
        out.append(bytes.data() + i, run - i);
        if (run == bytes.size())
            break;
        vorendal::appendUtf8(out, characters[static_cast<unsigned char>(bytes[run])]);
        i = run + 1;
    }
}

std::string CodePage::toText(std::string_view bytes) const {
    std::string out;
    appendText(bytes, out);
    return out;
}

std::string CodePage::toAnsi(std::string_view bytes) const {
    std::string out;
    appendAnsi(bytes, out);
    return out;
}

} // namespace vorendal::engine
