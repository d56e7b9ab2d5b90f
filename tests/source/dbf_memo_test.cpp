// Memo, binary and OLE values kept in .dbt (dBASE III and IV styles) and .fpt (FoxPro) files.

#include <gtest/gtest.h>

#include "base/exceptions.h"
#include "source/engine/engineerrors.h"
#include "source/engine/tablereader.h"
#include "tests/fixtures/dbfbuilder.h"
#include "tests/fixtures/dbfcells.h"
#include "tests/fixtures/dbfdbtbuilder.h"
#include "tests/fixtures/dbffptbuilder.h"
#include "tests/fixtures/dbfreadback.h"

namespace vorendal {
namespace {

using engine::openDbfTable;
using fixtures::DbfBuilder;
using fixtures::dbfMemoPointer;
using fixtures::DbtBuilder;
using fixtures::FptBuilder;
using fixtures::le32;
using fixtures::memoryDbf;
using Rows = std::vector<std::vector<std::string>>;

const std::string kLong = std::string(700, 'L') + "\r\nend";

TEST(DbfMemo, DbaseIIIMemoRunsToItsEndMarker) {
    DbtBuilder dbt(DbtBuilder::Style::DBase3);
    const auto first = dbt.add("First memo\r\nsecond line");
    const auto second = dbt.add(kLong);
    const auto third = dbt.add("Concei\x87\xC6o");
    const std::string dbf = DbfBuilder(0x83)
                                .languageDriver(0x02)
                                .field("ID", 'N', 2)
                                .field("NOTE", 'M', 10)
                                .record({" 1", dbfMemoPointer(first)})
                                .record({" 2", "          "})
                                .record({" 3", dbfMemoPointer(second)})
                                .record({" 4", "0000000000"})
                                .record({" 5", dbfMemoPointer(third)})
                                .bytes();
    const auto reader = openDbfTable(*memoryDbf(dbf, {{"dbt", dbt.bytes()}}));
    EXPECT_EQ(fixtures::readAllDescribed(*reader),
              (Rows{{"int:1", "text:First memo\r\nsecond line"},
                    {"int:2", "null"},
                    {"int:3", "text:" + kLong},
                    {"int:4", "null"},
                    {"int:5", "text:Concei\xE7\xE3o"}}));
}

TEST(DbfMemo, SoftReturnsOfDbaseWordWrapBecomeLineBreaks) {
    for (const auto style : {DbtBuilder::Style::DBase3, DbtBuilder::Style::DBase4}) {
        DbtBuilder dbt(style);
        const auto memo = dbt.add("wrapped\x8D\nline\x8D"
                                  "end");
        const std::string dbf = DbfBuilder(0x83)
                                    .languageDriver(0x01)
                                    .field("NOTE", 'M', 10)
                                    .record({dbfMemoPointer(memo)})
                                    .bytes();
        const auto reader = openDbfTable(*memoryDbf(dbf, {{"dbt", dbt.bytes()}}));
        // a 0x8D without its line feed is the letter of code page 437 (ì)
        EXPECT_EQ(fixtures::readAllDescribed(*reader), (Rows{{"text:wrapped\r\nline\xEC"
                                                              "end"}}));
    }
}

TEST(DbfMemo, DbaseIVMemoBlocksCarryTheirLength) {
    for (const std::uint16_t blockSize : {512, 1024, 64}) {
        SCOPED_TRACE(blockSize);
        DbtBuilder dbt(DbtBuilder::Style::DBase4, blockSize);
        const auto text = dbt.add(kLong);
        const auto ole = dbt.add(std::string("\x01\x00\x1A\xFF", 4));
        const auto binary = dbt.add(std::string("\x1A\x1A\x00", 3));
        const std::string dbf =
            DbfBuilder(0x8B)
                .field("NOTE", 'M', 10)
                .field("PIC", 'G', 10)
                .field("RAW", 'B', 10)
                .record({dbfMemoPointer(text), dbfMemoPointer(ole), dbfMemoPointer(binary)})
                .bytes();
        const auto reader = openDbfTable(*memoryDbf(dbf, {{"DBT", dbt.bytes()}}));
        EXPECT_EQ(fixtures::readAllDescribed(*reader),
                  (Rows{{"text:" + kLong, "bytes:01001aff", "bytes:1a1a00"}}));
    }
}

TEST(DbfMemo, Dbase7MemoIsConvertedByTheDriverName) {
    DbtBuilder dbt(DbtBuilder::Style::DBase4);
    const auto block = dbt.add("\x8F\xE0\xA8\xA2\xA5\xE2 \xF8");
    const std::string dbf = DbfBuilder(0x8C)
                                .driverName("db866ru0")
                                .field("BIO", 'M', 10)
                                .record({dbfMemoPointer(block)})
                                .bytes();
    const auto reader = openDbfTable(*memoryDbf(dbf, {{"dbt", dbt.bytes()}}));
    EXPECT_EQ(fixtures::readColumnDescribed(*reader, 0),
              std::vector<std::string>{"text:?????? \xB0"});
}

TEST(DbfMemo, FoxPro2UsesFptWithTextPointers) {
    FptBuilder fpt(64);
    const auto memo = fpt.add(kLong);
    const auto general = fpt.add("OLE", FptBuilder::kObject);
    const auto picture = fpt.add("\x89PNG", FptBuilder::kPicture);
    const std::string dbf =
        DbfBuilder(0xF5)
            .field("MEMO", 'M', 10)
            .field("GENERAL", 'G', 10)
            .field("PHOTO", 'P', 10)
            .record({dbfMemoPointer(memo), dbfMemoPointer(general), dbfMemoPointer(picture)})
            .record({"", "", ""})
            .bytes();
    // A stray .dbt beside the table is not used: FoxPro keeps its memos in the .fpt.
    const auto reader =
        openDbfTable(*memoryDbf(dbf, {{"fpt", fpt.bytes()}, {"dbt", std::string(512, '\0')}}));
    EXPECT_EQ(
        fixtures::readAllDescribed(*reader),
        (Rows{{"text:" + kLong, "bytes:4f4c45", "bytes:89504e47"}, {"null", "null", "null"}}));
}

TEST(DbfMemo, VisualFoxProUsesBinaryPointersAndAnyBlockSize) {
    for (const std::uint16_t blockSize : {64, 1, 32, 512, 1024}) {
        SCOPED_TRACE(blockSize);
        FptBuilder fpt(blockSize);
        const auto text = fpt.add("Caf\xE9 notes");
        const auto binary = fpt.add("Caf\xE9", FptBuilder::kText);
        const auto blob = fpt.add(std::string("\0\1\2", 3), FptBuilder::kObject);
        const std::string dbf = DbfBuilder(0x30)
                                    .languageDriver(0x03)
                                    .field("NOTES", 'M', 4)
                                    .field("RAWNOTES", 'M', 4, 0, 0x04)
                                    .field("OBJ", 'G', 4)
                                    .record({le32(text), le32(binary), le32(blob)})
                                    .record({le32(0), le32(0), le32(0)})
                                    .bytes();
        const auto reader = openDbfTable(*memoryDbf(dbf, {{"FPT", fpt.bytes()}}));
        EXPECT_EQ(fixtures::readAllDescribed(*reader),
                  (Rows{{"text:Caf\xE9 notes", "bytes:436166e9", "bytes:000102"},
                        {"null", "null", "null"}}));
    }
}

TEST(DbfMemo, EmptyMemoIsNull) {
    FptBuilder fpt;
    const auto empty = fpt.add("");
    const std::string dbf = DbfBuilder(0x30).field("NOTES", 'M', 4).record({le32(empty)}).bytes();
    const auto reader = openDbfTable(*memoryDbf(dbf, {{"fpt", fpt.bytes()}}));
    EXPECT_EQ(fixtures::readColumnDescribed(*reader, 0), std::vector<std::string>{"null"});
}

TEST(DbfMemo, MissingMemoFileFailsOnlyWhenAMemoIsRead) {
    const std::string dbf = DbfBuilder(0x83)
                                .field("NAME", 'C', 5)
                                .field("NOTE", 'M', 10)
                                .record({"blank", ""})
                                .record({"memo", dbfMemoPointer(1)})
                                .bytes();
    const auto reader = openDbfTable(*memoryDbf(dbf));
    ASSERT_EQ(reader->fields().size(), 2u);
    engine::Value v;
    ASSERT_TRUE(reader->first());
    reader->value(1, v);
    EXPECT_TRUE(v.isNull());
    ASSERT_TRUE(reader->next());
    reader->value(0, v);
    EXPECT_EQ(v.text, "memo");
    try {
        reader->value(1, v);
        FAIL() << "a memo was read without its file";
    } catch (const EDBEngineError& e) {
        EXPECT_EQ(e.errorCode(), engine::errMemo);
        EXPECT_EQ(std::string(e.what()), "Memo file is missing.\nFile: TABLE.dbf");
    }
}

TEST(DbfMemo, OneDamagedMemoReadsAsNullAndTheNextOneStillReads) {
    FptBuilder fpt(64);
    const auto good = fpt.add("good");
    std::string file = fpt.bytes();
    const auto forged = static_cast<std::uint32_t>(file.size() / 64);
    file += fixtures::be32(1) + fixtures::be32(0x7FFFFFFF) + "short";
    file.resize((forged + 1) * 64u, '\0');
    const std::string dbf = DbfBuilder(0x30)
                                .field("NOTES", 'M', 4)
                                .record({le32(forged)})     // length past the end of the file
                                .record({le32(4)})          // inside the 512-byte header
                                .record({le32(100000)})     // past the end of the file
                                .record({le32(0xFFFFFFFF)}) // far past it
                                .record({le32(good)})
                                .bytes();
    const auto reader = openDbfTable(*memoryDbf(dbf, {{"fpt", file}}));
    EXPECT_EQ(fixtures::readColumnDescribed(*reader, 0),
              (std::vector<std::string>{"null", "null", "null", "null", "text:good"}));
}

TEST(DbfMemo, DamagedDbtMemosReadAsNull) {
    DbtBuilder dbt(DbtBuilder::Style::DBase4);
    const auto good = dbt.add("good");
    std::string file = dbt.bytes();
    // a block whose length runs past the end, and one whose length is below its own header
    file += std::string("\xFF\xFF\x08\x00", 4) + le32(5000) + "xx";
    file.resize(file.size() + 512 - file.size() % 512, '\0');
    file += std::string("\xFF\xFF\x08\x00", 4) + le32(3);
    file.resize(file.size() + 512 - file.size() % 512, '\0');
    const std::string dbf = DbfBuilder(0x8B)
                                .field("NOTE", 'M', 10)
                                .record({dbfMemoPointer(2)})
                                .record({dbfMemoPointer(3)})
                                .record({"  12ab    "}) // not a number
                                .record({dbfMemoPointer(good)})
                                .bytes();
    const auto reader = openDbfTable(*memoryDbf(dbf, {{"dbt", file}}));
    EXPECT_EQ(fixtures::readColumnDescribed(*reader, 0),
              (std::vector<std::string>{"null", "null", "null", "text:good"}));
}

TEST(DbfMemo, DbaseIIIMemoWithoutEndMarkerReadsAsNull) {
    DbtBuilder dbt(DbtBuilder::Style::DBase3);
    dbt.add("complete");
    std::string file = dbt.bytes() + "cut short, no end marker";
    const std::string dbf = DbfBuilder(0x83)
                                .field("NOTE", 'M', 10)
                                .record({dbfMemoPointer(1)})
                                .record({dbfMemoPointer(2)})
                                .bytes();
    const auto reader = openDbfTable(*memoryDbf(dbf, {{"dbt", file}}));
    EXPECT_EQ(fixtures::readColumnDescribed(*reader, 0),
              (std::vector<std::string>{"text:complete", "null"}));
}

TEST(DbfMemo, DbaseIVBlockWithoutSignatureIsReadUpToItsEndMarker) {
    std::string file = DbtBuilder(DbtBuilder::Style::DBase4).bytes();
    file += "plain text\x1A\x1A";
    file.resize(1024, '\0');
    const std::string dbf =
        DbfBuilder(0x8B).field("NOTE", 'M', 10).record({dbfMemoPointer(1)}).bytes();
    const auto reader = openDbfTable(*memoryDbf(dbf, {{"dbt", file}}));
    EXPECT_EQ(fixtures::readColumnDescribed(*reader, 0),
              std::vector<std::string>{"text:plain text"});
}

TEST(DbfMemo, DamagedMemoFileHeaderIsAnEngineError) {
    struct Case {
        std::uint8_t version;
        int width;
        std::string extension;
        std::string memoFile;
        std::string pointer;
    };
    std::string fptZeroBlock = FptBuilder(64).bytes();
    fptZeroBlock[6] = fptZeroBlock[7] = '\0';
    fptZeroBlock += std::string(128, 'x');
    std::string dbtOddBlock = DbtBuilder(DbtBuilder::Style::DBase4).bytes();
    dbtOddBlock[20] = 100;
    dbtOddBlock += std::string(1024, 'x');
    const std::vector<Case> cases = {
        {0x30, 4, "fpt", fptZeroBlock, le32(9)},
        {0x30, 4, "fpt", "\0\0", le32(9)},
        {0x8B, 10, "dbt", dbtOddBlock, dbfMemoPointer(1)},
        {0x8B, 10, "dbt", std::string(10, '\0'), dbfMemoPointer(1)},
    };
    for (const auto& c : cases) {
        const std::string dbf =
            DbfBuilder(c.version).field("NOTE", 'M', c.width).record({c.pointer}).bytes();
        const auto reader = openDbfTable(*memoryDbf(dbf, {{c.extension, c.memoFile}}));
        ASSERT_TRUE(reader->first());
        engine::Value v;
        try {
            reader->value(0, v);
            ADD_FAILURE() << "read a memo through a damaged header";
        } catch (const EDBEngineError& e) {
            EXPECT_EQ(e.errorCode(), engine::errMemo);
            EXPECT_EQ(std::string(e.what()).substr(0, 28), "Memo file header is damaged.");
        }
    }
}

} // namespace
} // namespace vorendal
