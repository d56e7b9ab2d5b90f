#include "designer/tabledefinition.h"

#include <string_view>

#include "base/textfile.h"
#include "designer/designergrid.h"

namespace vorendal {
namespace {

// Closes the list of rows; a file without it reads on to row 100.
constexpr std::string_view kEndOfRows = "#";

} // namespace

void saveTableDefinition(const DesignerGrid& grid, const std::filesystem::path& path) {
    TextFileWriter file(path);
    for (int row = DesignerGrid::kFirstFieldRow;
         row <= DesignerGrid::kDesignRows && grid.isNamed(row); ++row) {
        for (int col = DesignerGrid::kNameColumn; col <= DesignerGrid::kLastColumn; ++col)
            file.writeLine(grid.cell(col, row));
    }
    file.writeLine(kEndOfRows);
    file.close();
}

TableDefinitionReading readTableDefinition(DesignerGrid& grid, const std::filesystem::path& path) {
    TextFileReader file(path);
    TableDefinitionReading reading;
    int row = DesignerGrid::kFirstFieldRow;
    for (; row <= DesignerGrid::kDesignRows; ++row) {
        const std::string name = file.readLine();
        // only the group's first line is compared, and exactly: " #" is a name
        if (name == kEndOfRows)
            break;
        grid.setCell(DesignerGrid::kNameColumn, row, name);
        for (int col = DesignerGrid::kNameColumn + 1; col <= DesignerGrid::kLastColumn; ++col)
            grid.setCell(col, row, file.readLine());
    }
    // After the 100th row the file should end, or close the list; empty lines say nothing.
    while (row > DesignerGrid::kDesignRows && !file.atEnd()) {
        const std::string line = file.readLine();
        if (!line.empty()) {
            reading.rowsLeftOut = line != kEndOfRows;
            break;
        }
    }
    file.close();
    return reading;
}

} // namespace vorendal
