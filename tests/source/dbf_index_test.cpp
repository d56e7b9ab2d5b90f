// Index definitions from production .mdx and structural .cdx files.

#include <gtest/gtest.h>

#include "source/engine/tablereader.h"
#include "tests/fixtures/dbfbuilder.h"
#include "tests/fixtures/dbfcdxbuilder.h"
#include "tests/fixtures/dbfcells.h"
#include "tests/fixtures/dbfmdxbuilder.h"
#include "tests/fixtures/dbfreadback.h"

namespace vorendal {
namespace {

using engine::IndexDescription;
using engine::openDbfTable;
using fixtures::CdxBuilder;
using fixtures::DbfBuilder;
using fixtures::MdxBuilder;
using fixtures::memoryDbf;

// "fields|options" per index, options as indexOptionsText gives them.
std::vector<std::string> describe(const std::vector<IndexDescription>& indexes) {
    std::vector<std::string> out;
    for (const auto& i : indexes)
        out.push_back(i.fields + "|" + indexOptionsText(i.options));
    return out;
}

DbfBuilder customerTable(std::uint8_t version, std::uint8_t flags) {
    DbfBuilder b(version);
    b.tableFlags(flags)
        .field("Code", 'C', 5)
        .field("Name", 'C', 20)
        .field("Qty", 'N', 5)
        .field("Price", 'N', 8, 2)
        .field("Born", 'D', 8)
        .record({"A1", "Ana", "    1", "    2.50", "20000101"});
    return b;
}

TEST(DbfIndex, MdxTagsInTagTableOrder) {
    for (const std::uint8_t mdxVersion : {2, 3}) {
        SCOPED_TRACE(int(mdxVersion));
        const std::string mdx = MdxBuilder(mdxVersion)
                                    .tag("NAME", "NAME")
                                    .tag("CODENAME", "code + name")
                                    .tag("QTY", "QTY", true)
                                    .tag("BORN", "Born", false, true)
                                    .tag("UNAME", "UPPER(NAME)")
                                    .tag("SUM", "QTY+PRICE")
                                    .tag("CODEDATE", "CODE+DTOS(BORN)")
                                    .tag("GHOST", "MISSING")
                                    .bytes();
        const std::uint8_t version = mdxVersion == 3 ? 0x04 : 0x03;
        const auto reader =
            openDbfTable(*memoryDbf(customerTable(version, 0x01).bytes(), {{"mdx", mdx}}));
        EXPECT_EQ(describe(reader->indexes()),
                  (std::vector<std::string>{"Name|", "Code;Name|", "Qty|ixUnique",
                                            "Born|ixDescending", "|ixExpression", "|ixExpression",
                                            "|ixExpression", "|ixExpression"}));
    }
}

TEST(DbfIndex, MdxIsReadOnlyWhenTheHeaderAnnouncesIt) {
    const std::string mdx = MdxBuilder().tag("NAME", "NAME").bytes();
    const auto reader = openDbfTable(*memoryDbf(customerTable(0x03, 0x00).bytes(), {{"MDX", mdx}}));
    EXPECT_TRUE(reader->indexes().empty());
}

TEST(DbfIndex, AnnouncedIndexFileThatIsMissingLeavesNoIndexes) {
    const auto reader = openDbfTable(*memoryDbf(customerTable(0x03, 0x01).bytes()));
    EXPECT_TRUE(reader->indexes().empty());
    EXPECT_EQ(fixtures::readAllDescribed(*reader).size(), 1u);
}

TEST(DbfIndex, CdxTagsInTheOrderTheyWereMade) {
    const std::string cdx =
        CdxBuilder()
            .tag("PRIMARYKEY", "code", CdxBuilder::kCandidate)
            .tag("NAME", "name")
            .tag("ZDESC", "qty", 0, true)
            .tag("AUNIQUE", "price", CdxBuilder::kUnique)
            .tag("ALIVE", "code", CdxBuilder::kCandidate, false, ".NOT.DELETED()")
            .tag("PADDED", "PADR(name,5)")
            .tag("ALIASED", "TABLE->CODE+TABLE->NAME")
            .tag("OTHER", "OTHER->CODE")
            .bytes();
    const auto reader = openDbfTable(*memoryDbf(customerTable(0x30, 0x01).bytes(), {{"cdx", cdx}}));
    EXPECT_EQ(describe(reader->indexes()),
              (std::vector<std::string>{"Code|ixUnique", "Name|", "Qty|ixDescending",
                                        "Price|ixUnique", "Code|ixUnique", "|ixExpression",
                                        "Code;Name|", "|ixExpression"}));
}

TEST(DbfIndex, CdxBesideADbaseTableIsRead) {
    // Clipper and Harbour CDX drivers leave byte 28 as they find it.
    const std::string cdx = CdxBuilder().tag("NAME", "NAME").bytes();
    for (const std::uint8_t flags : {0x00, 0x01}) {
        const auto reader =
            openDbfTable(*memoryDbf(customerTable(0x03, flags).bytes(), {{"CDX", cdx}}));
        EXPECT_EQ(describe(reader->indexes()), std::vector<std::string>{"Name|"});
    }
}

TEST(DbfIndex, CdxDirectoryOverSeveralLeaves) {
    CdxBuilder builder(2);
    const std::vector<std::string> names = {"T1", "T2", "T3", "T4", "T5", "T6", "T7"};
    for (const auto& n : names)
        builder.tag(n, "NAME");
    const auto reader =
        openDbfTable(*memoryDbf(customerTable(0x30, 0x01).bytes(), {{"cdx", builder.bytes()}}));
    EXPECT_EQ(reader->indexes().size(), names.size());
}

TEST(DbfIndex, DamagedCdxNeverStopsTheTable) {
    const std::string good =
        CdxBuilder(2).tag("A", "CODE").tag("B", "NAME").tag("C", "QTY").tag("D", "PRICE").bytes();
    std::vector<std::string> damaged;
    damaged.push_back(good.substr(0, 100));               // cut inside the directory header
    damaged.push_back(good.substr(0, 1500));              // cut inside the directory nodes
    damaged.push_back(good.substr(0, good.size() - 600)); // last tag header cut
    std::string loop = good;
    loop.replace(1024 + 512 + 8, 4, fixtures::le32(1024 + 512)); // first leaf points to itself
    damaged.push_back(loop);
    std::string interiorLoop = good;
    interiorLoop.replace(1024 + 12 + 10 + 4, 4, fixtures::be32(1024)); // root's child is itself
    damaged.push_back(interiorLoop);
    std::string hugeKey = good;
    hugeKey.replace(12, 2, fixtures::le16(0xFFFF));
    damaged.push_back(hugeKey);
    std::string badEntries = good;
    badEntries[1024 + 512 + 23] = 0; // zero bytes per key entry
    damaged.push_back(badEntries);
    damaged.push_back(std::string(4096, '\xFF'));
    for (std::size_t i = 0; i < damaged.size(); ++i) {
        SCOPED_TRACE(i);
        const auto reader =
            openDbfTable(*memoryDbf(customerTable(0x30, 0x01).bytes(), {{"cdx", damaged[i]}}));
        EXPECT_LE(reader->indexes().size(), 4u);
        EXPECT_EQ(fixtures::readAllDescribed(*reader).size(), 1u);
    }
}

TEST(DbfIndex, DamagedMdxNeverStopsTheTable) {
    const std::string good = MdxBuilder().tag("A", "CODE").tag("B", "NAME").bytes();
    std::vector<std::string> damaged;
    damaged.push_back(good.substr(0, 600));
    std::string hugeCount = good;
    hugeCount.replace(28, 2, fixtures::le16(0xFFFF));
    hugeCount[25] = 0; // no capacity limit either
    damaged.push_back(hugeCount);
    std::string farPage = good;
    farPage.replace(512 + 32, 4, fixtures::le32(0xFFFFFFFF));
    damaged.push_back(farPage);
    std::string binaryExpression = good;
    binaryExpression[8 * 512 + 24] = '\x01';
    damaged.push_back(binaryExpression);
    std::string shortEntries = good;
    shortEntries[26] = 2;
    damaged.push_back(shortEntries);
    for (std::size_t i = 0; i < damaged.size(); ++i) {
        SCOPED_TRACE(i);
        const auto reader =
            openDbfTable(*memoryDbf(customerTable(0x03, 0x01).bytes(), {{"mdx", damaged[i]}}));
        EXPECT_LE(reader->indexes().size(), 2u);
        EXPECT_EQ(fixtures::readAllDescribed(*reader).size(), 1u);
    }
}

} // namespace
} // namespace vorendal
