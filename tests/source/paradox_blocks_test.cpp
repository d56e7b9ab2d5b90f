// Records of Paradox tables along the chain of data blocks.
#include <gtest/gtest.h>

#include "base/exceptions.h"
#include "source/engine/engineerrors.h"
#include "tests/fixtures/paradoxfixture.h"
#include "tests/fixtures/paradoxreadback.h"
#include "tests/fixtures/testdata.h"

namespace vorendal {
namespace {

using engine::Value;
using fixtures::ParadoxTableBuilder;
using fixtures::readAllRows;
namespace px = fixtures::px;

ParadoxTableBuilder numbered(int rows, std::uint8_t version = 12) {
    ParadoxTableBuilder b(version);
    b.field("No", 'I').field("Label", 'A', 40);
    for (int i = 1; i <= rows; ++i)
        b.row({px::longInt(i), px::alpha("row " + std::to_string(i))});
    return b;
}

std::vector<std::int64_t> numbers(engine::TableReader& reader) {
    std::vector<std::int64_t> out;
    Value v;
    for (bool ok = reader.first(); ok; ok = reader.next()) {
        reader.value(0, v);
        out.push_back(v.integer);
    }
    return out;
}

std::vector<std::int64_t> oneTo(int n) {
    std::vector<std::int64_t> v;
    for (int i = 1; i <= n; ++i)
        v.push_back(i);
    return v;
}

TEST(ParadoxBlocks, EveryBlockSizeFromOneTo32KiB) {
    for (int kib : {1, 2, 3, 4, 8, 16, 32}) {
        SCOPED_TRACE(kib);
        auto b = numbered(1500);
        b.blockKiB(kib);
        const auto reader = fixtures::openParadox(b.build());
        EXPECT_EQ(numbers(*reader), oneTo(1500));
    }
}

TEST(ParadoxBlocks, RecordsFollowTheChainNotTheFileOrder) {
    auto b = numbered(20);
    b.recordsPerBlock(3).reverseBlocks();
    EXPECT_EQ(numbers(*fixtures::openParadox(b.build())), oneTo(20));
}

TEST(ParadoxBlocks, BlocksOutsideTheChainAreNotRead) {
    auto b = numbered(7);
    b.recordsPerBlock(2).staleBlock();
    EXPECT_EQ(numbers(*fixtures::openParadox(b.build())), oneTo(7));
}

TEST(ParadoxBlocks, EmptyBlocksInTheChainAreSkipped) {
    auto b = numbered(6);
    b.recordsPerBlock(2);
    auto files = b.build();
    // block 2 emptied the way deletions leave it: add-data size = -recordSize
    fixtures::pokeU16(files.table(), b.blockOffset(2) + 4, static_cast<std::uint16_t>(-44));
    EXPECT_EQ(numbers(*fixtures::openParadox(files)), (std::vector<std::int64_t>{1, 2, 5, 6}));
}

TEST(ParadoxBlocks, EmptyTablesHaveNoFirstRecord) {
    for (std::uint8_t version : {3, 4, 9, 11, 12}) {
        const auto reader = fixtures::openParadox(numbered(0, version).build());
        EXPECT_EQ(reader->fields().size(), 2u);
        EXPECT_FALSE(reader->first());
        EXPECT_FALSE(reader->next());
    }
}

TEST(ParadoxBlocks, FirstStartsOverAndNextAfterTheEndStaysAtTheEnd) {
    const auto reader = fixtures::openParadox(numbered(5).build());
    EXPECT_EQ(numbers(*reader), oneTo(5));
    EXPECT_FALSE(reader->next());
    EXPECT_EQ(numbers(*reader), oneTo(5));
}

TEST(ParadoxBlocks, AFileShortOfItsLastBlockReadsTheRecordsItHolds) {
    // The last block is cut after its records, as the table program sometimes leaves it.
    auto b = numbered(10);
    b.recordsPerBlock(4);
    auto files = b.build();
    files.table().resize(b.blockOffset(3) + 6 + 2 * 44);
    EXPECT_EQ(numbers(*fixtures::openParadox(files)), oneTo(10));
}

TEST(ParadoxBlocks, AFileCutInsideRecordsYieldsWhatIsWholeThenReportsTheLoss) {
    auto b = numbered(10);
    b.recordsPerBlock(4);
    auto files = b.build();
    files.table().resize(b.blockOffset(3) + 6 + 44 + 20); // record 10 is cut
    const auto reader = fixtures::openParadox(files);
    std::vector<std::int64_t> seen;
    Value v;
    try {
        for (bool ok = reader->first(); ok; ok = reader->next()) {
            reader->value(0, v);
            seen.push_back(v.integer);
        }
        FAIL() << "no error";
    } catch (const EDBEngineError& e) {
        EXPECT_EQ(e.errorCode(), engine::errCorrupt);
        EXPECT_NE(std::string(e.what()).find("truncated"), std::string::npos) << e.what();
    }
    EXPECT_EQ(seen, oneTo(9));
}

TEST(ParadoxBlocks, TablesOnDiskReadLikeTablesInMemory) {
    fixtures::TempDir dir;
    auto b = numbered(300);
    b.field("Memo", 'M', 1).keyFields(1);
    const auto path = b.build().writeTo(dir.path(), "Numbers");
    engine::DiskTableFiles files(path);
    const auto reader = engine::openParadoxTable(files);
    EXPECT_EQ(numbers(*reader), oneTo(300));
    EXPECT_EQ(reader->indexes().size(), 1u);
}

// The chain says which records there are; a count beyond what the file can hold is a file cut
// short (see the hostile tests).
TEST(ParadoxBlocks, TheRecordCountInTheHeaderIsNotTrusted) {
    for (const std::uint32_t count : {0u, 1u, 40u}) {
        auto files = numbered(3).build();
        fixtures::pokeU32(files.table(), 0x06, count);
        EXPECT_EQ(numbers(*fixtures::openParadox(files)), oneTo(3));
    }
}

} // namespace
} // namespace vorendal
