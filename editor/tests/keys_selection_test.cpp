// Selecting with Shift and the movement keys, and how the selection is drawn while it changes.
#include <string>
#include <vector>

#include "editor/tests/keys_mouse_fixture.h"

namespace {

using keystest::MemoView;

TEST(KeysShiftSelection, ShiftDownSelectsFromTheOldCursorToTheNew) {
    MemoView v;
    v.SetText({"zero", "one", "two 456789", "three 6789"});
    v.Cursor(2, 5);
    v.Key(Qt::Key_Down, Qt::ShiftModifier);
    ASSERT_TRUE(v->Selecting);
    EXPECT_EQ(v->AnchorLine, 2);
    EXPECT_EQ(v->AnchorCol, 5);
    EXPECT_EQ(v->ExtentLine, 3);
    EXPECT_EQ(v->ExtentCol, 5);
    EXPECT_EQ(v->SelectedText(), "56789\r\nthree");
    // Highlighted: line 2 from cell 5 on, line 3 up to cell 4.
    EXPECT_FALSE(v.CellHighlighted(2, 4));
    EXPECT_TRUE(v.CellHighlighted(2, 5));
    EXPECT_TRUE(v.CellHighlighted(2, 30));  // right of the line's end too
    EXPECT_TRUE(v.CellHighlighted(3, 4));
    EXPECT_FALSE(v.CellHighlighted(3, 5));
    EXPECT_SAME_AS_FULL_REPAINT(v);
    // A movement without Shift removes the selection, also from the screen.
    v.Key(Qt::Key_Left);
    EXPECT_FALSE(v->Selecting);
    EXPECT_EQ(v->SelectedText(), "");
    EXPECT_EQ(v->CursorCol, 4);
    EXPECT_FALSE(v.CellHighlighted(2, 5));
    EXPECT_FALSE(v.CellHighlighted(3, 0));
}

TEST(KeysShiftSelection, AnAnchorRightOfAShortLineStartsAtItsEnd) {
    MemoView v;
    v.SetText({"zero", "one", "two", "three 6789"});
    v.Cursor(2, 5);
    v.Key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(v->AnchorLine, 2);
    EXPECT_EQ(v->AnchorCol, 3);
    EXPECT_EQ(v->SelectedText(), "\r\nthree");
}

TEST(KeysShiftSelection, FurtherShiftedMovesGrowAndShrinkItAcrossTheAnchor) {
    MemoView v;
    // Letters without descenders: hiding the caret paints over a descender that reaches the
    // caret line, which only a repaint of the cell brings back.
    v.SetText({"abcdefhikl", "mnorstuvwx", "zABCDE"});
    v.Cursor(1, 4);
    v.Keys(Qt::Key_Right, 3, Qt::ShiftModifier);
    EXPECT_EQ(v->SelectedText(), "stu");
    EXPECT_SAME_AS_FULL_REPAINT(v);
    v.Key(Qt::Key_Up, Qt::ShiftModifier);  // extent to (0, 7): crosses the anchor leftwards
    EXPECT_EQ(v->SelectedText(), "ikl\r\nmnor");
    EXPECT_FALSE(v.CellHighlighted(1, 5));
    EXPECT_SAME_AS_FULL_REPAINT(v);
    v.Key(Qt::Key_Down, Qt::ShiftModifier);
    v.Key(Qt::Key_Down, Qt::ShiftModifier);  // (2, 6): crosses back rightwards
    EXPECT_EQ(v->SelectedText(), "stuvwx\r\nzABCDE");
    EXPECT_SAME_AS_FULL_REPAINT(v);
    v.Key(Qt::Key_Home, Qt::ShiftModifier);  // back towards the anchor
    EXPECT_EQ(v->SelectedText(), "stuvwx\r\n");
    EXPECT_FALSE(v.CellHighlighted(2, 0));
    EXPECT_SAME_AS_FULL_REPAINT(v);
    v.Key(Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(v->SelectedText(), "stuvwx\r\nzABCDE\r\n");
    EXPECT_SAME_AS_FULL_REPAINT(v);
}

TEST(KeysShiftSelection, ShiftWordMovementSelectsWholeWords) {
    MemoView v;
    v.SetText({"abc def ghi"});
    v.Key(Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier);
    v.Key(Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(v->SelectedText(), "abc def ");
    EXPECT_SAME_AS_FULL_REPAINT(v);
}

TEST(KeysShiftSelection, BackspaceLeavesTheSelectionAloneButTheEditEndsIt) {
    MemoView v;
    v.SetText({"abcdef"});
    v.Cursor(0, 4);
    v.Keys(Qt::Key_Left, 2, Qt::ShiftModifier);
    ASSERT_EQ(v->SelectedText(), "cd");
    v.Key(Qt::Key_Backspace);
    EXPECT_EQ(v->Lines[0], "acdef");  // the cell left of the cursor, not the selection
    EXPECT_FALSE(v->Selecting);
    EXPECT_EQ(v->SelectedText(), "");
    EXPECT_SAME_AS_FULL_REPAINT(v);
    // A selection over several lines leaves the screen too, on every row it covered.
    v.SetText({"abcdef", "ghijkl", "mnopqr"});
    v.Cursor(0, 3);
    v.Keys(Qt::Key_Down, 2, Qt::ShiftModifier);
    ASSERT_EQ(v->SelectedText(), "def\r\nghijkl\r\nmno");
    v.Key(Qt::Key_Backspace);
    EXPECT_EQ(v->Lines[2], "mnpqr");
    EXPECT_FALSE(v.CellHighlighted(0, 4));
    EXPECT_FALSE(v.CellHighlighted(1, 20));
    EXPECT_SAME_AS_FULL_REPAINT(v);
}

}  // namespace
