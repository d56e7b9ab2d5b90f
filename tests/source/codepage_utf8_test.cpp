// UTF-8 delivery: each page's bytes become the characters they stand for, those that 1252 lacks
// included; the double-byte pages through the C library's converter.

#include <gtest/gtest.h>

#include "source/engine/codepage.h"
#include "source/engine/dbase/dbftextconverter.h"

namespace vorendal::engine {
namespace {

TEST(CodePageUtf8, EveryPageToItsCharacters) {
    const struct {
        int page;
        std::string bytes;
        std::string utf8;
    } cases[] = {
        {1252, "Caf\xE9 \x80", "Café €"},
        {437, "\x80\xE1\xB0", "Çß░"},
        {850, "S\xC6o", "São"},
        {852, "P\xFD\xA1li\xE7", "Příliš"},
        {866, "\x8F\xE0\xA8\xA2\xA5\xE2", "Привет"},
        {1251, "\xCF\xF0\xE8\xE2\xE5\xF2", "Привет"},
        {1253, "\xD9\xEC\xDD\xE3\xE1", "Ωμέγα"},
        {737, "\x97\xA3\xE2\x9A\x98", "Ωμέγα"},
        {932, "\x93\xFA\x96\x7B", "日本"},
        {936, "\xD6\xD0\xCE\xC4", "中文"},
        {949, "\xC7\xD1\xB1\xDB", "한글"},
        {950, "\xA4\xA4\xA4\xE5", "中文"},
        {932, "a\x81", "a?"},            // a lead byte cut off at the end
        {65001, "ok \xC3\x28", "ok ?("}, // a malformed sequence
        {CodePage::kRoman8, "\xC8", "à"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CodePage(c.page, TextDelivery::Utf8).toText(c.bytes), c.utf8) << c.page;
        EXPECT_EQ(CodePage(c.page).toText(c.bytes), CodePage(c.page).toAnsi(c.bytes)) << c.page;
    }
}

TEST(CodePageUtf8, DbaseOwnPagesToo) {
    // Mazovia and Kamenicky, which the C library has no converter for
    EXPECT_EQ(dbf::DbfTextConverter(620, TextDelivery::Utf8).toAnsi("\x86\x9E"), "ąś");
    EXPECT_EQ(dbf::DbfTextConverter(895, TextDelivery::Utf8).toAnsi("\x80\x87"), "Čč");
    EXPECT_EQ(dbf::DbfTextConverter(1251, TextDelivery::Utf8).toAnsi("\xC0"), "А");
}

} // namespace
} // namespace vorendal::engine
