// The Qt side of surfaces and bitmaps, for platform/, the windows, tests and benchmarks: the
// QImage a surface draws on, its font as a QFont, a bitmap's image, and a window's backing image.
#pragma once

#include <QFont>
#include <QImage>
#include <QSize>

#include "platform/surface.h"

namespace platform {

// Makes `surface` draw on `image`, which must outlive the drawing (or be re-targeted); null
// leaves it drawing on nothing.
void SetTarget(Surface& surface, QImage* image);
QImage* Target(const Surface& surface);

// A surface that draws on `image` from the start.
class ImageSurface : public Surface {
public:
    explicit ImageSurface(QImage* image) { SetTarget(*this, image); }
};

// The Qt font the surface's font settings stand for.
QFont QtFont(const Surface& surface);

// StretchDraw from a QImage of any format.
void StretchDraw(Surface& surface, const Rect& dest, const QImage& image, const Rect& src);

// The bitmap's image, its canvas flushed first.
QImage& QtImage(Bitmap& bitmap);
const QImage& QtImage(const Bitmap& bitmap);

// A backing image resized for a window of `size` (in the window's units) on a screen with
// `deviceScale` device pixels per unit: the image holds the device pixels and carries the ratio,
// so that a surface on it draws at the screen's resolution. The old pixels that still fit are
// kept when the ratio is the same; the rest is filled with `fill`.
QImage ResizedBackingImage(const QImage& old, QSize size, Color fill, double deviceScale = 1.0);

}  // namespace platform
