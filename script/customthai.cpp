// The glyph cell renderer: cell metrics per graphics size and the drawing of one display cell,
// through the surface's font (size 0) or from the shared glyph images with the marks of the cell
// stacked at fixed levels (sizes 1 to 3).
#include "script/customthai.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <string>

#include "script/thai.h"

platform::ImageList* GlyphImages = nullptr;

// The glyph strips are program resources; the build links their data, which registers itself.
// The 12 x 16 images are needed; the same glyphs at 24 x 32 and 36 x 48 are drawn where a glyph
// pixel covers 2 x 2 or 3 x 3 device pixels or more (graphics sizes 2 and 3, HiDPI screens,
// printing), and without them those cells are the 12 x 16 images stretched.
void CreateGlyphImages() {
    if (GlyphImages) return;
    auto* list = new platform::ImageList(12, 16);
    try {
        for (const char* name : {"THAIVK0", "THAIVK48"}) {
            platform::Bitmap strip = platform::Bitmap::FromResource(name);
            list->AddMasked(strip, strip.TransparentColor());
        }
    } catch (...) {
        delete list;
        throw;
    }
    for (const int scale : {2, 3}) {
        try {
            const std::string suffix = "_" + std::to_string(scale) + "X";
            platform::Bitmap first = platform::Bitmap::FromResource("THAIVK0" + suffix);
            platform::Bitmap second = platform::Bitmap::FromResource("THAIVK48" + suffix);
            list->AddMaskedDetail(scale, first, first.TransparentColor());
            list->AddMaskedDetail(scale, second, second.TransparentColor());
        } catch (const std::exception&) {
        }
    }
    GlyphImages = list;
}

platform::ImageList& SharedGlyphImages() {
    if (!GlyphImages) {
        try {
            CreateGlyphImages();
        } catch (const std::exception&) {
            GlyphImages = new platform::ImageList(12, 16);
        }
    }
    return *GlyphImages;
}

void FreeGlyphImages() {
    delete GlyphImages;
    GlyphImages = nullptr;
}

int GlyphIndex(unsigned char byte) {
    if (byte == 0x20) return 0;
    if (byte == 0x2A) return 0xFC - 0xA0;
    if (byte >= 0xA1 && byte <= 0xFB) return byte - 0xA0;
    return 0;  // no glyph of its own: the blank image
}

namespace {

constexpr unsigned char kAsteriskSlot = 0xFC;
constexpr int kGlyphWidth = 12;
constexpr int kGlyphHeight = 16;
// Source rows of the mark strips within a glyph image, five rows each, so that the strip fills
// the mark's MarkHeight (5 g) at a whole scale: each row of the glyph images drawn for the cell's
// pixels shows once, none dropped or doubled. The lower marks keep to rows 10..13; row 15, which a
// stretch of six rows into five would take instead of row 14 at size 1, is empty in every image.
constexpr int kUpperMarkTop = 0, kUpperMarkBottom = 5;
constexpr int kLowerMarkTop = 10, kLowerMarkBottom = 15;

bool SameFontName(const std::string& a, const char* b) {
    std::string_view bv(b);
    if (a.size() != bv.size()) return false;
    for (size_t k = 0; k < a.size(); ++k)
        if (std::tolower(static_cast<unsigned char>(a[k])) != std::tolower(static_cast<unsigned char>(bv[k])))
            return false;
    return true;
}

const platform::ImageList* Glyphs() { return &SharedGlyphImages(); }

// The letters of the glyph images stand on the bottom edge of their row 11. A character drawn
// through the font in bitmap mode gets its base line there too, so that Latin and Thai text
// share one base line in every size, whatever the font's ascent.
constexpr int kGlyphBaseRow = 12;
int LatinTop(const TCustomthai& cell, const platform::Surface& surface) {
    return cell.BaseLevel + kGlyphBaseRow * cell.Graphicsize - surface.TextAscent();
}

}  // namespace

TCustomthai::TCustomthai() {
    CellWidth = 12;
    RowHeight = 16;
    SourceRect.left = 0;
    SourceRect.right = kGlyphWidth;
    Graphicsize = 1;
}

TCustomthai::~TCustomthai() = default;

void TCustomthai::SetCanvasMetrics(platform::Surface& surface, int size) {
    if (size < 0) return;
    Graphicsize = size;
    if (Graphicsize == 0 && SameFontName(surface.FontName(), "Fixedsys")) Graphicsize = 1;
    if (Graphicsize == 0 && SameFontName(surface.FontName(), "System")) Graphicsize = 1;

    if (Graphicsize >= 1) {
        const int g = Graphicsize;
        surface.SetFontName("Fixedsys");
        surface.SetFontStyle(0);
        surface.SetFontHeight(16 * g);
        surface.SetFontColor(platform::clBlack);
        surface.SetPenWidth(g);
        TextIndent = g;
        UpperLevel = 5 * g;
        BaseLevel = 10 * g;
        LowerLevel = 27 * g;
        MarkHeight = 5 * g;
        CellWidth = 12 * g;
        GlyphHeight = 16 * g;
        RowHeight = 32 * g;
    } else {
        // A word with an upper vowel, a tone and a lower vowel gives the full height of a row.
        static const char sample[] = "\xB7\xD5\xE8\xCD\xC2\xD9\xE8";
        const int h = surface.TextHeight(std::string_view(sample, 7));
        const int w = surface.TextWidth(std::string_view("\x7F", 1));
        CellWidth = w < h / 2 ? h / 2 : w;
        BaseLevel = (10 * h) / 32;
        const int pen = h / 16 + 1;
        surface.SetPenWidth(pen);
        RowHeight = pen + h + BaseLevel;
        LowerLevel = RowHeight;
    }
    surface.SetCopyMode(platform::CopyMode::SrcCopy);
}

void TCustomthai::DrawCell(platform::Surface& surface, std::string_view text, int& i) {
    const int length = static_cast<int>(text.size());
    const int left = DrawX;
    DrawX += CellWidth;
    auto byteAt = [&](int pos) -> unsigned char {
        return pos >= 1 && pos <= length ? static_cast<unsigned char>(text[static_cast<size_t>(pos - 1)]) : 0;
    };
    if (aroundFilled_) {
        // DrawCells filled the rows above and below the glyph for the whole run.
    } else if (FillsGlyphBand(surface, byteAt(i))) {
        // The base glyph and the strips of its marks are copied over the whole cell width, so
        // they cover whatever lay there: only the rows between them need the fill colour.
        FillAroundStrips(surface, text, i, left);
    } else if (Graphicsize != 0 && i >= 1 && i <= length && !thai::GlyphChars.contains(byteAt(i)) &&
               (i == length || MarkLevel(byteAt(i + 1), BaseLevel) == BaseLevel)) {
        // A Latin letter or digit alone in its cell: the fill and the letter in one copy.
        surface.TextCell({left, DrawY, left + CellWidth, DrawY + RowHeight}, left + TextIndent,
                         DrawY + LatinTop(*this, surface), text.substr(static_cast<size_t>(i - 1), 1));
        ++i;
        return;
    } else {
        surface.FillRect({left, DrawY, left + CellWidth, DrawY + RowHeight});
    }
    if (i <= 0 || i > length) return;

    if (Graphicsize == 0) {
        int j = i;
        while (j < length && thai::CombiningMarks.contains(byteAt(j + 1))) ++j;
        const int w = surface.TextWidth(text.substr(static_cast<size_t>(i - 1), 1));
        const int off = std::max(0, (CellWidth - w) / 2);
        // The font places the marks; the surface keeps them over the base and inside the cell.
        surface.TextOutCell(left + off, DrawY + BaseLevel, left, left + CellWidth,
                            text.substr(static_cast<size_t>(i - 1), static_cast<size_t>(j - i + 1)));
        i = j + 1;
        return;
    }

    unsigned char c = byteAt(i);
    int level = BaseLevel;
    auto nextLevel = [&](unsigned char next) { return MarkLevel(next, level); };
    if (!thai::GlyphChars.contains(c)) {
        surface.TextOut(left + TextIndent, DrawY + LatinTop(*this, surface), text.substr(static_cast<size_t>(i - 1), 1));
        ++i;
        // Marks after a Latin letter or a digit belong to its cell and are stacked over it.
        c = byteAt(i);
        const int next = nextLevel(c);
        if (next == BaseLevel || i > length) return;
        level = next;
    }

    const platform::ImageList* glyphs = Glyphs();
    for (;;) {
        if (c == 0x2A) c = kAsteriskSlot;
        const int index = c == 0x20 ? 0 : c - 0xA0;
        const bool mark = thai::CombiningMarks.contains(c);
        SourceRect.top = 0;
        SourceRect.bottom = kGlyphHeight;
        if (mark) {
            const bool lower = thai::LowerVowels.contains(c);
            SourceRect.top = lower ? kLowerMarkTop : kUpperMarkTop;
            SourceRect.bottom = lower ? kLowerMarkBottom : kUpperMarkBottom;
        }
        const platform::Rect dest{left, DrawY + level, left + CellWidth, DrawY + level + (mark ? MarkHeight : GlyphHeight)};
        if (index < glyphs->Count()) surface.DrawImage(dest, *glyphs, index, SourceRect, surface.FillColor());

        ++i;
        c = byteAt(i);
        const int next = nextLevel(c);
        if (next == BaseLevel || i > length) return;
        level = next;
    }
}

// Cells are drawn from left to right as DrawCell draws them: a letter drawn through the font may
// spill its ink over the cell to its right, and that cell's own fill or glyph takes it back. A run
// of plain glyph cells gets its fill only once the cell before it is drawn, and its glyphs cover
// exactly the rows the fill leaves out, so the pixels are those of DrawCell one cell at a time.
void TCustomthai::DrawCells(platform::Surface& surface, std::string_view text, int& i, int count) {
    const int length = static_cast<int>(text.size());
    while (count > 0) {
        if (i < 1 || i > length) {
            surface.FillRect({DrawX, DrawY, DrawX + count * CellWidth, DrawY + RowHeight});
            DrawX += count * CellWidth;
            return;
        }
        int run = 0;
        while (run < count && i + run <= length && PlainGlyphCell(surface, text, i + run)) ++run;
        if (run < 2) {
            DrawCell(surface, text, i);
            --count;
            continue;
        }
        const int right = DrawX + run * CellWidth;
        surface.FillRect({DrawX, DrawY, right, DrawY + BaseLevel});
        surface.FillRect({DrawX, DrawY + BaseLevel + GlyphHeight, right, DrawY + RowHeight});
        aroundFilled_ = true;
        for (int k = 0; k < run; ++k) DrawCell(surface, text, i);
        aroundFilled_ = false;
        count -= run;
    }
}

bool TCustomthai::PlainGlyphCell(const platform::Surface& surface, std::string_view text, int i) const {
    const int length = static_cast<int>(text.size());
    if (!FillsGlyphBand(surface, static_cast<unsigned char>(text[static_cast<size_t>(i - 1)]))) return false;
    return i == length || MarkLevel(static_cast<unsigned char>(text[static_cast<size_t>(i)]), BaseLevel) == BaseLevel;
}

void TCustomthai::DrawGlyphAt(platform::Surface& surface, int row, unsigned char byte, int column) {
    DrawX = column * CellWidth;
    DrawY = row * RowHeight;
    const std::string_view one(reinterpret_cast<const char*>(&byte), 1);
    if (Graphicsize == 0) {
        const int pen = surface.PenWidth();
        const int off = (CellWidth - surface.TextWidth(one)) / 2;
        surface.FillRect({DrawX, DrawY, DrawX + CellWidth, DrawY + RowHeight - pen});
        // A mark offered alone is centred in the cell by its ink: it has no advance of its own.
        surface.TextOutCell(DrawX + off, DrawY + BaseLevel - pen, DrawX, DrawX + CellWidth, one);
        return;
    }
    surface.FillRect({DrawX, DrawY + BaseLevel, DrawX + CellWidth, DrawY + BaseLevel + GlyphHeight});
    if (!thai::GlyphChars.contains(byte)) {
        // No image of its own: drawn through the font like any other such character.
        surface.TextOut(DrawX + TextIndent, DrawY + LatinTop(*this, surface), one);
        return;
    }
    const platform::ImageList* glyphs = Glyphs();
    const int index = GlyphIndex(byte);
    if (index >= glyphs->Count()) return;
    SourceRect.top = 0;
    SourceRect.bottom = kGlyphHeight;
    surface.DrawImage({DrawX, DrawY + BaseLevel, DrawX + CellWidth, DrawY + BaseLevel + GlyphHeight}, *glyphs, index,
                      SourceRect, surface.FillColor());
}

int TCustomthai::MarkLevel(unsigned char next, int level) const {
    if (next == 0xD1 || (next >= 0xD4 && next <= 0xD7) || next == thai::Maitaikhu) return UpperLevel;
    if (thai::LowerVowels.contains(next)) return LowerLevel;
    if (thai::ToneMarks.contains(next)) return level == UpperLevel ? 0 : UpperLevel;
    return BaseLevel;
}

// The cell's strips, as DrawCell copies them: the base glyph at BaseLevel, then each mark at the
// level the one before it leads to. Their rows are covered; the rest of the cell is filled, one
// rectangle for each run of uncovered rows.
void TCustomthai::FillAroundStrips(platform::Surface& surface, std::string_view text, int i, int left) const {
    const int length = static_cast<int>(text.size());
    struct Span {
        int top, bottom;
    };
    Span covered[4];
    int count = 0;
    covered[count++] = {BaseLevel, BaseLevel + GlyphHeight};
    const int glyphs = Glyphs()->Count();
    int level = BaseLevel;
    for (int k = i + 1; k <= length && count < 4; ++k) {
        unsigned char c = static_cast<unsigned char>(text[static_cast<size_t>(k - 1)]);
        const int next = MarkLevel(c, level);
        if (next == BaseLevel) break;
        level = next;
        if (c == 0x2A) c = kAsteriskSlot;
        const int index = c == 0x20 ? 0 : c - 0xA0;
        // A mark without an image of its own is not drawn: its rows are filled.
        if (index >= 0 && index < glyphs && thai::CombiningMarks.contains(c)) covered[count++] = {level, level + MarkHeight};
    }
    std::sort(covered, covered + count, [](const Span& a, const Span& b) { return a.top < b.top; });
    int y = 0;
    for (int k = 0; k < count; ++k) {
        if (covered[k].top > y) surface.FillRect({left, DrawY + y, left + CellWidth, DrawY + covered[k].top});
        y = std::max(y, covered[k].bottom);
    }
    if (y < RowHeight) surface.FillRect({left, DrawY + y, left + CellWidth, DrawY + RowHeight});
}

bool TCustomthai::FillsGlyphBand(const platform::Surface& surface, unsigned char first) const {
    if (Graphicsize < 1 || surface.GetCopyMode() != platform::CopyMode::SrcCopy) return false;
    if (!thai::GlyphChars.contains(first) || thai::CombiningMarks.contains(first)) return false;
    const int index = first == 0x2A ? kAsteriskSlot - 0xA0 : first == 0x20 ? 0 : first - 0xA0;
    const platform::ImageList* glyphs = Glyphs();
    return index < glyphs->Count() && SourceRect.left >= 0 && SourceRect.right <= glyphs->Width() &&
           SourceRect.left < SourceRect.right && CellWidth > 0 && GlyphHeight > 0;
}
