// The key-down handler of TThailist: cursor movement, paging and scrolling, word movement, line
// splitting, joining and deleting, character deletion and the keyboard side of selection.
// Typed characters do not come here; they go to KeyPress, which the plain list ignores and the
// editor (TThaimemo) overrides.
#include <algorithm>
#include <string>

#include "editor/thailist.h"
#include "editor/thailist_keymouse.h"
#include "platform/cancel.h"
#include "script/thai.h"

namespace {

namespace vk = platform::vk;

// Word movement stops at the word separators and at line breaks.
bool IsWordBreak(unsigned char c) {
    return thai::WordSeparators.contains(c) || c == '\r' || c == '\n';
}

// Repaints one line of the view from a cell through cell `last`, at most to the right edge
// (partial cell included). A deletion repaints up to the cell after the line's old end: cells
// right of it were blank before and after, and that one takes back the ink a letter at the old
// end may have spilt over its own cell.
void RepaintLineFrom(TThailist& v, int line, int cell, int last) {
    const int row = line - v.TopLine;
    if (row < 0 || row > v.RowCount) return;
    v.PaintRows(row, row, std::max(0, cell - v.LeftCol), std::min(last - v.LeftCol, v.ColCount));
}

// Repaints every row from a line to the bottom of the view, whole rows.
void RepaintRowsFrom(TThailist& v, int line) {
    int row = std::max(0, line - v.TopLine);
    if (row > v.RowCount) return;
    v.PaintRows(row, v.RowCount, 0, v.ColCount);
    BlankEmptyViewFrom(v, row);
}

void SplitLine(TThailist& v) {
    if (v.CursorLine >= v.LineCount()) return;
    const int line = v.CursorLine;
    const std::string t = v.Lines[line];
    const int p = thai::CellToPos(t, v.CursorCol);
    if (p > static_cast<int>(t.size())) {
        v.Lines.Insert(line + 1, std::string());
    } else {
        std::string head = t.substr(0, static_cast<size_t>(p - 1));
        while (!head.empty() && static_cast<unsigned char>(head.back()) <= 0x20) head.pop_back();
        v.Lines.Set(line, std::move(head));
        v.Lines.Insert(line + 1, t.substr(static_cast<size_t>(p - 1)));
    }
    v.SetCursor(line + 1, 0);
    RepaintRowsFrom(v, line);
}

void DeleteCursorLine(TThailist& v) {
    if (v.CursorLine >= v.LineCount()) return;
    v.Lines.Delete(v.CursorLine);
    RepaintRowsFrom(v, v.CursorLine);
}

void InsertEmptyLine(TThailist& v) {
    if (v.CursorLine >= v.LineCount()) return;
    v.Lines.Insert(v.CursorLine, std::string());
    RepaintRowsFrom(v, v.CursorLine);
}

// Backspace: joins the line to the previous one at column 0, else removes the whole cell left
// of the cursor (its base and up to two marks). It does not delete the selection, but the change
// of the text ends it: its cells lose their highlight first (ClearSelection).
void DeleteBackward(TThailist& v) {
    const int c = v.CursorCol;
    if (c == 0) {
        if (v.CursorLine <= 0 || v.CursorLine >= v.LineCount()) return;
        v.ClearSelection();
        const std::string t = v.Lines[v.CursorLine];
        v.Lines.Delete(v.CursorLine);
        const int prev = v.CursorLine - 1;
        v.SetCursor(prev, thai::CellCount(v.Lines[prev]));
        v.Lines.Set(prev, v.Lines[prev] + t);
        RepaintRowsFrom(v, prev);
        return;
    }
    if (c == v.LeftCol)
        v.SetCursor(v.CursorLine, c - 1);
    else
        v.CursorCol = c - 1;
    if (v.CursorLine >= v.LineCount()) return;
    std::string t = v.Lines[v.CursorLine];
    const int cells = thai::CellCount(t);
    if (c - 1 > cells) return;
    v.ClearSelection();
    thai::EraseCell(t, c - 1);
    v.Lines.Set(v.CursorLine, std::move(t));
    RepaintLineFrom(v, v.CursorLine, v.CursorCol, cells);
}

// Delete: removes the selection, or takes the cursor cell apart from its end, one byte a time.
void DeleteForward(TThailist& v) {
    int start = 0, length = 0;
    if (v.SelectionRange(start, length)) {
        v.DeleteSelection();
        if (BlankEmptyViewFrom(v, 0)) v.DrawCaret();
        return;
    }
    if (v.CursorLine >= v.LineCount()) return;
    std::string t = v.Lines[v.CursorLine];
    const int cells = thai::CellCount(t);
    if (v.CursorCol >= cells) return;
    const bool cellStays = thai::EraseLastOfCell(t, v.CursorCol);
    v.Lines.Set(v.CursorLine, std::move(t));
    if (cellStays) {
        const int row = v.CursorLine - v.TopLine;
        const int col = v.CursorCol - v.LeftCol;
        if (row >= 0 && row <= v.RowCount && col >= 0 && col <= v.ColCount) v.PaintRows(row, row, col, col);
    } else {
        RepaintLineFrom(v, v.CursorLine, v.CursorCol, cells);
    }
}

void PageUp(TThailist& v) {
    if (v.TopLine == 0 || v.RowCount == 1) return;
    v.TopLine = std::max(0, v.TopLine - v.RowCount);
    v.SetCursor(v.CursorLine - v.RowCount, v.CursorCol);
}

void PageDown(TThailist& v) {
    if (v.TopLine >= v.LineCount() || v.RowCount == 1) return;
    if (v.LineCount() <= v.TopLine + v.RowCount - 1) return;
    v.TopLine += v.RowCount;
    v.SetCursor(v.CursorLine + v.RowCount, v.CursorCol);
}

void ScrollUp(TThailist& v) {
    if (v.TopLine <= 0) return;
    v.TopLine -= 1;
    v.SetCursor(v.CursorLine - 1, v.CursorCol);
}

void ScrollDown(TThailist& v) {
    if (v.TopLine >= v.LineCount()) return;
    v.TopLine += 1;
    v.SetCursor(v.CursorLine + 1, v.CursorCol);
}

// Word movement walks the joined text byte by byte, one line at a time: a point is a line and a
// byte column, where the column of a line's CR is its length and that of its LF the length + 1;
// (LineCount, 0) is the end of the text.
class JoinedWalk {
public:
    explicit JoinedWalk(const TThailist& v) : v_(v) {}
    bool AtEnd(const TThailist::TextPoint& p) const { return p.line >= v_.LineCount(); }
    bool AtStart(const TThailist::TextPoint& p) const { return p.line == 0 && p.col == 0; }
    bool Break(const TThailist::TextPoint& p) const {
        const std::string& t = v_.Lines[p.line];
        return static_cast<size_t>(p.col) >= t.size() || IsWordBreak(static_cast<unsigned char>(t[static_cast<size_t>(p.col)]));
    }
    void Next(TThailist::TextPoint& p) const {
        if (static_cast<size_t>(p.col) <= v_.Lines[p.line].size()) {
            ++p.col;
        } else {
            ++p.line;
            p.col = 0;
        }
    }
    void Prev(TThailist::TextPoint& p) const {
        if (p.col > 0) {
            --p.col;
        } else {
            --p.line;
            p.col = static_cast<int>(v_.Lines[p.line].size()) + 1;
        }
    }

private:
    const TThailist& v_;
};

// The cursor's byte (the line's CR for a cursor right of its end), or the end of the text for a
// cursor below the last line.
TThailist::TextPoint CursorPoint(const TThailist& v) {
    if (v.CursorLine >= v.LineCount()) return {v.LineCount(), 0};
    return {v.CursorLine, thai::CellToPos(v.Lines[v.CursorLine], v.CursorCol) - 1};
}

// Puts the cursor on the cell that holds the byte at p (the start of the line after the last at
// the end of the text).
void CursorToPoint(TThailist& v, const TThailist::TextPoint& p) {
    if (p.line >= v.LineCount()) {
        v.SetCursor(v.LineCount(), 0);
        return;
    }
    v.SetCursor(p.line, thai::PosToCell(v.Lines[p.line], p.col + 1));
}

// From the cursor's byte: past the rest of its word, then past the separators and line breaks
// that follow; the end of the text at the latest.
void NextWord(TThailist& v) {
    if (v.CursorLine >= v.LineCount()) return;
    const JoinedWalk walk(v);
    TThailist::TextPoint i = CursorPoint(v);
    while (!walk.AtEnd(i) && !walk.Break(i)) walk.Next(i);
    while (!walk.AtEnd(i) && walk.Break(i)) walk.Next(i);
    CursorToPoint(v, i);
}

// From the byte before the cursor: back over separators, then back over the word; the cursor
// goes to the word's first byte. The text's first byte is never tested.
void PrevWord(TThailist& v) {
    if (v.LineCount() == 0) return;
    const JoinedWalk walk(v);
    TThailist::TextPoint i = CursorPoint(v);
    if (!walk.AtStart(i)) {
        walk.Prev(i);
        while (!walk.AtStart(i) && walk.Break(i)) walk.Prev(i);
        while (!walk.AtStart(i) && !walk.Break(i)) walk.Prev(i);
        if (!walk.AtStart(i)) walk.Next(i);
    }
    CursorToPoint(v, i);
}

void PlainAction(TThailist& v, int key) {
    switch (key) {
    case vk::Back: DeleteBackward(v); break;
    case vk::Return:
        if (v.HardReturn)
            SplitLine(v);
        else
            v.SetCursor(v.CursorLine + 1, 0);
        break;
    case vk::Prior: PageUp(v); break;
    case vk::Next: PageDown(v); break;
    case vk::End:
        if (v.CursorLine < v.LineCount())
            v.SetCursor(v.CursorLine, thai::CellCount(v.Lines[v.CursorLine]));
        else
            v.SetCursor(v.CursorLine, 0);
        break;
    case vk::Home: v.SetCursor(v.CursorLine, 0); break;
    case vk::Left: v.SetCursor(v.CursorLine, v.CursorCol - 1); break;
    case vk::Up: v.SetCursor(v.CursorLine - 1, v.CursorCol); break;
    case vk::Right: v.SetCursor(v.CursorLine, v.CursorCol + 1); break;
    case vk::Down: v.SetCursor(v.CursorLine + 1, v.CursorCol); break;
    case vk::Delete: DeleteForward(v); break;
    default: break;
    }
}

void CtrlAction(TThailist& v, int key) {
    switch (key) {
    case vk::Return: SplitLine(v); break;
    case vk::Delete:
    case vk::KeyY: DeleteCursorLine(v); break;
    case vk::KeyN: InsertEmptyLine(v); break;
    case vk::End: v.SetCursor(v.LineCount(), 0); break;
    case vk::Home: v.SetCursor(0, 0); break;
    case vk::Left: PrevWord(v); break;
    case vk::Right: NextWord(v); break;
    case vk::Up: ScrollUp(v); break;
    case vk::Down: ScrollDown(v); break;
    default: break;
    }
}

}  // namespace

void TThailist::KeyDown(int& key, platform::ShiftState shift) {
    if (shift.ctrl && !shift.alt && key == vk::KeyZ) {
        shift.shift ? Redo() : Undo();
        return;
    }
    const EditStep step(*this);
    // Space, the letter keys and 97..122 (keypad, F1..F11) may answer a pending offer.
    const bool mayAnswerOffer = key == vk::Space || (key >= 65 && key <= 90) || (key >= 97 && key <= 122);
    if (!mayAnswerOffer) CancelOffer();
    const int top = TopLine, left = LeftCol;
    SetCursor(CursorLine, CursorCol);  // back into view if the user scrolled it away
    if (shift.alt) return;
    if (key == vk::Escape) {
        platform::CancelRunningJobs();  // a word-list search, a print job
        return;
    }
    // The key of a character going down moves nothing and changes nothing here (the character
    // comes to KeyPress): a caret drawn in a view that stayed where it was is left as it is.
    const bool movesOrEdits = key == vk::Back || key == vk::Return || key == vk::Delete ||
                              (key >= vk::Prior && key <= vk::Down);
    if (!shift.ctrl && !shift.shift && !movesOrEdits && caretShown_ && TopLine == top && LeftCol == left) return;
    HideCaret();
    if (shift.ctrl &&
        (key == vk::Back || key == vk::Return || key == vk::Delete || key == vk::KeyN || key == vk::KeyY))
        ClearSelection();
    if (key == vk::Return || (key >= vk::Prior && key <= vk::Down)) {
        if (shift.shift)
            StartSelection();
        else
            ClearSelection();
    }
    if (shift.ctrl)
        CtrlAction(*this, key);
    else
        PlainAction(*this, key);
    if (shift.shift) ExtendSelection();
    DrawCaret();
}

void TThailist::KeyPress(unsigned char&) {}

void TThailist::RepaintCursorCell() {
    const int row = CursorLine - TopLine;
    const int col = CursorCol - LeftCol;
    platform::Surface* canvas = Canvas();
    if (!canvas || row < 0 || row > RowCount || col < 0 || col > ColCount) return;
    if (LineCount() == 0) {
        // An empty text paints no rows: the cell is blanked directly.
        canvas->SetFillColor(platform::clWhite);
        canvas->FillRect({col * CellWidth, row * RowHeight, (col + 1) * CellWidth, (row + 1) * RowHeight});
    } else {
        PaintRows(row, row, col, col);
    }
    DrawCaret();  // the repainted cell no longer shows the caret line
}
