#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QString>
#include <QStringList>

#include "scripts/linesink.h"
#include "scripts/scripttext.h"

class QMenu;
class QPainter;
class QTextLayout;

namespace vorendal {

// The script pane (RichEdit1): the text the generators append line by line, which the user may
// edit, clear and save. It shows a ScriptText (Windows-1252 rows) in a fixed-width font without
// wrapping: the view follows the caret sideways, and the vertical scroll bar is always shown.
// Tab moves the focus and Enter breaks no line. Appends go straight into the row store, so a
// table of hundreds of thousands of lines is appended at memory speed. Ctrl+Z undoes, Ctrl+Y and
// Ctrl+Shift+Z redo (runs of typing, a paste, "Limpar", a whole append group); the right button
// opens the editing menu.
class ScriptPane : public QAbstractScrollArea, public LineSink {
    Q_OBJECT

public:
    // The capacity in characters, each line break counting as two.
    static constexpr std::size_t kCapacity = kScriptPaneCapacity;

    explicit ScriptPane(QWidget* parent = nullptr);
    ~ScriptPane() override;

    // While it lives, the appends to pane form one undo step, also when it goes by an exception.
    class AppendGroup {
    public:
        explicit AppendGroup(ScriptPane& pane) : m_pane(pane) { m_pane.m_text.beginAppendGroup(); }
        ~AppendGroup() { m_pane.m_text.endAppendGroup(); }
        AppendGroup(const AppendGroup&) = delete;
        AppendGroup& operator=(const AppendGroup&) = delete;

    private:
        ScriptPane& m_pane;
    };

    // Adds line (Windows-1252) to the end as a line of its own; a CR LF inside it makes several
    // lines. Leaves the caret at the end with no selection. Throws EOutOfResources ("RichEdit line
    // insertion error") when the line does not fit in full; the pane is then unchanged.
    void appendLine(std::string_view line) override;

    // The pane's lines: an empty last line after a final line break does not count.
    QStringList lines() const;
    int lineCount() const { return static_cast<int>(m_text.lineCount()); }
    // The whole text, lines separated by CR LF.
    QString text() const;
    // Replaces the whole text, as if the user had typed it ("\n" or CR LF break lines); characters
    // without a 1252 form become '?' (charactersReplaced tells how many). Throws EOutOfResources
    // when it does not fit.
    void setText(const QString& text);
    // Removes all text; undoable.
    void clearText();

    bool canUndo() const { return m_text.canUndo(); }
    bool canRedo() const { return m_text.canRedo(); }
    void undo();
    void redo();
    // The editing menu of the right button: Desfazer, Refazer, Recortar, Copiar, Colar, Excluir,
    // Selecionar tudo, each enabled when it can act. The caller owns it.
    QMenu* createContextMenu(QWidget* parent);
    // Writes each line as 1252 bytes followed by CR LF to path (an existing file is replaced).
    // Throws EInOutError; the pane is not changed.
    void saveToFile(const std::filesystem::path& path) const;

    std::size_t capacity() const { return m_text.capacity(); }
    // Tests reach the capacity error with a small capacity.
    void setCapacity(std::size_t capacity) { m_text.setCapacity(capacity); }
    // Characters in the pane against the capacity.
    std::size_t used() const { return m_text.size(); }

    TextPosition caret() const { return m_caret; }
    bool hasSelection() const { return m_anchor != m_caret; }
    QString selectedText() const;
    // Selects from anchor to caret (clamped to the text) and shows the caret.
    void setSelection(TextPosition anchor, TextPosition caret);
    void selectAll();

    QSize sizeHint() const override;

Q_SIGNALS:
    // Text typed, pasted or set had count characters with no 1252 form: they are '?' in the pane.
    void charactersReplaced(quint64 count);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void scrollContentsBy(int dx, int dy) override;

private:
    int rowHeight() const;
    int visibleRows() const;
    // Width of one character of the fixed-pitch face.
    qreal cellWidth() const;
    void layoutText(QTextLayout& layout, const QString& text) const;
    // Pixels from the start of row to column.
    qreal columnX(std::size_t row, std::size_t column) const;
    qreal caretX() const;
    // Where the caret is drawn, in the pane's own coordinates.
    QRect caretRect() const;
    // The column of row nearest to x (pixels from the row's start).
    std::size_t columnAt(std::size_t row, qreal x) const;
    void paintRow(QPainter& painter, std::size_t row, qreal top, TextPosition from,
                  TextPosition to);
    TextPosition positionAt(const QPoint& point) const;
    void moveCaret(TextPosition to, bool extend);
    void insertTyped(const QString& typed, EditKind kind);
    void removeSelection(EditKind kind);
    void pasteClipboard();
    void cutSelection();
    void deleteSelection();
    void afterUndoOrRedo(const std::optional<TextPosition>& caret);
    void copySelection() const;
    bool handleMove(QKeyEvent* event);
    bool handleEdit(QKeyEvent* event);
    TextPosition wordStart(TextPosition at) const;
    TextPosition wordEnd(TextPosition at) const;
    void textChanged();
    void showCaret();
    void updateScrollRange();
    void restartBlink();

    ScriptText m_text;
    TextPosition m_caret;
    TextPosition m_anchor;
    qreal m_hOffset = 0;      // pixels of the rows scrolled out to the left
    qreal m_preferredX = -1;  // x the caret keeps on its way up and down
    bool m_caretShown = true; // blink phase
    bool m_viewUpdatePosted = false;
    QBasicTimer m_blink;
};

} // namespace vorendal
