#include "app/enterkey.h"

#include <QKeyEvent>
#include <QPushButton>

namespace vorendal {

void EnterClicksButton::installOn(QWidget* window) {
    auto* filter = new EnterClicksButton(window);
    for (QPushButton* button : window->findChildren<QPushButton*>())
        button->installEventFilter(filter);
}

bool EnterClicksButton::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    auto* button = qobject_cast<QPushButton*>(watched);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (button == nullptr || !enter || (key->modifiers() & ~Qt::KeypadModifier) != 0)
        return QObject::eventFilter(watched, event);
    // a held key does not run a generator over and over
    if (!key->isAutoRepeat() && button->isEnabled())
        button->click();
    return true;
}

} // namespace vorendal
