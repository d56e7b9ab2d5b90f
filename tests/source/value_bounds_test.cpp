// What one value may cost: a memo or blob over 64 MiB is an engine error naming its field and
// record; records sharing one memo cannot multiply the reading; a damaged single memo reads as
// null but is counted, never lost. Sizes come from sparse files.
#include <gtest/gtest.h>

#include "base/exceptions.h"
#include "source/damagereport.h"
#include "source/engine/engineerrors.h"
#include "source/ttable.h"
#include "tests/fixtures/dbfbuilder.h"
#include "tests/fixtures/dbfcells.h"
#include "tests/fixtures/dbfdbtbuilder.h"
#include "tests/fixtures/dbffptbuilder.h"
#include "tests/fixtures/dbfreadback.h"
#include "tests/fixtures/paradoxfixture.h"
#include "tests/fixtures/paradoxreadback.h"
#include "tests/fixtures/testdata.h"

namespace vorendal {
namespace {

using fixtures::DbfBuilder;
using fixtures::le32;
namespace px = fixtures::px;

std::string firstValueError(engine::TableReader& reader, std::size_t column, int record = 1) {
    engine::Value v;
    bool ok = reader.first();
    for (int r = 1; ok && r < record; ++r)
        ok = reader.next();
    try {
        reader.value(column, v);
    } catch (const EDBEngineError& e) {
        return std::string(e.what());
    }
    return "(read " + std::to_string(v.text.size()) + " bytes)";
}

TEST(ValueBounds, HugeMemosOnDiskAreEngineErrorsNamingFieldAndRecord) {
    fixtures::TempDir dir;
    // FoxPro: one memo that says it holds 300 MB, and does (sparse)
    std::string fpt =
        fixtures::FptBuilder(64).bytes() + fixtures::be32(1) + fixtures::be32(300000000);
    const auto fptPath = dir.write("big.fpt", fpt);
    std::filesystem::resize_file(fptPath, fpt.size() + 300000000);
    dir.write("big.dbf", DbfBuilder(0x30).field("NOTE", 'M', 4).record({le32(8)}).bytes());
    // dBASE III: 1 GiB of zeros, no end marker, twenty records pointing at it
    const auto dbtPath =
        dir.write("zeros.dbt", fixtures::DbtBuilder(fixtures::DbtBuilder::Style::DBase3).bytes());
    std::filesystem::resize_file(dbtPath, std::uint64_t{1} << 30);
    DbfBuilder zeros(0x83);
    zeros.field("ID", 'N', 2).field("OBS", 'M', 10);
    for (int i = 0; i < 20; ++i)
        zeros.record({" 1", fixtures::dbfMemoPointer(1)});
    dir.write("zeros.dbf", zeros.bytes());

    const auto big = engine::openTableReader(engine::DiskTableFiles(dir.path() / "big.dbf"));
    EXPECT_EQ(firstValueError(*big, 0),
              "The value of field NOTE in record 1 is larger than 64 MiB.\nFile: " +
                  fptPath.string());
    const auto endless = engine::openTableReader(engine::DiskTableFiles(dir.path() / "zeros.dbf"));
    EXPECT_EQ(firstValueError(*endless, 1),
              "The value of field OBS in record 1 is larger than 64 MiB.\nFile: " +
                  dbtPath.string());
}

TEST(ValueBounds, HugeParadoxBlobsAreEngineErrorsAndSharedOnesDamaged) {
    fixtures::ParadoxTableBuilder b(12);
    b.field("Memo", 'M', 10);
    b.row({px::blob(std::string(100, 'a'), fixtures::PxBlobPlace::Shared)});
    b.row({px::blob(std::string(5000, 'b'), fixtures::PxBlobPlace::Single)});
    const std::size_t trailer = b.blockOffset(1) + 6 + 10;
    // a block of 0xFFFF * 4 KiB whose value says 200 MB
    auto huge = b.build();
    fixtures::pokeU16(huge.at("MB"), 0x2001, 0xFFFF);
    fixtures::pokeU32(huge.at("MB"), 0x2003, 200000000);
    fixtures::pokeU32(huge.table(), trailer + 20 + 4, 200000000);
    EXPECT_EQ(firstValueError(*fixtures::openParadox(huge), 0, 2),
              "The value of field Memo in record 2 is larger than 64 MiB.\nFile: TABLE.MB");
    // records pointing at the first one's value: the reading of one pass stays within the
    // size of the blob file (12 KiB here), so the third 5,000-byte copy is refused: null and
    // flagged, as a dBASE memo shared with an earlier record
    fixtures::ParadoxTableBuilder s(12);
    s.field("Memo", 'M', 10);
    s.row({px::blob(std::string(5000, 'b'), fixtures::PxBlobPlace::Single)});
    s.row({px::blob("x")}).row({px::blob("y")});
    auto shared = s.build();
    for (std::size_t r = 1; r <= 2; ++r)
        shared.table().replace(trailer + 20 * r, 10, shared.table().substr(trailer, 10));
    const auto reader = fixtures::openParadox(shared);
    engine::Value v;
    ASSERT_TRUE(reader->first());
    reader->value(0, v);
    ASSERT_TRUE(reader->next());
    reader->value(0, v);
    EXPECT_EQ(v.text, std::string(5000, 'b'));
    ASSERT_TRUE(reader->next());
    reader->value(0, v);
    EXPECT_TRUE(v.isNull() && reader->valueDamaged());
}

// One table per kind of damage; each damaged memo reads as null and is counted by the table.
TEST(ValueBounds, DamagedMemosReadAsNullAndAreCounted) {
    fixtures::FptBuilder fpt(64);
    const auto good = fpt.add("good");
    std::string fptFile = fpt.bytes();
    const auto longBlock = static_cast<std::uint32_t>(fptFile.size() / 64);
    fptFile += fixtures::be32(1) + fixtures::be32(5000) + "short";
    fixtures::DbtBuilder dbt3(fixtures::DbtBuilder::Style::DBase3);
    dbt3.add("complete");
    const std::string unterminated = dbt3.bytes() + "no end marker";
    struct Case {
        const char* what;
        std::uint8_t version;
        std::string extension;
        std::string memo;
        std::vector<std::string> pointers;
        std::vector<std::string> values;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"pointer and length past the end",
         0x30,
         "fpt",
         fptFile,
         {le32(good), le32(100000), le32(longBlock), le32(good)},
         {"good", "", "", "good"}, // a small shared memo costs nothing: it is read again
         "2 values of field NOTE could not be read; the first at record 2."},
        {"empty memo file",
         0x83,
         "dbt",
         "",
         {fixtures::dbfMemoPointer(1)},
         {""},
         "The value of field NOTE in record 1 could not be read."},
        {"no end marker",
         0x83,
         "dbt",
         unterminated,
         {fixtures::dbfMemoPointer(1), fixtures::dbfMemoPointer(2), "  12ab    "},
         {"complete", "", ""},
         "2 values of field NOTE could not be read; the first at record 2."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DbfBuilder dbf(c.version);
        dbf.field("NOTE", 'M', c.version == 0x30 ? 4 : 10);
        for (const auto& p : c.pointers)
            dbf.record({p});
        TTable table("Table1", [&](const std::string&) {
            return engine::openTableReader(
                fixtures::memoryDbf(dbf.bytes(), {{c.extension, c.memo}}));
        });
        table.setTableName("/t.dbf");
        table.Open();
        std::vector<std::string> values;
        for (table.First(); !table.Eof(); table.Next())
            values.push_back(table.Fields(0).AsString());
        table.Close();
        EXPECT_EQ(values, c.values);
        EXPECT_EQ(damageMessage(table.damage()), c.message);
        table.Open(); // a new opening starts a new count
        EXPECT_TRUE(table.damage().empty());
    }
}

// Text ends at its first zero byte; text after it is left out but counted, in both formats, in
// fields and in memos. Zero bytes or blanks after it lose nothing and are not counted.
TEST(ValueBounds, TextAfterAZeroByteIsLeftOutAndCounted) {
    fixtures::DbtBuilder dbt(fixtures::DbtBuilder::Style::DBase4);
    const auto memo = dbt.add(std::string("ab\0cd", 5));
    const auto dbf = [&](char type, const std::string& cell) {
        return engine::openTableReader(fixtures::memoryDbf(
            DbfBuilder(0x8B).field("F", type, 10).record({cell}).bytes(), {{"dbt", dbt.bytes()}}));
    };
    const auto paradox = [](char type, const std::string& value) {
        fixtures::ParadoxTableBuilder b(12);
        b.field("F", type, 4).row({type == 'A' ? px::raw(value) : px::blob(value)});
        return engine::openTableReader(b.build().memory());
    };
    const std::string cut =
        "The value of field F in record 1 has text after a zero byte, left out.";
    struct Case {
        const char* what;
        std::function<std::unique_ptr<engine::TableReader>()> reader;
        std::string message;
    };
    const Case cases[] = {
        {"dBASE character", [&] { return dbf('C', std::string("ab\0cd ", 6)); }, cut},
        {"dBASE character padded", [&] { return dbf('C', std::string("ab\0\0 \0", 6)); }, ""},
        {"dBASE memo", [&] { return dbf('M', fixtures::dbfMemoPointer(memo)); }, cut},
        {"Paradox alpha", [&] { return paradox('A', std::string("ab\0c", 4)); }, cut},
        {"Paradox alpha padded", [&] { return paradox('A', std::string("ab\0 ", 4)); }, ""},
        {"Paradox memo", [&] { return paradox('M', std::string("ab\0cd", 5)); }, cut},
        {"Paradox memo padded", [&] { return paradox('M', std::string("ab\0 \0", 5)); }, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TTable table("Table1", [&](const std::string&) { return c.reader(); });
        table.setTableName("/t");
        table.Open();
        EXPECT_EQ(table.Fields(0).AsString(), "ab");
        table.Close();
        EXPECT_EQ(damageMessage(table.damage()), c.message);
    }
}

} // namespace
} // namespace vorendal
