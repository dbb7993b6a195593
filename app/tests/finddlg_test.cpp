// The find dialog and the editor's search, driven as a user does: the find command (F3) with and
// without a selected word, typing into the search field, "&Find" by click and by Alt+F, Return in
// the field, the virtual keyboard typing into the field, and the search itself on Latin and Thai
// text: exact bytes, from the cursor's byte on, the match selected and highlighted on the screen,
// and after the last match silently back to the top.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "app/statusbar.h"
#include "app/tests/app_fixture.h"
#include "app/ufinddlg.h"
#include "app/umekalon.h"
#include "app/uthaivk.h"
#include "editor/thaimemo.h"
#include "testing/host_paint.h"

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
        testhost::PaintPending(*fmekalon->host);
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
        testhost::PaintPending(*fmekalon->host);
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

    ClickFind();  // nothing more: no selection, the cursor at the top, no message box
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

// ---- Searching on from the editor, the end of the text said ---------------------------------

TEST_F(FindDialogTest, F3AndShiftF3SearchOnFromTheEditorAndTheEndIsSaid) {
    SetText({"xab ab", "ab"});
    // F3 with no search text yet opens the find window, as the find command does.
    fmekalon->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(fmekalon));
    QTest::keyClick(memo->tcm, Qt::Key_F3);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Finddlg));
    TypeInField("ab");
    ClickFind();
    EXPECT_EQ(memo->AnchorCol, 1);
    Finddlg->hide();  // the window needs not be open

    fmekalon->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(fmekalon));
    auto f3 = [this](Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(memo->tcm, Qt::Key_F3, mods);
        const std::string said = fmekalon->statusLine->currentMessage().toStdString();
        return std::tuple(Selected(), memo->AnchorLine, memo->AnchorCol, said);
    };
    const std::string none;
    EXPECT_EQ(f3(), std::tuple(std::string("ab"), 0, 4, none));
    EXPECT_EQ(f3(), std::tuple(std::string("ab"), 1, 0, none));
    EXPECT_FALSE(Finddlg->isVisible()) << "F3 brings the find window forward";
    EXPECT_TRUE(fmekalon->isActiveWindow());
    EXPECT_EQ(f3(), std::tuple(std::string("<none>"), 0, 0,
                               std::string("Reached the end: the next search begins at the top")));
    EXPECT_EQ(std::pair(memo->CursorLine, memo->CursorCol), std::pair(0, 0));
    EXPECT_EQ(f3(), std::tuple(std::string("ab"), 0, 1, none));
    // Backwards: from the selection's start, then past the start of the text to its end.
    EXPECT_EQ(f3(Qt::ShiftModifier), std::tuple(std::string("<none>"), 0, 0,
                                                std::string("Reached the start: the next search begins at the end")));
    EXPECT_EQ(f3(Qt::ShiftModifier), std::tuple(std::string("ab"), 1, 0, none));
    EXPECT_EQ(f3(Qt::ShiftModifier), std::tuple(std::string("ab"), 0, 4, none));
    EXPECT_EQ(HighlightedPixels(4, 0) > 0, true);
    EXPECT_EQ(HighlightedPixels(0, 1), 0);

    // A search text the text does not hold at all.
    Finddlg->te1->SetText("zz");
    EXPECT_EQ(f3(), std::tuple(std::string("<none>"), 0, 0, std::string("Not found")));
}

// ---- Replacing ---------------------------------------------------------------------------

class ReplaceTest : public FindDialogTest {
protected:
    // The replace command as the user gives it.
    void OpenForReplace() {
        fmekalon->Replace1->trigger();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Finddlg));
        QApplication::processEvents();
    }
    void Fields(const char* find, const char* replacement) {
        Finddlg->te1->SetText(find);
        Finddlg->te2->SetText(replacement);
        Finddlg->te1Change(*Finddlg->te1);
    }
    void ClickReplace() { QTest::mouseClick(Finddlg->replacebtn, Qt::LeftButton); }
    void ClickReplaceAll() { QTest::mouseClick(Finddlg->replaceallbtn, Qt::LeftButton); }
    std::string Info() const { return fmekalon->statusLine->currentMessage().toStdString(); }
    void Undo() { QTest::keyClick(memo->tcm, Qt::Key_Z, Qt::ControlModifier); }
    // A text as if just opened: unchanged, nothing to undo.
    void Load(const std::vector<std::string>& lines) {
        SetText({});
        memo->Lines.Assign(lines);
        memo->History.Clear();
        memo->Modified = false;
        memo->ResetView();
    }
};

TEST_F(ReplaceTest, ReplaceReplacesTheFoundTextAndFindsTheNextOneStepEach) {
    Load({"ab xab", "ab"});
    OpenForReplace();
    Fields("ab", "Z");
    EXPECT_TRUE(Finddlg->replacebtn->isEnabled());
    ClickReplace();  // nothing found yet: it only finds
    EXPECT_EQ(memo->Lines.All(), (std::vector<std::string>{"ab xab", "ab"}));
    EXPECT_EQ(std::pair(memo->AnchorLine, memo->AnchorCol), std::pair(0, 0));
    ClickReplace();
    EXPECT_EQ(memo->Lines.All(), (std::vector<std::string>{"Z xab", "ab"}));
    EXPECT_EQ(Selected(), "ab");
    EXPECT_EQ(memo->AnchorCol, 3);
    EXPECT_EQ(HighlightedPixels(0, 0), 0);
    EXPECT_GT(HighlightedPixels(3, 0), 0);
    ClickReplace();
    ClickReplace();
    EXPECT_EQ(memo->Lines.All(), (std::vector<std::string>{"Z xZ", "Z"}));
    EXPECT_EQ(Selected(), "<none>");
    EXPECT_EQ(Info(), "Not found");
    // Each replacement is a step of its own.
    Undo();
    EXPECT_EQ(memo->Lines.All(), (std::vector<std::string>{"Z xZ", "ab"}));
    Undo();
    Undo();
    EXPECT_EQ(memo->Lines.All(), (std::vector<std::string>{"ab xab", "ab"}));
    EXPECT_FALSE(memo->Modified);

    // The replacement itself is not searched again; an empty replacement deletes.
    SetText({"a-a"});
    Fields("a", "aa");
    for (int i = 0; i < 3; ++i) ClickReplace();
    EXPECT_EQ(memo->Lines.All(), std::vector<std::string>{"aa-aa"});
    SetText({"a-a"});
    Fields("-", "");
    ClickReplace();
    ClickReplace();
    EXPECT_EQ(memo->Lines.All(), std::vector<std::string>{"aa"});
    EXPECT_EQ(memo->CursorCol, 0);  // nothing further: the search starts at the top again
}

TEST_F(ReplaceTest, TheReplaceCommandTakesTheSelectionWhichTheFirstReplaceReplaces) {
    SetText({"one two two"});
    memo->SetCursor(0, 8);
    memo->StartSelection();
    memo->SetCursor(0, 11);
    memo->ExtendSelection();
    OpenForReplace();
    EXPECT_EQ(Finddlg->te1->Text(), "two");
    EXPECT_TRUE(memo->Selecting);  // the selection stays for the first Replace
    EXPECT_EQ(Finddlg->ActiveField(), Finddlg->te2);  // the keys go to the replacement
    QTest::keyClicks(Finddlg->te2->tce, "2");
    ClickReplace();
    EXPECT_EQ(memo->Lines.All(), std::vector<std::string>{"one two 2"});
    EXPECT_EQ(Info(), "Reached the end: the next search begins at the top");
}

TEST_F(ReplaceTest, ReplaceAllIsOneStepSaysHowManyAndSavesTheBytes) {
    // Thai lines: ko kai with mai ek twice, and once among Latin text.
    QTemporaryDir dir;
    const std::string file = (dir.path() + "/text.txt").toStdString();
    {
        std::ofstream out(file, std::ios::binary);
        out << "\xA1\xE8\xD2 x \xA1\xE8\r\nnone\r\nab\xA1\xE8" "cd\r\n";
    }
    fmekalon->OpenFile(file);
    memo->HideCaret();
    memo->SetCursor(1, 2);
    memo->DrawCaret();
    OpenForReplace();
    // The search text typed with the Thai layout (ko kai, mai ek), the replacement in Latin.
    fmekalon->KeyboardF21->trigger();
    TypeInField("dj");
    ASSERT_EQ(Finddlg->te1->Text(), "\xA1\xE8");
    fmekalon->KeyboardF21->trigger();
    QTest::mouseClick(Finddlg->te2, Qt::LeftButton, {}, QPoint(2, 5));
    EXPECT_EQ(Finddlg->ActiveField(), Finddlg->te2);
    QTest::keyClicks(Finddlg->te2->tce, "K");
    ClickReplaceAll();
    EXPECT_EQ(Info(), "Replaced 3 occurrences");
    EXPECT_EQ(memo->Lines.All(), (std::vector<std::string>{"K\xD2 x K", "none", "abKcd"}));
    EXPECT_EQ(std::pair(memo->CursorLine, memo->CursorCol), std::pair(1, 2));
    EXPECT_FALSE(memo->Selecting);
    fmekalon->savefilesel->trigger();
    std::ifstream in(file, std::ios::binary);
    const std::string saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(saved, "K\xD2 x K\r\nnone\r\nabKcd\r\n");

    // One undo brings every occurrence back; nothing is left to find then for an absent text.
    Undo();
    EXPECT_EQ(memo->Lines.All(), (std::vector<std::string>{"\xA1\xE8\xD2 x \xA1\xE8", "none", "ab\xA1\xE8" "cd"}));
    EXPECT_FALSE(memo->History.CanUndo());
    Fields("zz", "y");
    ClickReplaceAll();
    EXPECT_EQ(Info(), "Not found");
    EXPECT_FALSE(memo->History.CanUndo());
    // Occurrences do not overlap, and one is said as one.
    SetText({"aaa"});
    Fields("aa", "b");
    ClickReplaceAll();
    EXPECT_EQ(memo->Lines.All(), std::vector<std::string>{"ba"});
    EXPECT_EQ(Info(), "Replaced 1 occurrence");
}

TEST_F(ReplaceTest, TheReplacementFieldTakesTheVirtualKeyboardAndPastesWithTheQuestion) {
    OpenForReplace();
    Finddlg->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Finddlg));
    // Tab moves from the search text to the replacement; the virtual keyboard follows.
    QTest::keyClick(Finddlg->te1->tce, Qt::Key_Tab);
    ASSERT_TRUE(Finddlg->te2->tce->hasFocus());
    unsigned char ko = 0xA1;
    Fthaivk->SendChar(ko);
    EXPECT_EQ(Finddlg->te2->Text(), "\xA1");
    EXPECT_EQ(Finddlg->te1->Text(), "");
    // Ctrl+V pastes the clipboard's first line; a character TIS-620 lacks is asked about first.
    QGuiApplication::clipboard()->setText(QString::fromUtf8("caf\u00e9\nmore"));
    services.modalAnswers = {platform::mrNo, platform::mrYes};
    QTest::keyClick(Finddlg->te2->tce, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Finddlg->te2->Text(), "\xA1");
    QTest::keyClick(Finddlg->te2->tce, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Finddlg->te2->Text(), "\xA1" "caf?");
    EXPECT_EQ(services.questions.size(), 2u);
    // Back in the search field, the keys go there again.
    QTest::keyClick(Finddlg->te2->tce, Qt::Key_Backtab);
    Fthaivk->SendChar(ko);
    EXPECT_EQ(Finddlg->te1->Text(), "\xA1");

    // A click into the replacement while the window is not active chooses it when it becomes active.
    fmekalon->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(fmekalon));
    QTest::mouseClick(Finddlg->te2, Qt::LeftButton, {}, QPoint(2, 5));
    Finddlg->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Finddlg));
    EXPECT_TRUE(Finddlg->te2->tce->hasFocus());
    Fthaivk->SendChar(ko);
    EXPECT_EQ(Finddlg->te2->Text(), "\xA1\xA1" "caf?");
}

}  // namespace
