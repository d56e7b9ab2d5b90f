#include "source/engine/codepage.h"

#include <gtest/gtest.h>

namespace vorendal::engine {
namespace {

TEST(CodePage, ConvertsToWindows1252) {
    // replaced: the characters that became '?' for want of a form
    struct Case {
        int codePage;
        std::string in;
        std::string out;
        std::uint64_t replaced;
    };
    const Case cases[] = {
        {437, "Adh\x82rent Bl\x82riot?", "Adh\xE9rent Bl\xE9riot?", 0},
        {437, "\xF8\xC9", "\xB0?", 1},            // degree sign; a box corner has no form
        {850, "\x87\xC6\xA2", "\xE7\xE3\xF3", 0}, // ç ã ó
        {866, "\x8C\xA8\xE0", "???", 3},          // Cyrillic has no 1252 form
        {1251, "\xC0\xE1\xE2?", "????", 3},
        {1252, "\x80\xE9\x81", "\x80\xE9\x81", 0}, // unchanged, the undefined byte too
        {1250, "\x8A\xE8", "\x8A?", 1},            // Š stays; č has no form
        {10000, "\x8E", "\xE9", 0},                // Mac Roman é
        {CodePage::kRoman8, "\xC5", "\xE9", 0},    // HP Roman-8 é
        {936,
         "a\xD6\xD0"
         "b",
         "a?b", 1},                       // one '?' per double-byte character
        {932, "\x82\xA0x\xB1", "?x?", 2}, // half-width katakana is one byte
        {437, std::string("a\0b", 3), std::string("a\0b", 3), 0},
        // UTF-8: each character its 1252 form or one '?', each malformed byte one '?'
        {CodePage::kUtf8, "a\xC3\xA7\xE2\x80\xA6\xD0\x96\xFF\xC3?", "a\xE7\x85????", 3},
    };
    for (const auto& c : cases) {
        const CodePage cp(c.codePage);
        EXPECT_TRUE(cp.known()) << c.codePage;
        EXPECT_EQ(cp.toAnsi(c.in), c.out) << c.codePage;
        EXPECT_EQ(cp.replacedCharacters(), c.replaced) << c.codePage;
    }
}

TEST(CodePage, UnknownNumbersPassTextUnchanged) {
    const CodePage cp(12345);
    EXPECT_FALSE(cp.known());
    EXPECT_EQ(cp.toAnsi("\xE9x"), "\xE9x");
}

TEST(CodePage, AsciiIsTheSameInEverySingleByteCodePage) {
    std::string ascii;
    for (int b = 0x20; b < 0x7F; ++b)
        ascii += static_cast<char>(b);
    for (int n : {437, 737, 850, 852, 857, 860, 861, 863, 865, 866, 874, 1250, 1251, 1253, 1254,
                  1255, 1256, 1257, 10000}) {
        EXPECT_EQ(CodePage(n).toAnsi(ascii), ascii) << n;
    }
}

} // namespace
} // namespace vorendal::engine
