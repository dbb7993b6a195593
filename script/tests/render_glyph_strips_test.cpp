// The committed glyph strips, read from disk as the program's resource compiler reads them, at each
// of the three sizes (THAIVK0.bmp and THAIVK48.bmp with 12 x 16 images, THAIVK0_2X.bmp ... with
// 24 x 32, THAIVK0_3X.bmp ... with 36 x 48): format, the blank and assigned images, the bands the
// cell renderer relies on when it stacks the marks of a cell, that the larger images carry detail
// of their own, and that look-alike letters stay apart at the smallest size.
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

constexpr int kW = 12;  // glyph pixels of the 12 x 16 grid
constexpr int kH = 16;

const std::string kDir = MEKALON_SOURCE_DIR "/script/resources/";

// One image of size s, (12 s) x (16 s) pixels, as black (true) / white (false). Rows and columns
// are pixels; GridTop and GridBottom give the rows of the 12 x 16 grid that the ink reaches (grid
// row r covers pixel rows r s .. r s + s - 1), which is what the bands are stated in.
struct Glyph {
    int s = 1;
    std::vector<std::vector<bool>> px;
    explicit Glyph(int size = 1) : s(size), px(size_t(kH * size), std::vector<bool>(size_t(kW * size), false)) {}
    int W() const { return kW * s; }
    int H() const { return kH * s; }
    bool At(int x, int y) const { return px[size_t(y)][size_t(x)]; }
    bool Row(int y) const { return std::find(px[size_t(y)].begin(), px[size_t(y)].end(), true) != px[size_t(y)].end(); }
    // Ink in grid row r.
    bool GridRow(int r) const {
        for (int y = r * s; y < (r + 1) * s; ++y)
            if (Row(y)) return true;
        return false;
    }
    bool Blank() const { return Top() < 0; }
    int Top() const {
        for (int y = 0; y < H(); ++y)
            if (Row(y)) return y;
        return -1;
    }
    int Bottom() const {
        for (int y = H() - 1; y >= 0; --y)
            if (Row(y)) return y;
        return -1;
    }
    int GridTop() const { return Top() < 0 ? -1 : Top() / s; }
    int GridBottom() const { return Bottom() < 0 ? -1 : Bottom() / s; }
    bool operator==(const Glyph& o) const { return px == o.px; }
};

std::string StripName(int first, int size) {
    return "THAIVK" + std::to_string(first) + (size > 1 ? "_" + std::to_string(size) + "X" : "") + ".bmp";
}

QImage LoadStrip(const std::string& name) { return QImage(QString::fromStdString(kDir + name)); }

// All 96 images of a size, 0..47 from the first strip and 48..95 from the second.
const std::vector<Glyph>& Glyphs(int size) {
    static std::array<std::vector<Glyph>, 4> cache;
    std::vector<Glyph>& g = cache[size_t(size)];
    if (g.empty()) {
        g.assign(96, Glyph(size));
        const QImage strips[2] = {LoadStrip(StripName(0, size)).convertToFormat(QImage::Format_RGB32),
                                  LoadStrip(StripName(48, size)).convertToFormat(QImage::Format_RGB32)};
        const int w = kW * size, h = kH * size;
        for (int i = 0; i < 96; ++i) {
            const QImage& strip = strips[i / 48];
            if (strip.width() < 48 * w || strip.height() < h) continue;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    g[size_t(i)].px[size_t(y)][size_t(x)] = (strip.pixel((i % 48) * w + x, y) & 0xFFFFFF) == 0;
        }
    }
    return g;
}

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
int HeaderBitsPerPixel(const std::string& name) {
    QFile f(QString::fromStdString(kDir + name));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    const QByteArray h = f.read(30);
    if (h.size() < 30 || h[0] != 'B' || h[1] != 'M') return -1;
    return uchar(h[28]) | (uchar(h[29]) << 8);
}

// Pixels of `a` drawn at (0, ay) and `b` at (0, by) touch when a black pixel of one lies on or
// next to (including diagonally) a black pixel of the other. Pixel rows [top, bottom) of each are
// drawn, their first row at ay or by.
bool Touch(const Glyph& a, int aTop, int aBottom, int ay, const Glyph& b, int bTop, int bBottom, int by) {
    for (int y1 = aTop; y1 < aBottom; ++y1)
        for (int x1 = 0; x1 < a.W(); ++x1) {
            if (!a.At(x1, y1)) continue;
            for (int y2 = bTop; y2 < bBottom; ++y2)
                for (int x2 = std::max(0, x1 - 1); x2 <= std::min(b.W() - 1, x1 + 1); ++x2) {
                    if (!b.At(x2, y2)) continue;
                    if (std::abs((ay + y1 - aTop) - (by + y2 - bTop)) <= 1) return true;
                }
        }
    return false;
}

// The connected groups of the pixels for which `in` holds, each as the list of its pixels: pixels
// touching at an edge or a corner join (ink), or only at an edge (the white round ink, so that a
// ring's hole is not joined to the outside through the ring's corners).
template <class In>
std::vector<std::vector<std::pair<int, int>>> Groups(int w, int h, In in, bool corners = true) {
    std::vector<std::vector<bool>> seen(size_t(h), std::vector<bool>(size_t(w), false));
    std::vector<std::vector<std::pair<int, int>>> groups;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (!in(x, y) || seen[size_t(y)][size_t(x)]) continue;
            std::vector<std::pair<int, int>> group, todo{{x, y}};
            seen[size_t(y)][size_t(x)] = true;
            while (!todo.empty()) {
                const auto [px, py] = todo.back();
                todo.pop_back();
                group.push_back({px, py});
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        if (!corners && dx != 0 && dy != 0) continue;
                        const int nx = px + dx, ny = py + dy;
                        if (nx < 0 || ny < 0 || nx >= w || ny >= h || seen[size_t(ny)][size_t(nx)] || !in(nx, ny)) continue;
                        seen[size_t(ny)][size_t(nx)] = true;
                        todo.push_back({nx, ny});
                    }
            }
            groups.push_back(std::move(group));
        }
    return groups;
}

struct Extent {
    int width = 0, height = 0;
};
Extent ExtentOf(const std::vector<std::pair<int, int>>& group) {
    int l = 1 << 20, r = -1, t = 1 << 20, b = -1;
    for (const auto& [x, y] : group) l = std::min(l, x), r = std::max(r, x), t = std::min(t, y), b = std::max(b, y);
    return {r - l + 1, b - t + 1};
}

class GlyphStrips : public ::testing::TestWithParam<int> {
protected:
    int s = GetParam();
    const Glyph& G(int index) const { return Glyphs(s)[size_t(index)]; }
};

TEST_P(GlyphStrips, FilesHaveTheSizeDepthAndColoursTheRendererLoads) {
    for (const int first : {0, 48}) {
        const std::string name = StripName(first, s);
        const QImage strip = LoadStrip(name);
        ASSERT_FALSE(strip.isNull()) << name;
        EXPECT_EQ(strip.size(), QSize(576 * s, 16 * s)) << name;
        EXPECT_EQ(HeaderBitsPerPixel(name), first == 0 ? 1 : 4) << name;
        // The bottom-left pixel is the transparent colour and must be the white background.
        EXPECT_EQ(strip.pixel(0, strip.height() - 1) & 0xFFFFFF, 0xFFFFFFu) << name;
        int other = 0;
        for (int y = 0; y < strip.height(); ++y)
            for (int x = 0; x < strip.width(); ++x) {
                const QRgb p = strip.pixel(x, y) & 0xFFFFFF;
                if (p != 0 && p != 0xFFFFFF) ++other;
            }
        EXPECT_EQ(other, 0) << name << ": pixels other than black and white";
    }
}

TEST_P(GlyphStrips, BlankSlotsAreBlankAndEveryCharacterHasAGlyph) {
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
        for (int y = 0; y < G(i).H(); ++y) {
            EXPECT_FALSE(G(i).At(0, y)) << "image " << i << " row " << y << " touches the left edge";
            EXPECT_FALSE(G(i).At(G(i).W() - 1, y)) << "image " << i << " row " << y << " touches the right edge";
        }
}

TEST_P(GlyphStrips, MarksKeepToTheRowsTheRendererCopies) {
    // In rows of the 12 x 16 grid. Upper vowels and maitaikhu: rows 1..4, sitting on row 4, row 0
    // left free for a tone above.
    for (unsigned char c : kUpperVowels) {
        EXPECT_GE(G(Index(c)).GridTop(), 1) << std::hex << int(c);
        EXPECT_EQ(G(Index(c)).GridBottom(), 4) << std::hex << int(c);
    }
    // Tone marks: rows 0..4, on row 4 so that one directly above a letter stays close to it.
    for (unsigned char c : kTones) {
        EXPECT_GE(G(Index(c)).GridTop(), 0) << std::hex << int(c);
        EXPECT_EQ(G(Index(c)).GridBottom(), 4) << std::hex << int(c);
    }
    // Lower vowels and phinthu: rows 10..13; sara u and sara uu hang from row 10.
    for (unsigned char c : kLowerMarks) {
        EXPECT_GE(G(Index(c)).GridTop(), 10) << std::hex << int(c);
        EXPECT_LE(G(Index(c)).GridBottom(), 13) << std::hex << int(c);
    }
    EXPECT_EQ(G(Index(0xD8)).GridTop(), 10);
    EXPECT_EQ(G(Index(0xD9)).GridTop(), 10);
}

TEST_P(GlyphStrips, LettersSitOnOneBaselineWithTheirTails) {
    for (unsigned char c = 0xA1; c <= 0xCE; ++c) {
        const Glyph& g = G(Index(c));
        const bool below = In(c, kTailBelow), above = In(c, kTailAbove);
        // Every consonant stands on row 11 (a tail below goes on under it).
        EXPECT_TRUE(g.GridRow(11)) << "letter 0x" << std::hex << int(c) << " does not reach the baseline";
        EXPECT_EQ(g.GridBottom() > 11, below) << "letter 0x" << std::hex << int(c) << " bottom " << std::dec << g.GridBottom();
        EXPECT_EQ(g.GridTop() < 2, above) << "letter 0x" << std::hex << int(c) << " top " << std::dec << g.GridTop();
        EXPECT_LE(g.GridTop(), 4) << "letter 0x" << std::hex << int(c) << " is too short";
    }
    // A tail above must stay a tail: po pla differs from bo baimai by it.
    EXPECT_EQ(G(Index(0xBB)).GridTop(), 0);
    EXPECT_GE(G(Index(0xBA)).GridTop(), 2);
    // Digits, sara a, sara aa, paiyannoi, the baht sign, sara e and sara ae keep to the base band.
    for (unsigned char c : {0xCF, 0xD0, 0xD2, 0xDF, 0xE0, 0xE1, 0xEF, 0xF0, 0xF1, 0xF2, 0xF3,
                            0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9}) {
        EXPECT_GE(G(Index(c)).GridTop(), 2) << std::hex << int(c);
        EXPECT_LE(G(Index(c)).GridBottom(), 11) << std::hex << int(c);
    }
}

TEST_P(GlyphStrips, TheRingOfSaraAmStandsClearOfItsStroke) {
    // The ring sits above the sara-aa stroke, in the rows over the letters, as a group of pixels of
    // its own that touches nothing else of the glyph, round a hole.
    const Glyph& am = G(Index(0xD3));
    EXPECT_LE(am.GridBottom(), 11);
    const auto parts = Groups(am.W(), am.H(), [&](int x, int y) { return am.At(x, y); });
    ASSERT_GE(parts.size(), 2u);
    const auto ring = std::find_if(parts.begin(), parts.end(), [](const auto& p) {
        return std::any_of(p.begin(), p.end(), [](const auto& xy) { return xy.second == 0; });
    });
    ASSERT_NE(ring, parts.end()) << "no ring in row 0";
    const Extent e = ExtentOf(*ring);
    EXPECT_GE(e.width, 3 * s);
    EXPECT_GE(e.height, 3 * s);
    int bottom = 0;
    for (const auto& xy : *ring) bottom = std::max(bottom, xy.second);
    EXPECT_LT(bottom / s, 4) << "the ring reaches down into the letters' rows";
    // The hole: white pixels inside the ring's box that no white path leads to from its edge.
    int l = am.W(), t = am.H(), r = 0, b = 0;
    for (const auto& [x, y] : *ring) l = std::min(l, x), t = std::min(t, y), r = std::max(r, x), b = std::max(b, y);
    const auto white = Groups(r - l + 3, b - t + 3, [&](int x, int y) {
        const int gx = l - 1 + x, gy = t - 1 + y;
        return gx < 0 || gy < 0 || gx >= am.W() || gy >= am.H() || !am.At(gx, gy);
    }, false);
    EXPECT_GE(white.size(), 2u) << "the ring has no hole";
}

// An image made by repeating each pixel of a 12 x 16 image s times across and down is the same
// over every aligned s x s block.
bool PixelMultiplied(const Glyph& g) {
    for (int y = 0; y < g.H(); ++y)
        for (int x = 0; x < g.W(); ++x)
            if (g.At(x, y) != g.At(x - x % g.s, y - y % g.s)) return false;
    return true;
}

using LargerGlyphStrips = GlyphStrips;

TEST_P(LargerGlyphStrips, AreDrawnForTheirSizeNotBlownUp) {
    for (int i = 1; i < 93; ++i) {
        if (G(i).Blank()) continue;
        EXPECT_FALSE(PixelMultiplied(G(i))) << "image " << i << " at size " << s << " is a 12 x 16 image blown up";
        // And they are the glyphs of the same slots as at 12 x 16: the ink reaches the same rows of
        // the grid, within the two glyph pixels by which a hand-drawn small glyph may differ.
        const Glyph& small = Glyphs(1)[size_t(i)];
        EXPECT_LE(std::abs(G(i).GridTop() - small.GridTop()), 2) << "image " << i;
        EXPECT_LE(std::abs(G(i).GridBottom() - small.GridBottom()), 2) << "image " << i;
    }
}

TEST(GlyphStrips, LookAlikeLettersStayApartAtTheSmallestSize) {
    // Size 1 draws each image pixel for pixel. Letters told apart by one stroke differ in a feature
    // a reader sees: ink of one letter that the other lacks, a connected group at least two pixels
    // high and two wide. A stem one pixel higher, a one-pixel serif or a stroke drawn a pixel
    // thicker is not one, and neither is a count of pixels scattered where strokes were moved.
    const std::pair<unsigned char, unsigned char> pairs[] = {
        {0xBB, 0xBA}, {0xBD, 0xBC}, {0xBF, 0xBE}, {0xAE, 0xAF}, {0xB4, 0xB5}, {0xAA, 0xAB},
        {0xA2, 0xA3}, {0xA4, 0xA5}, {0xA4, 0xC8}, {0xA5, 0xC8}, {0xC1, 0xA6}};
    const std::vector<Glyph>& g = Glyphs(1);
    for (auto [a, b] : pairs) {
        const Glyph& ga = g[size_t(Index(a))];
        const Glyph& gb = g[size_t(Index(b))];
        bool feature = false;
        for (const auto& [one, other] : {std::pair{&ga, &gb}, std::pair{&gb, &ga}})
            for (const auto& group : Groups(kW, kH, [&](int x, int y) { return one->At(x, y) && !other->At(x, y); })) {
                const Extent e = ExtentOf(group);
                feature = feature || (e.width >= 2 && e.height >= 2);
            }
        EXPECT_TRUE(feature) << std::hex << "0x" << int(a) << " and 0x" << int(b) << " differ in no feature of 2 x 2 pixels";
    }
    // Po pla, fo fa and fo fan: the stem rises alone over the body for three rows or more, two
    // pixels wide; bo baimai, pho phung and pho phan have no such rise.
    auto stemRise = [](const Glyph& gl) {
        std::pair<int, int> r{0, 0};  // rows, of which two pixels wide
        for (int y = std::max(gl.Top(), 0); y < kH && gl.Row(y); ++y) {
            int first = kW, last = -1;
            for (int x = 0; x < kW; ++x)
                if (gl.At(x, y)) first = std::min(first, x), last = std::max(last, x);
            if (last - first > 1) break;
            ++r.first;
            if (last > first) ++r.second;
        }
        return r;
    };
    for (auto [tall, flat] : pairs) {
        if (tall != 0xBB && tall != 0xBD && tall != 0xBF) continue;
        const auto r = stemRise(g[size_t(Index(tall))]);
        EXPECT_GE(r.first, 3) << std::hex << int(tall);
        EXPECT_GE(r.second, 3) << std::hex << int(tall);
        EXPECT_LE(stemRise(g[size_t(Index(flat))]).first, 1) << std::hex << int(flat);
    }
}

TEST(GlyphStrips, AsteriskInSlot92IsASymmetricStarInTheBaseBand) {
    const Glyph& g = Glyphs(1)[92];
    ASSERT_FALSE(g.Blank());
    EXPECT_GE(g.Top(), 2);
    EXPECT_LE(g.Bottom(), 11);
    int left = kW, right = -1, count = 0;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            if (g.At(x, y)) left = std::min(left, x), right = std::max(right, x), ++count;
    // Mirror image of itself, left to right and top to bottom, with strokes through its middle.
    for (int y = g.Top(); y <= g.Bottom(); ++y)
        for (int x = left; x <= right; ++x) {
            EXPECT_EQ(g.At(x, y), g.At(left + right - x, y)) << x << "," << y;
            EXPECT_EQ(g.At(x, y), g.At(x, g.Top() + g.Bottom() - y)) << x << "," << y;
        }
    EXPECT_TRUE(g.At((left + right) / 2, (g.Top() + g.Bottom()) / 2));
    EXPECT_GE(count, 9);
}

TEST_P(GlyphStrips, StackedMarksStayApart) {
    // The renderer draws a tone over an upper vowel at grid rows 0..4, the vowel (or a tone
    // without one) at rows 5..9 and the letter at rows 10..25. Those layers must not run into
    // each other.
    const int mark = 5 * s, vowelAt = 5 * s, letterAt = 10 * s;
    for (unsigned char v : kUpperVowels)
        for (unsigned char t : kTones)
            EXPECT_FALSE(Touch(G(Index(t)), 0, mark, 0, G(Index(v)), 0, mark, vowelAt))
                << "tone 0x" << std::hex << int(t) << " touches vowel 0x" << int(v);
    for (unsigned char c = 0xA1; c <= 0xCE; ++c) {
        if (c == 0xCC) continue;  // lo chula's curl takes no tone in practice
        for (unsigned char m : kTones)
            EXPECT_FALSE(Touch(G(Index(m)), 0, mark, vowelAt, G(Index(c)), 0, G(0).H(), letterAt))
                << "tone 0x" << std::hex << int(m) << " touches letter 0x" << int(c);
        for (unsigned char m : kUpperVowels)
            EXPECT_FALSE(Touch(G(Index(m)), 0, mark, vowelAt, G(Index(c)), 0, G(0).H(), letterAt))
                << "vowel 0x" << std::hex << int(m) << " touches letter 0x" << int(c);
    }
}

std::string SizeName(const ::testing::TestParamInfo<int>& info) { return "Size" + std::to_string(info.param); }
INSTANTIATE_TEST_SUITE_P(Sizes, GlyphStrips, ::testing::Values(1, 2, 3), SizeName);
INSTANTIATE_TEST_SUITE_P(Sizes, LargerGlyphStrips, ::testing::Values(2, 3), SizeName);

}  // namespace
