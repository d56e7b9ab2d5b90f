// Table paths are the file system's bytes: a name that is not valid UTF-8 or holds letters that
// Windows-1252 lacks opens exactly that file, with its own companions, never a look-alike.
#include <gtest/gtest.h>

#include "base/exceptions.h"
#include "source/tablename.h"
#include "source/ttable.h"
#include "tests/fixtures/dbfbuilder.h"
#include "tests/fixtures/dbfcells.h"
#include "tests/fixtures/dbffptbuilder.h"
#include "tests/fixtures/testdata.h"

namespace vorendal {
namespace {

// A FoxPro table of one text and one memo field, with its .fpt.
void writeTable(const fixtures::TempDir& dir, const std::string& stem, const std::string& text) {
    fixtures::FptBuilder fpt;
    const auto memo = fpt.add("memo of " + text);
    dir.write(stem + ".dbf", fixtures::DbfBuilder(0x30)
                                 .field("NAME", 'C', 10)
                                 .field("NOTE", 'M', 4)
                                 .record({text, fixtures::le32(memo)})
                                 .bytes());
    dir.write(stem + ".fpt", fpt.bytes());
}

TEST(TablePaths, ANameWithAnyBytesOpensThatFileAndItsCompanions) {
    fixtures::TempDir dir;
    const std::string notUtf8 = "t\xFF";
    const std::string cyrillic = "\xD1\x82\xD0\xB0\xD0\xB1"; // "таб"
    writeTable(dir, notUtf8, "right");
    writeTable(dir, "t?", "look-alike"); // what the name would be after a trip through 1252
    writeTable(dir, cyrillic, "cyrillic");
    writeTable(dir, "???", "look-alike");
    const std::string folder = dir.path().native() + "/";
    const struct {
        std::string stem;
        std::string name;
        std::string tableName;
    } cases[] = {
        {notUtf8, "right", "T?"}, {cyrillic, "cyrillic", "???"}, {"t?", "look-alike", "T?"}};
    TTable table;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        table.Close();
        table.setTableName(folder + c.stem + ".dbf");
        table.Open();
        ASSERT_FALSE(table.Eof());
        EXPECT_EQ(table.Fields(0).AsString(), c.name);
        EXPECT_EQ(table.Fields(1).AsString(), "memo of " + c.name);
        EXPECT_EQ(tableNameFromPath(table.TableName()), c.tableName);
    }
    // a name that does not exist is missing, whatever its look-alikes
    table.Close();
    table.setTableName(folder + "u\xFF.dbf");
    dir.write("u?.dbf", "");
    try {
        table.Open();
        FAIL() << "opened another file";
    } catch (const EDBEngineError& e) {
        EXPECT_EQ(std::string(e.what()), "Table file does not exist.\nFile: " + folder + "u?.dbf");
    }
}

} // namespace
} // namespace vorendal
