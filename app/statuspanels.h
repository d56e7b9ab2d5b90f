#pragma once

#include <QList>
#include <QWidget>

namespace vorendal {

class StatusPanel;

// The row of panels inside the status bar: each panel but the last has its fixed width and
// position from the left; the last takes what is left. When the row is narrower than the
// fixed widths, the panels past its right edge shrink to nothing and the one across the edge
// ends there, its text cut.
class StatusPanels : public QWidget {
    Q_OBJECT

public:
    explicit StatusPanels(QWidget* parent = nullptr);

    // Adds panel at the right; width 0: it takes the rest of the row.
    void addPanel(StatusPanel* panel, int width);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void placePanels();

    QList<QPair<StatusPanel*, int>> m_panels;
};

} // namespace vorendal
