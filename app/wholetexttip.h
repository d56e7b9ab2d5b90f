#pragma once

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QModelIndex>
#include <QToolTip>

namespace vorendal {

// For a delegate's helpEvent: an entry wider than the list's visible width shows its whole text
// as a tooltip; a shorter one shows none. Returns true when the event was handled.
inline bool showWholeTextWhenCut(QHelpEvent* event, QAbstractItemView* view, int entryWidth,
                                 const QModelIndex& index) {
    if (event == nullptr || view == nullptr || event->type() != QEvent::ToolTip)
        return false;
    if (entryWidth <= view->viewport()->width()) {
        QToolTip::hideText();
        return true;
    }
    QToolTip::showText(event->globalPos(), index.data(Qt::DisplayRole).toString(), view);
    return true;
}

} // namespace vorendal
