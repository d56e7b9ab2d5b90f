// Damaged and hostile dBASE / FoxPro files: every one gives an engine error or reads what is
// intact, never a crash, a hang, an over-read or a huge allocation.

#include <gtest/gtest.h>

#include <random>

#include "base/exceptions.h"
#include "source/engine/engineerrors.h"
#include "source/engine/tablereader.h"
#include "source/ttable.h"
#include "tests/fixtures/dbfbuilder.h"
#include "tests/fixtures/dbfcdxbuilder.h"
#include "tests/fixtures/dbfcells.h"
#include "tests/fixtures/dbfdbtbuilder.h"
#include "tests/fixtures/dbffptbuilder.h"
#include "tests/fixtures/dbfmdxbuilder.h"
#include "tests/fixtures/dbfreadback.h"
#include "tests/fixtures/testdata.h"

namespace vorendal {
namespace {

using engine::openDbfTable;
using fixtures::DbfBuilder;
using fixtures::memoryDbf;

std::string twoFieldTable(std::uint8_t version = 0x03) {
    return DbfBuilder(version)
        .field("NAME", 'C', 10)
        .field("QTY", 'N', 4)
        .record({"Alpha", "   1"})
        .record({"Beta", "   2"})
        .bytes();
}

std::string patched(std::string bytes, std::size_t at, const std::string& with) {
    bytes.replace(at, with.size(), with);
    return bytes;
}

struct BadHeader {
    const char* what;
    std::string bytes;
    engine::EngineErrorCode code;
    std::string message;
};

TEST(DbfHostile, ImpossibleHeadersAreEngineErrors) {
    using fixtures::le16;
    const std::string tooShort = "Table file is too short to hold a dBASE header.";
    const std::string mismatch =
        "Record length in the header does not match the field descriptors.";
    const std::vector<BadHeader> cases = {
        {"empty file", "", engine::errNotTable, tooShort},
        {"20 bytes", twoFieldTable().substr(0, 20), engine::errNotTable, tooShort},
        {"dBASE 7 cut at 60", twoFieldTable(0x04).substr(0, 60), engine::errNotTable, tooShort},
        {"dBASE II cut at 5", twoFieldTable(0x02).substr(0, 5), engine::errNotTable, tooShort},
        {"header length 10", patched(twoFieldTable(), 8, le16(10)), engine::errCorrupt,
         "Header length in the table header is too small."},
        {"header length past the end", patched(twoFieldTable(), 8, le16(60000)), engine::errCorrupt,
         "The table header runs past the end of the file."},
        {"record length 0", patched(twoFieldTable(), 10, le16(0)), engine::errCorrupt,
         "Record length in the header is zero."},
        {"record length 7", patched(twoFieldTable(), 10, le16(7)), engine::errCorrupt, mismatch},
        {"record length 65535", patched(twoFieldTable(), 10, le16(65535)), engine::errCorrupt,
         mismatch},
        {"dBASE II record length", patched(twoFieldTable(0x02), 6, le16(3)), engine::errCorrupt,
         mismatch},
        {"field width forged", patched(twoFieldTable(), 32 + 16, "\xFF"), engine::errCorrupt,
         mismatch},
        {"dBASE IV encrypted", patched(twoFieldTable(0x8B), 15, "\x01"), engine::errEncrypted,
         "The table is encrypted."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            openDbfTable(*memoryDbf(c.bytes));
            ADD_FAILURE() << "opened";
        } catch (const EDBEngineError& e) {
            EXPECT_EQ(e.errorCode(), c.code);
            EXPECT_EQ(std::string(e.what()), c.message + "\nFile: TABLE.dbf");
        }
    }
}

TEST(DbfHostile, MissingTableFileIsNotFound) {
    fixtures::TempDir dir;
    engine::DiskTableFiles files(dir.path() / "nothing.dbf");
    try {
        openDbfTable(files);
        FAIL() << "opened a missing file";
    } catch (const EDBEngineError& e) {
        EXPECT_EQ(e.errorCode(), engine::errNotFound);
    }
}

TEST(DbfHostile, TablesOnDiskFindTheirCompanionsWhateverTheCase) {
    fixtures::TempDir dir;
    fixtures::FptBuilder fpt;
    const auto block = fpt.add("on disk");
    const std::string dbf = DbfBuilder(0x30)
                                .tableFlags(0x03)
                                .field("CODE", 'C', 3)
                                .field("NOTE", 'M', 4)
                                .record({"abc", fixtures::le32(block)})
                                .bytes();
    const auto path = dir.write("Clients.DBF", dbf);
    dir.write("clients.fpt", fpt.bytes());
    dir.write("CLIENTS.CDX", fixtures::CdxBuilder().tag("CODE", "code").bytes());
    engine::DiskTableFiles files(path);
    const auto reader = openDbfTable(files);
    ASSERT_EQ(reader->indexes().size(), 1u);
    EXPECT_EQ(reader->indexes()[0].fields, "CODE");
    EXPECT_EQ(fixtures::readAllDescribed(*reader),
              (std::vector<std::vector<std::string>>{{"text:abc", "text:on disk"}}));
}

TEST(DbfHostile, ForgedRecordCountReadsWhatIsThereThenFails) {
    const std::string dbf = patched(twoFieldTable(), 4, fixtures::le32(0xFFFFFFFF));
    const auto reader = openDbfTable(*memoryDbf(dbf));
    ASSERT_TRUE(reader->first());
    ASSERT_TRUE(reader->next());
    EXPECT_THROW(reader->next(), EDBEngineError);
}

TEST(DbfHostile, WideRecordsInATinyFileHaveNoRecords) {
    DbfBuilder b(0x03);
    for (int i = 0; i < 200; ++i)
        b.field("F" + std::to_string(i), 'C', 255);
    b.declaredRecordCount(0xFFFFFFFF);
    const auto reader = openDbfTable(*memoryDbf(b.bytes()));
    EXPECT_EQ(reader->fields().size(), 200u);
    EXPECT_THROW(reader->first(), EDBEngineError);
}

TEST(DbfHostile, ForgedDbase7PropertiesAreIgnored) {
    std::string dbf = DbfBuilder(0x04)
                          .field("A", 'C', 3)
                          .field("B", 'C', 3)
                          .requiredProperty(1)
                          .requiredProperty(2)
                          .record({"abc", "def"})
                          .bytes();
    const std::size_t properties = 68 + 2 * 48 + 1;
    for (const auto& forged :
         {fixtures::le16(0xFFFF) + fixtures::le16(16), fixtures::le16(2) + fixtures::le16(0xFFF0),
          fixtures::le16(40) + fixtures::le16(500)}) {
        const auto reader = openDbfTable(*memoryDbf(patched(dbf, properties, forged)));
        EXPECT_FALSE(reader->fields()[0].required);
        EXPECT_FALSE(reader->fields()[1].required);
        EXPECT_EQ(reader->rules().notDecoded.size(), 1u); // said, not lost
        EXPECT_EQ(fixtures::readAllDescribed(*reader).size(), 1u);
    }
}

// Found by fuzzing: a V field of width 0 whose length bit is set has no last byte to read its
// length from (the read fell one byte before the field; the sanitizer build catches it).
TEST(DbfHostile, VariableFieldOfWidthZeroIsNull) {
    const std::string dbf = DbfBuilder(0x30)
                                .field("V", 'V', 0)
                                .field("_NullFlags", '0', 1, 0, 0x05)
                                .record({"", fixtures::vfpNullFlags({0})})
                                .bytes();
    const auto reader = openDbfTable(*memoryDbf(dbf));
    EXPECT_EQ(fixtures::readAllDescribed(*reader),
              (std::vector<std::vector<std::string>>{{"null"}}));
}

// A character field of width 0 takes no byte of the record: it is an empty text field, and the
// field after it keeps its own value (it never slides into the empty one's place).
TEST(DbfHostile, CharacterFieldOfWidthZeroIsEmptyAndMovesNothing) {
    for (const auto& [version, letter] :
         {std::pair<std::uint8_t, char>{0x03, 'C'}, {0x04, 'C'}, {0x30, 'V'}, {0x02, 'C'}}) {
        SCOPED_TRACE(std::to_string(version) + letter);
        const std::string dbf = DbfBuilder(version)
                                    .field("A", letter, 0)
                                    .field("B", 'C', 3)
                                    .record({"", "abc"})
                                    .bytes();
        TTable table("Table1",
                     [&](const std::string&) { return engine::openTableReader(memoryDbf(dbf)); });
        table.setTableName("/t.dbf");
        table.Open();
        ASSERT_EQ(table.FieldCount(), 2);
        EXPECT_EQ(table.FieldDefs()[0].DataType, ftString);
        EXPECT_EQ(table.FieldDefs()[0].Size, 0);
        EXPECT_TRUE(table.Fields(0).IsNull());
        EXPECT_EQ(table.Fields(1).FieldName(), "B");
        EXPECT_EQ(table.Fields(1).AsString(), "abc");
    }
}

// Reads everything a table offers; only the system's own exceptions may leave.
void readWhatever(const engine::TableFiles& files) {
    try {
        const auto reader = openDbfTable(files);
        engine::Value v;
        std::size_t records = 0;
        for (bool ok = reader->first(); ok && records < 100000; ok = reader->next(), ++records) {
            for (std::size_t c = 0; c < reader->fields().size(); ++c) {
                try {
                    reader->value(c, v);
                } catch (const EDBEngineError&) {
                }
            }
        }
    } catch (const EDBEngineError&) {
    }
}

// Deterministic mutations of well-formed tables with memo and index companions.
TEST(DbfHostile, MutatedFilesNeverCrash) {
    fixtures::FptBuilder fpt(64);
    const auto memo = fpt.add("a memo text that spans more than one block of the file....");
    fixtures::DbtBuilder dbt3(fixtures::DbtBuilder::Style::DBase3);
    const auto memo3 = dbt3.add("dBASE III memo");
    fixtures::DbtBuilder dbt4(fixtures::DbtBuilder::Style::DBase4);
    const auto memo4 = dbt4.add("dBASE IV memo");
    struct Sample {
        std::string dbf;
        std::string extension;
        std::string companion;
        std::string indexExtension;
        std::string index;
    };
    const std::vector<Sample> samples = {
        {DbfBuilder(0x32)
             .tableFlags(0x03)
             .field("C", 'C', 5, 0, 0x02)
             .field("V", 'V', 6, 0, 0x02)
             .field("Q", 'Q', 4)
             .field("M", 'M', 4)
             .field("T", 'T', 8)
             .field("Y", 'Y', 8)
             .field("B", 'B', 8)
             .field("I", 'I', 4, 0, 0x0C)
             .field("_NullFlags", '0', 1, 0, 0x05)
             .record({"abc", std::string("xy\0\0\0\x02", 6), "\x01\x02\x03\x04",
                      fixtures::le32(memo), fixtures::vfpDateTime(2020, 2, 2, 5),
                      fixtures::vfpCurrency(5), fixtures::vfpDouble(1.5), fixtures::le32(1),
                      fixtures::vfpNullFlags({1})})
             .bytes(),
         "fpt", fpt.bytes(), "cdx",
         fixtures::CdxBuilder(2).tag("C", "C").tag("V", "V+C").tag("X", "UPPER(C)").bytes()},
        {DbfBuilder(0x83)
             .field("N", 'N', 8, 2)
             .field("D", 'D', 8)
             .field("L", 'L', 1)
             .field("M", 'M', 10)
             .record({"   -1.50", "20200101", "T", fixtures::dbfMemoPointer(memo3)})
             .record({"", "", "", ""})
             .bytes(),
         "dbt", dbt3.bytes(), "mdx", ""},
        {DbfBuilder(0x8C)
             .tableFlags(0x01)
             .driverName("DB437US0")
             .field("A", '+', 4)
             .field("O", 'O', 8)
             .field("TS", '@', 8)
             .field("M", 'M', 10)
             .requiredProperty(1)
             .record({fixtures::dbase7Integer(1), fixtures::dbase7Double(2.5),
                      fixtures::dbase7Timestamp(2000, 1, 1, 0), fixtures::dbfMemoPointer(memo4)})
             .bytes(),
         "dbt", dbt4.bytes(), "mdx", fixtures::MdxBuilder(3).tag("A", "A").tag("O", "O").bytes()},
        {DbfBuilder(0x02).field("N", 'N', 5).field("C", 'C', 4).record({"   12", "abcd"}).bytes(),
         "", "", "", ""},
    };
    std::mt19937 random(20240115);
    for (int round = 0; round < 3000; ++round) {
        const Sample& s = samples[static_cast<std::size_t>(round) % samples.size()];
        std::string dbf = s.dbf;
        std::string companion = s.companion;
        std::string index = s.index;
        // Pick one of the three files and damage a few bytes, or cut it short.
        std::string* target = round % 3 == 0 ? &dbf : (round % 3 == 1 ? &companion : &index);
        if (target->empty())
            target = &dbf;
        const int edits = 1 + static_cast<int>(random() % 4);
        for (int e = 0; e < edits; ++e) {
            const std::size_t at = random() % target->size();
            switch (random() % 4) {
            case 0:
                (*target)[at] = static_cast<char>(random());
                break;
            case 1:
                (*target)[at] = static_cast<char>(0xFF);
                break;
            case 2:
                (*target)[at] = 0;
                break;
            default:
                target->resize(at);
                break;
            }
            if (target->empty())
                break;
        }
        engine::MemoryTableFiles files("TABLE", "dbf", dbf);
        if (!s.extension.empty())
            files.addCompanion(s.extension, companion);
        if (!s.indexExtension.empty())
            files.addCompanion(s.indexExtension, index);
        readWhatever(files);
    }
}

} // namespace
} // namespace vorendal
