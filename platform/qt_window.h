// The Qt widget behind a platform::Window. The widget may go away first: a window without its
// widget has an empty caption, ignores a new one and has the primary screen's resolution.
#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/window.h"

namespace platform {

class QtWindow : public Window {
public:
    explicit QtWindow(QWidget* widget) : widget_(widget) {}
    std::string Caption() const override;
    void SetCaption(const std::string& caption) override;
    int PixelsPerInchY() const override;

private:
    QPointer<QWidget> widget_;
};

}  // namespace platform
