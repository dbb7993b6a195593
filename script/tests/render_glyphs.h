// Glyph images for rendering tests. The real strips' pixels do not matter to the geometry of a
// cell, so tests draw with images whose every pixel tells where it came from: red is the image
// index, green the source row (16 per row), blue the source column (16 per column, plus 8). No
// such pixel is white, so nothing in them is transparent, and a destination pixel can be traced
// back to the image, row and column that produced it.
#pragma once

#include <QImage>
#include <memory>

#include "platform/surface.h"
#include "script/customthai.h"

namespace rendertest {

inline platform::Color TracePixel(int index, int row, int col) {
    return platform::RGB(index, row * 16, col * 16 + 8);
}

struct Source {
    int image = -1;  // -1: not a glyph pixel
    int row = -1;
    int col = -1;
    friend bool operator==(const Source&, const Source&) = default;
};

// Where a destination pixel came from; image -1 when it is `background`.
inline Source Trace(QRgb pixel, platform::Color background) {
    const platform::Color c = pixel & 0xFFFFFF;
    if (c == background) return {};
    return {qRed(pixel), qGreen(pixel) / 16, qBlue(pixel) / 16};
}

// 96 tracing images (two strips of 48, as the program loads them).
inline std::unique_ptr<platform::ImageList> TracingGlyphs() {
    auto list = std::make_unique<platform::ImageList>(12, 16);
    for (int strip = 0; strip < 2; ++strip) {
        platform::Bitmap b(576, 16);
        for (int k = 0; k < 48; ++k)
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 12; ++x) b.SetPixel(k * 12 + x, y, TracePixel(strip * 48 + k, y, x));
        list->AddMasked(b, platform::clWhite);
    }
    return list;
}

// 96 black-on-white images: image k has black pixels where (x + y + k) % 3 == 0 above its bottom
// row, so glyphs differ from each other and have both ink and transparent pixels, and the strip's
// bottom-left pixel (its transparent colour) is white.
inline bool BlackAt(int index, int x, int y) { return y < 15 && (x + y + index) % 3 == 0; }

inline std::unique_ptr<platform::ImageList> BlackWhiteGlyphs() {
    auto list = std::make_unique<platform::ImageList>(12, 16);
    for (int strip = 0; strip < 2; ++strip) {
        platform::Bitmap b(576, 16);
        for (int k = 0; k < 48; ++k)
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 12; ++x)
                    b.SetPixel(k * 12 + x, y, BlackAt(strip * 48 + k, x, y) ? platform::clBlack : platform::clWhite);
        list->AddMasked(b, b.TransparentColor());
    }
    return list;
}

// Puts a list in place of the shared glyph images for the lifetime of the object.
class GlyphsInstalled {
public:
    explicit GlyphsInstalled(std::unique_ptr<platform::ImageList> list) : list_(std::move(list)) {
        saved_ = GlyphImages;
        GlyphImages = list_.get();
    }
    ~GlyphsInstalled() { GlyphImages = saved_; }
    GlyphsInstalled(const GlyphsInstalled&) = delete;
    GlyphsInstalled& operator=(const GlyphsInstalled&) = delete;

private:
    std::unique_ptr<platform::ImageList> list_;
    platform::ImageList* saved_ = nullptr;
};

}  // namespace rendertest
