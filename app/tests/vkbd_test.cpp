// The virtual keyboard window with the real window pair: keys clicked with the mouse type into
// the editor of the main window (or whichever target the last active Thai window set), the key
// caps show the glyphs of the bytes they send, the type A letters fill the choice bar, the
// window's own keys reach the target, and the menu switches and closes the keyboards.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <QTest>
#include <string>
#include <vector>

#include "app/tests/app_fixture.h"
#include "app/tests/fake_services.h"
#include "app/ufinddlg.h"
#include "app/umekalon.h"
#include "app/uthaivk.h"
#include "inputfield/thaiedit.h"
#include "script/customthai.h"
#include "script/keytables.h"
#include "testing/host_paint.h"

namespace {

// Type B from left to right, top to bottom: the byte each key sends, 0 for the fillers.
const unsigned char kTypeBBytes[4][22] = {
    {0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0xAA, 0xAB,
     0xAC, 0xAD, 0xAE, 0xAF, 0xB0, 0xB1, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6},
    {0xB7, 0xB8, 0xB9, 0xBA, 0xBB, 0xBC, 0xBD, 0xBE, 0xBF, 0xC0, 0xC1,
     0xC2, 0xC3, 0xC5, 0xC7, 0xC8, 0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE},
    {0xD0, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD8, 0xD9, 0xE0,
     0xE1, 0xE2, 0xE3, 0xE4, 0xC4, 0xC6, 0xE5, 0, 0xE8, 0xE9, 0xEA},
    {0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0xDF,
     0, 0xEF, 0, 0xCF, 0xE6, 0xDA, 0xFB, 0, 0xEB, 0xEC, 0xE7},
};

class VirtualKeyboardTest : public ::testing::Test, protected TestWindows {
protected:
    void SetUp() override {
        CreateWindows();
        // Before the main window was ever active only the character callback is set.
        ASSERT_TRUE(static_cast<bool>(Fthaivk->OnChar));
        EXPECT_FALSE(static_cast<bool>(Fthaivk->OnKeyDown));
        fmekalon->show();
        fmekalon->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(fmekalon));
        ASSERT_FALSE(Fthaivk->isVisible());
        fmekalon->VirtualKbd1->trigger();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Fthaivk));
    }
    void TearDown() override {
        fmekalon->Tm1->Modified = false;
        fmekalon->dicchanged = false;
        DestroyWindows();
    }

    static void Click(QWidget* w, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mousePress(w, button, Qt::NoModifier, w->rect().center());
        QTest::mouseRelease(w, button, Qt::NoModifier, w->rect().center());
    }
    void Hover(char letter) {
        TStaticText* label = Fthaivk->LetterLabel(letter);
        ASSERT_NE(label, nullptr) << letter;
        QTest::mouseMove(label, QPoint(label->width() / 2, label->height() / 2));
    }
    // The bytes of the choice keys that stand on the visible row of the choice bar, in order.
    std::vector<int> ShownChoices() {
        std::vector<int> shown;
        for (TToolButton* b : Fthaivk->ToolButtons)
            if (Fthaivk->ToolBar1->rect().contains(b->geometry())) shown.push_back(0xA0 + b->ImageIndex());
        return shown;
    }
    static int GlobalLeft(QWidget* w) { return w->mapToGlobal(QPoint(0, 0)).x(); }
    std::string Line0() { return fmekalon->Tm1->LineCount() ? fmekalon->Tm1->Lines[0] : std::string(); }

    ScriptedServices services;
};

TEST_F(VirtualKeyboardTest, WindowShownFromTheMainMenuWithItsAttributes) {
    EXPECT_EQ(Fthaivk->windowTitle(), "Mekalon - Virtual Keyboard");
    EXPECT_EQ(Fthaivk->pos(), QPoint(170, 33));
    EXPECT_EQ(Fthaivk->client->width(), 619);
    EXPECT_EQ(Fthaivk->ClientHeight(), 52 + 96);
    EXPECT_EQ(Fthaivk->client->height(), 52 + 96);
    EXPECT_EQ(Fthaivk->minimumSize(), Fthaivk->maximumSize()) << "fixed border";
    EXPECT_EQ(Fthaivk->windowIcon().cacheKey(), fmekalon->latinicon.cacheKey());
    EXPECT_FALSE(Fthaivk->isModal());
    EXPECT_TRUE(fmekalon->isVisible());

    const QList<QAction*> items = Fthaivk->menuBar()->actions();
    ASSERT_EQ(items.size(), 4);
    const char* captions[] = {"&Close", "", "&Switch", ""};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(items[i]->text(), captions[i]) << i;

    // The labels of type A: A to Z without Q and V, side by side above the choice bar.
    const std::string letters = "ABCDEFGHIJKLMNOPRSTUWXYZ";
    ASSERT_EQ(Fthaivk->StaticTexts.size(), letters.size());
    for (size_t k = 0; k < letters.size(); ++k) {
        TStaticText* t = Fthaivk->StaticTexts[k];
        EXPECT_EQ(t->text().toStdString(), std::string(1, letters[k]));
        EXPECT_EQ(t->objectName().toStdString(), "StaticText" + std::string(1, static_cast<char>(letters[k] + 32)));
        EXPECT_EQ(t->geometry(), QRect(12 + 21 * static_cast<int>(k), 1, 21, 22)) << letters[k];
    }
    EXPECT_EQ(Fthaivk->LetterLabel('Q'), nullptr);
    EXPECT_EQ(Fthaivk->LetterLabel('V'), nullptr);
    EXPECT_EQ(Fthaivk->ToolBar1->geometry(), QRect(1, 23, 618, 24));
}

TEST_F(VirtualKeyboardTest, TypeBKeysTypeIntoTheEditorWithAnyButtonAndAnyLayout) {
    Click(Fthaivk->Key("ko_kai"));
    EXPECT_EQ(Line0(), "\xA1");
    EXPECT_EQ(fmekalon->Tm1->CursorCol, 1);
    Click(Fthaivk->Key("kho_khai"), Qt::RightButton);
    Click(Fthaivk->Key("sara_aa"), Qt::MiddleButton);
    EXPECT_EQ(Line0(), "\xA1\xA2\xD2");

    // The Thai layout maps typed ASCII only; a clicked Thai byte arrives unchanged.
    fmekalon->KeyboardF21->trigger();
    ASSERT_TRUE(fmekalon->Tm1->ThaiKeyboard);
    Click(Fthaivk->Key("ko_kai"));
    // The editor's input rule: a tone mark joins the cell before the cursor.
    Click(Fthaivk->Key("mai_ek"));
    EXPECT_EQ(Line0(), "\xA1\xA2\xD2\xA1\xE8");
    EXPECT_EQ(fmekalon->Tm1->CursorCol, 4);
    EXPECT_TRUE(fmekalon->Tm1->Modified);
}

TEST_F(VirtualKeyboardTest, KeysClickedPastTheRightEdgeScrollTheEditorsScreen) {
    TThaimemo& memo = *fmekalon->Tm1;
    const int cols = memo.ColCount;
    ASSERT_GT(cols, 0);
    for (int k = 0; k < cols + 2; ++k) Click(Fthaivk->Key(k % 2 ? "kho_khai" : "ko_kai"));
    EXPECT_EQ(memo.LeftCol, 3);
    // What the clicks drew is what a repaint of the whole view draws.
    platform::ThaiHost* host = fmekalon->host;
    ASSERT_EQ(memo.Parent(), host);
    QApplication::processEvents();
    testhost::PaintPending(*host);
    const QImage drawn = host->BackingImage().copy();
    host->Invalidate();
    testhost::PaintPending(*host);
    EXPECT_TRUE(drawn == host->BackingImage());
}

TEST_F(VirtualKeyboardTest, EveryKeyStandsInItsRowAndSendsItsByteFillersNothing) {
    std::vector<unsigned char> sent;
    Fthaivk->OnChar = [&](unsigned char& key) { sent.push_back(key); };
    const auto& keys = Fthaivk->ToolBar2->Buttons();
    ASSERT_EQ(keys.size(), 88u);
    EXPECT_EQ(Fthaivk->ToolBar2->geometry(), QRect(0, 52, 619, 96));
    for (int i = 0; i < 88; ++i) {
        TToolButton* key = keys[static_cast<size_t>(i)];
        const int row = i / 22, col = i % 22;
        EXPECT_EQ(key->geometry(), QRect(28 * col, 24 * row, 28, 24)) << key->objectName().toStdString();
        sent.clear();
        Click(key, i % 2 ? Qt::RightButton : Qt::LeftButton);
        const unsigned char expected = kTypeBBytes[row][col];
        if (expected == 0) {
            EXPECT_TRUE(sent.empty()) << key->objectName().toStdString() << " is a filler";
        } else {
            ASSERT_EQ(sent.size(), 1u) << key->objectName().toStdString();
            EXPECT_EQ(sent[0], expected) << key->objectName().toStdString();
        }
    }
    for (const char* filler : {"tr1", "tr2", "tr3", "tr4"}) {
        ASSERT_NE(Fthaivk->Key(filler), nullptr) << filler;
        EXPECT_TRUE(Fthaivk->Key(filler)->toolTip().isEmpty()) << filler;
    }
    EXPECT_EQ(Fthaivk->Key("tr4")->ImageIndex(), 0xEE - 0xA0);
    EXPECT_EQ(Fthaivk->Key("tr1")->ImageIndex(), 0);
    // Nothing of the clicks reached the editor.
    EXPECT_EQ(fmekalon->Tm1->LineCount(), 0);
}

TEST_F(VirtualKeyboardTest, HintsNameTheKeys) {
    const std::pair<const char*, const char*> hints[] = {
        {"ko_kai", "ko kai"},
        {"sara_ai_maimalai", "sara ai maimalai"},
        {"maitaikhu", "maitaikhu"},
        {"ru", "ru"},
        {"sun", "0 sun"},
        {"nung", "1 nung"},
        {"kao", "9 kao"},
        {"baht", "Bahtsymbol"},
        {"karan", "karan (thanthakhat)"},
        {"mai_chattawa", "mai chattawa"},
    };
    for (const auto& [name, hint] : hints) {
        TToolButton* key = Fthaivk->Key(name);
        ASSERT_NE(key, nullptr) << name;
        EXPECT_EQ(key->toolTip().toStdString(), hint) << name;
    }
    // Every other hint is the key's name with spaces for underscores.
    int named = 0;
    for (TToolButton* key : Fthaivk->ToolBar2->Buttons()) {
        const QString name = key->objectName();
        if (name.startsWith("tr") && name.size() == 3) continue;
        const bool digit = key->ImageIndex() >= 0xF0 - 0xA0 && key->ImageIndex() <= 0xF9 - 0xA0;
        if (digit || name == "baht" || name == "karan") continue;
        EXPECT_EQ(key->toolTip(), QString(name).replace('_', ' ')) << name.toStdString();
        ++named;
    }
    EXPECT_EQ(named, 88 - 4 - 10 - 2);
}

TEST_F(VirtualKeyboardTest, KeyCapsShowTheGlyphOfTheirByte) {
    ASSERT_NE(GlyphImages, nullptr);
    const QColor face = QApplication::palette("QMenu").color(QPalette::Window);
    for (TToolButton* key : Fthaivk->ToolBar2->Buttons()) {
        const QImage shot = key->grab().toImage();
        const int index = key->ImageIndex();
        const auto& pixels = GlyphImages->Pixels(index);
        const auto& mask = GlyphImages->Mask(index);
        const int left = (key->width() - 12) / 2, top = (key->height() - 16) / 2;
        int ink = 0, mismatches = 0;
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 12; ++x) {
                const size_t p = static_cast<size_t>(y * 12 + x);
                const QColor got = shot.pixelColor(left + x, top + y);
                if (mask[p]) {
                    mismatches += got.rgb() != face.rgb();
                } else {
                    const QColor want = QColor::fromRgb(static_cast<QRgb>(pixels[p]));
                    mismatches += got.rgb() != want.rgb();
                    ink += qGray(want.rgb()) < 128;
                }
            }
        }
        EXPECT_EQ(mismatches, 0) << key->objectName().toStdString();
        // A key that sends a byte shows a visible glyph; blank images are only on fillers.
        if (!key->toolTip().isEmpty()) {
            EXPECT_GT(ink, 0) << key->objectName().toStdString();
        }
    }
    // Different keys, different caps.
    EXPECT_NE(Fthaivk->Key("ko_kai")->grab().toImage(), Fthaivk->Key("kho_khai")->grab().toImage());
}

TEST_F(VirtualKeyboardTest, HoveringALetterFillsTheChoiceBar) {
    // At start the choice keys are blank and out of sight.
    EXPECT_TRUE(ShownChoices().empty());
    for (TToolButton* b : Fthaivk->ToolButtons) EXPECT_EQ(b->ImageIndex(), 0);

    Hover('T');
    EXPECT_EQ(ShownChoices(), (std::vector<int>{0xB7, 0xB5, 0xB6, 0xB8, 0xB2, 0xAF, 0xB0, 0xB1}));
    EXPECT_NEAR(GlobalLeft(Fthaivk->ToolButtons[0]), GlobalLeft(Fthaivk->LetterLabel('R')), 1);

    Hover('A');
    EXPECT_EQ(ShownChoices(), (std::vector<int>{0xD2, 0xD1, 0xD0, 0xD3, 0xE3, 0xE4}));
    EXPECT_NEAR(GlobalLeft(Fthaivk->ToolButtons[0]), GlobalLeft(Fthaivk->LetterLabel('A')), 1);

    Hover('Z');
    EXPECT_EQ(ShownChoices(), (std::vector<int>{0xE8, 0xE9, 0xEA, 0xEB, 0xE7, 0xEC}));
    EXPECT_NEAR(GlobalLeft(Fthaivk->ToolButtons[0]), GlobalLeft(Fthaivk->LetterLabel('T')), 1);

    Hover('X');
    EXPECT_EQ(ShownChoices(), (std::vector<int>{0xCF, 0xE6, 0xE5, 0xDA, 0xEF, 0xFB, 0xDF}));
    EXPECT_NEAR(GlobalLeft(Fthaivk->ToolButtons[0]), GlobalLeft(Fthaivk->LetterLabel('S')), 1);

    // The choices stay after the mouse leaves the letters.
    QTest::mouseMove(Fthaivk->Key("ko_kai"));
    EXPECT_EQ(ShownChoices().size(), 7u);

    // Every letter: its row of choices, side by side, starting under the letter.
    const std::string letters = "ABCDEFGHIJKLMNOPRSUWY";
    for (char letter : letters) {
        Hover(letter);
        std::vector<int> expected;
        for (unsigned char b : thai::ChoiceLists[static_cast<size_t>(letter - 'A')])
            if (b != thai::EmptyChoice) expected.push_back(b);
        EXPECT_EQ(ShownChoices(), expected) << letter;
        EXPECT_NEAR(GlobalLeft(Fthaivk->ToolButtons[0]), GlobalLeft(Fthaivk->LetterLabel(letter)), 1) << letter;
        for (size_t i = 1; i < expected.size(); ++i)
            EXPECT_EQ(Fthaivk->ToolButtons[i]->x(), Fthaivk->ToolButtons[i - 1]->x() + 21) << letter;
    }
}

TEST_F(VirtualKeyboardTest, ChoiceKeysSendTheirLetters) {
    Hover('K');
    Click(Fthaivk->ToolButtons[1]);  // kho khai
    Hover('Z');
    Click(Fthaivk->ToolButtons[0], Qt::RightButton);  // mai ek joins the cell before the cursor
    Hover('A');
    Click(Fthaivk->ToolButtons[2]);  // sara a
    EXPECT_EQ(Line0(), "\xA2\xE8\xD0");
    EXPECT_EQ(fmekalon->Tm1->CursorCol, 2);
}

TEST_F(VirtualKeyboardTest, KeysTypedInTheWindowReachTheTarget) {
    // The keyboard never takes the focus: the main window stays active and its editor keeps the
    // keys, also when the keyboard is asked to become active and when its keys are clicked. (The
    // offscreen platform activates every window it shows; a real X server is asked not to, which
    // the X server test checks.)
    fmekalon->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(fmekalon));
    Fthaivk->activateWindow();
    QApplication::processEvents();
    EXPECT_TRUE(fmekalon->isActiveWindow());
    EXPECT_EQ(QApplication::focusWidget(), fmekalon->Tm1->tcm);
    ASSERT_TRUE(static_cast<bool>(Fthaivk->OnKeyDown));
    QWindow* window = Fthaivk->windowHandle();
    QTest::keyClicks(QApplication::focusWidget(), "abc");
    EXPECT_EQ(Line0(), "abc");
    QTest::keyClick(window, Qt::Key_Left);
    QTest::keyClick(window, Qt::Key_Backspace);
    EXPECT_EQ(Line0(), "ac");
    EXPECT_EQ(fmekalon->Tm1->CursorCol, 1);
    QTest::keyClick(window, 'D', Qt::ShiftModifier);
    EXPECT_EQ(Line0(), "aDc");
    Click(Fthaivk->Key("ko_kai"));
    EXPECT_EQ(Line0(), "aD\xA1" "c");
    EXPECT_TRUE(fmekalon->isActiveWindow());
    EXPECT_EQ(QApplication::focusWidget(), fmekalon->Tm1->tcm);
}

TEST_F(VirtualKeyboardTest, ClicksGoToTheWindowThatWasActiveLast) {
    // Another Thai window becomes active and takes the callbacks; clicks type into its field and
    // leave it active.
    Finddlg->show();
    Finddlg->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Finddlg));
    Click(Fthaivk->Key("ko_kai"));
    EXPECT_EQ(Finddlg->te1->Text(), "\xA1");
    EXPECT_TRUE(Finddlg->isActiveWindow());
    EXPECT_EQ(fmekalon->Tm1->LineCount(), 0);

    // The main window becomes active again and takes them back.
    fmekalon->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(fmekalon));
    Click(Fthaivk->Key("kho_khai"));
    EXPECT_EQ(Finddlg->te1->Text(), "\xA1");
    EXPECT_EQ(Line0(), "\xA2");
}

TEST_F(VirtualKeyboardTest, SwitchCyclesTheKeyboardsAndCloseHides) {
    auto state = [this] {
        return std::make_pair(!Fthaivk->Panel1->isHidden(), !Fthaivk->ToolBar2->isHidden());
    };
    auto clientHeight = [this] {
        QApplication::processEvents();
        return Fthaivk->client->height();
    };
    EXPECT_EQ(state(), std::make_pair(true, true));
    Fthaivk->Switch1->trigger();
    EXPECT_EQ(state(), std::make_pair(true, false));
    EXPECT_EQ(clientHeight(), 52);
    Fthaivk->Switch1->trigger();
    EXPECT_EQ(state(), std::make_pair(false, false));
    EXPECT_EQ(Fthaivk->ClientHeight(), 0);
    EXPECT_EQ(clientHeight(), 0);
    EXPECT_LE(Fthaivk->height(), Fthaivk->menuBar()->height() + 1) << "only the menu bar shows";
    Fthaivk->Switch1->trigger();
    EXPECT_EQ(state(), std::make_pair(false, true));
    EXPECT_EQ(clientHeight(), 96);
    EXPECT_EQ(Fthaivk->ToolBar2->y(), 0) << "type B moves to the top";
    Fthaivk->Switch1->trigger();
    EXPECT_EQ(state(), std::make_pair(true, true));
    EXPECT_EQ(clientHeight(), 148);
    EXPECT_EQ(Fthaivk->ToolBar2->y(), 52);

    // Close hides the window; it comes back as it was.
    Fthaivk->Switch1->trigger();
    Hover('D');
    Fthaivk->closeform->trigger();
    EXPECT_FALSE(Fthaivk->isVisible());
    EXPECT_TRUE(fmekalon->isVisible());
    fmekalon->VirtualKbd1->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Fthaivk));
    EXPECT_EQ(state(), std::make_pair(true, false));
    EXPECT_EQ(ShownChoices(), (std::vector<int>{0xB4, 0xAE}));
    // The title bar's close box hides it too, and the program keeps it.
    Fthaivk->close();
    EXPECT_FALSE(Fthaivk->isVisible());
    EXPECT_EQ(app->Windows()[1], Fthaivk);
}

}  // namespace
