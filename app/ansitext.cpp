#include "app/ansitext.h"

#include <array>

#include "base/ansi.h"

namespace vorendal {
namespace {

std::array<char16_t, 256> makeUnicodeTable() {
    std::array<char16_t, 256> table{};
    for (std::size_t b = 0; b < table.size(); ++b)
        table[b] = static_cast<char16_t>(ansiToUnicode(static_cast<unsigned char>(b)));
    return table;
}

} // namespace

QString toQString(std::string_view ansi) {
    static const std::array<char16_t, 256> table = makeUnicodeTable();
    QString out(static_cast<qsizetype>(ansi.size()), Qt::Uninitialized);
    QChar* dst = out.data();
    for (const char c : ansi)
        *dst++ = QChar(table[static_cast<unsigned char>(c)]);
    return out;
}

std::string toAnsi(QStringView text) {
    std::uint64_t replaced = 0;
    return toAnsi(text, replaced);
}

std::string toAnsi(QStringView text, std::uint64_t& replaced) {
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        const char16_t u = ch.unicode();
        if (u < 0x80) {
            out += static_cast<char>(u);
        } else if (ch.isSurrogate()) {
            // a character beyond the 16-bit range has no 1252 form: one '?' for the pair
            if (ch.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
                ++i;
            out += '?';
            ++replaced;
        } else {
            // beyond ASCII, '?' is the form of a character that has none
            const unsigned char ansi = unicodeToAnsi(u);
            replaced += ansi == '?' ? 1 : 0;
            out += static_cast<char>(ansi);
        }
    }
    return out;
}

} // namespace vorendal
