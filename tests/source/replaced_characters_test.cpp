// Characters with no Windows-1252 form: how many the table component reports as written '?',
// for names and values apart, per code page and reader.

#include <gtest/gtest.h>

#include "source/ttable.h"
#include "tests/fixtures/dbfbuilder.h"
#include "tests/fixtures/dbfcells.h"
#include "tests/fixtures/paradoxfixture.h"
#include "tests/fixtures/testdata.h"

namespace vorendal {
namespace {

struct Case {
    const char* what;
    std::uint8_t languageDriver; // dBASE; 0: a Paradox table under paradoxPage
    int paradoxPage;
    std::string name;  // of the one text field, in the table's page
    std::string value; // in each of the two records
    ReplacedCharacters expected;
};

std::string writeTable(const fixtures::TempDir& dir, const Case& c) {
    if (c.languageDriver == 0) {
        fixtures::ParadoxTableBuilder b(12);
        b.codePage(c.paradoxPage).field(c.name, 'A', 12);
        b.row({fixtures::px::alpha(c.value)}).row({fixtures::px::alpha(c.value)});
        return b.build().writeTo(dir.path(), "T").string();
    }
    fixtures::DbfBuilder b(0x03);
    b.languageDriver(c.languageDriver).field(c.name, 'C', 12);
    b.record({fixtures::dbfText(c.value, 12)}).record({fixtures::dbfText(c.value, 12)});
    return dir.write("t.dbf", b.bytes()).string();
}

TEST(ReplacedCharacters, CountsWhatBecameAQuestionMarkInNamesAndValues) {
    const Case cases[] = {
        // Cyrillic has no 1252 form; a '?' of the table's own is no loss
        {"1251", 0xC9, 0, "\xC8\xCC\xDF", "\xC0\xE1\xE2 ?", {3, 6}},
        {"437 box drawing", 0x01, 0, "NOME", "\xC9\xCD\xBB\x82", {0, 6}},
        {"1252", 0x03, 0, "NOME", "\xE9\x81?", {0, 0}},
        {"932: one per double-byte character", 0x13, 0, "NOME", "\x82\xA0x\xB1", {0, 4}},
        {"Mazovia", 0x69, 0, "NOME", "\x86\x87", {0, 2}}, // a-ogonek; c-cedilla has a form
        {"Paradox 866", 0, 866, "\x88\x8C\x9F", "\x8C\xA8?", {3, 4}},
        {"Paradox 850", 0, 850, "NOME", "\x87\xC6", {0, 0}},
    };
    for (const Case& c : cases) {
        fixtures::TempDir dir;
        TTable table;
        table.setTableName(writeTable(dir, c));
        table.Open();
        for (table.First(); !table.Eof(); table.Next())
            table.Fields(0).AsString();
        const ReplacedCharacters open = table.replacedCharacters();
        table.Close();
        const ReplacedCharacters closed = table.replacedCharacters();
        EXPECT_EQ(open.names, c.expected.names) << c.what;
        EXPECT_EQ(open.values, c.expected.values) << c.what;
        EXPECT_EQ(closed.names, c.expected.names) << c.what << " (kept by Close)";
        EXPECT_EQ(closed.values, c.expected.values) << c.what << " (kept by Close)";

        // the next opening counts anew, only the values it reads
        table.Open();
        table.Fields(0).AsString();
        EXPECT_EQ(table.replacedCharacters().values, c.expected.values / 2) << c.what;
        table.Close();
        // UTF-8 keeps every character
        table.setTextDelivery(engine::TextDelivery::Utf8);
        table.Open();
        table.Fields(0).AsString();
        EXPECT_EQ(table.replacedCharacters().names + table.replacedCharacters().values, 0U)
            << c.what;
        table.Close();
        table.setTableName("");
        EXPECT_EQ(table.replacedCharacters().values, 0U) << c.what << " (a new path)";
    }
}

} // namespace
} // namespace vorendal
