// Return, Backspace, Delete and the Ctrl line commands through the control's keyboard sink, with
// the cells they repaint compared against a repaint of the whole window.
#include <string>
#include <vector>

#include "editor/tests/keys_mouse_fixture.h"

namespace {

using keystest::MemoView;
using keystest::Text;
using Lines = std::vector<std::string>;

// A consonant with an upper vowel and a tone mark (one cell of three bytes).
const std::string kCell = "\xA1\xD5\xE8";

TEST(KeysReturn, HardReturnSplitsTheLineAndDropsTheHeadsTrailingSpaces) {
    MemoView v;
    v.SetText({"abc   def", "next"});
    v.Cursor(0, 6);  // on d
    v.Key(Qt::Key_Return);
    EXPECT_EQ(Text(*v), (Lines{"abc", "def", "next"}));
    EXPECT_EQ(v->CursorLine, 1);
    EXPECT_EQ(v->CursorCol, 0);
    EXPECT_TRUE(v->Modified);
    EXPECT_SAME_AS_FULL_REPAINT(v);
}

TEST(KeysReturn, TheTailKeepsItsSpacesAndACursorInsideACellSplitsAtTheCell) {
    MemoView v;
    v.SetText({"ab" + kCell + "  x  "});
    v.Cursor(0, 2);
    v.Key(Qt::Key_Return);
    EXPECT_EQ(Text(*v), (Lines{"ab", kCell + "  x  "}));
}

TEST(KeysReturn, RightOfTheLineEndInsertsAnEmptyLineAndKeepsTrailingSpaces) {
    MemoView v;
    v.SetText({"ab  ", "cd"});
    v.Cursor(0, 7);
    v.Key(Qt::Key_Return);
    EXPECT_EQ(Text(*v), (Lines{"ab  ", "", "cd"}));
    EXPECT_EQ(v->CursorLine, 1);
    EXPECT_EQ(v->CursorCol, 0);
    EXPECT_SAME_AS_FULL_REPAINT(v);
}

TEST(KeysReturn, WithoutHardReturnOnlyMovesToTheNextLine) {
    MemoView v;
    v.SetText({"abc def", "x"});
    v->HardReturn = false;
    v.Cursor(0, 4);
    v.Key(Qt::Key_Return);
    EXPECT_EQ(Text(*v), (Lines{"abc def", "x"}));
    EXPECT_FALSE(v->Modified);
    EXPECT_EQ(v->CursorLine, 1);
    EXPECT_EQ(v->CursorCol, 0);
    v.Cursor(3, 5);  // below the last line as well
    v.Key(Qt::Key_Return);
    EXPECT_EQ(v->CursorLine, 4);
    EXPECT_EQ(v->CursorCol, 0);
    // Ctrl+Return splits whatever the mode.
    v.Cursor(0, 3);
    v.Key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(Text(*v), (Lines{"abc", " def", "x"}));
}

TEST(KeysReturn, NothingBelowTheLastLineOrOnAnEmptyText) {
    MemoView v;
    v.Key(Qt::Key_Return);
    EXPECT_EQ(v->LineCount(), 0);
    EXPECT_FALSE(v->Modified);
    v.SetText({"a"});
    v.Cursor(2, 0);
    v.Key(Qt::Key_Return);
    EXPECT_EQ(Text(*v), Lines{"a"});
    EXPECT_EQ(v->CursorLine, 2);
}

TEST(KeysBackspace, AtColumnZeroJoinsTheLineToThePreviousOne) {
    MemoView v;
    v.SetText({"one", "tw" + kCell, "three ", "four"});
    v.Cursor(2, 0);
    v.Key(Qt::Key_Backspace);
    EXPECT_EQ(Text(*v), (Lines{"one", "tw" + kCell + "three ", "four"}));
    EXPECT_EQ(v->CursorLine, 1);
    EXPECT_EQ(v->CursorCol, 3);  // where line 1 ended, in cells
    EXPECT_SAME_AS_FULL_REPAINT(v);
    // At column 0 of line 0, and at column 0 below the last line, nothing happens.
    v->Modified = false;
    v.Cursor(0, 0);
    v.Key(Qt::Key_Backspace);
    v.Cursor(5, 0);
    v.Key(Qt::Key_Backspace);
    EXPECT_EQ(v->LineCount(), 3);
    EXPECT_FALSE(v->Modified);
}

TEST(KeysBackspace, RemovesTheWholeCellLeftOfTheCursor) {
    MemoView v;
    v.SetText({"a" + kCell + "b"});
    v.Cursor(0, 2);
    v.Key(Qt::Key_Backspace);
    EXPECT_EQ(Text(*v), Lines{"ab"});
    EXPECT_EQ(v->CursorCol, 1);
    EXPECT_SAME_AS_FULL_REPAINT(v);
    v.Key(Qt::Key_Backspace);
    EXPECT_EQ(Text(*v), Lines{"b"});
    EXPECT_EQ(v->CursorCol, 0);
}

TEST(KeysBackspace, RightOfTheLineEndOnlyMovesTheCursor) {
    MemoView v;
    v.SetText({"ab"});
    v.Cursor(0, 5);
    v.Key(Qt::Key_Backspace);
    EXPECT_EQ(v->CursorCol, 4);
    EXPECT_EQ(Text(*v), Lines{"ab"});
    EXPECT_FALSE(v->Modified);
    v.Cursor(0, 3);  // just right of the last cell: nothing to remove, the line is written back
    v.Key(Qt::Key_Backspace);
    EXPECT_EQ(v->CursorCol, 2);
    EXPECT_EQ(Text(*v), Lines{"ab"});
    EXPECT_TRUE(v->Modified);
    v.Cursor(4, 3);  // below the last line
    v.Key(Qt::Key_Backspace);
    EXPECT_EQ(v->CursorLine, 4);
    EXPECT_EQ(v->CursorCol, 2);
    EXPECT_EQ(v->LineCount(), 1);
}

TEST(KeysBackspace, AtTheViewsLeftEdgeScrollsOneColumnLeft) {
    MemoView v;
    const std::string longLine(300, 'x');
    v.SetText({longLine});
    v.Cursor(0, 250);
    const int left = v->LeftCol;
    ASSERT_GT(left, 0);
    v.Cursor(0, left);
    v.Key(Qt::Key_Backspace);
    EXPECT_EQ(v->LeftCol, left - 1);
    EXPECT_EQ(v->CursorCol, left - 1);
    EXPECT_EQ(v->Lines[0].size(), 299u);
    EXPECT_SAME_AS_FULL_REPAINT(v);
}

TEST(KeysDelete, TakesACellApartOneByteAtATimeFromItsEnd) {
    MemoView v;
    v.SetText({kCell + "x"});
    v.Key(Qt::Key_Delete);
    EXPECT_EQ(Text(*v), Lines{"\xA1\xD5x"});  // the tone mark first
    EXPECT_SAME_AS_FULL_REPAINT(v);
    v.Key(Qt::Key_Delete);
    EXPECT_EQ(Text(*v), Lines{"\xA1x"});  // then the vowel
    v.Key(Qt::Key_Delete);
    EXPECT_EQ(Text(*v), Lines{"x"});  // the consonant last; the line closes up
    EXPECT_SAME_AS_FULL_REPAINT(v);
    EXPECT_EQ(v->CursorCol, 0);
}

TEST(KeysDelete, DoesNotJoinTheNextLine) {
    MemoView v;
    v.SetText({"ab", "cd"});
    v.Cursor(0, 2);
    v.Key(Qt::Key_Delete);
    v.Cursor(0, 6);
    v.Key(Qt::Key_Delete);
    v.Cursor(4, 0);
    v.Key(Qt::Key_Delete);
    EXPECT_EQ(Text(*v), (Lines{"ab", "cd"}));
    EXPECT_FALSE(v->Modified);
}

TEST(KeysDelete, RemovesTheSelectionAndNothingElse) {
    MemoView v;
    v.SetText({"abcdef", "ghij"});
    v.Cursor(0, 2);
    v.Key(Qt::Key_Down, Qt::ShiftModifier);
    v.Key(Qt::Key_Right, Qt::ShiftModifier);  // (0,2)..(1,3)
    v.Key(Qt::Key_Delete);
    EXPECT_EQ(Text(*v), Lines{"abj"});
    EXPECT_EQ(v->CursorLine, 0);
    EXPECT_EQ(v->CursorCol, 2);
    EXPECT_FALSE(v->Selecting);
    EXPECT_SAME_AS_FULL_REPAINT(v);
}

TEST(KeysDelete, DeletingEveryLineLeavesNoTextOnTheScreen) {
    MemoView v;
    v.SetText({"abcdef", "ghij"});
    v->SelectAll();
    v.Key(Qt::Key_Delete);
    EXPECT_EQ(v->LineCount(), 0);
    for (int col = 0; col < 6; ++col) {
        if (col > 0) {
            EXPECT_FALSE(v.CellInked(0, col)) << col;  // cell 0 holds the caret
        }
        EXPECT_FALSE(v.CellHighlighted(0, col)) << col;
        EXPECT_FALSE(v.CellInked(1, col)) << col;
    }
    EXPECT_TRUE(v.CellInked(0, 0));  // the caret is drawn again
}

TEST(KeysDelete, AnEmptySelectionDoesNotStopDelete) {
    MemoView v;
    v.SetText({"abc"});
    v.Key(Qt::Key_Left, Qt::ShiftModifier);  // starts a selection that covers nothing
    ASSERT_TRUE(v->Selecting);
    v.Key(Qt::Key_Delete);
    EXPECT_EQ(Text(*v), Lines{"bc"});
}

TEST(KeysLines, CtrlDeleteOnTheLastLineLeavesTheCursorAfterTheNewLastLine) {
    MemoView v;
    v.SetText({"one", "two", "three"});
    v.Cursor(2, 3);
    v.Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(Text(*v), (Lines{"one", "two"}));
    EXPECT_EQ(v->CursorLine, 2);
    EXPECT_EQ(v->CursorCol, 3);
    EXPECT_FALSE(v.CellInked(2, 0));  // the deleted line is gone from the screen
    EXPECT_SAME_AS_FULL_REPAINT(v);
    // Below the last line a line command does nothing.
    v.Key(Qt::Key_Y, Qt::ControlModifier);
    v.Key(Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(Text(*v), (Lines{"one", "two"}));
}

TEST(KeysLines, CtrlYDeletesAndCtrlNInsertsAtTheCursorLine) {
    MemoView v;
    v.SetText({"one", "two", "three"});
    v.Cursor(1, 2);
    v.Key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(Text(*v), (Lines{"one", "three"}));
    EXPECT_EQ(v->CursorLine, 1);
    EXPECT_EQ(v->CursorCol, 2);
    EXPECT_SAME_AS_FULL_REPAINT(v);
    v.Key(Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(Text(*v), (Lines{"one", "", "three"}));
    EXPECT_EQ(v->CursorLine, 1);
    EXPECT_SAME_AS_FULL_REPAINT(v);
}

TEST(KeysLines, DeletingTheOnlyLineBlanksItOnScreen) {
    MemoView v;
    v.SetText({"only"});
    v.Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(v->LineCount(), 0);
    for (int col = 1; col < 4; ++col) EXPECT_FALSE(v.CellInked(0, col)) << col;
}

TEST(KeysLines, CtrlBackspaceOnlyRemovesTheSelection) {
    MemoView v;
    v.SetText({"abcdef"});
    v.Key(Qt::Key_Right, Qt::ShiftModifier);
    v.Key(Qt::Key_Right, Qt::ShiftModifier);
    ASSERT_TRUE(v.CellHighlighted(0, 1));
    v.Key(Qt::Key_Backspace, Qt::ControlModifier);
    EXPECT_EQ(Text(*v), Lines{"abcdef"});
    EXPECT_FALSE(v->Selecting);
    EXPECT_EQ(v->CursorCol, 2);
    EXPECT_FALSE(v.CellHighlighted(0, 0));
    EXPECT_FALSE(v.CellHighlighted(0, 1));
}

}  // namespace
