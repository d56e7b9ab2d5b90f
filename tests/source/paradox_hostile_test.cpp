// Damaged and hostile Paradox files: every one gives an engine error with a clear text, never a
// crash, a hang, an over-read or a huge allocation.
#include <gtest/gtest.h>

#include "base/exceptions.h"
#include "source/engine/engineerrors.h"
#include "tests/fixtures/paradoxfixture.h"
#include "tests/fixtures/paradoxreadback.h"

namespace vorendal {
namespace {

using engine::Value;
using fixtures::ParadoxFiles;
using fixtures::ParadoxTableBuilder;
namespace px = fixtures::px;

ParadoxTableBuilder sample() {
    ParadoxTableBuilder b(12);
    b.field("Id", '+')
        .field("Name", 'A', 20)
        .field("Amount", '#', 2)
        .field("When", '@')
        .field("Notes", 'M', 4)
        .field("Pic", 'G')
        .keyFields(1)
        .recordsPerBlock(2);
    for (int i = 1; i <= 5; ++i)
        b.row({px::longInt(i), px::alpha("name"), px::bcd("12.5", 2),
               px::timestamp(2001, 2, 3, 4000),
               px::blob(std::string(static_cast<std::size_t>(i * 30), 'm')),
               px::blob(std::string(static_cast<std::size_t>(i * 900), 'g'))});
    b.index(fixtures::PxIndexSpec("X02", {"Name"})).check("Name", true);
    return b;
}

// Opens and reads everything; returns the engine error code, or 0 when all went well.
int readEverything(const ParadoxFiles& files) {
    try {
        const auto reader = fixtures::openParadox(files);
        Value v;
        for (bool ok = reader->first(); ok; ok = reader->next())
            for (std::size_t c = 0; c < reader->fields().size(); ++c)
                reader->value(c, v);
        return 0;
    } catch (const EDBEngineError& e) {
        EXPECT_GT(std::string(e.what()).size(), 10u);
        return e.errorCode();
    }
}

int openError(const ParadoxFiles& files) {
    try {
        fixtures::openParadox(files);
        return 0;
    } catch (const EDBEngineError& e) {
        return e.errorCode();
    }
}

TEST(ParadoxHostile, HeadersThatAreNoParadoxTableOrDoNotAddUp) {
    struct Case {
        const char* what;
        void (*damage)(std::string& db);
        int code;
    };
    const Case cases[] = {
        {"empty file", [](std::string& db) { db.clear(); }, engine::errNotTable},
        {"shorter than the fixed header", [](std::string& db) { db.resize(0x57); },
         engine::errNotTable},
        {"plain text", [](std::string& db) { db.assign(4096, 'x'); }, engine::errNotTable},
        {"a primary index", [](std::string& db) { db[4] = 1; }, engine::errNotTable},
        {"a secondary index", [](std::string& db) { db[4] = 5; }, engine::errNotTable},
        {"file type beyond 8", [](std::string& db) { db[4] = 9; }, engine::errNotTable},
        {"block size code 0", [](std::string& db) { db[5] = 0; }, engine::errNotTable},
        {"block size code 33", [](std::string& db) { db[5] = 33; }, engine::errNotTable},
        {"version 2", [](std::string& db) { db[0x39] = 2; }, engine::errVersion},
        {"version 13", [](std::string& db) { db[0x39] = 13; }, engine::errVersion},
        {"cut inside the header", [](std::string& db) { db.resize(0x300); }, engine::errCorrupt},
        {"header size below the fixed part",
         [](std::string& db) { fixtures::pokeU16(db, 2, 0x60); }, engine::errCorrupt},
        {"header size beyond the file", [](std::string& db) { fixtures::pokeU16(db, 2, 0xFFFF); },
         engine::errCorrupt},
        {"no fields", [](std::string& db) { fixtures::pokeU16(db, 0x21, 0); }, engine::errCorrupt},
        {"negative field count", [](std::string& db) { fixtures::pokeU16(db, 0x21, 0x8000); },
         engine::errCorrupt},
        {"field count past the header",
         [](std::string& db) { fixtures::pokeU16(db, 0x21, 0x7FFF); }, engine::errCorrupt},
        {"more key fields than fields", [](std::string& db) { fixtures::pokeU16(db, 0x23, 7); },
         engine::errCorrupt},
        {"record size not the fields' sum", [](std::string& db) { fixtures::pokeU16(db, 0, 99); },
         engine::errCorrupt},
        {"record larger than a block",
         [](std::string& db) {
             for (int i : {0, 1, 3, 4, 5}) { // every field but the BCD becomes A255
                 db[0x78 + 2 * i] = 0x01;
                 db[0x78 + 2 * i + 1] = '\xFF';
             }
             fixtures::pokeU16(db, 0, 5 * 255 + 17);
             db[5] = 1;
         },
         engine::errCorrupt},
        {"field names without an end",
         [](std::string& db) {
             std::fill(db.begin() + 0x78 + 12 + 4 + 24 + 261, db.begin() + 0x800, 'n');
         },
         engine::errCorrupt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto files = sample().build();
        c.damage(files.table());
        EXPECT_EQ(openError(files), c.code);
    }
}

TEST(ParadoxHostile, DamagedBlockChainsAreReportedNotFollowedForever) {
    const auto built = sample(); // 5 records, 2 per block: blocks 1 -> 2 -> 3
    struct Case {
        const char* what;
        void (*damage)(std::string& db, const ParadoxTableBuilder& b);
    };
    const Case cases[] = {
        {"chain returns to its start",
         [](std::string& db, const ParadoxTableBuilder& b) {
             fixtures::pokeU16(db, b.blockOffset(3), 1);
         }},
        {"block points to itself",
         [](std::string& db, const ParadoxTableBuilder& b) {
             fixtures::pokeU16(db, b.blockOffset(2), 2);
         }},
        {"next block far beyond the file",
         [](std::string& db, const ParadoxTableBuilder& b) {
             fixtures::pokeU16(db, b.blockOffset(1), 0xFFFF);
         }},
        {"first block beyond the file",
         [](std::string& db, const ParadoxTableBuilder&) { fixtures::pokeU16(db, 0x0E, 40); }},
        {"record count not a whole number of records",
         [](std::string& db, const ParadoxTableBuilder& b) {
             fixtures::pokeU16(db, b.blockOffset(2) + 4, 7);
         }},
        {"record count beyond the block",
         [](std::string& db, const ParadoxTableBuilder& b) {
             fixtures::pokeU16(db, b.blockOffset(2) + 4, 0x7FF0);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto files = built.build();
        c.damage(files.table(), built);
        EXPECT_EQ(readEverything(files), engine::errCorrupt);
    }
}

// A record count beyond what the file's blocks can hold is a file cut short, reported as for a
// dBASE table once the records there are read; a count the blocks could hold is left alone (the
// chain, not the count, says which records there are).
TEST(ParadoxHostile, RecordCountBeyondTheFileIsReportedAfterItsRecords) {
    struct Case {
        std::uint32_t count;
        std::string error; // empty: none
    };
    const Case cases[] = {
        {2147483647, "The table file is truncated: it holds 5 of the 2147483647 records its "
                     "header counts.\nFile: TABLE.DB"},
        {6, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        auto files = sample().build();
        fixtures::pokeU32(files.table(), 0x06, c.count);
        const auto reader = fixtures::openParadox(files);
        std::size_t records = 0;
        std::string error;
        try {
            for (bool ok = reader->first(); ok; ok = reader->next())
                ++records;
        } catch (const EDBEngineError& e) {
            EXPECT_EQ(e.errorCode(), engine::errCorrupt);
            error = e.what();
        }
        EXPECT_EQ(records, 5u);
        EXPECT_EQ(error, c.error);
    }
}

TEST(ParadoxHostile, EveryTruncationOfEveryFileEndsInAnEngineErrorOrAPartialRead) {
    const auto pristine = sample().build();
    for (const auto& [ext, bytes] : pristine.files) {
        const std::size_t step = bytes.size() > 20000 ? 7 : 1;
        for (std::size_t length = 0; length < bytes.size(); length += step) {
            auto files = pristine;
            files.at(ext).resize(length);
            const int code = readEverything(files);
            if (code != 0 && ext != "DB" && ext != "MB") {
                ADD_FAILURE() << ext << " cut at " << length << " stopped the table: " << code;
            }
        }
    }
}

TEST(ParadoxHostile, ScrambledBytesNeverEscapeAsAnythingButEngineErrors) {
    const auto pristine = sample().build();
    std::uint32_t seed = 12345;
    auto random = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return seed >> 8;
    };
    for (int round = 0; round < 3000; ++round) {
        auto files = pristine;
        const char* exts[] = {"DB", "DB", "DB", "MB", "X02", "VAL"};
        std::string& target = files.at(exts[random() % 6]);
        const int flips = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < flips; ++i) {
            // mostly the header and block headers, where the counts live
            const std::size_t span =
                random() % 4 == 0 ? target.size() : std::min<std::size_t>(target.size(), 0x900);
            target[random() % span] = static_cast<char>(random());
        }
        (void)readEverything(files); // any EDBEngineError is fine; anything else fails the test
    }
}

} // namespace
} // namespace vorendal
