// The find dialog and the editor's search, driven as a user does: the find command (F3) with and
// without a selected word, typing into the search field, "&Find" by click and by Alt+F, Return in
// the field, the virtual keyboard typing into the field, and the search itself on Latin and Thai
// text: exact bytes, from the cursor's byte on, the match selected and highlighted on the screen,
// and after the last match silently back to the top.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <initializer_list>
#include <string>

#include "app/tests/app_fixture.h"
#include "app/ufinddlg.h"
#include "app/umekalon.h"
#include "app/uthaivk.h"
#include "editor/thaimemo.h"

namespace {

std::string Bytes(std::initializer_list<unsigned char> list) { return std::string(list.begin(), list.end()); }

class FindDialogTest : public AppWindowsTest {
protected:
    void SetUp() override {
        AppWindowsTest::SetUp();
        memo = fmekalon->Tm1.get();
    }

    // Replaces the editor's text; the cursor goes to the top.
    void SetText(std::initializer_list<std::string> lines) {
        memo->Clear();
        for (const std::string& line : lines) memo->AddLine(line);
        memo->SetCursor(0, 0);
        fmekalon->host->Invalidate();
        fmekalon->host->PaintPending();
    }

    // The find command as the user gives it; the dialog is then shown.
    void OpenDialog() {
        fmekalon->searches->trigger();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Finddlg));
        QApplication::processEvents();
    }
    void TypeInField(const char* keys) { QTest::keyClicks(Finddlg->te1->tce, QString::fromLatin1(keys)); }
    void ClickFind() { QTest::mouseClick(Finddlg->findbtn, Qt::LeftButton); }

    std::string Selected() const { return memo->Selecting ? memo->SelectedText() : std::string("<none>"); }

    // Pixels of the highlight colour in the editor's cell (view column, view row).
    int HighlightedPixels(int col, int row) const {
        fmekalon->host->PaintPending();
        const QImage img = fmekalon->host->BackingImage();
        int n = 0;
        for (int y = row * memo->RowHeight; y < (row + 1) * memo->RowHeight; ++y)
            for (int x = col * memo->CellWidth; x < (col + 1) * memo->CellWidth; ++x)
                if ((img.pixel(x, y) & 0xFFFFFF) == memo->HighLightColor) ++n;
        return n;
    }

    TThaimemo* memo = nullptr;
};

TEST_F(FindDialogTest, DialogStartsEmptyWithFindDisabled) {
    // The field's font gives way to graphics size 1 and its one-row height.
    EXPECT_EQ(Finddlg->te1->Graphicsize, 1);
    EXPECT_EQ(Finddlg->te1->height(), 32);
    OpenDialog();
    EXPECT_TRUE(Finddlg->isVisible());
    EXPECT_EQ(Finddlg->te1->Text(), "");
    EXPECT_FALSE(Finddlg->findbtn->isEnabled());
    TypeInField("a");
    EXPECT_TRUE(Finddlg->findbtn->isEnabled());
    QTest::keyClick(Finddlg->te1->tce, Qt::Key_Backspace);
    EXPECT_FALSE(Finddlg->findbtn->isEnabled());
}

TEST_F(FindDialogTest, RepeatedSearchWalksThroughTheMatchesAndWrapsToTheTop) {
    SetText({"xab ab"});
    OpenDialog();
    TypeInField("ab");
    ClickFind();
    EXPECT_EQ(Selected(), "ab");
    EXPECT_EQ(memo->AnchorCol, 1);
    EXPECT_EQ(memo->CursorCol, 3);
    EXPECT_GT(HighlightedPixels(1, 0), 0);
    EXPECT_GT(HighlightedPixels(2, 0), 0);
    EXPECT_EQ(HighlightedPixels(0, 0), 0);
    EXPECT_EQ(HighlightedPixels(3, 0), 0);

    ClickFind();
    EXPECT_EQ(Selected(), "ab");
    EXPECT_EQ(memo->AnchorCol, 4);
    EXPECT_EQ(memo->CursorCol, 6);
    EXPECT_EQ(HighlightedPixels(1, 0), 0) << "the first match stays highlighted";
    EXPECT_GT(HighlightedPixels(4, 0), 0);

    ClickFind();  // nothing more: no selection, the cursor at the top, nothing said
    EXPECT_EQ(Selected(), "<none>");
    EXPECT_EQ(memo->CursorLine, 0);
    EXPECT_EQ(memo->CursorCol, 0);
    EXPECT_EQ(HighlightedPixels(4, 0), 0);
    EXPECT_TRUE(services.messages.empty());

    ClickFind();
    EXPECT_EQ(memo->AnchorCol, 1);
    EXPECT_EQ(memo->CursorCol, 3);
}

TEST_F(FindDialogTest, LatinLettersMatchCaseSensitively) {
    SetText({"Hello hello"});
    EXPECT_FALSE(memo->FindNext("HELLO"));
    EXPECT_TRUE(memo->FindNext("hello"));
    EXPECT_EQ(memo->AnchorCol, 6);
    EXPECT_EQ(memo->CursorCol, 11);
    // The cursor stands at the end of the text: nothing behind it, then from the top.
    EXPECT_FALSE(memo->FindNext("Hello"));
    EXPECT_TRUE(memo->FindNext("Hello"));
    EXPECT_EQ(memo->AnchorCol, 0);
}

TEST_F(FindDialogTest, ThaiMatchEndsRightAfterItsToneMark) {
    // x, ko kai with mai ek, sara aa, ko kai with mai ek, y
    const std::string line = Bytes({'x', 0xA1, 0xE8, 0xD2, 0xA1, 0xE8, 'y'});
    SetText({line});
    OpenDialog();
    Finddlg->te1->SetThaiKeyboard(true);
    TypeInField("dj");  // ko kai, mai ek
    ASSERT_EQ(Finddlg->te1->Text(), Bytes({0xA1, 0xE8}));
    ClickFind();
    EXPECT_EQ(Selected(), Bytes({0xA1, 0xE8}));
    EXPECT_EQ(memo->AnchorCol, 1);
    EXPECT_EQ(memo->CursorCol, 2);
    ClickFind();
    EXPECT_EQ(Selected(), Bytes({0xA1, 0xE8}));
    EXPECT_EQ(memo->AnchorCol, 3);
    EXPECT_EQ(memo->CursorCol, 4);
    EXPECT_GT(HighlightedPixels(3, 0), 0);
    EXPECT_EQ(HighlightedPixels(4, 0), 0);

    // A base alone matches the first byte of its cell; the whole cell is selected.
    memo->SetCursor(0, 0);
    EXPECT_TRUE(memo->FindNext(Bytes({0xD2})));
    EXPECT_EQ(memo->AnchorCol, 2);
    EXPECT_EQ(memo->CursorCol, 3);
}

TEST_F(FindDialogTest, SearchStartsAtTheCursorsByte) {
    SetText({"xab ab", "zzab"});
    memo->SetCursor(0, 4);  // on the a of the second match
    EXPECT_TRUE(memo->FindNext("ab"));
    EXPECT_EQ(memo->CursorLine, 0);
    EXPECT_EQ(memo->AnchorCol, 4);
    // Right of the line's end the search goes on with the next line.
    memo->SetCursor(0, 9);
    EXPECT_TRUE(memo->FindNext("ab"));
    EXPECT_EQ(memo->CursorLine, 1);
    EXPECT_EQ(memo->AnchorLine, 1);
    EXPECT_EQ(memo->AnchorCol, 2);
    EXPECT_EQ(memo->CursorCol, 4);
    EXPECT_GT(HighlightedPixels(2, 1), 0);
    // Below the last line the search runs from the top.
    memo->CursorLine = 5;
    memo->CursorCol = 3;
    EXPECT_TRUE(memo->FindNext("ab"));
    EXPECT_EQ(memo->CursorLine, 0);
    EXPECT_EQ(memo->AnchorCol, 1);
}

TEST_F(FindDialogTest, EmptyPatternOrTextFindsNothing) {
    SetText({"abc"});
    memo->SetCursor(0, 1);
    memo->StartSelection();
    memo->SetCursor(0, 2);
    memo->ExtendSelection();
    EXPECT_FALSE(memo->FindNext(""));
    EXPECT_FALSE(memo->Selecting);
    EXPECT_EQ(memo->CursorCol, 2);  // an empty pattern leaves the cursor alone

    SetText({});
    EXPECT_FALSE(memo->FindNext("a"));
    EXPECT_EQ(memo->CursorLine, 0);
    EXPECT_EQ(memo->CursorCol, 0);
    // The pattern never runs past the end of the text.
    SetText({"ab"});
    EXPECT_FALSE(memo->FindNext("ab\r\nx"));
    EXPECT_EQ(TThaimemo::SearchFrom("b", "ab", 2), 0);
    EXPECT_EQ(TThaimemo::SearchFrom("b", "ab", 1), 2);
    EXPECT_EQ(TThaimemo::SearchFrom("ab", "a", 0), 0);
}

TEST_F(FindDialogTest, MatchLeftOfTheViewScrollsBackToIt) {
    SetText({std::string(300, 'a'), "ab" + std::string(100, 'c')});
    memo->SetCursor(0, 300);
    ASSERT_GT(memo->LeftCol, 0);
    EXPECT_TRUE(memo->FindNext("ab"));
    EXPECT_EQ(memo->LeftCol, 0);
    EXPECT_EQ(memo->CursorLine, 1);
    EXPECT_EQ(memo->CursorCol, 2);
    const int row = 1 - memo->TopLine;
    EXPECT_GT(HighlightedPixels(0, row), 0);
    EXPECT_GT(HighlightedPixels(1, row), 0);
    EXPECT_EQ(HighlightedPixels(2, row), 0);
}

TEST_F(FindDialogTest, SelectedWordOpensTheDialogWhollySelected) {
    SetText({"one two three"});
    memo->SetCursor(0, 4);
    memo->StartSelection();
    memo->SetCursor(0, 7);
    memo->ExtendSelection();
    OpenDialog();
    EXPECT_FALSE(memo->Selecting);  // the command removes the editor's selection
    EXPECT_EQ(Finddlg->te1->Text(), "two");
    EXPECT_TRUE(Finddlg->te1->SelectedAll);
    EXPECT_TRUE(Finddlg->findbtn->isEnabled());
    // The field shows its text highlighted.
    const QImage img = Finddlg->te1->BackingImage();
    EXPECT_EQ(img.pixel(2, 2) & 0xFFFFFF, Finddlg->te1->HighLightColor);

    // Typing replaces the whole search text.
    TypeInField("e");
    EXPECT_EQ(Finddlg->te1->Text(), "e");
    // The search goes on from the editor's cursor, which stayed behind "two".
    ClickFind();
    EXPECT_EQ(memo->AnchorCol, 11);
}

TEST_F(FindDialogTest, SelectionOverSeveralLinesGivesItsFirstLine) {
    SetText({"one two", "three"});
    memo->SetCursor(0, 4);
    memo->StartSelection();
    memo->SetCursor(1, 3);
    memo->ExtendSelection();
    OpenDialog();
    EXPECT_EQ(Finddlg->te1->Text(), "two");
    EXPECT_TRUE(Finddlg->te1->SelectedAll);
}

TEST_F(FindDialogTest, OpenDialogTakesANewSelection) {
    SetText({"alpha beta"});
    OpenDialog();
    TypeInField("zz");
    memo->SetCursor(0, 6);
    memo->StartSelection();
    memo->SetCursor(0, 10);
    memo->ExtendSelection();
    OpenDialog();
    EXPECT_EQ(Finddlg->te1->Text(), "beta");
    EXPECT_TRUE(Finddlg->te1->SelectedAll);
    // The open field shows the new text highlighted at its next paint.
    Finddlg->te1->repaint();
    const QImage img = Finddlg->te1->BackingImage();
    EXPECT_EQ(img.pixel(2, 2) & 0xFFFFFF, Finddlg->te1->HighLightColor);
}

TEST_F(FindDialogTest, CloseHidesAndKeepsTheText) {
    OpenDialog();
    TypeInField("abc");
    QTest::mouseClick(Finddlg->closebtn, Qt::LeftButton);
    EXPECT_FALSE(Finddlg->isVisible());
    OpenDialog();  // nothing selected in the editor
    EXPECT_EQ(Finddlg->te1->Text(), "abc");
    EXPECT_TRUE(Finddlg->te1->SelectedAll);
    EXPECT_TRUE(Finddlg->findbtn->isEnabled());
}

TEST_F(FindDialogTest, ReturnSearchesAsFindDoesShiftReturnBackwards) {
    SetText({"abc abc"});
    OpenDialog();
    TypeInField("bc");
    QTest::keyClick(Finddlg->te1->tce, Qt::Key_Return);
    EXPECT_TRUE(Finddlg->isVisible());
    EXPECT_EQ(Selected(), "bc");
    EXPECT_EQ(memo->AnchorCol, 1);
    EXPECT_EQ(Finddlg->te1->Text(), "bc");  // the field keeps its text and cursor
    EXPECT_EQ(Finddlg->te1->CursorCol, 2);
    // With the focus on a button Return searches too (Enter of the keypad as well).
    Finddlg->findbtn->setFocus();
    QTest::keyClick(Finddlg->findbtn, Qt::Key_Enter);
    EXPECT_EQ(memo->AnchorCol, 5);
    QTest::keyClick(Finddlg->closebtn, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(memo->AnchorCol, 1);
    EXPECT_TRUE(Finddlg->isVisible());
    // Escape does not close the dialog.
    QTest::keyClick(Finddlg->te1->tce, Qt::Key_Escape);
    EXPECT_TRUE(Finddlg->isVisible());
}

TEST_F(FindDialogTest, AltFSearches) {
    SetText({"xyz"});
    OpenDialog();
    Finddlg->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Finddlg));
    TypeInField("yz");
    QTest::keyClick(Finddlg->te1->tce, Qt::Key_F, Qt::AltModifier);
    // The button's accelerator clicks it after a short press animation.
    for (int i = 0; i < 50 && !memo->Selecting; ++i) QTest::qWait(20);
    EXPECT_EQ(Selected(), "yz");
    EXPECT_EQ(Finddlg->te1->Text(), "yz");  // Alt+F types nothing
}

TEST_F(FindDialogTest, KeysReachingTheDialogGoToTheField) {
    OpenDialog();
    TypeInField("ab");
    Finddlg->findbtn->setFocus();
    QTest::keyClicks(Finddlg->findbtn, "c");
    EXPECT_EQ(Finddlg->te1->Text(), "abc");
    QTest::keyClick(Finddlg->closebtn, Qt::Key_Home);
    EXPECT_EQ(Finddlg->te1->CursorCol, 0);
    // The dialog's own key-press inserts the byte as it is, without the Thai layout.
    Finddlg->te1->SetThaiKeyboard(true);
    QTest::keyClicks(Finddlg->closebtn, "d");
    EXPECT_EQ(Finddlg->te1->Text(), "dabc");
}

TEST_F(FindDialogTest, VirtualKeyboardTypesIntoTheActiveWindow) {
    OpenDialog();
    Finddlg->FormActivate();
    ASSERT_TRUE(Fthaivk->OnChar);
    ASSERT_TRUE(Fthaivk->OnKeyDown);
    unsigned char ko = 0xA1;
    Fthaivk->OnChar(ko);
    unsigned char maiEk = 0xE8;
    Fthaivk->OnChar(maiEk);
    EXPECT_EQ(Finddlg->te1->Text(), Bytes({0xA1, 0xE8}));
    EXPECT_TRUE(Finddlg->findbtn->isEnabled());
    int back = platform::vk::Back;
    Fthaivk->OnKeyDown(back, {});
    EXPECT_EQ(Finddlg->te1->Text(), "");

    // Once the main window is active again, the keys go to the editor.
    fmekalon->FormActivate();
    unsigned char kho = 0xA2;
    Fthaivk->OnChar(kho);
    EXPECT_EQ(Finddlg->te1->Text(), "");
    ASSERT_EQ(memo->LineCount(), 1);
    EXPECT_EQ(memo->Lines[0], Bytes({0xA2}));
}

TEST_F(FindDialogTest, LosingTheFocusWithdrawsAnOffer) {
    OpenDialog();
    Finddlg->te1->SetThaiOnAZ(true);
    TypeInField("k");
    ASSERT_EQ(Finddlg->te1->PendingLetter, 'K');
    Finddlg->FormDeactivate();
    EXPECT_EQ(Finddlg->te1->PendingLetter, 0);
    EXPECT_EQ(Finddlg->te1->Text(), "");
}

}  // namespace
