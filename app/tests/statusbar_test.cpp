// The main window's status bar through the real windows: the cursor's place in display cells as
// keys move it, the input mode after every way of changing it, the text's encoding and line end,
// the dictionary, and short messages; and a window that opens with its whole menu bar in view.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <functional>

#include "app/statusbar.h"
#include "app/tests/app_fixture.h"
#include "app/ufinddlg.h"
#include "app/urianthai.h"
#include "app/uthaivk.h"
#include "inputfield/thaiedit.h"
#include "testing/bytes.h"

namespace {

using testbytes::WriteAll;

class StatusBarTest : public AppWindowsTest {
protected:
    std::string Part(QLabel* label) const { return label->text().toStdString(); }
    std::string Position() const { return Part(fmekalon->statusLine->position); }
    std::string Mode() const { return Part(fmekalon->statusLine->mode); }
    std::string Format() const { return Part(fmekalon->statusLine->format); }
    // Each character as a key that types it (QTest types only ASCII).
    void Keys(const QString& text) {
        for (QChar ch : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
            QCoreApplication::sendEvent(fmekalon->Tm1->tcm, &press);
        }
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(fmekalon->Tm1->tcm, key, mods); }
    std::string Path(const char* name) const { return (dir.path() + "/" + name).toStdString(); }
    QTemporaryDir dir;
};

TEST_F(StatusBarTest, ThePositionFollowsTheCursorInDisplayCells) {
    EXPECT_EQ(Position(), "Ln 1, Col 1");
    Keys("ab");
    EXPECT_EQ(Position(), "Ln 1, Col 3");
    Keys(QString::fromUtf8("กี่"));  // three bytes, one cell
    EXPECT_EQ(Position(), "Ln 1, Col 4");
    Key(Qt::Key_Return);
    Keys("x");
    EXPECT_EQ(Position(), "Ln 2, Col 2");
    Key(Qt::Key_Up);
    Key(Qt::Key_End);
    EXPECT_EQ(Position(), "Ln 1, Col 4");
    fmekalon->Undo1->trigger();  // the x goes, and the cursor with it
    EXPECT_EQ(Position(), "Ln 2, Col 1");
}

TEST_F(StatusBarTest, TheModeShowsAtOnceAfterEveryWayOfChangingIt) {
    auto activate = [](QWidget* window) {
        window->show();
        window->activateWindow();
        return QTest::qWaitForWindowActive(window);
    };
    const struct {
        const char* way;
        std::function<bool()> change;  // false when the window could not be made active
        const char* mode;
    } ways[] = {
        {"Kbd F2 on the menu bar", [this] { fmekalon->KeyboardF21->trigger(); return true; }, "TH"},
        {"Alt+K in the editor", [this] { Key(Qt::Key_K, Qt::AltModifier); return true; }, "EN"},
        {"Alt+T in the editor", [this] { Key(Qt::Key_T, Qt::AltModifier); return true; }, "A..Z"},
        {"F2 in the editor (leaves A..Z)", [this] { Key(Qt::Key_F2); return true; }, "EN"},
        {"F2 in the find field",
         [&] {
             if (!activate(Finddlg)) return false;
             QTest::keyClick(Finddlg->te1->tce, Qt::Key_F2);
             return true;
         },
         "TH"},
        // The virtual keyboard never takes the focus: the keys go on to the window before it.
        {"Alt+T after a click on the virtual keyboard",
         [&] {
             Fthaivk->show();
             if (!activate(fmekalon)) return false;
             QTest::mouseClick(Fthaivk->Key("tr1"), Qt::LeftButton);  // a filler: it types nothing
             QTest::keyClick(QApplication::focusWidget(), Qt::Key_T, Qt::AltModifier);
             return true;
         },
         "A..Z"},
        {"Alt+K in the lookup window (leaves A..Z)",
         [&] {
             if (!activate(frianthai)) return false;
             QTest::keyClick(frianthai->te1->tce, Qt::Key_K, Qt::AltModifier);
             return true;
         },
         "TH"},
        {"Thai on A..Z on the menu bar", [this] { fmekalon->ThaionAZ1->trigger(); return true; }, "A..Z"},
    };
    for (const auto& w : ways) {
        ASSERT_TRUE(w.change()) << w.way << ": the window did not become active";
        EXPECT_EQ(Mode(), w.mode) << w.way;
        // The input fields follow the editor, whichever window changed it.
        EXPECT_EQ(InputModeName(Finddlg->te1->ThaiKeyboard, Finddlg->te1->ThaiOnAZ), std::string(w.mode)) << w.way;
        EXPECT_EQ(InputModeName(frianthai->te1->ThaiKeyboard, frianthai->te1->ThaiOnAZ), std::string(w.mode)) << w.way;
    }
}

TEST_F(StatusBarTest, TheEncodingAndLineEndFollowTheTextsFile) {
    EXPECT_EQ(Format(), "TIS-620 CRLF");
    const struct {
        const char* name;
        std::string bytes;
        const char* shown;
    } files[] = {
        {"bom.txt", "\xEF\xBB\xBF" "\xE0\xB8\x81 a\nb\n", "UTF-8 BOM LF"},
        {"utf8.txt", "\xE0\xB8\x81 a\r\n", "UTF-8 CRLF"},
        {"tis.txt", "\xA1 a\rb\r", "TIS-620 CR"},
    };
    for (const auto& f : files) {
        WriteAll(Path(f.name), f.bytes);
        services.openAnswers.push_back(Path(f.name));
        fmekalon->Openfilesel->trigger();
        EXPECT_EQ(Format(), f.shown) << f.name;
    }
    // Save As with another encoding shows it; New shows a new text's.
    services.saveAnswers.push_back(Path("saved.txt"));
    services.encodingAnswers.push_back("UTF-8");
    fmekalon->SavefileAssel->trigger();
    EXPECT_EQ(Format(), "UTF-8 CR");
    fmekalon->newfilesel->trigger();
    EXPECT_EQ(Format(), "TIS-620 CRLF");
    EXPECT_TRUE(services.errors.empty());
}

TEST_F(StatusBarTest, TheDictionaryAndMessagesShow) {
    EXPECT_EQ(Part(fmekalon->statusLine->dictionary), "noname.dic (0 lines)");
    WriteAll(Path("words.dic"), "cat \xE1\xC1\xC7\r\ndog \xCB\xC1\xD2\r\n");
    services.openAnswers.push_back(Path("words.dic"));
    fmekalon->Opendicsel->trigger();
    EXPECT_EQ(Part(fmekalon->statusLine->dictionary), "words.dic (2 lines)");
    Keys("bird");
    fmekalon->InsertCursorline->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(Part(fmekalon->statusLine->dictionary), "words.dic (3 lines)");

    fmekalon->ShowStatusMessage("Search reached the end", 60000);
    EXPECT_EQ(fmekalon->statusLine->currentMessage().toStdString(), "Search reached the end");
    fmekalon->ShowStatusProgress("Loading words.dic", 40);
    EXPECT_TRUE(fmekalon->statusLine->progress->isVisible());
    EXPECT_EQ(fmekalon->statusLine->progress->value(), 40);
    fmekalon->ShowStatusProgress("", -1);
    EXPECT_FALSE(fmekalon->statusLine->progress->isVisible());
    EXPECT_EQ(fmekalon->statusLine->currentMessage().toStdString(), "");
}

TEST_F(StatusBarTest, TheWindowOpensWithItsWholeMenuBarInView) {
    // The menu bar puts items that do not fit behind an extension button.
    auto* more = fmekalon->menuBar()->findChild<QToolButton*>();
    EXPECT_TRUE(!more || !more->isVisible());
    const QRect last = fmekalon->menuBar()->actionGeometry(fmekalon->About1);
    EXPECT_FALSE(last.isEmpty());
    EXPECT_LE(last.right(), fmekalon->menuBar()->width());
}

}  // namespace
