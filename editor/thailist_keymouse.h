// Helpers shared by the key and mouse handlers of TThailist.
#pragma once

#include <algorithm>

#include "editor/thailist.h"

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
