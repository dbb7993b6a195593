// Copy, cut and paste through the system clipboard (Unicode outside, TIS-620 bytes inside), and
// copying by dragging with the right mouse button, within one control and between two windows.
#include <gmock/gmock.h>

#include <QClipboard>
#include <QGuiApplication>
#include <deque>
#include <string>
#include <vector>

#include "editor/tests/keys_mouse_fixture.h"
#include "platform/clipboard.h"
#include "platform/files.h"
#include "platform/services.h"
#include "testing/answering_services.h"

namespace {

using keystest::ListView;
using keystest::MemoView;
using keystest::Text;
using Lines = std::vector<std::string>;

QString Unicode(const char* utf8) { return QString::fromUtf8(utf8); }

void SetClipboard(const QString& text) { QGuiApplication::clipboard()->setText(text); }

TEST(MouseClipboard, CopyPutsUnicodeThaiOnTheClipboard) {
    MemoView v;
    // ko kai, sara ii, mai ek; kho khai; then a Latin word on the next line.
    v.SetText({"\xA1\xD5\xE8\xA2 ok", "next"});
    v->SelectAll();
    v->CopySelection();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), Unicode("กี่ข ok\r\nnext\r\n"));
    EXPECT_EQ(Text(*v), (Lines{"\xA1\xD5\xE8\xA2 ok", "next"}));
    EXPECT_TRUE(v->Selecting);
}

using testservices::AnsweringServices;

TEST(MouseClipboard, CharactersOutsideTis620ArePastedAsQuestionMarksOnlyWhenTheUserAgrees) {
    MemoView v;
    v.SetText({"ab"});
    AnsweringServices services;
    services.answers = {platform::mrNo, platform::mrCancel, platform::mrYes};
    SetClipboard(Unicode("caf\u00e9 \U0001F600"));
    for (int i = 0; i < 2; ++i) {
        v.Cursor(0, 1);
        v->Paste();
        EXPECT_EQ(Text(*v), Lines{"ab"});
        EXPECT_FALSE(v->Modified);
    }
    v.Cursor(0, 1);
    v->Paste();
    EXPECT_EQ(Text(*v), Lines{"acaf? ?b"});
    ASSERT_EQ(services.questions.size(), 3u);
    EXPECT_EQ(services.questions[0],
              "U+00E9 (\u00e9) and any other character that TIS-620 lacks would be pasted as \"?\". "
              "Paste with these replacements?");
    // The first such character is named, beyond the Basic Multilingual Plane too; a control
    // character by its code alone.
    SetClipboard(Unicode("\U0001F600\u00e9"));
    v->Paste();
    EXPECT_THAT(services.questions.back(), ::testing::StartsWith("U+1F600 (\U0001F600) and "));
    SetClipboard(Unicode("\u0085"));
    v->Paste();
    EXPECT_THAT(services.questions.back(), ::testing::StartsWith("U+0085 and "));
    EXPECT_EQ(Text(*v), Lines{"acaf? ?b"});
}

// A text from another program larger than a file that can be read is not pasted: the user is
// told, and the text, its history and Modified stay as they were.
TEST(MouseClipboard, ATextTooLargeToHoldIsNotPastedAndTheUserIsTold) {
    MemoView v;
    v.SetText({"ab"});
    v->History.Clear();
    v.Cursor(0, 1);
    AnsweringServices services;
    platform::IncomingText huge;
    huge.tooLarge = true;
    EXPECT_FALSE(v->PasteText(huge));
    EXPECT_EQ(Text(*v), Lines{"ab"});
    EXPECT_FALSE(v->Modified);
    EXPECT_FALSE(v->History.CanUndo());
    EXPECT_EQ(services.messages, std::vector<std::string>{"The text to paste is " + platform::TooLargeReason() + "."});
}

TEST(MouseClipboard, CopyAndCutWithoutASelectionLeaveTheClipboardAlone) {
    MemoView v;
    v.SetText({"abc"});
    SetClipboard("kept");
    v->CopySelection();
    v->CutSelection();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "kept");
    EXPECT_EQ(Text(*v), Lines{"abc"});
    EXPECT_FALSE(v->Modified);
}

TEST(MouseClipboard, CutCopiesAndRemovesTheSelection) {
    MemoView v;
    v.SetText({"one two three"});
    v.Press(Qt::RightButton, 0, 5);
    v.Release(Qt::RightButton, 0, 5);
    v->CutSelection();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "two");
    EXPECT_EQ(Text(*v), Lines{"one  three"});
    EXPECT_EQ(v->CursorCol, 4);
    EXPECT_SAME_AS_FULL_REPAINT(v);
}

TEST(MouseClipboard, CuttingTheWholeTextClearsTheScreen) {
    MemoView v;
    v.SetText({"one", "two"});
    v->SelectAll();
    v->CutSelection();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "one\r\ntwo\r\n");
    EXPECT_EQ(v->LineCount(), 0);
    for (int col = 1; col < 4; ++col) {
        EXPECT_FALSE(v.CellInked(0, col)) << col;
        EXPECT_FALSE(v.CellHighlighted(0, col)) << col;
        EXPECT_FALSE(v.CellInked(1, col)) << col;
    }
    // Pasting it back restores the text; the cursor's empty line follows the pasted break.
    v->Paste();
    EXPECT_EQ(Text(*v), (Lines{"one", "two", ""}));
    EXPECT_SAME_AS_FULL_REPAINT(v);
}

TEST(MouseClipboard, UnicodeThaiFromAnotherProgramPastesAsTis620Bytes) {
    MemoView v;
    v.SetText({"ab"});
    v.Cursor(0, 1);
    SetClipboard(Unicode("ไทย€"));
    v->Paste();
    EXPECT_EQ(Text(*v), Lines{"a\xE4\xB7\xC2\x80" "b"});
    EXPECT_EQ(v->CursorCol, 1);  // the cursor stands on the first pasted cell
    EXPECT_SAME_AS_FULL_REPAINT(v);
}

TEST(MouseClipboard, PasteRightOfTheLineEndFillsTheGapWithSpaces) {
    MemoView v;
    v.SetText({"ab", "cd"});
    v.Cursor(0, 5);
    SetClipboard("XY");
    v->Paste();
    EXPECT_EQ(Text(*v), (Lines{"ab   XY", "cd"}));
    EXPECT_EQ(v->CursorCol, 5);
    EXPECT_SAME_AS_FULL_REPAINT(v);
}

TEST(MouseClipboard, PasteBelowTheTextAddsLinesUpToTheCursor) {
    MemoView v;
    v.SetText({"ab"});
    v.Cursor(3, 2);
    SetClipboard("XY");
    v->Paste();
    EXPECT_EQ(Text(*v), (Lines{"ab", "", "", "  XY"}));
    EXPECT_SAME_AS_FULL_REPAINT(v);
    // Into an empty control as well.
    MemoView e;
    e->Paste();
    EXPECT_EQ(Text(*e), Lines{"XY"});
    EXPECT_SAME_AS_FULL_REPAINT(e);
}

TEST(MouseClipboard, ATwoLineTextSplitsTheLineAndTheTailFollowsTheSecondLine) {
    MemoView v;
    v.SetText({"headtail", "last"});
    v.Cursor(0, 4);
    SetClipboard("one\r\ntwo");
    v->Paste();
    EXPECT_EQ(Text(*v), (Lines{"headone", "twotail", "last"}));
    EXPECT_EQ(v->CursorLine, 0);
    EXPECT_EQ(v->CursorCol, 4);
    EXPECT_SAME_AS_FULL_REPAINT(v);
    // Bare LF and CR from other programs break lines too.
    v.Cursor(2, 0);
    SetClipboard("x\ny\rz");
    v->Paste();
    EXPECT_EQ(Text(*v), (Lines{"headone", "twotail", "x", "y", "zlast"}));
}

TEST(MouseClipboard, PasteReplacesTheSelectionAndIgnoresAnEmptyClipboard) {
    MemoView v;
    v.SetText({"abcdef"});
    v->SelectAll();
    QGuiApplication::clipboard()->clear();
    v->Paste();
    EXPECT_EQ(Text(*v), Lines{"abcdef"});
    EXPECT_FALSE(v->Modified);
    EXPECT_TRUE(v->Selecting);  // an empty clipboard does nothing at all
    SetClipboard("Z");
    v->Paste();  // the text replaces the selection; the cursor stands on its first cell
    EXPECT_EQ(Text(*v), Lines{"Z"});
    EXPECT_FALSE(v->Selecting);
    EXPECT_EQ(std::pair(v->CursorLine, v->CursorCol), std::pair(0, 0));
    EXPECT_FALSE(v.CellHighlighted(0, 3));
    EXPECT_SAME_AS_FULL_REPAINT(v);
}

TEST(MouseClipboard, ANulInTheClipboardTextDoesNotCutOffTheTextAfterTheCursor) {
    MemoView v;
    v.SetText({"before", "after"});
    v.Cursor(0, 3);
    SetClipboard(QString("ab") + QChar(0) + QString("cd"));
    v->Paste();
    EXPECT_EQ(Text(*v), (Lines{"befabore", "after"}));
}

TEST(MouseDrag, ARightPressInTheSelectionCopiesItAndShowsTheDragPointer) {
    MemoView v;
    v.SetText({"alpha beta", "gamma"});
    v.Press(Qt::RightButton, 0, 7);
    v.Release(Qt::RightButton, 0, 7);
    ASSERT_EQ(v->SelectedText(), "beta");
    SetClipboard("old");
    v.Press(Qt::RightButton, 0, 8);
    EXPECT_TRUE(v->Drag().Dragging);
    EXPECT_EQ(v.Host().Pointer(), platform::PointerShape::Drag);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "beta");
    EXPECT_EQ(v->SelectedText(), "beta");  // the press keeps the selection
    v.Move(1, 2);
    EXPECT_EQ(v.Host().Pointer(), platform::PointerShape::Drag);
    v.Release(Qt::RightButton, 1, 2);
    EXPECT_FALSE(v->Drag().Dragging);
    EXPECT_EQ(v.Host().Pointer(), platform::PointerShape::IBeam);
    // Dropped on another line: pasted there, the original stays.
    EXPECT_EQ(Text(*v), (Lines{"alpha beta", "gabetamma"}));
    EXPECT_EQ(v->CursorLine, 1);
    EXPECT_EQ(v->CursorCol, 2);
    EXPECT_SAME_AS_FULL_REPAINT(v);
}

TEST(MouseDrag, ADropOnTheDraggedSelectionsOwnColumnsPastesNothing) {
    MemoView v;
    v.SetText({"alpha beta gamma"});
    v.Press(Qt::RightButton, 0, 7);
    v.Release(Qt::RightButton, 0, 7);
    ASSERT_EQ(v->SelectedText(), "beta");
    v.Press(Qt::RightButton, 0, 6);
    ASSERT_TRUE(v->Drag().Dragging);
    v.Release(Qt::RightButton, 0, 8);
    EXPECT_FALSE(v->Drag().Dragging);
    EXPECT_EQ(Text(*v), Lines{"alpha beta gamma"});
    EXPECT_EQ(v->CursorCol, 8);
    // Left of the selection on the same line counts as moved away.
    v.Press(Qt::RightButton, 0, 7);
    v.Release(Qt::RightButton, 0, 1);
    EXPECT_EQ(Text(*v), Lines{"abetalpha beta gamma"});
}

TEST(MouseDrag, ARightPressJustOutsideTheSelectionStartsNoDrag) {
    MemoView v;
    v.SetText({"alpha beta gamma", "delta"});
    for (const int col : {5, 10}) {  // the cells right before and right after "beta"
        v.Press(Qt::RightButton, 0, 7);
        v.Release(Qt::RightButton, 0, 7);
        ASSERT_EQ(v->SelectedText(), "beta");
        v.Press(Qt::RightButton, 0, col);
        EXPECT_FALSE(v->Drag().Dragging) << col;
        EXPECT_FALSE(v->Selecting) << col;  // a press on a space only places the cursor
        EXPECT_EQ(v.Host().Pointer(), platform::PointerShape::IBeam);
        v.Release(Qt::RightButton, 0, col);
    }
    // A selection over a line break: the start line counts from its start cell on, the end line
    // up to its end cell only.
    v.Cursor(0, 11);
    v.Key(Qt::Key_Down, Qt::ShiftModifier);  // (0,11)..(1,11), the extent clamped to (1,5)
    auto inside = [&v](int line, int col) {
        const QPoint p = v.CellCentre(line, col);
        return v->InSelection(p.x(), p.y());
    };
    EXPECT_FALSE(inside(0, 10));
    EXPECT_TRUE(inside(0, 11));
    EXPECT_TRUE(inside(0, 40));
    EXPECT_TRUE(inside(1, 0));
    EXPECT_TRUE(inside(1, 4));
    EXPECT_FALSE(inside(1, 5));
    EXPECT_FALSE(inside(2, 0));
}

TEST(MouseDrag, ATextChangeEndsTheDrag) {
    MemoView v;
    v.SetText({"alpha beta"});
    v.Press(Qt::RightButton, 0, 1);
    v.Release(Qt::RightButton, 0, 1);
    v.Press(Qt::RightButton, 0, 1);
    ASSERT_TRUE(v->Drag().Dragging);
    v->AddLine("x");
    EXPECT_FALSE(v->Drag().Dragging);
    v.Release(Qt::RightButton, 1, 3);
    EXPECT_EQ(Text(*v), (Lines{"alpha beta", "x"}));
}

// Controls that share a drag state end a drag together: a change of either one's text ends the
// drag the other started. A control with a state of its own is not part of it.
TEST(MouseDrag, AChangeInAControlSharingTheDragEndsItAndAnUnsharedControlNeverSeesIt) {
    ListView results(QPoint(700, 0));
    TThaimemo editor, alone;
    DragState drag;
    results->ShareDragState(drag);
    editor.ShareDragState(drag);
    results.SetText({"alpha beta"});
    results.Press(Qt::RightButton, 0, 1);
    results.Release(Qt::RightButton, 0, 1);
    results.Press(Qt::RightButton, 0, 1);
    ASSERT_TRUE(drag.Dragging);
    EXPECT_TRUE(editor.Drag().Dragging);
    EXPECT_FALSE(alone.Drag().Dragging);
    alone.AddLine("x");
    EXPECT_TRUE(drag.Dragging);
    editor.AddLine("x");
    EXPECT_FALSE(drag.Dragging);
}

TEST(MouseDrag, ARightDragFromTheWordListWindowPastesIntoTheEditorAtTheReleasePoint) {
    MemoView editor(QPoint(0, 0));
    ListView results(QPoint(700, 0));
    // The two windows' controls share one drag, as the application's windows do.
    DragState drag;
    editor->ShareDragState(drag);
    results->ShareDragState(drag);
    editor.SetText({"I eat .", "second line"});
    results.SetText({"rice = \xA2\xE9\xD2\xC7", "water = \xB9\xE9\xD3"});
    // A right click selects the Thai word, a second right press inside it starts the drag.
    results.Press(Qt::RightButton, 0, 8);
    results.Release(Qt::RightButton, 0, 8);
    ASSERT_EQ(results->SelectedText(), "\xA2\xE9\xD2\xC7");
    results.Press(Qt::RightButton, 0, 8);
    ASSERT_TRUE(drag.Dragging);
    // Released over the editor, in the other window, on the cell of the full stop.
    const QPoint target = editor.Viewport()->mapToGlobal(editor.CellCentre(0, 6));
    QTest::mouseRelease(results.Viewport(), Qt::RightButton, {}, results.Viewport()->mapFromGlobal(target));
    editor.Settle();
    EXPECT_FALSE(drag.Dragging);
    EXPECT_EQ(Text(*editor), (Lines{"I eat \xA2\xE9\xD2\xC7.", "second line"}));
    EXPECT_EQ(editor->CursorLine, 0);
    EXPECT_EQ(editor->CursorCol, 6);
    EXPECT_SAME_AS_FULL_REPAINT(editor);
    // The word list keeps its text and its selection.
    EXPECT_EQ(Text(*results), (Lines{"rice = \xA2\xE9\xD2\xC7", "water = \xB9\xE9\xD3"}));
    EXPECT_EQ(results->SelectedText(), "\xA2\xE9\xD2\xC7");
    EXPECT_FALSE(results->Modified);
}

// Dropped on the editor's own selection, the dragged word replaces it in one step; dropped
// elsewhere it goes in at the point and the selection only goes.
TEST(MouseDrag, ADropOnASelectionOfTheEditorReplacesIt) {
    MemoView editor(QPoint(0, 0));
    ListView results(QPoint(700, 0));
    // The two windows' controls share one drag, as the application's windows do.
    DragState drag;
    editor->ShareDragState(drag);
    results->ShareDragState(drag);
    auto dragWordTo = [&](int line, int col) {
        results.Press(Qt::RightButton, 0, 8);
        results.Release(Qt::RightButton, 0, 8);
        results.Press(Qt::RightButton, 0, 8);
        ASSERT_TRUE(drag.Dragging);
        const QPoint target = editor.Viewport()->mapToGlobal(editor.CellCentre(line, col));
        QTest::mouseRelease(results.Viewport(), Qt::RightButton, {}, results.Viewport()->mapFromGlobal(target));
        editor.Settle();
    };
    editor.SetText({"I eat rice .", "x"});
    results.SetText({"rice = \xA2\xE9\xD2\xC7"});
    editor.Cursor(0, 6);
    editor.Keys(Qt::Key_Right, 4, Qt::ShiftModifier);
    dragWordTo(0, 8);
    EXPECT_EQ(Text(*editor), (Lines{"I eat \xA2\xE9\xD2\xC7 .", "x"}));
    EXPECT_FALSE(editor->Selecting);
    EXPECT_EQ(editor->CursorCol, 6);
    EXPECT_SAME_AS_FULL_REPAINT(editor);
    editor->Undo();
    EXPECT_EQ(Text(*editor), (Lines{"I eat rice .", "x"}));
    EXPECT_EQ(editor->SelectedText(), "rice");

    dragWordTo(1, 1);
    EXPECT_EQ(Text(*editor), (Lines{"I eat rice .", "x\xA2\xE9\xD2\xC7"}));
    EXPECT_FALSE(editor->Selecting);
    EXPECT_SAME_AS_FULL_REPAINT(editor);
}

TEST(MouseDrag, ADropOnTheTopLeftCellOfAControlWithoutSelectionPastes) {
    MemoView editor(QPoint(0, 0));
    ListView results(QPoint(700, 0));
    // The two windows' controls share one drag, as the application's windows do.
    DragState drag;
    editor->ShareDragState(drag);
    results->ShareDragState(drag);
    editor.SetText({"text"});
    results.SetText({"word"});
    results.Press(Qt::RightButton, 0, 1);
    results.Release(Qt::RightButton, 0, 1);
    results.Press(Qt::RightButton, 0, 1);
    ASSERT_TRUE(drag.Dragging);
    const QPoint target = editor.Viewport()->mapToGlobal(editor.CellCentre(0, 0));
    QTest::mouseRelease(results.Viewport(), Qt::RightButton, {}, results.Viewport()->mapFromGlobal(target));
    EXPECT_EQ(Text(*editor), Lines{"wordtext"});
}

}  // namespace
