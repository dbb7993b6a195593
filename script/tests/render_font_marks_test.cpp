// Font mode with every Thai font of the TLWG set: the vowel and tone marks of a cell are drawn over
// their base and inside the cell, whether the font positions its marks itself or leaves them
// behind the base; a mark drawn alone (the "Thai on A..Z" offer) stays inside its cell too.
// The checks look only at where ink lies, never at a font's exact pixels. At 16 pixels in Loma and
// Tlwg Mono, a tone over an upper vowel stays clear of it, and marks sit where HarfBuzz, shaping
// the cell from the same font's tables, puts them.
#include <gtest/gtest.h>
#include <hb.h>

#include <QFontInfo>
#include <QImage>
#include <QRawFont>
#include <optional>
#include <string>
#include <vector>

#include "platform/qt_surface.h"
#include "script/customthai.h"
#include "script/tests/thai_bytes.h"
#include "script/thai.h"

namespace {

using thaitest::Tis;

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

// ---- At 16 pixels, against HarfBuzz ----------------------------------------------------------

// A box of ink in pixels (right and bottom exclusive), or in fractions of a pixel for HarfBuzz.
struct Box {
    double left, top, right, bottom;
    double cx() const { return (left + right) / 2; }
    double cy() const { return (top + bottom) / 2; }
};

// Cells whose marks stack: each with its base alone, then one more mark at a time.
const std::vector<std::string> kStacks = {Tis("ที่"), Tis("นี่"), Tis("ชี้"), Tis("มื่"), Tis("ฝั่"),
                                          Tis("กิ๊"), Tis("ปู่"), Tis("ก่"), Tis("ข้")};

class FontMarksAt16 : public ::testing::TestWithParam<const char*> {
protected:
    FontMarksAt16() : image_(200, 120, QImage::Format_RGB32), surface_(&image_) {
        surface_.SetFontName(GetParam());
        surface_.SetFontHeight(16);
        thai_.SetCanvasMetrics(surface_, 0);
    }
    // The pixels of one cell drawn alone at the top left.
    QImage Cell(const std::string& cell) {
        image_.fill(Qt::white);
        surface_.SetFillColor(platform::clWhite);
        thai_.DrawX = 0;
        thai_.DrawY = 0;
        int i = 1;
        thai_.DrawCell(surface_, cell, i);
        surface_.Flush();
        return image_.copy(0, 0, thai_.CellWidth, thai_.RowHeight);
    }
    // Where `with` has ink that `without` has not: the ink the last mark added.
    static std::optional<Box> Added(const QImage& with, const QImage& without) {
        std::optional<Box> box;
        for (int y = 0; y < with.height(); ++y)
            for (int x = 0; x < with.width(); ++x) {
                if (with.pixel(x, y) == without.pixel(x, y) || qGray(with.pixel(x, y)) > 250) continue;
                if (!box) box = Box{double(x), double(y), x + 1.0, y + 1.0};
                box->left = std::min(box->left, double(x));
                box->top = std::min(box->top, double(y));
                box->right = std::max(box->right, x + 1.0);
                box->bottom = std::max(box->bottom, y + 1.0);
            }
        return box;
    }
    QImage image_;
    platform::ImageSurface surface_;
    TCustomthai thai_;
};

// HarfBuzz over the tables of the font Qt uses: the glyphs of a shaped text with their ink boxes
// in pixels, y downwards from the baseline, and the first glyph's advance.
struct HbShaped {
    std::vector<hb_codepoint_t> glyphs;
    std::vector<Box> ink;
    double advance = 0;
};

HbShaped ShapeWithHarfBuzz(const QRawFont& raw, const std::string& tis) {
    hb_face_t* face = hb_face_create_for_tables(
        [](hb_face_t*, hb_tag_t tag, void* font) -> hb_blob_t* {
            const char name[5] = {char(tag >> 24), char(tag >> 16), char(tag >> 8), char(tag), 0};
            auto* table = new QByteArray(static_cast<QRawFont*>(font)->fontTable(name));
            return hb_blob_create(table->constData(), static_cast<unsigned>(table->size()), HB_MEMORY_MODE_READONLY, table,
                                  [](void* data) { delete static_cast<QByteArray*>(data); });
        },
        const_cast<QRawFont*>(&raw), nullptr);
    hb_font_t* font = hb_font_create(face);
    const int scale = static_cast<int>(raw.pixelSize() * 64);
    hb_font_set_scale(font, scale, scale);
    hb_buffer_t* buffer = hb_buffer_create();
    for (unsigned char c : tis) hb_buffer_add(buffer, c >= 0xA1 ? c - 0xA1 + 0x0E01 : c, 0);
    hb_buffer_set_content_type(buffer, HB_BUFFER_CONTENT_TYPE_UNICODE);
    hb_buffer_guess_segment_properties(buffer);
    hb_shape(font, buffer, nullptr, 0);
    unsigned n = 0;
    const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buffer, &n);
    const hb_glyph_position_t* pos = hb_buffer_get_glyph_positions(buffer, &n);
    HbShaped out;
    double penX = 0;
    for (unsigned k = 0; k < n; ++k) {
        hb_glyph_extents_t e{};
        hb_font_get_glyph_extents(font, info[k].codepoint, &e);
        const double x = (penX + pos[k].x_offset + e.x_bearing) / 64.0;
        const double top = -(pos[k].y_offset + e.y_bearing) / 64.0;
        out.glyphs.push_back(info[k].codepoint);
        out.ink.push_back({x, top, x + e.width / 64.0, top - e.height / 64.0});
        if (k == 0) out.advance = pos[k].x_advance / 64.0;
        penX += pos[k].x_advance;
    }
    hb_buffer_destroy(buffer);
    hb_font_destroy(font);
    hb_face_destroy(face);
    return out;
}

// The ink of the glyphs that `longer` has and `shorter` has not (the glyphs a mark added).
Box AddedByHarfBuzz(const HbShaped& longer, const HbShaped& shorter) {
    std::optional<Box> box;
    for (size_t k = 0; k < longer.glyphs.size(); ++k) {
        bool old = false;
        for (size_t j = 0; j < shorter.glyphs.size() && !old; ++j)
            old = shorter.glyphs[j] == longer.glyphs[k] && std::abs(shorter.ink[j].left - longer.ink[k].left) < 0.01 &&
                  std::abs(shorter.ink[j].top - longer.ink[k].top) < 0.01;
        if (old) continue;
        const Box& b = longer.ink[k];
        box = box ? Box{std::min(box->left, b.left), std::min(box->top, b.top), std::max(box->right, b.right),
                        std::max(box->bottom, b.bottom)}
                  : b;
    }
    return box.value_or(Box{0, 0, 0, 0});
}

TEST_P(FontMarksAt16, AToneOverAnUpperVowelLeavesAClearPixelRow) {
    ASSERT_EQ(QFontInfo(platform::QtFont(surface_)).family(), QString(GetParam()));
    for (const std::string& cell : {Tis("ที่"), Tis("นี่"), Tis("ชี้"), Tis("มื่"), Tis("ฝั่"), Tis("กิ๊")}) {
        SCOPED_TRACE(thaitest::ToHex(cell));
        const QImage base = Cell(cell.substr(0, 1)), vowel = Cell(cell.substr(0, 2)), tone = Cell(cell);
        const auto vowelInk = Added(vowel, base), toneInk = Added(tone, vowel);
        ASSERT_TRUE(vowelInk && toneInk);
        // Column by column, a blank row between the tone's lowest ink and the vowel's highest.
        int overlapping = 0;
        for (int x = 0; x < tone.width(); ++x) {
            int toneBottom = -1, vowelTop = tone.height();
            for (int y = 0; y < tone.height(); ++y) {
                const bool toneHere = tone.pixel(x, y) != vowel.pixel(x, y) && qGray(tone.pixel(x, y)) <= 250;
                const bool vowelHere = vowel.pixel(x, y) != base.pixel(x, y) && qGray(vowel.pixel(x, y)) <= 250;
                if (toneHere) toneBottom = y;
                if (vowelHere) vowelTop = std::min(vowelTop, y);
            }
            if (toneBottom < 0 || vowelTop == tone.height()) continue;
            ++overlapping;
            EXPECT_LE(toneBottom, vowelTop - 2) << "column " << x;
        }
        EXPECT_GT(overlapping, 0) << "the tone stands over the vowel";
    }
}

TEST_P(FontMarksAt16, MarksSitWhereHarfBuzzPutsThem) {
    const QRawFont raw = QRawFont::fromFont(platform::QtFont(surface_));
    for (const std::string& cell : kStacks) {
        SCOPED_TRACE(thaitest::ToHex(cell));
        const HbShaped base = ShapeWithHarfBuzz(raw, cell.substr(0, 1));
        ASSERT_EQ(base.ink.size(), 1u);
        const auto baseInk = Added(Cell(cell.substr(0, 1)), Cell(" "));
        ASSERT_TRUE(baseInk);
        for (size_t k = 1; k < cell.size(); ++k) {
            const auto markInk = Added(Cell(cell.substr(0, k + 1)), Cell(cell.substr(0, k)));
            ASSERT_TRUE(markInk) << "mark " << k;
            const Box hb = AddedByHarfBuzz(ShapeWithHarfBuzz(raw, cell.substr(0, k + 1)), ShapeWithHarfBuzz(raw, cell.substr(0, k)));
            // Heights above the base as HarfBuzz has them; a mark over another may be lifted a
            // pixel more to keep clear of it.
            const double hbRise = base.ink[0].cy() - hb.cy(), rise = baseInk->cy() - markInk->cy();
            EXPECT_GE(rise, hbRise - 1.5) << "mark " << k;
            EXPECT_LE(rise, hbRise + (k > 1 ? 2.5 : 1.5)) << "mark " << k;
            // Across as HarfBuzz has it, wherever HarfBuzz puts the mark over its base's advance;
            // a mark it leaves beyond (a font without mark positioning) is moved into the cell.
            if (hb.left >= -0.5 && hb.right <= base.advance + 0.5) {
                EXPECT_NEAR(markInk->cx() - baseInk->cx(), hb.cx() - base.ink[0].cx(), 1.5) << "mark " << k;
            }
            EXPECT_GE(markInk->left, 0);
            EXPECT_LE(markInk->right, thai_.CellWidth);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Tlwg, FontMarksAt16, ::testing::Values("Loma", "Tlwg Mono"), [](const auto& info) {
    std::string name = info.param;
    std::erase(name, ' ');
    return name;
});

}  // namespace
