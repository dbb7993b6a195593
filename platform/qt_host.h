// The Qt window that hosts a Thai control (see platform/host.h): a scroll area whose viewport
// shows the backing image, with the control's keyboard sink inside.
#pragma once

#include <QAbstractScrollArea>
#include <QImage>
#include <QPointer>

#include "platform/host.h"
#include "platform/qt_keysink.h"

namespace platform {

// An area exposed by the window system is copied from the backing image; areas the image does not
// hold yet (a resize, Invalidate, the strips a scroll uncovers) are repainted by the handler first.
// Drawing into the image reaches the screen as the canvas's damage: only the rectangles that
// changed are copied, once the drawing of the moment is done (the event loop's next turn). The
// backing image holds the screen's device pixels (twice as many across and down on a screen with
// a device pixel ratio of 2): the control still draws, gets its mouse events and scrolls in the
// window's units, and its surface fills them at the screen's resolution.
// Host is the second base, so its lifetime has ended before the widget deletes its children.
class ThaiHost : public QAbstractScrollArea, public Host {
    Q_OBJECT
public:
    explicit ThaiHost(QWidget* parent = nullptr);
    ~ThaiHost() override;

    void SetHandler(HostHandler* handler) override { handler_ = handler; }
    HostHandler* Handler() const override { return handler_; }

    Surface& Canvas() override { return canvas_; }
    const QImage& BackingImage() const;  // flushes pending painting; device pixels
    int ClientWidth() const override;
    int ClientHeight() const override;

    void SetColor(Color c) override { color_ = c; }

    void SetScrollRange(ScrollBar bar, int range) override;
    int ScrollRange(ScrollBar bar) const override;
    void SetScrollPos(ScrollBar bar, int pos) override;
    int ScrollPos(ScrollBar bar) const override;
    void SetScrollStep(ScrollBar bar, int step) override;
    int ScrollStep(ScrollBar bar) const override;

    void Invalidate() override;
    void Scroll(int dx, int dy) override;
    bool MovePixels(const Rect& area, int dx, int dy) override;
    bool Pending(const Rect& r) const override;

    void SetPointer(PointerShape shape) override;
    PointerShape Pointer() const override { return pointer_; }

    // Pixels copied from the backing image to the window system since the host was made: what
    // the screen is handed to show. The benchmarks read it per key.
    long long PixelsPushed() const { return pixelsPushed_; }
    // Pixels the screen moved by itself for Scroll since the host was made.
    long long PixelsScrolled() const { return pixelsScrolled_; }

    // The sink is a child of the viewport.
    KeySink* CreateKeySink() override;
    void DeleteKeySink() override;
    KeySink* Sink() const;

    // The host whose client area lies under a point of the screen, or nullptr.
    static ThaiHost* HostAt(const QPoint& globalPos);

    // Where a mouse-button release goes. Qt hands the release to the widget that took the
    // press; a right-button release belongs to the host under the pointer instead (nullptr when
    // the pointer is over no host's client area), so that a right-button drag can end in
    // another window. Other releases stay with the host that took the press.
    static ThaiHost* ReleaseTarget(ThaiHost* pressed, Qt::MouseButton button, const QPoint& globalPos);
    // Hands a release at a point of the screen to the handler, in this host's client pixels.
    void DeliverMouseUp(MouseButton button, ShiftState state, const QPoint& globalPos);

    // The widget that takes the keyboard focus when the client area is clicked; by default the
    // sink made by CreateKeySink, else a KeySink that is a direct child of the host or its
    // viewport.
    void SetFocusTarget(QWidget* widget) { focusTarget_ = widget; }

protected:
    // What a paint event does before it copies to the screen, in three steps (tests run them without
    // waiting for the event, see testing/host_paint.h): the image follows the client size, the
    // handler repaints what is pending, and what was drawn is handed to the window system.
    void SyncImageSize();
    void RunPending();
    void PushDamage();

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    // The right button selects and drags text here; no context menu of an enclosing window.
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // The image pixels that show the client rectangle `r` (units).
    QRect ImagePixels(const QRect& r) const;
    HostHandler* handler_ = nullptr;
    QImage image_;
    QSize units_;  // client size the image holds, in units
    Surface canvas_;
    Color color_ = clWhite;
    QRegion pending_;  // areas the handler must repaint
    PointerShape pointer_ = PointerShape::IBeam;
    bool painting_ = false;     // inside the handler's HostPaint
    bool settingPos_ = false;   // the program, not the user, is moving a scroll bar
    bool pushQueued_ = false;   // a PushDamage is on its way through the event loop
    long long pixelsPushed_ = 0;
    long long pixelsScrolled_ = 0;
    QWidget* focusTarget_ = nullptr;
    QPointer<KeySink> sink_;    // made by CreateKeySink
    QScrollBar* Bar(ScrollBar bar) const;
};

}  // namespace platform
