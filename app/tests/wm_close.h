// The window system's close request, sent the way a window manager sends it when the user clicks
// a window's close button: for tests under an X server that runs no window manager.
#pragma once

#include <string>

// Sends WM_DELETE_WINDOW to the X window `window` (a number as xdotool prints it) on `display`.
// False when the display cannot be opened.
bool SendWindowClose(const std::string& display, const std::string& window);
