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
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/qt_scrollbar.h"
#include "platform/qt_surface.h"
#include "platform/services.h"

namespace platform {

namespace {

Rect ToRect(const QRect& r) { return Rect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }
QRect ToQRect(const Rect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

// Moves the pixels of an RGB32 image by (dx, dy); what they uncover keeps its old pixels.
void MoveImagePixels(QImage& image, int dx, int dy) {
    const int w = image.width() - std::abs(dx), h = image.height() - std::abs(dy);
    if (w <= 0 || h <= 0) return;
    const qsizetype stride = image.bytesPerLine();
    uchar* bits = image.bits();
    const size_t from = static_cast<size_t>(std::max(-dx, 0)) * 4, to = static_cast<size_t>(std::max(dx, 0)) * 4;
    auto moveRow = [&](int y, int toY) {
        std::memmove(bits + toY * stride + to, bits + y * stride + from, static_cast<size_t>(w) * 4);
    };
    if (dy > 0) {
        for (int y = h; y-- > 0;) moveRow(y, y + dy);
    } else {
        for (int y = -dy; y < image.height(); ++y) moveRow(y, y + dy);
    }
}

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
    setHorizontalScrollBar(NewHostScrollBar(Qt::Horizontal));
    setVerticalScrollBar(NewHostScrollBar(Qt::Vertical));
    for (QScrollBar* b : {horizontalScrollBar(), verticalScrollBar()}) {
        b->setTracking(true);
        b->setRange(0, 0);
        b->setSingleStep(1);
        // The scroll area lays its children out again after every change of a bar's range, to
        // show or hide the bars; ours are always shown. A text that grows a line changes the
        // horizontal range with every key, and that layout repainted both bars every time.
        QObject::disconnect(b, SIGNAL(rangeChanged(int, int)), this, SLOT(_q_showOrHideScrollBars()));
        // A bar paints every pixel of itself: the window behind it need not be painted first.
        b->setAttribute(Qt::WA_OpaquePaintEvent);
    }
    SetTarget(canvas_, &image_);
    // Drawing outside a paint request reaches the screen once the drawing of the moment is done:
    // the damage is pushed from the event loop's next turn.
    canvas_.SetDirtyCallback([this] {
        if (painting_ || pushQueued_) return;
        pushQueued_ = true;
        QMetaObject::invokeMethod(this, [this] { PushDamage(); }, Qt::QueuedConnection);
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

// Keeps the backing image the size of the client area, in the device pixels of the screen the
// window is on. What the old image held stays; the new area starts in the window colour and is
// left for the handler to paint. On another screen's ratio all of it is painted again.
void ThaiHost::SyncImageSize() {
    const QSize size = viewport()->size();
    const double scale = viewport()->devicePixelRatioF();
    const bool sameScale = image_.isNull() || image_.devicePixelRatio() == scale;
    if (size == units_ && sameScale) return;
    canvas_.Flush();
    const QRect oldRect = sameScale ? QRect(QPoint(0, 0), units_) : QRect();
    units_ = size.isEmpty() ? QSize() : size;
    if (size.isEmpty()) {
        image_ = QImage();
        pending_ = QRegion();
        return;
    }
    image_ = ResizedBackingImage(image_, size, color_, scale);
    const QRect all(QPoint(0, 0), size);
    pending_ = (pending_ & all) | (QRegion(all) - QRegion(oldRect));
}

QRect ThaiHost::ImagePixels(const QRect& r) const {
    const double s = image_.devicePixelRatio();
    if (s == 1.0) return r;
    auto px = [s](int v) { return static_cast<int>(std::floor(v * s + 0.5)); };
    const int left = px(r.left()), top = px(r.top());
    return QRect(left, top, px(r.left() + r.width()) - left, px(r.top() + r.height()) - top);
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

// The user moved a scroll bar: the handler brings its view there (usually by Scroll), or the whole
// client area is repainted from the new positions.
void ThaiHost::scrollContentsBy(int, int) {
    if (settingPos_) return;
    bool done = false;
    if (handler_) RunCommand([&] { done = handler_->HostScrolled(); });
    if (!done) Invalidate();
}

void ThaiHost::Invalidate() {
    pending_ = QRegion(QRect(QPoint(0, 0), units_));
    viewport()->update();
}

// The image moves its pixels at once and the screen moves its own copy of them (the toolkit's
// scroll of the viewport, which shows the uncovered strips with paint events): neither is drawn
// or copied again. Damage not shown yet and areas still waiting for the handler move along. On a
// screen whose ratio makes the move a fraction of a device pixel, the whole area is drawn again.
void ThaiHost::Scroll(int dx, int dy) {
    if (dx == 0 && dy == 0) return;
    SyncImageSize();
    const QRect all(QPoint(0, 0), units_);
    const qreal ratio = image_.devicePixelRatio();
    const int pdx = static_cast<int>(std::lround(dx * ratio)), pdy = static_cast<int>(std::lround(dy * ratio));
    if (painting_ || !handler_ || all.isEmpty() || std::abs(dx) >= all.width() || std::abs(dy) >= all.height() ||
        pdx != dx * ratio || pdy != dy * ratio) {
        Invalidate();
        return;
    }
    canvas_.Flush();
    MoveImagePixels(image_, pdx, pdy);
    canvas_.MoveDamage(dx, dy);
    pending_.translate(dx, dy);
    pending_ &= all;
    pending_ += QRegion(all) - QRegion(all.translated(dx, dy));
    pixelsScrolled_ += static_cast<long long>(image_.width() - std::abs(pdx)) * (image_.height() - std::abs(pdy));
    viewport()->scroll(dx, dy, viewport()->rect());
}

bool ThaiHost::MovePixels(const Rect& area, int dx, int dy) {
    if (painting_) return false;
    const QRect from = ToQRect(area);
    if (pending_.intersects(from) || pending_.intersects(from.translated(dx, dy))) return false;
    return canvas_.MovePixels(area, dx, dy);
}

bool ThaiHost::Pending(const Rect& r) const {
    if (r.Empty() || pending_.isEmpty()) return false;
    return (QRegion(ToQRect(r)) - pending_).isEmpty();
}

void ThaiHost::PushDamage() {
    pushQueued_ = false;
    QRegion region;
    for (const Rect& d : canvas_.TakeDamage()) region += ToQRect(d);
    if (!region.isEmpty()) viewport()->update(region);
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
            RunCommand([&] { handler_->HostPaint(ToRect(r)); });
        }
    }
    painting_ = false;
    if (!pending_.isEmpty()) viewport()->update();
}

void ThaiHost::paintEvent(QPaintEvent* event) {
    SyncImageSize();
    RunPending();
    canvas_.Flush();
    QRegion rest;
    for (const Rect& d : canvas_.TakeDamage()) rest += ToQRect(d);
    const QRegion region = event->region();
    QPainter p(viewport());
    // One rectangle at a time, clipped to it: a rectangle clip lets the painter copy the rows as
    // they are, where a region of several rectangles sends every row through its blending
    // (handed out to worker threads when there are many).
    for (const QRect& r : region) {
        if (region.rectCount() > 1) p.setClipRect(r);
        const QRect pixels = ImagePixels(r);
        p.drawImage(QRectF(r), image_, QRectF(pixels));
        pixelsPushed_ += static_cast<long long>(pixels.width()) * pixels.height();
    }
    // Anything drawn that this paint does not cover is shown by the next one.
    rest -= region;
    if (!rest.isEmpty()) viewport()->update(rest);
}

void ThaiHost::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    const QSize old = units_;
    SyncImageSize();
    if (old != units_) {
        horizontalScrollBar()->setPageStep(std::max(1, ClientWidth()));
        verticalScrollBar()->setPageStep(std::max(1, ClientHeight()));
        if (handler_) RunCommand([this] { handler_->HostResize(); });
        viewport()->update();
    }
}

KeySink* ThaiHost::CreateKeySink() {
    DeleteKeySink();
    sink_ = new KeySink(viewport(), true);
    // A child made after its window was shown stays hidden, and a hidden widget takes no focus.
    sink_->show();
    // The sink runs these inside the exception boundary.
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
    ShiftState state = ShiftFromQt(event->modifiers(), event->buttons());
    state.clicks = CountClicks(*event, this);
    RunCommand([&] { handler_->HostMouseDown(ButtonFromQt(event->button()), state, p.x(), p.y()); });
}

void ThaiHost::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    if (!handler_) return;
    const QPoint p = event->position().toPoint();
    RunCommand([&] { handler_->HostMouseMove(ShiftFromQt(event->modifiers(), event->buttons()), p.x(), p.y()); });
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
    RunCommand([&] { handler_->HostMouseUp(button, state, p.x(), p.y()); });
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
