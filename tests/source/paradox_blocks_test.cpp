// Records of Paradox tables along the chain of data blocks.
#include <functional>
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

// What a reading gives: each record's number and place, then the error that ended it. With a
// stretch size, copies readers take the stretches in turns, as threads sharing a table out do.
std::string readingOf(const fixtures::ParadoxFiles& files, std::uint64_t stretch,
                      std::size_t copies = 1) {
    std::vector<std::unique_ptr<engine::TableReader>> readers;
    for (std::size_t k = 0; k < copies; ++k)
        readers.push_back(fixtures::openParadox(files));
    std::string out;
    Value v;
    auto take = [&](engine::TableReader& reader) {
        reader.value(0, v);
        out += std::to_string(v.integer) + "@" + std::to_string(reader.recordNumber()) + " ";
    };
    try {
        if (stretch == 0) {
            for (bool ok = readers[0]->first(); ok; ok = readers[0]->next())
                take(*readers[0]);
            return out;
        }
        const std::uint64_t stored = readers[0]->storedRecords();
        for (std::uint64_t n = 0;; ++n) {
            engine::TableReader& reader = *readers[n % copies];
            for (bool ok = reader.seekStored(n * stretch, (n + 1) * stretch); ok;
                 ok = reader.next())
                take(reader);
            if ((n + 1) * stretch >= stored)
                return out;
        }
    } catch (const EDBEngineError& e) {
        return out + "| " + e.what();
    }
}

// Read in stretches of any size, a table gives the records, numbers and errors it gives read
// whole: along a chain out of file order, past empty and stale blocks, to a cut or a loop.
TEST(ParadoxBlocks, StretchesReadWhatTheWholeChainReads) {
    struct Case {
        const char* what;
        std::function<void(ParadoxTableBuilder&, fixtures::ParadoxFiles&)> damage;
        bool reverse = true; // the chain from the last block back, so that the end cuts none
    };
    const Case cases[] = {
        {"sound", [](ParadoxTableBuilder&, fixtures::ParadoxFiles&) {}},
        {"an empty block",
         [](ParadoxTableBuilder& b, fixtures::ParadoxFiles& f) {
             fixtures::pokeU16(f.table(), b.blockOffset(3) + 4, static_cast<std::uint16_t>(-44));
         }},
        {"cut inside a block",
         [](ParadoxTableBuilder& b, fixtures::ParadoxFiles& f) {
             f.table().resize(b.blockOffset(4) + 6 + 2 * 44 + 20);
         },
         false},
        {"a loop in the chain",
         [](ParadoxTableBuilder& b, fixtures::ParadoxFiles& f) {
             // the chain runs from the last block back: block 5 returns to block 8
             fixtures::pokeU16(f.table(), b.blockOffset(5), 8);
         }},
        {"more records counted than blocks hold",
         [](ParadoxTableBuilder&, fixtures::ParadoxFiles& f) {
             fixtures::pokeU32(f.table(), 0x06, 5000);
         }},
    };
    for (const Case& c : cases) {
        auto b = numbered(60);
        b.recordsPerBlock(7).staleBlock();
        if (c.reverse)
            b.reverseBlocks();
        auto files = b.build();
        c.damage(b, files);
        const std::string whole = readingOf(files, 0);
        EXPECT_NE(whole.find("7@7"), std::string::npos) << c.what << ": " << whole;
        for (const std::uint64_t stretch : {1u, 5u, 7u, 13u, 40u, 100u, 1000u})
            for (const std::size_t copies : {1u, 2u, 3u})
                EXPECT_EQ(readingOf(files, stretch, copies), whole)
                    << c.what << ", stretch " << stretch << ", copies " << copies;
    }
}

} // namespace
} // namespace vorendal
