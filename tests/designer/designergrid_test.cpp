#include "designer/designergrid.h"

#include <gtest/gtest.h>

#include "designertest.h"

namespace vorendal {
namespace {

// Rows 1 and 2 hold A and B, row 999 Z: a move from a row, the row it returns (the new current
// row), and rows 1 to 3 and 998 to 999 afterwards.
TEST(DesignerGrid, MovesExchangeTheFieldColumnsOnly) {
    struct Move {
        bool up;
        int from;
        int to;
        const char* top;
        const char* bottom;
    };
    const Move moves[] = {
        {true, 1, 1, "A|I|0|*|N;B||||;||||", "||||;Z||||"}, // first row: nothing
        {true, 2, 1, "B||||;A|I|0|*|N;||||", "||||;Z||||"},
        {false, 2, 3, "A|I|0|*|N;||||;B||||", "||||;Z||||"}, // next to an empty row
        {true, 999, 998, "A|I|0|*|N;B||||;||||", "Z||||;||||"},
        {false, 999, 999, "A|I|0|*|N;B||||;||||", "||||;Z||||"}, // last row: nothing
    };
    for (const Move& move : moves) {
        DesignerGrid grid = test::gridWith("A|I|0|*|N;B");
        grid.setCell(1, 999, "Z");
        EXPECT_EQ(move.up ? grid.moveRowUp(move.from) : grid.moveRowDown(move.from), move.to);
        EXPECT_EQ(test::fieldRows(grid, 1, 3), move.top) << move.from;
        EXPECT_EQ(test::fieldRows(grid, 998, 999), move.bottom) << move.from;
        EXPECT_EQ(grid.cell(0, 1) + grid.cell(0, 998), "001998"); // numbers stay
    }
    DesignerGrid grid = test::gridWith("A|I|0|*|N;B|v|||S");
    grid.moveRowUp(grid.moveRowDown(1));
    EXPECT_EQ(test::fieldRows(grid, 1, 2), "A|I|0|*|N;B|v|||S");
}

TEST(DesignerGrid, ClearEmptiesFieldCellsAndReportsEachChange) {
    DesignerGrid grid = test::gridWith("A|I|0|*|N");
    grid.setCell(5, 999, "N");
    int changes = 0;
    grid.setCellChanged([&](int, int) { ++changes; });
    grid.clear();
    EXPECT_EQ(changes, 6);
    for (int r = 1; r <= 999; ++r)
        ASSERT_EQ(test::fieldRows(grid, r, r), "||||");
    EXPECT_EQ(grid.cell(1, 0) + grid.cell(0, 999), "Nome do campo999");
}

} // namespace
} // namespace vorendal
