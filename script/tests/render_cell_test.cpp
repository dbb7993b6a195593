// The glyph cell renderer drawing on a surface over a QImage: metrics per graphics size, the
// levels at which the marks of a cell are stacked, empty cells, characters drawn through the
// font, and font mode with a real Thai font.
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <string>

#include "platform/qt_surface.h"
#include "script/customthai.h"
#include "script/tests/render_glyphs.h"

namespace {

using platform::clWhite;
using rendertest::Source;
using rendertest::Trace;

// The image before drawing: shows what was not touched. Neither a tracing pixel (its blue would be
// column 12) nor a shade that smoothed black-on-white text can produce.
constexpr platform::Color kUntouched = 0x3080C0;

// Thai words as TIS-620 bytes.
const std::string kThii = "\xB7\xD5\xE8";    // tho thahan, sara ii, mai ek: tone over an upper vowel
const std::string kPuu = "\xBB\xD9\xE8";     // po pla, sara uu, mai ek: lower vowel and tone
const std::string kNam = "\xB9\xE9\xD3";     // no nu, mai tho, sara am: tone right above the base
const std::string kKhi = "\xA2\xD4\xE8";     // kho khai, sara i, mai ek

int Index(unsigned char c) { return c - 0xA0; }

class CellTest : public ::testing::Test {
protected:
    CellTest() : glyphs_(rendertest::TracingGlyphs()), image_(300, 300, QImage::Format_RGB32), surface_(&image_) {
        image_.fill(0xFF000000u | kUntouched);
    }

    // Draws `text` from position 1 as cells at (x, y) on a white fill; returns the position reached.
    int Draw(const std::string& text, int x, int y, int cells = 1) {
        surface_.SetFillColor(clWhite);
        thai_.DrawX = x;
        thai_.DrawY = y;
        int i = 1;
        for (int k = 0; k < cells; ++k) thai_.DrawCell(surface_, text, i);
        surface_.Flush();
        return i;
    }

    Source At(int x, int y) const { return Trace(image_.pixel(x, y), clWhite); }
    platform::Color Colour(int x, int y) const { return image_.pixel(x, y) & 0xFFFFFF; }

    // Every pixel of rows [top, bottom) of the cell at `left` shows whole image `index` from
    // source rows [srcTop, srcTop + (bottom - top) / g), each source pixel repeated g times.
    void ExpectStrip(int left, int top, int bottom, int index, int srcTop, int g) {
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < 12 * g; ++x) {
                const Source want{index, srcTop + (y - top) / g, x / g};
                ASSERT_EQ(At(left + x, y), want) << "pixel " << x << "," << y << " g " << g;
            }
    }
    // Rows [top, bottom) of the cell are only filled.
    void ExpectFilled(int left, int top, int bottom, int g) {
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < 12 * g; ++x) ASSERT_EQ(Colour(left + x, y), clWhite) << x << "," << y;
    }
    // Nothing outside the rectangle was touched.
    void ExpectUntouchedOutside(int left, int top, int right, int bottom) {
        for (int y = 0; y < image_.height(); ++y)
            for (int x = 0; x < image_.width(); ++x)
                if (x < left || x >= right || y < top || y >= bottom) {
                    ASSERT_EQ(Colour(x, y), kUntouched) << x << "," << y;
                }
    }

    rendertest::GlyphsInstalled glyphs_;
    QImage image_;
    platform::ImageSurface surface_;
    TCustomthai thai_;
};

TEST_F(CellTest, BitmapMetricsScaleWithTheGraphicsSize) {
    for (int g = 1; g <= 3; ++g) {
        thai_.SetCanvasMetrics(surface_, g);
        EXPECT_EQ(thai_.Graphicsize, g);
        EXPECT_EQ(thai_.CellWidth, 12 * g);
        EXPECT_EQ(thai_.RowHeight, 32 * g);
        EXPECT_EQ(thai_.GlyphHeight, 16 * g);
        EXPECT_EQ(thai_.MarkHeight, 5 * g);
        EXPECT_EQ(thai_.UpperLevel, 5 * g);
        EXPECT_EQ(thai_.BaseLevel, 10 * g);
        EXPECT_EQ(thai_.LowerLevel, 27 * g);
        EXPECT_EQ(thai_.TextIndent, g);
        EXPECT_EQ(surface_.FontName(), "Fixedsys");
        EXPECT_EQ(surface_.FontHeight(), 16 * g);
        EXPECT_EQ(surface_.PenWidth(), g);
        EXPECT_EQ(surface_.GetCopyMode(), platform::CopyMode::SrcCopy);
    }
    // A fresh control starts at size 1 with a 12 x 16 cell until metrics are applied.
    TCustomthai fresh;
    EXPECT_EQ(fresh.Graphicsize, 1);
    EXPECT_EQ(fresh.CellWidth, 12);
    EXPECT_EQ(fresh.RowHeight, 16);
}

TEST_F(CellTest, NegativeSizeChangesNothing) {
    thai_.SetCanvasMetrics(surface_, 2);
    surface_.SetFontName("Loma");
    thai_.SetCanvasMetrics(surface_, -1);
    EXPECT_EQ(thai_.Graphicsize, 2);
    EXPECT_EQ(thai_.CellWidth, 24);
    EXPECT_EQ(surface_.FontName(), "Loma");
}

// Size 2: a cell is 24 x 64; base glyph at rows 20 to 52, upper vowel 10 to 20, a tone over the
// upper vowel 0 to 10, a lower vowel 54 to 64.
TEST_F(CellTest, SizeTwoStacksMarksAtTheirRows) {
    thai_.SetCanvasMetrics(surface_, 2);
    EXPECT_EQ(Draw(kThii, 24, 64), 4);
    EXPECT_EQ(thai_.DrawX, 48);
    ExpectStrip(24, 64 + 0, 64 + 10, Index(0xE8), 0, 2);
    ExpectStrip(24, 64 + 10, 64 + 20, Index(0xD5), 0, 2);
    ExpectStrip(24, 64 + 20, 64 + 52, Index(0xB7), 0, 2);
    ExpectFilled(24, 64 + 52, 64 + 64, 2);
    ExpectUntouchedOutside(24, 64, 48, 128);
}

// The lower vowel strip takes source rows 10 to 14, each g times, into 5 g rows: at a whole scale no
// row is dropped or doubled (row 15 is empty in every glyph image).
void ExpectLowerStrip(const QImage& image, int left, int top, int g, int index) {
    for (int y = top; y < top + 5 * g; ++y)
        for (int x = 0; x < 12 * g; ++x)
            ASSERT_EQ(Trace(image.pixel(left + x, y), clWhite), (Source{index, 10 + (y - top) / g, x / g}))
                << "row " << y - top << " column " << x;
}

class CellSizes : public CellTest, public ::testing::WithParamInterface<int> {};

TEST_P(CellSizes, ToneOverUpperVowelSitsOneLevelHigher) {
    const int g = GetParam();
    thai_.SetCanvasMetrics(surface_, g);
    const int left = 12 * g, top = 32 * g;
    EXPECT_EQ(Draw(kKhi, left, top), 4);
    ExpectStrip(left, top, top + 5 * g, Index(0xE8), 0, g);
    ExpectStrip(left, top + 5 * g, top + 10 * g, Index(0xD4), 0, g);
    ExpectStrip(left, top + 10 * g, top + 26 * g, Index(0xA2), 0, g);
    ExpectFilled(left, top + 26 * g, top + 32 * g, g);
    ExpectUntouchedOutside(left, top, left + 12 * g, top + 32 * g);
}

TEST_P(CellSizes, ToneWithoutUpperVowelSitsRightAboveTheBase) {
    const int g = GetParam();
    thai_.SetCanvasMetrics(surface_, g);
    // no nu with mai tho is one cell; sara am opens the next.
    EXPECT_EQ(Draw(kNam, 0, 0), 3);
    ExpectFilled(0, 0, 5 * g, g);
    ExpectStrip(0, 5 * g, 10 * g, Index(0xE9), 0, g);
    ExpectStrip(0, 10 * g, 26 * g, Index(0xB9), 0, g);
    ExpectFilled(0, 26 * g, 32 * g, g);
    EXPECT_EQ(Draw(kNam, 0, 0, 2), 4);
    ExpectStrip(12 * g, 10 * g, 26 * g, Index(0xD3), 0, g);
    ExpectFilled(12 * g, 0, 10 * g, g);
}

TEST_P(CellSizes, LowerVowelSitsUnderItsLetterAndToneAboveIt) {
    const int g = GetParam();
    thai_.SetCanvasMetrics(surface_, g);
    EXPECT_EQ(Draw(kPuu, 0, 0), 4);
    ExpectFilled(0, 0, 5 * g, g);
    ExpectStrip(0, 5 * g, 10 * g, Index(0xE8), 0, g);
    ExpectStrip(0, 10 * g, 26 * g, Index(0xBB), 0, g);
    ExpectFilled(0, 26 * g, 27 * g, g);
    ExpectLowerStrip(image_, 0, 27 * g, g, Index(0xD9));
    ExpectUntouchedOutside(0, 0, 12 * g, 32 * g);
}

TEST_P(CellSizes, MarkOpeningATextIsAStripAtTheBaseLevel) {
    const int g = GetParam();
    thai_.SetCanvasMetrics(surface_, g);
    EXPECT_EQ(Draw("\xD4", 0, 0), 2);
    ExpectFilled(0, 0, 10 * g, g);
    ExpectStrip(0, 10 * g, 15 * g, Index(0xD4), 0, g);
    ExpectFilled(0, 15 * g, 32 * g, g);

    image_.fill(0xFF000000u | kUntouched);
    EXPECT_EQ(Draw("\xD8", 0, 0), 2);  // a lower vowel alone: its lower rows, at the base level
    ExpectFilled(0, 0, 10 * g, g);
    ExpectLowerStrip(image_, 0, 10 * g, g, Index(0xD8));
    ExpectFilled(0, 15 * g, 32 * g, g);
}

TEST_P(CellSizes, SpaceAsteriskAndNikhahitUseTheirImages) {
    const int g = GetParam();
    thai_.SetCanvasMetrics(surface_, g);
    EXPECT_EQ(Draw(" *\xED", 0, 0, 3), 4);
    ExpectStrip(0, 10 * g, 26 * g, 0, 0, g);
    ExpectStrip(12 * g, 10 * g, 26 * g, 92, 0, g);  // the asterisk lives in the slot of 0xFC
    ExpectStrip(24 * g, 10 * g, 26 * g, 77, 0, g);  // nikhahit is a base: a whole image
    ExpectFilled(0, 0, 10 * g, g);
    ExpectFilled(24 * g, 26 * g, 32 * g, g);
}

TEST_P(CellSizes, LatinLetterIsDrawnThroughTheFont) {
    const int g = GetParam();
    thai_.SetCanvasMetrics(surface_, g);
    const int left = 12 * g;
    EXPECT_EQ(Draw("W\xA1", left, 0), 2);
    EXPECT_EQ(thai_.DrawX, 24 * g);
    int inkTop = 1000, inkLeft = 1000, ink = 0;
    for (int y = 0; y < 32 * g; ++y)
        for (int x = left; x < left + 12 * g; ++x) {
            const platform::Color c = Colour(x, y);
            if (c == clWhite) continue;
            ASSERT_NE(c, kUntouched) << x << "," << y;
            ++ink;
            inkTop = std::min(inkTop, y);
            inkLeft = std::min(inkLeft, x - left);
        }
    EXPECT_GT(ink, 4 * g * g);
    EXPECT_GE(inkTop, 10 * g);  // drawn down in the base glyph's band
    EXPECT_GE(inkLeft, g);      // and shifted right by the text indent
    ExpectUntouchedOutside(left, 0, left + 24 * g, 32 * g);
    // Its base line is the glyph images' one: the bottom edge of their row 11, 22 g down the row.
    int inkBottom = -1;
    for (int y = 0; y < 32 * g; ++y)
        for (int x = left; x < left + 12 * g; ++x)
            if (qGray(image_.pixel(x, y)) < 128) inkBottom = y;
    EXPECT_EQ(inkBottom + 1, 22 * g);
}

// Marks after a Latin letter or a digit (read from a file or pasted) share its cell: a, mai ek,
// b are two cells, and so are 1, sara u, sara i, c.
TEST_P(CellSizes, MarksAfterALatinLetterOrDigitShareItsCell) {
    const int g = GetParam();
    thai_.SetCanvasMetrics(surface_, g);
    EXPECT_EQ(Draw("a\xE8" "b", 0, 0, 2), 4);
    ExpectStrip(0, 5 * g, 10 * g, Index(0xE8), 0, g);
    EXPECT_EQ(Draw("1\xD8\xD4" "c", 0, 32 * g, 2), 5);
    ExpectLowerStrip(image_, 0, 32 * g + 27 * g, g, Index(0xD8));
    ExpectStrip(0, 32 * g + 5 * g, 32 * g + 10 * g, Index(0xD4), 0, g);
    // The letter after the marks is drawn through the font in the second cell.
    for (int top : {0, 32 * g}) {
        int ink = 0;
        for (int y = top + 10 * g; y < top + 26 * g; ++y)
            for (int x = 12 * g; x < 24 * g; ++x) ink += Colour(x, y) != clWhite;
        EXPECT_GT(ink, 4 * g * g) << top;
    }
    ExpectUntouchedOutside(0, 0, 24 * g, 64 * g);
}

// A run of cells drawn at once is pixel for pixel a run of single cells: plain glyphs, marks,
// Latin letters whose ink may spill into the next cell, an opening mark, and cells past the end.
TEST_P(CellSizes, DrawCellsDrawsWhatDrawCellDrawsOneByOne) {
    const int g = GetParam();
    const std::string texts[] = {
        "\xA1\xA2\xA3 \xA4\xA7*" + kThii + "\xA1\xA1", "pay" + kPuu + "\xA1\xA2jyW\xA1\xA2" + kNam + "Wj",
        "\xD4\xA1\xA2" + kKhi + "\xA1", "y\xE8\xA1\xA2\xA3", ""};
    for (const platform::Color bk : {clWhite, platform::clYellow})
        for (const std::string& text : texts)
            for (int count : {1, 3, 9, 14}) {
                QImage one(14 * 12 * g + 20, 32 * g, QImage::Format_RGB32), run = one;
                one.fill(0xFF000000u | kUntouched);
                run.fill(0xFF000000u | kUntouched);
                int reached[2] = {0, 0}, x[2] = {0, 0};
                for (int k = 0; k < 2; ++k) {
                    platform::ImageSurface s(k == 0 ? &one : &run);
                    thai_.SetCanvasMetrics(s, g);
                    s.SetFillColor(bk);
                    thai_.DrawX = 0;
                    thai_.DrawY = 0;
                    int i = 1;
                    if (k == 0)
                        for (int c = 0; c < count; ++c) thai_.DrawCell(s, text, i);
                    else
                        thai_.DrawCells(s, text, i, count);
                    s.Flush();
                    reached[k] = i;
                    x[k] = thai_.DrawX;
                }
                EXPECT_EQ(reached[0], reached[1]);
                EXPECT_EQ(x[0], x[1]);
                ASSERT_TRUE(one == run) << "size " << g << ", " << count << " cells of text " << text.size()
                                        << " bytes on " << std::hex << bk;
            }
}

INSTANTIATE_TEST_SUITE_P(Sizes, CellSizes, ::testing::Values(1, 2, 3));

TEST_F(CellTest, PositionsOutsideTheTextLeaveAnEmptyCell) {
    thai_.SetCanvasMetrics(surface_, 1);
    surface_.SetFillColor(platform::clYellow);
    thai_.DrawX = 12;
    thai_.DrawY = 32;
    for (int start : {0, 4, 50}) {
        int i = start;
        thai_.DrawCell(surface_, kThii, i);
        EXPECT_EQ(i, start);
    }
    EXPECT_EQ(thai_.DrawX, 48);
    surface_.Flush();
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) {
            const bool inside = x >= 12 && x < 48 && y >= 32 && y < 64;
            ASSERT_EQ(Colour(x, y), inside ? platform::clYellow : kUntouched) << x << "," << y;
        }
}

TEST_F(CellTest, TransparentGlyphPixelsShowTheBackgroundColour) {
    rendertest::GlyphsInstalled bw(rendertest::BlackWhiteGlyphs());
    thai_.SetCanvasMetrics(surface_, 1);
    surface_.SetFillColor(platform::clYellow);
    int i = 1;
    thai_.DrawCell(surface_, "\xA1", i);
    surface_.Flush();
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 12; ++x)
            ASSERT_EQ(Colour(x, 10 + y), rendertest::BlackAt(1, x, y) ? platform::clBlack : platform::clYellow);
    EXPECT_EQ(Colour(5, 5), platform::clYellow);
}

TEST_F(CellTest, DrawGlyphAtShowsOneWholeImageAtTheBaseLevel) {
    thai_.SetCanvasMetrics(surface_, 2);
    surface_.SetFillColor(clWhite);
    // A tone mark drawn alone is shown whole and full size, not as a strip.
    thai_.DrawGlyphAt(surface_, 1, 0xE8, 2);
    surface_.Flush();
    EXPECT_EQ(thai_.DrawX, 48);
    EXPECT_EQ(thai_.DrawY, 64);
    ExpectStrip(48, 64 + 20, 64 + 52, Index(0xE8), 0, 2);
    ExpectUntouchedOutside(48, 64 + 20, 72, 64 + 52);
}

TEST_F(CellTest, FixedsysAndSystemFontsForceSmallBitmaps) {
    for (const char* name : {"Fixedsys", "System"}) {
        surface_.SetFontName(name);
        thai_.SetCanvasMetrics(surface_, 0);
        EXPECT_EQ(thai_.Graphicsize, 1) << name;
        EXPECT_EQ(thai_.CellWidth, 12);
        EXPECT_EQ(thai_.RowHeight, 32);
    }
}

// Font mode takes the row from the height of a word with marks above and below.
class FontModeTest : public CellTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(FontModeTest, MetricsFollowTheFont) {
    surface_.SetFontName(GetParam());
    surface_.SetFontHeight(24);
    thai_.SetCanvasMetrics(surface_, 0);
    ASSERT_EQ(thai_.Graphicsize, 0);
    const int h = surface_.TextHeight("\xB7\xD5\xE8\xCD\xC2\xD9\xE8");
    ASSERT_GT(h, 10);
    const int pen = h / 16 + 1;
    EXPECT_EQ(surface_.PenWidth(), pen);
    EXPECT_EQ(thai_.BaseLevel, 10 * h / 32);
    EXPECT_EQ(thai_.RowHeight, pen + h + thai_.BaseLevel);
    EXPECT_EQ(thai_.LowerLevel, thai_.RowHeight);
    // Cells are never narrower than half the row's text height.
    EXPECT_GE(thai_.CellWidth, h / 2);
    if (surface_.TextWidth("\x7F") < h / 2) {
        EXPECT_EQ(thai_.CellWidth, h / 2);
    }
    // The bitmap metrics are left as they were.
    EXPECT_EQ(thai_.GlyphHeight, 0);
}

TEST_P(FontModeTest, ACellIsDrawnAsOneStringWithItsMarks) {
    surface_.SetFontName(GetParam());
    surface_.SetFontHeight(30);
    thai_.SetCanvasMetrics(surface_, 0);
    const int cw = thai_.CellWidth, rh = thai_.RowHeight;
    // tho thahan with sara ii and mai ek is one cell; ko kai follows.
    EXPECT_EQ(Draw(kThii + "\xA1", 0, 0), 4);
    EXPECT_EQ(thai_.DrawX, cw);
    EXPECT_EQ(Draw("\xB7", 0, rh), 2);
    auto inkTop = [&](int top) {
        for (int y = top; y < top + rh; ++y)
            for (int x = 0; x < cw; ++x)
                if (Colour(x, y) != clWhite) return y - top;
        return rh;
    };
    const int marked = inkTop(0), bare = inkTop(rh);
    EXPECT_LT(bare, rh);
    EXPECT_LT(marked + 3, bare);  // the vowel and tone stand above the letter
    // The cell was filled over its whole width and height.
    for (int y = 0; y < 2 * rh; ++y) ASSERT_NE(Colour(cw - 1, y), kUntouched);
    EXPECT_EQ(Colour(cw, 0), kUntouched);
}

INSTANTIATE_TEST_SUITE_P(ThaiFonts, FontModeTest, ::testing::Values("Tlwg Mono", "Loma"));

TEST(GlyphImagesTest, ResourcesGiveNinetySixImages) {
    platform::ImageList* saved = GlyphImages;
    GlyphImages = nullptr;
    CreateGlyphImages();
    ASSERT_NE(GlyphImages, nullptr);
    EXPECT_EQ(GlyphImages->Count(), 96);
    EXPECT_EQ(GlyphImages->Width(), 12);
    EXPECT_EQ(GlyphImages->Height(), 16);
    FreeGlyphImages();
    EXPECT_EQ(GlyphImages, nullptr);
    GlyphImages = saved;
}

// Each cell is drawn from the glyph images made for the device pixels one glyph pixel covers:
// graphics size times the target's device pixel ratio (a HiDPI screen) or a printed page's larger
// size. 1 -> the 12 x 16 images, 2 -> 24 x 32, 3 and more -> 36 x 48, repeated by whole or nearest
// factors beyond. Compared with the committed strips on disk.
TEST(GlyphImagesTest, CellsDrawFromTheImagesMadeForTheirPixels) {
    platform::ImageList* saved = GlyphImages;
    GlyphImages = nullptr;
    CreateGlyphImages();
    struct Case {
        int size;
        double ratio;
        int set;  // the strip expected: 1, 2 or 3 times 12 x 16
    };
    // ko kai with mai ek: the base image and an upper mark strip.
    const std::string text = "\xA1\xE8";
    for (const Case c : {Case{1, 1, 1}, Case{2, 1, 2}, Case{3, 1, 3}, Case{1, 2, 2}, Case{2, 2, 3}, Case{1, 3, 3},
                         Case{6, 1, 3}, Case{9, 1, 3}}) {
        const std::string suffix = c.set > 1 ? "_" + std::to_string(c.set) + "X" : "";
        const QImage strip = QImage(QString::fromStdString(MEKALON_SOURCE_DIR "/script/resources/THAIVK0" + suffix + ".bmp"))
                                 .convertToFormat(QImage::Format_RGB32);
        const QImage marks = QImage(QString::fromStdString(MEKALON_SOURCE_DIR "/script/resources/THAIVK48" + suffix + ".bmp"))
                                 .convertToFormat(QImage::Format_RGB32);
        ASSERT_FALSE(strip.isNull());
        const int k = static_cast<int>(c.size * c.ratio);  // device pixels per glyph pixel
        QImage image(12 * k, 32 * k, QImage::Format_RGB32);
        image.setDevicePixelRatio(c.ratio);
        image.fill(0xFF808080u);
        platform::ImageSurface surface(&image);
        TCustomthai thai;
        thai.SetCanvasMetrics(surface, c.size);
        surface.SetFillColor(clWhite);
        int i = 1;
        thai.DrawCell(surface, text, i);
        surface.Flush();
        ASSERT_EQ(i, 3);
        const int w = 12 * c.set;
        auto ink = [&](const QImage& from, int index, int x, int y) {
            return (from.pixel((index % 48) * w + x * c.set / k, y * c.set / k) & 0xFFFFFF) == 0;
        };
        int differ = 0;
        for (int y = 0; y < 16 * k; ++y)
            for (int x = 0; x < 12 * k; ++x)
                differ += ((image.pixel(x, 10 * k + y) & 0xFFFFFF) == 0) != ink(strip, 1, x, y);
        for (int y = 0; y < 5 * k; ++y)
            for (int x = 0; x < 12 * k; ++x)
                differ += ((image.pixel(x, 5 * k + y) & 0xFFFFFF) == 0) != ink(marks, 0xE8 - 0xA0, x, y);
        EXPECT_EQ(differ, 0) << "size " << c.size << " ratio " << c.ratio << ": not drawn from the strip of " << c.set;
    }
    FreeGlyphImages();
    GlyphImages = saved;
}

TEST(GlyphImagesTest, GlyphIndexOfBytes) {
    EXPECT_EQ(GlyphIndex(' '), 0);
    EXPECT_EQ(GlyphIndex('*'), 92);
    EXPECT_EQ(GlyphIndex(0xA1), 1);
    EXPECT_EQ(GlyphIndex(0xFB), 91);
}

}  // namespace
