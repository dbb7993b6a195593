// Scroll bars whose still parts are drawn from a kept picture (see qt_scrollbar.h).
//
// The application's style draws a bar's groove with lines the length of the bar; the painter blends
// such a line one pixel at a time and hands long runs of pixels to worker threads, so that a bar
// redrawn for every key cost more than the text it scrolls. The groove changes only with the bar's
// size and state: it is drawn once into a picture and copied from it. The slider, away from the
// groove's ends, is copied from a picture of a slider of its length over the groove; near the ends,
// and the arrows, are drawn by the style on top, as the style itself draws them after the groove.
#include "platform/qt_scrollbar.h"

#include <QApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QProxyStyle>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <algorithm>
#include <list>
#include <optional>
#include <utility>
#include <vector>

namespace platform {

namespace {

// The part of a host's bar that its paint of the moment draws (all of any other bar).
QRegion PaintArea(const QWidget* widget, const QRect& bar);

class PictureStyle : public QProxyStyle {
public:
    explicit PictureStyle(const QString& base) : QProxyStyle(base) {}

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget) const override {
        const auto* bar = qstyleoption_cast<const QStyleOptionSlider*>(option);
        if (control != CC_ScrollBar || !bar || bar->rect.isEmpty()) {
            QProxyStyle::drawComplexControl(control, option, painter, widget);
            return;
        }
        // The groove comes first and does not depend on the slider; the slider and the arrows
        // (which the style draws over the slider's ends) are drawn by the style as usual.
        constexpr SubControls kGroove = SC_ScrollBarGroove | SC_ScrollBarAddPage | SC_ScrollBarSubPage |
                                        SC_ScrollBarFirst | SC_ScrollBarLast;
        QStyleOptionSlider still = *bar;
        still.subControls &= kGroove;
        still.rect = QRect(QPoint(0, 0), bar->rect.size());
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        const Key key{still.rect.size(), ratio, bar->orientation, int(bar->state), int(bar->activeSubControls),
                      int(still.subControls), bar->palette.cacheKey(), bar->direction};
        if (still.subControls) painter->drawPixmap(bar->rect.topLeft(), Picture(key, still, widget));
        QStyleOptionSlider moving = *bar;
        moving.subControls &= ~kGroove;
        if ((moving.subControls & SC_ScrollBarSlider) && still.subControls == kGroove &&
            DrawSliderPicture(moving, key, still, painter, widget))
            moving.subControls &= ~SC_ScrollBarSlider;
        if (moving.subControls) DrawInStrips(moving, painter, widget);
    }

private:
    // The style outlines the slider with translucent lines its length. The painter hands a line of
    // 96 pixels or more to worker threads, one pixel at a time, which made a slider
    // that moves with every key cost more than the text drawn for the key. Drawn in strips across
    // the bar, each clipped to a strip, no line is that long; the strips do not overlap, so every
    // pixel is drawn exactly once, as the style would draw it in one go. Only the strips over the
    // slider and the arrows are drawn: the style's moving parts draw nothing elsewhere.
    void DrawInStrips(const QStyleOptionSlider& moving, QPainter* painter, const QWidget* widget) const {
        constexpr int kStrip = 90;
        const bool horizontal = moving.orientation == Qt::Horizontal;
        const QRect& bar = moving.rect;
        const int start = horizontal ? bar.left() : bar.top(), end = start + (horizontal ? bar.width() : bar.height());
        // The spans along the bar that the moving parts cover, a pixel wider on either side.
        std::vector<std::pair<int, int>> spans;
        for (const SubControl part : {SC_ScrollBarSubLine, SC_ScrollBarSlider, SC_ScrollBarAddLine}) {
            if (!(moving.subControls & part)) continue;
            const QRect r = subControlRect(CC_ScrollBar, &moving, part, widget);
            if (r.isEmpty()) continue;
            const int from = horizontal ? r.left() : r.top(), to = from + (horizontal ? r.width() : r.height());
            spans.emplace_back(std::max(from - 1, start), std::min(to + 1, end));
        }
        std::sort(spans.begin(), spans.end());
        // Strips outside the area being painted would draw nothing. A moved slider repaints its
        // two ends only, far apart on a long bar: the strips between them are left out.
        const QRegion area = PaintArea(widget, bar);
        int done = start;
        for (const auto& [from, to] : spans) {
            for (int a = std::max(from, done); a < to; a += kStrip) {
                const int b = std::min(a + kStrip, to);
                const QRect strip =
                    horizontal ? QRect(a, bar.top(), b - a, bar.height()) : QRect(bar.left(), a, bar.width(), b - a);
                if (!area.intersects(strip)) continue;
                painter->save();
                painter->setClipRect(strip, Qt::IntersectClip);
                QProxyStyle::drawComplexControl(CC_ScrollBar, &moving, painter, widget);
                painter->restore();
            }
            done = std::max(done, to);
        }
    }

    struct Key {
        QSize size;
        qreal ratio;
        Qt::Orientation orientation;
        int state, active, controls;
        qint64 palette;
        Qt::LayoutDirection direction;
        int length = 0;  // of the slider, for a picture of the slider
        bool operator==(const Key&) const = default;
    };

    // The slider looks the same wherever it stands along the groove, away from the groove's ends:
    // its picture over the groove, a few pixels wider than the slider, is drawn once for each
    // length and copied to wherever the slider is. Near the ends (where the arrows meet it) the
    // style draws it. False when the style is to draw it.
    bool DrawSliderPicture(const QStyleOptionSlider& moving, const Key& grooveKey, const QStyleOptionSlider& still,
                           QPainter* painter, const QWidget* widget) const {
        constexpr int kMargin = 3;
        const bool horizontal = moving.orientation == Qt::Horizontal;
        const QPoint origin = moving.rect.topLeft();
        QStyleOptionSlider at = moving;
        at.rect = QRect(QPoint(0, 0), moving.rect.size());
        const QRect slider = subControlRect(CC_ScrollBar, &at, SC_ScrollBarSlider, widget);
        const QRect groove = subControlRect(CC_ScrollBar, &at, SC_ScrollBarGroove, widget);
        auto along = [horizontal](const QRect& r) {
            return std::pair{horizontal ? r.left() : r.top(), horizontal ? r.right() + 1 : r.bottom() + 1};
        };
        const auto [s0, s1] = along(slider);
        const auto [g0, g1] = along(groove);
        if (slider.isEmpty() || s0 - kMargin < g0 + kMargin || s1 + kMargin > g1 - kMargin) return false;
        const int length = s1 - s0;
        const QRect piece = horizontal ? QRect(s0 - kMargin, 0, length + 2 * kMargin, at.rect.height())
                                       : QRect(0, s0 - kMargin, at.rect.width(), length + 2 * kMargin);
        Key key = grooveKey;
        key.controls = int(SC_ScrollBarSlider);
        key.length = length;
        const QPixmap* picture = nullptr;
        for (auto it = sliders_.begin(); it != sliders_.end(); ++it) {
            if (it->first == key) {
                sliders_.splice(sliders_.begin(), sliders_, it);
                picture = &sliders_.front().second;
                break;
            }
        }
        if (!picture) {
            QPixmap whole(at.rect.size() * key.ratio);
            whole.setDevicePixelRatio(key.ratio);
            whole.fill(Qt::transparent);
            {
                QPainter p(&whole);
                p.drawPixmap(0, 0, Picture(grooveKey, still, widget));
                QStyleOptionSlider only = at;
                only.subControls = SC_ScrollBarSlider;
                QProxyStyle::drawComplexControl(CC_ScrollBar, &only, &p, widget);
            }
            const QRect pixels(piece.topLeft() * key.ratio, piece.size() * key.ratio);
            QPixmap cut = whole.copy(pixels);
            cut.setDevicePixelRatio(key.ratio);
            sliders_.emplace_front(key, std::move(cut));
            if (sliders_.size() > 4) sliders_.pop_back();
            picture = &sliders_.front().second;
        }
        // The piece holds the groove under the slider as well: it replaces those pixels.
        const QPainter::CompositionMode mode = painter->compositionMode();
        painter->setCompositionMode(QPainter::CompositionMode_Source);
        painter->drawPixmap(origin + piece.topLeft(), *picture);
        painter->setCompositionMode(mode);
        return true;
    }

    const QPixmap& Picture(const Key& key, const QStyleOptionSlider& still, const QWidget* widget) const {
        for (auto it = pictures_.begin(); it != pictures_.end(); ++it) {
            if (it->first == key) {
                pictures_.splice(pictures_.begin(), pictures_, it);
                return pictures_.front().second;
            }
        }
        QPixmap picture(still.rect.size() * key.ratio);
        picture.setDevicePixelRatio(key.ratio);
        picture.fill(Qt::transparent);
        {
            QPainter p(&picture);
            QProxyStyle::drawComplexControl(CC_ScrollBar, &still, &p, widget);
        }
        pictures_.emplace_front(key, picture);
        if (pictures_.size() > 8) pictures_.pop_back();
        return pictures_.front().second;
    }

    mutable std::list<std::pair<Key, QPixmap>> pictures_;
    mutable std::list<std::pair<Key, QPixmap>> sliders_;
};

PictureStyle& TheStyle() {
    // One for the whole run, made with the application's style; it goes with the application.
    static PictureStyle* style = [] {
        auto* s = new PictureStyle(QApplication::style()->name());
        s->setParent(qApp);
        return s;
    }();
    return *style;
}

// What a change of range, page step or position can change in a bar's pixels.
struct SliderLook {
    QRect slider;
    bool atStart, atEnd, empty;
    bool operator==(const SliderLook&) const = default;
};

class HostScrollBar : public QScrollBar {
public:
    explicit HostScrollBar(Qt::Orientation orientation) : QScrollBar(orientation) {}

protected:
    void sliderChange(SliderChange change) override {
        const SliderLook now = Look();
        const std::optional<SliderLook> before = std::exchange(look_, now);
        if (change == SliderOrientationChange || !before || before->atStart != now.atStart ||
            before->atEnd != now.atEnd || before->empty != now.empty) {
            QScrollBar::sliderChange(change);
            return;
        }
        if (before->slider == now.slider) return;
        // Along its length the slider looks the same everywhere but at its ends: only the pixels
        // between an end's old and new place change, with the few the style draws the end with.
        constexpr int kEnd = 3;
        const bool horizontal = orientation() == Qt::Horizontal;
        auto along = [horizontal](const QRect& r) {
            return std::pair{horizontal ? r.left() : r.top(), horizontal ? r.right() + 1 : r.bottom() + 1};
        };
        const auto [oldFrom, oldTo] = along(before->slider);
        const auto [newFrom, newTo] = along(now.slider);
        QRegion changed;
        for (const auto& [a, b] : {std::pair{oldFrom, newFrom}, std::pair{oldTo, newTo}}) {
            const int from = std::min(a, b) - kEnd, to = std::max(a, b) + kEnd;
            changed += horizontal ? QRect(from, 0, to - from, height()) : QRect(0, from, width(), to - from);
        }
        update(changed & rect());
    }

    // Whatever else draws the bar again (a resize, the pointer over it, another style or
    // palette) starts the comparison afresh.
    void paintEvent(QPaintEvent* event) override {
        look_ = Look();
        paintArea_ = event->region();
        QScrollBar::paintEvent(event);
        paintArea_ = QRegion();
    }
    void resizeEvent(QResizeEvent* event) override {
        look_.reset();
        QScrollBar::resizeEvent(event);
    }
    void changeEvent(QEvent* event) override {
        look_.reset();
        QScrollBar::changeEvent(event);
    }

public:
    const QRegion& PaintArea() const { return paintArea_; }

private:
    SliderLook Look() const {
        QStyleOptionSlider option;
        initStyleOption(&option);
        return {style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this),
                value() <= minimum(), value() >= maximum(), minimum() == maximum()};
    }

    std::optional<SliderLook> look_;
    QRegion paintArea_;
};

QRegion PaintArea(const QWidget* widget, const QRect& bar) {
    const auto* host = dynamic_cast<const HostScrollBar*>(widget);
    return host && !host->PaintArea().isEmpty() ? host->PaintArea() : QRegion(bar);
}

}  // namespace

void KeepScrollBarPicture(QScrollBar* bar) { bar->setStyle(&TheStyle()); }

QScrollBar* NewHostScrollBar(Qt::Orientation orientation) {
    auto* bar = new HostScrollBar(orientation);
    KeepScrollBarPicture(bar);
    return bar;
}

}  // namespace platform
