// The image control: a widget that shows a bitmap at its top-left corner, sizes itself to the
// bitmap and hands mouse presses and releases, in picture pixels, to its owner. Drawing goes to
// the picture's canvas; Changed() shows the result.
#pragma once

#include <QWidget>
#include <functional>

#include "platform/surface.h"
#include "platform/types.h"

namespace platform {

class ImageControl : public QWidget {
    Q_OBJECT
public:
    explicit ImageControl(QWidget* parent = nullptr);

    Bitmap Picture;
    // The control takes the picture's size whenever the picture changes.
    bool AutoSize = true;

    // Call after drawing on the picture or replacing it: resizes (AutoSize) and repaints.
    void Changed();

    // Mouse events with the point in picture pixels; set by the window that holds the control.
    using MouseHandler = std::function<void(MouseButton, ShiftState, int, int)>;
    MouseHandler OnMouseDown, OnMouseUp;

protected:
    // The control's own reaction to a press; the default calls OnMouseDown.
    virtual void MouseDown(MouseButton button, ShiftState state, int x, int y);
    virtual void MouseUp(MouseButton button, ShiftState state, int x, int y);

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace platform
