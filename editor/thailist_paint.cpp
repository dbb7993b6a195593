// Painting, scrolling and word wrap of TThailist.
//
// The control draws at once onto its host's backing image and repaints only the cells an
// operation changed; the host's paint requests cover exposed or invalidated areas. Without a host
// every operation here leaves the view alone (the model still works).
#include <algorithm>
#include <vector>

#include "editor/thailist.h"
#include "script/thai.h"

namespace {

using platform::Rect;

struct CellPoint {
    int line;
    int cell;
};

bool Before(const CellPoint& a, const CellPoint& b) {
    return a.line < b.line || (a.line == b.line && a.cell < b.cell);
}

}  // namespace

void TThailist::SetGraphicsize(int n) {
    if (platform::Surface* surface = Canvas()) SetCanvasMetrics(*surface, n);
}

void TThailist::SetCanvasMetrics(platform::Surface& surface, int size) {
    if (size < 0) return;
    if (!parent_) {
        TCustomthai::SetCanvasMetrics(surface, size);
        return;
    }
    CancelOffer();
    surface.SetFillColor(platform::clWhite);
    surface.FillRect({0, 0, parent_->ClientWidth(), parent_->ClientHeight()});
    TCustomthai::SetCanvasMetrics(surface, size);
    surface.SetFontColor(platform::clBlack);
    parent_->SetScrollStep(platform::ScrollBar::Horizontal, CellWidth);
    parent_->SetScrollStep(platform::ScrollBar::Vertical, RowHeight);
    RowCount = parent_->ClientHeight() / RowHeight;
    ColCount = parent_->ClientWidth() / CellWidth;
    SetScrollRanges(false);
    SetScrollPositions();
    PaintRows(0, RowCount, 0, ColCount);
    DrawCaret();
}

void TThailist::SetScrollRanges(bool fromTextChange) {
    if (!parent_) return;
    const int extra = fromTextChange ? 1 : 0;
    parent_->SetScrollRange(platform::ScrollBar::Horizontal, (MaxLineLen + ColCount + extra) * CellWidth);
    parent_->SetScrollRange(platform::ScrollBar::Vertical, (LineCount() + RowCount + 1) * RowHeight);
}

void TThailist::SetScrollPositions() {
    if (!parent_) return;
    parent_->SetScrollPos(platform::ScrollBar::Horizontal, LeftCol * CellWidth);
    parent_->SetScrollPos(platform::ScrollBar::Vertical, TopLine * RowHeight);
    ShowOrigin();
}

// The host's pixels show the text from (shownTop_, shownLeft_). When the origin has moved (typing
// or moving past an edge, paging, scrolling by key or by a bar) they move with the text: the rows
// and columns that stay in view keep their pixels and only those that come into view are painted
// (by the host's paint request). Everything drawn from then on is drawn at the new origin.
void TThailist::ShowOrigin() {
    if (!parent_ || (TopLine == shownTop_ && LeftCol == shownLeft_)) return;
    const int dx = (shownLeft_ - LeftCol) * CellWidth, dy = (shownTop_ - TopLine) * RowHeight;
    const int oldLeft = shownLeft_;
    shownTop_ = TopLine;
    shownLeft_ = LeftCol;
    if (dy == 0 && RepaintRowsShowingText(oldLeft)) return;
    parent_->Scroll(dx, dy);
}

// A sideways move changes only the rows that show some of their text, the selection or the caret
// from one of the two origins, and of a row that shows only text, only the columns up to its end
// seen from the origin further left (and one more, which a letter's ink may reach): the rest is
// blank before and after. Where those cells are not most of the view, as at the end of a long
// line typed past the other lines, or in a wide view over short lines, only they change and the
// rest of the view is left as it is. A row of text alone keeps its pixels, moved with the text,
// and only the columns the move uncovers are drawn (with the one beside them, which shares ink
// with them); a row the caret is drawn on is drawn again whole.
bool TThailist::RepaintRowsShowingText(int oldLeft) {
    const int left = std::min(oldLeft, LeftCol), shift = LeftCol - oldLeft;
    int startLine = 0, startCol = 0, endLine = -1, endCol = 0;
    if (Selecting) OrderedSelection(startLine, startCol, endLine, endCol);
    auto wholeRow = [&](int line) {
        return line == CursorLine || (line < LineCount() && line >= startLine && line <= endLine);
    };
    // The caret, a letter on offer and the blank of "Thai on A..Z" are drawn over the cursor's cell,
    // not with it: a row that shows one is drawn again whole. The selection is drawn with the cells.
    auto overlaid = [&](int line) { return line == CursorLine && (caretShown_ || ThaiOnAZ || PendingLetter != 0); };
    // The last column to draw again in a row, or -1 for none.
    auto lastColumn = [&](int row) {
        const int line = TopLine + row;
        if (wholeRow(line)) return ColCount;
        if (line >= LineCount()) return -1;
        const int cells = thai::CellCount(Lines[line]);
        return cells > left ? std::min(cells - left, ColCount) : -1;
    };
    std::vector<int> last(static_cast<size_t>(RowCount + 1));
    long long cells = 0;
    for (int row = 0; row <= RowCount; ++row) {
        last[static_cast<size_t>(row)] = lastColumn(row);
        cells += last[static_cast<size_t>(row)] + 1;
    }
    // Moving the whole view costs about what drawing two thirds of its cells does.
    if (3 * cells > 2LL * (RowCount + 1) * (ColCount + 1)) return false;
    const int moved = std::abs(shift);
    for (int row = 0; row <= RowCount; ++row) {
        const int lastCol = last[static_cast<size_t>(row)];
        if (lastCol < 0) continue;
        // The columns that hold the moved pixels, and those drawn around them.
        const bool keepsPixels = !overlaid(TopLine + row) && moved <= lastCol;
        const platform::Rect block{shift > 0 ? moved * CellWidth : 0, row * RowHeight,
                                   (shift > 0 ? lastCol + 1 : lastCol + 1 - moved) * CellWidth, (row + 1) * RowHeight};
        if (keepsPixels && parent_->MovePixels(block, -shift * CellWidth, 0)) {
            if (shift > 0)
                PaintRows(row, row, lastCol - moved, lastCol);
            else
                PaintRows(row, row, 0, moved);
        } else {
            PaintRows(row, row, 0, lastCol);
        }
    }
    return true;
}

void TThailist::HostResize() {
    if (Destroying || !parent_ || RowHeight <= 0 || CellWidth <= 0) return;
    RowCount = parent_->ClientHeight() / RowHeight;
    ColCount = parent_->ClientWidth() / CellWidth;
    SetScrollRanges(false);
}

bool TThailist::HostScrolled() {
    if (!parent_ || RowHeight <= 0 || CellWidth <= 0) return false;
    // A bar left between rows or cells snaps back to the row or cell before it.
    auto snap = [this](platform::ScrollBar bar, int unit) {
        const int pos = parent_->ScrollPos(bar);
        if (pos % unit != 0) parent_->SetScrollPos(bar, pos / unit * unit);
        return pos / unit;
    };
    TopLine = snap(platform::ScrollBar::Vertical, RowHeight);
    LeftCol = snap(platform::ScrollBar::Horizontal, CellWidth);
    // The caret moves with its cell's pixels, or is drawn again on the rows drawn again.
    ShowOrigin();
    DrawCaret();
    return true;
}

void TThailist::HostPaint(const Rect& clip) {
    if (!parent_ || RowHeight <= 0 || CellWidth <= 0) return;
    // A scroll bar left between rows or cells snaps back to the row or cell before it, and the
    // window is painted again from there.
    auto snapped = [this](platform::ScrollBar bar, int unit, int& first) {
        const int pos = parent_->ScrollPos(bar);
        if (pos % unit == 0) return false;
        first = pos / unit;
        parent_->SetScrollPos(bar, first * unit);
        parent_->Invalidate();
        return true;
    };
    if (snapped(platform::ScrollBar::Vertical, RowHeight, TopLine) ||
        snapped(platform::ScrollBar::Horizontal, CellWidth, LeftCol))
        return;
    // The bars are the authority. An origin they moved behind the view's back is taken over; the
    // pixels outside the clip still show the old one, so the whole area is asked for again.
    const int top = parent_->ScrollPos(platform::ScrollBar::Vertical) / RowHeight;
    const int left = parent_->ScrollPos(platform::ScrollBar::Horizontal) / CellWidth;
    const bool moved = top != shownTop_ || left != shownLeft_;
    TopLine = shownTop_ = top;
    LeftCol = shownLeft_ = left;
    HideCaret();
    // The clip's right and bottom edges are exclusive.
    PaintRows(clip.top / RowHeight, (clip.bottom - 1) / RowHeight, clip.left / CellWidth, (clip.right - 1) / CellWidth);
    DrawCaret();
    if (moved) parent_->Invalidate();
}

void TThailist::PaintRows(int firstRow, int lastRow, int firstCol, int lastCol) {
    platform::Surface* surface = Canvas();
    if (!surface || RowHeight <= 0 || CellWidth <= 0) return;
    firstRow = std::max(firstRow, 0);
    firstCol = std::max(firstCol, 0);
    // Nothing lies right of or below the image; a caller may ask for one cell beyond it.
    lastRow = std::min(lastRow, surface->Height() / RowHeight + 1);
    lastCol = std::min(lastCol, surface->Width() / CellWidth + 1);
    if (lastRow < firstRow || lastCol < firstCol) return;
    ShowOrigin();
    // Rows the host will ask for anyway (they came into view, or the whole view is due) are
    // painted then, once.
    const Rect block{firstCol * CellWidth, firstRow * RowHeight, (lastCol + 1) * CellWidth, (lastRow + 1) * RowHeight};
    if (parent_ && parent_->Pending(block)) return;
    // The cells drawn again take the caret's line with them (the caret is drawn over its cell).
    const int cursorRow = CursorLine - TopLine, cursorCol = CursorCol - LeftCol;
    if (surface->ClipRect().Empty() && cursorRow >= firstRow && cursorRow <= lastRow && cursorCol >= firstCol &&
        cursorCol <= lastCol)
        caretShown_ = false;
    // Every pixel of the block is drawn again: it is the damage, whatever the cells draw inside.
    struct BlockDamage {
        platform::Surface& surface;
        ~BlockDamage() { surface.SetDamageArea({}); }
    } blockDamage{*surface};
    surface->SetDamageArea(block);
    if (LineCount() == 0) {
        // An empty text shows an empty view, also where the last lines were just deleted.
        const platform::Color keep = surface->FillColor();
        surface->SetFillColor(platform::clWhite);
        surface->FillRect({firstCol * CellWidth, firstRow * RowHeight, (lastCol + 1) * CellWidth,
                           (lastRow + 1) * RowHeight});
        surface->SetFillColor(keep);
        return;
    }

    CellPoint selStart{0, 0}, selEnd{0, 0};
    if (Selecting) {
        selStart = {AnchorLine, AnchorCol};
        selEnd = {ExtentLine, ExtentCol};
        if (Before(selEnd, selStart)) std::swap(selStart, selEnd);
    }

    platform::Color current = surface->FillColor();
    auto useColor = [&](platform::Color c) {
        if (c == current) return;
        current = c;
        surface->SetFillColor(c);
    };
    current = platform::clWhite;
    surface->SetFillColor(current);

    static const std::string empty;
    for (int row = firstRow; row <= lastRow; ++row) {
        const int line = TopLine + row;
        if (Selecting && line >= LineCount()) continue;
        const std::string& text = line < LineCount() ? Lines[line] : empty;
        int i = thai::CellToPos(text, firstCol + LeftCol);
        DrawX = firstCol * CellWidth;
        DrawY = row * RowHeight;
        const bool lineSelected = Selecting && line >= selStart.line && line <= selEnd.line;
        auto highlighted = [&](int col) {
            const int cell = col + LeftCol;
            return lineSelected && (line != selStart.line || cell >= selStart.cell) &&
                   (line != selEnd.line || cell < selEnd.cell);
        };
        // The cells go in runs of one background: the selection's edges split a row in three.
        for (int col = firstCol; col <= lastCol;) {
            const bool on = highlighted(col);
            int end = col + 1;
            while (end <= lastCol && highlighted(end) == on) ++end;
            useColor(on ? HighLightColor : platform::clWhite);
            DrawCells(*surface, text, i, end - col);
            col = end;
        }
    }
    useColor(platform::clWhite);
}

void TThailist::RepaintRange(int lineA, int lineB, int cellA, int cellB) {
    if (!Canvas()) return;
    CellPoint from{lineA, cellA}, to{lineB, cellB};
    if (Before(to, from)) std::swap(from, to);
    if (from.line == to.line && from.cell == to.cell) return;
    int firstRow = from.line - TopLine;
    int firstCol = from.cell - LeftCol;
    if (firstRow < 0) {
        firstRow = 0;
        firstCol = 0;
    }
    const int lastRow = to.line - TopLine;
    for (int row = firstRow; row <= lastRow && row <= RowCount; ++row) {
        const int startCol = row == firstRow ? std::max(firstCol, 0) : 0;
        const int endCol = row == lastRow ? to.cell - LeftCol - 1 : ColCount + 1;
        if (endCol >= startCol) PaintRows(row, row, startCol, endCol);
    }
}

void TThailist::HighlightRange(int lineA, int lineB, int cellA, int cellB) {
    platform::Surface* surface = Canvas();
    if (!surface || RowHeight <= 0 || CellWidth <= 0) return;
    ShowOrigin();
    CellPoint from{lineA, cellA}, to{lineB, cellB};
    if (Before(to, from)) std::swap(from, to);
    int firstRow = from.line - TopLine;
    int firstCol = std::max(from.cell - LeftCol, 0);
    if (firstRow < 0) {
        firstRow = 0;
        firstCol = 0;
    }
    const int lastRow = to.line - TopLine;
    if (lastRow < firstRow) return;

    // AND with the highlight colour: white becomes the highlight, black glyph pixels stay black.
    platform::Bitmap paint(CellWidth, RowHeight);
    paint.Canvas().SetFillColor(HighLightColor);
    paint.Canvas().FillRect({0, 0, CellWidth, RowHeight});
    paint.Canvas().Flush();
    const Rect source{0, 0, CellWidth, RowHeight};
    surface->SetCopyMode(platform::CopyMode::SrcAnd);
    for (int row = firstRow; row <= lastRow && row <= RowCount; ++row) {
        const int startCol = row == firstRow ? firstCol : 0;
        const int endCol = std::min(row == lastRow ? to.cell - LeftCol - 1 : ColCount, ColCount);
        // The paint is one colour: the cells of a row take it in one copy. Cells the host will
        // ask for anyway are painted with their highlight then.
        const Rect cells{startCol * CellWidth, row * RowHeight, (endCol + 1) * CellWidth, (row + 1) * RowHeight};
        if (endCol >= startCol && !parent_->Pending(cells))
            surface->StretchDraw({startCol * CellWidth, row * RowHeight, (endCol + 1) * CellWidth, (row + 1) * RowHeight},
                                 paint, source);
    }
    surface->SetCopyMode(platform::CopyMode::SrcCopy);
}

namespace {

// The pixels of the caret line under the cursor cell (see CaretLine).
Rect CaretRect(const platform::Surface& surface, const TThailist& list) {
    const int pen = surface.PenWidth();
    const int x = (list.CursorCol - list.LeftCol) * list.CellWidth + pen / 2;
    const int y = (list.CursorLine - list.TopLine) * list.RowHeight + list.LowerLevel - pen;
    return {x, y - pen / 2, x + list.CellWidth - pen, y - pen / 2 + pen};
}

Rect Intersection(const Rect& a, const Rect& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

// The caret line under the cursor cell, drawn in `color`.
void CaretLine(platform::Surface& surface, const TThailist& list, platform::Color color) {
    const int pen = surface.PenWidth();
    const int x = (list.CursorCol - list.LeftCol) * list.CellWidth + pen / 2;
    const int y = (list.CursorLine - list.TopLine) * list.RowHeight + list.LowerLevel - pen;
    surface.SetPenColor(color);
    surface.MoveTo(x, y);
    surface.LineTo(x + list.CellWidth - pen, y);
}

}  // namespace

void TThailist::HideCaret() {
    platform::Surface* surface = Canvas();
    if (!surface) return;
    ShowOrigin();
    // The caret row is also the lowest row of descenders (Latin p, q, y and the tails of some
    // Thai letters): the cell is drawn again from the text under the caret line only, so that
    // hiding the caret leaves no gap in them and the rest of the cell is not touched. While
    // "Thai on A..Z" is on, the cell may show the blank that says so: the whole cell is drawn
    // again, which takes it away. A pending offer keeps its glyph in the cell.
    const int row = CursorLine - TopLine;
    const int col = CursorCol - LeftCol;
    // Drawing cut to a clip may leave the caret's pixels outside it.
    if (surface->ClipRect().Empty()) caretShown_ = false;
    if (PendingLetter == 0 && ThaiOnAZ && row >= 0 && row <= RowCount && col >= 0 && col <= ColCount) {
        PaintRows(row, row, col, col);
        return;
    }
    if (PendingLetter == 0 && row >= 0 && row <= RowCount && col >= 0 && col <= ColCount) {
        const platform::Rect keep = surface->ClipRect();
        const platform::Rect line = CaretRect(*surface, *this);
        surface->SetClipRect(keep.Empty() ? line : Intersection(keep, line));
        if (!surface->ClipRect().Empty()) PaintRows(row, row, col, col);
        surface->SetClipRect(keep);
        return;
    }
    // Only the line goes. With the cursor on the first selected cell it lies on the highlight.
    const bool onHighlight = Selecting && ExtentPos < AnchorPos;
    CaretLine(*surface, *this, onHighlight ? HighLightColor : platform::clWhite);
    surface->SetPenColor(platform::clBlack);
}

void TThailist::DrawCaret() {
    if (OnCaretDrawn) OnCaretDrawn();
    platform::Surface* surface = Canvas();
    if (!surface) return;
    ShowOrigin();
    CaretLine(*surface, *this, platform::clBlack);
    caretShown_ = true;
}

void TThailist::WordWrap() {
    const EditStep step(*this);
    std::string text = JoinedText();
    thai::WrapText(text, ColCount);
    Lines.Assign(SplitLines(text));
    SetCursor(0, 0);
    PaintRows(0, RowCount, 0, ColCount);
    DrawCaret();
}
