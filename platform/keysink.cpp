// The keyboard sink: key codes and typed characters for a Thai control.
#include "platform/qt_keysink.h"

#include <QApplication>
#include <QGuiApplication>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QStyleHints>
#include <QTimer>

#include "platform/cp874.h"
#include "platform/services.h"

namespace platform {

int KeyCodeFromQt(int qtKey, Qt::KeyboardModifiers modifiers) {
    const bool keypad = modifiers.testFlag(Qt::KeypadModifier);
    if (keypad) {
        if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return 96 + (qtKey - Qt::Key_0);  // 97..105 for 1..9
        switch (qtKey) {
            case Qt::Key_Asterisk: return 106;
            case Qt::Key_Plus: return 107;
            case Qt::Key_Comma: return 108;  // separator
            case Qt::Key_Minus: return 109;
            case Qt::Key_Period: return 110;
            case Qt::Key_Slash: return 111;
            default: break;  // keypad navigation keys (NumLock off) are the ordinary ones
        }
    }
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return vk::KeyA + (qtKey - Qt::Key_A);
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return 48 + (qtKey - Qt::Key_0);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F11) return vk::F1 + (qtKey - Qt::Key_F1);
    switch (qtKey) {
        case Qt::Key_Backspace: return vk::Back;
        case Qt::Key_Tab:
        case Qt::Key_Backtab: return vk::Tab;
        case Qt::Key_Return:
        case Qt::Key_Enter: return vk::Return;
        case Qt::Key_Escape: return vk::Escape;
        case Qt::Key_Space: return vk::Space;
        case Qt::Key_PageUp: return vk::Prior;
        case Qt::Key_PageDown: return vk::Next;
        case Qt::Key_End: return vk::End;
        case Qt::Key_Home: return vk::Home;
        case Qt::Key_Left: return vk::Left;
        case Qt::Key_Up: return vk::Up;
        case Qt::Key_Right: return vk::Right;
        case Qt::Key_Down: return vk::Down;
        case Qt::Key_Insert: return vk::Insert;
        case Qt::Key_Delete: return vk::Delete;
        default: return 0;
    }
}

ShiftState ShiftFromQt(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
    ShiftState s;
    s.shift = modifiers.testFlag(Qt::ShiftModifier);
    s.ctrl = modifiers.testFlag(Qt::ControlModifier);
    s.alt = modifiers.testFlag(Qt::AltModifier);
    s.left = buttons.testFlag(Qt::LeftButton);
    s.right = buttons.testFlag(Qt::RightButton);
    s.middle = buttons.testFlag(Qt::MiddleButton);
    return s;
}

MouseButton ButtonFromQt(Qt::MouseButton button) {
    switch (button) {
        case Qt::RightButton: return MouseButton::Right;
        case Qt::MiddleButton: return MouseButton::Middle;
        default: return MouseButton::Left;
    }
}

int CountClicks(const QMouseEvent& press, const QObject* receiver) {
    static const QObject* lastReceiver = nullptr;
    static Qt::MouseButton lastButton = Qt::NoButton;
    static quint64 lastTime = 0;
    static QPointF lastPos;
    static int count = 0;
    const QStyleHints* hints = QGuiApplication::styleHints();
    const QPointF pos = press.globalPosition();
    const bool again = count > 0 && count < 3 && receiver == lastReceiver && press.button() == lastButton &&
                       press.timestamp() >= lastTime &&
                       press.timestamp() - lastTime < static_cast<quint64>(hints->mouseDoubleClickInterval()) &&
                       (pos - lastPos).manhattanLength() <= hints->mouseDoubleClickDistance();
    count = again ? count + 1 : 1;
    lastReceiver = receiver;
    lastButton = press.button();
    lastTime = press.timestamp();
    lastPos = pos;
    return count;
}

namespace {

// A menu bar that opened a menu from the keyboard (Alt+letter) keeps the focus, highlighted,
// once Esc has closed that menu: the next keys would choose menus instead of reaching the text
// until a second Esc. When Esc has closed the last open menu and a menu bar still holds the
// focus, it is given that second Esc, which ends its keyboard mode and hands the focus back to
// the widget that had it (the keyboard sink). Menus left with the arrow keys, a chosen item and
// a click elsewhere are left to the menu bar. Watches every window's menus, once for the
// application.
class MenuFocusReturn : public QObject {
public:
    static void Install() {
        static MenuFocusReturn* instance = nullptr;
        if (instance || !qApp) return;
        instance = new MenuFocusReturn(qApp);
        qApp->installEventFilter(instance);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && qobject_cast<QMenu*>(watched))
            escaped_ = static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape;
        if (event->type() == QEvent::Hide && escaped_ && qobject_cast<QMenu*>(watched)) {
            escaped_ = false;
            QTimer::singleShot(0, this, &MenuFocusReturn::LeaveMenuBar);
        }
        return false;
    }

private:
    using QObject::QObject;
    bool escaped_ = false;  // the last key a menu took was Esc
    static void LeaveMenuBar() {
        if (QApplication::activePopupWidget()) return;  // moved on to another menu, or a menu item opened one
        auto* bar = qobject_cast<QMenuBar*>(QApplication::focusWidget());
        if (!bar) return;
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(bar, &esc);
    }
};

}  // namespace

KeySink::KeySink(QWidget* parent, bool acceptReturn) : QWidget(parent), acceptReturn_(acceptReturn) {
    MenuFocusReturn::Install();
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    setGeometry(0, 0, 0, 0);
    setFixedSize(0, 0);
}

void KeySink::keyPressEvent(QKeyEvent* event) {
    const int qtKey = event->key();
    if (qtKey == Qt::Key_Tab || qtKey == Qt::Key_Backtab) {
        event->ignore();  // focus movement belongs to the window
        return;
    }
    if ((qtKey == Qt::Key_Return || qtKey == Qt::Key_Enter) && !acceptReturn_) {
        event->ignore();  // a single-line sink leaves Return to its window (default button)
        return;
    }
    event->accept();
    const Qt::KeyboardModifiers mods = event->modifiers();
    int key = KeyCodeFromQt(qtKey, mods);
    // A handler that fails ends the key here: the message is shown and nothing more is typed.
    bool failed = true;
    if (key != 0 && OnKeyDown) {
        RunCommand([&] {
            OnKeyDown(key, ShiftFromQt(mods));
            failed = false;
        });
        if (failed) return;
    }

    // Alt with a letter is a menu accelerator and Ctrl with a letter a command, not a character
    // (Ctrl with Alt together stays a character: some layouts type with it); Delete types nothing.
    if (mods.testFlag(Qt::AltModifier) != mods.testFlag(Qt::ControlModifier)) return;
    if (qtKey == Qt::Key_Delete) return;
    const QString text = event->text();
    for (char32_t ch : text.toUcs4()) {
        int b = TypedCharToByte(ch);
        if (b < 0) continue;
        unsigned char byte = static_cast<unsigned char>(b);
        if (OnKeyPress) RunCommand([&] { OnKeyPress(byte); });
    }
}

void KeySink::inputMethodEvent(QInputMethodEvent* event) {
    event->accept();
    for (char32_t ch : event->commitString().toUcs4()) {
        int b = TypedCharToByte(ch);
        if (b < 0) continue;
        unsigned char byte = static_cast<unsigned char>(b);
        if (OnKeyPress) RunCommand([&] { OnKeyPress(byte); });
    }
}

void KeySink::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    if (OnFocusOut) RunCommand([&] { OnFocusOut(); });
}

bool KeySink::focusNextPrevChild(bool next) { return QWidget::focusNextPrevChild(next); }

}  // namespace platform
