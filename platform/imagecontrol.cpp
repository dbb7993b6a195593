#include "platform/imagecontrol.h"
#include "platform/qt_surface.h"

#include <QMouseEvent>
#include <QPainter>

namespace platform {

namespace {

MouseButton ButtonOf(Qt::MouseButton b) {
    switch (b) {
        case Qt::RightButton: return MouseButton::Right;
        case Qt::MiddleButton: return MouseButton::Middle;
        default: return MouseButton::Left;
    }
}

ShiftState StateOf(const QMouseEvent& e) {
    ShiftState s;
    s.shift = e.modifiers() & Qt::ShiftModifier;
    s.ctrl = e.modifiers() & Qt::ControlModifier;
    s.alt = e.modifiers() & Qt::AltModifier;
    s.left = e.buttons() & Qt::LeftButton;
    s.right = e.buttons() & Qt::RightButton;
    s.middle = e.buttons() & Qt::MiddleButton;
    return s;
}

}  // namespace

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
    MouseDown(ButtonOf(event->button()), StateOf(*event), p.x(), p.y());
}

void ImageControl::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    MouseUp(ButtonOf(event->button()), StateOf(*event), p.x(), p.y());
}

}  // namespace platform
