#pragma once

#include <QString>
#include <QTableWidget>

namespace vorendal {

// A string grid with one fixed heading row and one fixed first column (the designer grid,
// criatabela). Cells are addressed as (column, row) over the whole grid: row 0 is the heading
// row and column 0 the fixed column, both drawn as headers that never scroll away.
class StringGrid : public QTableWidget {
    Q_OBJECT

public:
    // columnWidths: the width of every column, the fixed one first; rows: all rows, the heading
    // row included; rowHeight: the height of every row.
    StringGrid(const QList<int>& columnWidths, int rows, int rowHeight, QWidget* parent = nullptr);

    int gridColCount() const { return columnCount() + 1; }
    int gridRowCount() const { return rowCount() + 1; }

    // Text of cell (col, row); empty outside the grid.
    QString cellText(int col, int row) const;
    // Sets the text of cell (col, row) and redraws it; nothing outside the grid.
    void setCellText(int col, int row, const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString m_cornerText;
};

} // namespace vorendal
