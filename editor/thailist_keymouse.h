// Keys and mouse actions may move the view's origin (TopLine, LeftCol) through SetCursor, paging
// or scrolling. Setting the host's scroll positions from code does not repaint anything, so an
// action that moved the origin has the whole window repainted from the text afterwards.
#pragma once

#include "editor/thailist.h"

class ViewOriginGuard {
public:
    explicit ViewOriginGuard(TThailist& view) : view_(view), top_(view.TopLine), left_(view.LeftCol) {}
    ~ViewOriginGuard() {
        if (view_.TopLine == top_ && view_.LeftCol == left_) return;
        if (platform::ThaiHost* host = view_.Parent()) host->Invalidate();
    }
    ViewOriginGuard(const ViewOriginGuard&) = delete;
    ViewOriginGuard& operator=(const ViewOriginGuard&) = delete;

private:
    TThailist& view_;
    int top_;
    int left_;
};
