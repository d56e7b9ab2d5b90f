#include "designer/tabledefinition.h"

#include <gtest/gtest.h>

#include "base/exceptions.h"
#include "designertest.h"

namespace vorendal {
namespace {

using test::FieldRow;
using test::fieldRows;
using test::gridWith;
using test::numberedRows;

TEST(TableDefinition, SavesFiveLinesPerNamedRowAndAHash) {
    test::TempFolder folder;
    DesignerGrid grid = gridWith({{"CODIGO", "I", "0", "*", "N"}, {"NOME", "V", "60", "", "N"}});
    grid.setCell(1, 4, "AFTER A GAP"); // rows below the first unnamed one are not saved
    saveTableDefinition(grid, folder.path() / "t.tab");
    EXPECT_EQ(test::readBytes(folder.path() / "t.tab"),
              "CODIGO\r\nI\r\n0\r\n*\r\nN\r\nNOME\r\nV\r\n60\r\n\r\nN\r\n#\r\n");
    saveTableDefinition(gridWith({}), folder.path() / "t.tab");
    EXPECT_EQ(test::readBytes(folder.path() / "t.tab"), "#\r\n");
}

// Saved and read back into a grid that held other rows: rows 1 to n come back exactly.
TEST(TableDefinition, RoundTrips) {
    struct Case {
        std::vector<FieldRow> rows;
        int restored;
    };
    const Case cases[] = {
        {{}, 0},
        {{{"a", "v", "", "", ""},
          {"\xC7"
           "ODIGO ",
           "x", "15,2", "k", "n"}},
         2},
        {numberedRows(100), 100},
        {numberedRows(101), 100},
    };
    test::TempFolder folder;
    for (const Case& c : cases) {
        const auto path = folder.path() / "r.tab";
        saveTableDefinition(gridWith(c.rows), path);
        DesignerGrid target = gridWith(numberedRows(3));
        target.setCell(1, 101, "KEPT");
        readTableDefinition(target, path);
        std::vector<FieldRow> expected(c.rows.begin(), c.rows.begin() + c.restored);
        for (int r = c.restored + 1; r <= 3; ++r)
            expected.push_back({"F" + std::to_string(r), "I", "0", "", ""});
        EXPECT_EQ(fieldRows(target, 1, std::max(3, c.restored)), expected) << c.rows.size();
        EXPECT_EQ(target.cell(1, 101), "KEPT");
    }
}

// The file's bytes, read into a grid whose rows 1 to 5 held R1..R5 and rows 100 and 101 OLD:
// rows 1 and 2, and the names of rows 3, 5, 100 and 101 afterwards.
struct Reading {
    const char* name;
    std::string bytes;
    FieldRow row1;
    FieldRow row2;
    std::array<std::string, 4> names; // rows 3, 5, 100, 101
};

const FieldRow kR1 = {"R1", "I", "0", "", ""};
const FieldRow kR2 = {"R2", "I", "0", "", ""};
const FieldRow kEmpty = {};
const std::array<std::string, 4> kKept = {"R3", "R5", "OLD", "OLD"};
const std::array<std::string, 4> kEmptiedTo100 = {"", "", "", "OLD"};

class TableDefinitionReading : public ::testing::TestWithParam<Reading> {};

TEST_P(TableDefinitionReading, FollowsTheLineRules) {
    const Reading& reading = GetParam();
    test::TempFolder folder;
    test::writeBytes(folder.path() / "in.tab", reading.bytes);
    DesignerGrid grid = gridWith(numberedRows(5));
    for (int r = 1; r <= 5; ++r)
        grid.setCell(1, r, "R" + std::to_string(r));
    grid.setCell(1, 100, "OLD");
    grid.setCell(1, 101, "OLD");
    readTableDefinition(grid, folder.path() / "in.tab");
    EXPECT_EQ(fieldRows(grid, 1, 2), (std::vector<FieldRow>{reading.row1, reading.row2}));
    const int rows[] = {3, 5, 100, 101};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(grid.cell(1, rows[i]), reading.names[static_cast<std::size_t>(i)]) << rows[i];
    EXPECT_EQ(grid.cell(0, 1), "001");
}

const std::string kTwoRows = "A\r\nV\r\n60\r\n\r\nN\r\nB\r\ni\r\n\r\nx\r\nS\r\n";

INSTANTIATE_TEST_SUITE_P(
    , TableDefinitionReading,
    ::testing::Values(
        Reading{"HashAloneChangesNothing", "#\r\n", kR1, kR2, kKept},
        Reading{"TwoRowsLeaveTheRestAsTheyWere",
                kTwoRows + "#\r\n",
                {"A", "V", "60", "", "N"},
                {"B", "i", "", "x", "S"},
                kKept},
        Reading{"WithoutHashEmptiesRowsUpTo100",
                kTwoRows,
                {"A", "V", "60", "", "N"},
                {"B", "i", "", "x", "S"},
                kEmptiedTo100},
        Reading{"EndingInsideAGroup", "A\r\nV\r\n", {"A", "V", "", "", ""}, kEmpty, kEmptiedTo100},
        Reading{"OnlyAnExactHashEnds",
                " #\r\nI\r\n\r\n\r\n\r\n# \r\n\r\n\r\n\r\n\r\n#\r\n",
                {" #", "I", "", "", ""},
                {"# ", "", "", "", ""},
                kKept},
        Reading{"OnlyTheFirstLineOfAGroupIsTested",
                "A\r\n#\r\n#\r\n#\r\n#\r\n#\r\n",
                {"A", "#", "#", "#", "#"},
                kR2,
                kKept},
        Reading{"LineFeedsAloneAndLoneCarriageReturns",
                "A\rX\nV\n6\r0\n\nN\n#",
                {"AX", "V", "60", "", "N"},
                kR2,
                kKept},
        Reading{"ControlZEndsTheFile",
                "A\r\nV\r\n\x1A#\r\nB\r\n",
                {"A", "V", "", "", ""},
                kEmpty,
                kEmptiedTo100},
        Reading{"LongLines",
                std::string(100000, 'x') + "\r\n\r\n\r\n\r\n\r\n#\r\n",
                {std::string(100000, 'x'), "", "", "", ""},
                kR2,
                kKept}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(TableDefinition, ReadingAHashNamedRowStopsThere) {
    test::TempFolder folder;
    saveTableDefinition(gridWith({{"A", "I", "", "", ""}, {"#", "V", "", "", ""}, {"C"}}),
                        folder.path() / "h.tab");
    DesignerGrid grid = gridWith({});
    readTableDefinition(grid, folder.path() / "h.tab");
    EXPECT_EQ(fieldRows(grid, 1, 3), (std::vector<FieldRow>{{"A", "I", "", "", ""}, {}, {}}));
}

TEST(TableDefinition, IoErrorsCarryTheirCodes) {
    test::TempFolder folder;
    std::filesystem::create_directory(folder.path() / "folder.tab");
    DesignerGrid grid = gridWith({{"A"}});
    auto code = [](auto&& operation) {
        try {
            operation();
        } catch (const EInOutError& e) {
            return e.errorCode();
        }
        return 0;
    };
    EXPECT_EQ(code([&] { readTableDefinition(grid, folder.path() / "none.tab"); }), 2);
    EXPECT_EQ(code([&] { readTableDefinition(grid, folder.path() / "no" / "x.tab"); }), 3);
    EXPECT_EQ(code([&] { saveTableDefinition(grid, folder.path() / "no" / "x.tab"); }), 3);
    EXPECT_EQ(code([&] { saveTableDefinition(grid, folder.path() / "folder.tab"); }), 5);
    EXPECT_EQ(grid.cell(1, 1), "A");
}

} // namespace
} // namespace vorendal
