// The keys every editor answers, through the real main window: each binding as a key event on the
// editor's keyboard sink, with what it visibly does; the keys the editor had before keep their
// meaning. Then typing, the virtual keyboard and paste over selections made with the keyboard
// and with double and triple clicks, down to the bytes saved.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QStyleHints>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "app/tests/app_fixture.h"
#include "app/uergebnis.h"
#include "app/ufinddlg.h"
#include "app/umekalon.h"
#include "app/uthaivk.h"
#include "editor/thaimemo.h"
#include "platform/clipboard.h"
#include "testing/host_paint.h"

namespace {

using Lines = std::vector<std::string>;

class StandardKeysTest : public AppWindowsTest {
protected:
    void SetUp() override {
        AppWindowsTest::SetUp();
        memo = fmekalon->Tm1.get();
    }
    // The main window active with its editor holding the keys, as after a click into it.
    void ActivateMain() {
        fmekalon->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(fmekalon));
        memo->tcm->setFocus();
    }
    void Load(const Lines& lines) {
        memo->Clear();
        memo->Lines.Assign(lines);
        memo->History.Clear();
        memo->Modified = false;
        memo->ResetView();
    }
    void Select(int fromLine, int fromCol, int toLine, int toCol) {
        memo->SetCursor(fromLine, fromCol);
        memo->StartSelection();
        memo->SetCursor(toLine, toCol);
        memo->ExtendSelection();
    }
    std::string Selected() const { return memo->Selecting ? memo->SelectedText() : std::string("<none>"); }

    TThaimemo* memo = nullptr;
};

TEST_F(StandardKeysTest, EveryBindingDoesItsCommand) {
    struct Binding {
        const char* name;
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        std::function<void()> prepare;
        std::function<void()> check;
    };
    const Binding bindings[] = {
        {"Ctrl+A selects all", Qt::Key_A, Qt::ControlModifier, [] {},
         [&] { EXPECT_EQ(Selected(), "one two\r\nthree two\r\n"); }},
        {"Ctrl+F finds with the selection's first line", Qt::Key_F, Qt::ControlModifier,
         [&] { Select(0, 4, 1, 2); },
         [&] {
             EXPECT_TRUE(Finddlg->isVisible());
             EXPECT_EQ(Finddlg->te1->Text(), "two");
             EXPECT_FALSE(memo->Selecting);
         }},
        {"F3 finds the next", Qt::Key_F3, Qt::NoModifier, [&] { Finddlg->te1->SetText("two"); },
         [&] {
             EXPECT_EQ(std::pair(memo->AnchorLine, memo->AnchorCol), std::pair(0, 4));
             EXPECT_FALSE(Finddlg->isVisible());
         }},
        {"Shift+F3 finds the previous", Qt::Key_F3, Qt::ShiftModifier,
         [&] {
             Finddlg->te1->SetText("two");
             memo->SetCursor(1, 9);
         },
         [&] { EXPECT_EQ(std::pair(memo->AnchorLine, memo->AnchorCol), std::pair(1, 6)); }},
        {"Ctrl+H replaces", Qt::Key_H, Qt::ControlModifier, [&] { Select(0, 4, 0, 7); },
         [&] {
             EXPECT_TRUE(Finddlg->isVisible());
             EXPECT_EQ(Finddlg->te1->Text(), "two");
             EXPECT_EQ(Finddlg->ActiveField(), Finddlg->te2);
         }},
        {"Ctrl+P prints", Qt::Key_P, Qt::ControlModifier, [] {},
         [&] { EXPECT_EQ(services.messages, std::vector<std::string>{"Select the text to print!"}); }},
        {"Ctrl+Shift+S saves as", Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier,
         [&] { services.saveAnswers = {std::nullopt}; },
         [&] {
             ASSERT_EQ(services.saveRequests.size(), 1u);
             EXPECT_EQ(services.saveRequests[0].title, "Save file as");
         }},
        {"Ctrl+Q quits, asking as closing does", Qt::Key_Q, Qt::ControlModifier,
         [&] {
             memo->Modified = true;
             services.modalAnswers = {platform::mrCancel};
         },
         [&] {
             EXPECT_EQ(services.questions, std::vector<std::string>{"Textfile has changed. Save it?"});
             EXPECT_TRUE(fmekalon->isVisible());
         }},
        {"Ctrl+Plus: the next glyph size", Qt::Key_Plus, Qt::ControlModifier, [] {},
         [&] {
             EXPECT_EQ(memo->Graphicsize, 2);
             EXPECT_EQ(Fergebnis->results->Graphicsize, 2);  // as Options > Medium Graphics does
         }},
        {"Ctrl+= (plus unshifted)", Qt::Key_Equal, Qt::ControlModifier, [&] { fmekalon->MediumGraphicsClick(); },
         [&] { EXPECT_EQ(memo->Graphicsize, 3); }},
        {"Ctrl+Plus at the largest", Qt::Key_Plus, Qt::ControlModifier, [&] { fmekalon->Largegraphicsclick(); },
         [&] { EXPECT_EQ(memo->Graphicsize, 3); }},
        {"Ctrl+Minus: the previous glyph size", Qt::Key_Minus, Qt::ControlModifier,
         [&] { fmekalon->Largegraphicsclick(); }, [&] { EXPECT_EQ(memo->Graphicsize, 2); }},
        {"Ctrl+Minus at the smallest", Qt::Key_Minus, Qt::ControlModifier, [] {},
         [&] { EXPECT_EQ(memo->Graphicsize, 1); }},
        // Keys the editor gave a meaning before keep it.
        {"Ctrl+N inserts a line", Qt::Key_N, Qt::ControlModifier, [&] { memo->SetCursor(1, 0); },
         [&] { EXPECT_EQ(memo->Lines.All(), (Lines{"one two", "", "three two"})); }},
        {"Ctrl+Y deletes the line", Qt::Key_Y, Qt::ControlModifier, [] {},
         [&] { EXPECT_EQ(memo->Lines.All(), (Lines{"three two"})); }},
        {"Ctrl+Z undoes", Qt::Key_Z, Qt::ControlModifier, [&] { memo->ReplaceAll("two", "2"); },
         [&] { EXPECT_EQ(memo->Lines.All(), (Lines{"one two", "three two"})); }},
    };
    for (const Binding& b : bindings) {
        SCOPED_TRACE(b.name);
        Finddlg->hide();
        Finddlg->te1->SetText("");
        fmekalon->smallgraphicsClick();
        Load({"one two", "three two"});
        services.messages.clear();
        services.questions.clear();
        services.saveRequests.clear();
        ActivateMain();
        b.prepare();
        QTest::keyClick(memo->tcm, b.key, b.mods);
        QApplication::processEvents();
        b.check();
        memo->Modified = false;
    }
}

TEST_F(StandardKeysTest, CtrlWithTheWheelStepsTheGlyphSizeWithoutScrolling) {
    Load(Lines(200, "line"));
    QWidget* area = fmekalon->host->viewport();
    auto wheel = [&](int delta, Qt::KeyboardModifiers mods) {
        const QPointF at(20, 20);
        QWheelEvent e(at, area->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, mods, Qt::NoScrollPhase,
                      false);
        QApplication::sendEvent(area, &e);
        testhost::PaintPending(*fmekalon->host);
    };
    wheel(120, Qt::ControlModifier);
    EXPECT_EQ(memo->Graphicsize, 2);
    wheel(60, Qt::ControlModifier);  // half a notch, as a touchpad gives: nothing yet
    EXPECT_EQ(memo->Graphicsize, 2);
    wheel(60, Qt::ControlModifier);
    EXPECT_EQ(memo->Graphicsize, 3);
    wheel(-240, Qt::ControlModifier);
    EXPECT_EQ(memo->Graphicsize, 1);
    EXPECT_EQ(memo->TopLine, 0);
    // Without Ctrl the wheel scrolls as before.
    wheel(-120, Qt::NoModifier);
    EXPECT_EQ(memo->Graphicsize, 1);
    EXPECT_GT(memo->TopLine, 0);
}

// The issue's own example and the other ways in: each replaces what is selected, one undo step
// each, and the file gets exactly the bytes shown.
TEST_F(StandardKeysTest, TypingTheVirtualKeyboardAndPasteReplaceSelectionsDownToTheSavedBytes) {
    QTemporaryDir dir;
    const std::string file = (dir.path() + "/text.txt").toStdString();
    {
        std::ofstream out(file, std::ios::binary);
        out << "a 35.5 b\r\nthe word\r\nlast\r\n";
    }
    fmekalon->OpenFile(file);
    ActivateMain();
    QWidget* area = fmekalon->host->viewport();
    const ulong interval = static_cast<ulong>(QGuiApplication::styleHints()->mouseDoubleClickInterval());
    ulong time = 5000000;
    // Presses `times` times in a row, quickly, on a cell of the text.
    auto click = [&](int line, int col, int times) {
        const QPoint at(col * memo->CellWidth + memo->CellWidth / 2, line * memo->RowHeight + memo->RowHeight / 2);
        time += 10 * interval;
        for (int i = 0; i < times; ++i) {
            for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
                QMouseEvent e(type, at, area->mapToGlobal(at), Qt::LeftButton,
                              type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
                e.setTimestamp(time += 5);
                QApplication::sendEvent(area, &e);
            }
        }
        QApplication::processEvents();
    };

    // "35.5" selected with Shift and the arrows, X typed.
    QTest::keyClick(memo->tcm, Qt::Key_Home);
    for (int i = 0; i < 2; ++i) QTest::keyClick(memo->tcm, Qt::Key_Right);
    for (int i = 0; i < 4; ++i) QTest::keyClick(memo->tcm, Qt::Key_Right, Qt::ShiftModifier);
    ASSERT_EQ(Selected(), "35.5");
    QTest::keyClicks(memo->tcm, "X");
    EXPECT_EQ(memo->Lines[0], "a X b");

    // A double click selects "word"; the virtual keyboard's ko kai replaces it.
    click(1, 5, 2);
    ASSERT_EQ(Selected(), "word");
    fmekalon->VirtualKbd1->trigger();
    QTest::mouseClick(Fthaivk->Key("ko_kai"), Qt::LeftButton);
    EXPECT_EQ(memo->Lines[1], "the \xA1");

    // A triple click selects the last line with its break; Ctrl+V puts the clipboard there.
    ActivateMain();
    click(2, 1, 3);
    ASSERT_EQ(Selected(), "last\r\n");
    platform::SetClipboardText("new");
    QTest::keyClick(memo->tcm, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(memo->Lines.All(), (Lines{"a X b", "the \xA1", "new"}));

    QTest::keyClick(memo->tcm, Qt::Key_S, Qt::ControlModifier);
    std::ifstream in(file, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "a X b\r\nthe \xA1\r\nnew\r\n");

    // Three undo steps bring the text back as it was opened.
    for (int i = 0; i < 3; ++i) QTest::keyClick(memo->tcm, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(memo->Lines.All(), (Lines{"a 35.5 b", "the word", "last"}));
    EXPECT_FALSE(memo->History.CanUndo());
}

}  // namespace
