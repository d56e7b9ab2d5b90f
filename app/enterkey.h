#pragma once

#include <QObject>

class QWidget;

namespace vorendal {

// Enter (either key, without Ctrl, Alt or Shift) clicks the focused push button, as Space does.
// The window's buttons are no default buttons, so Qt itself would pass Enter on unheeded.
class EnterClicksButton : public QObject {
    Q_OBJECT

public:
    // Watches every push button that window holds now; the filter is a child of window.
    static void installOn(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using QObject::QObject;
};

} // namespace vorendal
