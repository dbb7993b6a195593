// The keyboard sink of a Thai control: a zero-size widget that holds the focus and hands every
// key-down (virtual key code with the shift state) and every typed character (one Windows-874
// byte) to its control, then swallows the event. It never keeps text of its own. A host makes
// one for its control (Host::CreateKeySink); other windows make their own.
#pragma once

#include <QWidget>
#include <functional>

#include "platform/types.h"

class QKeyEvent;
class QMouseEvent;

namespace platform {

class KeySink : public QWidget {
    Q_OBJECT
public:
    // `acceptReturn`: Return reaches the handlers (multi-line sink); Tab always moves the focus.
    explicit KeySink(QWidget* parent, bool acceptReturn = true);

    std::function<void(int& key, ShiftState shift)> OnKeyDown;
    std::function<void(unsigned char& key)> OnKeyPress;
    std::function<void()> OnFocusOut;

    // Whether Return reaches the handlers (see the constructor).
    void SetAcceptReturn(bool on) { acceptReturn_ = on; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    bool acceptReturn_;
};

// The virtual key code of a Qt key (0 when the system has none for it).
int KeyCodeFromQt(int qtKey, Qt::KeyboardModifiers modifiers);
ShiftState ShiftFromQt(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons = Qt::NoButton);
// The button of a Qt mouse event: right and middle as such, any other as the left button.
MouseButton ButtonFromQt(Qt::MouseButton button);
// The clicks a mouse press makes (ShiftState::clicks): a press of the same button on the same
// widget, within the desktop's double-click time and distance of the last press, counts one more;
// after three presses the count starts again.
int CountClicks(const QMouseEvent& press, const QObject* receiver);

}  // namespace platform
