#include "designer/designergrid.h"

#include <gtest/gtest.h>

#include "designertest.h"

namespace vorendal {
namespace {

using test::FieldRow;
using test::fieldRows;
using test::gridWith;

TEST(DesignerGrid, SetUpWritesHeadingsAndRowNumbersAndKeepsFieldCells) {
    DesignerGrid grid;
    grid.setCell(1, 5, "NOME");
    grid.setUp();
    const char* headings[] = {"ID", "Nome do campo", "TP", "Tam.", "Key (*)", "Nulo (S/N)"};
    for (int c = 0; c < 6; ++c)
        EXPECT_EQ(grid.cell(c, 0), headings[c]);
    EXPECT_EQ(grid.cell(0, 1), "001");
    EXPECT_EQ(grid.cell(0, 42), "042");
    EXPECT_EQ(grid.cell(0, 999), "999");
    EXPECT_EQ(grid.cell(1, 5), "NOME");
    EXPECT_EQ(grid.cell(6, 1), "");    // outside
    EXPECT_EQ(grid.cell(1, 1000), ""); // outside
    grid.setCell(1, 1000, "x");        // ignored
}

// Rows 1 and 2 named A and B, row 999 named Z; the move's start row, the row it returns (the new
// current row) and rows 1, 2, 3, 998 and 999 afterwards.
struct Move {
    const char* name;
    bool up;
    int from;
    int to;
    std::vector<std::string> names; // rows 1, 2, 3, 998, 999
};

class DesignerGridMoves : public ::testing::TestWithParam<Move> {};

TEST_P(DesignerGridMoves, ExchangeFieldColumnsOnly) {
    const Move& move = GetParam();
    DesignerGrid grid = gridWith({{"A", "I", "0", "*", "N"}, {"B", "V", "60", "", ""}});
    grid.setCell(1, 999, "Z");
    const int to = move.up ? grid.moveRowUp(move.from) : grid.moveRowDown(move.from);
    EXPECT_EQ(to, move.to);
    const int rows[] = {1, 2, 3, 998, 999};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(grid.cell(1, rows[i]), move.names[static_cast<std::size_t>(i)]) << rows[i];
    for (int r = 1; r <= 999; ++r)
        ASSERT_EQ(grid.cell(0, r).size(), 3u); // row numbers never move
    EXPECT_EQ(grid.cell(0, move.to),
              std::string(3 - std::to_string(move.to).size(), '0') + std::to_string(move.to));
}

INSTANTIATE_TEST_SUITE_P(
    , DesignerGridMoves,
    ::testing::Values(Move{"UpFromFirstRowDoesNothing", true, 1, 1, {"A", "B", "", "", "Z"}},
                      Move{"UpFromSecond", true, 2, 1, {"B", "A", "", "", "Z"}},
                      Move{"DownFromFirst", false, 1, 2, {"B", "A", "", "", "Z"}},
                      Move{"DownIntoEmptyRow", false, 2, 3, {"A", "", "B", "", "Z"}},
                      Move{"UpIntoEmptyRow", true, 999, 998, {"A", "B", "", "Z", ""}},
                      Move{"DownFromLastRowDoesNothing", false, 999, 999, {"A", "B", "", "", "Z"}}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(DesignerGrid, DownThenUpRestoresTheGridWithAllFiveColumns) {
    const std::vector<FieldRow> rows = {{"A", "I", "0", "*", "N"}, {"B", "v", "", "", "S"}};
    DesignerGrid grid = gridWith(rows);
    EXPECT_EQ(grid.moveRowDown(1), 2);
    EXPECT_EQ(fieldRows(grid, 1, 2), (std::vector<FieldRow>{rows[1], rows[0]}));
    EXPECT_EQ(grid.moveRowUp(2), 1);
    EXPECT_EQ(fieldRows(grid, 1, 2), rows);
}

TEST(DesignerGrid, ClearEmptiesFieldCellsAndKeepsHeadingsAndNumbers) {
    DesignerGrid grid = gridWith({{"A", "I", "0", "*", "N"}});
    grid.setCell(5, 999, "N");
    int changes = 0;
    grid.setCellChanged([&](int, int) { ++changes; });
    grid.clear();
    EXPECT_EQ(changes, 6); // only cells that changed are reported
    EXPECT_EQ(fieldRows(grid, 1, 999), std::vector<FieldRow>(999));
    EXPECT_EQ(grid.cell(1, 0), "Nome do campo");
    EXPECT_EQ(grid.cell(0, 999), "999");
}

TEST(DesignerGrid, ColumnHints) {
    const char* hints[] = {"",
                           "Obs: Nome do campo",
                           "Obs: Tipo do campo V/I/B/N/C/D/T/M",
                           "Obs: Tamanho do campo",
                           "Obs: Informe * para definir a CHAVE PRIMARIA",
                           "Obs: S=>Aceita Nulo  N=> N\xE3o aceita"};
    for (int c = 0; c < 6; ++c)
        EXPECT_EQ(columnHint(c), hints[c]);
    EXPECT_EQ(columnHint(6), "");
}

} // namespace
} // namespace vorendal
