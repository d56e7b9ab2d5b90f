#pragma once

#include <QAbstractTableModel>

namespace vorendal {

class DesignerGrid;

// Shows a DesignerGrid to a view: its field cells (rows 1 to 999, columns 1 to 5) as the items,
// row 0 as the column headings and column 0 as the row headings. The grid stays the one holder
// of the texts; the model converts them at the window's edge and reports every change the grid
// announces, so that setting a cell redraws it.
class DesignerGridModel : public QAbstractTableModel {
    Q_OBJECT

public:
    // The model becomes the grid's observer; the grid's owner drops that observer before the
    // model goes.
    explicit DesignerGridModel(DesignerGrid& grid, QObject* parent = nullptr);
    ~DesignerGridModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

Q_SIGNALS:
    // The corner cell (0, 0) changed.
    void cornerChanged();

private:
    void cellChanged(int col, int row);

    DesignerGrid& m_grid;
};

} // namespace vorendal
