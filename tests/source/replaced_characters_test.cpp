// Characters with no Windows-1252 form: how many the table component reports as written '?',
// names and values apart, per code page and reader.

#include <gtest/gtest.h>

#include "source/ttable.h"
#include "tests/fixtures/dbfbuilder.h"
#include "tests/fixtures/dbfcells.h"
#include "tests/fixtures/paradoxfixture.h"
#include "tests/fixtures/testdata.h"

namespace vorendal {
namespace {

TEST(ReplacedCharacters, CountsWhatBecameAQuestionMarkInNamesAndValues) {
    // languageDriver 0: a Paradox table under paradoxPage; name and value in the table's page,
    // the value in each of two records; a '?' of the table's own is no loss
    const struct {
        std::uint8_t languageDriver;
        int paradoxPage;
        std::string name, value;
        std::uint64_t names, values;
    } cases[] = {
        {0xC9, 0, "\xC8\xCC\xDF", "\xC0\xE1\xE2 ?", 3, 6}, // 1251
        {0x01, 0, "NOME", "\xC9\xCD\xBB\x82", 0, 6},       // 437 box drawing
        {0x03, 0, "NOME", "\xE9\x81?", 0, 0},              // 1252
        {0x13, 0, "NOME", "\x82\xA0x\xB1", 0, 4},          // 932: one per double-byte character
        {0x69, 0, "NOME", "\x86\x87", 0, 2},               // Mazovia: a-ogonek, c-cedilla
        {0, 866, "\x88\x8C\x9F", "\x8C\xA8?", 3, 4},
        {0, 850, "NOME", "\x87\xC6", 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        fixtures::TempDir dir;
        std::string path;
        if (c.languageDriver == 0) {
            fixtures::ParadoxTableBuilder b(12);
            b.codePage(c.paradoxPage).field(c.name, 'A', 12);
            b.row({fixtures::px::alpha(c.value)}).row({fixtures::px::alpha(c.value)});
            path = b.build().writeTo(dir.path(), "T").string();
        } else {
            fixtures::DbfBuilder b(0x03);
            b.languageDriver(c.languageDriver).field(c.name, 'C', 12);
            b.record({fixtures::dbfText(c.value, 12)}).record({fixtures::dbfText(c.value, 12)});
            path = dir.write("t.dbf", b.bytes()).string();
        }
        TTable table;
        table.setTableName(path);
        table.Open();
        for (table.First(); !table.Eof(); table.Next())
            table.Fields(0).AsString();
        table.Close();
        EXPECT_EQ(table.replacedCharacters().names, c.names);
        EXPECT_EQ(table.replacedCharacters().values, c.values);
        // the next opening counts anew; UTF-8 keeps every character
        table.setTextDelivery(engine::TextDelivery::Utf8);
        table.Open();
        table.Fields(0).AsString();
        EXPECT_EQ(table.replacedCharacters().names + table.replacedCharacters().values, 0U);
    }
}

} // namespace
} // namespace vorendal
