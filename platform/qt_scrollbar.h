// The scroll bars of the windows that host a Thai control.
#pragma once

class QScrollBar;

namespace platform {

// Draws `bar` in the application's style, its groove from a picture kept for its size and state:
// a bar that follows every typed key (its range grows with the longest line, its position with the
// view) then draws only its slider and arrows again. The pixels are the style's own.
void KeepScrollBarPicture(QScrollBar* bar);

}  // namespace platform
