// The rule lines of describe: checks, defaults, lookups, autoincrement counters and references,
// as the real tables and the fixture tables carry them.
#include <cstdio>
#include <gtest/gtest.h>
#include <sstream>

#include "cli/describe.h"
#include "tests/fixtures/dbfbuilder.h"
#include "tests/fixtures/dbfcells.h"
#include "tests/fixtures/paradoxfixture.h"
#include "tests/fixtures/testdata.h"

namespace vorendal::cli {
namespace {

using namespace vorendal::fixtures;

// The lines describe writes for the table at path, without the table, codepage, field, index
// and record lines.
std::string ruleLines(const std::string& path,
                      engine::TextDelivery delivery = engine::TextDelivery::Ansi) {
    TTable table("Table1");
    table.setTextDelivery(delivery);
    char* buffer = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&buffer, &size);
    describeTable(table, path, out);
    std::fclose(out);
    std::istringstream text(std::string(buffer, size));
    std::free(buffer);
    std::string rules;
    for (std::string line; std::getline(text, line);) {
        const std::string kind = line.substr(0, line.find('\t'));
        if (kind != "table" && kind != "codepage" && kind != "field" && kind != "index" &&
            kind != "record")
            rules += line + "\n";
    }
    return rules;
}

TEST(DescribeRules, RealTablesListTheRulesTheyCarry) {
    const auto root = testdataDir(VORENDAL_TESTDATA_DIR);
    if (root.empty())
        GTEST_SKIP() << "shared test data not found under " << VORENDAL_TESTDATA_DIR;
    const std::string leonhad = "paradox/paradoxdriver-leonhad/";
    const struct {
        std::string path;
        std::string lines;
    } cases[] = {
        {leonhad + "fields/logical.db", "check\tBOOL\trequired\ndefault\tBOOL\ttrue\n"},
        {"paradox/paradoxReader-teverett/AREA-PDX/AREACODE.DB",
         "check\tArea Code\tpicture\t###\ncheck\tState\tpicture\t&&\n"},
        {leonhad + "areas/ZIPCODES.DB", "check\tZip\tpicture\t#####\ncheck\tState\tpicture\t&&\n"},
        {leonhad + "joins/C.DB", "check\tC\trequired\ncheck\tA\trequired\n"
                                 "reference\tReference A\tA\tA.db\t1\tcascade\n"
                                 "reference\tReference B\tB\tB.db\t1\tcascade\n"},
        {leonhad + "joins/A.db", ""}, // the parent side of a rule adds nothing
        {leonhad + "joins/fk2.db",
         "autoinc\tID\t1\t1\nreference\treference\tFK\tprimary.db\t1\trestrict\n"},
        {leonhad + "joins/origin.db",
         "autoinc\tID\t2\t1\nlookup\tFK\tdestination.db\tcurrent\t1\n"},
        {leonhad + "joins/joinb.db", "lookup\tId\tjoina.db\tcurrent\t1\n"},
        {leonhad + "joins/multiple.db",
         "autoinc\tID\t1\t1\ncheck\tFK\trequired\ncheck\tA\tpicture\t[(*3{#}) ]*3{#}-*4{#}\n"
         "reference\tfk2\tFK2\tprimary.db\t1\tcascade\n"
         "reference\tfk_multiple_primary\tFK\tprimary.db\t1\tcascade\n"},
        // Paradox keeps the last number given out: 3 in a table numbered 1 to 3
        {leonhad + "fields/long.db", "autoinc\tId\t4\t1\n"},
        {"paradox/paradoxReader-teverett/CUSTOMER.DB", "autoinc\tCustNo\t45\t1\n"},
        // dBASE 7 and Visual FoxPro keep the next one: 13 after twelve records
        {"dbase/javadbf-albfernandez/inventory.dbf", "autoinc\tItem ID\t13\t1\n"},
        {"dbase/php-xbase-luads/dBase/dBaseVII.dbf", "autoinc\tAUTO_INC\t3\t1\n"},
        {"dbase/javadbf-albfernandez/bug-102/bug102.dbf",
         "check\tDataNumber\trequired\ncheck\tIndex1\trequired\ncheck\tIndex2\trequired\n"},
        {"dbase/ruby-dbf-infused/dbase_31.dbf",
         "check\tPRODUCTID\tnotnull\nautoinc\tPRODUCTID\t78\t1\ncheck\tPRODUCTNAM\tnotnull\n"
         "check\tDISCONTINU\tnotnull\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(ruleLines((root / c.path).string()), c.lines);
    }
}

// Every kind of check, in both .VAL layouts: minimum and maximum of numbers, money, short
// integers, dates and times, blank dates and timestamps standing for today / now, a lookup
// filling all fields, a reference that prohibits updates, the header's autoincrement counter.
TEST(DescribeRules, ParadoxChecksOfEveryKind) {
    for (const std::uint8_t version : {3, 9, 11, 12}) {
        SCOPED_TRACE(static_cast<int>(version));
        const bool newLayout = version >= 9;
        ParadoxTableBuilder b(version);
        if (newLayout)
            b.field("Id", '+').lastAutoIncrement(41);
        b.field("Name", 'A', 20).field("Price", '$').field("Qty", 'S').field("Born", 'D');
        b.field("Stamp", '@').field("At", 'T').field("Code", 'I');
        b.check("Name", {true, {}, {}, px::alpha("novo"), "!*?", "NAMES.DB", 0x03})
            .check("Price", {false, px::number(0.5), px::number(1000), {}, {}, {}, 0})
            .check("Qty", {false, px::shortInt(-5), px::shortInt(500), px::shortInt(1), {}, {}, 0})
            .check("Born", {false, px::date(1900, 1, 1), px::blank(), px::blank(), {}, {}, 0})
            .check("Stamp", {false, {}, {}, px::blank(), {}, {}, 0})
            .check("At", {false, px::time(8 * 3600000), {}, {}, {}, {}, 0})
            .check("Code", {true, {}, {}, {}, {}, {}, 0});
        if (newLayout)
            b.reference({"Ref Code", {"Code"}, "PARENT.DB", {1}, false});
        TempDir dir;
        const std::string path = b.build().writeTo(dir.path()).string();
        EXPECT_EQ(ruleLines(path),
                  std::string(newLayout ? "autoinc\tId\t42\t1\n" : "") +
                      "check\tName\trequired\ncheck\tName\tpicture\t!*?\ndefault\tName\tnovo\n"
                      "lookup\tName\tNAMES.DB\tall\t1\n"
                      "check\tPrice\tminimum\t0.5\ncheck\tPrice\tmaximum\t1000\n"
                      "check\tQty\tminimum\t-5\ncheck\tQty\tmaximum\t500\ndefault\tQty\t1\n"
                      "check\tBorn\tminimum\t1900-01-01\ncheck\tBorn\tmaximum\ttoday\n"
                      "default\tBorn\ttoday\ndefault\tStamp\tnow\n"
                      "check\tAt\tminimum\t08:00:00.000\ncheck\tCode\trequired\n" +
                      (newLayout ? "reference\tRef Code\tCode\tPARENT.DB\t1\trestrict\n" : ""));
    }
}

// Defaults, pictures and table names are text of the table's code page, read as its values are
// (in 1252 for the window, in UTF-8 for the firebird profile).
TEST(DescribeRules, TextsAreReadInTheTablesCodePage) {
    ParadoxTableBuilder b(11);
    b.codePage(850).field("Nome", 'A', 10);
    b.check("Nome", {false, {}, {}, px::alpha("Caf\x82"), "\x82*", "CAF\x90.DB", 0});
    TempDir dir;
    const std::string path = b.build().writeTo(dir.path()).string();
    for (const auto delivery : {engine::TextDelivery::Ansi, engine::TextDelivery::Utf8}) {
        EXPECT_EQ(ruleLines(path, delivery), "check\tNome\tpicture\t\xC3\xA9*\n"
                                             "default\tNome\tCaf\xC3\xA9\n"
                                             "lookup\tNome\tCAF\xC3\x89.DB\tcurrent\t0\n");
    }
}

TEST(DescribeRules, DbaseSevenPropertiesAndVisualFoxProFlags) {
    TempDir dir;
    const std::string dbase7 = DbfBuilder(0x04)
                                   .field("ID", '+', 4)
                                   .nextAutoIncrement(8)
                                   .field("NAME", 'C', 10)
                                   .field("QTY", 'I', 4)
                                   .field("PRICE", 'N', 8, 2)
                                   .field("SINCE", 'D', 8)
                                   .field("RATE", 'O', 8)
                                   .requiredProperty(2)
                                   .defaultProperty(2, dbfText("anon", 10))
                                   .minimumProperty(3, dbase7Integer(1))
                                   .maximumProperty(3, dbase7Integer(99))
                                   .minimumProperty(3, dbase7Integer(2)) // a later generation
                                   .defaultProperty(4, dbfNumber("12.50", 8))
                                   .minimumProperty(5, dbfDate(2000, 1, 1))
                                   .maximumProperty(6, dbase7Double(-0.25))
                                   .defaultProperty(6, "short") // not a value of the field
                                   .constraintProperty("QTY < 50")
                                   .integrityEntries(1)
                                   .bytes();
    EXPECT_EQ(ruleLines(dir.write("D7.DBF", dbase7).string()),
              "autoinc\tID\t8\t1\ncheck\tNAME\trequired\ndefault\tNAME\tanon\n"
              "check\tQTY\tminimum\t2\ncheck\tQTY\tmaximum\t99\ndefault\tPRICE\t12.5\n"
              "check\tSINCE\tminimum\t2000-01-01\ncheck\tRATE\tmaximum\t-0.25\n"
              "notdecoded\tThe referential integrity entries of the table header (1) are not "
              "read.\n"
              "notdecoded\tThe default of field \"RATE\" cannot be read.\n"
              "notdecoded\tThe table constraint \"QTY < 50\" is not read.\n");

    const std::string vfp = DbfBuilder(0x31)
                                .field("ID", 'I', 4, 0, 0x0C)
                                .nextAutoIncrement(100, 5)
                                .field("NAME", 'C', 10, 0, 0x02)
                                .field("NOTE", 'C', 5)
                                .field("_NullFlags", '0', 1, 0, 0x05)
                                .bytes();
    EXPECT_EQ(ruleLines(dir.write("VFP.DBF", vfp).string()),
              "check\tID\tnotnull\nautoinc\tID\t100\t5\ncheck\tNOTE\tnotnull\n");
}

} // namespace
} // namespace vorendal::cli
