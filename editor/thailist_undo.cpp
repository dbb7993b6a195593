// Undo and redo of TThailist: the history's steps opened and closed around the control's
// commands, and the text, cursor and selection put back from a step, with the repaint.
#include <algorithm>

#include "editor/thailist.h"
#include "editor/thailist_keymouse.h"

void TThailist::KeepHistory() {
    document_.KeepHistory();
    document_.SetHistoryView(this, [this] { return View(); });
}

ViewPoint TThailist::View() const {
    ViewPoint v;
    v.cursorLine = CursorLine;
    v.cursorCol = CursorCol;
    v.selecting = Selecting;
    if (Selecting) {
        v.anchorLine = AnchorLine, v.anchorCol = AnchorCol, v.anchorPos = AnchorPos;
        v.extentLine = ExtentLine, v.extentCol = ExtentCol, v.extentPos = ExtentPos;
    }
    return v;
}

TThailist::EditStep::EditStep(TThailist& view, bool typing) : view_(view) { view.History.Begin(view.View(), typing); }

TThailist::EditStep::~EditStep() { view_.History.End(view_.View()); }

bool TThailist::Undo() { return TakeHistoryStep(false); }

bool TThailist::Redo() { return TakeHistoryStep(true); }

bool TThailist::TakeHistoryStep(bool redo) {
    if (!(redo ? History.CanRedo() : History.CanUndo())) return false;
    CancelOffer();
    HideCaret();
    ClearSelection();
    const std::optional<ViewPoint> view = redo ? History.Redo() : History.Undo();
    if (!view) {
        DrawCaret();
        return false;
    }
    SetModified(!History.AtSaved());
    Selecting = view->selecting;
    AnchorLine = view->anchorLine, AnchorCol = view->anchorCol, AnchorPos = view->anchorPos;
    ExtentLine = view->extentLine, ExtentCol = view->extentCol, ExtentPos = view->extentPos;
    SetCursor(view->cursorLine, view->cursorCol);

    // The changed lines (and all below them when lines came or went) and the selection put back.
    int first = History.ChangedFrom();
    int last = History.LineCountChanged() ? TopLine + RowCount : History.ChangedTo();
    if (Selecting) {
        first = std::min({first, AnchorLine, ExtentLine});
        last = std::max({last, AnchorLine, ExtentLine});
    }
    const int firstRow = std::max(first - TopLine, 0);
    const int lastRow = std::min(last - TopLine, RowCount);
    if (firstRow <= lastRow) PaintRows(firstRow, lastRow, 0, ColCount);
    BlankEmptyViewFrom(*this, firstRow);
    DrawCaret();
    return true;
}
