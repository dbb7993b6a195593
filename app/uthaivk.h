// TFthaivk: the virtual keyboard tool window. Two on-screen Thai keyboards let the user type
// Thai with the mouse: type A shows the Latin letters and, under the letter the mouse is over,
// the Thai letters that "Thai on A..Z" offers for it; type B shows every Thai character as a key.
// A click sends the key's TIS-620 byte to the Thai control that was active last, through two
// callbacks that the active window points at its own control.
#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QWidget>
#include <array>
#include <functional>
#include <vector>

#include "platform/surface.h"
#include "platform/types.h"

class QAction;
class Tfmekalon;
namespace platform {
class KeySink;
}

// A key of an on-screen keyboard: it shows one image of its toolbar's image list and reports a
// press of any mouse button. A separator shows nothing and only takes room.
class TToolButton : public QWidget {
    Q_OBJECT
public:
    TToolButton(QWidget* parent, const char* name, int width, int height, bool separator = false);

    bool Separator() const { return separator_; }
    // Image of the toolbar's image list shown on the key (0 is blank).
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int index);
    // The key ends its toolbar row: the next key starts a new row.
    bool Wrap = false;

    // Mouse-down on the key, any button; unset for keys that send nothing.
    std::function<void(TToolButton* sender, platform::MouseButton button, platform::ShiftState shift, int x, int y)>
        OnMouseDown;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool separator_;
    int imageIndex_ = 0;
    bool down_ = false;
};

// A row-by-row toolbar of keys of one height: keys stand side by side from the left; a key
// whose Wrap is set ends its row, and a key that would pass the right edge starts a new row.
// Rows below the toolbar's own height are out of sight.
class TToolBar : public QWidget {
    Q_OBJECT
public:
    TToolBar(QWidget* parent, const char* name, int buttonHeight);

    void Add(TToolButton* button);
    const std::vector<TToolButton*>& Buttons() const { return buttons_; }
    // Places the keys by the row rule; returns the number of rows.
    int Relayout();
    int ButtonHeight() const { return buttonHeight_; }
    // The key caps; the toolbar does not own them.
    const platform::ImageList* Images = nullptr;

private:
    std::vector<TToolButton*> buttons_;
    int buttonHeight_;
};

// A letter label of type A; reports every mouse move over it.
class TStaticText : public QLabel {
    Q_OBJECT
public:
    TStaticText(QWidget* parent, char letter);
    std::function<void(TStaticText* sender, platform::ShiftState shift, int x, int y)> OnMouseMove;

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
};

class TFthaivk : public QMainWindow {
    Q_OBJECT
public:
    // A tool window of `main`, typing into its editor until another window points it elsewhere.
    explicit TFthaivk(Tfmekalon& main);

    // The key target: a typed byte, and a key-down with its shift state.
    std::function<void(unsigned char& key)> OnChar;
    std::function<void(int& key, platform::ShiftState shift)> OnKeyDown;

    // Points the key target at a Thai control (the editor or an input field): typed bytes go to
    // its KeyPress, key-downs to its KeyDown. A window does this for its own control when it
    // becomes the active one.
    template <class Control>
    void TypeInto(Control& control) {
        OnChar = [&control](unsigned char& key) { control.KeyPress(key); };
        OnKeyDown = [&control](int& key, platform::ShiftState shift) { control.KeyDown(key, shift); };
    }

    // Sends a byte to the target as a typed character.
    void SendChar(unsigned char byte);

    // ---- Components (named as the window design names them) -----------------------------
    QAction *closeform, *N1, *Switch1, *N2;
    QWidget* client;  // the client area below the menu bar
    QWidget* Panel1;  // type A
    std::array<TStaticText*, 24> StaticTexts{};  // StaticTexta .. StaticTextz without q and v
    TToolBar* ToolBar1;                          // the choice bar
    TToolButton* tb2sep;
    std::array<TToolButton*, 8> ToolButtons{};  // ToolButton1 .. ToolButton8
    TToolBar* ToolBar2;                         // type B
    platform::ImageList Images;                 // the window's own copy of the glyph images

    // The label of a letter A..Z (nullptr for Q and V), and the type B key of a name.
    TStaticText* LetterLabel(char letter) const;
    TToolButton* Key(const char* name) const;
    // Height of the client area below the menu bar.
    int ClientHeight() const { return clientHeight_; }

    // ---- Handlers ------------------------------------------------------------------------
    void FormCreate();
    void FormKeyPress(unsigned char& key);
    void FormKeyDown(int& key, platform::ShiftState shift);
    void StaticTextMouseMove(TStaticText* sender, platform::ShiftState shift, int x, int y);
    void toolbar2btnMouseDown(TToolButton* sender, platform::MouseButton button, platform::ShiftState shift, int x,
                              int y);
    void Switch1Click();
    void closeformClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildTypeA();
    void BuildTypeB();
    void SetClientHeight(int height);
    Tfmekalon& main_;
    platform::KeySink* sink_;
    int clientHeight_ = 0;
};
