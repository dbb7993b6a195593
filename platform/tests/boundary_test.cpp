// The one exception boundary: a handler of a key, a mouse button, a paint, a resize, a scroll or
// a timer that fails becomes a message, and the window goes on taking events.
#include <gtest/gtest.h>

#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/qt_events.h"
#include "platform/qt_host.h"
#include "platform/qt_imagecontrol.h"
#include "platform/qt_services.h"
#include "testing/host_paint.h"

namespace platform {
namespace {

class Watching : public Services {
public:
    void ReportError(const std::string& m) override {
        errors.push_back(m);
        if (onReport) onReport();
    }
    std::vector<std::string> errors;
    std::function<void()> onReport;
};

class InstalledWatch {
public:
    InstalledWatch() { Install(&watch); }
    ~InstalledWatch() { Install(nullptr); }
    Watching watch;
};

// Counts every call by kind and throws on the kind named in `failOn`.
class Failing : public HostHandler {
public:
    explicit Failing(ThaiHost& host) : host_(host) { host.SetHandler(this); }
    ~Failing() override {
        if (host_.Handler() == this) host_.SetHandler(nullptr);
    }
    void HostPaint(const Rect&) override { Call("paint"); }
    void HostResize() override { Call("resize"); }
    void HostMouseDown(MouseButton, ShiftState, int, int) override { Call("down"); }
    void HostMouseMove(ShiftState, int, int) override { Call("move"); }
    void HostMouseUp(MouseButton, ShiftState, int, int) override { Call("up"); }
    void HostKeyDown(int&, ShiftState) override { Call("keydown"); }
    void HostKeyPress(unsigned char&) override { Call("keypress"); }
    void HostFocusOut() override { Call("focusout"); }
    bool HostScrolled() override {
        Call("scroll");
        return true;
    }
    int Calls(const std::string& kind) const {
        int n = 0;
        for (const std::string& c : calls) n += c == kind;
        return n;
    }
    std::string failOn;
    bool outOfMemory = false;
    std::vector<std::string> calls;

private:
    void Call(const std::string& kind) {
        calls.push_back(kind);
        if (kind != failOn) return;
        if (outOfMemory) throw std::bad_alloc();
        throw std::runtime_error("failed: " + kind);
    }
    ThaiHost& host_;
};

TEST(ExceptionBoundaryTest, EveryKindOfHostEventReportsAFailureAndTheNextEventIsHandled) {
    InstalledWatch w;
    ThaiHost host;
    Failing handler(host);
    host.resize(200, 120);
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    host.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&host));
    KeySink* sink = host.CreateKeySink();
    host.SetScrollRange(ScrollBar::Vertical, 500);
    QWidget* vp = host.viewport();
    int width = 200;
    const std::vector<std::pair<std::string, std::function<void()>>> events = {
        {"paint", [&] { host.Invalidate(); testhost::PaintPending(host); }},
        {"resize", [&] { host.resize(width += 10, 120); }},
        {"down", [&] { QTest::mousePress(vp, Qt::LeftButton, {}, QPoint(10, 10)); }},
        {"move", [&] { QTest::mouseMove(vp, QPoint(20 + width % 7, 12)); }},
        {"up", [&] { QTest::mouseRelease(vp, Qt::LeftButton, {}, QPoint(20, 12)); }},
        {"keydown", [&] { QTest::keyClick(sink, Qt::Key_Left); }},
        {"keypress", [&] { QTest::keyClick(sink, Qt::Key_A); }},
        {"focusout", [&] { sink->setFocus(); sink->clearFocus(); }},
        {"scroll", [&] { host.verticalScrollBar()->setValue(host.verticalScrollBar()->value() + 16); }},
    };
    for (const auto& [kind, trigger] : events) {
        SCOPED_TRACE(kind);
        w.watch.errors.clear();
        handler.failOn = kind;
        int before = handler.Calls(kind);
        trigger();
        ASSERT_GT(handler.Calls(kind), before) << "the event reached its handler";
        ASSERT_FALSE(w.watch.errors.empty());
        EXPECT_EQ(w.watch.errors[0], "failed: " + kind);
        // The same kind of event is handled again once the handler stops failing.
        handler.failOn.clear();
        w.watch.errors.clear();
        before = handler.Calls(kind);
        trigger();
        EXPECT_GT(handler.Calls(kind), before);
        EXPECT_TRUE(w.watch.errors.empty());
    }
    // A key-down that fails types nothing: the key ends with its message.
    handler.failOn = "keydown";
    const int typed = handler.Calls("keypress");
    QTest::keyClick(sink, Qt::Key_B);
    EXPECT_EQ(handler.Calls("keypress"), typed);
    // Running out of memory is a message in words, not the library's name for it.
    handler.failOn = "paint";
    handler.outOfMemory = true;
    w.watch.errors.clear();
    host.Invalidate();
    testhost::PaintPending(host);
    ASSERT_FALSE(w.watch.errors.empty());
    EXPECT_EQ(w.watch.errors[0], "There is not enough memory to finish this step.");
}

TEST(ExceptionBoundaryTest, TimersAndPictureClicksReportAFailureAndGoOn) {
    InstalledWatch w;
    QTimer timer;
    timer.setInterval(0);
    int ticks = 0;
    OnTimeout(timer, &timer, [&] {
        if (++ticks == 1) throw std::runtime_error("tick");
    });
    timer.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ticks >= 2; }, 2000));
    timer.stop();
    ASSERT_EQ(w.watch.errors.size(), 1u);
    EXPECT_EQ(w.watch.errors[0], "tick");

    bool later = false;
    RunLater(&timer, 0, [&] { throw std::runtime_error("later"); });
    RunLater(&timer, 0, [&] { later = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return later; }, 2000));
    ASSERT_EQ(w.watch.errors.size(), 2u);
    EXPECT_EQ(w.watch.errors[1], "later");

    ImageControl picture;
    picture.resize(20, 20);
    picture.OnMouseDown = [](MouseButton, ShiftState, int, int) { throw std::runtime_error("click"); };
    QTest::mousePress(&picture, Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_EQ(w.watch.errors.size(), 3u);
    EXPECT_EQ(w.watch.errors[2], "click");
}

// A failure under the message of another (a paint that fails again while the message box runs
// its own event loop) is not reported on top of it: one message, no pile of boxes.
TEST(ExceptionBoundaryTest, AFailureWhileAnotherIsReportedAddsNoSecondMessage) {
    InstalledWatch w;
    int inner = 0;
    w.watch.onReport = [&] {
        RunCommand([&] {
            ++inner;
            throw std::runtime_error("again");
        });
    };
    RunCommand([] { throw std::runtime_error("first"); });
    EXPECT_EQ(inner, 1);
    ASSERT_EQ(w.watch.errors.size(), 1u);
    EXPECT_EQ(w.watch.errors[0], "first");
    // The next failure after the report is shown again.
    w.watch.onReport = nullptr;
    RunCommand([] { throw std::runtime_error("next"); });
    ASSERT_EQ(w.watch.errors.size(), 2u);
}

}  // namespace
}  // namespace platform
