// Windows that host a Thai control, as the control sees them. A Thai control has no area of its
// own: it draws on its host's client area through the host's canvas, uses the host's two scroll
// bars, takes the host's paint, resize and mouse events, and gets its keys from a keyboard sink
// the host makes for it. The window itself (ThaiHost) is in platform/qt_host.h.
#pragma once

#include "platform/lifetime.h"
#include "platform/surface.h"
#include "platform/types.h"

namespace platform {

// The keyboard sink widget of a control (platform/qt_keysink.h).
class KeySink;

// What a Thai control does with its host's events.
class HostHandler {
public:
    virtual ~HostHandler() = default;
    // Repaint `clip` (client pixels) into the backing image.
    virtual void HostPaint(const Rect& clip) = 0;
    virtual void HostResize() = 0;
    virtual void HostMouseDown(MouseButton button, ShiftState state, int x, int y) = 0;
    virtual void HostMouseMove(ShiftState state, int x, int y) = 0;
    virtual void HostMouseUp(MouseButton button, ShiftState state, int x, int y) = 0;
    // From the host's keyboard sink (see Host::CreateKeySink): a key went down (its virtual key
    // code), a character was typed (one Windows-874 byte), the sink lost the focus.
    virtual void HostKeyDown(int& /*key*/, ShiftState /*shift*/) {}
    virtual void HostKeyPress(unsigned char& /*key*/) {}
    virtual void HostFocusOut() {}
    // The user moved a scroll bar (dragged it, clicked it, turned the wheel over the window). A
    // handler that brings its view to the new positions itself (see Host::Scroll) returns true;
    // otherwise the host asks it to repaint the whole client area.
    virtual bool HostScrolled() { return false; }
    // The host is being deleted (its window's widget tree goes) while it still has this handler:
    // the host, its canvas and its sink are gone from now on.
    virtual void HostGone() {}
};

enum class ScrollBar { Horizontal, Vertical };

// The client area of a window that hosts a Thai control. It owns the backing image of the
// client area; the control draws into it at once through Canvas(), and the window copies changed
// areas to the screen. The window's widget tree owns the host and may delete it before the
// control: a WeakRef<Host> tells.
class Host {
public:
    // A handler that goes before its host must take itself off (SetHandler(nullptr)) first.
    virtual void SetHandler(HostHandler* handler) = 0;
    virtual HostHandler* Handler() const = 0;

    // The drawing surface on the backing image of the client area.
    virtual Surface& Canvas() = 0;
    virtual int ClientWidth() const = 0;
    virtual int ClientHeight() const = 0;

    // Window colour: the colour newly exposed areas start with.
    virtual void SetColor(Color c) = 0;

    // Scroll bars, in pixels. Always shown; setting a position clamps it to 0..range; the
    // window never scrolls by itself: moving a bar asks the handler to repaint.
    virtual void SetScrollRange(ScrollBar bar, int range) = 0;
    virtual int ScrollRange(ScrollBar bar) const = 0;
    virtual void SetScrollPos(ScrollBar bar, int pos) = 0;
    virtual int ScrollPos(ScrollBar bar) const = 0;
    virtual void SetScrollStep(ScrollBar bar, int step) = 0;
    virtual int ScrollStep(ScrollBar bar) const = 0;

    // Asks the handler to repaint the whole client area (soon, from the event loop).
    virtual void Invalidate() = 0;
    // The view moved by (dx, dy) pixels of the backing image (positive: its content goes right or
    // down). The pixels that stay in view move with it, in the image and on the screen, and only
    // the areas it uncovers are asked of the handler. When nothing stays in view, or the handler
    // is painting just now, the whole client area is asked for instead.
    virtual void Scroll(int dx, int dy) = 0;
    // Moves the pixels of `area` (client pixels) by (dx, dy) in the backing image, as a block of
    // cells that scrolls with the view does; the area they land on goes to the screen with the next
    // push and what the move uncovers is the caller's to draw. Returns false, moving nothing, where
    // the block holds pixels still waiting for the handler or the move is not a whole number of
    // device pixels: the caller draws the block instead.
    virtual bool MovePixels(const Rect& area, int dx, int dy) = 0;
    // Whether all of `r` is waiting for the handler to repaint it: anything drawn there now would
    // be drawn over.
    virtual bool Pending(const Rect& r) const = 0;

    virtual void SetPointer(PointerShape shape) = 0;
    virtual PointerShape Pointer() const = 0;

    // Makes the control's keyboard sink: a widget in the client area that takes the focus when
    // the area is clicked and hands its keys to the handler (HostKeyDown, HostKeyPress,
    // HostFocusOut). A sink made before is deleted first. The host owns the sink.
    virtual KeySink* CreateKeySink() = 0;
    // Deletes the sink, if there is one; its keys stop at once.
    virtual void DeleteKeySink() = 0;

    const Lifetime& Alive() const { return alive_; }

protected:
    Host() = default;
    ~Host() = default;  // the window is deleted as a widget, never through this interface
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

private:
    Lifetime alive_;
};

}  // namespace platform
