// Cursor movement, word movement, paging and scrolling through the control's keyboard sink.
#include <string>
#include <vector>

#include "editor/tests/keys_mouse_fixture.h"
#include "platform/cancel.h"

namespace {

using keystest::ListView;
using keystest::MemoView;

std::vector<std::string> Numbered(int n) {
    std::vector<std::string> lines;
    for (int i = 0; i < n; ++i) lines.push_back("line " + std::to_string(i));
    return lines;
}

TEST(KeysWordMovement, NextWordSkipsTheWordThenEverySeparator) {
    MemoView v;
    v.SetText({"ab  cd"});
    v.Key(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(v->CursorLine, 0);
    EXPECT_EQ(v->CursorCol, 4);  // on c
    // cd ends the text: the cursor goes to the start of the line after the last.
    v.Key(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(v->CursorLine, 1);
    EXPECT_EQ(v->CursorCol, 0);
    // Nothing further: the cursor is below the last line.
    v.Key(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(v->CursorLine, 1);
    EXPECT_EQ(v->CursorCol, 0);
}

TEST(KeysWordMovement, NextWordCrossesTheLineEndAndSeparatorsAtTheNextLineStart) {
    MemoView v;
    v.SetText({"ab  cd", " ,xy z"});
    v.Cursor(0, 4);
    v.Key(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(v->CursorLine, 1);
    EXPECT_EQ(v->CursorCol, 2);  // CR LF, space and comma are all passed
    // From right of a line's end the cursor's byte is the line's CR.
    v.Cursor(0, 20);
    v.Key(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(v->CursorLine, 1);
    EXPECT_EQ(v->CursorCol, 2);
}

TEST(KeysWordMovement, NextWordLandsOnTheCellNotTheByteColumn) {
    MemoView v;
    // ki (consonant with an upper vowel) n, a space, then kh with a tone mark: the second word's
    // first byte is byte 4 of the line but cell 3.
    v.SetText({"\xA1\xD4\xB9 \xA2\xE9\xD2\xC7"});
    v.Key(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(v->CursorCol, 3);
    v.Key(Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(v->CursorCol, 0);
}

TEST(KeysWordMovement, PreviousWordGoesToTheWordStartThenTheOneBefore) {
    MemoView v;
    v.SetText({"abc def"});
    v.Cursor(0, 5);  // on f
    v.Key(Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(v->CursorCol, 4);  // on d
    v.Key(Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(v->CursorCol, 0);  // on a
    v.Key(Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(v->CursorLine, 0);
    EXPECT_EQ(v->CursorCol, 0);
}

TEST(KeysWordMovement, PreviousWordFromBelowTheTextAndAcrossLines) {
    MemoView v;
    v.SetText({"abc def", "gh ij"});
    v.Cursor(5, 3);
    v.Key(Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(v->CursorLine, 1);
    EXPECT_EQ(v->CursorCol, 3);  // first byte of the last word, ij
    v.Cursor(1, 0);
    v.Key(Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(v->CursorLine, 0);
    EXPECT_EQ(v->CursorCol, 4);
}

TEST(KeysWordMovement, NothingOnAnEmptyText) {
    MemoView v;
    v.Key(Qt::Key_Left, Qt::ControlModifier);
    v.Key(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(v->CursorLine, 0);
    EXPECT_EQ(v->CursorCol, 0);
    EXPECT_EQ(v->LineCount(), 0);
}

TEST(KeysArrows, MoveFreelyPastTheLineEndAndKeepTheColumnAcrossShortLines) {
    MemoView v;
    v.SetText({"abcdefgh", "ab", "abcdefgh"});
    v.Cursor(0, 6);
    v.Key(Qt::Key_Down);
    EXPECT_EQ(v->CursorLine, 1);
    EXPECT_EQ(v->CursorCol, 6);  // right of "ab", same cell number
    v.Key(Qt::Key_Down);
    EXPECT_EQ(v->CursorCol, 6);
    v.Keys(Qt::Key_Down, 3);
    EXPECT_EQ(v->CursorLine, 5);  // below the last line
    v.Key(Qt::Key_Up);
    EXPECT_EQ(v->CursorLine, 4);
    v.Key(Qt::Key_Home);
    EXPECT_EQ(v->CursorCol, 0);
    v.Key(Qt::Key_Left);
    EXPECT_EQ(v->CursorCol, 0);
    v.Key(Qt::Key_Right);
    EXPECT_EQ(v->CursorCol, 1);
}

TEST(KeysArrows, EndGoesPastTheLastCellAndCtrlHomeEndToTheTextEnds) {
    MemoView v;
    // Three cells, five bytes: End counts cells.
    v.SetText({"x", "\xA1\xD5\xE8\xA2y"});
    v.Cursor(1, 0);
    v.Key(Qt::Key_End);
    EXPECT_EQ(v->CursorCol, 3);
    v.Cursor(4, 3);
    v.Key(Qt::Key_End);
    EXPECT_EQ(v->CursorCol, 0);  // below the last line End goes to column 0
    v.Key(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(v->CursorLine, 0);
    EXPECT_EQ(v->CursorCol, 0);
    v.Key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(v->CursorLine, 2);
    EXPECT_EQ(v->CursorCol, 0);
}

TEST(KeysArrows, AltHeldDoesNothingButAScrolledAwayCursorComesBack) {
    MemoView v;
    v.SetText(Numbered(200));
    v.Cursor(2, 3);
    // The user scrolls the view far down with the scroll bar.
    v.ScrollTo(Qt::Vertical, 100 * v->RowHeight);
    EXPECT_EQ(v->TopLine, 100);
    v.Key(Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(v->CursorCol, 3);  // Alt: no action
    EXPECT_EQ(v->TopLine, 2);    // but the cursor was brought back into view
}

TEST(KeysPaging, PageUpAndDownMoveTheViewAndTheCursorByAPage) {
    MemoView v;
    v.SetText(Numbered(200));
    const int rows = v->RowCount;
    ASSERT_GT(rows, 3);
    v.Key(Qt::Key_PageUp);  // at the top: nothing
    EXPECT_EQ(v->TopLine, 0);
    EXPECT_EQ(v->CursorLine, 0);
    v.Cursor(2, 4);
    v.Key(Qt::Key_PageDown);
    EXPECT_EQ(v->TopLine, rows);
    EXPECT_EQ(v->CursorLine, 2 + rows);
    EXPECT_EQ(v->CursorCol, 4);
    v.Key(Qt::Key_PageDown);
    EXPECT_EQ(v->TopLine, 2 * rows);
    EXPECT_EQ(v->CursorLine, 2 + 2 * rows);
    v.Key(Qt::Key_PageUp);
    EXPECT_EQ(v->TopLine, rows);
    EXPECT_EQ(v->CursorLine, 2 + rows);
}

TEST(KeysPaging, PageUpFromTopLineThreeShowsLineZeroAndMovesTheCursorAFullPage) {
    MemoView v;
    v.SetText(Numbered(200));
    const int rows = v->RowCount;
    v.Keys(Qt::Key_Down, 3, Qt::ControlModifier);  // scrolls the text three lines
    EXPECT_EQ(v->TopLine, 3);
    EXPECT_EQ(v->CursorLine, 3);
    v.Cursor(3 + rows - 1, 0);  // bottom row
    v.Key(Qt::Key_PageUp);
    EXPECT_EQ(v->TopLine, 0);
    EXPECT_EQ(v->CursorLine, 2);  // rows up from line 3 + rows - 1
    v.Cursor(1, 0);
    v.Keys(Qt::Key_Down, 3, Qt::ControlModifier);
    v.Cursor(3, 0);
    v.Key(Qt::Key_PageUp);
    EXPECT_EQ(v->TopLine, 0);
    EXPECT_EQ(v->CursorLine, 0);  // at line 0 at the least
}

TEST(KeysPaging, PageDownStopsOnceTheLastLineIsInView) {
    MemoView v;
    const int rows = v->RowCount;
    v.SetText(Numbered(rows + 5));
    v.Key(Qt::Key_PageDown);
    EXPECT_EQ(v->TopLine, rows);
    v.Key(Qt::Key_PageDown);
    EXPECT_EQ(v->TopLine, rows);
    v.SetText(Numbered(rows - 1));
    v.Key(Qt::Key_PageDown);
    EXPECT_EQ(v->TopLine, 0);
    EXPECT_EQ(v->CursorLine, 0);
}

TEST(KeysPaging, PageDownShowsTheNextPageOnScreen) {
    MemoView v;
    v.SetText(Numbered(200));
    const int rows = v->RowCount;
    v.Key(Qt::Key_PageDown);
    const QImage afterPaging = v.Image();
    // The same text shown from line `rows` by a fresh view draws the same pixels.
    MemoView ref;
    ref.SetText(Numbered(200));
    ref->HideCaret();
    ref->TopLine = rows;
    ref->SetCursor(rows, 0);
    const QImage expected = ref.FullRepaint();
    EXPECT_TRUE(afterPaging == expected);
}

TEST(KeysScrolling, CtrlUpAndDownMoveTextAndCursorTogether) {
    MemoView v;
    v.SetText(Numbered(10));
    v.Cursor(4, 2);
    v.Key(Qt::Key_Up, Qt::ControlModifier);  // at the top: nothing
    EXPECT_EQ(v->TopLine, 0);
    EXPECT_EQ(v->CursorLine, 4);
    v.Keys(Qt::Key_Down, 2, Qt::ControlModifier);
    EXPECT_EQ(v->TopLine, 2);
    EXPECT_EQ(v->CursorLine, 6);
    EXPECT_EQ(v->CursorCol, 2);
    // The view scrolls until the line after the last is its first row, no further.
    v.Keys(Qt::Key_Down, 20, Qt::ControlModifier);
    EXPECT_EQ(v->TopLine, 10);
    v.Key(Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(v->TopLine, 9);
    // Row 0 now shows line 9.
    EXPECT_TRUE(v.CellInked(0, 0));
    EXPECT_FALSE(v.CellInked(1, 0));
}

TEST(KeysEscape, CancelsEveryRunningJobAndTouchesNothingElse) {
    MemoView v;
    v.SetText({"abc", "def"});
    v.Cursor(1, 2);
    const QImage before = v.Image();
    int stops = 0;
    {
        platform::RunningJob search;
        platform::RunningJob print([&stops] { ++stops; });
        v.Key(Qt::Key_Escape);
        EXPECT_TRUE(search.Cancelled());
        EXPECT_TRUE(print.Cancelled());
        EXPECT_EQ(stops, 1);
        v.Key(Qt::Key_Escape);  // a job is stopped once
        EXPECT_EQ(stops, 1);
    }
    EXPECT_EQ(v->CursorLine, 1);
    EXPECT_EQ(v->CursorCol, 2);
    EXPECT_EQ(keystest::Text(*v), (std::vector<std::string>{"abc", "def"}));
    EXPECT_FALSE(v->Modified);
    EXPECT_TRUE(v.Image() == before);  // caret untouched
    // A job that has ended is no longer reached.
    v.Key(Qt::Key_Escape);
    EXPECT_EQ(stops, 1);
}

TEST(KeysOffer, NavigationWithdrawsAPendingOfferButLettersAndSpaceDoNot) {
    MemoView v;
    v.SetText({"abc"});
    v.Cursor(0, 3);
    v->SetThaiOnAZ(true);
    v.Key(Qt::Key_K);  // offers the first Thai letter filed under K in the cursor cell
    ASSERT_NE(v->PendingLetter, 0);
    EXPECT_TRUE(v.CellHighlighted(0, 3));
    // F5 (116) may answer an offer: it stays.
    v.Key(Qt::Key_F5);
    EXPECT_NE(v->PendingLetter, 0);
    v.Key(Qt::Key_Home);
    EXPECT_EQ(v->PendingLetter, 0);
    EXPECT_EQ(v->ChoiceIndex, 0);
    EXPECT_EQ(keystest::Text(*v), std::vector<std::string>{"abc"});
    // The cell no longer shows the offered glyph: it is drawn from the text again (empty).
    EXPECT_FALSE(v.CellHighlighted(0, 3));
    EXPECT_FALSE(v.CellInked(0, 3));
}

TEST(KeysOffer, ThePlainListIgnoresTypedCharacters) {
    ListView v;
    v.SetText({"abc"});
    v.Key(Qt::Key_X);
    v.Key(Qt::Key_Space);
    EXPECT_EQ(keystest::Text(*v), std::vector<std::string>{"abc"});
    EXPECT_FALSE(v->Modified);
    // but it takes the navigation and line keys
    v.Key(Qt::Key_Right);
    v.Key(Qt::Key_Return);
    EXPECT_EQ(keystest::Text(*v), (std::vector<std::string>{"a", "bc"}));
}

}  // namespace
