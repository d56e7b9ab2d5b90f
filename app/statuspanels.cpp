#include "app/statuspanels.h"

#include <algorithm>

#include "app/statuspanel.h"

namespace vorendal {

StatusPanels::StatusPanels(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void StatusPanels::addPanel(StatusPanel* panel, int width) {
    panel->setParent(this);
    m_panels.append({panel, width});
    placePanels();
}

QSize StatusPanels::sizeHint() const {
    int width = 0;
    int height = 0;
    for (const auto& [panel, fixed] : m_panels) {
        width += fixed > 0 ? fixed : panel->sizeHint().width();
        height = std::max(height, panel->sizeHint().height());
    }
    return {width, height};
}

QSize StatusPanels::minimumSizeHint() const {
    return {0, sizeHint().height()};
}

void StatusPanels::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placePanels();
}

void StatusPanels::placePanels() {
    int left = 0;
    for (const auto& [panel, fixed] : m_panels) {
        const int room = std::max(0, width() - left);
        const int span = fixed > 0 ? std::min(fixed, room) : room;
        panel->setGeometry(left, 0, span, height());
        left += fixed > 0 ? fixed : span;
    }
}

} // namespace vorendal
