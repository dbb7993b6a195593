// Placing the cursor and selecting with the mouse on the host's viewport, and the selection
// commands.
#include <QGuiApplication>
#include <QStyleHints>
#include <string>
#include <utility>
#include <vector>

#include "editor/tests/keys_mouse_fixture.h"

namespace {

using keystest::MemoView;
using keystest::Text;
using Lines = std::vector<std::string>;

TEST(MouseLeftButton, APressPlacesTheCursorOnTheCellUnderThePointer) {
    MemoView v;
    v.SetText({"abcdef", "ghijkl"});
    v.Press(Qt::LeftButton, 1, 3);
    v.Release(Qt::LeftButton, 1, 3);
    EXPECT_EQ(v->CursorLine, 1);
    EXPECT_EQ(v->CursorCol, 3);
    EXPECT_FALSE(v->Selecting);
    // Right of the text and below it the cursor goes where the pointer is.
    v.Press(Qt::LeftButton, 5, 20);
    v.Release(Qt::LeftButton, 5, 20);
    EXPECT_EQ(v->CursorLine, 5);
    EXPECT_EQ(v->CursorCol, 20);
    // The caret is drawn under the new cell and gone from the old one.
    EXPECT_TRUE(v.CellInked(5, 20));  // only the caret can ink a cell below the text
}

TEST(MouseLeftButton, APressInAScrolledViewCountsFromTheFirstLineAndColumnShown) {
    MemoView v;
    std::vector<std::string> lines(100, std::string(200, 'x'));
    v.SetText(lines);
    v.Cursor(60, 150);
    const int top = v->TopLine, left = v->LeftCol;
    ASSERT_GT(top, 0);
    ASSERT_GT(left, 0);
    QTest::mousePress(v.Viewport(), Qt::LeftButton, {}, QPoint(2 * v->CellWidth + 1, 3 * v->RowHeight + 1));
    EXPECT_EQ(v->CursorLine, top + 3);
    EXPECT_EQ(v->CursorCol, left + 2);
    QTest::mouseRelease(v.Viewport(), Qt::LeftButton, {}, QPoint(2 * v->CellWidth + 1, 3 * v->RowHeight + 1));
}

TEST(MouseLeftButton, ADragSelectsUpToWhereThePointerWasOneMoveBefore) {
    MemoView v;
    v.SetText({"abcdefghij", "klmnop"});
    v.Press(Qt::LeftButton, 0, 0);
    for (int col = 1; col <= 5; ++col) v.Move(0, col);
    v.Release(Qt::LeftButton, 0, 5);
    ASSERT_TRUE(v->Selecting);
    EXPECT_EQ(v->AnchorCol, 0);
    EXPECT_EQ(v->ExtentCol, 4);
    EXPECT_EQ(v->CursorCol, 5);
    EXPECT_EQ(v->SelectedText(), "abcd");
    for (int col = 0; col < 4; ++col) EXPECT_TRUE(v.CellHighlighted(0, col)) << col;
    EXPECT_FALSE(v.CellHighlighted(0, 4));
}

TEST(MouseLeftButton, ASelectionDrawnWhileDraggingLooksLikeOneDrawnAtOnce) {
    MemoView v;
    v.SetText({"The quick brown fox", "\xA1\xD5\xE8\xA2\xD8\xA4\xC3 lines", "jumps over"});
    v.Press(Qt::LeftButton, 0, 6);
    // Down and right over two lines, then back up and left across the anchor.
    const int path[][2] = {{0, 7}, {1, 8}, {2, 3}, {2, 9}, {1, 2}, {0, 2}, {0, 1}, {0, 0}};
    for (const auto& p : path) v.Move(p[0], p[1]);
    v.Release(Qt::LeftButton, 0, 0);
    ASSERT_TRUE(v->Selecting);
    EXPECT_EQ(v->SelectedText(), "he qu");
    EXPECT_TRUE(v.CellHighlighted(0, 2));
    EXPECT_FALSE(v.CellHighlighted(0, 6));
    EXPECT_FALSE(v.CellHighlighted(1, 2));
    EXPECT_SAME_AS_FULL_REPAINT(v);
}

TEST(MouseLeftButton, AFirstMoveThatJumpsFarStartsNoSelection) {
    MemoView v;
    v.SetText({"abcdefghij"});
    v.Press(Qt::LeftButton, 0, 1);
    v.Move(0, 6);
    EXPECT_FALSE(v->Selecting);
    v.Move(0, 2);  // back next to the pressed cell: the selection starts there
    v.Move(0, 4);
    v.Move(0, 5);
    v.Release(Qt::LeftButton, 0, 5);
    EXPECT_EQ(v->SelectedText(), "bcd");
}

TEST(MouseLeftButton, MovingWithoutAButtonSelectsNothing) {
    MemoView v;
    v.SetText({"abcdefghij"});
    v.Press(Qt::LeftButton, 0, 1);
    v.Release(Qt::LeftButton, 0, 1);
    v.Move(0, 2);
    v.Move(0, 3);
    EXPECT_FALSE(v->Selecting);
    EXPECT_EQ(v->CursorCol, 1);
}

TEST(MouseLeftButton, APressClearsTheSelectionAndWithdrawsAnOffer) {
    MemoView v;
    v.SetText({"abcdef"});
    v->SelectAll();
    v.Settle();
    ASSERT_TRUE(v.CellHighlighted(0, 2));
    v->SetThaiOnAZ(true);
    v.Key(Qt::Key_K);
    ASSERT_NE(v->PendingLetter, 0);
    v.Press(Qt::LeftButton, 0, 4);
    v.Release(Qt::LeftButton, 0, 4);
    EXPECT_FALSE(v->Selecting);
    EXPECT_EQ(v->PendingLetter, 0);
    EXPECT_FALSE(v.CellHighlighted(0, 0));
    EXPECT_FALSE(v.CellHighlighted(0, 2));
    EXPECT_EQ(Text(*v), Lines{"abcdef"});
}

TEST(MouseRightButton, AClickSelectsTheWordUnderThePointer) {
    MemoView v;
    v.SetText({"abc,def ghi"});
    v.Press(Qt::RightButton, 0, 5);  // on e
    v.Release(Qt::RightButton, 0, 5);
    EXPECT_EQ(v->SelectedText(), "def");
    EXPECT_EQ(v->CursorCol, 7);  // right after f
    EXPECT_TRUE(v.CellHighlighted(0, 4));
    EXPECT_FALSE(v.CellHighlighted(0, 3));
    EXPECT_SAME_AS_FULL_REPAINT(v);
    // A Thai word of marked cells: the selection runs over whole cells.
    v.SetText({"x \xA1\xD5\xE8\xA2\xD8\xA4 y"});
    v.Press(Qt::RightButton, 0, 3);
    v.Release(Qt::RightButton, 0, 3);
    EXPECT_EQ(v->SelectedText(), "\xA1\xD5\xE8\xA2\xD8\xA4");
    EXPECT_EQ(v->CursorCol, 5);
}

TEST(MouseRightButton, AClickOnASeparatorOnlyPlacesTheCursor) {
    MemoView v;
    v.SetText({"abc,def ghi"});
    v.Press(Qt::RightButton, 0, 9);
    v.Release(Qt::RightButton, 0, 9);
    ASSERT_EQ(v->SelectedText(), "ghi");
    v.Press(Qt::RightButton, 0, 3);  // the comma
    v.Release(Qt::RightButton, 0, 3);
    EXPECT_FALSE(v->Selecting);
    EXPECT_EQ(v->CursorCol, 3);
    v.Press(Qt::RightButton, 0, 7);  // the space
    v.Release(Qt::RightButton, 0, 7);
    EXPECT_FALSE(v->Selecting);
    EXPECT_EQ(v->CursorCol, 7);
    EXPECT_FALSE(v.CellHighlighted(0, 9));
}

TEST(MouseRightButton, AClickRightOfTheLineSelectsItsLastWord) {
    MemoView v;
    v.SetText({"abc def", ""});
    v.Press(Qt::RightButton, 0, 12);
    v.Release(Qt::RightButton, 0, 12);
    EXPECT_EQ(v->SelectedText(), "def");
    // On an empty line or below the text nothing is selected.
    v.Press(Qt::RightButton, 1, 2);
    v.Release(Qt::RightButton, 1, 2);
    EXPECT_FALSE(v->Selecting);
    v.Press(Qt::RightButton, 4, 2);
    v.Release(Qt::RightButton, 4, 2);
    EXPECT_FALSE(v->Selecting);
}

// Presses of the left button quickly one after another at one place: the second selects the
// word (as the right button does), the third the line with its line break, a fourth starts again.
TEST(MouseLeftButton, DoubleAndTripleClicksSelectTheWordAndTheLine) {
    MemoView v;
    const int interval = QGuiApplication::styleHints()->mouseDoubleClickInterval();
    const QPoint onTwo = v.CellCentre(0, 5);
    struct Case {
        const char* name;
        std::vector<std::pair<QPoint, int>> presses;  // where and when (ms after the first)
        std::string selected;                          // "" for no selection
    };
    const QPoint farAway = onTwo + QPoint(3 * v->CellWidth, 0);
    const Case cases[] = {
        {"one click", {{onTwo, 0}}, ""},
        {"double click", {{onTwo, 0}, {onTwo, interval / 4}}, "two"},
        {"triple click", {{onTwo, 0}, {onTwo, interval / 4}, {onTwo, interval / 2}}, "one two three\r\n"},
        {"fourth click", {{onTwo, 0}, {onTwo, 10}, {onTwo, 20}, {onTwo, 30}}, ""},
        {"too slow", {{onTwo, 0}, {onTwo, interval + 5}}, ""},
        {"too far apart", {{onTwo, 0}, {farAway, 10}}, ""},
        {"on a space", {{v.CellCentre(0, 3), 0}, {v.CellCentre(0, 3), 10}}, ""},
    };
    ulong base = 1000000;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        v.SetText({"one two three", "four"});
        base += 10 * static_cast<ulong>(interval);  // well apart from the last case's clicks
        for (const auto& [at, ms] : c.presses) v.ClickAt(at, base + static_cast<ulong>(ms));
        EXPECT_EQ(v->Selecting ? v->SelectedText() : std::string(), c.selected);
        if (!c.selected.empty()) EXPECT_SAME_AS_FULL_REPAINT(v);
    }
    // Moving with the button still held after a double click keeps the word.
    v.SetText({"one two three"});
    auto send = [&](QEvent::Type type, QPoint at, ulong ms) {
        QMouseEvent e(type, at, v.Viewport()->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        e.setTimestamp(ms);
        QApplication::sendEvent(v.Viewport(), &e);
    };
    base += 10 * static_cast<ulong>(interval);
    v.ClickAt(onTwo, base);
    send(QEvent::MouseButtonPress, onTwo, base + 10);
    ASSERT_EQ(v->SelectedText(), "two");
    for (int col : {4, 3, 9, 10}) send(QEvent::MouseMove, v.CellCentre(0, col), base + 20);
    send(QEvent::MouseButtonRelease, v.CellCentre(0, 10), base + 30);
    v.Settle();
    EXPECT_EQ(v->SelectedText(), "two");
    // A drag after a plain click selects as before.
    send(QEvent::MouseButtonPress, v.CellCentre(0, 0), base + 10000);
    for (int col : {1, 2, 3}) send(QEvent::MouseMove, v.CellCentre(0, col), base + 10010);
    send(QEvent::MouseButtonRelease, v.CellCentre(0, 3), base + 10020);
    EXPECT_EQ(v->SelectedText(), "on");
}

TEST(MouseBothButtons, SelectTheCursorLine) {
    MemoView v;
    v.SetText({"first line", "second line"});
    QTest::mousePress(v.Viewport(), Qt::LeftButton, {}, v.CellCentre(1, 3));
    QTest::mousePress(v.Viewport(), Qt::RightButton, {}, v.CellCentre(1, 3));
    QTest::mouseRelease(v.Viewport(), Qt::RightButton, {}, v.CellCentre(1, 3));
    QTest::mouseRelease(v.Viewport(), Qt::LeftButton, {}, v.CellCentre(1, 3));
    EXPECT_EQ(v->SelectedText(), "second line");
    EXPECT_EQ(v->CursorCol, 0);
}

TEST(MouseCommands, SelectLineTakesTheLineBreakAndOnTheLastLineRunsToTheTextEnd) {
    MemoView v;
    v.SetText({"one", "two", "three"});
    v.Cursor(1, 2);
    v->SelectLine();
    EXPECT_EQ(v->SelectedText(), "two\r\n");
    EXPECT_EQ(v->CursorCol, 0);
    EXPECT_TRUE(v.CellHighlighted(1, 0));
    EXPECT_TRUE(v.CellHighlighted(1, 20));
    EXPECT_FALSE(v.CellHighlighted(2, 0));
    EXPECT_SAME_AS_FULL_REPAINT(v);
    v.Cursor(2, 1);
    v->SelectLine();
    EXPECT_EQ(v->SelectedText(), "three\r\n");
    v.Key(Qt::Key_Delete);
    EXPECT_EQ(Text(*v), (Lines{"one", "two"}));
    // Below the text: nothing.
    v.Cursor(4, 0);
    v->SelectLine();
    EXPECT_FALSE(v->Selecting);
}

TEST(MouseCommands, SelectAllSelectsEveryLineWithItsBreak) {
    MemoView v;
    v->SelectAll();
    EXPECT_FALSE(v->Selecting);  // nothing to select
    v.SetText({"one", "\xA1\xD5"});
    v.Cursor(1, 1);
    v->SelectAll();
    EXPECT_EQ(v->SelectedText(), "one\r\n\xA1\xD5\r\n");
    EXPECT_EQ(v->CursorLine, 0);
    EXPECT_EQ(v->CursorCol, 0);
    EXPECT_SAME_AS_FULL_REPAINT(v);
}

TEST(MouseCommands, SelectCursorLineKeepsAWordButReplacesATwoLineSelection) {
    MemoView v;
    v.SetText({"hello world", "second"});
    v.Press(Qt::RightButton, 0, 8);
    v.Release(Qt::RightButton, 0, 8);
    ASSERT_EQ(v->SelectedText(), "world");
    v->SelectCursorLine();
    EXPECT_EQ(v->SelectedText(), "world");
    v.Press(Qt::LeftButton, 0, 3);
    v.Release(Qt::LeftButton, 0, 3);
    v.Key(Qt::Key_Down, Qt::ShiftModifier);
    ASSERT_EQ(v->SelectedText(), "lo world\r\nsec");
    v->SelectCursorLine();
    EXPECT_EQ(v->SelectedText(), "second");  // without its line break
    EXPECT_EQ(v->CursorLine, 1);
    EXPECT_EQ(v->CursorCol, 0);
    EXPECT_FALSE(v.CellHighlighted(0, 5));
    EXPECT_SAME_AS_FULL_REPAINT(v);
}

TEST(MouseCommands, SelectCursorLineDoesNotKeepAnEmptySelection) {
    MemoView v;
    v.SetText({"hello"});
    v.Key(Qt::Key_Left, Qt::ShiftModifier);
    ASSERT_TRUE(v->Selecting);
    v->SelectCursorLine();
    EXPECT_EQ(v->SelectedText(), "hello");
}

}  // namespace
