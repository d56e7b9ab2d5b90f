#pragma once

#include <compare>
#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

namespace vorendal {

// A place in the text: row (from 0) and column (characters before it in that row).
struct TextPosition {
    std::size_t row = 0;
    std::size_t column = 0;
    auto operator<=>(const TextPosition&) const = default;
};

// The position after text inserted at from: CR LF, a lone CR and a lone LF each break a row.
TextPosition positionAfter(TextPosition from, std::string_view text);

// Text the undo history may hold, in bytes: what its steps keep of removed and inserted text,
// an appended run counted at its full size (undoing it moves that text into the history for
// redo). A step larger than this on its own clears the history instead of being recorded.
inline constexpr std::size_t kUndoBudget = std::size_t{16} * 1024 * 1024;
// Steps kept at most; the oldest go first.
inline constexpr std::size_t kUndoSteps = 1000;

// How an edit came about; runs of typing, of deleting and of appends merge into one step.
enum class EditKind { Typing, Deleting, Other, Append };

// One undoable change: the text between from and the end of removed became inserted.
struct UndoStep {
    EditKind kind = EditKind::Other;
    TextPosition from;
    std::string removed;
    // Of an append: empty until the step is first undone, as the text is still in the pane.
    std::string inserted;
    TextPosition insertedEnd;
    std::size_t appended = 0; // bytes an append added (CR LF counting two)

    std::size_t cost() const;
};

// The undo and redo stacks of the script pane, held within a budget of bytes and a number of
// steps: past either, the oldest steps go.
class UndoHistory {
public:
    explicit UndoHistory(std::size_t budget = kUndoBudget, std::size_t maxSteps = kUndoSteps);

    std::size_t budget() const { return m_budget; }
    void setBudget(std::size_t budget);
    // Bytes of text the steps hold or may come to hold (see kUndoBudget).
    std::size_t heldBytes() const { return m_held; }
    bool canUndo() const { return !m_undo.empty(); }
    bool canRedo() const { return !m_redo.empty(); }
    void clear();

    // A new edit: the redo steps go and step becomes the newest, open to merging. Returns false
    // when the step alone exceeds the budget: the history is then cleared instead.
    bool push(UndoStep step);
    // The newest step while the next edit may still merge into it, else nullptr. After changing
    // it, call grown(its cost before).
    UndoStep* open() { return m_open && !m_undo.empty() ? &m_undo.back() : nullptr; }
    // Counts the change of the open step; false when it now exceeds the budget alone, which
    // clears the history.
    bool grown(std::size_t costBefore);
    // The next edit starts a step of its own.
    void seal() { m_open = false; }

    // Moving steps between the stacks (undo and redo); both leave the history sealed.
    UndoStep takeUndo();
    UndoStep takeRedo();
    void pushUndo(UndoStep step);
    void pushRedo(UndoStep step);

private:
    // Drops the oldest undo steps, then the last redo steps, until within the bounds.
    void trim();

    std::deque<UndoStep> m_undo; // newest at the back
    std::deque<UndoStep> m_redo; // next to redo at the back
    std::size_t m_budget;
    std::size_t m_maxSteps;
    std::size_t m_held = 0;
    bool m_open = false;
};

} // namespace vorendal
