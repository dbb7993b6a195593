// The committed glyph strips THAIVK0.bmp and THAIVK48.bmp, read from disk as the program's
// resource compiler reads them: format, the blank and assigned images, and the bands the cell
// renderer relies on when it stacks the marks of a cell.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int kW = 12;
constexpr int kH = 16;

const std::string kDir = MEKALON_SOURCE_DIR "/script/resources/";

// One 12 x 16 image as black (true) / white (false) pixels.
struct Glyph {
    std::array<std::array<bool, kW>, kH> px{};
    bool Row(int y) const { return std::any_of(px[y].begin(), px[y].end(), [](bool b) { return b; }); }
    bool Blank() const {
        for (int y = 0; y < kH; ++y)
            if (Row(y)) return false;
        return true;
    }
    int Top() const {
        for (int y = 0; y < kH; ++y)
            if (Row(y)) return y;
        return -1;
    }
    int Bottom() const {
        for (int y = kH - 1; y >= 0; --y)
            if (Row(y)) return y;
        return -1;
    }
    bool operator==(const Glyph& o) const { return px == o.px; }
};

QImage LoadStrip(const char* name) { return QImage(QString::fromStdString(kDir + name)); }

// All 96 images, 0..47 from THAIVK0 and 48..95 from THAIVK48.
const std::vector<Glyph>& Glyphs() {
    static const std::vector<Glyph> glyphs = [] {
        std::vector<Glyph> g(96);
        const QImage strips[2] = {LoadStrip("THAIVK0.bmp").convertToFormat(QImage::Format_RGB32),
                                  LoadStrip("THAIVK48.bmp").convertToFormat(QImage::Format_RGB32)};
        for (int i = 0; i < 96; ++i) {
            const QImage& s = strips[i / 48];
            if (s.width() < 48 * kW || s.height() < kH) continue;
            for (int y = 0; y < kH; ++y)
                for (int x = 0; x < kW; ++x)
                    g[size_t(i)].px[y][x] = (s.pixel((i % 48) * kW + x, y) & 0xFFFFFF) == 0;
        }
        return g;
    }();
    return glyphs;
}

const Glyph& G(int index) { return Glyphs()[size_t(index)]; }
int Index(unsigned char byte) { return byte - 0xA0; }

bool IsBlankSlot(int i) {
    return i == 0 || (i >= 59 && i <= 62) || i == 77 || i == 78 || i == 90 || i >= 93;
}

bool In(unsigned char b, std::initializer_list<unsigned char> set) {
    return std::find(set.begin(), set.end(), b) != set.end();
}

const std::initializer_list<unsigned char> kUpperVowels = {0xD1, 0xD4, 0xD5, 0xD6, 0xD7, 0xE7};
const std::initializer_list<unsigned char> kTones = {0xE8, 0xE9, 0xEA, 0xEB, 0xEC};
const std::initializer_list<unsigned char> kLowerMarks = {0xD8, 0xD9, 0xDA};
// Letters whose tail goes below the baseline, and those whose tail rises above the body.
const std::initializer_list<unsigned char> kTailBelow = {0xAD, 0xAE, 0xAF, 0xB0, 0xC4, 0xC6};
const std::initializer_list<unsigned char> kTailAbove = {0xBB, 0xBD, 0xBF, 0xCC};

// Bits per pixel from the BMP header on disk (QImage converts 4 bpp to 8 bpp when it loads).
int HeaderBitsPerPixel(const char* name) {
    QFile f(QString::fromStdString(kDir + name));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    const QByteArray h = f.read(30);
    if (h.size() < 30 || h[0] != 'B' || h[1] != 'M') return -1;
    return uchar(h[28]) | (uchar(h[29]) << 8);
}

// Pixels of `a` at (ax, ay) and `b` at (bx, by) touch when a black pixel of one lies on or next to
// (including diagonally) a black pixel of the other. Rows [top, bottom) of each are used.
bool Touch(const Glyph& a, int aTop, int aBottom, int ay, const Glyph& b, int bTop, int bBottom, int by) {
    for (int y1 = aTop; y1 < aBottom; ++y1)
        for (int x1 = 0; x1 < kW; ++x1) {
            if (!a.px[y1][x1]) continue;
            for (int y2 = bTop; y2 < bBottom; ++y2)
                for (int x2 = 0; x2 < kW; ++x2) {
                    if (!b.px[y2][x2]) continue;
                    const int dy = (ay + y1 - aTop) - (by + y2 - bTop);
                    if (std::abs(dy) <= 1 && std::abs(x1 - x2) <= 1) return true;
                }
        }
    return false;
}

TEST(GlyphStrips, FilesHaveTheSizeDepthAndColoursTheRendererLoads) {
    const QImage a = LoadStrip("THAIVK0.bmp");
    const QImage b = LoadStrip("THAIVK48.bmp");
    ASSERT_FALSE(a.isNull());
    ASSERT_FALSE(b.isNull());
    EXPECT_EQ(a.size(), QSize(576, 16));
    EXPECT_EQ(b.size(), QSize(576, 16));
    EXPECT_EQ(HeaderBitsPerPixel("THAIVK0.bmp"), 1);
    EXPECT_EQ(HeaderBitsPerPixel("THAIVK48.bmp"), 4);
    for (const QImage& s : {a, b}) {
        // The bottom-left pixel is the transparent colour and must be the white background.
        EXPECT_EQ(s.pixel(0, s.height() - 1) & 0xFFFFFF, 0xFFFFFFu);
        int other = 0;
        for (int y = 0; y < s.height(); ++y)
            for (int x = 0; x < s.width(); ++x) {
                const QRgb p = s.pixel(x, y) & 0xFFFFFF;
                if (p != 0 && p != 0xFFFFFF) ++other;
            }
        EXPECT_EQ(other, 0) << "pixels other than black and white";
    }
}

TEST(GlyphStrips, BlankSlotsAreBlankAndEveryCharacterHasAGlyph) {
    for (int i = 0; i < 96; ++i) {
        if (IsBlankSlot(i))
            EXPECT_TRUE(G(i).Blank()) << "image " << i << " should be blank";
        else
            EXPECT_FALSE(G(i).Blank()) << "image " << i << " (byte 0x" << std::hex << i + 0xA0 << ") is empty";
    }
    // No two glyphs are the same picture: a strip cut at the wrong place or a glyph copied into a
    // neighbour's slot shows up here.
    for (int i = 1; i < 93; ++i) {
        if (G(i).Blank()) continue;
        for (int j = i + 1; j < 93; ++j) EXPECT_FALSE(G(i) == G(j)) << "images " << i << " and " << j << " are equal";
    }
    // Nothing spills over the left or right edge of a cell into its neighbour.
    for (int i = 1; i < 93; ++i)
        for (int y = 0; y < kH; ++y) {
            EXPECT_FALSE(G(i).px[y][0]) << "image " << i << " row " << y << " touches the left edge";
            EXPECT_FALSE(G(i).px[y][kW - 1]) << "image " << i << " row " << y << " touches the right edge";
        }
}

TEST(GlyphStrips, MarksKeepToTheRowsTheRendererCopies) {
    // Upper vowels and maitaikhu: rows 1..4, sitting on row 4, row 0 left free for a tone above.
    for (unsigned char c : kUpperVowels) {
        EXPECT_GE(G(Index(c)).Top(), 1) << std::hex << int(c);
        EXPECT_EQ(G(Index(c)).Bottom(), 4) << std::hex << int(c);
    }
    // Tone marks: rows 0..4, on row 4 so that one directly above a letter stays close to it.
    for (unsigned char c : kTones) {
        EXPECT_GE(G(Index(c)).Top(), 0) << std::hex << int(c);
        EXPECT_EQ(G(Index(c)).Bottom(), 4) << std::hex << int(c);
    }
    // Lower vowels and phinthu: rows 10..13; sara u and sara uu hang from row 10.
    for (unsigned char c : kLowerMarks) {
        EXPECT_GE(G(Index(c)).Top(), 10) << std::hex << int(c);
        EXPECT_LE(G(Index(c)).Bottom(), 13) << std::hex << int(c);
    }
    EXPECT_EQ(G(Index(0xD8)).Top(), 10);
    EXPECT_EQ(G(Index(0xD9)).Top(), 10);
}

TEST(GlyphStrips, LettersSitOnOneBaselineWithTheirTails) {
    for (unsigned char c = 0xA1; c <= 0xCE; ++c) {
        const Glyph& g = G(Index(c));
        const bool below = In(c, kTailBelow), above = In(c, kTailAbove);
        // Every consonant stands on row 11 (a tail below goes on under it).
        EXPECT_TRUE(g.Row(11)) << "letter 0x" << std::hex << int(c) << " does not reach the baseline";
        EXPECT_EQ(g.Bottom() > 11, below) << "letter 0x" << std::hex << int(c) << " bottom " << std::dec << g.Bottom();
        EXPECT_EQ(g.Top() < 2, above) << "letter 0x" << std::hex << int(c) << " top " << std::dec << g.Top();
        EXPECT_LE(g.Top(), 4) << "letter 0x" << std::hex << int(c) << " is too short";
    }
    // A tail above must stay a tail: po pla differs from bo baimai by it.
    EXPECT_EQ(G(Index(0xBB)).Top(), 0);
    EXPECT_GE(G(Index(0xBA)).Top(), 2);
    // Digits, sara a, sara aa, paiyannoi, the baht sign, sara e and sara ae keep to the base band.
    for (unsigned char c : {0xCF, 0xD0, 0xD2, 0xDF, 0xE0, 0xE1, 0xEF, 0xF0, 0xF1, 0xF2, 0xF3,
                            0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9}) {
        EXPECT_GE(G(Index(c)).Top(), 2) << std::hex << int(c);
        EXPECT_LE(G(Index(c)).Bottom(), 11) << std::hex << int(c);
    }
    // Sara am: its ring sits above the sara-aa stroke, which is the same as sara aa's below it.
    const Glyph& am = G(Index(0xD3));
    EXPECT_TRUE(am.Row(0) || am.Row(1));
    EXPECT_LE(am.Bottom(), 11);
}

// Rows from the top of a glyph in which only a stem is inked (all ink within two neighbouring
// columns), and how many of them are two pixels wide.
struct Rise {
    int rows = 0, wide = 0;
};
Rise StemRise(const Glyph& g) {
    Rise r;
    for (int y = std::max(g.Top(), 0); y < kH && g.Row(y); ++y) {
        int first = kW, last = -1;
        for (int x = 0; x < kW; ++x)
            if (g.px[y][x]) first = std::min(first, x), last = std::max(last, x);
        if (last - first > 1) break;
        ++r.rows;
        if (last > first) ++r.wide;
    }
    return r;
}

TEST(GlyphStrips, LookAlikeLettersStayApartAtTheSmallestSize) {
    // Size 1 draws each image pixel for pixel: letters told apart by one stroke differ in at
    // least ten of their pixels.
    const std::pair<unsigned char, unsigned char> pairs[] = {
        {0xBB, 0xBA}, {0xBD, 0xBC}, {0xBF, 0xBE}, {0xAE, 0xAF}, {0xB4, 0xB5}, {0xAA, 0xAB},
        {0xA2, 0xA3}, {0xA4, 0xA5}, {0xA4, 0xC8}, {0xA5, 0xC8}, {0xC1, 0xA6}};
    for (auto [a, b] : pairs) {
        int differ = 0;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) differ += G(Index(a)).px[y][x] != G(Index(b)).px[y][x];
        EXPECT_GE(differ, 10) << std::hex << "0x" << int(a) << " and 0x" << int(b);
    }
    // Po pla, fo fa and fo fan: the stem rises alone over the body for three rows or more, two
    // pixels wide; bo baimai, pho phung and pho phan have no such rise.
    for (auto [tall, flat] : pairs) {
        if (tall != 0xBB && tall != 0xBD && tall != 0xBF) continue;
        const Rise r = StemRise(G(Index(tall)));
        EXPECT_GE(r.rows, 3) << std::hex << int(tall);
        EXPECT_GE(r.wide, 3) << std::hex << int(tall);
        EXPECT_LE(StemRise(G(Index(flat))).rows, 1) << std::hex << int(flat);
    }
}

TEST(GlyphStrips, AsteriskInSlot92IsASymmetricStarInTheBaseBand) {
    const Glyph& g = G(92);
    ASSERT_FALSE(g.Blank());
    EXPECT_GE(g.Top(), 2);
    EXPECT_LE(g.Bottom(), 11);
    int left = kW, right = -1, count = 0;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            if (g.px[y][x]) left = std::min(left, x), right = std::max(right, x), ++count;
    // Mirror image of itself, left to right and top to bottom, with strokes through its middle.
    for (int y = g.Top(); y <= g.Bottom(); ++y)
        for (int x = left; x <= right; ++x) {
            EXPECT_EQ(g.px[y][x], g.px[y][left + right - x]) << x << "," << y;
            EXPECT_EQ(g.px[y][x], g.px[g.Top() + g.Bottom() - y][x]) << x << "," << y;
        }
    EXPECT_TRUE(g.px[(g.Top() + g.Bottom()) / 2][(left + right) / 2]);
    EXPECT_GE(count, 9);
}

TEST(GlyphStrips, StackedMarksStayApart) {
    // The renderer draws a tone over an upper vowel at y 0..4, the vowel (or a tone without one)
    // at y 5..9 and the letter at y 10..25. Those layers must not run into each other.
    for (unsigned char v : kUpperVowels)
        for (unsigned char t : kTones)
            EXPECT_FALSE(Touch(G(Index(t)), 0, 5, 0, G(Index(v)), 0, 5, 5))
                << "tone 0x" << std::hex << int(t) << " touches vowel 0x" << int(v);
    for (unsigned char c = 0xA1; c <= 0xCE; ++c) {
        if (c == 0xCC) continue;  // lo chula's curl takes no tone in practice
        for (unsigned char m : kTones)
            EXPECT_FALSE(Touch(G(Index(m)), 0, 5, 5, G(Index(c)), 0, kH, 10))
                << "tone 0x" << std::hex << int(m) << " touches letter 0x" << int(c);
        for (unsigned char m : kUpperVowels)
            EXPECT_FALSE(Touch(G(Index(m)), 0, 5, 5, G(Index(c)), 0, kH, 10))
                << "vowel 0x" << std::hex << int(m) << " touches letter 0x" << int(c);
    }
}

}  // namespace
