#pragma once

#include <QList>
#include <QString>
#include <QTableView>

#include "designer/designergrid.h"

namespace vorendal {

class DesignerGridModel;

// The designer grid, criatabela: a string grid with one fixed heading row and one fixed first
// column that shows the cells of a DesignerGrid, which it owns. Cells are addressed as
// (column, row) over the whole grid: row 0 is the heading row and column 0 the fixed column, both
// drawn as headers that never scroll away. Typing in a cell edits the DesignerGrid; setting a
// cell of the DesignerGrid redraws it.
class StringGrid : public QTableView {
    Q_OBJECT

public:
    // columnWidths: the width of every column, the fixed one first; a column whose heading needs
    // more room in the grid's font gets that much. rowHeight: the height of every row.
    StringGrid(const QList<int>& columnWidths, int rowHeight, QWidget* parent = nullptr);
    ~StringGrid() override;

    // The cells the grid shows; the designer's operations work on them.
    DesignerGrid& cells() { return m_cells; }
    const DesignerGrid& cells() const { return m_cells; }

    int gridColCount() const { return DesignerGrid::kColumns; }
    int gridRowCount() const { return DesignerGrid::kRows; }

    // Text of cell (col, row); empty outside the grid.
    QString cellText(int col, int row) const;
    // Sets the text of cell (col, row) and redraws it; nothing outside the grid.
    void setCellText(int col, int row, const QString& text);

    // The current cell, always a field cell: column 1 to 5, row 1 to 999.
    int currentCol() const;
    int currentRow() const;
    // Makes (col, row) the current cell and scrolls it into view.
    void setCurrentCell(int col, int row);
    // Moves the focus on to the next control (or the previous one), as Tab does.
    void leaveByTab(bool forward);

Q_SIGNALS:
    // Raised each time the in-place editor is filled with the text of cell (col, row); value
    // holds that text and what the handler leaves in it goes into the editor.
    void getEditText(int col, int row, QString& value);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    DesignerGrid m_cells;
    DesignerGridModel* m_model = nullptr;
};

} // namespace vorendal
