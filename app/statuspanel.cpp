#include "app/statuspanel.h"

#include <algorithm>

#include <QPainter>
#include <QStyle>

namespace vorendal {
namespace {

constexpr int kTextMargin = 2; // pixels between the frame and the text

} // namespace

StatusPanel::StatusPanel(const QString& text, Qt::Alignment alignment, QWidget* parent)
    : QLabel(text, parent) {
    setTextFormat(Qt::PlainText);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setAlignment(alignment | Qt::AlignVCenter);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

QSize StatusPanel::minimumSizeHint() const {
    return {0, QLabel::minimumSizeHint().height()};
}

QString StatusPanel::shownText() const {
    const int room = std::max(0, contentsRect().width() - 2 * kTextMargin);
    return fontMetrics().elidedText(text(), Qt::ElideRight, room);
}

QRect StatusPanel::textRect() const {
    const QRect room = contentsRect().adjusted(kTextMargin, 0, -kTextMargin, 0);
    if (room.width() <= 0)
        return {room.topLeft(), QSize(0, room.height())};
    const int width = std::min(room.width(), fontMetrics().horizontalAdvance(shownText()));
    return QStyle::alignedRect(layoutDirection(), alignment(), QSize(width, room.height()), room);
}

void StatusPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    drawFrame(&painter);
    const QRect where = textRect();
    if (where.width() <= 0)
        return;
    painter.setClipRect(contentsRect());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(where, static_cast<int>(alignment()), shownText());
}

} // namespace vorendal
