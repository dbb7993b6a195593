// Windows and the screen over Qt.
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

#include "platform/qt_window.h"

namespace platform {

int ScreenPixelsPerInchY() {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        return std::max(1, static_cast<int>(screen->logicalDotsPerInchY() + 0.5));
    return 96;
}

std::string QtWindow::Caption() const { return widget_ ? widget_->windowTitle().toStdString() : std::string(); }

void QtWindow::SetCaption(const std::string& caption) {
    if (widget_) widget_->setWindowTitle(QString::fromStdString(caption));
}

int QtWindow::PixelsPerInchY() const { return widget_ ? widget_->logicalDpiY() : ScreenPixelsPerInchY(); }

}  // namespace platform
