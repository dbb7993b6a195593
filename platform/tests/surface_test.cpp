// Pixels drawn by the surface: fills, AND copies, stretching, lines, text, hatch and clipping.
#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <cmath>

#include "platform/qt_surface.h"

namespace platform {
namespace {

constexpr Color kRed = RGB(255, 0, 0);
constexpr Color kHighlight = RGB(0, 120, 215);

Color At(const QImage& img, int x, int y) { return img.pixel(x, y) & 0xFFFFFF; }

// Counts pixels of `c` inside a rectangle.
int Count(const QImage& img, const Rect& r, Color c) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) n += At(img, x, y) == c;
    return n;
}

// The bounding box of pixels darker than mid-grey.
Rect DarkBox(const QImage& img) {
    Rect b{img.width(), img.height(), -1, -1};
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            Color c = At(img, x, y);
            int lum = ((c >> 16) & 0xFF) + ((c >> 8) & 0xFF) + (c & 0xFF);
            if (lum < 3 * 128) {
                b.left = std::min(b.left, x);
                b.top = std::min(b.top, y);
                b.right = std::max(b.right, x + 1);
                b.bottom = std::max(b.bottom, y + 1);
            }
        }
    return b;
}

class SurfaceTest : public ::testing::Test {
protected:
    SurfaceTest() : image_(40, 30, QImage::Format_RGB32), surface_(&image_) { image_.fill(0xFFFFFFFFu); }
    const QImage& Pixels() {
        surface_.Flush();
        return image_;
    }
    QImage image_;
    ImageSurface surface_;
};

TEST_F(SurfaceTest, FillRectCoversExactlyTheRectangle) {
    surface_.SetFillColor(kRed);
    surface_.FillRect({3, 4, 10, 6});
    const QImage& img = Pixels();
    EXPECT_EQ(Count(img, {0, 0, 40, 30}, kRed), 7 * 2);
    EXPECT_EQ(Count(img, {3, 4, 10, 6}, kRed), 14);
    // Out-of-range parts are cut off, empty rectangles draw nothing.
    surface_.FillRect({-5, -5, 2, 2});
    surface_.FillRect({38, 28, 100, 100});
    surface_.FillRect({20, 20, 20, 25});
    surface_.FillRect({25, 20, 22, 25});
    EXPECT_EQ(Count(Pixels(), {0, 0, 40, 30}, kRed), 14 + 4 + 4);
}

TEST_F(SurfaceTest, ClipRectLimitsEveryKindOfDrawing) {
    surface_.SetClipRect({10, 10, 20, 20});
    surface_.SetFillColor(clBlack);
    surface_.FillRect({0, 0, 40, 30});
    EXPECT_EQ(Count(Pixels(), {0, 0, 40, 30}, clBlack), 100);
    EXPECT_EQ(Count(Pixels(), {10, 10, 20, 20}, clBlack), 100);

    image_.fill(0xFFFFFFFFu);
    QImage src(4, 4, QImage::Format_RGB32);
    src.fill(0xFF000000u);
    StretchDraw(surface_, {0, 0, 40, 30}, src, {0, 0, 4, 4});
    EXPECT_EQ(Count(Pixels(), {0, 0, 40, 30}, clBlack), 100);

    image_.fill(0xFFFFFFFFu);
    surface_.SetFontName("Fixedsys");
    surface_.SetFontHeight(24);
    surface_.TextOut(0, 0, "WWWWWWWWWW");
    const Rect box = DarkBox(Pixels());
    EXPECT_GE(box.left, 10);
    EXPECT_GE(box.top, 10);
    EXPECT_LE(box.right, 20);
    EXPECT_LE(box.bottom, 20);
    EXPECT_LT(box.left, box.right) << "the clipped text shows inside the clip";

    // An empty clip rectangle means the whole surface again.
    surface_.SetClipRect({});
    surface_.FillRect({0, 0, 40, 30});
    EXPECT_EQ(Count(Pixels(), {0, 0, 40, 30}, clBlack), 40 * 30);
}

TEST_F(SurfaceTest, AndCopyTurnsWhiteIntoTheHighlightAndKeepsBlack) {
    // A glyph-like picture: black strokes on white.
    QImage glyph(4, 2, QImage::Format_RGB32);
    glyph.fill(0xFFFFFFFFu);
    glyph.setPixel(1, 0, 0xFF000000u);
    glyph.setPixel(2, 1, 0xFF000000u);
    StretchDraw(surface_, {0, 0, 4, 2}, glyph, {0, 0, 4, 2});

    // AND with a solid highlight picture, as a selection does.
    QImage high(1, 1, QImage::Format_RGB32);
    high.fill(0xFF000000u | kHighlight);
    surface_.SetCopyMode(CopyMode::SrcAnd);
    StretchDraw(surface_, {0, 0, 4, 2}, high, {0, 0, 1, 1});
    const QImage& img = Pixels();
    EXPECT_EQ(At(img, 0, 0), kHighlight);
    EXPECT_EQ(At(img, 1, 0), clBlack);
    EXPECT_EQ(At(img, 2, 1), clBlack);
    EXPECT_EQ(At(img, 3, 1), kHighlight);
    EXPECT_EQ(At(img, 4, 0), clWhite) << "outside the destination";
    // AND of two colours is the bitwise AND of their channels.
    surface_.SetCopyMode(CopyMode::SrcCopy);
    surface_.SetFillColor(RGB(0xF0, 0x0F, 0xAA));
    surface_.FillRect({10, 10, 11, 11});
    QImage other(1, 1, QImage::Format_RGB32);
    other.fill(0xFF000000u | RGB(0x3C, 0xFF, 0x55));
    surface_.SetCopyMode(CopyMode::SrcAnd);
    StretchDraw(surface_, {10, 10, 11, 11}, other, {0, 0, 1, 1});
    EXPECT_EQ(At(Pixels(), 10, 10), RGB(0x30, 0x0F, 0x00));
}

TEST_F(SurfaceTest, StretchedCopiesRepeatEachPixelExactly) {
    // A 3x2 picture with distinct colours.
    QImage src(3, 2, QImage::Format_RGB32);
    const Color colours[2][3] = {{RGB(1, 0, 0), RGB(2, 0, 0), RGB(3, 0, 0)}, {RGB(4, 0, 0), RGB(5, 0, 0), RGB(6, 0, 0)}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) src.setPixel(x, y, 0xFF000000u | colours[y][x]);
    for (int k = 1; k <= 3; ++k) {
        image_.fill(0xFFFFFFFFu);
        const int ox = 5, oy = 7;
        StretchDraw(surface_, {ox, oy, ox + 3 * k, oy + 2 * k}, src, {0, 0, 3, 2});
        const QImage& img = Pixels();
        for (int y = 0; y < 2 * k; ++y)
            for (int x = 0; x < 3 * k; ++x)
                ASSERT_EQ(At(img, ox + x, oy + y), colours[y / k][x / k]) << "scale " << k << " at " << x << "," << y;
        // Nothing outside the destination.
        EXPECT_EQ(Count(img, {0, 0, 40, 30}, clWhite), 40 * 30 - 6 * k * k) << "scale " << k;
    }
    // Part of a source picture: rows 1..2 of the second column only, at scale 2.
    image_.fill(0xFFFFFFFFu);
    StretchDraw(surface_, {0, 0, 2, 2}, src, {1, 1, 2, 2});
    EXPECT_EQ(At(Pixels(), 0, 0), colours[1][1]);
    EXPECT_EQ(At(Pixels(), 1, 1), colours[1][1]);
    EXPECT_EQ(At(Pixels(), 2, 0), clWhite);
}

TEST_F(SurfaceTest, StretchDrawFromBitmapAndOffTheEdges) {
    Bitmap b(2, 2);
    b.SetPixel(0, 0, kRed);
    b.SetPixel(1, 1, clBlack);
    // Hanging over the top-left corner: only the visible part lands, at the right place.
    surface_.StretchDraw({-2, -2, 2, 2}, b, {0, 0, 2, 2});
    const QImage& img = Pixels();
    EXPECT_EQ(At(img, 0, 0), clBlack);
    EXPECT_EQ(At(img, 1, 1), clBlack);
    EXPECT_EQ(At(img, 2, 0), clWhite);
    // A source rectangle beyond the picture draws nothing there.
    surface_.StretchDraw({10, 10, 14, 14}, b, {0, 0, 4, 4});
    EXPECT_EQ(At(Pixels(), 10, 10), kRed);
    EXPECT_EQ(At(Pixels(), 13, 13), clWhite);
}

TEST_F(SurfaceTest, HorizontalAndVerticalLinesWithPenWidths) {
    surface_.SetPenColor(kRed);
    surface_.SetPenWidth(1);
    surface_.MoveTo(2, 5);
    surface_.LineTo(12, 5);  // the end point is not drawn
    EXPECT_EQ(Count(Pixels(), {0, 0, 40, 30}, kRed), 10);
    EXPECT_EQ(Count(Pixels(), {2, 5, 12, 6}, kRed), 10);

    image_.fill(0xFFFFFFFFu);
    surface_.SetPenWidth(3);
    surface_.MoveTo(2, 10);
    surface_.LineTo(12, 10);
    EXPECT_EQ(Count(Pixels(), {0, 0, 40, 30}, kRed), 30);
    EXPECT_EQ(Count(Pixels(), {2, 9, 12, 12}, kRed), 30);

    image_.fill(0xFFFFFFFFu);
    surface_.SetPenWidth(2);
    surface_.MoveTo(2, 10);
    surface_.LineTo(12, 10);
    EXPECT_EQ(Count(Pixels(), {2, 9, 12, 11}, kRed), 20);
    EXPECT_EQ(Count(Pixels(), {0, 0, 40, 30}, kRed), 20);

    // Drawn right to left: the start is drawn, the end is not. The pen moves on.
    image_.fill(0xFFFFFFFFu);
    surface_.SetPenWidth(1);
    surface_.MoveTo(12, 3);
    surface_.LineTo(2, 3);
    EXPECT_EQ(Count(Pixels(), {3, 3, 13, 4}, kRed), 10);
    surface_.LineTo(2, 8);
    EXPECT_EQ(Count(Pixels(), {2, 3, 3, 8}, kRed), 5);
    EXPECT_EQ(Count(Pixels(), {0, 0, 40, 30}, kRed), 15);

    // A slanted line reaches from one end to the other.
    image_.fill(0xFFFFFFFFu);
    surface_.MoveTo(0, 0);
    surface_.LineTo(20, 20);
    EXPECT_EQ(At(Pixels(), 10, 10), kRed);
    EXPECT_EQ(At(Pixels(), 10, 0), clWhite);
}

TEST_F(SurfaceTest, TextOfTheFixedFontShowsInItsCell) {
    surface_.SetFontName("Fixedsys");
    EXPECT_EQ(surface_.FontName(), "Fixedsys");
    EXPECT_EQ(QFontInfo(QtFont(surface_)).family(), QStringLiteral("DejaVu Sans Mono"));
    surface_.SetFontHeight(16);
    const int h = surface_.TextHeight("A");
    EXPECT_GE(h, 16);
    EXPECT_LE(h, 22);
    EXPECT_EQ(surface_.TextHeight(""), h) << "the height does not depend on the text";
    const int w = surface_.TextWidth("M");
    EXPECT_GT(w, 5);
    EXPECT_EQ(surface_.TextWidth("MMM"), 3 * w) << "fixed pitch";
    EXPECT_EQ(surface_.TextWidth("\xA1"), w) << "Thai through the code page, one cell";

    surface_.TextOut(8, 6, "H");
    const Rect box = DarkBox(Pixels());
    EXPECT_GE(box.left, 8);
    EXPECT_LE(box.right, 8 + w + 1);
    EXPECT_GE(box.top, 6);
    EXPECT_LE(box.bottom, 6 + h);
    EXPECT_GT(box.Height(), 8) << "a capital letter of a 16-pixel font";
    // The text background is left alone.
    EXPECT_EQ(At(Pixels(), 8, 6), clWhite);

    // The colour of the font is used.
    image_.fill(0xFFFFFFFFu);
    surface_.SetFontColor(kRed);
    surface_.SetFontStyle(fsBold);
    surface_.TextOut(2, 2, "HH");
    EXPECT_GT(Count(Pixels(), {0, 0, 40, 30}, kRed), 10);
}

TEST_F(SurfaceTest, TextLooksAsQtDrawsItAndCellTextsAreStable) {
    // Thai base with a tone mark above, Latin, and a text drawn twice (the second time from the
    // shaped-text cache) give the same pixels as Qt's own text drawing.
    const std::pair<std::string, QString> texts[] = {{"\xA1\xE8", QString::fromUtf8("\u0E01\u0E48")},
                                                     {"Ag", QStringLiteral("Ag")},
                                                     {"\xA1\xE8", QString::fromUtf8("\u0E01\u0E48")}};
    for (const auto& [bytes, unicode] : texts) {
        for (int style : {0, int{fsUnderline}, fsBold | fsStrikeOut}) {
            surface_.SetFontName("Fixedsys");
            surface_.SetFontHeight(18);
            surface_.SetFontStyle(style);
            surface_.SetFontColor(clBlack);
            image_.fill(0xFFFFFFFFu);
            surface_.TextOut(4, 3, bytes);
            const QImage ours = Pixels().copy();

            QImage theirs(image_.size(), QImage::Format_RGB32);
            theirs.fill(0xFFFFFFFFu);
            {
                QPainter p(&theirs);
                QFont f = QtFont(surface_);
                p.setFont(f);
                p.setPen(Qt::black);
                p.drawText(QPointF(4, 3 + QFontMetrics(f).ascent()), unicode);
            }
            EXPECT_EQ(ours, theirs) << "style " << style;
            EXPECT_GT(Count(ours, {0, 0, 40, 30}, clBlack), 5);
        }
    }
    // Underline adds dark pixels below the letters.
    surface_.SetFontStyle(0);
    image_.fill(0xFFFFFFFFu);
    surface_.TextOut(2, 2, "ab");
    const int plain = Count(Pixels(), {0, 0, 40, 30}, clBlack);
    surface_.SetFontStyle(fsUnderline);
    image_.fill(0xFFFFFFFFu);
    surface_.TextOut(2, 2, "ab");
    EXPECT_GT(Count(Pixels(), {0, 0, 40, 30}, clBlack), plain + 6);
}

TEST_F(SurfaceTest, ShrinkingCopyPicksEveryOtherPixel) {
    QImage src(4, 2, QImage::Format_RGB32);
    for (int x = 0; x < 4; ++x) {
        src.setPixel(x, 0, 0xFF000000u | RGB(x + 1, 0, 0));
        src.setPixel(x, 1, 0xFF000000u | RGB(0, x + 1, 0));
    }
    StretchDraw(surface_, {0, 0, 2, 1}, src, {0, 0, 4, 2});
    EXPECT_EQ(At(Pixels(), 0, 0), RGB(1, 0, 0));
    EXPECT_EQ(At(Pixels(), 1, 0), RGB(3, 0, 0));
    EXPECT_EQ(At(Pixels(), 2, 0), clWhite);
    EXPECT_EQ(At(Pixels(), 0, 1), clWhite);
}

TEST_F(SurfaceTest, CopyFontTakesEverySetting) {
    Surface other;
    other.SetFontName("DejaVu Serif");
    other.SetFontHeight(30);
    other.SetFontStyle(fsItalic | fsUnderline);
    other.SetFontColor(kRed);
    surface_.CopyFont(other);
    EXPECT_EQ(surface_.FontName(), "DejaVu Serif");
    EXPECT_EQ(surface_.FontHeight(), 30);
    EXPECT_EQ(surface_.FontStyleBits(), fsItalic | fsUnderline);
    EXPECT_EQ(surface_.FontColor(), kRed);
    EXPECT_EQ(QtFont(surface_).pixelSize(), 30);
    EXPECT_TRUE(QtFont(surface_).italic());
    EXPECT_TRUE(QtFont(surface_).underline());
    EXPECT_FALSE(QtFont(surface_).bold());
}

TEST_F(SurfaceTest, MixingTextAndDirectDrawingKeepsOrder) {
    // Text, then a fill over it, then text again: each operation sees the one before.
    surface_.SetFontName("System");
    surface_.SetFontHeight(20);
    surface_.TextOut(0, 0, "MM");
    surface_.SetFillColor(kRed);
    surface_.FillRect({0, 0, 40, 30});
    EXPECT_EQ(Count(Pixels(), {0, 0, 40, 30}, kRed), 40 * 30);
    surface_.TextOut(0, 0, "MM");
    QImage src(1, 1, QImage::Format_RGB32);
    src.fill(0xFF00FF00u);
    StretchDraw(surface_, {30, 0, 40, 10}, src, {0, 0, 1, 1});
    surface_.TextOut(0, 10, "MM");
    const QImage& img = Pixels();
    EXPECT_EQ(Count(img, {30, 0, 40, 10}, RGB(0, 255, 0)), 100);
    EXPECT_GT(Count(img, {0, 0, 30, 10}, clBlack), 0);
    EXPECT_GT(Count(img, {0, 10, 30, 30}, clBlack), 0);
}

TEST_F(SurfaceTest, HatchedFillIsADiagonalPattern) {
    surface_.SetFillColor(clWhite);
    surface_.FillHatched({0, 0, 16, 16}, clBlack);
    const QImage& img = Pixels();
    const int dark = Count(img, {0, 0, 16, 16}, clBlack);
    EXPECT_GT(dark, 16);
    EXPECT_LT(dark, 128);
    // Diagonal: a dark pixel has a dark diagonal neighbour, and the pattern repeats every 8 pixels.
    for (int y = 1; y < 7; ++y)
        for (int x = 1; x < 7; ++x) {
            if (At(img, x, y) != clBlack) continue;
            EXPECT_TRUE(At(img, x + 1, y + 1) == clBlack || At(img, x + 1, y - 1) == clBlack);
            EXPECT_EQ(At(img, x + 8, y + 8), clBlack);
        }
    EXPECT_EQ(Count(img, {16, 0, 40, 30}, clWhite), 24 * 30);
}

TEST_F(SurfaceTest, DirtyRectangleCollectsDrawing) {
    int calls = 0;
    surface_.SetDirtyCallback([&] { ++calls; });
    surface_.SetFillColor(kRed);
    surface_.FillRect({2, 3, 5, 6});
    surface_.FillRect({10, 1, 12, 4});
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(surface_.TakeDirty(), (Rect{2, 1, 12, 6}));
    EXPECT_TRUE(surface_.DirtyRect().Empty());
    surface_.FillRect({50, 50, 60, 60});  // off the image: nothing drawn, nothing dirty
    EXPECT_EQ(calls, 1);
    surface_.FillRect({0, 0, 1, 1});
    EXPECT_EQ(calls, 2);
}

// On an image with a device pixel ratio (a window's backing image on a HiDPI screen) drawing is
// given in units and lands on the device pixels those units cover: fills, clips, lines, text and
// the dirty rectangle, which stays in units for the window.
TEST(SurfaceHiDpiTest, UnitsLandOnTheDevicePixelsTheyCover) {
    for (const double ratio : {2.0, 1.5}) {
        QImage image(60, 45, QImage::Format_RGB32);
        image.fill(0xFFFFFFFFu);
        image.setDevicePixelRatio(ratio);
        ImageSurface s(&image);
        EXPECT_EQ(s.DeviceScale(), ratio);
        EXPECT_EQ(s.Width(), static_cast<int>(60 / ratio));
        EXPECT_EQ(s.Height(), static_cast<int>(45 / ratio));
        auto px = [ratio](int v) { return static_cast<int>(std::floor(v * ratio + 0.5)); };
        s.SetFillColor(kRed);
        s.FillRect({3, 4, 9, 7});
        s.SetFillColor(kHighlight);
        s.FillRect({9, 4, 12, 7});  // the neighbour joins without a gap or an overlap
        s.SetClipRect({1, 10, 5, 12});
        s.SetPenWidth(1);
        s.SetPenColor(clBlack);
        s.MoveTo(0, 11);
        s.LineTo(20, 11);  // clipped to units 1..5 of row 11
        s.SetClipRect({});
        EXPECT_EQ(s.DirtyRect(), (Rect{1, 4, 12, 12}));
        const QImage& img = (s.Flush(), image);
        EXPECT_EQ(Count(img, {0, 0, 60, 45}, kRed), (px(9) - px(3)) * (px(7) - px(4))) << ratio;
        EXPECT_EQ(Count(img, {px(3), px(4), px(9), px(7)}, kRed), (px(9) - px(3)) * (px(7) - px(4))) << ratio;
        EXPECT_EQ(Count(img, {px(9), px(4), px(12), px(7)}, kHighlight), (px(12) - px(9)) * (px(7) - px(4))) << ratio;
        EXPECT_EQ(Count(img, {0, 0, 60, 45}, clBlack), (px(5) - px(1)) * (px(12) - px(11))) << ratio;
    }
    // Text goes through Qt's painter at the image's resolution: twice the ink of a unit image.
    QImage one(80, 30, QImage::Format_RGB32), two(160, 60, QImage::Format_RGB32);
    two.setDevicePixelRatio(2);
    for (QImage* img : {&one, &two}) {
        img->fill(0xFFFFFFFFu);
        ImageSurface s(img);
        s.SetFontHeight(16);
        s.TextOut(2, 2, "Hm");
        s.Flush();
    }
    const Rect a = DarkBox(one), b = DarkBox(two);
    EXPECT_NEAR(b.left, 2 * a.left, 2);
    EXPECT_NEAR(b.Height(), 2 * a.Height(), 3);
    EXPECT_NEAR(b.Width(), 2 * a.Width(), 3);
}

// A text cell is what a fill of its box and the text drawn over it are, pixel for pixel: drawn the
// first time and again from its picture, cut by a clip, on the highlight, at twice the density, and
// where the letter's ink leaves a narrow box (then it is drawn as it always was).
TEST(SurfaceCellTest, ATextCellDrawsWhatAFillAndTheTextOverItDraw) {
    struct Cell {
        const char* text;
        Rect box;
        int dx, dy;
    };
    const Cell cells[] = {{"A", {2, 2, 18, 28}, 2, 3}, {"g", {18, 2, 34, 28}, 2, 3}, {"M", {34, 2, 36, 28}, 0, 3},
                          {"A", {2, 28, 18, 54}, 2, 3}, {"g", {30, 28, 46, 54}, 2, 3}};
    for (const double ratio : {1.0, 2.0}) {
        for (const Color fill : {clWhite, kHighlight}) {
            QImage cellImage(static_cast<int>(50 * ratio), static_cast<int>(56 * ratio), QImage::Format_RGB32);
            QImage plainImage = cellImage;
            for (QImage* img : {&cellImage, &plainImage}) {
                img->fill(0xFF808080u);
                img->setDevicePixelRatio(ratio);
            }
            ImageSurface cell(&cellImage), plain(&plainImage);
            for (ImageSurface* s : {&cell, &plain}) {
                s->SetFontHeight(16);
                s->SetFontColor(clBlack);
                s->SetFillColor(fill);
            }
            for (int round = 0; round < 2; ++round) {
                for (const Cell& c : cells) {
                    // The last cell lies across the edge of a clip.
                    const Rect clip = c.box.left == 30 ? Rect{0, 0, 37, 56} : Rect{};
                    cell.SetClipRect(clip);
                    plain.SetClipRect(clip);
                    cell.TextCell(c.box, c.box.left + c.dx, c.box.top + c.dy, c.text);
                    plain.FillRect(c.box);
                    plain.TextOut(c.box.left + c.dx, c.box.top + c.dy, c.text);
                }
            }
            cell.Flush();
            plain.Flush();
            EXPECT_TRUE(cellImage == plainImage) << "ratio " << ratio << ", fill " << fill;
            EXPECT_GT(Count(cellImage, {0, 0, cellImage.width(), cellImage.height()}, clBlack), 10);
        }
    }
}

TEST(BitmapTest, SizeMonochromeAndTransparentColour) {
    Bitmap b(5, 4);
    EXPECT_EQ(b.Width(), 5);
    EXPECT_EQ(b.Pixel(4, 3), clWhite);
    b.SetPixel(0, 3, kRed);
    EXPECT_EQ(b.TransparentColor(), kRed);
    b.SetPixel(1, 1, RGB(200, 200, 200));
    b.SetPixel(2, 1, RGB(40, 40, 90));
    // Resizing keeps the old picture in the top-left corner, the new area is white.
    b.SetSize(8, 6);
    EXPECT_EQ(b.Pixel(0, 3), kRed);
    EXPECT_EQ(b.Pixel(7, 5), clWhite);
    b.SetMonochrome(true);
    EXPECT_TRUE(b.Monochrome());
    EXPECT_EQ(b.Pixel(1, 1), clWhite);
    EXPECT_EQ(b.Pixel(2, 1), clBlack);
    EXPECT_EQ(b.Pixel(0, 3), clBlack);
    // Drawing on a monochrome bitmap gives only black and white.
    b.Canvas().SetFillColor(RGB(30, 60, 200));
    b.Canvas().FillRect({0, 0, 2, 1});
    EXPECT_EQ(b.Pixel(0, 0), clBlack);
    b.Canvas().SetFontHeight(6);
    b.Canvas().TextOut(2, 0, "W");
    const QImage& img = QtImage(b);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            Color c = At(img, x, y);
            ASSERT_TRUE(c == clBlack || c == clWhite) << x << "," << y;
        }
    // A coloured picture copied onto a monochrome bitmap arrives in black and white.
    QImage colours(2, 1, QImage::Format_RGB32);
    colours.setPixel(0, 0, 0xFF000000u | RGB(250, 240, 100));
    colours.setPixel(1, 0, 0xFF000000u | RGB(90, 20, 160));
    StretchDraw(b.Canvas(), {0, 5, 4, 6}, colours, {0, 0, 2, 1});
    EXPECT_EQ(b.Pixel(0, 5), clWhite);
    EXPECT_EQ(b.Pixel(1, 5), clWhite);
    EXPECT_EQ(b.Pixel(2, 5), clBlack);
    EXPECT_EQ(b.Pixel(3, 5), clBlack);
    // A copy is independent.
    Bitmap c = b;
    c.SetPixel(7, 5, clBlack);
    EXPECT_EQ(b.Pixel(7, 5), clWhite);
    EXPECT_TRUE(c.Monochrome());
}

TEST(BitmapTest, MissingResourceRaises) {
    EXPECT_THROW(Bitmap::FromResource("NO_SUCH_STRIP"), std::runtime_error);
}

}  // namespace
}  // namespace platform
