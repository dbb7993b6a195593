// Scroll bars whose still parts are drawn from a kept picture (see qt_scrollbar.h).
//
// The application's style draws a bar's groove with lines the length of the bar; the painter blends
// such a line one pixel at a time and hands long runs of pixels to worker threads, so that a bar
// redrawn for every key cost more than the text it scrolls. The groove changes only with the bar's
// size and state: it is drawn once into a picture and copied from it; the slider and the arrows
// are drawn by the style on top, as the style itself draws them after the groove.
#include "platform/qt_scrollbar.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QProxyStyle>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <list>

namespace platform {

namespace {

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
        if (moving.subControls) QProxyStyle::drawComplexControl(control, &moving, painter, widget);
    }

private:
    struct Key {
        QSize size;
        qreal ratio;
        Qt::Orientation orientation;
        int state, active, controls;
        qint64 palette;
        Qt::LayoutDirection direction;
        bool operator==(const Key&) const = default;
    };

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

}  // namespace

void KeepScrollBarPicture(QScrollBar* bar) { bar->setStyle(&TheStyle()); }

}  // namespace platform
