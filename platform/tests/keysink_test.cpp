// The keyboard sink: key codes, typed bytes, input-method text and focus.
#include <gtest/gtest.h>

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <vector>

#include "platform/qt_keysink.h"

namespace platform {
namespace {

// A window that notes the keys its children leave to it.
class Window : public QWidget {
public:
    std::vector<int> keys;

protected:
    void keyPressEvent(QKeyEvent* e) override { keys.push_back(e->key()); }
};

class KeySinkTest : public ::testing::Test {
protected:
    void Build(bool acceptReturn) {
        sink = new KeySink(&window, acceptReturn);
        edit = new QLineEdit(&window);
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(edit);
        window.setTabOrder(sink, edit);
        sink->OnKeyDown = [this](int& key, ShiftState s) {
            downs.push_back(key);
            shifts.push_back(s);
        };
        sink->OnKeyPress = [this](unsigned char& b) { bytes.push_back(b); };
        sink->OnFocusOut = [this] { ++focusOuts; };
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        sink->setFocus();
        QApplication::processEvents();
        ASSERT_TRUE(sink->hasFocus());
    }
    void Clear() {
        downs.clear();
        shifts.clear();
        bytes.clear();
    }
    Window window;
    KeySink* sink = nullptr;
    QLineEdit* edit = nullptr;
    std::vector<int> downs;
    std::vector<ShiftState> shifts;
    std::vector<unsigned char> bytes;
    int focusOuts = 0;
};

TEST_F(KeySinkTest, NavigationAndEditingKeyCodes) {
    Build(true);
    EXPECT_EQ(sink->width(), 0);
    EXPECT_EQ(sink->height(), 0);
    const std::pair<Qt::Key, int> keys[] = {
        {Qt::Key_Left, 37},   {Qt::Key_Up, 38},      {Qt::Key_Right, 39},  {Qt::Key_Down, 40},
        {Qt::Key_PageUp, 33}, {Qt::Key_PageDown, 34}, {Qt::Key_End, 35},   {Qt::Key_Home, 36},
        {Qt::Key_Insert, 45}, {Qt::Key_Delete, 46},  {Qt::Key_Escape, 27}, {Qt::Key_Backspace, 8}};
    for (auto [qt, code] : keys) {
        Clear();
        QTest::keyClick(sink, qt);
        ASSERT_EQ(downs.size(), 1u) << qt;
        EXPECT_EQ(downs[0], code) << qt;
        EXPECT_FALSE(shifts[0].shift);
    }
    // Delete types nothing; Esc and Backspace pass their control bytes on.
    Clear();
    QTest::keyClick(sink, Qt::Key_Delete);
    EXPECT_TRUE(bytes.empty());
    Clear();
    QTest::keyClick(sink, Qt::Key_Escape);
    EXPECT_EQ(bytes, std::vector<unsigned char>{27});
    Clear();
    QTest::keyClick(sink, Qt::Key_Right, Qt::ShiftModifier | Qt::ControlModifier);
    ASSERT_EQ(downs, std::vector<int>{39});
    EXPECT_TRUE(shifts[0].shift);
    EXPECT_TRUE(shifts[0].ctrl);
    EXPECT_FALSE(shifts[0].alt);
}

TEST_F(KeySinkTest, LettersDigitsSpaceAndReturn) {
    Build(true);
    // Qt's test helper types lower case whatever the modifiers; a real Shift+A carries "A".
    QKeyEvent shiftA(QEvent::KeyPress, Qt::Key_A, Qt::ShiftModifier, QStringLiteral("A"));
    QApplication::sendEvent(sink, &shiftA);
    EXPECT_EQ(downs, std::vector<int>{65});
    EXPECT_TRUE(shifts[0].shift);
    EXPECT_EQ(bytes, std::vector<unsigned char>{'A'});
    Clear();
    QTest::keyClick(sink, Qt::Key_Z);
    EXPECT_EQ(downs, std::vector<int>{90});
    EXPECT_EQ(bytes, std::vector<unsigned char>{'z'});
    Clear();
    QTest::keyClick(sink, Qt::Key_7);
    EXPECT_EQ(downs, std::vector<int>{55});
    EXPECT_EQ(bytes, std::vector<unsigned char>{'7'});
    Clear();
    QTest::keyClick(sink, Qt::Key_Space);
    EXPECT_EQ(downs, std::vector<int>{32});
    EXPECT_EQ(bytes, std::vector<unsigned char>{' '});
    Clear();
    QTest::keyClick(sink, Qt::Key_Return);
    QTest::keyClick(sink, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(downs, (std::vector<int>{13, 13}));
    EXPECT_EQ(bytes, (std::vector<unsigned char>{13, 13}));
    EXPECT_TRUE(window.keys.empty()) << "the sink swallows what it handles";
    // A letter's code does not depend on the text the layout produced for it.
    Clear();
    QKeyEvent thaiLayout(QEvent::KeyPress, Qt::Key_D, Qt::NoModifier, QString::fromUtf8("\u0E01"));
    QApplication::sendEvent(sink, &thaiLayout);
    EXPECT_EQ(downs, std::vector<int>{68});
    EXPECT_EQ(bytes, std::vector<unsigned char>{0xA1});
    // Alt with a letter is no character.
    Clear();
    QTest::keyClick(sink, Qt::Key_X, Qt::AltModifier);
    EXPECT_EQ(downs, std::vector<int>{88});
    EXPECT_TRUE(shifts[0].alt);
    EXPECT_TRUE(bytes.empty());
    // Nor is Ctrl with a letter, even where the key event carries the letter as text: Ctrl+Y
    // deletes a line and must not also type a "y".
    Clear();
    QKeyEvent ctrlY(QEvent::KeyPress, Qt::Key_Y, Qt::ControlModifier, QStringLiteral("y"));
    QApplication::sendEvent(sink, &ctrlY);
    EXPECT_EQ(downs, std::vector<int>{89});
    EXPECT_TRUE(shifts[0].ctrl);
    EXPECT_TRUE(bytes.empty());
    // Ctrl and Alt together (AltGr on some layouts) still type.
    Clear();
    QKeyEvent altGr(QEvent::KeyPress, Qt::Key_E, Qt::ControlModifier | Qt::AltModifier, QStringLiteral("e"));
    QApplication::sendEvent(sink, &altGr);
    EXPECT_EQ(bytes, std::vector<unsigned char>{'e'});
}

TEST_F(KeySinkTest, KeypadAndFunctionKeys) {
    Build(true);
    QTest::keyClick(sink, Qt::Key_1, Qt::KeypadModifier);
    QTest::keyClick(sink, Qt::Key_9, Qt::KeypadModifier);
    QTest::keyClick(sink, Qt::Key_Asterisk, Qt::KeypadModifier);
    QTest::keyClick(sink, Qt::Key_Plus, Qt::KeypadModifier);
    QTest::keyClick(sink, Qt::Key_Minus, Qt::KeypadModifier);
    QTest::keyClick(sink, Qt::Key_Period, Qt::KeypadModifier);
    QTest::keyClick(sink, Qt::Key_Slash, Qt::KeypadModifier);
    EXPECT_EQ(downs, (std::vector<int>{97, 105, 106, 107, 109, 110, 111}));
    // The keypad's characters are typed as usual.
    EXPECT_EQ(bytes, (std::vector<unsigned char>{'1', '9', '*', '+', '-', '.', '/'}));
    Clear();
    // Keypad arrows (NumLock off) are the arrows.
    QTest::keyClick(sink, Qt::Key_Home, Qt::KeypadModifier);
    EXPECT_EQ(downs, std::vector<int>{36});
    Clear();
    QTest::keyClick(sink, Qt::Key_F1);
    QTest::keyClick(sink, Qt::Key_F3);
    QTest::keyClick(sink, Qt::Key_F11);
    QTest::keyClick(sink, Qt::Key_F12);  // no code: not reported
    EXPECT_EQ(downs, (std::vector<int>{112, 114, 122}));
    EXPECT_TRUE(bytes.empty());
    // Main-keyboard punctuation has no key code of its own but still types.
    Clear();
    QTest::keyClick(sink, Qt::Key_Minus);
    EXPECT_TRUE(downs.empty());
    EXPECT_EQ(bytes, std::vector<unsigned char>{'-'});
}

TEST_F(KeySinkTest, ThaiTextArrivesAsCodePageBytes) {
    Build(true);
    QKeyEvent e(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromUtf8("ก่"));
    QApplication::sendEvent(sink, &e);
    EXPECT_TRUE(downs.empty());
    EXPECT_EQ(bytes, (std::vector<unsigned char>{0xA1, 0xE8}));
    // Characters outside the system are dropped; the rest arrive.
    Clear();
    QKeyEvent mixed(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromUtf8("é€ข"));
    QApplication::sendEvent(sink, &mixed);
    EXPECT_EQ(bytes, std::vector<unsigned char>{0xA2});

    Clear();
    QInputMethodEvent im;
    im.setCommitString(QString::fromUtf8("ก่a€๙"));
    QApplication::sendEvent(sink, &im);
    EXPECT_EQ(bytes, (std::vector<unsigned char>{0xA1, 0xE8, 'a', 0xF9}));
    EXPECT_TRUE(sink->testAttribute(Qt::WA_InputMethodEnabled));
}

TEST_F(KeySinkTest, TabMovesTheFocusAndFocusOutIsReported) {
    Build(true);
    QTest::keyClick(sink, Qt::Key_Tab);
    QApplication::processEvents();
    EXPECT_TRUE(downs.empty());
    EXPECT_TRUE(bytes.empty());
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(focusOuts, 1);
    EXPECT_TRUE(edit->text().isEmpty());
}

TEST_F(KeySinkTest, SingleLineSinkLeavesReturnToItsWindow) {
    Build(false);
    QTest::keyClick(sink, Qt::Key_Return);
    EXPECT_TRUE(downs.empty());
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(window.keys, std::vector<int>{Qt::Key_Return});
    QTest::keyClick(sink, Qt::Key_B);
    EXPECT_EQ(downs, std::vector<int>{66});
    EXPECT_EQ(window.keys.size(), 1u);
}

TEST(KeyCodeTest, TableWithoutWidgets) {
    EXPECT_EQ(KeyCodeFromQt(Qt::Key_0, Qt::KeypadModifier), 96);
    EXPECT_EQ(KeyCodeFromQt(Qt::Key_Comma, Qt::KeypadModifier), 108);
    EXPECT_EQ(KeyCodeFromQt(Qt::Key_Comma, Qt::NoModifier), 0);
    EXPECT_EQ(KeyCodeFromQt(Qt::Key_F11, Qt::NoModifier), 122);
    EXPECT_EQ(KeyCodeFromQt(Qt::Key_F12, Qt::NoModifier), 0);
    EXPECT_EQ(KeyCodeFromQt(Qt::Key_Shift, Qt::ShiftModifier), 0);
    ShiftState s = ShiftFromQt(Qt::AltModifier, Qt::RightButton | Qt::MiddleButton);
    EXPECT_TRUE(s.alt);
    EXPECT_TRUE(s.right);
    EXPECT_TRUE(s.middle);
    EXPECT_FALSE(s.left);
    EXPECT_FALSE(s.shift);
    EXPECT_EQ(ButtonFromQt(Qt::MiddleButton), MouseButton::Middle);
    EXPECT_EQ(ButtonFromQt(Qt::BackButton), MouseButton::Left);  // any other button acts as the left
}

}  // namespace
}  // namespace platform
