// Mouse selection, clipboard and drag and drop of TThailist.
//
// Left button: a press places the cursor, a drag selects, a double click selects the word and a
// triple click the line. Right button: a press outside the
// selection selects the word under the pointer; a press inside it copies the selection to the
// clipboard and starts a drag, and the release over any text control (this one or another
// window's) pastes the clipboard text there. Both buttons together select the cursor line. The
// middle button pastes the primary selection at the clicked cell (where the platform has one).
#include <algorithm>
#include <cstdlib>
#include <string>

#include "editor/thailist.h"
#include "editor/thailist_keymouse.h"
#include "platform/clipboard.h"
#include "script/thai.h"

namespace {

void ShowPointer(const TThailist& v, platform::PointerShape shape) {
    if (platform::Host* host = v.Parent()) host->SetPointer(shape);
}

// Selects from the anchor point to the extent point (both clamped to the text) and paints the
// highlight. Used by the commands that select a whole range at once; needs a non-empty text.
void SelectRange(TThailist& v, int anchorLine, int anchorCol, int extentLine, int extentCol) {
    v.AnchorPos = v.PointOffset(anchorLine, anchorCol);
    v.ExtentPos = v.PointOffset(extentLine, extentCol);
    v.AnchorLine = anchorLine;
    v.AnchorCol = anchorCol;
    v.ExtentLine = extentLine;
    v.ExtentCol = extentCol;
    v.Selecting = true;
    v.OfferPrimarySelection();
}

void PaintSelection(TThailist& v) {
    if (v.Selecting) v.RepaintRange(v.AnchorLine, v.ExtentLine, v.AnchorCol, v.ExtentCol);
}

}  // namespace

// ---- Mouse ---------------------------------------------------------------------------------

void TThailist::HostMouseDown(platform::MouseButton button, platform::ShiftState state, int x, int y) {
    const EditStep click(*this);  // changes nothing, but a moved cursor ends a run of typing
    // The pressed button counts as held even if the platform reports the state before the press.
    if (button == platform::MouseButton::Left) state.left = true;
    if (button == platform::MouseButton::Right) state.right = true;

    if (button == platform::MouseButton::Middle) {
        if (!platform::HasPrimarySelection()) return;
        drag_->Dragging = false;
        CancelOffer();
        HideCaret();
        ClearSelection();
        CursorFromPoint(x, y);
        Paste(platform::ClipSource::Primary);
        return;
    }

    if (state.right && !state.left && InSelection(x, y)) {
        drag_->Dragging = true;
        ShowPointer(*this, platform::PointerShape::Drag);
        CopySelection();
        return;
    }
    drag_->Dragging = false;
    ShowPointer(*this, platform::PointerShape::IBeam);
    CancelOffer();
    HideCaret();
    ClearSelection();
    CursorFromPoint(x, y);
    DrawCaret();
    clickSelected_ = false;
    if (state.right && !state.left) {
        SelectWord();
    } else if (state.right && state.left) {
        SelectCursorLine();
    } else if (button == platform::MouseButton::Left && state.clicks >= 2) {
        // The word as the right button selects it; the line with its line break as "Select Line".
        state.clicks == 2 ? SelectWord() : SelectLine();
        clickSelected_ = true;
    }
}

void TThailist::HostMouseMove(platform::ShiftState state, int x, int y) {
    ShowPointer(*this, drag_->Dragging ? platform::PointerShape::Drag : platform::PointerShape::IBeam);
    if (drag_->Dragging || state.right || !state.left || clickSelected_) return;
    if (RowHeight <= 0 || CellWidth <= 0) return;
    if (Selecting) {
        // The selection reaches the cursor's previous place and catches up on the next move.
        ExtendSelection();
        CursorFromPoint(x, y);
        DrawCaret();
        return;
    }
    // A selection starts once the pointer moves from the pressed cell to a neighbouring one.
    const int row = y / RowHeight + TopLine;
    const int col = x / CellWidth + LeftCol;
    if (std::abs(row - CursorLine) <= 1 && std::abs(col - CursorCol) <= 1) StartSelection();
}

void TThailist::HostMouseUp(platform::MouseButton button, platform::ShiftState, int x, int y) {
    const EditStep drop(*this);
    if (button == platform::MouseButton::Left) clickSelected_ = false;
    if (button != platform::MouseButton::Right || !drag_->Dragging) return;
    drag_->Dragging = false;
    ShowPointer(*this, platform::PointerShape::IBeam);
    // A drop on a selection replaces it, as typing does, unless it is the dragged text itself
    // (a drop on the dragged selection pastes nothing). Elsewhere the drop pastes at its point
    // and the selection goes. A control without a selection has nothing to protect: a drop
    // anywhere in it pastes, its top-left cell included.
    const bool hadSelection = Selecting;
    const bool onSelection = InSelection(x, y);
    const bool moved = CursorFromPoint(x, y);
    if (onSelection) {
        if (platform::ClipboardHasText() && platform::ClipboardIncomingText().bytes != SelectedText())
            Paste();
        else
            DrawCaret();
    } else if (moved || !hadSelection) {
        ClearSelection();
        Paste();
    } else {
        DrawCaret();
    }
}

bool TThailist::InSelection(int x, int y) const {
    if (!Selecting || RowHeight <= 0 || CellWidth <= 0) return false;
    int startLine = 0, startCol = 0, endLine = 0, endCol = 0;
    OrderedSelection(startLine, startCol, endLine, endCol);
    const int row = y / RowHeight + TopLine;
    const int col = x / CellWidth + LeftCol;
    return startLine <= row && row <= endLine && !(row == startLine && col < startCol) &&
           !(row == endLine && col >= endCol);
}

bool TThailist::CursorFromPoint(int x, int y) {
    HideCaret();
    if (RowHeight <= 0 || CellWidth <= 0) return false;
    CursorLine = y / RowHeight + TopLine;
    bool moved = CursorLine != AnchorLine;
    const int col = std::min(x / CellWidth, ColCount - 1) + LeftCol;
    SetCursor(CursorLine, col);
    if ((CursorCol < AnchorCol && CursorCol < ExtentCol) || (CursorCol > AnchorCol && CursorCol > ExtentCol))
        moved = true;
    return moved;
}

// ---- Clipboard -----------------------------------------------------------------------------

void TThailist::CopySelection() {
    const std::string text = SelectedText();
    if (!text.empty()) platform::SetClipboardText(text);
}

void TThailist::CutSelection() {
    const EditStep step(*this);
    CopySelection();
    DeleteSelection();
    if (BlankEmptyViewFrom(*this, 0)) DrawCaret();
}

void TThailist::Paste(platform::ClipSource source) {
    if (!platform::ClipboardHasText(source)) return;
    PasteText(platform::ClipboardIncomingText(source));
}

bool TThailist::PasteText(const platform::IncomingText& text) {
    if (!platform::AgreeToPaste(text)) return false;
    const EditStep step(*this);
    std::string clip = text.bytes;
    // A NUL would end the joined text and drop everything after the insertion point: the
    // clipboard text ends at its first NUL instead.
    if (const size_t nul = clip.find('\0'); nul != std::string::npos) clip.resize(nul);

    // Pasted text replaces the selection; the cursor then stands where the selection began.
    int start = 0, length = 0;
    if (SelectionRange(start, length)) {
        DeleteSelection();
        BlankEmptyViewFrom(*this, 0);
    }
    ClearSelection();
    const int oldCount = LineCount();
    while (CursorLine >= LineCount()) Lines.Add(std::string());
    std::string line = Lines[CursorLine];
    const int cells = thai::CellCount(line);
    if (cells < CursorCol) {
        line.append(static_cast<size_t>(CursorCol - cells), ' ');
        Lines.Set(CursorLine, line);
    }
    const int at = Lines.StartOf(CursorLine) + thai::CellToPos(line, CursorCol) - 1;
    ReplaceJoined(at, at, clip, CursorLine);

    const int row = CursorLine - TopLine;
    const int col = std::max(0, CursorCol - LeftCol);
    if (row >= 0 && row <= RowCount) {
        PaintRows(row, row, col, ColCount);
        if (LineCount() != oldCount && row < RowCount) PaintRows(row + 1, RowCount, 0, ColCount);
    }
    DrawCaret();
    return true;
}

void TThailist::OfferPrimarySelection() {
    platform::OfferPrimarySelection(this, [this] { return SelectedText(); });
}

// ---- Selection commands --------------------------------------------------------------------

void TThailist::SelectWord() {
    ClearSelection();
    if (CursorLine >= LineCount()) return;
    const std::string t = Lines[CursorLine];
    if (t.empty()) return;
    const int len = static_cast<int>(t.size());
    // 1-based; a position right of the line's end is not a separator.
    auto separator = [&](int k) {
        return k >= 1 && k <= len && thai::WordSeparators.contains(static_cast<unsigned char>(t[k - 1]));
    };
    int i = thai::CellToPos(t, CursorCol);
    if (separator(i)) return;
    HideCaret();
    while (i > 0 && !separator(i)) --i;
    CursorCol = thai::PosToCell(t, i + 1);
    StartSelection();
    while (i < len && !separator(i + 1)) ++i;
    CursorCol = thai::PosToCell(t, i) + 1;
    ExtendSelection();
    DrawCaret();
}

void TThailist::SelectLine() {
    ClearSelection();
    if (CursorLine >= LineCount()) return;
    HideCaret();
    SelectRange(*this, CursorLine + 1, 0, CursorLine, 0);
    SetCursor(CursorLine, 0);
    PaintSelection(*this);
    DrawCaret();
}

void TThailist::SelectAll() {
    if (LineCount() == 0) return;
    HideCaret();
    SelectRange(*this, LineCount(), 0, 0, 0);
    SetCursor(0, 0);
    PaintSelection(*this);
    DrawCaret();
}

void TThailist::SelectCursorLine() {
    // A selection within one line (a word, a phrase) is what the caller wants; an empty one is not.
    int start = 0, length = 0;
    if (SelectionRange(start, length) && AnchorLine == ExtentLine) return;
    ClearSelection();
    if (CursorLine >= LineCount()) return;
    HideCaret();
    SelectRange(*this, CursorLine, thai::CellCount(Lines[CursorLine]), CursorLine, 0);
    SetCursor(CursorLine, 0);
    PaintSelection(*this);
    DrawCaret();
}
