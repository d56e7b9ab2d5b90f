// Index definitions of Paradox tables: the primary key from the table header, secondary
// indexes from the .Xnn / .XGn files beside it.
#include <gtest/gtest.h>

#include "base/exceptions.h"
#include "tests/fixtures/paradoxfixture.h"
#include "tests/fixtures/paradoxreadback.h"
#include "tests/fixtures/testdata.h"

namespace vorendal {
namespace {

using engine::IndexDescription;
using fixtures::ParadoxTableBuilder;
using fixtures::PxIndexSpec;
namespace px = fixtures::px;

std::string describe(const std::vector<IndexDescription>& indexes) {
    std::string s;
    for (const auto& ix : indexes)
        s += "[" + ix.fields + " " + indexOptionsText(ix.options) + "]";
    return s;
}

ParadoxTableBuilder customers(std::uint8_t version, int keyFields) {
    ParadoxTableBuilder b(version);
    b.field("Id", 'I')
        .field("Branch", 'S')
        .field("Name", 'A', 30)
        .field("City", 'A', 20)
        .field("Since", 'D')
        .keyFields(keyFields);
    b.row({px::longInt(1), px::shortInt(1), px::alpha("Ana"), px::alpha("Porto")});
    return b;
}

TEST(ParadoxIndexes, KeyedTablesListTheirPrimaryKeyFirst) {
    EXPECT_EQ(describe(fixtures::openParadox(customers(12, 1).build())->indexes()),
              "[Id ixPrimary,ixUnique]");
    EXPECT_EQ(describe(fixtures::openParadox(customers(11, 2).build())->indexes()),
              "[Id;Branch ixPrimary,ixUnique]");
    EXPECT_EQ(describe(fixtures::openParadox(customers(12, 0).build())->indexes()), "");
}

TEST(ParadoxIndexes, SecondaryIndexesCarryTheirFieldsAndOptions) {
    struct Case {
        const char* what;
        int keyFields;
        PxIndexSpec layout;
        std::string expected;
    };
    const Case cases[] = {
        {"single field, keyed table", 1, PxIndexSpec("X04", {"City"}), "[City ]"},
        {"single field, unkeyed table", 0, PxIndexSpec("X03", {"Name"}), "[Name ]"},
        {"non-maintained", 0, PxIndexSpec("X03", {"Name"}).notMaintained(),
         "[Name ixNonMaintained]"},
        {"named case-insensitive", 1, PxIndexSpec("XG0", {"Name"}, "byname").ignoringCase(),
         "[Name ixCaseInsensitive]"},
        {"composite descending unique", 2,
         PxIndexSpec("XG0", {"City", "Name"}, "where").descendingOrder().uniqueKeys(),
         "[City;Name ixUnique,ixDescending]"},
        {"composite non-maintained, unkeyed", 0,
         PxIndexSpec("XG1", {"Since", "Branch"}, "dated").notMaintained().ignoringCase(),
         "[Since;Branch ixCaseInsensitive,ixNonMaintained]"},
    };
    for (std::uint8_t version : {9, 11, 12}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.what) + " v" + std::to_string(version));
            auto b = customers(version, c.keyFields);
            b.index(c.layout);
            const auto indexes = fixtures::openParadox(b.build())->indexes();
            const std::string primary = c.keyFields == 0   ? ""
                                        : c.keyFields == 1 ? "[Id ixPrimary,ixUnique]"
                                                           : "[Id;Branch ixPrimary,ixUnique]";
            EXPECT_EQ(describe(indexes), primary + c.expected);
        }
    }
}

TEST(ParadoxIndexes, SecondaryIndexesFollowTheOrderOfTheirExtensions) {
    auto b = customers(12, 1);
    b.index(PxIndexSpec("XG1", {"City"}, "b"))
        .index(PxIndexSpec("X0A", {"Name"}))
        .index(PxIndexSpec("X03", {"Name"}))
        .index(PxIndexSpec("XG0", {"Since"}, "a"))
        .index(PxIndexSpec("X04", {"City"}));
    EXPECT_EQ(describe(fixtures::openParadox(b.build())->indexes()),
              "[Id ixPrimary,ixUnique][Name ][City ][Name ][Since ][City ]");
}

TEST(ParadoxIndexes, AnUnreadableIndexFileIsLeftOutAndTheTableStillOpens) {
    struct Case {
        const char* what;
        void (*damage)(std::string& x);
    };
    const Case cases[] = {
        {"empty file", [](std::string& x) { x.clear(); }},
        {"cut inside the header", [](std::string& x) { x.resize(0x90); }},
        {"a table, not an index", [](std::string& x) { x[4] = 2; }},
        {"unknown version", [](std::string& x) { x[0x39] = 0x20; }},
        {"field count forged", [](std::string& x) { fixtures::pokeU16(x, 0x21, 0x7FFF); }},
        {"indexed field count beyond the fields",
         [](std::string& x) { fixtures::pokeU16(x, 0x23, 9); }},
        {"field of another type",
         [](std::string& x) {
             x[0x78] = 0x06;
             x[0x79] = 8;
             x[0] = 14;
         }},
        {"random bytes",
         [](std::string& x) {
             for (std::size_t i = 0; i < x.size(); ++i)
                 x[i] = static_cast<char>(i * 7 + 3);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto b = customers(12, 1);
        b.index(PxIndexSpec("X04", {"City"}))
            .index(PxIndexSpec("XG0", {"Name"}, "byname").ignoringCase());
        auto files = b.build();
        c.damage(files.at("X04"));
        const auto reader = fixtures::openParadox(files);
        EXPECT_EQ(describe(reader->indexes()), "[Id ixPrimary,ixUnique][Name ixCaseInsensitive]");
        EXPECT_EQ(fixtures::countRows(*reader), 1u);
    }
}

TEST(ParadoxIndexes, IndexFilesAreFoundOnDiskWhateverTheirLetterCase) {
    fixtures::TempDir dir;
    auto b = customers(11, 0);
    b.index(PxIndexSpec("X03", {"Name"})).index(PxIndexSpec("XG0", {"City", "Name"}, "cn"));
    const auto built = b.build();
    for (const auto& [ext, bytes] : built.files) {
        std::string lower = ext;
        for (char& ch : lower)
            ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        dir.write("people." + (ext == "DB" ? std::string("db") : lower), bytes);
    }
    engine::DiskTableFiles files(dir.path() / "people.db");
    const auto reader = engine::openParadoxTable(files);
    EXPECT_EQ(describe(reader->indexes()), "[Name ][City;Name ]");
}

TEST(ParadoxIndexes, IndexFieldsAreFoundByNumberWhenTheirNamesDiffer) {
    auto b = customers(12, 1);
    b.index(PxIndexSpec("X04", {"City"}));
    auto files = b.build();
    std::string& x = files.at("X04");
    const auto at = x.find(std::string("City\0", 5));
    ASSERT_NE(at, std::string::npos);
    x.replace(at, 4, "Sec "); // older programs renamed the indexed field
    EXPECT_EQ(describe(fixtures::openParadox(files)->indexes()), "[Id ixPrimary,ixUnique][City ]");
}

} // namespace
} // namespace vorendal
