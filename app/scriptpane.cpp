#include "app/scriptpane.h"

#include <algorithm>
#include <climits>

#include <QApplication>
#include <QFocusEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextLayout>

#include "app/ansitext.h"
#include "app/fonts.h"

namespace vorendal {
namespace {

constexpr int kMargin = 2;     // pixels between the frame and the text
constexpr int kTabColumns = 8; // a pasted tab reaches the next multiple of 8 columns
constexpr int kCaretWidth = 1;

} // namespace

ScriptPane::ScriptPane(QWidget* parent) : QAbstractScrollArea(parent) {
    setFont(Fonts::fixedFont(11));
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    verticalScrollBar()->setSingleStep(1);
    updateScrollRange();
}

ScriptPane::~ScriptPane() = default;

QSize ScriptPane::sizeHint() const {
    return {539, 389};
}

void ScriptPane::appendLine(std::string_view line) {
    m_text.appendLine(line);
    // the caret ends after the text, and a selection is dropped
    m_caret = m_anchor = m_text.end();
    m_preferredX = -1;
    if (!m_viewUpdatePosted) {
        // the view catches up once control returns to the event loop, whatever the appends
        m_viewUpdatePosted = true;
        QMetaObject::invokeMethod(this, &ScriptPane::textChanged, Qt::QueuedConnection);
    }
}

QStringList ScriptPane::lines() const {
    QStringList result;
    result.reserve(static_cast<qsizetype>(m_text.lineCount()));
    for (std::size_t i = 0; i < m_text.lineCount(); ++i)
        result.append(toQString(m_text.row(i)));
    return result;
}

QString ScriptPane::text() const {
    return toQString(m_text.text());
}

void ScriptPane::setText(const QString& text) {
    ScriptText replacement(m_text.capacity());
    replacement.replace({}, {}, toAnsi(text));
    m_text = std::move(replacement);
    m_caret = m_anchor = m_text.end();
    textChanged();
}

void ScriptPane::clearText() {
    m_text.clear();
    m_caret = m_anchor = TextPosition{};
    m_hOffset = 0;
    textChanged();
}

void ScriptPane::saveToFile(const std::filesystem::path& path) const {
    m_text.save(path);
}

QString ScriptPane::selectedText() const {
    return toQString(m_text.text(m_anchor, m_caret));
}

void ScriptPane::setSelection(TextPosition anchor, TextPosition caret) {
    m_anchor = m_text.clamp(anchor);
    m_caret = m_text.clamp(caret);
    showCaret();
}

void ScriptPane::selectAll() {
    setSelection({}, m_text.end());
}

int ScriptPane::rowHeight() const {
    return std::max(1, fontMetrics().lineSpacing());
}

int ScriptPane::visibleRows() const {
    return std::max(1, (viewport()->height() - kMargin) / rowHeight());
}

void ScriptPane::layoutRow(QTextLayout& layout, std::size_t row) const {
    layout.setText(toQString(m_text.row(row)));
    layout.setFont(font());
    QTextOption option(Qt::AlignLeft);
    option.setWrapMode(QTextOption::NoWrap);
    option.setTabStopDistance(fontMetrics().horizontalAdvance(QLatin1Char(' ')) * kTabColumns);
    layout.setTextOption(option);
    layout.setCacheEnabled(true);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid())
        line.setPosition(QPointF(0, 0));
    layout.endLayout();
}

int ScriptPane::caretX() const {
    QTextLayout layout;
    layoutRow(layout, m_caret.row);
    const QTextLine line = layout.lineAt(0);
    return line.isValid() ? static_cast<int>(line.cursorToX(static_cast<int>(m_caret.column))) : 0;
}

std::size_t ScriptPane::columnAt(std::size_t row, int x) const {
    QTextLayout layout;
    layoutRow(layout, row);
    const QTextLine line = layout.lineAt(0);
    if (!line.isValid())
        return 0;
    return static_cast<std::size_t>(line.xToCursor(x, QTextLine::CursorBetweenCharacters));
}

TextPosition ScriptPane::positionAt(const QPoint& point) const {
    const int row = verticalScrollBar()->value() + std::max(0, point.y() - kMargin) / rowHeight();
    TextPosition position{std::min(static_cast<std::size_t>(row), m_text.rowCount() - 1), 0};
    position.column = columnAt(position.row, point.x() - kMargin + m_hOffset);
    return m_text.clamp(position);
}

void ScriptPane::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    const QPalette& colours = palette();
    painter.setPen(colours.color(QPalette::Text));
    const TextPosition from = std::min(m_anchor, m_caret);
    const TextPosition to = std::max(m_anchor, m_caret);
    const std::size_t first = static_cast<std::size_t>(verticalScrollBar()->value());
    const std::size_t last = std::min(m_text.rowCount(), first + visibleRows() + 1);
    QTextCharFormat selected;
    selected.setBackground(colours.brush(QPalette::Highlight));
    selected.setForeground(colours.brush(QPalette::HighlightedText));

    for (std::size_t row = first; row < last; ++row) {
        QTextLayout layout;
        layoutRow(layout, row);
        QList<QTextLayout::FormatRange> selections;
        const int length = static_cast<int>(m_text.row(row).size());
        if (from != to && from.row <= row && row <= to.row) {
            const int start = row == from.row ? static_cast<int>(from.column) : 0;
            const int end = row == to.row ? static_cast<int>(to.column) : length;
            selections.append({start, end - start, selected});
        }
        const QPointF origin(kMargin - m_hOffset,
                             kMargin + static_cast<double>((row - first) * rowHeight()));
        layout.draw(&painter, origin, selections);
        if (from != to && from.row <= row && row < to.row) {
            // the selected line break: a space's width after the row's text
            const QTextLine line = layout.lineAt(0);
            const qreal x = origin.x() + (line.isValid() ? line.naturalTextWidth() : 0);
            painter.fillRect(QRectF(x, origin.y(),
                                    fontMetrics().horizontalAdvance(QLatin1Char(' ')), rowHeight()),
                             colours.brush(QPalette::Highlight));
        }
        if (row == m_caret.row && hasFocus() && m_caretShown)
            layout.drawCursor(&painter, origin, static_cast<int>(m_caret.column), kCaretWidth);
    }
}

void ScriptPane::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRange();
}

void ScriptPane::scrollContentsBy(int, int) {
    viewport()->update();
}

void ScriptPane::updateScrollRange() {
    QScrollBar* bar = verticalScrollBar();
    const int rows = static_cast<int>(std::min<std::size_t>(m_text.rowCount(), INT_MAX));
    const int maximum = std::max(0, rows - visibleRows());
    bar->setRange(0, maximum);
    bar->setPageStep(visibleRows());
    // shown also when the text fits, then disabled
    bar->setEnabled(maximum > 0);
}

void ScriptPane::textChanged() {
    m_viewUpdatePosted = false;
    updateScrollRange();
    showCaret();
}

void ScriptPane::showCaret() {
    QScrollBar* bar = verticalScrollBar();
    const int row = static_cast<int>(std::min<std::size_t>(m_caret.row, INT_MAX));
    if (row < bar->value())
        bar->setValue(row);
    else if (row >= bar->value() + visibleRows())
        bar->setValue(row - visibleRows() + 1);
    // no horizontal scroll bar: the view follows the caret sideways
    const int x = caretX();
    const int width = std::max(1, viewport()->width() - 2 * kMargin - kCaretWidth);
    if (x < m_hOffset)
        m_hOffset = std::max(0, x - width / 3);
    else if (x > m_hOffset + width)
        m_hOffset = x - width + width / 3;
    restartBlink();
    viewport()->update();
}

void ScriptPane::restartBlink() {
    m_caretShown = true;
    const int flash = QApplication::cursorFlashTime();
    if (hasFocus() && flash > 0)
        m_blink.start(flash / 2, this);
    else
        m_blink.stop();
}

void ScriptPane::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_blink.timerId()) {
        QAbstractScrollArea::timerEvent(event);
        return;
    }
    m_caretShown = !m_caretShown;
    viewport()->update();
}

void ScriptPane::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    restartBlink();
    viewport()->update();
}

void ScriptPane::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    m_blink.stop();
    viewport()->update();
}

} // namespace vorendal
