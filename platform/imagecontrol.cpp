#include "platform/qt_imagecontrol.h"
#include "platform/qt_surface.h"

#include <QMouseEvent>
#include <QPainter>

#include "platform/qt_keysink.h"
#include "platform/services.h"

namespace platform {

ImageControl::ImageControl(QWidget* parent) : QWidget(parent) {}

void ImageControl::Changed() {
    if (AutoSize && Picture.Width() > 0 && Picture.Height() > 0) setFixedSize(Picture.Width(), Picture.Height());
    update();
}

void ImageControl::MouseDown(MouseButton button, ShiftState state, int x, int y) {
    if (OnMouseDown) OnMouseDown(button, state, x, y);
}

void ImageControl::MouseUp(MouseButton button, ShiftState state, int x, int y) {
    if (OnMouseUp) OnMouseUp(button, state, x, y);
}

void ImageControl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, platform::QtImage(Picture));
}

void ImageControl::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    RunCommand([&] { MouseDown(ButtonFromQt(event->button()), ShiftFromQt(event->modifiers(), event->buttons()), p.x(), p.y()); });
}

void ImageControl::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    RunCommand([&] { MouseUp(ButtonFromQt(event->button()), ShiftFromQt(event->modifiers(), event->buttons()), p.x(), p.y()); });
}

}  // namespace platform
