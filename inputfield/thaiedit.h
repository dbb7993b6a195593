// TThaiedit: the one-line Thai input field of the find dialog and the quick lookup window.
//
// The field holds one line of Thai text (`Text`), draws it cell by cell through TCustomthai onto
// the client area of a host window (platform::ThaiHost, the same host every Thai control runs on,
// filling the field), takes keys through the host's hidden sink `tce` in the same
// three input modes as the editor (English layout, Thai layout, "Thai on A..Z") with the mark
// rules, and reports every change made by typing, Backspace or Delete through OnChange. Below the
// input line it can show a second, display-only line (`Text2`); once that has been set the field
// is two lines high for good. The only selection is SelectedAll: the whole text highlighted, so
// that the next typed character replaces it.
//
// Client area: line 1 from y 0 to RowHeight; in two-line mode an 8-pixel band in the control's
// colour and then line 2 from y RowHeight + 8. The cursor is an underline one cell wide at
// y LowerLevel. Drawing is immediate: every operation repaints the cells it changed into the
// host's backing image, and the host copies what changed to the screen; an area the image does
// not hold (the field shown, resized, moved to a screen of another resolution) the host asks of
// the field (HostPaint).
#pragma once

#include <QImage>
#include <QWidget>
#include <functional>
#include <string>
#include <string_view>

#include "platform/clipboard.h"
#include "platform/host.h"
#include "platform/qt_keysink.h"
#include "platform/surface.h"
#include "platform/types.h"
#include "script/customthai.h"

namespace platform {
class ThaiHost;
}

class TThaiedit : public QWidget, public TCustomthai, private platform::HostHandler {
    Q_OBJECT
public:
    // Builds the field 120 x 32 pixels (ten glyph images wide, two high) with its sink and applies
    // graphics size 1, which sets the height to one row.
    explicit TThaiedit(QWidget* owner = nullptr);
    ~TThaiedit() override;
    TThaiedit(const TThaiedit&) = delete;
    TThaiedit& operator=(const TThaiedit&) = delete;

    // ---- Events ----------------------------------------------------------------------------
    // After the field changed its height (metrics, first Text2, Autosize).
    std::function<void(TThaiedit& sender)> OnResize;
    // After the text was changed by typing, Backspace or Delete (never by SetText or Clear).
    std::function<void(TThaiedit& sender)> OnChange;

    // ---- State -----------------------------------------------------------------------------
    bool Autosize = true;
    platform::Color HighLightColor = platform::clYellow;  // highlighted text and the offer
    int CursorCol = 0;    // cursor column in cells; may lie beyond the end of the text
    int VisibleCols = 0;  // whole cells that fit the client width
    int LeftCol = 0;      // first column of line 1 in view: the field scrolls to keep the cursor in view
    platform::KeySink* tce = nullptr;  // hidden keyboard sink, the host's (a widget inside the field)
    bool TwoLine = false;      // Text2 has been set once: two lines from then on
    bool SelectedAll = false;  // whole text highlighted; set by the owner, the next character replaces it

    // ---- Text ------------------------------------------------------------------------------
    const std::string& Text() const { return text_; }
    // Sets the text and puts the cursor behind its last cell; redraws line 1. No OnChange.
    void SetText(std::string_view value);
    const std::string& Text2() const { return text2_; }
    // Sets the second line; the first call switches the field to two lines (OnResize).
    void SetText2(std::string_view value);
    // Empties both lines, cursor to 0, no highlight. No OnChange.
    void Clear();

    // ---- Metrics, size, font ---------------------------------------------------------------
    void SetCanvasMetrics(platform::Surface& surface, int size) override;
    // Negative sizes are ignored; 0 draws through the control's font.
    void SetGraphicsize(int size);
    // With true the height follows the rows at once (one row, or two rows and the band).
    virtual void SetAutosize(bool value);
    // The control's font; changing it switches the field to font mode (graphics size 0), which
    // becomes size 1 for "Fixedsys" and "System".
    void SetFont(const std::string& name, int height, int style = 0);
    const std::string& FontName() const { return fontName_; }
    int FontHeight() const { return fontHeight_; }
    // The control's colour (the palette's window colour): the band between the two lines.
    platform::Color ControlColor() const;

    // ---- Input modes -----------------------------------------------------------------------
    void SetThaiOnAZ(bool on);
    // Line 1's cursor cell from the text, and the cursor.
    void RepaintCursorCell() override;

    // ---- Keys and mouse --------------------------------------------------------------------
    // Gives the keyboard focus to the sink when it can take it.
    void SetFocus();
    // Key-down handler (the sink's and the virtual keyboard's): navigation, Backspace, Delete,
    // Ctrl+V.
    void KeyDown(int& key, platform::ShiftState shift);
    // Key-press handler: "Thai on A..Z" offer, Thai layout, insertion.
    void KeyPress(unsigned char& key);
    // Inserts one byte at the cursor by the mark rule; fires OnChange for every accepted byte.
    void InsertChar(unsigned char key);
    void ShowChoice(unsigned char byte) override;
    // A mouse press of any button at client (x, y): moves the cursor on line 1. The middle button
    // then pastes the primary selection there; where the platform has none, it does nothing.
    void MouseDown(platform::MouseButton button, platform::ShiftState shift, int x, int y);
    // Pastes the clipboard text (or the primary selection's) at the cursor, or a text from another
    // program (PasteText): only its first line, as the field holds one line, and with "?" for the
    // characters TIS-620 lacks only when the user agrees. Fires OnChange; returns whether anything
    // was pasted.
    void Paste(platform::ClipSource source = platform::ClipSource::Clipboard);
    bool PasteText(const platform::IncomingText& text);

    // ---- Drawing ---------------------------------------------------------------------------
    // Repaints a clip rectangle of the client area into the backing image.
    void Paint(const platform::Rect& clip);
    // Asks for the whole field to be repainted from its state at the next paint (after a change
    // of state that draws nothing by itself, such as setting SelectedAll).
    void Invalidate();
    // Line 1 from text column firstCol to lastCol, as far as it is in view.
    void DrawLine1(int firstCol, int lastCol);
    void DrawLine2(int firstCol, int lastCol);
    void DrawCursor();  // underline in black
    void HideCursor();  // underline in white
    platform::Surface& Canvas();
    // The backing image of the client area (pending drawing flushed; device pixels).
    const QImage& BackingImage() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // A press sent to the field itself rather than to the client area over it goes on to the
    // client area, where the host hands it to MouseDown like every press.
    void mousePressEvent(QMouseEvent* event) override;

private:
    // The host's events.
    void HostPaint(const platform::Rect& clip) override { Paint(clip); }
    void HostResize() override;
    void HostMouseDown(platform::MouseButton button, platform::ShiftState shift, int x, int y) override {
        MouseDown(button, shift, x, y);
    }
    void HostMouseMove(platform::ShiftState, int, int) override {}
    void HostMouseUp(platform::MouseButton, platform::ShiftState, int, int) override {}
    void HostKeyDown(int& key, platform::ShiftState shift) override { KeyDown(key, shift); }
    void HostKeyPress(unsigned char& key) override { KeyPress(key); }

    // Sets the widget's height; the host follows the field's size.
    void SetHeight(int height);
    // Clears SelectedAll and repaints the whole field when it was set.
    void Unhighlight();
    // Gets the text ready for bytes typed or pasted at the cursor: highlighted text goes (and the
    // field is repainted), a cursor beyond the end is reached with spaces. Returns the cursor
    // cell's position, where the bytes go.
    int PrepareInsert();
    void Backspace();
    void DeleteKey();
    void PaintAll();
    // Moves LeftCol so that the cursor's column is in view; returns whether it moved.
    bool FollowCursor();
    // The same, repainting the whole field when the view moved.
    void ScrollToCursor();
    void FireChange();
    void FireResize();
    int ClientWidth() const { return width(); }
    int ClientHeight() const { return height(); }

    std::string text_;
    std::string text2_;
    std::string fontName_ = "Fixedsys";
    int fontHeight_ = 16;
    int fontStyle_ = 0;
    platform::ThaiHost* host_ = nullptr;  // a child widget covering the field
};
