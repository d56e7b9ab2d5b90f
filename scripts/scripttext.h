#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scripts/undohistory.h"

namespace vorendal {

// Capacity of the script pane in characters, each line break counting as two (CR and LF): room
// for the data export of a table of a few million records (one of 1,000,000 records with eight
// fields of mixed types makes about 110 MB); beyond that, vorendal-cli writes the script.
inline constexpr std::size_t kScriptPaneCapacity = std::size_t{256} * 1024 * 1024;

// Characters of text against the capacity: each CR LF, lone CR or lone LF counts as two.
std::size_t paneTextCost(std::string_view text);

// The script pane's text: Windows-1252 rows, each but the last ended by a line break. An empty
// pane is one empty row; a pane whose text ends with a line break has an empty last row. The
// pane's lines are its rows without that empty last row. CR LF, a lone CR and a lone LF in
// inserted text each become one line break. No change ever takes the text beyond its capacity.
//
// Changes are recorded for undo and redo: runs of typing, of deleting and of appends each make
// one step, until sealUndoStep() or another kind of change ends the run. An append group (all
// the appends of one generator run) is one step whatever it adds; the appended text is not
// copied for it, only its range is kept. Within the undo budget (kUndoBudget bytes, see there)
// the oldest steps go first; one change larger than the budget clears the history instead.
class ScriptText {
public:
    explicit ScriptText(std::size_t capacity = kScriptPaneCapacity);

    std::size_t capacity() const { return m_capacity; }
    // Takes effect for the next change; the text is kept whatever its size.
    void setCapacity(std::size_t capacity) { m_capacity = capacity; }
    // Characters held against the capacity, each line break counting as two.
    std::size_t size() const { return m_characters + 2 * (m_rows.size() - 1); }

    std::size_t rowCount() const { return m_rows.size(); }
    const std::string& row(std::size_t index) const { return m_rows[index]; }
    // The pane's line count: an empty last row after a final line break does not count.
    std::size_t lineCount() const { return m_rows.size() - (m_rows.back().empty() ? 1 : 0); }
    bool isEmpty() const { return m_rows.size() == 1 && m_rows.front().empty(); }
    TextPosition end() const { return {m_rows.size() - 1, m_rows.back().size()}; }
    // The nearest position that exists.
    TextPosition clamp(TextPosition position) const;

    // Appends line as a line of its own: after the text when that is empty or ends with a line
    // break, else after a line break, so that the text ends without one. Throws
    // EOutOfResources ("RichEdit line insertion error") when it does not fit in full; the text
    // is then unchanged.
    void appendLine(std::string_view line);
    // Replaces the text between two positions (in either order) with text and returns the
    // position after it. Throws EOutOfResources when the result would not fit; nothing changes.
    // kind tells which runs it continues for undo (Append is taken as Other).
    TextPosition replace(TextPosition from, TextPosition to, std::string_view text,
                         EditKind kind = EditKind::Other);
    // The text between two positions (in either order), line breaks as CR LF.
    std::string text(TextPosition from, TextPosition to) const;
    std::string text() const { return text({}, end()); }
    // Removes all text; undoable like any change that fits the budget.
    void clear();

    // Appends made between these calls form one undo step (they nest; only the outermost
    // counts). Seal the running step at both ends.
    void beginAppendGroup();
    void endAppendGroup();
    // The next change starts a step of its own (the caret moved, say).
    void sealUndoStep();
    bool canUndo() const { return m_history.canUndo(); }
    bool canRedo() const { return m_history.canRedo(); }
    // Takes back the newest step; returns where the caret goes (after the text brought back), or
    // nothing when there is no step.
    std::optional<TextPosition> undo();
    // Does the last undone step again; returns the caret (after its text), or nothing.
    std::optional<TextPosition> redo();
    void clearUndoHistory();
    void setUndoBudget(std::size_t bytes) { m_history.setBudget(bytes); }
    // Bytes of text held for undo and redo (appended runs counted whole, see kUndoBudget).
    std::size_t undoBytes() const { return m_history.heldBytes(); }

    // Writes each line as its bytes followed by CR LF (an existing file is replaced); an empty
    // text gives an empty file. Throws EInOutError.
    void save(const std::filesystem::path& path) const;

private:
    // The change itself, recorded nowhere.
    TextPosition put(TextPosition from, TextPosition to, std::string_view text, bool checked);
    // Characters between two ordered positions, each line break counting two.
    std::size_t costBetween(TextPosition from, TextPosition to) const;
    void record(TextPosition from, TextPosition to, std::string removed, std::string_view text,
                TextPosition after, EditKind kind);
    void recordAppend(TextPosition start, std::size_t sizeBefore);

    std::vector<std::string> m_rows;
    std::size_t m_characters = 0; // characters of all rows, line breaks not counted
    std::size_t m_capacity;
    UndoHistory m_history;
    int m_appendGroups = 0;
    // A run of appends grew past the undo budget: the rest of it is not recorded either.
    bool m_appendsUnrecorded = false;
};

// Writes a script file: creates path (an existing file is emptied), then writes each line that
// nextLine yields (it returns false when there are no more) as its bytes followed by CR LF, and
// closes the file. A line may be of any length. Throws EInOutError; the first error stops the
// writing, what reached the file stays, and the file is released.
void writeScriptFile(const std::filesystem::path& path,
                     const std::function<bool(std::string& line)>& nextLine);

} // namespace vorendal
