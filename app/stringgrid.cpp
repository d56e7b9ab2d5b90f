#include "app/stringgrid.h"

#include <algorithm>

#include <QAbstractButton>
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyleOptionHeader>
#include <QStylePainter>
#include <QStyledItemDelegate>

#include "app/ansitext.h"
#include "app/designergridmodel.h"

namespace vorendal {
namespace {

// Fills the in-place editor through the grid's edit-text event.
class EditTextDelegate : public QStyledItemDelegate {
public:
    explicit EditTextDelegate(StringGrid* grid) : QStyledItemDelegate(grid), m_grid(grid) {}

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* line = qobject_cast<QLineEdit*>(editor);
        if (line == nullptr) {
            QStyledItemDelegate::setEditorData(editor, index);
            return;
        }
        QString value = index.data(Qt::EditRole).toString();
        Q_EMIT m_grid->getEditText(index.column() + 1, index.row() + 1, value);
        if (line->text() != value)
            line->setText(value);
    }

    // Tab leaves the grid from the in-place editor too, with the text kept, instead of moving on
    // to the next cell.
    bool eventFilter(QObject* object, QEvent* event) override {
        auto* editor = qobject_cast<QWidget*>(object);
        const auto* key =
            event->type() == QEvent::KeyPress ? static_cast<QKeyEvent*>(event) : nullptr;
        if (editor == nullptr || key == nullptr ||
            (key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab))
            return QStyledItemDelegate::eventFilter(object, event);
        Q_EMIT commitData(editor);
        Q_EMIT closeEditor(editor, QAbstractItemDelegate::NoHint);
        m_grid->leaveByTab(key->key() == Qt::Key_Tab);
        return true;
    }

private:
    StringGrid* m_grid;
};

} // namespace

StringGrid::StringGrid(const QList<int>& columnWidths, int rowHeight, QWidget* parent)
    : QTableView(parent), m_model(new DesignerGridModel(m_cells, this)) {
    setModel(m_model);
    setItemDelegate(new EditTextDelegate(this));
    setShowGrid(true);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setTabKeyNavigation(false); // Tab leaves the grid
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setCornerButtonEnabled(false);

    QHeaderView* top = horizontalHeader();
    top->setMinimumSectionSize(1);
    top->setSectionResizeMode(QHeaderView::Fixed);
    top->setSectionsClickable(false);
    top->setHighlightSections(false);
    top->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    top->setFixedHeight(rowHeight);
    for (int c = 1; c < columnWidths.size(); ++c)
        top->resizeSection(c - 1, columnWidths[c]);
    // a heading wider than its column in the font at hand widens the column, so that it is read
    // whole
    connect(m_model, &QAbstractItemModel::headerDataChanged, this,
            [this, columnWidths](Qt::Orientation orientation, int first, int last) {
                if (orientation != Qt::Horizontal)
                    return;
                QHeaderView* headings = horizontalHeader();
                for (int section = first; section <= last; ++section)
                    headings->resizeSection(section, std::max(columnWidths.value(section + 1),
                                                              headings->sectionSizeHint(section)));
            });

    QHeaderView* side = verticalHeader();
    side->setMinimumSectionSize(1);
    side->setDefaultSectionSize(rowHeight);
    side->setSectionResizeMode(QHeaderView::Fixed);
    side->setSectionsClickable(false);
    side->setHighlightSections(false);
    side->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    side->setFixedWidth(columnWidths.value(0));

    // the corner is cell (0, 0): its text is drawn over Qt's corner button
    if (auto* corner = findChild<QAbstractButton*>()) {
        corner->installEventFilter(this);
        connect(m_model, &DesignerGridModel::cornerChanged, corner, qOverload<>(&QWidget::update));
    }
    setCurrentCell(DesignerGrid::kNameColumn, DesignerGrid::kFirstFieldRow);
}

StringGrid::~StringGrid() {
    // the model goes with the view's children, after the cells
    m_cells.setCellChanged({});
}

QString StringGrid::cellText(int col, int row) const {
    return toQString(m_cells.cell(col, row));
}

void StringGrid::setCellText(int col, int row, const QString& text) {
    m_cells.setCell(col, row, toAnsi(text));
}

int StringGrid::currentCol() const {
    return std::max(currentIndex().column(), 0) + 1;
}

int StringGrid::currentRow() const {
    return std::max(currentIndex().row(), 0) + 1;
}

void StringGrid::setCurrentCell(int col, int row) {
    const QModelIndex cell = m_model->index(row - 1, col - 1);
    if (cell.isValid())
        setCurrentIndex(cell);
}

void StringGrid::leaveByTab(bool forward) {
    focusNextPrevChild(forward);
}

bool StringGrid::eventFilter(QObject* watched, QEvent* event) {
    auto* corner = qobject_cast<QAbstractButton*>(watched);
    if (corner == nullptr || event->type() != QEvent::Paint)
        return QTableView::eventFilter(watched, event);
    QStylePainter painter(corner);
    QStyleOptionHeader option;
    option.initFrom(corner);
    // drawn as the other headings, though it takes no click
    option.state |= QStyle::State_Enabled;
    option.palette = palette();
    option.palette.setCurrentColorGroup(QPalette::Active);
    option.rect = corner->rect();
    option.position = QStyleOptionHeader::OnlyOneSection;
    option.text = cellText(0, 0);
    option.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    painter.drawControl(QStyle::CE_Header, option);
    return true;
}

} // namespace vorendal
