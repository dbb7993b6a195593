// Font mode with every Thai font of the TLWG set: the vowel and tone marks of a cell are drawn over
// their base and inside the cell, whether the font positions its marks itself or leaves them
// behind the base; a mark drawn alone (the "Thai on A..Z" offer) stays inside its cell too.
// The checks look only at where ink lies, never at a font's exact pixels.
#include <gtest/gtest.h>

#include <QFontInfo>
#include <QImage>
#include <string>
#include <vector>

#include "platform/qt_surface.h"
#include "script/customthai.h"
#include "script/thai.h"

namespace {

constexpr platform::Color kUntouched = 0x3080C0;

// Marked cells, each between two bare ko kai: upper vowel and tone, lower vowel and tone, a tone
// on a tall letter, on a wide letter, maihanakat, maitaikhu, a tone over sara i.
const std::vector<std::string> kMarkedCells = {"\xB7\xD5\xE8", "\xBC\xD9\xE9", "\xBB\xE8",    "\xAD\xE8",
                                               "\xBD\xD1\xE8", "\xA1\xE7",     "\xAA\xD4\xE9"};

class FontMarksTest : public ::testing::TestWithParam<const char*> {
  protected:
    FontMarksTest() : image_(1000, 420, QImage::Format_RGB32), surface_(&image_) {
        image_.fill(0xFF000000u | kUntouched);
        surface_.SetFontName(GetParam());
        UseHeight(30);
    }

    void UseHeight(int pixels) {
        image_.fill(0xFF000000u | kUntouched);
        surface_.SetFontHeight(pixels);
        thai_.SetCanvasMetrics(surface_, 0);
    }

    void DrawRow(const std::string& text, int y) {
        surface_.SetFillColor(platform::clWhite);
        thai_.DrawX = 0;
        thai_.DrawY = y;
        int i = 1;
        for (int k = thai::CellCount(text); k > 0; --k) thai_.DrawCell(surface_, text, i);
        surface_.Flush();
    }

    platform::Color At(int x, int y) const { return image_.pixel(x, y) & 0xFFFFFF; }

    QImage image_;
    platform::ImageSurface surface_;
    TCustomthai thai_;
};

TEST_P(FontMarksTest, MarksOfARowAreInkedInsideTheirOwnCells) {
    ASSERT_EQ(QFontInfo(platform::QtFont(surface_)).family(), QString(GetParam()));  // not a stand-in font
    std::string marked = "\xA1", bare = "\xA1";
    for (const std::string& cell : kMarkedCells) {
        marked += cell + "\xA1";
        bare += cell.substr(0, 1) + "\xA1";
    }
    const int cells = thai::CellCount(marked);
    for (int height : {13, 30, 44}) {
        SCOPED_TRACE(height);
        UseHeight(height);
        const int cw = thai_.CellWidth, rh = thai_.RowHeight;
        ASSERT_LE(cells * cw, image_.width());
        // The same row without its marks, one row further down: every difference is a mark's ink.
        DrawRow(marked, rh);
        DrawRow(bare, 2 * rh);
        std::vector<int> inkPerCell(static_cast<size_t>(cells), 0);
        for (int y = 0; y < rh; ++y)
            for (int x = 0; x < cells * cw; ++x)
                if (At(x, rh + y) != At(x, 2 * rh + y)) ++inkPerCell[static_cast<size_t>(x / cw)];
        for (int c = 0; c < cells; ++c) {
            if (c % 2 == 1)
                EXPECT_GT(inkPerCell[static_cast<size_t>(c)], 0) << "marks of cell " << c << " missing";
            else
                EXPECT_EQ(inkPerCell[static_cast<size_t>(c)], 0) << "a neighbour's mark in cell " << c;
        }
        // Nothing was drawn outside the cells of the two rows.
        for (int y = 0; y < image_.height(); ++y)
            for (int x = 0; x < image_.width(); ++x)
                if (y < rh || y >= 3 * rh || x >= cells * cw) {
                    ASSERT_EQ(At(x, y), kUntouched) << x << "," << y;
                }
    }
}

TEST_P(FontMarksTest, AMarkOfferedAloneStaysInsideItsCell) {
    const int cw = thai_.CellWidth, rh = thai_.RowHeight;
    for (unsigned char mark : {0xD1, 0xD4, 0xD7, 0xD8, 0xE7, 0xE8, 0xEB}) {
        image_.fill(0xFF000000u | kUntouched);
        surface_.SetFillColor(platform::clYellow);
        thai_.DrawGlyphAt(surface_, 1, mark, 2);
        surface_.Flush();
        int ink = 0;
        for (int y = 0; y < image_.height(); ++y)
            for (int x = 0; x < image_.width(); ++x) {
                const bool inCell = x >= 2 * cw && x < 3 * cw && y >= rh && y < 2 * rh;
                const platform::Color c = At(x, y);
                if (!inCell) {
                    ASSERT_EQ(c, kUntouched) << "mark " << int(mark) << " at " << x << "," << y;
                } else if (c != kUntouched && c != platform::clYellow) {
                    ++ink;
                }
            }
        EXPECT_GE(ink, 3) << "mark " << int(mark);
    }
}

INSTANTIATE_TEST_SUITE_P(Tlwg, FontMarksTest,
                         ::testing::Values("Tlwg Mono", "Tlwg Typo", "Loma", "Garuda", "Norasi", "Kinnari",
                                           "Sawasdee", "Umpush", "Waree", "Purisa"),
                         [](const auto& info) {
                             std::string name = info.param;
                             std::erase(name, ' ');
                             return name;
                         });

}  // namespace
