#pragma once

#include <QLabel>

namespace vorendal {

// One panel of the status bar: a sunken frame with one line of plain text that is cut with "…"
// at the panel's edge when it does not fit, so that it never runs into the next panel. The
// panel may be made as narrow as its parent needs.
class StatusPanel : public QLabel {
    Q_OBJECT

public:
    StatusPanel(const QString& text, Qt::Alignment alignment, QWidget* parent = nullptr);

    // The text as drawn at the current width.
    QString shownText() const;
    // Where that text is drawn, in the panel's coordinates; always inside the panel.
    QRect textRect() const;

    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace vorendal
