#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vorendal {

// The designer's grid (criatabela): 6 columns by 1000 rows of Windows-1252 texts, addressed as
// (column, row). Row 0 holds the headings and column 0 the row numbers; rows 1 to 999 are the
// field rows, whose columns 1 to 5 hold the field name, type letter, size, key mark and null flag.
// The grid is the designer's only state: the window shows it, the table definition file and the
// script writers read it and write into it.
class DesignerGrid {
public:
    static constexpr int kColumns = 6;
    static constexpr int kRows = 1000;
    static constexpr int kFirstFieldRow = 1;
    static constexpr int kLastFieldRow = kRows - 1;
    static constexpr int kNameColumn = 1;
    static constexpr int kTypeColumn = 2;
    static constexpr int kSizeColumn = 3;
    static constexpr int kKeyColumn = 4;
    static constexpr int kNullColumn = 5;
    static constexpr int kLastColumn = kNullColumn;
    // No file or script reads or writes a field row below this one.
    static constexpr int kDesignRows = 100;

    // Every cell starts empty.
    DesignerGrid();

    // Text of cell (col, row); empty outside the grid.
    const std::string& cell(int col, int row) const;
    // Sets the text of cell (col, row) and tells the observer when the text changed; nothing
    // outside the grid.
    void setCell(int col, int row, std::string_view text);
    // True when the field row's name cell is not empty.
    bool isNamed(int row) const { return !cell(kNameColumn, row).empty(); }

    // Writes the headings into row 0 and the numbers "001" to "999" into column 0; the field
    // cells stay as they are.
    void setUp();

    // Exchanges columns 1 to 5 of field row `row` with the row above and returns the row the
    // field moved to. Row 1 (and any row that is not a field row) stays put and is returned as
    // it is. The row numbers of column 0 never move.
    int moveRowUp(int row);
    // The same with the row below; row 999 stays put.
    int moveRowDown(int row);
    // Empties columns 1 to 5 of every field row; headings and row numbers stay.
    void clear();

    // Called with (col, row) after a cell's text has changed, so that a view can redraw it.
    using CellChanged = std::function<void(int col, int row)>;
    void setCellChanged(CellChanged observer) { m_cellChanged = std::move(observer); }

private:
    bool contains(int col, int row) const;
    void exchangeFields(int rowA, int rowB);

    std::vector<std::string> m_cells;
    CellChanged m_cellChanged;
};

// Caption of the hint line (Label4) while the editor is open in column col, in 1252; empty for a
// column that has none (the fixed column), in which case the hint line keeps its caption.
std::string_view columnHint(int col);

} // namespace vorendal
