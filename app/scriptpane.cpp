#include "app/scriptpane.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include <QApplication>
#include <QFocusEvent>
#include <QFontMetricsF>
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
// Rows longer than this are measured by the face's fixed pitch (a character one cell, a tab up to
// the next multiple of kTabColumns cells) and only their visible part is laid out: laying out a
// row of millions of characters takes seconds, and beyond about 33 million pixels the layout's
// coordinates overflow.
constexpr std::size_t kLongRow = 4096;

// Cells of row before column.
qint64 cellsBefore(std::string_view row, std::size_t column) {
    column = std::min(column, row.size());
    std::size_t i = std::min(row.find('\t'), column);
    auto cells = static_cast<qint64>(i);
    for (; i < column; ++i)
        cells = row[i] == '\t' ? (cells / kTabColumns + 1) * kTabColumns : cells + 1;
    return cells;
}

// The column of row whose boundary lies nearest to cells.
std::size_t columnNearCells(std::string_view row, qreal cells) {
    const std::size_t tab = std::min(row.find('\t'), row.size());
    if (cells <= static_cast<qreal>(tab))
        return static_cast<std::size_t>(std::llround(std::max<qreal>(cells, 0)));
    auto before = static_cast<qint64>(tab);
    for (std::size_t i = tab; i < row.size(); ++i) {
        const qint64 after = row[i] == '\t' ? (before / kTabColumns + 1) * kTabColumns : before + 1;
        if (cells < static_cast<qreal>(before + after) / 2)
            return i;
        before = after;
    }
    return row.size();
}

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
    std::uint64_t replaced = 0;
    m_text.replace({}, m_text.end(), toAnsi(text, replaced));
    m_text.sealUndoStep();
    m_caret = m_anchor = m_text.end();
    textChanged();
    if (replaced > 0)
        Q_EMIT charactersReplaced(replaced);
}

void ScriptPane::clearText() {
    m_text.clear();
    m_text.sealUndoStep();
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
    m_text.sealUndoStep();
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

qreal ScriptPane::cellWidth() const {
    return std::max<qreal>(1, QFontMetricsF(font()).horizontalAdvance(QLatin1Char(' ')));
}

void ScriptPane::layoutText(QTextLayout& layout, const QString& text) const {
    layout.setText(text);
    layout.setFont(font());
    QTextOption option(Qt::AlignLeft);
    option.setWrapMode(QTextOption::NoWrap);
    option.setTabStopDistance(cellWidth() * kTabColumns);
    layout.setTextOption(option);
    layout.setCacheEnabled(true);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid())
        line.setPosition(QPointF(0, 0));
    layout.endLayout();
}

qreal ScriptPane::columnX(std::size_t row, std::size_t column) const {
    const std::string& text = m_text.row(row);
    if (text.size() > kLongRow)
        return static_cast<qreal>(cellsBefore(text, column)) * cellWidth();
    QTextLayout layout;
    layoutText(layout, toQString(text));
    const QTextLine line = layout.lineAt(0);
    return line.isValid() ? line.cursorToX(static_cast<int>(std::min(column, text.size()))) : 0;
}

qreal ScriptPane::caretX() const {
    return columnX(m_caret.row, m_caret.column);
}

QRect ScriptPane::caretRect() const {
    const int top =
        kMargin + (static_cast<int>(m_caret.row) - verticalScrollBar()->value()) * rowHeight();
    const int x =
        kMargin + static_cast<int>(std::lround(std::clamp<qreal>(caretX() - m_hOffset, -1e6, 1e6)));
    return {viewport()->mapToParent(QPoint(x, top)), QSize(kCaretWidth, rowHeight())};
}

std::size_t ScriptPane::columnAt(std::size_t row, qreal x) const {
    const std::string& text = m_text.row(row);
    if (text.size() > kLongRow)
        return std::min(columnNearCells(text, x / cellWidth()), text.size());
    QTextLayout layout;
    layoutText(layout, toQString(text));
    const QTextLine line = layout.lineAt(0);
    if (!line.isValid())
        return 0;
    // kept within the row, as the layout cannot take an x from a row millions of pixels long
    const qreal within = std::clamp<qreal>(x, -1, line.naturalTextWidth() + 1);
    return static_cast<std::size_t>(line.xToCursor(within, QTextLine::CursorBetweenCharacters));
}

TextPosition ScriptPane::positionAt(const QPoint& point) const {
    const int row = verticalScrollBar()->value() + std::max(0, point.y() - kMargin) / rowHeight();
    TextPosition position{std::min(static_cast<std::size_t>(row), m_text.rowCount() - 1), 0};
    position.column = columnAt(position.row, point.x() - kMargin + m_hOffset);
    return m_text.clamp(position);
}

void ScriptPane::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::Text));
    const TextPosition from = std::min(m_anchor, m_caret);
    const TextPosition to = std::max(m_anchor, m_caret);
    const std::size_t first = static_cast<std::size_t>(verticalScrollBar()->value());
    const std::size_t last = std::min(m_text.rowCount(), first + visibleRows() + 1);
    for (std::size_t row = first; row < last; ++row)
        paintRow(painter, row, kMargin + static_cast<qreal>((row - first) * rowHeight()), from, to);
}

void ScriptPane::paintRow(QPainter& painter, std::size_t row, qreal top, TextPosition from,
                          TextPosition to) {
    const std::string& text = m_text.row(row);
    const qreal cell = cellWidth();
    // the part laid out: columns begin..end, after pad blanks that keep its tabs at their stops,
    // starting start pixels into the row
    std::size_t begin = 0;
    std::size_t end = text.size();
    qint64 pad = 0;
    qreal start = 0;
    qreal width = 0; // of the whole row
    QTextLayout layout;
    if (text.size() > kLongRow) {
        width = static_cast<qreal>(cellsBefore(text, text.size())) * cell;
        const std::size_t left = columnNearCells(text, m_hOffset / cell);
        begin = left > 0 ? left - 1 : 0;
        end = std::min(text.size(),
                       columnNearCells(text, (m_hOffset + viewport()->width()) / cell) + 1);
        end = std::max(begin, end);
        const qint64 cells = cellsBefore(text, begin);
        pad = cells % kTabColumns;
        start = static_cast<qreal>(cells - pad) * cell;
        layoutText(layout, QString(static_cast<qsizetype>(pad), QLatin1Char(' ')) +
                               toQString(std::string_view(text).substr(begin, end - begin)));
    } else {
        layoutText(layout, toQString(text));
        width = layout.lineAt(0).isValid() ? layout.lineAt(0).naturalTextWidth() : 0;
    }
    // a row that ends left of the view shows nothing (nor is drawn far off, where the painter's
    // coordinates would overflow)
    if (width + cell < m_hOffset)
        return;
    const auto inLayout = [&](std::size_t column) {
        return static_cast<int>(std::clamp(column, begin, end) - begin +
                                static_cast<std::size_t>(pad));
    };
    const QPalette& colours = palette();
    QList<QTextLayout::FormatRange> selections;
    if (from != to && from.row <= row && row <= to.row) {
        QTextCharFormat selected;
        selected.setBackground(colours.brush(QPalette::Highlight));
        selected.setForeground(colours.brush(QPalette::HighlightedText));
        const int first = inLayout(row == from.row ? from.column : 0);
        const int last = inLayout(row == to.row ? to.column : text.size());
        selections.append({first, last - first, selected});
    }
    const QPointF origin(kMargin - m_hOffset + start, top);
    layout.draw(&painter, origin, selections);
    if (from != to && from.row <= row && row < to.row) {
        // the selected line break: a space's width after the row's text
        painter.fillRect(QRectF(kMargin - m_hOffset + width, top, cell, rowHeight()),
                         colours.brush(QPalette::Highlight));
    }
    if (row == m_caret.row && hasFocus() && m_caretShown && begin <= m_caret.column &&
        m_caret.column <= end)
        layout.drawCursor(&painter, origin, inLayout(m_caret.column), kCaretWidth);
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
    // no horizontal scroll bar: the view follows the caret sideways, by whole pixels
    const qreal x = caretX();
    const int width = std::max(1, viewport()->width() - 2 * kMargin - kCaretWidth);
    if (x < m_hOffset)
        m_hOffset = std::max<qreal>(0, std::floor(x - width / 3));
    else if (x > m_hOffset + width)
        m_hOffset = std::ceil(x - width + width / 3);
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
