// Undo and redo on the script pane's text model: runs of typing and deleting, pastes, clearing,
// appended runs as one step, and the bound on what the history holds.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "scripts/scripttext.h"

namespace vorendal {
namespace {

// One action on the text; the script language of the cases below:
//   "t:abc"  types abc at the end, one key at a time     "b"  Backspace at the end
//   "p:x|y"  pastes x, break, y at the end               "c"  clears ("Limpar")
//   "a:line" appends line outside a group                "s"  seals (the caret moved)
//   "g:l1|l2" appends l1 and l2 in one append group      "u"  undo   "r"  redo
void act(ScriptText& text, const std::string& action) {
    const std::string arg = action.size() > 2 ? action.substr(2) : std::string();
    auto unbar = [](std::string s) {
        for (char& ch : s)
            ch = ch == '|' ? '\n' : ch;
        return s;
    };
    switch (action[0]) {
    case 't':
        for (const char ch : arg)
            text.replace(text.end(), text.end(), std::string(1, ch), EditKind::Typing);
        break;
    case 'b': {
        TextPosition from = text.end();
        from = from.column > 0 ? TextPosition{from.row, from.column - 1}
                               : TextPosition{from.row - 1, text.row(from.row - 1).size()};
        text.replace(from, text.end(), {}, EditKind::Deleting);
        break;
    }
    case 'p':
        text.sealUndoStep();
        text.replace(text.end(), text.end(), unbar(arg));
        text.sealUndoStep();
        break;
    case 'c':
        text.clear();
        break;
    case 'a':
        text.appendLine(arg);
        break;
    case 'g': {
        text.beginAppendGroup();
        std::size_t start = 0;
        for (std::size_t bar = arg.find('|');; bar = arg.find('|', start)) {
            text.appendLine(arg.substr(start, bar - start));
            if (bar == std::string::npos)
                break;
            start = bar + 1;
        }
        text.endAppendGroup();
        break;
    }
    case 's':
        text.sealUndoStep();
        break;
    case 'u':
        text.undo();
        break;
    case 'r':
        text.redo();
        break;
    }
}

std::string shown(const ScriptText& text) {
    std::string rows;
    for (std::size_t i = 0; i < text.rowCount(); ++i)
        rows += (i > 0 ? "|" : "") + text.row(i);
    return rows;
}

struct UndoCase {
    const char* name;
    std::vector<std::string> actions;
    std::string expected; // rows joined by "|"
};

class UndoTest : public ::testing::TestWithParam<UndoCase> {};

TEST_P(UndoTest, Sequence) {
    ScriptText text;
    for (const auto& action : GetParam().actions)
        act(text, action);
    EXPECT_EQ(shown(text), GetParam().expected);
    EXPECT_EQ(text.size(), paneTextCost(text.text()));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UndoTest,
    ::testing::Values(UndoCase{"typingRunIsOneStep", {"t:abc", "u"}, ""},
                      UndoCase{"caretMoveEndsTypingRun", {"t:ab", "s", "t:cd", "u"}, "ab"},
                      UndoCase{"redoTyping", {"t:abc", "u", "r"}, "abc"},
                      UndoCase{
                          "backspaceRunIsOneStep", {"t:abcd", "s", "b", "b", "b", "u"}, "abcd"},
                      UndoCase{"backspaceAcrossBreak", {"p:ab|c", "b", "b", "u"}, "ab|c"},
                      UndoCase{"pasteIsOneStep", {"t:x", "p:1|2", "u"}, "x"},
                      UndoCase{"pasteRedone", {"t:x", "p:1|2", "u", "r"}, "x1|2"},
                      UndoCase{"clearTakenBack", {"a:one", "a:two", "c", "u"}, "one|two|"},
                      UndoCase{"clearRedone", {"a:one", "c", "u", "r"}, ""},
                      UndoCase{"clearOfEmptyPaneIsNoStep", {"t:x", "s", "b", "c", "u"}, "x"},
                      UndoCase{"groupIsOneStep", {"g:CREATE|COL|);", "u"}, ""},
                      UndoCase{"groupAfterUserLineKeepsIt", {"t:x", "g:l1|l2", "u"}, "x"},
                      UndoCase{"groupRedone", {"t:x", "g:l1|l2", "u", "r"}, "x|l1|l2"},
                      UndoCase{"twoGroupsTwoSteps", {"g:a|b", "g:c", "u"}, "a|b|"},
                      UndoCase{"ungroupedAppendsMerge", {"a:a", "a:b", "u"}, ""},
                      UndoCase{"typingAfterGroupSeparate", {"g:a", "t:zz", "u", "u"}, ""},
                      UndoCase{"newEditDropsRedo", {"t:ab", "u", "t:c", "r"}, "c"},
                      UndoCase{"undoPastStartDoesNothing", {"t:a", "u", "u", "r"}, "a"},
                      UndoCase{"multiLineAppendInGroup", {"g:a|b", "a:c\r\nd", "u"}, "a|b|"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(UndoBound, GroupLargerThanBudgetClearsHistory) {
    ScriptText text;
    text.setUndoBudget(64);
    act(text, "t:keep");
    act(text, "s");
    text.beginAppendGroup();
    for (int i = 0; i < 10; ++i)
        text.appendLine("0123456789"); // 120 bytes with the breaks
    text.endAppendGroup();
    EXPECT_FALSE(text.canUndo());
    EXPECT_EQ(text.undoBytes(), 0u);
    EXPECT_EQ(text.lineCount(), 11u); // the text itself is whole
    // the next run fits and is recorded again
    act(text, "g:x");
    ASSERT_TRUE(text.canUndo());
    text.undo();
    EXPECT_EQ(text.lineCount(), 11u);
}

TEST(UndoBound, ClearLargerThanBudgetCannotBeUndone) {
    ScriptText text;
    text.setUndoBudget(16);
    act(text, "g:0123456789|0123456789");
    text.clear();
    EXPECT_TRUE(text.isEmpty());
    EXPECT_FALSE(text.canUndo());
}

TEST(UndoBound, HistoryStaysWithinBudgetDroppingOldestSteps) {
    ScriptText text;
    text.setUndoBudget(100);
    for (int i = 0; i < 30; ++i) {
        act(text, "g:0123456789");
        EXPECT_LE(text.undoBytes(), 100u);
    }
    int undone = 0;
    while (text.undo())
        ++undone;
    EXPECT_EQ(undone, 8); // 12 bytes a run: 8 fit in 100
    EXPECT_EQ(text.lineCount(), 22u);
    while (text.redo())
        EXPECT_LE(text.undoBytes(), 100u);
    EXPECT_EQ(text.lineCount(), 30u);
}

} // namespace
} // namespace vorendal
