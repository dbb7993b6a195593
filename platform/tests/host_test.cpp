// The host window: backing image, scroll bars, paint requests and mouse routing.
#include <gtest/gtest.h>

#include <QApplication>
#include <QBackingStore>
#include <QContextMenuEvent>
#include <QImage>
#include <QPointer>
#include <QScrollBar>
#include <QTest>
#include <cmath>
#include <string>
#include <vector>

#include "platform/lifetime.h"
#include "platform/qt_host.h"
#include "platform/qt_scrollbar.h"
#include "testing/host_paint.h"

namespace platform {
namespace {

constexpr Color kRed = RGB(255, 0, 0);

struct MouseCall {
    char kind;  // 'd'own, 'm'ove, 'u'p
    MouseButton button;
    ShiftState state;
    int x, y;
};

// Records what the host asks of its control. Optionally snaps the vertical position to `snap`
// pixels from inside HostPaint, as the text controls do.
class Recorder : public HostHandler {
public:
    explicit Recorder(ThaiHost& host) : host_(host) { host.SetHandler(this); }
    // A handler that goes before its host takes itself off, as the controls do.
    ~Recorder() override {
        if (host_.Handler() == this) host_.SetHandler(nullptr);
    }
    void HostPaint(const Rect& clip) override {
        paints.push_back(clip);
        int pos = host_.ScrollPos(ScrollBar::Vertical);
        seenPositions.push_back(pos);
        if (snap > 0 && pos % snap != 0) {
            host_.SetScrollPos(ScrollBar::Vertical, pos / snap * snap);
            host_.Invalidate();
            return;
        }
        host_.Canvas().SetFillColor(paintColor);
        host_.Canvas().FillRect(clip);
    }
    void HostResize() override { ++resizes; }
    void HostMouseDown(MouseButton b, ShiftState s, int x, int y) override { mouse.push_back({'d', b, s, x, y}); }
    void HostMouseMove(ShiftState s, int x, int y) override { mouse.push_back({'m', MouseButton::Left, s, x, y}); }
    void HostMouseUp(MouseButton b, ShiftState s, int x, int y) override { mouse.push_back({'u', b, s, x, y}); }
    void HostKeyDown(int& key, ShiftState) override { keys.push_back(key); }
    void HostKeyPress(unsigned char& key) override { typed.push_back(static_cast<char>(key)); }
    void HostFocusOut() override { ++focusOuts; }

    long Area() const {
        long a = 0;
        for (const Rect& r : paints) a += static_cast<long>(r.Width()) * r.Height();
        return a;
    }
    std::vector<Rect> paints;
    std::vector<int> seenPositions;
    std::vector<MouseCall> mouse;
    std::vector<int> keys;
    std::string typed;
    int focusOuts = 0;
    int resizes = 0;
    int snap = 0;
    Color paintColor = RGB(0, 0, 255);

private:
    ThaiHost& host_;
};

class HostTest : public ::testing::Test {
protected:
    void SetUp() override {
        host.resize(220, 160);
        host.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
        testhost::PaintPending(host);
        rec.paints.clear();
        rec.seenPositions.clear();
    }
    ThaiHost host;
    Recorder rec{host};
};

TEST_F(HostTest, ScrollBarsAreShownAndPositionsClamped) {
    EXPECT_TRUE(host.horizontalScrollBar()->isVisible());
    EXPECT_TRUE(host.verticalScrollBar()->isVisible());
    EXPECT_EQ(host.ClientWidth(), host.viewport()->width());
    EXPECT_LT(host.ClientWidth(), 220) << "the vertical bar takes its place beside the client area";

    host.SetScrollRange(ScrollBar::Vertical, 300);
    EXPECT_EQ(host.ScrollRange(ScrollBar::Vertical), 300);
    host.SetScrollPos(ScrollBar::Vertical, 450);
    EXPECT_EQ(host.ScrollPos(ScrollBar::Vertical), 300);
    host.SetScrollPos(ScrollBar::Vertical, -4);
    EXPECT_EQ(host.ScrollPos(ScrollBar::Vertical), 0);
    host.SetScrollPos(ScrollBar::Vertical, 120);
    host.SetScrollRange(ScrollBar::Vertical, 50);
    EXPECT_EQ(host.ScrollPos(ScrollBar::Vertical), 50) << "a smaller range pulls the position in";
    host.SetScrollRange(ScrollBar::Horizontal, 80);
    host.SetScrollPos(ScrollBar::Horizontal, 33);
    EXPECT_EQ(host.ScrollPos(ScrollBar::Horizontal), 33);
    EXPECT_EQ(host.ScrollPos(ScrollBar::Vertical), 50);
    host.SetScrollStep(ScrollBar::Horizontal, 12);
    EXPECT_EQ(host.ScrollStep(ScrollBar::Horizontal), 12);
    EXPECT_TRUE(host.verticalScrollBar()->hasTracking());

    // Positions set by the program never ask for a repaint.
    testhost::PaintPending(host);
    EXPECT_TRUE(rec.paints.empty());
}

TEST_F(HostTest, MovingABarRepaintsEverythingWithoutScrollingPixels) {
    host.SetScrollRange(ScrollBar::Vertical, 500);
    host.SetScrollStep(ScrollBar::Vertical, 16);
    host.Canvas().SetFillColor(kRed);
    host.Canvas().FillRect({0, 0, 10, 10});
    rec.paintColor = kRed;

    // The user drags the thumb to a place between rows; the handler snaps it back and asks again.
    rec.snap = 16;
    host.verticalScrollBar()->setValue(37);
    testhost::PaintPending(host);
    ASSERT_EQ(rec.seenPositions.size(), 2u);
    EXPECT_EQ(rec.seenPositions[0], 37) << "the unsnapped position reaches the handler";
    EXPECT_EQ(rec.seenPositions[1], 32);
    EXPECT_EQ(host.ScrollPos(ScrollBar::Vertical), 32);
    EXPECT_EQ(rec.paints.back(), (Rect{0, 0, host.ClientWidth(), host.ClientHeight()}));
    // The whole client area was painted by the handler; nothing was moved by the window itself.
    const QImage& img = host.BackingImage();
    EXPECT_EQ(img.pixel(host.ClientWidth() - 1, host.ClientHeight() - 1) & 0xFFFFFF, kRed);

    // An arrow click moves by the step.
    rec.paints.clear();
    host.verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(host.ScrollPos(ScrollBar::Vertical), 48);
    testhost::PaintPending(host);
    EXPECT_EQ(rec.paints.size(), 1u);

    // Nothing left to do: no further paint.
    rec.paints.clear();
    testhost::PaintPending(host);
    EXPECT_TRUE(rec.paints.empty());
}

TEST_F(HostTest, InvalidateAsksForTheWholeClientArea) {
    host.Invalidate();
    testhost::PaintPending(host);
    ASSERT_EQ(rec.paints.size(), 1u);
    EXPECT_EQ(rec.paints[0], (Rect{0, 0, host.ClientWidth(), host.ClientHeight()}));
    // The paint event runs pending requests too.
    rec.paints.clear();
    host.Invalidate();
    QApplication::processEvents();
    EXPECT_EQ(rec.Area(), static_cast<long>(host.ClientWidth()) * host.ClientHeight());
}

TEST_F(HostTest, ResizeKeepsOldPixelsAndAsksForTheNewArea) {
    const int w0 = host.ClientWidth(), h0 = host.ClientHeight();
    // The image holds device pixels: the colour at client point (x, y).
    const int k = static_cast<int>(host.viewport()->devicePixelRatioF());
    auto at = [k](const QImage& img, int x, int y) { return img.pixel(x * k, y * k) & 0xFFFFFF; };
    host.Canvas().SetFillColor(kRed);
    host.Canvas().FillRect({w0 - 5, h0 - 5, w0, h0});
    host.SetColor(RGB(10, 20, 30));
    const int resizes = rec.resizes;
    host.resize(300, 200);
    QApplication::processEvents();
    const int w1 = host.ClientWidth(), h1 = host.ClientHeight();
    ASSERT_GT(w1, w0);
    ASSERT_GT(h1, h0);
    EXPECT_GT(rec.resizes, resizes);
    EXPECT_EQ(host.BackingImage().size(), QSize(w1, h1) * k);
    // The handler painted exactly the new area (blue), the old pixels are still there.
    rec.paints.clear();
    testhost::PaintPending(host);
    EXPECT_EQ(rec.Area(), 0) << "the paint event already ran the requests";
    const QImage& img = host.BackingImage();
    EXPECT_EQ(at(img, w0 - 1, h0 - 1), kRed);
    EXPECT_EQ(at(img, w1 - 1, h1 - 1), RGB(0, 0, 255));
    EXPECT_EQ(at(img, w0, 0), RGB(0, 0, 255));
    EXPECT_EQ(at(img, 0, h0), RGB(0, 0, 255));
    EXPECT_EQ(at(img, w0 - 1, 0), RGB(0, 0, 255)) << "from the first paint of the set-up";

    // Without a handler the new area starts in the window colour.
    host.SetHandler(nullptr);
    host.resize(340, 220);
    QApplication::processEvents();
    const QImage& bigger = host.BackingImage();
    EXPECT_EQ(at(bigger, host.ClientWidth() - 1, host.ClientHeight() - 1), RGB(10, 20, 30));
    EXPECT_EQ(at(bigger, w1 - 1, h1 - 1), RGB(0, 0, 255));

    // Shrinking keeps what still fits.
    host.SetHandler(&rec);
    host.resize(120, 100);
    QApplication::processEvents();
    EXPECT_EQ(host.BackingImage().size(), QSize(host.ClientWidth(), host.ClientHeight()) * k);
    EXPECT_EQ(at(host.BackingImage(), 0, 0), RGB(0, 0, 255));
}

TEST_F(HostTest, ResizeRequestsCoverOnlyTheNewStrip) {
    host.SetHandler(nullptr);  // no paint during the resize events
    const int w0 = host.ClientWidth(), h0 = host.ClientHeight();
    host.resize(260, 160);
    QApplication::sendPostedEvents();
    host.SetHandler(&rec);
    rec.paints.clear();
    testhost::PaintPending(host);
    const int w1 = host.ClientWidth();
    ASSERT_EQ(host.ClientHeight(), h0);
    EXPECT_EQ(rec.Area(), static_cast<long>(w1 - w0) * h0);
    for (const Rect& r : rec.paints) EXPECT_GE(r.left, w0);
}

TEST_F(HostTest, CanvasDrawingReachesTheScreen) {
    host.Canvas().SetFillColor(kRed);
    host.Canvas().FillRect({3, 4, 9, 8});
    const QImage shown = host.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(shown.isNull());
    const qreal dpr = shown.devicePixelRatio();
    EXPECT_EQ(shown.pixel(static_cast<int>(5 * dpr), static_cast<int>(6 * dpr)) & 0xFFFFFF, kRed);
    EXPECT_EQ(shown.pixel(static_cast<int>(20 * dpr), static_cast<int>(20 * dpr)) & 0xFFFFFF, RGB(0, 0, 255));
}

// The backing image holds the screen's device pixels (the suite runs once more with
// QT_SCALE_FACTOR=2): the control draws in units, a glyph image with a detail set for two device
// pixels per unit shows that set, and the screen shows the image's pixels as they are, not blown up.
TEST_F(HostTest, BackingImageHoldsTheScreensDevicePixels) {
    const qreal dpr = host.viewport()->devicePixelRatioF();
    const QImage& image = host.BackingImage();
    EXPECT_EQ(image.devicePixelRatio(), dpr);
    EXPECT_EQ(image.width(), static_cast<int>(std::ceil(host.ClientWidth() * dpr - 1e-6)));
    EXPECT_EQ(host.Canvas().Width(), host.ClientWidth());
    EXPECT_EQ(host.Canvas().Height(), host.ClientHeight());

    // A 2 x 2 image: plain it is red; drawn for two device pixels a unit it is a checkerboard of
    // single device pixels.
    ImageList list(2, 2);
    Bitmap plain(2, 2), fine(4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            fine.SetPixel(x, y, (x + y) % 2 ? clBlack : kRed);
            if (x < 2 && y < 2) plain.SetPixel(x, y, kRed);
        }
    list.AddMasked(plain, clWhite);
    list.AddMaskedDetail(2, fine, clWhite);
    host.Canvas().DrawImage({10, 8, 12, 10}, list, 0, {0, 0, 2, 2}, clWhite);
    const QImage& drawn = host.BackingImage();
    const QImage shown = host.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.devicePixelRatio(), dpr);
    const int k = static_cast<int>(dpr);
    for (int y = 0; y < 2 * k; ++y)
        for (int x = 0; x < 2 * k; ++x) {
            const Color want = dpr >= 2 ? ((x + y) % 2 ? clBlack : kRed) : kRed;
            EXPECT_EQ(drawn.pixel(10 * k + x, 8 * k + y) & 0xFFFFFF, want) << x << "," << y;
            EXPECT_EQ(shown.pixel(10 * k + x, 8 * k + y) & 0xFFFFFF, want) << x << "," << y;
        }
}

TEST_F(HostTest, MouseEventsCarryClientPointsButtonsAndKeys) {
    QWidget* vp = host.viewport();
    QTest::mousePress(vp, Qt::LeftButton, Qt::ShiftModifier, QPoint(10, 12));
    QTest::mouseMove(vp, QPoint(30, 14));
    QTest::mouseRelease(vp, Qt::LeftButton, Qt::ControlModifier, QPoint(31, 15));
    std::vector<MouseCall> calls;
    for (const MouseCall& c : rec.mouse)
        if (c.kind != 'm' || c.x == 30) calls.push_back(c);
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].kind, 'd');
    EXPECT_EQ(calls[0].button, MouseButton::Left);
    EXPECT_EQ(calls[0].x, 10);
    EXPECT_EQ(calls[0].y, 12);
    EXPECT_TRUE(calls[0].state.left);
    EXPECT_TRUE(calls[0].state.shift);
    EXPECT_FALSE(calls[0].state.right);
    EXPECT_EQ(calls[1].kind, 'm');
    EXPECT_EQ(calls[1].y, 14);
    EXPECT_TRUE(calls[1].state.left);
    EXPECT_EQ(calls[2].kind, 'u');
    EXPECT_EQ(calls[2].button, MouseButton::Left);
    EXPECT_EQ(calls[2].x, 31);
    EXPECT_TRUE(calls[2].state.ctrl);
    EXPECT_FALSE(calls[2].state.left) << "released";

    rec.mouse.clear();
    QTest::mousePress(vp, Qt::RightButton, Qt::AltModifier, QPoint(5, 6));
    ASSERT_EQ(rec.mouse.size(), 1u);
    EXPECT_EQ(rec.mouse[0].button, MouseButton::Right);
    EXPECT_TRUE(rec.mouse[0].state.right);
    EXPECT_TRUE(rec.mouse[0].state.alt);
    QTest::mouseRelease(vp, Qt::RightButton, {}, QPoint(5, 6));
    ASSERT_EQ(rec.mouse.size(), 2u);
    EXPECT_EQ(rec.mouse[1].kind, 'u');
    EXPECT_EQ(rec.mouse[1].button, MouseButton::Right);
    EXPECT_EQ(rec.mouse[1].x, 5);
}

TEST_F(HostTest, PointerShapes) {
    EXPECT_EQ(host.Pointer(), PointerShape::IBeam);
    EXPECT_EQ(host.viewport()->cursor().shape(), Qt::IBeamCursor);
    host.SetPointer(PointerShape::Drag);
    EXPECT_EQ(host.Pointer(), PointerShape::Drag);
    EXPECT_EQ(host.viewport()->cursor().shape(), Qt::DragCopyCursor);
    host.SetPointer(PointerShape::IBeam);
    EXPECT_EQ(host.viewport()->cursor().shape(), Qt::IBeamCursor);
}

TEST_F(HostTest, KeySinkTakesTheFocusOnAClickAndHandsItsKeysToTheHandler) {
    host.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&host));
    QPointer<KeySink> first = host.CreateKeySink();
    ASSERT_TRUE(first);
    KeySink* sink = host.CreateKeySink();
    EXPECT_TRUE(first.isNull()) << "a new sink replaces the one made before";
    EXPECT_EQ(host.Sink(), sink);
    EXPECT_EQ(sink->parentWidget(), host.viewport());

    QTest::mouseClick(host.viewport(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(sink->hasFocus());
    QTest::keyClicks(sink, "ab");
    QTest::keyClick(sink, Qt::Key_Left);
    EXPECT_EQ(rec.typed, "ab");
    EXPECT_EQ(rec.keys, (std::vector<int>{vk::KeyA, vk::KeyA + 1, vk::Left}));
    sink->clearFocus();
    EXPECT_EQ(rec.focusOuts, 1);

    // Without a handler the keys go nowhere; a deleted sink is gone from the widget tree.
    host.SetHandler(nullptr);
    QTest::keyClicks(sink, "c");
    EXPECT_EQ(rec.typed, "ab");
    QPointer<KeySink> second = sink;
    host.DeleteKeySink();
    EXPECT_TRUE(second.isNull());
    EXPECT_EQ(host.Sink(), nullptr);
}

// A bar that keeps pictures of its groove and of its slider looks exactly as the style draws it,
// wherever its slider stands and whatever its range.
TEST(HostScrollBarTest, ABarDrawnFromItsPictureLooksAsTheStyleDrawsIt) {
    for (const Qt::Orientation orientation : {Qt::Horizontal, Qt::Vertical}) {
        QScrollBar plain(orientation), kept(orientation);
        KeepScrollBarPicture(&kept);
        const QSize size = orientation == Qt::Horizontal ? QSize(300, 16) : QSize(16, 220);
        for (QScrollBar* b : {&plain, &kept}) {
            b->resize(size);
            b->setPageStep(100);
        }
        // The slider of one length at two places: the second is drawn from the first one's picture.
        for (const auto& [range, value] :
             {std::pair{1000, 0}, {1000, 420}, {1000, 500}, {1000, 1000}, {5000, 2500}, {0, 0}}) {
            for (QScrollBar* b : {&plain, &kept}) {
                b->setRange(0, range);
                b->setValue(value);
            }
            const QImage a = plain.grab().toImage(), b = kept.grab().toImage();
            EXPECT_TRUE(a == b) << (orientation == Qt::Horizontal ? "horizontal" : "vertical") << " bar, range " << range
                                << ", value " << value;
        }
    }
}

// A host's bar draws again only where its slider was and is after a change of range or position:
// what the window shows is still what a whole repaint of the bar draws, step after step, the
// slider growing, shrinking, moving and reaching either end (where the arrows change).
TEST(HostScrollBarTest, AHostBarShowsAfterEveryChangeWhatAWholeRepaintDraws) {
    for (const Qt::Orientation orientation : {Qt::Horizontal, Qt::Vertical}) {
        QWidget window;
        QScrollBar* bar = NewHostScrollBar(orientation);
        bar->setParent(&window);
        bar->setGeometry(orientation == Qt::Horizontal ? QRect(0, 0, 420, 16) : QRect(0, 0, 16, 300));
        bar->setPageStep(100);
        bar->setRange(0, 1000);
        window.resize(430, 310);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        const std::vector<std::pair<int, int>> steps = {{1000, 300}, {1010, 300}, {1020, 300}, {1400, 300},
                                                        {1400, 310}, {1400, 900}, {1400, 1400}, {1420, 1400},
                                                        {1420, 0},   {1500, 0},   {300, 150},  {0, 0}, {800, 400},
                                                        {100, 0},    {100, 60},   {130, 60}};
        for (const auto& [range, value] : steps) {
            bar->setRange(0, range);
            bar->setValue(value);
            for (int round = 0; round < 3; ++round) QApplication::processEvents();
            auto* shown = dynamic_cast<QImage*>(window.backingStore()->paintDevice());
            ASSERT_NE(shown, nullptr);
            const QImage screen = shown->copy(bar->geometry()).convertToFormat(QImage::Format_RGB32);
            const QImage whole = bar->grab().toImage().convertToFormat(QImage::Format_RGB32);
            EXPECT_TRUE(screen == whole) << (orientation == Qt::Horizontal ? "horizontal" : "vertical") << " bar, range "
                                         << range << ", value " << value;
        }
    }
}

// The window's widget tree deletes the host and its sink; a weak reference sees it.
TEST(HostLifetimeTest, WeakReferenceEndsWithTheWindow) {
    auto* window = new QWidget;
    auto* host = new ThaiHost(window);
    const WeakRef<Host> ref(host);
    const QPointer<KeySink> sink = host->CreateKeySink();
    EXPECT_EQ(ref.Get(), static_cast<Host*>(host));
    delete window;
    EXPECT_EQ(ref.Get(), nullptr);
    EXPECT_FALSE(ref);
    EXPECT_TRUE(sink.isNull());
}

// A window around the host that would open a menu on a right click.
class MenuWindow : public QWidget {
public:
    int menus = 0;

protected:
    void contextMenuEvent(QContextMenuEvent*) override { ++menus; }
};

TEST(HostMenuTest, RightClickOpensNoMenuOfTheEnclosingWindow) {
    MenuWindow window;
    auto* host = new ThaiHost(&window);
    host->setGeometry(0, 0, 100, 80);
    window.resize(200, 150);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QContextMenuEvent onHost(QContextMenuEvent::Mouse, QPoint(5, 5), host->viewport()->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(host->viewport(), &onHost);
    EXPECT_EQ(window.menus, 0);
    // Elsewhere in the window the menu still opens: the probe itself works.
    QContextMenuEvent beside(QContextMenuEvent::Mouse, QPoint(150, 120), window.mapToGlobal(QPoint(150, 120)));
    QApplication::sendEvent(&window, &beside);
    EXPECT_EQ(window.menus, 1);
}

// Two windows side by side: a right-button drag that starts in one ends in the other.
TEST(HostRoutingTest, RightReleaseGoesToTheHostUnderThePointer) {
    ThaiHost a, b;
    a.setGeometry(50, 50, 200, 150);
    b.setGeometry(400, 60, 200, 150);
    a.show();
    b.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&a));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&b));
    Recorder ra(a), rb(b);

    const QPoint overB = b.viewport()->mapToGlobal(QPoint(7, 9));
    const QPoint overA = a.viewport()->mapToGlobal(QPoint(20, 30));
    EXPECT_EQ(ThaiHost::HostAt(overB), &b);
    EXPECT_EQ(ThaiHost::HostAt(overA), &a);
    EXPECT_EQ(ThaiHost::HostAt(QPoint(5000, 5000)), nullptr);
    EXPECT_EQ(ThaiHost::ReleaseTarget(&a, Qt::RightButton, overB), &b);
    EXPECT_EQ(ThaiHost::ReleaseTarget(&a, Qt::LeftButton, overB), &a);
    EXPECT_EQ(ThaiHost::ReleaseTarget(&a, Qt::RightButton, QPoint(5000, 5000)), nullptr);
    // The scroll bar is not the client area.
    const QPoint onBar = b.verticalScrollBar()->mapToGlobal(QPoint(3, 3));
    EXPECT_EQ(ThaiHost::HostAt(onBar), nullptr);

    // Press on A, release (as Qt delivers it: to A, which holds the mouse) over B.
    QTest::mousePress(a.viewport(), Qt::RightButton, {}, QPoint(20, 30));
    QTest::mouseRelease(a.viewport(), Qt::RightButton, {}, a.viewport()->mapFromGlobal(overB));
    ASSERT_EQ(ra.mouse.size(), 1u);
    EXPECT_EQ(ra.mouse[0].kind, 'd');
    ASSERT_EQ(rb.mouse.size(), 1u);
    EXPECT_EQ(rb.mouse[0].kind, 'u');
    EXPECT_EQ(rb.mouse[0].button, MouseButton::Right);
    EXPECT_EQ(rb.mouse[0].x, 7);
    EXPECT_EQ(rb.mouse[0].y, 9);

    // A left release stays with the pressed host, in its own coordinates.
    QTest::mousePress(a.viewport(), Qt::LeftButton, {}, QPoint(20, 30));
    QTest::mouseRelease(a.viewport(), Qt::LeftButton, {}, a.viewport()->mapFromGlobal(overB));
    ASSERT_EQ(ra.mouse.size(), 3u);
    EXPECT_EQ(ra.mouse[2].kind, 'u');
    EXPECT_EQ(ra.mouse[2].x, a.viewport()->mapFromGlobal(overB).x());
    EXPECT_EQ(rb.mouse.size(), 1u);

    // A right release over nothing reaches no host.
    QTest::mousePress(a.viewport(), Qt::RightButton, {}, QPoint(20, 30));
    QTest::mouseRelease(a.viewport(), Qt::RightButton, {}, a.viewport()->mapFromGlobal(QPoint(5000, 5000)));
    EXPECT_EQ(ra.mouse.size(), 4u);
    EXPECT_EQ(rb.mouse.size(), 1u);
}

}  // namespace
}  // namespace platform
