// Cutting glyph strips into masked images and rendering them on a background colour.
#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "platform/qt_surface.h"

namespace platform {
namespace {

constexpr Color kBlue = RGB(0, 0, 200);
constexpr Color kMask = RGB(255, 0, 255);

// A strip of three 3x2 images; image i has a black pixel at (i, 0) and the mask colour elsewhere,
// except image 2, which also holds a red pixel at (0, 1).
Bitmap Strip() {
    Bitmap b(9, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 9; ++x) b.SetPixel(x, y, kMask);
    for (int i = 0; i < 3; ++i) b.SetPixel(3 * i + i, 0, clBlack);
    b.SetPixel(6, 1, RGB(255, 0, 0));
    return b;
}

TEST(ImageListTest, CutsTheStripFromLeftToRightAndMasksItsColour) {
    ImageList list(3, 2);
    Bitmap strip = Strip();
    EXPECT_EQ(strip.TransparentColor(), kMask);
    list.AddMasked(strip, strip.TransparentColor());
    ASSERT_EQ(list.Count(), 3);
    for (int i = 0; i < 3; ++i) {
        const auto& px = list.Pixels(i);
        const auto& mask = list.Mask(i);
        ASSERT_EQ(px.size(), 6u);
        for (int k = 0; k < 6; ++k) {
            const bool glyph = (k == i) || (i == 2 && k == 3);
            EXPECT_EQ(mask[static_cast<size_t>(k)], !glyph) << "image " << i << " pixel " << k;
        }
        EXPECT_EQ(px[static_cast<size_t>(i)], clBlack);
    }
    // A second strip goes on at the end; a strip's incomplete last image is dropped.
    Bitmap more(7, 2);
    list.AddMasked(more, clWhite);
    EXPECT_EQ(list.Count(), 5);
    EXPECT_TRUE(list.Mask(4)[0]);
}

TEST(ImageListTest, GetBitmapRendersOnTheBackgroundColour) {
    ImageList list(3, 2);
    list.AddMasked(Strip(), kMask);
    Bitmap out;
    list.GetBitmap(1, out, kBlue);
    EXPECT_EQ(out.Width(), 3);
    EXPECT_EQ(out.Height(), 2);
    EXPECT_EQ(out.Pixel(1, 0), clBlack);
    EXPECT_EQ(out.Pixel(0, 0), kBlue);
    EXPECT_EQ(out.Pixel(2, 1), kBlue);
    list.GetBitmap(2, out, clWhite);
    EXPECT_EQ(out.Pixel(2, 0), clBlack);
    EXPECT_EQ(out.Pixel(0, 1), RGB(255, 0, 0));
    EXPECT_EQ(out.Pixel(1, 1), clWhite);
    // An index the list does not hold gives a plain background, not a crash.
    list.GetBitmap(99, out, clWhite);
    EXPECT_EQ(out.Pixel(0, 0), clWhite);
    list.GetBitmap(-1, out, clWhite);
    EXPECT_EQ(out.Pixel(1, 0), clWhite);
}

TEST(ImageListTest, DrawOnASurfaceAndAssign) {
    ImageList list(3, 2);
    list.AddMasked(Strip(), kMask);
    QImage img(10, 10, QImage::Format_RGB32);
    img.fill(0xFFFFFFFFu);
    ImageSurface s(&img);
    s.SetCopyMode(CopyMode::SrcAnd);  // drawing an image ignores the copy mode
    list.Draw(s, 4, 5, 0, kBlue);
    s.Flush();
    EXPECT_EQ(img.pixel(4, 5) & 0xFFFFFF, clBlack);
    EXPECT_EQ(img.pixel(5, 5) & 0xFFFFFF, kBlue);
    EXPECT_EQ(img.pixel(6, 6) & 0xFFFFFF, kBlue);
    EXPECT_EQ(img.pixel(7, 5) & 0xFFFFFF, clWhite);
    EXPECT_EQ(img.pixel(4, 7) & 0xFFFFFF, clWhite);
    EXPECT_EQ(s.GetCopyMode(), CopyMode::SrcAnd);

    ImageList copy(12, 16);
    copy.Assign(list);
    EXPECT_EQ(copy.Width(), 3);
    EXPECT_EQ(copy.Height(), 2);
    EXPECT_EQ(copy.Count(), 3);
    Bitmap a, b;
    list.GetBitmap(2, a, kBlue);
    copy.GetBitmap(2, b, kBlue);
    EXPECT_EQ(QtImage(a), QtImage(b));
    // The copy is its own list.
    copy.AddMasked(Strip(), kMask);
    EXPECT_EQ(list.Count(), 3);
}

// Drawing straight from the list gives the pixels of rendering into a bitmap and stretching it,
// in both copy modes, on colour and monochrome surfaces, across the image's edges and a clip.
TEST(ImageListTest, DrawImageMatchesGetBitmapAndStretchDraw) {
    ImageList list(3, 2);
    list.AddMasked(Strip(), kMask);
    auto background = [] {
        QImage img(16, 12, QImage::Format_RGB32);
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) img.setPixel(x, y, 0xFF000000u | static_cast<QRgb>(x * 0x0F0B07 + y * 0x070D13));
        return img;
    };
    const Rect sources[] = {{0, 0, 3, 2}, {0, 1, 3, 2}, {1, 0, 3, 1}};
    const Rect clip{1, 1, 15, 11};
    for (const bool mono : {false, true})
        for (const CopyMode mode : {CopyMode::SrcCopy, CopyMode::SrcAnd})
            for (const Color bk : {kBlue, clWhite})
                for (const Rect& src : sources)
                    for (int scale = 1; scale <= 3; ++scale)
                        for (const int x : {-2, 0, 7, 14})
                            for (const int y : {-1, 3, 11})
                                for (const bool uneven : {false, true}) {
                                    const Rect dest{x, y, x + src.Width() * scale + (uneven ? 1 : 0),
                                                    y + src.Height() * scale};
                                    QImage fast = background(), slow = background();
                                    ImageSurface a(&fast), b(&slow);
                                    for (Surface* s : {&a, &b}) {
                                        s->SetMonochrome(mono);
                                        s->SetCopyMode(mode);
                                        if (y == 3) s->SetClipRect(clip);
                                    }
                                    a.DrawImage(dest, list, 2, src, bk);
                                    Bitmap work;
                                    list.GetBitmap(2, work, bk);
                                    b.StretchDraw(dest, work, src);
                                    EXPECT_EQ(a.DirtyRect(), b.DirtyRect());
                                    a.Flush();
                                    b.Flush();
                                    ASSERT_EQ(fast, slow) << "mono " << mono << " and " << (mode == CopyMode::SrcAnd)
                                                          << " scale " << scale << " at " << x << "," << y
                                                          << " source top " << src.top << " uneven " << uneven;
                                }
}

// A list of two 3 x 2 images with detail sets at 2 and 3 times the size, every pixel telling
// which image, set and pixel it is: red = 40 * set + image, green = row, blue = column (each plus
// one, so that no pixel is the white mask colour).
ImageList TracingDetailList() {
    ImageList list(3, 2);
    for (int set = 1; set <= 3; ++set) {
        Bitmap strip(2 * 3 * set, 2 * set);
        for (int i = 0; i < 2; ++i)
            for (int y = 0; y < 2 * set; ++y)
                for (int x = 0; x < 3 * set; ++x) strip.SetPixel(i * 3 * set + x, y, RGB(40 * set + i, y + 1, x + 1));
        if (set == 1)
            list.AddMasked(strip, clWhite);
        else
            list.AddMaskedDetail(set, strip, clWhite);
    }
    return list;
}

TEST(ImageListTest, TheDetailSetMatchesTheDevicePixelsAGlyphPixelCovers) {
    const ImageList list = TracingDetailList();
    // 1 -> the plain images, 2 -> twice the size, 3 and more -> three times; rounded.
    const std::pair<double, int> sets[] = {{0.5, 1}, {1, 1}, {1.4, 1}, {1.5, 2}, {2, 2}, {2.6, 3}, {3, 3}, {4, 3}, {12.5, 3}};
    for (const auto& [pixels, set] : sets) EXPECT_EQ(list.DetailFor(pixels), set) << pixels;
    ImageList plain(3, 2);
    plain.AddMasked(Strip(), kMask);
    EXPECT_EQ(plain.DetailFor(3), 1);

    // Drawn at every scale, on ordinary images and on images with a device pixel ratio: each
    // device pixel shows the pixel of the matching set that the nearest-neighbour mapping gives.
    struct Case {
        double ratio;  // device pixels per unit of the target
        int scale;     // units per image pixel
    };
    for (const Case c : {Case{1, 1}, Case{1, 2}, Case{1, 3}, Case{1, 4}, Case{1, 5}, Case{1, 6}, Case{2, 1}, Case{2, 2},
                         Case{3, 1}, Case{1.5, 1}, Case{1.5, 2}}) {
        QImage image(64, 64, QImage::Format_RGB32);
        image.fill(0xFFFFFFFFu);
        image.setDevicePixelRatio(c.ratio);
        ImageSurface surface(&image);
        surface.DrawImage(Rect{2, 1, 2 + 3 * c.scale, 1 + 2 * c.scale}, list, 1, Rect{0, 0, 3, 2}, clWhite);
        surface.Flush();
        const double pixels = c.ratio * c.scale;
        const int set = list.DetailFor(pixels);
        const int left = static_cast<int>(std::floor(2 * c.ratio + 0.5)), top = static_cast<int>(std::floor(c.ratio + 0.5));
        const int width = static_cast<int>(std::floor((2 + 3 * c.scale) * c.ratio + 0.5)) - left;
        const int height = static_cast<int>(std::floor((1 + 2 * c.scale) * c.ratio + 0.5)) - top;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const QRgb want = 0xFF000000u | RGB(40 * set + 1, y * 2 * set / height + 1, x * 3 * set / width + 1);
                ASSERT_EQ(image.pixel(left + x, top + y), want)
                    << "ratio " << c.ratio << " scale " << c.scale << " at " << x << "," << y;
            }
        EXPECT_EQ(image.pixel(left - 1, top), 0xFFFFFFFFu);
        EXPECT_EQ(image.pixel(left + width, top), 0xFFFFFFFFu);
        EXPECT_EQ(image.pixel(left, top + height), 0xFFFFFFFFu);
    }

    // GetBitmap gives the set asked for; a copy of the list keeps its sets.
    Bitmap b;
    list.GetBitmap(0, b, clWhite, 2);
    ASSERT_EQ(b.Width(), 6);
    ASSERT_EQ(b.Height(), 4);
    EXPECT_EQ(b.Pixel(5, 3), RGB(80, 4, 6));
    ImageList copy;
    copy.Assign(list);
    copy.GetBitmap(1, b, clWhite, 3);
    EXPECT_EQ(b.Pixel(8, 5), RGB(121, 6, 9));
    // A set without the image falls back on the plain one.
    ImageList partial(3, 2);
    partial.AddMasked(Strip(), kMask);
    Bitmap one(6, 4);
    one.SetPixel(0, 0, clBlack);
    partial.AddMaskedDetail(2, one, clWhite);
    partial.GetBitmap(2, b, clWhite, 2);
    EXPECT_EQ(b.Width(), 3);
    EXPECT_EQ(b.Pixel(2, 0), clBlack);
}

TEST(ImageListTest, OneBitStripFromAProgramResource) {
    // TESTSTRIP.bmp: a 1-bit 24 x 16 strip, white with one black pixel at (13, 4) and a black
    // bottom-right pixel; loaded by name without the file's extension.
    Bitmap b = Bitmap::FromResource("TESTSTRIP");
    ASSERT_EQ(b.Width(), 24);
    ASSERT_EQ(b.Height(), 16);
    EXPECT_EQ(b.Pixel(13, 4), clBlack);
    EXPECT_EQ(b.Pixel(12, 4), clWhite);
    EXPECT_EQ(b.Pixel(23, 15), clBlack);
    EXPECT_EQ(b.TransparentColor(), clWhite);
    ImageList list(12, 16);
    list.AddMasked(b, b.TransparentColor());
    ASSERT_EQ(list.Count(), 2);
    EXPECT_FALSE(list.Mask(1)[static_cast<size_t>(4 * 12 + 1)]);
    EXPECT_TRUE(list.Mask(0)[static_cast<size_t>(4 * 12 + 1)]);
    EXPECT_FALSE(list.Mask(1)[static_cast<size_t>(15 * 12 + 11)]);
}

}  // namespace
}  // namespace platform
