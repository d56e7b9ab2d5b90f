#include "source/engine/codepagedetection.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <vector>

#include "base/ansi.h"
#include "source/engine/codepage.h"

namespace vorendal::engine {
namespace {

// Evidence for a page, per character decoded from a byte above 127 (or a UTF-8 sequence).
constexpr int kLetterInWord = 2;   // a letter next to a letter
constexpr int kForeignInWord = 4;  // a character 1252 lacks (box drawing, Greek, math) by a letter
constexpr int kForeignAlone = 1;   // the same between blanks, digits or punctuation
constexpr int kSymbolInWord = 3;   // a symbol or punctuation mark between two letters
constexpr int kMarkAtWordEdge = 1; // the same on one side of a word: “quoted”, etc…
constexpr int kApostrophe = 2;     // ’ between two letters: d’água, it’s
constexpr int kCaseMismatch = 2;   // lower then upper case (aÇo), or the reverse mid-word (CAFé)
constexpr int kTildeFits = 1;      // ã / õ before o, e, s or at a word's end: ão, ões, mãe
constexpr int kTildeMisplaced = 2; // ã / õ before any other letter: Bãr, Cõln
constexpr int kIncoherent = 2;     // an accented letter outside the language of the others
constexpr int kAlienWord = 3;      // per accented letter of a word made mostly of them
// How far a page must lead the fallback to replace it.
constexpr int kMinMargin = 3;
// The least evidence per decoded character that counts as clear: real text earns about
// kLetterInWord for each of its accented letters, text of another script read as Latin far less.
constexpr int kMinPerCharacter = 1;
// UTF-8 competes when at most one byte in this many of its high sequences is malformed.
constexpr std::size_t kUtf8MalformedShare = 10;

// The accented letters (lower case, 1252) that one language writes: Portuguese, Spanish, French,
// German, Italian, the Nordic languages.
constexpr std::string_view kLanguages[] = {
    "\xE1\xE0\xE2\xE3\xE7\xE9\xEA\xED\xF3\xF4\xF5\xFA\xFC",
    "\xE1\xE9\xED\xF3\xFA\xF1\xFC",
    "\xE0\xE2\xE7\xE9\xE8\xEA\xEB\xEE\xEF\xF4\xFB\xF9\xFC\xFF\x9C\xE6",
    "\xE4\xF6\xFC\xDF",
    "\xE0\xE8\xE9\xEC\xF2\xF9\xED\xF3\xFA\xEE",
    "\xE5\xE6\xF8\xE4\xF6\xE9\xFC",
};

// Script: a letter of another script (Cyrillic, Greek, CJK...), which only UTF-8 can name.
enum class Kind : std::uint8_t { Upper, Lower, Caseless, Script, Joiner, Foreign, Other };

struct Glyph {
    unsigned char ansi;
    Kind kind;
    bool high; // decoded from bytes above 127
};

Kind ansiKind(unsigned char a) {
    if (a < 0x80) {
        if (a >= 'A' && a <= 'Z')
            return Kind::Upper;
        if (a >= 'a' && a <= 'z')
            return Kind::Lower;
        return a == '\'' ? Kind::Joiner : Kind::Other;
    }
    switch (a) {
    case 0x8A: // Š
    case 0x8C: // Œ
    case 0x8E: // Ž
    case 0x9F: // Ÿ
        return Kind::Upper;
    case 0x9A: // š
    case 0x9C: // œ
    case 0x9E: // ž
        return Kind::Lower;
    case 0xAA: // ª
    case 0xBA: // º
        return Kind::Caseless;
    case 0x91: // ‘
    case 0x92: // ’
        return Kind::Joiner;
    case 0x81: // the five bytes 1252 leaves undefined
    case 0x8D:
    case 0x8F:
    case 0x90:
    case 0x9D:
        return Kind::Foreign;
    default:
        break;
    }
    if (a >= 0xC0 && a <= 0xDE && a != 0xD7)
        return Kind::Upper;
    if (a >= 0xDF && a != 0xF7)
        return Kind::Lower;
    return Kind::Other;
}

unsigned char folded(unsigned char a) {
    if ((a >= 'A' && a <= 'Z') || (a >= 0xC0 && a <= 0xDE && a != 0xD7))
        return static_cast<unsigned char>(a + 0x20);
    if (a == 0x8A || a == 0x8C || a == 0x8E)
        return static_cast<unsigned char>(a + 0x10);
    return a == 0x9F ? 0xFF : a;
}

bool isLetter(Kind k) {
    return k == Kind::Upper || k == Kind::Lower || k == Kind::Caseless || k == Kind::Script;
}

// A code point past Latin-1 outside the blocks of punctuation, symbols, box drawing and private
// use: near enough to "a letter of some script" for telling UTF-8 text from bytes that merely
// happen to form sequences.
bool isScriptLetter(char32_t cp) {
    return cp >= 0x100 && !(cp >= 0x2000 && cp <= 0x2BFF) && !(cp >= 0x3000 && cp <= 0x303F) &&
           !(cp >= 0xE000 && cp <= 0xF8FF) && !(cp >= 0xFE00 && cp <= 0xFE0F) && cp != 0xFEFF &&
           cp < 0xFFF0;
}

bool isCased(Kind k) {
    return k == Kind::Upper || k == Kind::Lower;
}

Glyph highGlyph(unsigned char ansi, bool mapped) {
    return {ansi, mapped ? ansiKind(ansi) : Kind::Foreign, true};
}

std::vector<Glyph> decodeSingleByte(std::string_view sample, int codePage) {
    const CodePage page(codePage);
    std::array<Glyph, 128> high{};
    for (int b = 0x80; b < 0x100; ++b) {
        const char byte = static_cast<char>(b);
        const auto a = static_cast<unsigned char>(page.toAnsi(std::string_view(&byte, 1))[0]);
        high[static_cast<std::size_t>(b - 0x80)] = highGlyph(a, a != '?');
    }
    std::vector<Glyph> glyphs(sample.size());
    for (std::size_t i = 0; i < sample.size(); ++i) {
        const auto b = static_cast<unsigned char>(sample[i]);
        glyphs[i] = b < 0x80 ? Glyph{b, ansiKind(b), false} : high[b - 0x80u];
    }
    return glyphs;
}

// The glyphs of sample read as UTF-8; empty when its high bytes are not, by and large, UTF-8.
std::vector<Glyph> decodeUtf8(std::string_view sample) {
    std::vector<Glyph> glyphs;
    glyphs.reserve(sample.size());
    std::size_t sequences = 0;
    std::size_t malformed = 0;
    for (std::size_t i = 0; i < sample.size();) {
        const auto b = static_cast<unsigned char>(sample[i]);
        if (b < 0x80) {
            glyphs.push_back({b, ansiKind(b), false});
            ++i;
            continue;
        }
        const std::size_t length = utf8SequenceLength(sample, i);
        if (length == 0) {
            glyphs.push_back(highGlyph('?', false));
            ++malformed;
            ++i;
            continue;
        }
        const char32_t cp = utf8CodePoint(sample.substr(i, length));
        if (cp > 0x9F && hasAnsiForm(cp))
            glyphs.push_back(highGlyph(unicodeToAnsi(cp), true));
        else
            glyphs.push_back({'?', isScriptLetter(cp) ? Kind::Script : Kind::Foreign, true});
        ++sequences;
        i += length;
    }
    if (sequences == 0 || malformed * kUtf8MalformedShare > sequences)
        glyphs.clear();
    return glyphs;
}

// Penalty for the accented letters that the best-fitting language does not write.
int incoherence(const std::array<int, 256>& letters) {
    int total = 0;
    for (int n : letters)
        total += n;
    int best = 0;
    for (std::string_view language : kLanguages) {
        int covered = 0;
        for (char c : language)
            covered += letters[static_cast<unsigned char>(c)];
        best = std::max(best, covered);
    }
    return kIncoherent * (total - best);
}

int caseScore(const std::vector<Glyph>& g, std::size_t i) {
    const Glyph& x = g[i - 1];
    const Glyph& y = g[i];
    if (!(x.high || y.high) || !isCased(x.kind) || !isCased(y.kind))
        return 0;
    if (x.kind == Kind::Lower && y.kind == Kind::Upper)
        return -kCaseMismatch;
    if (x.kind == Kind::Upper && y.kind == Kind::Lower && i >= 2 && isLetter(g[i - 2].kind))
        return -kCaseMismatch;
    return 0;
}

int tildeScore(const Glyph& c, const Glyph* next) {
    const unsigned char f = folded(c.ansi);
    if (f != 0xE3 && f != 0xF5) // ã, õ
        return 0;
    if (!next || !isLetter(next->kind))
        return kTildeFits;
    const unsigned char n = folded(next->ansi);
    return n == 'o' || n == 'e' || n == 's' ? kTildeFits : -kTildeMisplaced;
}

// Words of Western languages hold a few accented letters among plain ones; a run of accented
// letters is another script read under the wrong page.
class WordShape {
public:
    int step(const Glyph& c) {
        if (isLetter(c.kind)) {
            ++(c.high && c.kind != Kind::Script ? m_high : m_plain);
            return 0;
        }
        return end();
    }
    int end() {
        const int penalty = m_high >= 2 && m_high > m_plain ? kAlienWord * m_high : 0;
        m_high = m_plain = 0;
        return -penalty;
    }

private:
    int m_high = 0;
    int m_plain = 0;
};

struct Plausibility {
    int score = 0;
    int characters = 0; // decoded from bytes above 127
};

Plausibility plausibility(const std::vector<Glyph>& g) {
    int score = 0;
    int characters = 0;
    std::array<int, 256> letters{};
    WordShape words;
    for (std::size_t i = 0; i < g.size(); ++i) {
        if (i > 0)
            score += caseScore(g, i);
        const Glyph& c = g[i];
        score += words.step(c);
        if (!c.high)
            continue;
        ++characters;
        const Glyph* next = i + 1 < g.size() ? &g[i + 1] : nullptr;
        const bool letterBefore = i > 0 && isLetter(g[i - 1].kind);
        const bool letterAfter = next && isLetter(next->kind);
        switch (c.kind) {
        case Kind::Upper:
        case Kind::Lower:
            ++letters[folded(c.ansi)];
            score += tildeScore(c, next);
            [[fallthrough]];
        case Kind::Caseless:
        case Kind::Script:
            if (letterBefore || letterAfter)
                score += kLetterInWord;
            break;
        case Kind::Foreign:
            score -= letterBefore || letterAfter ? kForeignInWord : kForeignAlone;
            break;
        case Kind::Other:
            if (letterBefore && letterAfter)
                score -= kSymbolInWord;
            else if (letterBefore || letterAfter)
                score += kMarkAtWordEdge;
            break;
        case Kind::Joiner:
            if (letterBefore && letterAfter)
                score += kApostrophe;
            break;
        }
    }
    score += words.end();
    return {score - incoherence(letters), characters};
}

} // namespace

DetectedCodePage detectCodePage(std::string_view sample, std::span<const int> candidates) {
    const int fallback = candidates.empty() ? kDefaultCodePage : candidates.front();
    if (std::none_of(sample.begin(), sample.end(),
                     [](char c) { return static_cast<unsigned char>(c) > 127; }))
        return {fallback, false};
    int fallbackScore = 0;
    Plausibility top{INT_MIN, 0};
    int best = fallback;
    for (int candidate : candidates) {
        const std::vector<Glyph> glyphs =
            candidate == kUtf8CodePage ? decodeUtf8(sample) : decodeSingleByte(sample, candidate);
        if (glyphs.empty())
            continue;
        const Plausibility p = plausibility(glyphs);
        if (candidate == fallback)
            fallbackScore = p.score;
        if (p.score > top.score) {
            top = p;
            best = candidate;
        }
    }
    const bool clear = top.score >= kMinMargin && top.score >= kMinPerCharacter * top.characters;
    if (best == fallback || !clear || top.score - fallbackScore < kMinMargin)
        return {fallback, best == fallback && clear};
    return {best, true};
}

} // namespace vorendal::engine
