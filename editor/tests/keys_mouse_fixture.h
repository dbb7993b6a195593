// A text control on a real host window for the key and mouse tests: the window is shown on the
// offscreen platform, keys go through the control's keyboard sink and mouse events through the
// host's viewport, and pixels are read from the host's backing image.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QBackingStore>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QPoint>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "editor/thaimemo.h"
#include "platform/qt_host.h"
#include "script/customthai.h"
#include "testing/host_paint.h"

namespace keystest {

template <class Control>
class HostedView {
public:
    explicit HostedView(QPoint where = QPoint(0, 0), QSize size = QSize(600, 400)) {
        CreateGlyphImages();
        host_ = std::make_unique<platform::ThaiHost>();
        host_->resize(size);
        host_->move(where);
        host_->show();
        (void)QTest::qWaitForWindowExposed(host_.get());
        ctl_ = std::make_unique<Control>();
        ctl_->Attach(host_.get());
        Settle();
    }
    ~HostedView() {
        ctl_.reset();
        host_.reset();
    }
    HostedView(const HostedView&) = delete;
    HostedView& operator=(const HostedView&) = delete;

    Control& operator*() { return *ctl_; }
    Control* operator->() { return ctl_.get(); }
    platform::ThaiHost& Host() { return *host_; }
    QWidget* Viewport() { return host_->viewport(); }

    // Replaces the text, shows it from the top and puts the cursor at (0, 0).
    void SetText(const std::vector<std::string>& lines) {
        ctl_->Lines.Assign(lines);
        ctl_->Modified = false;
        ctl_->TopLine = 0;
        ctl_->LeftCol = 0;
        ctl_->ResetView();
        ctl_->SetCursor(0, 0);
        Settle();
    }
    void Cursor(int line, int col) {
        ctl_->HideCaret();
        ctl_->SetCursor(line, col);
        ctl_->DrawCaret();
        Settle();
    }

    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        if (mods.testFlag(Qt::ControlModifier) && !mods.testFlag(Qt::AltModifier) && key >= Qt::Key_A &&
            key <= Qt::Key_Z) {
            // A real keyboard gives Ctrl+letter the control character as its text (Ctrl+Y: 0x19),
            // where the test library would give the letter itself.
            const QString text(QChar(static_cast<char16_t>(key - Qt::Key_A + 1)));
            QKeyEvent press(QEvent::KeyPress, key, mods, text);
            QKeyEvent release(QEvent::KeyRelease, key, mods, text);
            QApplication::sendEvent(ctl_->tcm, &press);
            QApplication::sendEvent(ctl_->tcm, &release);
        } else {
            QTest::keyClick(ctl_->tcm, key, mods);
        }
        Settle();
    }
    // The user drags a scroll bar to a pixel position.
    void ScrollTo(Qt::Orientation bar, int pos) {
        (bar == Qt::Vertical ? host_->verticalScrollBar() : host_->horizontalScrollBar())->setValue(pos);
        Settle();
    }
    void Keys(Qt::Key key, int times, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        for (int i = 0; i < times; ++i) Key(key, mods);
    }

    // The middle of a cell of the text in viewport pixels, for the present view origin.
    QPoint CellCentre(int line, int col) const {
        return QPoint((col - ctl_->LeftCol) * ctl_->CellWidth + ctl_->CellWidth / 2,
                      (line - ctl_->TopLine) * ctl_->RowHeight + ctl_->RowHeight / 2);
    }
    void Press(Qt::MouseButton b, int line, int col) { QTest::mousePress(Viewport(), b, {}, CellCentre(line, col)); }
    void Release(Qt::MouseButton b, int line, int col) {
        QTest::mouseRelease(Viewport(), b, {}, CellCentre(line, col));
    }
    void Move(int line, int col) { QTest::mouseMove(Viewport(), CellCentre(line, col)); }
    // A left-button press and release at a viewport point with the event time `ms`: presses less
    // than the double-click time apart count as one double (triple) click.
    void ClickAt(QPoint p, ulong ms, Qt::MouseButton b = Qt::LeftButton) {
        QMouseEvent press(QEvent::MouseButtonPress, p, Viewport()->mapToGlobal(p), b, b, Qt::NoModifier);
        press.setTimestamp(ms);
        QApplication::sendEvent(Viewport(), &press);
        QMouseEvent release(QEvent::MouseButtonRelease, p, Viewport()->mapToGlobal(p), b, Qt::NoButton,
                            Qt::NoModifier);
        release.setTimestamp(ms + 1);
        QApplication::sendEvent(Viewport(), &release);
        Settle();
    }

    // Runs outstanding repaints (scrolling, exposure) and returns the client area as drawn.
    QImage Image() {
        Settle();
        return host_->BackingImage().copy();
    }
    // The client area as the screen shows it: the window's own copy of its pixels (its backing
    // store on the offscreen platform), which holds only what the host's paint events copied there
    // and what the toolkit moved when the view scrolled.
    QImage Screen() {
        Settle();
        for (int round = 0; round < 3; ++round) QApplication::processEvents();
        auto* shown = dynamic_cast<QImage*>(host_->backingStore()->paintDevice());
        if (!shown) return QImage();
        const QRect area(Viewport()->mapTo(host_.get(), QPoint(0, 0)), Viewport()->size());
        return shown->copy(area).convertToFormat(QImage::Format_RGB32);
    }
    // The client area as a repaint of the whole window draws it.
    QImage FullRepaint() {
        host_->Invalidate();
        return Image();
    }
    void Settle() {
        QApplication::processEvents();
        testhost::PaintPending(*host_);
    }

    // Pixels of one cell of the view (view row and column, not text line and cell).
    QImage CellImage(int row, int col) {
        return Image().copy(col * ctl_->CellWidth, row * ctl_->RowHeight, ctl_->CellWidth, ctl_->RowHeight);
    }
    // How many pixels of a view cell have exactly this colour.
    int CountColour(int row, int col, QRgb colour) {
        const QImage cell = CellImage(row, col).convertToFormat(QImage::Format_RGB32);
        int n = 0;
        for (int y = 0; y < cell.height(); ++y)
            for (int x = 0; x < cell.width(); ++x)
                if ((cell.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF)) ++n;
        return n;
    }
    bool CellHighlighted(int row, int col) { return CountColour(row, col, qRgb(255, 255, 0)) > 0; }
    // True when some pixel of the view cell is neither white nor the highlight: a glyph or the caret.
    bool CellInked(int row, int col) {
        const int all = ctl_->CellWidth * ctl_->RowHeight;
        return CountColour(row, col, qRgb(255, 255, 255)) + CountColour(row, col, qRgb(255, 255, 0)) < all;
    }

private:
    std::unique_ptr<platform::ThaiHost> host_;
    std::unique_ptr<Control> ctl_;
};

using MemoView = HostedView<TThaimemo>;
using ListView = HostedView<TThailist>;

// Where two images first differ, for the failure message.
inline std::string FirstDifference(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return " (sizes differ)";
    const QImage x = a.convertToFormat(QImage::Format_RGB32), y = b.convertToFormat(QImage::Format_RGB32);
    for (int py = 0; py < x.height(); ++py)
        for (int px = 0; px < x.width(); ++px)
            if (x.pixel(px, py) != y.pixel(px, py))
                return " at pixel (" + std::to_string(px) + ", " + std::to_string(py) + "): " +
                       QString::number(x.pixel(px, py) & 0xFFFFFF, 16).toStdString() + " drawn, " +
                       QString::number(y.pixel(px, py) & 0xFFFFFF, 16).toStdString() + " repainted";
    return "";
}

inline std::vector<std::string> Text(const TThailist& v) { return v.Lines.All(); }

// Expects the immediate drawing of the last operations, and what of it reached the screen (the
// changed areas the host pushed, the pixels a scroll moved), to equal a repaint of the whole window.
#define EXPECT_SAME_AS_FULL_REPAINT(view)                                                          \
    do {                                                                                           \
        const QImage drawn_ = (view).Image();                                                      \
        const QImage screen_ = (view).Screen();                                                    \
        const QImage full_ = (view).FullRepaint();                                                 \
        EXPECT_TRUE(drawn_ == full_) << "immediate drawing differs from a full repaint"            \
                                     << keystest::FirstDifference(drawn_, full_);                 \
        EXPECT_TRUE(screen_ == full_) << "the screen differs from a full repaint"                  \
                                      << keystest::FirstDifference(screen_, full_);               \
    } while (0)

}  // namespace keystest
