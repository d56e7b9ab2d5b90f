#pragma once

#include <filesystem>

namespace vorendal {

class DesignerGrid;

// The table definition file (.tab): for each named field row from row 1 on, up to the first row
// with an empty name and at most 100 rows, five lines holding the cells of columns 1 to 5 as the
// grid holds them; then one line "#". Lines end with CR LF.

// Writes the grid's named rows to path, replacing any file there. The grid is not changed.
// Throws EInOutError; what was written before the failure stays in the file.
void saveTableDefinition(const DesignerGrid& grid, const std::filesystem::path& path);

// What reading a table definition found besides the rows it read.
struct TableDefinitionReading {
    // The file goes on past its 100th row with another one (a line other than "#" and empty
    // ones): the rows after the 100th are not read, and the user is to be told.
    bool rowsLeftOut = false;
};

// Reads path into the grid's field rows 1 to 100, five lines per row, until a row's first line
// is exactly "#" or 100 rows are read. The grid is not cleared first: rows the file does not
// reach keep their cells. Past the end of the file every line reads as empty, so a file without
// its "#" empties the remaining rows up to row 100. Throws EInOutError; the rows read before the
// failure stay in the grid.
TableDefinitionReading readTableDefinition(DesignerGrid& grid, const std::filesystem::path& path);

} // namespace vorendal
