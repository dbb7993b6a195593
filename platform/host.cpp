// Windows that host a Thai control: backing image, scroll bars, paint and mouse routing, and the
// control's keyboard sink.
#include "platform/qt_host.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <utility>

#include "platform/qt_surface.h"

namespace platform {

namespace {

Rect ToRect(const QRect& r) { return Rect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }
QRect ToQRect(const Rect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

}  // namespace

ThaiHost::ThaiHost(QWidget* parent) : QAbstractScrollArea(parent) {
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFrameShape(QFrame::NoFrame);
    // The keyboard sink holds the focus, never the host itself.
    setFocusPolicy(Qt::NoFocus);
    viewport()->setFocusPolicy(Qt::NoFocus);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAttribute(Qt::WA_NoSystemBackground);
    viewport()->setMouseTracking(true);
    viewport()->setCursor(Qt::IBeamCursor);
    for (QScrollBar* b : {horizontalScrollBar(), verticalScrollBar()}) {
        b->setTracking(true);
        b->setRange(0, 0);
        b->setSingleStep(1);
    }
    SetTarget(canvas_, &image_);
    // Drawing outside a paint request shows on screen with the next paint.
    canvas_.SetDirtyCallback([this] {
        if (!painting_) viewport()->update();
    });
    SyncImageSize();
}

// The sink goes first, while its keys can still find out that nothing takes them.
ThaiHost::~ThaiHost() {
    DeleteKeySink();
    canvas_.Flush();
    if (HostHandler* handler = std::exchange(handler_, nullptr)) handler->HostGone();
}

const QImage& ThaiHost::BackingImage() const {
    const_cast<Surface&>(canvas_).Flush();
    return image_;
}

int ThaiHost::ClientWidth() const { return viewport()->width(); }
int ThaiHost::ClientHeight() const { return viewport()->height(); }

// Keeps the backing image the size of the client area. What the old image held stays; the new
// area starts in the window colour and is left for the handler to paint.
void ThaiHost::SyncImageSize() {
    const QSize size = viewport()->size();
    if (size == image_.size()) return;
    canvas_.Flush();
    const QRect oldRect = image_.rect();
    if (size.isEmpty()) {
        image_ = QImage();
        pending_ = QRegion();
        return;
    }
    image_ = ResizedBackingImage(image_, size, color_);
    const QRect all(QPoint(0, 0), size);
    pending_ = (pending_ & all) | (QRegion(all) - QRegion(oldRect));
}

QScrollBar* ThaiHost::Bar(ScrollBar bar) const {
    return bar == ScrollBar::Horizontal ? horizontalScrollBar() : verticalScrollBar();
}

void ThaiHost::SetScrollRange(ScrollBar bar, int range) {
    QScrollBar* b = Bar(bar);
    settingPos_ = true;
    b->setRange(0, std::max(0, range));  // clamps the position as well
    settingPos_ = false;
}

int ThaiHost::ScrollRange(ScrollBar bar) const { return Bar(bar)->maximum(); }

void ThaiHost::SetScrollPos(ScrollBar bar, int pos) {
    QScrollBar* b = Bar(bar);
    settingPos_ = true;
    b->setValue(std::clamp(pos, 0, b->maximum()));
    settingPos_ = false;
}

int ThaiHost::ScrollPos(ScrollBar bar) const { return Bar(bar)->value(); }

void ThaiHost::SetScrollStep(ScrollBar bar, int step) { Bar(bar)->setSingleStep(std::max(1, step)); }
int ThaiHost::ScrollStep(ScrollBar bar) const { return Bar(bar)->singleStep(); }

// The user moved a scroll bar. The window does not move its pixels: the handler reads the new
// positions and repaints the whole client area.
void ThaiHost::scrollContentsBy(int, int) {
    if (settingPos_) return;
    Invalidate();
}

void ThaiHost::Invalidate() {
    pending_ = QRegion(image_.rect());
    viewport()->update();
}

// Runs the handler over the pending areas. A handler may ask for more from inside HostPaint (it
// snaps a scroll position and invalidates the window); those requests are run in a further round
// here, a few times at most, and anything still left waits for the next paint.
void ThaiHost::RunPending() {
    if (painting_ || !handler_) return;
    painting_ = true;
    for (int round = 0; round < 4 && !pending_.isEmpty() && handler_; ++round) {
        const QRegion todo = pending_;
        pending_ = QRegion();
        for (const QRect& r : todo) {
            if (!handler_) break;
            handler_->HostPaint(ToRect(r));
        }
    }
    painting_ = false;
    if (!pending_.isEmpty()) viewport()->update();
}

void ThaiHost::PaintPending() {
    SyncImageSize();
    const bool any = !pending_.isEmpty();
    RunPending();
    canvas_.Flush();
    if (any) viewport()->update();
}

void ThaiHost::paintEvent(QPaintEvent* event) {
    SyncImageSize();
    RunPending();
    canvas_.Flush();
    const Rect dirty = canvas_.TakeDirty();
    QPainter p(viewport());
    for (const QRect& r : event->region()) {
        p.drawImage(r.topLeft(), image_, r);
        pixelsPushed_ += static_cast<long long>(r.width()) * r.height();
    }
    // Anything the handler drew outside this paint request is shown by the next one.
    if (!dirty.Empty()) {
        QRegion rest = QRegion(ToQRect(dirty)) - event->region();
        if (!rest.isEmpty()) viewport()->update(rest);
    }
}

void ThaiHost::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    const QSize old = image_.size();
    SyncImageSize();
    if (old != image_.size()) {
        horizontalScrollBar()->setPageStep(std::max(1, ClientWidth()));
        verticalScrollBar()->setPageStep(std::max(1, ClientHeight()));
        if (handler_) handler_->HostResize();
        viewport()->update();
    }
}

KeySink* ThaiHost::CreateKeySink() {
    DeleteKeySink();
    sink_ = new KeySink(viewport(), true);
    // A child made after its window was shown stays hidden, and a hidden widget takes no focus.
    sink_->show();
    sink_->OnKeyDown = [this](int& key, ShiftState shift) {
        if (handler_) handler_->HostKeyDown(key, shift);
    };
    sink_->OnKeyPress = [this](unsigned char& key) {
        if (handler_) handler_->HostKeyPress(key);
    };
    sink_->OnFocusOut = [this] {
        if (handler_) handler_->HostFocusOut();
    };
    return sink_;
}

// The sink's keys stop before it goes: deleting a widget that holds the focus moves the focus.
void ThaiHost::DeleteKeySink() {
    if (!sink_) return;
    KeySink* sink = sink_;
    sink_ = nullptr;
    sink->OnKeyDown = nullptr;
    sink->OnKeyPress = nullptr;
    sink->OnFocusOut = nullptr;
    delete sink;
}

KeySink* ThaiHost::Sink() const { return sink_; }

void ThaiHost::mousePressEvent(QMouseEvent* event) {
    QWidget* target = focusTarget_;
    if (!target) target = sink_;
    if (!target) target = findChild<KeySink*>(QString(), Qt::FindDirectChildrenOnly);
    if (!target) target = viewport()->findChild<KeySink*>(QString(), Qt::FindDirectChildrenOnly);
    if (target && !target->hasFocus()) target->setFocus(Qt::MouseFocusReason);
    event->accept();
    if (!handler_) return;
    const QPoint p = event->position().toPoint();
    handler_->HostMouseDown(ButtonFromQt(event->button()), ShiftFromQt(event->modifiers(), event->buttons()),
                            p.x(), p.y());
}

void ThaiHost::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    if (!handler_) return;
    const QPoint p = event->position().toPoint();
    handler_->HostMouseMove(ShiftFromQt(event->modifiers(), event->buttons()), p.x(), p.y());
}

void ThaiHost::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    const QPoint global = event->globalPosition().toPoint();
    ThaiHost* target = ReleaseTarget(this, event->button(), global);
    if (target) target->DeliverMouseUp(ButtonFromQt(event->button()), ShiftFromQt(event->modifiers(), event->buttons()),
                                       global);
}

void ThaiHost::DeliverMouseUp(MouseButton button, ShiftState state, const QPoint& globalPos) {
    if (!handler_) return;
    const QPoint p = viewport()->mapFromGlobal(globalPos);
    handler_->HostMouseUp(button, state, p.x(), p.y());
}

ThaiHost* ThaiHost::ReleaseTarget(ThaiHost* pressed, Qt::MouseButton button, const QPoint& globalPos) {
    if (button != Qt::RightButton) return pressed;
    return HostAt(globalPos);
}

ThaiHost* ThaiHost::HostAt(const QPoint& globalPos) {
    for (QWidget* w = QApplication::widgetAt(globalPos); w; w = w->parentWidget()) {
        auto* host = qobject_cast<ThaiHost*>(w->parentWidget());
        if (host && host->viewport() == w) return host;
        if (w->isWindow()) break;
    }
    return nullptr;
}

void ThaiHost::contextMenuEvent(QContextMenuEvent* event) { event->accept(); }

void ThaiHost::SetPointer(PointerShape shape) {
    pointer_ = shape;
    viewport()->setCursor(shape == PointerShape::Drag ? Qt::DragCopyCursor : Qt::IBeamCursor);
}

}  // namespace platform
