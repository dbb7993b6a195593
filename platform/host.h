// Windows that host a Thai control. A Thai control has no area of its own: it draws on its
// host's client area through the host's backing image, uses the host's two scroll bars and
// takes the host's paint, resize and mouse events.
#pragma once

#include <QAbstractScrollArea>
#include <QImage>
#include <functional>

#include "platform/surface.h"
#include "platform/types.h"

namespace platform {

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
};

enum class ScrollBar { Horizontal, Vertical };

// The client area of a window that hosts a Thai control. It owns the backing image of the
// client area; the control draws into it at once through Canvas(), and the widget copies changed
// areas to the screen. An area exposed by the window system is copied from the image; areas the
// image does not hold yet (a resize, Invalidate, a scroll by the user) are repainted by the
// handler first.
class ThaiHost : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit ThaiHost(QWidget* parent = nullptr);
    ~ThaiHost() override;

    void SetHandler(HostHandler* handler) { handler_ = handler; }
    HostHandler* Handler() const { return handler_; }

    // The drawing surface on the backing image of the client area.
    Surface& Canvas() { return canvas_; }
    const QImage& BackingImage() const;  // flushes pending painting
    int ClientWidth() const;
    int ClientHeight() const;

    // Window colour: the colour newly exposed areas start with.
    void SetColor(Color c) { color_ = c; }

    // Scroll bars, in pixels. Always shown; setting a position clamps it to 0..range; the
    // window never scrolls by itself: moving a bar asks the handler to repaint.
    void SetScrollRange(ScrollBar bar, int range);
    int ScrollRange(ScrollBar bar) const;
    void SetScrollPos(ScrollBar bar, int pos);
    int ScrollPos(ScrollBar bar) const;
    void SetScrollStep(ScrollBar bar, int step);
    int ScrollStep(ScrollBar bar) const;

    // Asks the handler to repaint the whole client area (soon, from the event loop).
    void Invalidate();
    // Runs the pending repaint requests now (tests use this instead of waiting for events).
    void PaintPending();

    void SetPointer(PointerShape shape);
    PointerShape Pointer() const { return pointer_; }

    // The host whose client area lies under a point of the screen, or nullptr.
    static ThaiHost* HostAt(const QPoint& globalPos);

    // Where a mouse-button release goes. Qt hands the release to the widget that took the
    // press; a right-button release belongs to the host under the pointer instead (nullptr when
    // the pointer is over no host's client area), so that a right-button drag can end in
    // another window. Other releases stay with the host that took the press.
    static ThaiHost* ReleaseTarget(ThaiHost* pressed, Qt::MouseButton button, const QPoint& globalPos);
    // Hands a release at a point of the screen to the handler, in this host's client pixels.
    void DeliverMouseUp(MouseButton button, ShiftState state, const QPoint& globalPos);

    // The widget that takes the keyboard focus when the client area is clicked (the control's
    // keyboard sink); by default a KeySink that is a direct child of the host or its viewport.
    void SetFocusTarget(QWidget* widget) { focusTarget_ = widget; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    // The right button selects and drags text here; no context menu of an enclosing window.
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void SyncImageSize();
    HostHandler* handler_ = nullptr;
    QImage image_;
    Surface canvas_;
    Color color_ = clWhite;
    QRegion pending_;  // areas the handler must repaint
    PointerShape pointer_ = PointerShape::IBeam;
    bool painting_ = false;     // inside the handler's HostPaint
    bool settingPos_ = false;   // the program, not the user, is moving a scroll bar
    QWidget* focusTarget_ = nullptr;
    void RunPending();
    QScrollBar* Bar(ScrollBar bar) const;
};

}  // namespace platform
