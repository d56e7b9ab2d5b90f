#include "scripts/scripttext.h"

#include <algorithm>
#include <iterator>

#include "base/exceptions.h"
#include "base/textfile.h"

namespace vorendal {
namespace {

// The rows of text: its parts between line breaks (CR LF, lone CR, lone LF).
std::vector<std::string_view> splitRows(std::string_view text) {
    std::vector<std::string_view> rows;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        rows.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    rows.push_back(text.substr(start));
    return rows;
}

[[noreturn]] void throwFull() {
    throw EOutOfResources("RichEdit line insertion error");
}

} // namespace

std::size_t paneTextCost(std::string_view text) {
    std::size_t cost = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            cost += 2;
        } else if (text[i] == '\n') {
            cost += 2;
        } else {
            ++cost;
        }
    }
    return cost;
}

ScriptText::ScriptText(std::size_t capacity) : m_rows(1), m_capacity(capacity) {}

TextPosition ScriptText::clamp(TextPosition position) const {
    if (position.row >= m_rows.size())
        return end();
    position.column = std::min(position.column, m_rows[position.row].size());
    return position;
}

void ScriptText::appendLine(std::string_view line) {
    const TextPosition start = end();
    const std::size_t before = size();
    const bool open = !m_rows.back().empty();
    if (line.find_first_of("\r\n") != std::string_view::npos) {
        // several lines: the general path
        std::string inserted = open ? "\r\n" : "";
        inserted += line;
        if (!open)
            inserted += "\r\n";
        put(end(), end(), inserted, true);
        recordAppend(start, before);
        return;
    }
    const std::size_t added = line.size() + 2;
    if (added > m_capacity || size() > m_capacity - added)
        throwFull();
    if (open) {
        m_rows.emplace_back(line);
    } else {
        m_rows.back().assign(line);
        m_rows.emplace_back();
    }
    m_characters += line.size();
    recordAppend(start, before);
}

TextPosition ScriptText::replace(TextPosition from, TextPosition to, std::string_view text,
                                 EditKind kind) {
    from = clamp(from);
    to = clamp(to);
    if (to < from)
        std::swap(from, to);
    if (from == to && text.empty())
        return from;
    // the removed text is kept for undo only when the step can be recorded at all
    const bool recordable = costBetween(from, to) + text.size() <= m_history.budget();
    std::string removed = recordable ? this->text(from, to) : std::string();
    const TextPosition after = put(from, to, text, true);
    m_appendsUnrecorded = false;
    if (!recordable) {
        m_history.clear();
        return after;
    }
    record(from, to, std::move(removed), text, after, kind);
    return after;
}

void ScriptText::record(TextPosition from, TextPosition to, std::string removed,
                        std::string_view text, TextPosition after, EditKind kind) {
    UndoStep* open = m_history.open();
    if (open != nullptr && kind == EditKind::Typing && open->kind == EditKind::Typing &&
        from == to && from == open->insertedEnd &&
        text.find_first_of("\r\n") == std::string_view::npos) {
        const std::size_t before = open->cost();
        open->inserted += text;
        open->insertedEnd = after;
        m_history.grown(before);
        return;
    }
    if (open != nullptr && kind == EditKind::Deleting && open->kind == EditKind::Deleting &&
        text.empty() && open->inserted.empty() && (to == open->from || from == open->from)) {
        const std::size_t before = open->cost();
        if (to == open->from) { // backwards, as Backspace deletes
            open->removed.insert(0, removed);
            open->from = from;
            open->insertedEnd = from;
        } else { // forwards, as Delete does
            open->removed += removed;
        }
        m_history.grown(before);
        return;
    }
    UndoStep step;
    step.kind = kind == EditKind::Append ? EditKind::Other : kind;
    step.from = from;
    step.removed = std::move(removed);
    step.inserted = text;
    step.insertedEnd = after;
    m_history.push(std::move(step));
}

void ScriptText::recordAppend(TextPosition start, std::size_t sizeBefore) {
    if (m_appendsUnrecorded)
        return;
    const std::size_t added = size() - sizeBefore;
    UndoStep* open = m_history.open();
    bool kept = false;
    if (open != nullptr && open->kind == EditKind::Append && open->insertedEnd == start &&
        open->inserted.empty()) {
        const std::size_t before = open->cost();
        open->appended += added;
        open->insertedEnd = end();
        kept = m_history.grown(before);
    } else {
        UndoStep step;
        step.kind = EditKind::Append;
        step.from = start;
        step.insertedEnd = end();
        step.appended = added;
        kept = m_history.push(std::move(step));
    }
    // a run too large for the history leaves it empty, and the rest of the run unrecorded
    m_appendsUnrecorded = !kept;
}

std::size_t ScriptText::costBetween(TextPosition from, TextPosition to) const {
    if (from.row == to.row)
        return to.column - from.column;
    std::size_t cost = m_rows[from.row].size() - from.column + to.column;
    for (std::size_t r = from.row + 1; r < to.row; ++r)
        cost += m_rows[r].size();
    return cost + 2 * (to.row - from.row);
}

TextPosition ScriptText::put(TextPosition from, TextPosition to, std::string_view text,
                             bool checked) {

    from = clamp(from);
    to = clamp(to);
    if (to < from)
        std::swap(from, to);
    std::size_t removedCharacters = 0; // of the rows from.row..to.row, head and tail included
    for (std::size_t r = from.row; r <= to.row; ++r)
        removedCharacters += m_rows[r].size();
    const std::size_t headAndTail = from.column + (m_rows[to.row].size() - to.column);
    const std::size_t removed = removedCharacters - headAndTail + 2 * (to.row - from.row);
    const std::size_t added = paneTextCost(text);
    const std::size_t remaining = size() - removed;
    if (checked && (added > m_capacity || remaining > m_capacity - added))
        throwFull();

    const std::vector<std::string_view> parts = splitRows(text);
    const std::string head = m_rows[from.row].substr(0, from.column);
    const std::string tail = m_rows[to.row].substr(to.column);

    std::vector<std::string> fresh;
    fresh.reserve(parts.size());
    for (const std::string_view part : parts)
        fresh.emplace_back(part);
    const TextPosition after{from.row + parts.size() - 1,
                             (parts.size() == 1 ? head.size() : 0) + parts.back().size()};
    fresh.front().insert(0, head);
    fresh.back() += tail;

    std::size_t addedCharacters = 0;
    for (const std::string& row : fresh)
        addedCharacters += row.size();
    // rows from.row..to.row give way to the fresh ones
    const auto first = m_rows.begin() + static_cast<std::ptrdiff_t>(from.row);
    const std::size_t common = std::min(fresh.size(), to.row - from.row + 1);
    std::move(fresh.begin(), fresh.begin() + static_cast<std::ptrdiff_t>(common), first);
    if (fresh.size() > common) {
        m_rows.insert(first + static_cast<std::ptrdiff_t>(common),
                      std::make_move_iterator(fresh.begin() + static_cast<std::ptrdiff_t>(common)),
                      std::make_move_iterator(fresh.end()));
    } else {
        m_rows.erase(first + static_cast<std::ptrdiff_t>(common),
                     m_rows.begin() + static_cast<std::ptrdiff_t>(to.row + 1));
    }
    m_characters = m_characters - removedCharacters + addedCharacters;
    return after;
}

std::string ScriptText::text(TextPosition from, TextPosition to) const {
    from = clamp(from);
    to = clamp(to);
    if (to < from)
        std::swap(from, to);
    if (from.row == to.row)
        return m_rows[from.row].substr(from.column, to.column - from.column);
    std::string result = m_rows[from.row].substr(from.column);
    for (std::size_t r = from.row + 1; r < to.row; ++r) {
        result += "\r\n";
        result += m_rows[r];
    }
    result += "\r\n";
    result.append(m_rows[to.row], 0, to.column);
    return result;
}

void ScriptText::clear() {
    if (isEmpty())
        return;
    replace({}, end(), {});
}

void ScriptText::beginAppendGroup() {
    if (m_appendGroups++ == 0)
        sealUndoStep();
}

void ScriptText::endAppendGroup() {
    if (m_appendGroups > 0 && --m_appendGroups == 0)
        sealUndoStep();
}

void ScriptText::sealUndoStep() {
    m_history.seal();
    m_appendsUnrecorded = false;
}

std::optional<TextPosition> ScriptText::undo() {
    m_appendsUnrecorded = false;
    if (!m_history.canUndo())
        return std::nullopt;
    UndoStep step = m_history.takeUndo();
    // an append's text is taken into the step only now, for its redo
    if (step.kind == EditKind::Append && step.inserted.empty())
        step.inserted = text(step.from, step.insertedEnd);
    const TextPosition caret = put(step.from, step.insertedEnd, step.removed, false);
    m_history.pushRedo(std::move(step));
    return caret;
}

std::optional<TextPosition> ScriptText::redo() {
    m_appendsUnrecorded = false;
    if (!m_history.canRedo())
        return std::nullopt;
    UndoStep step = m_history.takeRedo();
    const TextPosition removedEnd = positionAfter(step.from, step.removed);
    step.insertedEnd = put(step.from, removedEnd, step.inserted, false);
    const TextPosition caret = step.insertedEnd;
    m_history.pushUndo(std::move(step));
    return caret;
}

void ScriptText::clearUndoHistory() {
    m_history.clear();
    m_appendsUnrecorded = false;
}

void ScriptText::save(const std::filesystem::path& path) const {
    const std::size_t lines = lineCount();
    std::size_t next = 0;
    writeScriptFile(path, [&](std::string& line) {
        if (next == lines)
            return false;
        line = m_rows[next++];
        return true;
    });
}

void writeScriptFile(const std::filesystem::path& path,
                     const std::function<bool(std::string& line)>& nextLine) {
    TextFileWriter file(path);
    std::string line;
    while (nextLine(line))
        file.writeLine(line);
    file.close();
}

} // namespace vorendal
