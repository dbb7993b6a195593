// Helpers shared by the key and mouse handlers of TThailist.
//
// Keys and mouse actions may move the view's origin (TopLine, LeftCol) through SetCursor, paging
// or scrolling. Setting the host's scroll positions from code does not repaint anything, so an
// action that moved the origin has the whole window repainted from the text afterwards.
#pragma once

#include <algorithm>

#include "editor/thailist.h"

//
// While such an action runs, drawing rows once the origin has moved would be wasted: the whole
// window is repainted afterwards, so the view skips it (see TThailist::OriginMoved).
class ViewOriginGuard {
public:
    explicit ViewOriginGuard(TThailist& view) : view_(view), top_(view.TopLine), left_(view.LeftCol) {
        view_.BeginOriginWatch();
    }
    ~ViewOriginGuard() {
        const bool skipped = view_.EndOriginWatch();
        if (!skipped && view_.TopLine == top_ && view_.LeftCol == left_) return;
        if (platform::Host* host = view_.Parent()) host->Invalidate();
    }
    ViewOriginGuard(const ViewOriginGuard&) = delete;
    ViewOriginGuard& operator=(const ViewOriginGuard&) = delete;

private:
    TThailist& view_;
    int top_;
    int left_;
};

// Painting draws nothing once the text is empty, so an action that removed the last line blanks
// the rows from `row` down itself; otherwise the removed text would stay on the screen. Returns
// whether it blanked anything (the caret then needs drawing again).
inline bool BlankEmptyViewFrom(TThailist& view, int row) {
    if (view.LineCount() != 0) return false;
    platform::Surface* canvas = view.Canvas();
    if (!canvas) return false;
    canvas->SetFillColor(platform::clWhite);
    canvas->FillRect({0, std::max(row, 0) * view.RowHeight, canvas->Width(), canvas->Height()});
    return true;
}
