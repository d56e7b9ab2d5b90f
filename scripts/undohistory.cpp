#include "scripts/undohistory.h"

#include <utility>

namespace vorendal {

TextPosition positionAfter(TextPosition from, std::string_view text) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        ++from.row;
        from.column = 0;
        start = i + 1;
    }
    from.column += text.size() - start;
    return from;
}

std::size_t UndoStep::cost() const {
    const std::size_t pending = kind == EditKind::Append && inserted.empty() ? appended : 0;
    return removed.size() + inserted.size() + pending;
}

UndoHistory::UndoHistory(std::size_t budget, std::size_t maxSteps)
    : m_budget(budget), m_maxSteps(maxSteps) {}

void UndoHistory::setBudget(std::size_t budget) {
    m_budget = budget;
    trim();
}

void UndoHistory::clear() {
    m_undo.clear();
    m_redo.clear();
    m_held = 0;
    m_open = false;
}

bool UndoHistory::push(UndoStep step) {
    for (const UndoStep& undone : m_redo)
        m_held -= undone.cost();
    m_redo.clear();
    if (step.cost() > m_budget) {
        clear();
        return false;
    }
    m_held += step.cost();
    m_undo.push_back(std::move(step));
    m_open = true;
    trim();
    return true;
}

bool UndoHistory::grown(std::size_t costBefore) {
    const std::size_t now = m_undo.back().cost();
    if (now > m_budget) {
        clear();
        return false;
    }
    m_held = m_held - costBefore + now;
    trim();
    return true;
}

UndoStep UndoHistory::takeUndo() {
    UndoStep step = std::move(m_undo.back());
    m_undo.pop_back();
    m_held -= step.cost();
    m_open = false;
    return step;
}

UndoStep UndoHistory::takeRedo() {
    UndoStep step = std::move(m_redo.back());
    m_redo.pop_back();
    m_held -= step.cost();
    m_open = false;
    return step;
}

void UndoHistory::pushUndo(UndoStep step) {
    m_held += step.cost();
    m_undo.push_back(std::move(step));
    m_open = false;
    trim();
}

void UndoHistory::pushRedo(UndoStep step) {
    m_held += step.cost();
    m_redo.push_back(std::move(step));
    m_open = false;
    trim();
}

void UndoHistory::trim() {
    const auto over = [this] {
        return m_held > m_budget || m_undo.size() + m_redo.size() > m_maxSteps;
    };
    // the newest undo step and the next redo step go last; each fits the budget on its own
    while (over() && m_undo.size() > 1) {
        m_held -= m_undo.front().cost();
        m_undo.pop_front();
    }
    while (over() && m_redo.size() > 1) {
        m_held -= m_redo.front().cost();
        m_redo.pop_front();
    }
    while (over() && !m_undo.empty()) {
        m_held -= m_undo.front().cost();
        m_undo.pop_front();
    }
    while (over() && !m_redo.empty()) {
        m_held -= m_redo.front().cost();
        m_redo.pop_front();
    }
}

} // namespace vorendal
