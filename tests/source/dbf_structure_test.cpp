// Structure of dBASE / FoxPro tables as the reader reports it: versions, field types and sizes,
// names, the required flag, hidden system columns.

#include <cstdio>
#include <cstring>

#include <gtest/gtest.h>

#include "base/exceptions.h"
#include "source/engine/engineerrors.h"
#include "source/engine/tablereader.h"
#include "tests/fixtures/dbfbuilder.h"
#include "tests/fixtures/dbfcells.h"
#include "tests/fixtures/dbfreadback.h"

namespace vorendal {
namespace {

using engine::openDbfTable;
using fixtures::DbfBuilder;
using fixtures::memoryDbf;

struct TypeCase {
    std::uint8_t version;
    char letter;
    int width;
    int decimals;
    std::uint8_t vfpFlags;
    TFieldType type;
    int size;
};

class DbfFieldType : public testing::TestWithParam<TypeCase> {};

TEST_P(DbfFieldType, MapsToFieldTypeAndSize) {
    const TypeCase& c = GetParam();
    const std::string dbf =
        DbfBuilder(c.version).field("F", c.letter, c.width, c.decimals, c.vfpFlags).bytes();
    const auto reader = openDbfTable(*memoryDbf(dbf));
    ASSERT_EQ(reader->fields().size(), 1u);
    EXPECT_EQ(fieldTypeName(reader->fields()[0].type), fieldTypeName(c.type));
    EXPECT_EQ(reader->fields()[0].size, c.size);
    EXPECT_FALSE(reader->fields()[0].required);
}

INSTANTIATE_TEST_SUITE_P(
    Dialects, DbfFieldType,
    testing::Values(
        // dBASE III / IV / 5
        TypeCase{0x03, 'C', 20, 0, 0, ftString, 20}, TypeCase{0x03, 'C', 0, 0, 0, ftString, 0},
        TypeCase{0x03, 'N', 9, 0, 0, ftInteger, 0}, TypeCase{0x03, 'N', 10, 0, 0, ftLargeint, 0},
        TypeCase{0x03, 'N', 18, 0, 0, ftLargeint, 0}, TypeCase{0x03, 'N', 19, 0, 0, ftFloat, 0},
        TypeCase{0x03, 'N', 5, 2, 0, ftFloat, 0}, TypeCase{0x8B, 'F', 9, 0, 0, ftInteger, 0},
        TypeCase{0x8B, 'F', 20, 18, 0, ftFloat, 0}, TypeCase{0x03, 'D', 8, 0, 0, ftDate, 0},
        TypeCase{0x03, 'L', 1, 0, 0, ftBoolean, 0}, TypeCase{0x83, 'M', 10, 0, 0, ftMemo, 10},
        TypeCase{0x8B, 'G', 10, 0, 0, ftDBaseOle, 10}, TypeCase{0x8B, 'B', 10, 0, 0, ftBlob, 10},
        TypeCase{0x03, 'X', 5, 0, 0, ftUnknown, 0},
        // outside Visual FoxPro the descriptor's flag byte is not trusted
        TypeCase{0x03, 'I', 4, 0, 0x0C, ftInteger, 0}, TypeCase{0x03, 'Y', 8, 4, 0, ftCurrency, 0},
        TypeCase{0x03, 'T', 8, 0, 0, ftDateTime, 0},
        // FoxPro 2.x
        TypeCase{0xF5, 'G', 10, 0, 0, ftBlob, 10}, TypeCase{0xF5, 'P', 10, 0, 0, ftGraphic, 10},
        TypeCase{0xF5, 'M', 10, 0, 0, ftMemo, 10},
        // Visual FoxPro
        TypeCase{0x30, 'M', 4, 0, 0, ftMemo, 4}, TypeCase{0x30, 'M', 4, 0, 0x04, ftBlob, 4},
        TypeCase{0x30, 'G', 4, 0, 0, ftBlob, 4}, TypeCase{0x30, 'B', 8, 2, 0, ftFloat, 0},
        TypeCase{0x32, 'W', 4, 0, 0, ftBlob, 4}, TypeCase{0x32, 'Q', 10, 0, 0, ftVarBytes, 10},
        TypeCase{0x32, 'V', 10, 0, 0, ftString, 10}, TypeCase{0x30, 'I', 4, 0, 0, ftInteger, 0},
        TypeCase{0x31, 'I', 4, 0, 0x0C, ftAutoInc, 0}, TypeCase{0x30, 'Y', 8, 4, 0, ftCurrency, 0},
        TypeCase{0x30, 'T', 8, 0, 0, ftDateTime, 0}, TypeCase{0x30, 'C', 10, 0, 0x06, ftString, 10},
        // dBASE 7
        TypeCase{0x04, '+', 4, 0, 0, ftAutoInc, 0}, TypeCase{0x04, 'I', 4, 0, 0, ftInteger, 0},
        TypeCase{0x04, 'O', 8, 0, 0, ftFloat, 0}, TypeCase{0x04, '@', 8, 0, 0, ftDateTime, 0},
        TypeCase{0x8C, 'B', 10, 0, 0, ftBlob, 10}, TypeCase{0x8C, 'G', 10, 0, 0, ftDBaseOle, 10},
        TypeCase{0x8C, 'M', 10, 0, 0, ftMemo, 10}, TypeCase{0x04, 'N', 20, 0, 0, ftFloat, 0}));

TEST(DbfStructure, EveryReadableVersionByteOpens) {
    for (const std::uint8_t version :
         {0x02, 0x03, 0x04, 0x05, 0x07, 0x30, 0x31, 0x32, 0x43, 0x63,
          0x7B, 0x83, 0x87, 0x8B, 0x8C, 0x8E, 0xCB, 0xE5, 0xF5, 0xFB}) {
        SCOPED_TRACE(testing::Message() << "version 0x" << std::hex << int(version));
        const std::string dbf = DbfBuilder(version)
                                    .field("NAME", 'C', 10)
                                    .field("QTY", 'N', 5)
                                    .record({"Alpha", fixtures::dbfNumber("42", 5)})
                                    .record({"Beta", fixtures::dbfNumber("-7", 5)})
                                    .bytes();
        const auto reader = openDbfTable(*memoryDbf(dbf));
        ASSERT_EQ(reader->fields().size(), 2u);
        EXPECT_EQ(reader->fields()[0].name, "NAME");
        EXPECT_EQ(reader->fields()[1].name, "QTY");
        EXPECT_EQ(fixtures::readAllDescribed(*reader),
                  (std::vector<std::vector<std::string>>{{"text:Alpha", "int:42"},
                                                         {"text:Beta", "int:-7"}}));
    }
}

TEST(DbfStructure, UnknownVersionByteIsAnEngineError) {
    for (const std::uint8_t version : {0x00, 0x01, 0x0D, 0x06, 0x8F, 0xFF}) {
        const std::string dbf = DbfBuilder(version).field("A", 'C', 1).bytes();
        char expected[64];
        std::snprintf(expected, sizeof expected, "Unsupported dBASE version byte 0x%02X.", version);
        try {
            openDbfTable(*memoryDbf(dbf));
            ADD_FAILURE() << "version " << int(version) << " opened";
        } catch (const EDBEngineError& e) {
            EXPECT_EQ(e.errorCode(), engine::errVersion);
            EXPECT_EQ(std::string(e.what()).substr(0, std::strlen(expected)), expected);
        }
    }
}

TEST(DbfStructure, DbfExtensionInAnyCaseSelectsThisReader) {
    const std::string dbf = DbfBuilder(0x03).field("A", 'C', 3).record({"abc"}).bytes();
    engine::MemoryTableFiles files("clientes", "DbF", dbf);
    const auto reader = engine::openTableReader(files);
    EXPECT_EQ(fixtures::readColumnDescribed(*reader, 0), std::vector<std::string>{"text:abc"});
}

TEST(DbfStructure, NullFlagsColumnIsNotReported) {
    const std::string dbf = DbfBuilder(0x30)
                                .field("ID", 'I', 4)
                                .field("NOTE", 'C', 5, 0, 0x02)
                                .field("_NullFlags", '0', 1, 0, 0x05)
                                .record({fixtures::le32(1), "x", fixtures::vfpNullFlags({})})
                                .bytes();
    const auto reader = openDbfTable(*memoryDbf(dbf));
    ASSERT_EQ(reader->fields().size(), 2u);
    EXPECT_EQ(reader->fields()[1].name, "NOTE");
    EXPECT_EQ(fixtures::readAllDescribed(*reader),
              (std::vector<std::vector<std::string>>{{"int:1", "text:x"}}));
}

TEST(DbfStructure, Dbase7RequiredWithoutDefaultIsRequired) {
    const std::string dbf = DbfBuilder(0x04)
                                .driverName("DB437US0")
                                .field("ID", '+', 4)
                                .field("CODE", 'C', 5)
                                .field("NAME", 'C', 20)
                                .field("QTY", 'N', 5)
                                .requiredProperty(1)
                                .requiredProperty(2)
                                .requiredProperty(3)
                                .defaultProperty(3)
                                .bytes();
    const auto reader = openDbfTable(*memoryDbf(dbf));
    ASSERT_EQ(reader->fields().size(), 4u);
    EXPECT_FALSE(reader->fields()[0].required); // autoincrement: never required
    EXPECT_TRUE(reader->fields()[1].required);
    EXPECT_FALSE(reader->fields()[2].required); // the default value cancels it
    EXPECT_FALSE(reader->fields()[3].required);
}

TEST(DbfStructure, VisualFoxProNotNullIsNotRequired) {
    // Flag 0x02 only says whether the column takes .NULL.; blanks stay allowed.
    const std::string dbf =
        DbfBuilder(0x30).field("A", 'C', 5, 0, 0x00).field("B", 'C', 5, 0, 0x02).bytes();
    const auto reader = openDbfTable(*memoryDbf(dbf));
    EXPECT_FALSE(reader->fields()[0].required);
    EXPECT_FALSE(reader->fields()[1].required);
}

TEST(DbfStructure, WideCharacterFieldUsesTheDecimalsByteWhenTheRecordLengthSaysSo) {
    const std::string text(300, 'w');
    const std::string dbf =
        DbfBuilder(0xF5).field("LONG", 'C', 300).field("N", 'N', 3).record({text, " 12"}).bytes();
    const auto reader = openDbfTable(*memoryDbf(dbf));
    EXPECT_EQ(reader->fields()[0].size, 300);
    EXPECT_EQ(fixtures::readAllDescribed(*reader),
              (std::vector<std::vector<std::string>>{{"text:" + text, "int:12"}}));
}

TEST(DbfStructure, DecimalsByteOfCharacterFieldIsIgnoredWhenThePlainWidthsAddUp) {
    // A writer left decimals 2 on C(8): the record length of 9 shows the width is 8.
    const std::string dbf = DbfBuilder(0x03).field("ALT", 'C', 8, 2).record({"abcdefgh"}).bytes();
    const auto reader = openDbfTable(*memoryDbf(dbf));
    EXPECT_EQ(reader->fields()[0].size, 8);
    EXPECT_EQ(fixtures::readColumnDescribed(*reader, 0), std::vector<std::string>{"text:abcdefgh"});
}

TEST(DbfStructure, FieldNamesAreConvertedFromTheTableCodePage) {
    // cp850: 0x82 = e acute, 0x87 = c cedilla; Windows-1252: 0xE9, 0xE7. Trailing blanks go.
    const std::string dbf = DbfBuilder(0x03)
                                .languageDriver(0x02)
                                .field("PRE\x82O", 'N', 5)
                                .field("A\x87\x83O  ", 'C', 3)
                                .bytes();
    const auto reader = openDbfTable(*memoryDbf(dbf));
    EXPECT_EQ(reader->fields()[0].name, "PRE\xE9O");
    EXPECT_EQ(reader->fields()[1].name, "A\xE7\xE2O");
}

TEST(DbfStructure, MissingDescriptorTerminatorEndsAtTheHeaderLength) {
    const std::string dbf =
        DbfBuilder(0x03).field("NAME", 'C', 6).withoutTerminator().record({"Europe"}).bytes();
    const auto reader = openDbfTable(*memoryDbf(dbf));
    ASSERT_EQ(reader->fields().size(), 1u);
    EXPECT_EQ(fixtures::readColumnDescribed(*reader, 0), std::vector<std::string>{"text:Europe"});
}

TEST(DbfStructure, TableWithoutFieldsStillCountsItsRecords) {
    const std::string dbf = DbfBuilder(0x03).record({}).record({}).bytes();
    const auto reader = openDbfTable(*memoryDbf(dbf));
    EXPECT_TRUE(reader->fields().empty());
    EXPECT_EQ(fixtures::readAllDescribed(*reader).size(), 2u);
}

TEST(DbfStructure, DbaseIILayout) {
    const std::string dbf = DbfBuilder(0x02)
                                .field("EMP:NMBR", 'N', 3)
                                .field("LAST", 'C', 10)
                                .field("PAYRATE", 'N', 8, 3)
                                .field("ACTIVE", 'L', 1)
                                .record({"  2", "Stegman", "   6.000", "T"})
                                .deletedRecord({"  3", "Gone", "   1.000", "F"})
                                .record({"  4", "Taylor", "  12.500", "?"})
                                .bytes();
    const auto reader = openDbfTable(*memoryDbf(dbf));
    ASSERT_EQ(reader->fields().size(), 4u);
    EXPECT_EQ(reader->fields()[0].name, "EMP:NMBR");
    EXPECT_EQ(reader->fields()[0].type, ftInteger);
    EXPECT_EQ(reader->fields()[2].type, ftFloat);
    EXPECT_EQ(
        fixtures::readAllDescribed(*reader),
        (std::vector<std::vector<std::string>>{{"int:2", "text:Stegman", "float:6", "bool:true"},
                                               {"int:4", "text:Taylor", "float:12.5", "null"}}));
}

} // namespace
} // namespace vorendal
