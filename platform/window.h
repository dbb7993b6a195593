// A top-level window as code without Qt reaches it: its caption, and the resolution of the
// screen it is on. Printing shows its progress in a window's caption and sizes its pages by the
// screen's resolution. The Qt window behind it is in platform/qt_window.h.
#pragma once

#include <string>

namespace platform {

class Window {
public:
    virtual ~Window() = default;
    // The caption, UTF-8.
    virtual std::string Caption() const = 0;
    virtual void SetCaption(const std::string& caption) = 0;
    // The vertical resolution of the screen the window is on, in pixels per inch.
    virtual int PixelsPerInchY() const = 0;
};

// The vertical resolution of the primary screen in pixels per inch, rounded (96 without a
// screen).
int ScreenPixelsPerInchY();

}  // namespace platform
