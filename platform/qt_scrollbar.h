// The scroll bars of the windows that host a Thai control.
#pragma once

#include <qnamespace.h>

class QScrollBar;

namespace platform {

// Draws `bar` in the application's style, its groove from a picture kept for its size and state:
// a bar that follows every typed key (its range grows with the longest line, its position with the
// view) then draws only its slider and arrows again. The pixels are the style's own.
void KeepScrollBarPicture(QScrollBar* bar);

// A bar for a host window, drawn as KeepScrollBarPicture draws it. A change of its range, page step
// or position draws again only the slider's old and new places (the whole bar when an arrow turns
// on or off), and nothing when the slider stays where it was: a text that grows with every key
// changes the range every time, mostly by less than a pixel of the slider.
QScrollBar* NewHostScrollBar(Qt::Orientation orientation);

}  // namespace platform
