// Moving the cursor with clamping and scrolling, and the whole-text operations that reset it.
#include <gtest/gtest.h>

#include "editor/tests/model_fixture.h"

using modeltest::Fill;
using modeltest::LinesOf;

namespace {

std::vector<std::string> TenLines() {
    std::vector<std::string> lines;
    for (int i = 0; i < 10; ++i) lines.push_back("line " + std::to_string(i) + std::string(static_cast<size_t>(i), '.'));
    lines[3] = std::string(20, 'x');  // the longest line: 20 bytes
    return lines;
}

}  // namespace

TEST(ModelCursor, ClampedToTheTextAndTheView) {
    TThailist list;
    Fill(list, TenLines(), 5, 8);
    ASSERT_EQ(list.MaxLineLen, 20);

    list.SetCursor(-3, -7);
    EXPECT_EQ(list.CursorLine, 0);
    EXPECT_EQ(list.CursorCol, 0);

    // At most one view below the last line and one view right of the longest line.
    list.SetCursor(100, 100);
    EXPECT_EQ(list.CursorLine, 10 + 5 - 1);
    EXPECT_EQ(list.CursorCol, 20 + 8 - 1);
    EXPECT_EQ(list.TopLine, 14 - 5 + 1);
    EXPECT_EQ(list.LeftCol, 27 - 8 + 1);

    // Right of a short line and below the last line are fine places for the cursor.
    list.SetCursor(11, 15);
    EXPECT_EQ(list.CursorLine, 11);
    EXPECT_EQ(list.CursorCol, 15);
}

TEST(ModelCursor, ScrollsJustEnoughToShowTheCursor) {
    TThailist list;
    Fill(list, TenLines(), 5, 8);
    list.SetCursor(3, 2);
    EXPECT_EQ(list.TopLine, 0);
    EXPECT_EQ(list.LeftCol, 0);

    list.SetCursor(4, 7);  // last whole row and cell of the view: no scrolling
    EXPECT_EQ(list.TopLine, 0);
    EXPECT_EQ(list.LeftCol, 0);

    list.SetCursor(5, 8);  // one beyond: the view moves by one
    EXPECT_EQ(list.TopLine, 1);
    EXPECT_EQ(list.LeftCol, 1);

    list.SetCursor(9, 19);
    EXPECT_EQ(list.TopLine, 5);
    EXPECT_EQ(list.LeftCol, 12);

    list.SetCursor(7, 14);  // inside the view: it stays
    EXPECT_EQ(list.TopLine, 5);
    EXPECT_EQ(list.LeftCol, 12);

    list.SetCursor(2, 3);  // above and left: the cursor's row and cell become the first
    EXPECT_EQ(list.TopLine, 2);
    EXPECT_EQ(list.LeftCol, 3);
    EXPECT_EQ(list.CursorLine, 2);
    EXPECT_EQ(list.CursorCol, 3);
}

TEST(ModelCursor, EmptyTextWithoutAView) {
    TThailist list;
    list.SetCursor(5, 5);
    EXPECT_EQ(list.CursorLine, 0);
    EXPECT_EQ(list.CursorCol, 0);
    EXPECT_EQ(list.TopLine, 0);
    EXPECT_EQ(list.LeftCol, 0);
    // With a view, an empty text still lets the cursor down into the view.
    list.RowCount = 4;
    list.ColCount = 6;
    list.SetCursor(9, 9);
    EXPECT_EQ(list.CursorLine, 3);
    EXPECT_EQ(list.CursorCol, 5);
    EXPECT_EQ(list.TopLine, 0);
    EXPECT_EQ(list.LeftCol, 0);
}

TEST(ModelWholeText, ClearResetsEverythingAndMarksOnlyARealChange) {
    TThailist list;
    Fill(list, TenLines(), 5, 8);
    list.SetCursor(9, 25);
    list.StartSelection();
    list.SetCursor(7, 2);
    list.ExtendSelection();
    list.Drag().Dragging = true;

    list.Clear();
    EXPECT_EQ(list.LineCount(), 0);
    EXPECT_TRUE(list.Modified);
    EXPECT_FALSE(list.Selecting);
    EXPECT_FALSE(list.Drag().Dragging);
    EXPECT_EQ(list.MaxLineLen, 0);
    for (int v : {list.CursorLine, list.CursorCol, list.TopLine, list.LeftCol, list.AnchorLine, list.AnchorCol,
                  list.ExtentLine, list.ExtentCol, list.AnchorPos, list.ExtentPos})
        EXPECT_EQ(v, 0);

    // Clearing an empty text is no change.
    list.Modified = false;
    list.Clear();
    EXPECT_FALSE(list.Modified);
    list.Modified = true;
    list.Clear();
    EXPECT_TRUE(list.Modified);
}

TEST(ModelWholeText, ResetViewMovesOnlyTheCursor) {
    TThailist list;
    Fill(list, TenLines(), 5, 8);
    list.SetCursor(9, 15);
    const int top = list.TopLine, left = list.LeftCol;
    ASSERT_GT(top, 0);
    ASSERT_GT(left, 0);
    list.ResetView();
    EXPECT_EQ(list.CursorLine, 0);
    EXPECT_EQ(list.CursorCol, 0);
    EXPECT_EQ(list.TopLine, top);
    EXPECT_EQ(list.LeftCol, left);
    EXPECT_EQ(LinesOf(list), TenLines());
    EXPECT_FALSE(list.Modified);
}

TEST(ModelWholeText, NewControlIsEmptyAndUnchanged) {
    TThaimemo memo;
    EXPECT_EQ(memo.LineCount(), 0);
    EXPECT_FALSE(memo.Modified);
    EXPECT_FALSE(memo.Selecting);
    EXPECT_TRUE(memo.HardReturn);
    EXPECT_EQ(memo.HighLightColor, platform::clYellow);
    EXPECT_EQ(memo.PendingLetter, 0);
    EXPECT_EQ(memo.JoinedText(), "");
    EXPECT_EQ(memo.Canvas(), nullptr);
    EXPECT_EQ(memo.tcm, nullptr);
}
