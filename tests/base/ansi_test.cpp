#include "base/ansi.h"

#include <gtest/gtest.h>

namespace vorendal {
namespace {

TEST(Ansi, EveryByteSurvivesTheRoundTripThroughUtf8) {
    for (int b = 0; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        EXPECT_EQ(utf8ToAnsi(ansiToUtf8(one)), one) << "byte " << b;
        EXPECT_EQ(unicodeToAnsi(ansiToUnicode(static_cast<unsigned char>(b))), b) << "byte " << b;
    }
}

TEST(Ansi, HighControlAreaMapsToWindowsCharacters) {
    struct Case {
        unsigned char byte;
        char32_t codePoint;
    };
    const Case cases[] = {{0x80, 0x20AC}, {0x8A, 0x0160}, {0x93, 0x201C}, {0x9F, 0x0178},
                          {0xE9, 0x00E9}, {0xA0, 0x00A0}, {0x41, 0x0041}};
    for (const auto& c : cases)
        EXPECT_EQ(ansiToUnicode(c.byte), c.codePoint) << int(c.byte);
}

TEST(Ansi, UndefinedBytesTravelAsC1Controls) {
    for (unsigned char b : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
        EXPECT_EQ(ansiToUnicode(b), char32_t(b));
}

TEST(Ansi, CharactersWithout1252FormBecomeQuestionMarks) {
    EXPECT_EQ(unicodeToAnsi(0x0416), '?'); // Cyrillic Zhe
    EXPECT_FALSE(hasAnsiForm(0x4E2D));
    EXPECT_EQ(utf8ToAnsi("a\xD0\x96"
                         "b"),
              "a?b");
    EXPECT_EQ(utf8ToAnsi("\xE2\x82\xAC"), "\x80");
}

TEST(Ansi, MalformedUtf8BecomesQuestionMarks) {
    EXPECT_EQ(utf8ToAnsi("\xC3"), "?");     // cut short
    EXPECT_EQ(utf8ToAnsi("\xFFx"), "?x");   // never a lead byte
    EXPECT_EQ(utf8ToAnsi("\xC3(x"), "?(x"); // bad continuation
}

TEST(Ansi, UpperCaseCoversAccentsAndTheWindowsLetters) {
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"clientes", "CLIENTES"},
        {"a\xE7\xE3o", "A\xC7\xC3O"}, // ação
        {"\xE9\xE8\xEA\xEB", "\xC9\xC8\xCA\xCB"},
        {"\x9A\x9C\x9E\xFF", "\x8A\x8C\x8E\x9F"}, // š œ ž ÿ
        {"\xDF\xB5\xF7", "\xDF\xB5\xF7"},         // ß µ ÷ have no capital here
        {"cli.2004", "CLI.2004"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ansiUpperCase(std::string_view(c.in)), c.out) << c.in;
}

} // namespace
} // namespace vorendal
