// Password-protected Paradox tables: built clear and protected (data blocks and .MB scrambled by
// the fixture writer), every version family reads the same values from both; damage ends in the
// errors a damaged clear table gives.
#include <gtest/gtest.h>

#include "base/exceptions.h"
#include "source/engine/engineerrors.h"
#include "tests/fixtures/paradoxfixture.h"
#include "tests/fixtures/paradoxreadback.h"

namespace vorendal {
namespace {

using fixtures::ParadoxFiles;
using fixtures::ParadoxTableBuilder;
using fixtures::PxBlobPlace;
namespace px = fixtures::px;

constexpr std::uint32_t kKey = 0x0A25E09A;

std::string pattern(std::size_t n, std::size_t seed) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i)
        s[i] = static_cast<char>((i * 7 + seed) % 253);
    return s;
}

// Memos in the record, in shared and in single .MB blocks; binaries and graphics in the .MB.
ParadoxTableBuilder table(std::uint8_t version, int rows, int perBlock, std::uint32_t key) {
    static const PxBlobPlace places[] = {PxBlobPlace::Auto, PxBlobPlace::Shared,
                                         PxBlobPlace::Single};
    ParadoxTableBuilder b(version);
    b.field("Id", 'S')
        .field("Name", 'A', 12)
        .field("Notes", 'M', 8)
        .field("Data", 'B', 4)
        .field("Picture", 'G')
        .recordsPerBlock(perBlock)
        .reverseBlocks();
    for (int i = 0; i < rows; ++i) {
        const auto n = static_cast<std::size_t>(i);
        // DOS 850 text (a-cedilla, a-tilde) for the code page detection of 3.x tables
        b.row({px::shortInt(static_cast<std::int16_t>(i)),
               px::alpha("a\x87\xC6o " + std::to_string(i)),
               px::blob(std::string(n % 3 == 0 ? 5 : 40 + 700 * (n % 4),
                                    static_cast<char>('a' + n % 26)),
                        places[n % 3]),
               px::blob(pattern(30 + 900 * (n % 5), n), places[1 + n % 2]),
               n % 4 == 0 ? px::blob(pattern(3000, n), PxBlobPlace::Single) : px::blank()});
    }
    if (key != 0)
        b.encryption(key);
    return b;
}

std::vector<std::string> values(const ParadoxFiles& files, bool protectedTable) {
    const auto reader = fixtures::openParadox(files);
    EXPECT_EQ(reader->passwordProtected(), protectedTable);
    std::vector<std::string> out{"codepage " + std::to_string(reader->codePage().number)};
    for (const auto& row : fixtures::readAllRows(*reader))
        for (const auto& v : row)
            out.push_back(fixtures::describeValue(v));
    return out;
}

TEST(ParadoxProtected, EveryVersionReadsTheValuesOfTheSameTableClear) {
    struct Case {
        std::uint8_t version;
        int blockKiB;
        int rows;
        int perBlock;
        std::uint32_t key;
    };
    const Case cases[] = {
        {3, 1, 9, 2, kKey},         // 3.0: key at 0x25
        {4, 2, 9, 4, 0x00000001},   // 3.5
        {9, 4, 12, 5, 0xFFFF0000},  // 4.x: key at 0x5C, low bytes 0
        {11, 2, 9, 3, 0x1234ABCD},  // 5.x
        {12, 16, 9, 9, kKey},       // 7.x, 64 chunks a block
        {12, 1, 300, 1, 0x00FF00FF} // block numbers past 255: only their low byte counts
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("version " + std::to_string(c.version));
        ParadoxTableBuilder clear = table(c.version, c.rows, c.perBlock, 0);
        ParadoxTableBuilder locked = table(c.version, c.rows, c.perBlock, c.key);
        clear.blockKiB(c.blockKiB);
        locked.blockKiB(c.blockKiB);
        const ParadoxFiles clearFiles = clear.build();
        const ParadoxFiles lockedFiles = locked.build();
        ASSERT_NE(clearFiles.files.at("DB"), lockedFiles.files.at("DB"));
        ASSERT_NE(clearFiles.files.at("MB"), lockedFiles.files.at("MB"));
        const auto expected = values(clearFiles, false);
        EXPECT_EQ(expected.size(), 1 + static_cast<std::size_t>(c.rows) * 5);
        EXPECT_EQ(expected[0], c.version < 9 ? "codepage 850" : "codepage 437");
        EXPECT_EQ(values(lockedFiles, true), expected);
    }
}

// A value read as null because the .MB does not hold it, as in a clear table.
constexpr int kDamagedValue = -1;

// Reads everything; the engine error code, kDamagedValue when a value was damaged, or 0 when all
// went well.
int readEverything(const ParadoxFiles& files) {
    try {
        const auto reader = fixtures::openParadox(files);
        engine::Value v;
        bool damaged = false;
        for (bool ok = reader->first(); ok; ok = reader->next())
            for (std::size_t c = 0; c < reader->fields().size(); ++c) {
                reader->value(c, v);
                damaged = damaged || reader->valueDamaged();
            }
        return damaged ? kDamagedValue : 0;
    } catch (const EDBEngineError& e) {
        EXPECT_GT(std::string(e.what()).size(), 10u);
        return e.errorCode();
    }
}

TEST(ParadoxProtected, DamageEndsInTheErrorsOfADamagedClearTable) {
    // two blocks of six records (56 bytes each), the chain starting from the last one
    const ParadoxTableBuilder built = table(12, 9, 6, kKey);
    const std::size_t first = built.blockOffset(2);
    struct Case {
        const char* what;
        void (*damage)(ParadoxFiles&, std::size_t first);
        int code;
    };
    const Case cases[] = {
        {"another key in the header",
         [](ParadoxFiles& f, std::size_t) { fixtures::pokeU16(f.table(), 0x5C, 0x1111); },
         engine::errCorrupt},
        {"a block cut inside its first chunk",
         [](ParadoxFiles& f, std::size_t at) { f.table().resize(at + 200); }, engine::errCorrupt},
        {"a block cut after four records",
         [](ParadoxFiles& f, std::size_t at) { f.table().resize(at + 300); }, engine::errCorrupt},
        {"garbage over a block's first chunk",
         [](ParadoxFiles& f, std::size_t at) { f.table().replace(at, 256, 256, '\x5A'); },
         engine::errCorrupt},
        {"the .MB cut inside the first chunk of its last block",
         [](ParadoxFiles& f, std::size_t) { f.at("MB").resize(f.at("MB").size() - 4000); },
         kDamagedValue},
        {"the .MB of another key",
         [](ParadoxFiles& f, std::size_t) {
             auto other = table(12, 9, 6, 0x0A25E09B).build();
             f.at("MB") = other.at("MB");
         },
         kDamagedValue},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ParadoxFiles files = built.build();
        c.damage(files, first);
        EXPECT_EQ(readEverything(files), c.code);
    }
}

} // namespace
} // namespace vorendal
