// The script pane's editing by the user: keys, mouse, input methods and the clipboard.

#include "app/scriptpane.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>

#include "app/ansitext.h"
#include "base/exceptions.h"

namespace vorendal {
namespace {

bool isWordCharacter(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u == '_' ||
           u >= 0xC0;
}

bool isUndoKey(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods =
        event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    return event == QKeySequence::Undo ||
           (event->key() == Qt::Key_Z && mods == Qt::ControlModifier);
}

bool isRedoKey(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods =
        event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    return event == QKeySequence::Redo ||
           (event->key() == Qt::Key_Y && mods == Qt::ControlModifier) ||
           (event->key() == Qt::Key_Z && mods == (Qt::ControlModifier | Qt::ShiftModifier));
}

} // namespace

void ScriptPane::moveCaret(TextPosition to, bool extend) {
    m_text.sealUndoStep(); // typing elsewhere is another undo step
    m_caret = m_text.clamp(to);
    if (!extend)
        m_anchor = m_caret;
    showCaret();
}

void ScriptPane::insertTyped(const QString& typed, EditKind kind) {
    std::uint64_t replaced = 0;
    try {
        const TextPosition from = std::min(m_anchor, m_caret);
        const TextPosition to = std::max(m_anchor, m_caret);
        m_caret = m_anchor = m_text.replace(from, to, toAnsi(typed, replaced), kind);
    } catch (const EOutOfResources&) {
        QApplication::beep(); // the user cannot type beyond the capacity
        return;
    }
    m_preferredX = -1;
    textChanged();
    if (replaced > 0)
        Q_EMIT charactersReplaced(replaced);
}

void ScriptPane::removeSelection(EditKind kind) {
    if (!hasSelection())
        return;
    insertTyped(QString(), kind);
}

void ScriptPane::pasteClipboard() {
    m_text.sealUndoStep(); // a paste is a step of its own
    insertTyped(QApplication::clipboard()->text(), EditKind::Other);
    m_text.sealUndoStep();
}

void ScriptPane::cutSelection() {
    if (!hasSelection())
        return;
    copySelection();
    m_text.sealUndoStep();
    removeSelection(EditKind::Other);
    m_text.sealUndoStep();
}

void ScriptPane::deleteSelection() {
    m_text.sealUndoStep();
    removeSelection(EditKind::Other);
    m_text.sealUndoStep();
}

void ScriptPane::undo() {
    afterUndoOrRedo(m_text.undo());
}

void ScriptPane::redo() {
    afterUndoOrRedo(m_text.redo());
}

void ScriptPane::afterUndoOrRedo(const std::optional<TextPosition>& caret) {
    if (!caret)
        return;
    m_caret = m_anchor = *caret;
    m_preferredX = -1;
    textChanged();
}

QMenu* ScriptPane::createContextMenu(QWidget* parent) {
    auto* menu = new QMenu(parent);
    const auto add = [this, menu](const char* text, const QKeySequence& keys, bool enabled,
                                  auto act) {
        QAction* action =
            menu->addAction(QString::fromUtf8(text), this, [this, act] { (this->*act)(); });
        action->setShortcut(keys);
        action->setEnabled(enabled);
        return action;
    };
    const QMimeData* clipboard = QApplication::clipboard()->mimeData();
    const bool canPaste = clipboard != nullptr && clipboard->hasText();
    add("Desfazer", QKeySequence(Qt::CTRL | Qt::Key_Z), canUndo(), &ScriptPane::undo);
    add("Refazer", QKeySequence(Qt::CTRL | Qt::Key_Y), canRedo(), &ScriptPane::redo);
    menu->addSeparator();
    add("Recortar", QKeySequence::Cut, hasSelection(), &ScriptPane::cutSelection);
    add("Copiar", QKeySequence::Copy, hasSelection(), &ScriptPane::copySelection);
    add("Colar", QKeySequence::Paste, canPaste, &ScriptPane::pasteClipboard);
    add("Excluir", QKeySequence::Delete, hasSelection(), &ScriptPane::deleteSelection);
    menu->addSeparator();
    add("Selecionar tudo", QKeySequence::SelectAll, !m_text.isEmpty(), &ScriptPane::selectAll);
    return menu;
}

void ScriptPane::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createContextMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
    event->accept();
}

void ScriptPane::copySelection() const {
    if (hasSelection())
        QApplication::clipboard()->setText(selectedText());
}

TextPosition ScriptPane::wordStart(TextPosition at) const {
    const std::string& row = m_text.row(at.row);
    std::size_t c = at.column;
    while (c > 0 && !isWordCharacter(row[c - 1]))
        --c;
    while (c > 0 && isWordCharacter(row[c - 1]))
        --c;
    return {at.row, c};
}

TextPosition ScriptPane::wordEnd(TextPosition at) const {
    const std::string& row = m_text.row(at.row);
    std::size_t c = at.column;
    while (c < row.size() && isWordCharacter(row[c]))
        ++c;
    while (c < row.size() && !isWordCharacter(row[c]))
        ++c;
    return {at.row, c};
}

bool ScriptPane::handleMove(QKeyEvent* event) {
    const bool extend = event->modifiers().testFlag(Qt::ShiftModifier);
    const bool control = event->modifiers().testFlag(Qt::ControlModifier);
    TextPosition to = m_caret;
    const std::size_t rowLength = m_text.row(m_caret.row).size();
    const auto page = static_cast<std::size_t>(visibleRows());
    bool vertical = false;
    switch (event->key()) {
    case Qt::Key_Left:
        if (control)
            to = wordStart(to);
        else if (to.column > 0)
            --to.column;
        else if (to.row > 0)
            to = {to.row - 1, m_text.row(to.row - 1).size()};
        break;
    case Qt::Key_Right:
        if (control && to.column < rowLength)
            to = wordEnd(to);
        else if (to.column < rowLength)
            ++to.column;
        else if (to.row + 1 < m_text.rowCount())
            to = {to.row + 1, 0};
        break;
    case Qt::Key_Up:
        vertical = to.row > 0;
        to.row -= vertical ? 1 : 0;
        break;
    case Qt::Key_Down:
        vertical = to.row + 1 < m_text.rowCount();
        to.row += vertical ? 1 : 0;
        break;
    case Qt::Key_PageUp:
        vertical = true;
        to.row -= std::min(to.row, page);
        break;
    case Qt::Key_PageDown:
        vertical = true;
        to.row = std::min(to.row + page, m_text.rowCount() - 1);
        break;
    case Qt::Key_Home:
        to = control ? TextPosition{} : TextPosition{to.row, 0};
        break;
    case Qt::Key_End:
        to = control ? m_text.end() : TextPosition{to.row, rowLength};
        break;
    default:
        return false;
    }
    if (vertical) {
        // the caret keeps its x on its way up and down
        if (m_preferredX < 0)
            m_preferredX = caretX();
        to.column = columnAt(to.row, m_preferredX);
        moveCaret(to, extend);
        return true;
    }
    m_preferredX = -1;
    moveCaret(to, extend);
    return true;
}

bool ScriptPane::handleEdit(QKeyEvent* event) {
    if (isUndoKey(event)) {
        undo();
    } else if (isRedoKey(event)) {
        redo();
    } else if (event == QKeySequence::SelectAll) {
        selectAll();
    } else if (event == QKeySequence::Copy) {
        copySelection();
    } else if (event == QKeySequence::Cut) {
        cutSelection();
    } else if (event == QKeySequence::Paste) {
        pasteClipboard();
    } else if (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete) {
        if (!hasSelection()) {
            const bool back = event->key() == Qt::Key_Backspace;
            TextPosition other = m_caret;
            if (back && other.column > 0)
                --other.column;
            else if (back && other.row > 0)
                other = {other.row - 1, m_text.row(other.row - 1).size()};
            else if (!back && other.column < m_text.row(other.row).size())
                ++other.column;
            else if (!back && other.row + 1 < m_text.rowCount())
                other = {other.row + 1, 0};
            m_anchor = other;
            removeSelection(EditKind::Deleting);
        } else {
            deleteSelection(); // a step of its own
        }
    } else {
        return false;
    }
    return true;
}

void ScriptPane::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->ignore(); // Enter breaks no line here
        return;
    }
    if (handleEdit(event) || handleMove(event)) {
        event->accept();
        return;
    }
    const QString typed = event->text();
    if (!typed.isEmpty() &&
        std::all_of(typed.begin(), typed.end(),
                    [](QChar c) { return c.isPrint() || c == u'\t'; }) &&
        !event->modifiers().testFlag(Qt::ControlModifier)) {
        insertTyped(typed, EditKind::Typing);
        event->accept();
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void ScriptPane::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    m_preferredX = -1;
    moveCaret(positionAt(event->position().toPoint()),
              event->modifiers().testFlag(Qt::ShiftModifier));
}

void ScriptPane::mouseMoveEvent(QMouseEvent* event) {
    if (!event->buttons().testFlag(Qt::LeftButton))
        return;
    QPoint point = event->position().toPoint();
    // dragging past the top or bottom edge scrolls a row at a time
    if (point.y() < 0)
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (point.y() > viewport()->height())
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    point.setY(std::clamp(point.y(), 0, viewport()->height() - 1));
    moveCaret(positionAt(point), true);
}

void ScriptPane::mouseReleaseEvent(QMouseEvent* event) {
    event->setAccepted(event->button() == Qt::LeftButton);
}

void ScriptPane::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const TextPosition at = positionAt(event->position().toPoint());
    TextPosition start = at;
    TextPosition end = at;
    const std::string& row = m_text.row(at.row);
    while (start.column > 0 && isWordCharacter(row[start.column - 1]))
        --start.column;
    while (end.column < row.size() && isWordCharacter(row[end.column]))
        ++end.column;
    setSelection(start, end);
}

void ScriptPane::inputMethodEvent(QInputMethodEvent* event) {
    if (!event->commitString().isEmpty())
        insertTyped(event->commitString(), EditKind::Typing);
    event->accept();
}

QVariant ScriptPane::inputMethodQuery(Qt::InputMethodQuery query) const {
    switch (query) {
    case Qt::ImEnabled:
        return true;
    case Qt::ImCursorRectangle:
        return caretRect();
    case Qt::ImCursorPosition:
        return static_cast<int>(m_caret.column);
    case Qt::ImSurroundingText:
        return toQString(m_text.row(m_caret.row));
    default:
        return QAbstractScrollArea::inputMethodQuery(query);
    }
}

} // namespace vorendal
