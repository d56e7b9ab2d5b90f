#include "app/designergridmodel.h"

#include "app/ansitext.h"
#include "designer/designergrid.h"

namespace vorendal {

DesignerGridModel::DesignerGridModel(DesignerGrid& grid, QObject* parent)
    : QAbstractTableModel(parent), m_grid(grid) {
    m_grid.setCellChanged([this](int col, int row) { cellChanged(col, row); });
}

DesignerGridModel::~DesignerGridModel() = default;

int DesignerGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : DesignerGrid::kRows - 1;
}

int DesignerGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : DesignerGrid::kColumns - 1;
}

QVariant DesignerGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return toQString(m_grid.cell(index.column() + 1, index.row() + 1));
}

bool DesignerGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    m_grid.setCell(index.column() + 1, index.row() + 1, toAnsi(value.toString()));
    return true;
}

QVariant DesignerGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    return orientation == Qt::Horizontal ? toQString(m_grid.cell(section + 1, 0))
                                         : toQString(m_grid.cell(0, section + 1));
}

Qt::ItemFlags DesignerGridModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

void DesignerGridModel::cellChanged(int col, int row) {
    if (col == 0 && row == 0) {
        Q_EMIT cornerChanged();
    } else if (row == 0) {
        Q_EMIT headerDataChanged(Qt::Horizontal, col - 1, col - 1);
    } else if (col == 0) {
        Q_EMIT headerDataChanged(Qt::Vertical, row - 1, row - 1);
    } else {
        const QModelIndex changed = index(row - 1, col - 1);
        Q_EMIT dataChanged(changed, changed, {Qt::DisplayRole, Qt::EditRole});
    }
}

} // namespace vorendal
