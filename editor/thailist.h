// TThailist: the multi-line Thai text control. The view's model (cursor in display cells, view
// origin, selection, reading and writing its document's file) lives in thailist.cpp; painting, scrolling and word wrap in
// thailist_paint.cpp; the key-down handler in thailist_keys.cpp; mouse, clipboard and drag and
// drop in thailist_mouse.cpp.
//
// The control has no area of its own: it draws on its host window (the "parent"), uses the
// host's scroll bars and takes its paint, resize and mouse events. A control without a host
// keeps its text, cursor and selection and draws nothing.
//
// The text itself, its undo history and its file live in a TextDocument (editor/document.h) that
// the control shows and edits: one it is given, or one of its own. The control watches it like
// any other watcher; Lines, History and Modified stay reachable here as the document's.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "editor/document.h"
#include "editor/history.h"
#include "editor/lines.h"
#include "platform/clipboard.h"
#include "platform/host.h"
#include "platform/lifetime.h"
#include "platform/textcodec.h"
#include "platform/types.h"
#include "script/customthai.h"

// A right-button drag of a selection under way (its text is on the clipboard). A drag may end
// over another control than the one it started in, so the controls it may cross share one state:
// the application hands the same one to each of its text controls. A control given none keeps a
// state of its own, and a drag then ends only within it.
struct DragState {
    bool Dragging = false;
};

class TThailist : public TCustomthai, public platform::HostHandler {
    // The document the control made for itself when it was given none (declared first: the
    // references below are bound to it).
    std::unique_ptr<TextDocument> ownDocument_;
    TextDocument& document_;

public:
    // A control with a document of its own.
    TThailist();
    // A control that shows and edits `document`, which must outlive it.
    explicit TThailist(TextDocument& document);
    ~TThailist() override;
    TThailist(const TThailist&) = delete;
    TThailist& operator=(const TThailist&) = delete;

    // Attaches the control to its host window and gets it ready: places the keyboard sink,
    // routes the host's events here, runs Clear and sets graphics size 1.
    void Attach(platform::Host* parent);
    platform::Host* Parent() const { return parent_; }
    // Shares `state` (which outlives the control) with the other controls a drag may cross.
    void ShareDragState(DragState& state) { drag_ = &state; }
    DragState& Drag() const { return *drag_; }
    // The surface the control draws on (the host's canvas); nullptr without a host.
    platform::Surface* Canvas() const;

    // The text the control shows and edits.
    TextDocument& Document() const { return document_; }

    // ---- Model -----------------------------------------------------------------------------
    int TopLine = 0;
    int CursorLine = 0;
    int RowCount = 0;
    int LeftCol = 0;
    int CursorCol = 0;
    int ColCount = 0;
    int AnchorLine = 0, AnchorCol = 0;
    int ExtentLine = 0, ExtentCol = 0;
    int AnchorPos = 0, ExtentPos = 0;
    bool Selecting = false;
    int MaxLineLen = 0;
    platform::Color HighLightColor = platform::clYellow;
    // The document's lines, history and Modified (see TextDocument).
    TLines& Lines;
    TextHistory& History;
    bool& Modified;
    // The keyboard sink the host made for the control (a widget: platform/qt_keysink.h).
    platform::KeySink* tcm = nullptr;
    bool HardReturn = true;
    bool Destroying = false;
    // The document's SetModified.
    void SetModified(bool modified) { document_.SetModified(modified); }

    int LineCount() const { return Lines.Count(); }
    std::string JoinedText() const { return document_.JoinedText(); }
    // Offset of line n's first byte in a joined text.
    static int LineStartPos(std::string_view text, int n);
    // Offset in the joined text of the point (line, col), clamped: col to the line's cell count;
    // a line at or past LineCount becomes (LineCount, 0). Updates line and col to the clamped point.
    int PointOffset(int& line, int& col) const;

    // The document's joined text and its byte points (TextDocument).
    using TextPoint = TextDocument::TextPoint;
    TextPoint PointAt(int offset, int hintLine) const { return document_.PointAt(offset, hintLine); }
    bool ReplaceJoined(int from, int to, std::string_view text, int hintLine) {
        return document_.ReplaceJoined(from, to, text, hintLine);
    }

    bool SelectionRange(int& start, int& length) const;
    std::string SelectedText() const;

    void Clear();
    void ResetView();
    // Loads a text file. A UTF-8 file with characters TIS-620 lacks is refused, or with
    // `askToReplace` loaded with "?" for each when the user agrees (false: declined, nothing
    // changed). Throws FileError.
    bool LoadFile(const std::string& name, bool askToReplace = false);
    // Writes the text to a file in the text's format (or in `format`, which the text takes over
    // once the file is written). Throws FileError, and nothing changes.
    void SaveFile(const std::string& name);
    void SaveFile(const std::string& name, const platform::TextFormat& format);
    void AddLine(std::string s);
    void InsertLine(int index, std::string s);

    void SetCursor(int line, int col);
    void StartSelection();
    void ExtendSelection();
    void ClearSelection();
    void DeleteSelection();

    // ---- Undo (thailist_undo.cpp) ----------------------------------------------------------
    // Starts recording every change of Lines into History (TextDocument::KeepHistory); changes made
    // outside an EditStep are recorded with this control's cursor and selection.
    void KeepHistory();
    ViewPoint View() const;
    // Takes back the last step (or does the last undone one again): text, cursor and selection
    // as they were, the cursor scrolled into view, the changed rows repainted. False when there
    // was nothing to do.
    bool Undo();
    bool Redo();
    // The text counts as unchanged: Modified false, and undo back to here clears it again.
    void MarkUnmodified() { document_.MarkUnmodified(); }
    // Everything changed while one lives is one step of the history (the outermost one counts).
    class EditStep {
    public:
        explicit EditStep(TThailist& view, bool typing = false);
        ~EditStep();
        EditStep(const EditStep&) = delete;
        EditStep& operator=(const EditStep&) = delete;

    private:
        TThailist& view_;
    };

    // ---- Painting, scrolling, word wrap ----------------------------------------------------
    void SetGraphicsize(int n);
    void SetCanvasMetrics(platform::Surface& surface, int size) override;
    void PaintRows(int firstRow, int lastRow, int firstCol, int lastCol);
    void RepaintRange(int lineA, int lineB, int cellA, int cellB);
    void HighlightRange(int lineA, int lineB, int cellA, int cellB);
    void HideCaret();
    // Draws the caret; every move of the cursor ends here, so OnCaretDrawn (when set) runs then:
    // the status bar shows the cursor's place.
    void DrawCaret();
    std::function<void()> OnCaretDrawn;
    void WordWrap();
    // Scroll ranges: after a size or graphics-size change (fromTextChange false) or after a
    // change of the text (true, one more column). Positions from TopLine and LeftCol.
    void SetScrollRanges(bool fromTextChange);
    void SetScrollPositions();
    // While a long run of changes fills the text (the word list adding its lines), the changes
    // leave the scroll bars alone: setting them repaints them, every time. Calls nest; the last
    // `false` sets the ranges and positions as a change of the text would.
    void DeferScrollRanges(bool defer);
    void HostPaint(const platform::Rect& clip) override;
    void HostResize() override;
    // The user moved a scroll bar: the view follows it, moving the pixels that stay in view.
    bool HostScrolled() override;

    // ---- Keys ------------------------------------------------------------------------------
    virtual void KeyDown(int& key, platform::ShiftState shift);
    // Typed characters: ignored by the plain list, inserted by the editor.
    virtual void KeyPress(unsigned char& key);
    // Draws the cursor cell again from the text (an offered glyph, or the blank shown while
    // "Thai on A..Z" is on, stands there until then), and the caret.
    void RepaintCursorCell() override;
    // The keyboard sink's keys: KeyDown, KeyPress; losing the focus withdraws an offer.
    void HostKeyDown(int& key, platform::ShiftState shift) override { KeyDown(key, shift); }
    void HostKeyPress(unsigned char& key) override { KeyPress(key); }
    void HostFocusOut() override { CancelOffer(); }
    // The host's window deleted it first: the control keeps its text and draws nothing.
    void HostGone() override;

    // ---- Mouse, clipboard, drag and drop ---------------------------------------------------
    void HostMouseDown(platform::MouseButton button, platform::ShiftState state, int x, int y) override;
    void HostMouseMove(platform::ShiftState state, int x, int y) override;
    void HostMouseUp(platform::MouseButton button, platform::ShiftState state, int x, int y) override;
    bool InSelection(int x, int y) const;
    bool CursorFromPoint(int x, int y);
    void CopySelection();
    void CutSelection();
    // Pastes the clipboard text (Paste; a middle click: the primary selection's) or a text from
    // another program (PasteText) in front of the cursor. Text with characters that TIS-620 lacks
    // is pasted, with "?" for them, only when the user agrees; returns whether anything was pasted.
    void Paste(platform::ClipSource source = platform::ClipSource::Clipboard);
    bool PasteText(const platform::IncomingText& text);
    // Offers the selection as the primary selection (where the platform has one).
    void OfferPrimarySelection();
    void SelectWord();
    void SelectLine();
    void SelectAll();
    void SelectCursorLine();

private:
    TThailist(std::unique_ptr<TextDocument> own, TextDocument* shown);
    // The document told of a change of its lines.
    void LinesChanged(int longestWritten);
    // The control's place in the document's list of watchers.
    TextDocument::Watch documentWatch_;
    // Undo (redo false) or Redo: the caret, an offer and the selection go, the step is taken and
    // the text, cursor and selection it brings back are shown.
    bool TakeHistoryStep(bool redo);
    // The selection's two points in (line, cell) order.
    void OrderedSelection(int& startLine, int& startCol, int& endLine, int& endCol) const;
    platform::Host* parent_ = nullptr;
    // The view origin the host's pixels show the text from (see ShowOrigin).
    int shownTop_ = 0, shownLeft_ = 0;
    int scrollRangesDeferred_ = 0;
    // Whether the caret's line may be on the host's pixels (drawn and not hidden since).
    bool caretShown_ = false;
    // Moves the host's pixels from the origin they show to TopLine and LeftCol.
    void ShowOrigin();
    // After a sideways move from or to `left`: draws again the rows that are not blank from both
    // origins, when they are at most two thirds of the view; false otherwise.
    bool RepaintRowsShowingText(int oldLeft);
    // A double or triple click selected a word or a line: moves with the button held change nothing.
    bool clickSelected_ = false;
    DragState ownDrag_;
    DragState* drag_ = &ownDrag_;
    // Tracks the host, which its window's widget tree may delete before the control (the sink
    // goes with the host).
    platform::WeakRef<platform::Host> hostGuard_;
    // Lets go of the host: its events and the keyboard sink stop, when the host is still there
    // and still hosts this control.
    void Detach();
};
