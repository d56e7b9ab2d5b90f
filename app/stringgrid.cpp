#include "app/stringgrid.h"

#include <QAbstractButton>
#include <QEvent>
#include <QHeaderView>
#include <QStyleOptionHeader>
#include <QStylePainter>

namespace vorendal {

StringGrid::StringGrid(const QList<int>& columnWidths, int rows, int rowHeight, QWidget* parent)
    : QTableWidget(rows - 1, static_cast<int>(columnWidths.size()) - 1, parent) {
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

    QHeaderView* side = verticalHeader();
    side->setMinimumSectionSize(1);
    side->setDefaultSectionSize(rowHeight);
    side->setSectionResizeMode(QHeaderView::Fixed);
    side->setSectionsClickable(false);
    side->setHighlightSections(false);
    side->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    side->setFixedWidth(columnWidths.value(0));

    // the corner is cell (0, 0): its text is drawn over Qt's corner button
    if (auto* corner = findChild<QAbstractButton*>())
        corner->installEventFilter(this);
}

QString StringGrid::cellText(int col, int row) const {
    if (col < 0 || row < 0 || col >= gridColCount() || row >= gridRowCount())
        return {};
    if (col == 0 && row == 0)
        return m_cornerText;
    const QTableWidgetItem* cell = row == 0   ? horizontalHeaderItem(col - 1)
                                   : col == 0 ? verticalHeaderItem(row - 1)
                                              : item(row - 1, col - 1);
    return cell != nullptr ? cell->text() : QString();
}

void StringGrid::setCellText(int col, int row, const QString& text) {
    if (col < 0 || row < 0 || col >= gridColCount() || row >= gridRowCount())
        return;
    if (col == 0 && row == 0) {
        m_cornerText = text;
        if (auto* corner = findChild<QAbstractButton*>())
            corner->update();
        return;
    }
    if (row == 0) {
        setHorizontalHeaderItem(col - 1, new QTableWidgetItem(text));
    } else if (col == 0) {
        setVerticalHeaderItem(row - 1, new QTableWidgetItem(text));
    } else if (QTableWidgetItem* cell = item(row - 1, col - 1)) {
        cell->setText(text);
    } else {
        setItem(row - 1, col - 1, new QTableWidgetItem(text));
    }
}

bool StringGrid::eventFilter(QObject* watched, QEvent* event) {
    auto* corner = qobject_cast<QAbstractButton*>(watched);
    if (corner == nullptr || event->type() != QEvent::Paint)
        return QTableWidget::eventFilter(watched, event);
    QStylePainter painter(corner);
    QStyleOptionHeader option;
    option.initFrom(corner);
    // drawn as the other headings, though it takes no click
    option.state |= QStyle::State_Enabled;
    option.palette = palette();
    option.palette.setCurrentColorGroup(QPalette::Active);
    option.rect = corner->rect();
    option.position = QStyleOptionHeader::OnlyOneSection;
    option.text = m_cornerText;
    option.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    painter.drawControl(QStyle::CE_Header, option);
    return true;
}

} // namespace vorendal
