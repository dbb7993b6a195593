// The application icon: one drawing, kept as a short list of shapes in a 256 x 256 design, that
// the program paints for its windows at run time and the build writes out as the installed
// scalable SVG and PNG icons (tools/icongen), so all of them show the same picture.
#pragma once

#include <QIcon>
#include <QImage>
#include <QString>

// The desktop entry's id, which is also the icon's name.
inline constexpr const char* kAppId = "io.github.mekalon.Mekalon";

// The icon painted at size x size pixels on a transparent background.
QImage AppIconImage(int size);
// The icon at the sizes a desktop uses, 16 to 256 pixels.
QIcon AppIcon();
// The same drawing as an SVG document.
QString AppIconSvg();
