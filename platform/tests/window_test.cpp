// A Qt window reached as a platform::Window: its caption in UTF-8 both ways, its screen's
// resolution, and a window whose widget has gone.
#include <gtest/gtest.h>

#include <QWidget>
#include <memory>

#include "platform/qt_window.h"

namespace {

TEST(QtWindowTest, TheCaptionIsUtf8AndAGoneWidgetIsLeftAlone) {
    auto widget = std::make_unique<QWidget>();
    platform::QtWindow window(widget.get());
    const std::string thai = "\xE0\xB8\x99\xE0\xB8\xB4\xE0\xB8\x97\xE0\xB8\xB2\xE0\xB8\x99.txt-Mekalon";  // นิทาน.txt
    widget->setWindowTitle(QString::fromUtf8(thai.c_str()));
    EXPECT_EQ(window.Caption(), thai);
    window.SetCaption("Printing page 2 - ESC to break");
    EXPECT_EQ(widget->windowTitle(), QStringLiteral("Printing page 2 - ESC to break"));
    EXPECT_EQ(window.PixelsPerInchY(), widget->logicalDpiY());

    widget.reset();
    window.SetCaption("ignored");
    EXPECT_EQ(window.Caption(), "");
    EXPECT_EQ(window.PixelsPerInchY(), platform::ScreenPixelsPerInchY());
    EXPECT_GT(platform::ScreenPixelsPerInchY(), 0);
}

}  // namespace
