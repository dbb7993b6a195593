// Key-down handling of the input field: cursor keys with their limits, Backspace and Delete on
// Thai cells, modifier keys, and the highlighted whole text (SelectedAll) that typing replaces.
#include "inputfield/tests/field_fixture.h"
#include "platform/types.h"

namespace field_test {
namespace {

using KeysTest = FieldTest;
using platform::clWhite;
using platform::clYellow;
namespace vk = platform::vk;

TEST_F(KeysTest, CursorKeysMoveWithinTheirLimits) {
    field->SetText("abcd");
    ASSERT_EQ(field->CursorCol, 4);
    Key(Qt::Key_Home);
    EXPECT_EQ(field->CursorCol, 0);
    EXPECT_EQ(UnderlinedColumn(), 0);
    Key(Qt::Key_Left);
    EXPECT_EQ(field->CursorCol, 0);
    Key(Qt::Key_End);
    EXPECT_EQ(field->CursorCol, 4);
    EXPECT_EQ(UnderlinedColumn(), 4);
    // Right goes beyond the text up to the last whole visible column.
    for (int i = 0; i < 30; ++i) Key(Qt::Key_Right);
    EXPECT_EQ(field->CursorCol, field->VisibleCols - 1);
    EXPECT_EQ(UnderlinedColumn(), field->VisibleCols - 1);
    Key(Qt::Key_Left);
    EXPECT_EQ(field->CursorCol, field->VisibleCols - 2);
    EXPECT_EQ(UnderlinedColumn(), field->VisibleCols - 2);
    // Cursor keys never change the text or report a change.
    EXPECT_EQ(field->Text(), "abcd");
    EXPECT_EQ(changes, 0);
    EXPECT_TRUE(ShowsLine("abcd", clWhite));
}

TEST_F(KeysTest, EnterGoesToTheStartOfTheLine) {
    field->SetText("abc");
    int key = vk::Return;  // the sink leaves Return to the window, which hands it on
    field->KeyDown(key, {});
    EXPECT_EQ(field->CursorCol, 0);
    EXPECT_EQ(UnderlinedColumn(), 0);
    // Through the sink, Return is not the field's: it reaches the window.
    Key(Qt::Key_End);
    Key(Qt::Key_Return);
    EXPECT_EQ(field->CursorCol, 3);
    EXPECT_EQ(field->Text(), "abc");
}

TEST_F(KeysTest, KeysWithCtrlOrAltOnlyWithdrawTheOffer) {
    field->SetText("abc");
    Down(vk::Home, {.ctrl = true});
    EXPECT_EQ(field->CursorCol, 3);
    Down(vk::Back, {.alt = true});
    EXPECT_EQ(field->Text(), "abc");
    EXPECT_EQ(UnderlinedColumn(), 3);

    field->SetThaiOnAZ(true);
    Type("k");
    ASSERT_EQ(field->PendingLetter, 'K');
    Down(vk::Delete, {.ctrl = true});
    EXPECT_EQ(field->PendingLetter, 0);
    EXPECT_EQ(field->Text(), "abc");
    EXPECT_EQ(changes, 0);
}

TEST_F(KeysTest, BackspaceRemovesTheWholeCellBeforeTheCursor) {
    field->SetText(Bytes({'x', 0xA1, 0xD4, 0xE8, 'y'}));
    Key(Qt::Key_Left);  // behind ko kai with sara i and mai ek
    ASSERT_EQ(field->CursorCol, 2);
    Key(Qt::Key_Backspace);
    EXPECT_EQ(field->Text(), "xy");
    EXPECT_EQ(field->CursorCol, 1);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(ShowsLine("xy", clWhite));
    EXPECT_EQ(UnderlinedColumn(), 1);

    Key(Qt::Key_Backspace);
    Key(Qt::Key_Backspace);  // at column 0: nothing at all
    EXPECT_EQ(field->Text(), "y");
    EXPECT_EQ(field->CursorCol, 0);
    EXPECT_EQ(changes, 2);
}

TEST_F(KeysTest, BackspaceBehindTheOnlyCellEmptiesTheText) {
    field->SetText(Bytes({0xA1, 0xD4, 0xE8}));
    Key(Qt::Key_Backspace);
    EXPECT_EQ(field->Text(), "");
    EXPECT_EQ(field->CursorCol, 0);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(ShowsLine("", clWhite));
}

TEST_F(KeysTest, BackspaceBeyondTheTextOnlyMovesTheCursor) {
    field->SetText("ab");
    Key(Qt::Key_Right);
    Key(Qt::Key_Right);
    Key(Qt::Key_Right);
    ASSERT_EQ(field->CursorCol, 5);
    Key(Qt::Key_Backspace);
    EXPECT_EQ(field->CursorCol, 4);
    EXPECT_EQ(field->Text(), "ab");
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(UnderlinedColumn(), 4);
}

TEST_F(KeysTest, DeleteTakesMarksBeforeTheBase) {
    field->SetText(Bytes({0xA1, 0xD4, 0xE8, 'z'}));
    Key(Qt::Key_Home);
    Key(Qt::Key_Delete);
    EXPECT_EQ(Hex(field->Text()), Hex(Bytes({0xA1, 0xD4, 'z'})));
    EXPECT_TRUE(ShowsLine(field->Text(), clWhite));
    Key(Qt::Key_Delete);
    EXPECT_EQ(Hex(field->Text()), Hex(Bytes({0xA1, 'z'})));
    EXPECT_TRUE(ShowsLine(field->Text(), clWhite));
    Key(Qt::Key_Delete);
    EXPECT_EQ(field->Text(), "z");
    EXPECT_TRUE(ShowsLine("z", clWhite));
    EXPECT_EQ(field->CursorCol, 0);
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(UnderlinedColumn(), 0);

    // At or beyond the end there is nothing to delete.
    Key(Qt::Key_End);
    Key(Qt::Key_Delete);
    EXPECT_EQ(field->Text(), "z");
    EXPECT_EQ(changes, 3);

    // A mark that opens the text is a cell of its own: deleting it moves the rest left.
    field->SetText(Bytes({0xD4, 0xA1, 'z'}));
    Key(Qt::Key_Home);
    Key(Qt::Key_Delete);
    EXPECT_EQ(Hex(field->Text()), Hex(Bytes({0xA1, 'z'})));
    EXPECT_TRUE(ShowsLine(field->Text(), clWhite));
}

TEST_F(KeysTest, HidingTheCursorKeepsALowerVowelWhole) {
    field->SetText(Bytes({0xA1, 0xD8}));  // ko kai with sara u, whose top row is the underline row
    Key(Qt::Key_Home);
    Key(Qt::Key_Right);
    const QImage want = Reference(field->Text(), clWhite);
    const QImage got = Pixels();
    for (int x = 0; x < field->CellWidth; ++x)
        EXPECT_EQ(At(got, x, field->LowerLevel), At(want, x, field->LowerLevel)) << "x " << x;
    EXPECT_TRUE(ShowsLine(field->Text(), clWhite));
}

// ---- The highlighted whole text -------------------------------------------------------------

class SelectedAllTest : public FieldTest {
protected:
    void SetUp() override {
        FieldTest::SetUp();
        field->SetText("abc");
        field->SelectedAll = true;
        field->Invalidate();
        field->repaint();
        ASSERT_TRUE(ShowsLine("abc", clYellow)) << "the whole text is not shown highlighted";
    }
};

TEST_F(SelectedAllTest, TypingReplacesTheWholeText) {
    Type("x");
    EXPECT_EQ(field->Text(), "x");
    EXPECT_EQ(field->CursorCol, 1);
    EXPECT_FALSE(field->SelectedAll);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(ShowsLine("x", clWhite));
    EXPECT_EQ(UnderlinedColumn(), 1);
}

TEST_F(SelectedAllTest, ATypedMarkReplacesTheTextToo) {
    Press({0xE8});
    EXPECT_EQ(Hex(field->Text()), Hex(Bytes({0xE8})));
    EXPECT_EQ(changes, 1);
}

TEST_F(SelectedAllTest, DeleteClearsBothLinesWithoutAChange) {
    field->SetText2("second");
    field->SelectedAll = true;
    Key(Qt::Key_Delete);
    EXPECT_EQ(field->Text(), "");
    EXPECT_EQ(field->Text2(), "");
    EXPECT_FALSE(field->SelectedAll);
    EXPECT_EQ(field->CursorCol, 0);
    EXPECT_EQ(changes, 0);
    EXPECT_TRUE(ShowsLine("", clWhite));
    EXPECT_TRUE(ShowsLine("", clWhite, field->RowHeight + 8));
}

TEST_F(SelectedAllTest, CursorKeysOnlyRemoveTheHighlight) {
    Key(Qt::Key_Home);
    EXPECT_FALSE(field->SelectedAll);
    EXPECT_EQ(field->Text(), "abc");
    EXPECT_EQ(field->CursorCol, 0);
    EXPECT_TRUE(ShowsLine("abc", clWhite));

    field->SelectedAll = true;
    Key(Qt::Key_Left);
    EXPECT_FALSE(field->SelectedAll);
    EXPECT_TRUE(ShowsLine("abc", clWhite));

    field->SelectedAll = true;
    Key(Qt::Key_End);
    EXPECT_FALSE(field->SelectedAll);
    EXPECT_EQ(field->CursorCol, 3);
    EXPECT_EQ(changes, 0);
}

TEST_F(SelectedAllTest, BackspaceRemovesTheHighlightAndTheLastCell) {
    Key(Qt::Key_Backspace);
    EXPECT_FALSE(field->SelectedAll);
    EXPECT_EQ(field->Text(), "ab");
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(ShowsLine("ab", clWhite));
}

TEST_F(SelectedAllTest, AClickRemovesTheHighlight) {
    ClickField(Qt::LeftButton, Qt::NoModifier, QPoint(field->CellWidth + 3, 5));
    EXPECT_FALSE(field->SelectedAll);
    EXPECT_EQ(field->CursorCol, 1);
    EXPECT_EQ(field->Text(), "abc");
    EXPECT_TRUE(ShowsLine("abc", clWhite));
    EXPECT_EQ(UnderlinedColumn(), 1);
}

}  // namespace
}  // namespace field_test
