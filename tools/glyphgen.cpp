// glyphgen: derives the 96 built-in glyph images (black on white) from a Thai TrueType font at
// three sizes and writes them as the strips the program loads at start, two strips of 48 images
// per size:
//   THAIVK0.bmp     THAIVK48.bmp     12 x 16 images, the cell's own size (576 x 16 strips)
//   THAIVK0_2X.bmp  THAIVK48_2X.bmp  24 x 32 images, drawn where a glyph pixel covers 2 x 2 pixels
//   THAIVK0_3X.bmp  THAIVK48_3X.bmp  36 x 48 images, drawn where it covers 3 x 3 pixels or more
// The strips of images 0..47 have 1 bit per pixel, those of 48..95 4 bits per pixel (16-colour
// palette, only black and white used).
//
// Run by hand, not by the build:
//   glyphgen [--font FILE] [--out DIR] [--threshold T] [--mark-scale K] [--raw] [--dump [SIZE]]
// The default font is Loma from fonts-thai-tlwg.
//
// Every glyph outline is scaled so that the body of a Thai consonant is ten glyph pixels high
// (10 s pixels at size s), then placed in the band the cell renderer expects of it, in glyph
// pixels of the 12 x 16 grid (row r covers pixel rows r s .. r s + s - 1 at size s):
//   base letters rows 2..11 (descenders down to 15, tails above up to row 0),
//   upper vowels and maitaikhu rows 1..4, tone marks rows 0..4 (all with their bottom on row 4),
//   lower vowels and phinthu rows 10..13.
// The outline is sampled 8 x 8 times per pixel; a pixel is black when its coverage reaches the
// threshold. Tables of hand-drawn glyphs (glyph_edits.h) then replace what the sampling cannot
// render legibly: at 12 x 16 all marks, which are only three to five pixels high, a few letters
// and signs, and the letters that must stay apart from a look-alike; at the larger sizes the few
// glyphs listed there.
#include <QCommandLineParser>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <QTextStream>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "glyph_edits.h"

namespace {

constexpr int kW = 12;  // glyph pixels of the 12 x 16 grid
constexpr int kH = 16;
constexpr int kCount = 96;
constexpr int kSuper = 8;  // samples per pixel along each axis

// One image at size `s`: (12 s) x (16 s) pixels.
struct Glyph {
    int s = 1;
    std::vector<char> px;
    explicit Glyph(int size = 1) : s(size), px(static_cast<size_t>(kW * kH * size * size), 0) {}
    int Width() const { return kW * s; }
    int Height() const { return kH * s; }
    bool At(int x, int y) const { return px[static_cast<size_t>(y * Width() + x)] != 0; }
    void Set(int x, int y, bool on) { px[static_cast<size_t>(y * Width() + x)] = on; }
};
using Glyphs = std::vector<Glyph>;

enum class Band {
    Blank,    // no glyph
    Base,     // body rows 2..11, descenders and tails may leave the band
    Upper,    // rows 0..4, bottom on row 4
    Lower,    // rows 10..13, top on row 10
    Asterisk  // Latin asterisk, in the upper part of the base band
};

struct Slot {
    int index;
    char32_t code;  // Unicode code point drawn in this slot, 0 for none
    Band band;
};

// TIS-620 byte 0xA1..0xFB maps to U+0E01..U+0E5B.
char32_t ThaiCode(int byte) { return static_cast<char32_t>(0x0E01 + (byte - 0xA1)); }

Slot SlotOf(int index) {
    if (index == 0) return {index, 0, Band::Blank};
    if (index == 92) return {index, U'*', Band::Asterisk};
    if (index > 91) return {index, 0, Band::Blank};
    const int byte = index + 0xA0;
    if ((byte >= 0xDB && byte <= 0xDE) || byte == 0xED || byte == 0xEE || byte == 0xFA)
        return {index, 0, Band::Blank};
    const char32_t code = ThaiCode(byte);
    switch (byte) {
    case 0xD1:                                      // maihanakat
    case 0xD4: case 0xD5: case 0xD6: case 0xD7:     // sara i, ii, ue, uee
    case 0xE7:                                      // maitaikhu
    case 0xE8: case 0xE9: case 0xEA: case 0xEB: case 0xEC:  // tone marks, thanthakhat
        return {index, code, Band::Upper};
    case 0xD8: case 0xD9: case 0xDA:                // sara u, sara uu, phinthu
        return {index, code, Band::Lower};
    default:
        return {index, code, Band::Base};
    }
}

// Highest row a base glyph may use, in rows of the 12 x 16 grid at size `size`. The leading
// vowels with a tall stroke (sara o, sara ai maimuan, sara ai maimalai) and the ring of sara am
// may reach row 0; the letters whose tail rises above the body (po pla, fo fa, fo fan, lo chula)
// leave the image's top pixel row free, so that a tone mark drawn above them (its bottom on row
// 4 of the mark strip, right over the base image) stays apart from the tail. Every other glyph
// keeps to rows 2..11.
double TopRow(char32_t c, int size) {
    if (c == U'\u0E42' || c == U'\u0E43' || c == U'\u0E44' || c == U'\u0E33') return 0.0;
    if (c == U'\u0E1B' || c == U'\u0E1D' || c == U'\u0E1F' || c == U'\u0E2C') return 1.0 / size;
    return 2.0;
}

// Letters with a tail below the baseline: yo ying, do chada, to patak, tho than, ru, lu,
// lakkhangyao and maiyamok.
bool SinksBelow(char32_t c) {
    return c == U'\u0E0D' || c == U'\u0E0E' || c == U'\u0E0F' || c == U'\u0E10' ||
           c == U'\u0E24' || c == U'\u0E26' || c == U'\u0E45' || c == U'\u0E46';
}

// Outline of one character in pixel units: x right, y down, origin on the baseline at the pen.
QPainterPath Outline(const QRawFont& font, char32_t code) {
    const QString s = QString::fromUcs4(&code, 1);
    const QList<quint32> ids = font.glyphIndexesForString(s);
    if (ids.isEmpty() || ids.front() == 0) return {};
    return font.pathForGlyph(ids.front());
}

// Coverage of each pixel of a w x h image by `path` placed with `transform` (in pixels).
std::vector<double> Coverage(const QPainterPath& path, const QTransform& transform, int w, int h) {
    QImage big(w * kSuper, h * kSuper, QImage::Format_Grayscale8);
    big.fill(0);
    {
        QPainter p(&big);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.scale(kSuper, kSuper);
        p.setTransform(transform, true);
        p.fillPath(path, Qt::white);
    }
    std::vector<double> cov(static_cast<size_t>(w * h), 0.0);
    for (int y = 0; y < h * kSuper; ++y) {
        const uchar* line = big.constScanLine(y);
        for (int x = 0; x < w * kSuper; ++x)
            if (line[x] > 127) cov[static_cast<size_t>((y / kSuper) * w + x / kSuper)] += 1.0;
    }
    for (double& c : cov) c /= kSuper * kSuper;
    return cov;
}

struct Metrics {
    double scale;        // pixels per font pixel
    double bodyTop;      // top of a consonant body in font pixels (negative, above the baseline)
    double inkRight;     // right edge of ko kai's ink in the cell, where marks line up
};

Metrics MeasureFont(const QRawFont& font) {
    // The body of a consonant: the ink of ko kai (no tails) from its top to the baseline.
    const QRectF ko = Outline(font, U'\u0E01').boundingRect();
    Metrics m{};
    m.bodyTop = ko.top();
    m.scale = 10.0 / (ko.bottom() - ko.top());
    m.inkRight = (kW + ko.width() * m.scale) / 2.0;
    return m;
}

// The glyph of `slot` at size `size`. Placement is worked out in glyph pixels of the 12 x 16 grid
// and then scaled, so every size keeps the same bands.
Glyph Render(const QRawFont& font, const Metrics& m, const Slot& slot, double threshold,
             double markScale, int size) {
    Glyph g(size);
    if (slot.band == Band::Blank) return g;
    const QPainterPath path = Outline(font, slot.code);
    if (path.isEmpty()) {
        std::fprintf(stderr, "glyphgen: the font has no glyph for U+%04X\n", unsigned(slot.code));
        std::exit(1);
    }
    const QRectF box = path.boundingRect();
    double sx = m.scale;
    double sy = m.scale;
    double tx = 0, ty = 0;
    const double maxWidth = 10.0;  // keep a blank column on each side between neighbouring cells
    switch (slot.band) {
    case Band::Base:
    case Band::Asterisk: {
        // Baseline of the body on the bottom edge of row 11; wide letters are narrowed.
        if (box.width() * sx > maxWidth) sx = maxWidth / box.width();
        tx = (kW - box.width() * sx) / 2.0 - box.left() * sx;
        ty = 12.0;
        if (slot.band == Band::Asterisk) {
            ty = 12.0 - (box.bottom() * sy) - 4.0;
            break;
        }
        // Only the glyphs with a tail above may rise over row 2 and only those with a tail
        // below may sink under row 11; anything else that leaves the band (digits, the baht
        // sign) is made smaller until it fits, and a tail that rises too high is shortened by
        // squeezing the glyph vertically.
        // A quarter of a pixel over the band's edge is tolerated: it never darkens the pixel.
        const double top = TopRow(slot.code, size);
        const double bottom = SinksBelow(slot.code) ? 16.0 : 12.0;
        const double inkTop = ty + box.top() * sy, inkBottom = ty + box.bottom() * sy;
        const double slack = 0.25 / size;
        if (inkTop < top - slack || inkBottom > bottom + slack) {
            const double k = (bottom - top) / box.height();
            sy = std::min(sy, k);
            if (top == 2.0) {  // a glyph shrunk to fit keeps its proportions
                sx = std::min(sx, k);
                tx = (kW - box.width() * sx) / 2.0 - box.left() * sx;
            }
            ty = std::min(12.0, bottom - box.bottom() * sy);
            if (ty + box.top() * sy < top) ty = top - box.top() * sy;
        }
        break;
    }
    case Band::Upper:
    case Band::Lower: {
        // Marks are drawn larger than the letters' scale would make them (at 3 or 4 pixels
        // high the font's strokes would melt together), but never taller than their band:
        // upper vowels and maitaikhu rows 1..4 (row 0 stays free, so a tone above an upper vowel
        // never touches it), tone marks rows 0..4, lower vowels rows 10..13.
        const bool tone = slot.code >= 0x0E48 && slot.code <= 0x0E4C;
        const double maxHeight = slot.band == Band::Lower ? 4.0 : tone ? 5.0 : 4.0;
        double k = m.scale * markScale;
        if (box.height() * k > maxHeight) k = maxHeight / box.height();
        sx = sy = k;
        // They stand over (or under) the right-hand stem of a consonant, as in Thai print:
        // the right edge of their ink comes a third of a glyph pixel inside the right edge of ko
        // kai's ink, so that it stays within the narrower letters' stems once sampled.
        tx = m.inkRight - 0.3 - box.right() * sx;
        if (tx < 0.5 - box.left() * sx) tx = 0.5 - box.left() * sx;
        if (slot.band == Band::Upper)
            ty = 5.0 - box.bottom() * sy;  // bottom of the ink on the bottom edge of row 4
        else
            ty = 10.0 - box.top() * sy;  // top of the ink on the top edge of row 10
        break;
    }
    case Band::Blank:
        break;
    }
    QTransform t;
    t.scale(size, size);
    t.translate(tx, ty);
    t.scale(sx, sy);
    const std::vector<double> cov = Coverage(path, t, g.Width(), g.Height());
    for (int y = 0; y < g.Height(); ++y)
        for (int x = 0; x < g.Width(); ++x) g.Set(x, y, cov[static_cast<size_t>(y * g.Width() + x)] >= threshold);
    return g;
}

// Sara am, put together from its two parts so that the ring stands clear of the sara-aa stroke.
// The font sets the ring high over the letter before it, above the rows a cell can hold; drawn
// whole, the glyph would be squeezed until the ring sat on the stroke. Here sara aa keeps its own
// shape, moved right by a glyph pixel and a half, and a ring three glyph pixels across, with a
// hole of more than a glyph pixel, goes into the top left corner.
Glyph RenderSaraAm(const QRawFont& font, const Metrics& m, double threshold, int size) {
    const Glyph aa = Render(font, m, SlotOf(0xD2 - 0xA0), threshold, 1.0, size);
    Glyph g(size);
    const int shift = static_cast<int>(std::lround(1.5 * size));
    for (int y = 0; y < g.Height(); ++y)
        for (int x = shift; x < g.Width(); ++x) g.Set(x, y, aa.At(x - shift, y));
    QPainterPath ring;
    ring.setFillRule(Qt::OddEvenFill);
    const QPointF centre(2.2, 1.5);
    ring.addEllipse(centre, 1.5, 1.5);
    ring.addEllipse(centre, 0.65, 0.65);
    QTransform t;
    t.scale(size, size);
    const std::vector<double> cov = Coverage(ring, t, g.Width(), g.Height());
    for (int y = 0; y < g.Height(); ++y)
        for (int x = 0; x < g.Width(); ++x)
            if (cov[static_cast<size_t>(y * g.Width() + x)] >= threshold) g.Set(x, y, true);
    return g;
}

// Replaces the glyphs that the table for this size draws by hand.
void ApplyEdits(Glyphs& glyphs, int size) {
    for (const GlyphEdit& e : EditsFor(size)) {
        Glyph& g = glyphs[static_cast<size_t>(e.index)];
        if (e.rows.size() != static_cast<size_t>(g.Height())) {
            std::fprintf(stderr, "glyphgen: the edit of image %d has %zu rows, not %d\n", e.index, e.rows.size(),
                         g.Height());
            std::exit(1);
        }
        for (int y = 0; y < g.Height(); ++y) {
            const std::string_view row = e.rows[static_cast<size_t>(y)];
            if (row.size() != static_cast<size_t>(g.Width())) {
                std::fprintf(stderr, "glyphgen: row %d of the edit of image %d is not %d wide\n", y, e.index,
                             g.Width());
                std::exit(1);
            }
            for (int x = 0; x < g.Width(); ++x) g.Set(x, y, row[static_cast<size_t>(x)] == '#');
        }
    }
}

// BMP writing: bottom-up rows padded to 4 bytes, palette of black and white (1 bpp) or the
// 16 standard colours (4 bpp) with black at 0 and white at 15.
void Put16(std::string& s, int v) {
    s += char(v & 0xFF);
    s += char((v >> 8) & 0xFF);
}
void Put32(std::string& s, long v) {
    for (int i = 0; i < 4; ++i) s += char((v >> (8 * i)) & 0xFF);
}

bool WriteStrip(const QString& file, const Glyphs& glyphs, int first, int bpp) {
    const int w = glyphs[static_cast<size_t>(first)].Width(), h = glyphs[static_cast<size_t>(first)].Height();
    const int width = 48 * w;
    const int rowBytes = ((width * bpp + 31) / 32) * 4;
    std::vector<std::array<unsigned char, 4>> palette;  // B G R 0
    int black = 0, white = 1;
    if (bpp == 1) {
        palette = {{0, 0, 0, 0}, {255, 255, 255, 0}};
    } else {
        palette = {{0, 0, 0, 0},       {0, 0, 128, 0},     {0, 128, 0, 0},     {0, 128, 128, 0},
                   {128, 0, 0, 0},     {128, 0, 128, 0},   {128, 128, 0, 0},   {192, 192, 192, 0},
                   {128, 128, 128, 0}, {0, 0, 255, 0},     {0, 255, 0, 0},     {0, 255, 255, 0},
                   {255, 0, 0, 0},     {255, 0, 255, 0},   {255, 255, 0, 0},   {255, 255, 255, 0}};
        white = 15;
    }
    const long offset = 14 + 40 + long(palette.size()) * 4;
    const long imageSize = long(rowBytes) * h;
    std::string s;
    s += "BM";
    Put32(s, offset + imageSize);
    Put32(s, 0);
    Put32(s, offset);
    Put32(s, 40);
    Put32(s, width);
    Put32(s, h);
    Put16(s, 1);
    Put16(s, bpp);
    Put32(s, 0);  // no compression
    Put32(s, imageSize);
    Put32(s, 2835);
    Put32(s, 2835);
    Put32(s, long(palette.size()));
    Put32(s, long(palette.size()));
    for (const auto& c : palette) s.append(reinterpret_cast<const char*>(c.data()), 4);
    for (int y = h - 1; y >= 0; --y) {
        std::vector<unsigned char> row(static_cast<size_t>(rowBytes), 0);
        for (int x = 0; x < width; ++x) {
            const Glyph& g = glyphs[static_cast<size_t>(first + x / w)];
            const int v = g.At(x % w, y) ? black : white;
            if (bpp == 1) {
                if (v) row[x / 8] |= static_cast<unsigned char>(0x80 >> (x % 8));
            } else {
                row[x / 2] |= static_cast<unsigned char>(x % 2 ? v : v << 4);
            }
        }
        s.append(reinterpret_cast<const char*>(row.data()), row.size());
    }
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return f.write(s.data(), qint64(s.size())) == qint64(s.size());
}

// File name of a strip: THAIVK0.bmp at size 1, THAIVK0_2X.bmp at size 2 and so on.
QString StripFile(const QString& dir, int first, int size) {
    return dir + "/THAIVK" + QString::number(first) + (size > 1 ? "_" + QString::number(size) + "X" : "") + ".bmp";
}

void Dump(const Glyphs& glyphs) {
    QTextStream out(stdout);
    for (int i = 0; i < kCount; ++i) {
        const Slot s = SlotOf(i);
        const Glyph& g = glyphs[size_t(i)];
        out << "    {" << i << ", // U+" << QString::number(uint(s.code), 16).toUpper() << " "
            << (s.code ? QString::fromUcs4(&s.code, 1) : QString("-")) << "\n";
        for (int y = 0; y < g.Height(); ++y) {
            out << "        \"";
            for (int x = 0; x < g.Width(); ++x) out << (g.At(x, y) ? '#' : '.');
            out << "\",  // " << y << "\n";
        }
        out << "    },\n";
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    QCommandLineParser cli;
    cli.setApplicationDescription("Derives the 96 glyph images from a Thai font at 12 x 16, 24 x 32 and 36 x 48.");
    cli.addHelpOption();
    cli.addOption({"font", "TrueType font file.", "file",
                   "/usr/share/fonts/truetype/tlwg/Loma.ttf"});
    cli.addOption({"out", "Folder for the strips.", "dir", "."});
    cli.addOption({"threshold", "Coverage that makes a pixel black (0..1).", "t", "0.42"});
    cli.addOption({"mark-scale", "Enlargement of the marks over the letters' scale at 12 x 16.", "k", "1.3"});
    cli.addOption({"dump", "Print every glyph of size 1, 2 or 3 as text (for the edit tables).", "size"});
    cli.addOption({"raw", "Skip the tables of pixel edits."});
    cli.process(app);

    QRawFont font(cli.value("font"), 100.0);
    if (!font.isValid()) {
        std::fprintf(stderr, "glyphgen: cannot load %s\n", qPrintable(cli.value("font")));
        return 1;
    }
    const Metrics m = MeasureFont(font);
    const double threshold = cli.value("threshold").toDouble();
    const double markScale = cli.value("mark-scale").toDouble();
    const QString dir = cli.value("out");

    for (int size = 1; size <= 3; ++size) {
        // The marks are enlarged most at 12 x 16, where the font's own proportions would leave
        // them three pixels high; with more pixels they come closer to the font's shapes.
        const double k = size == 1 ? markScale : 1.0 + (markScale - 1.0) * 0.5;
        Glyphs glyphs;
        for (int i = 0; i < kCount; ++i)
            glyphs.push_back(i == 0xD3 - 0xA0 ? RenderSaraAm(font, m, threshold, size)
                                              : Render(font, m, SlotOf(i), threshold, k, size));
        if (!cli.isSet("raw")) ApplyEdits(glyphs, size);
        if (cli.isSet("dump") && cli.value("dump").toInt() == size) Dump(glyphs);
        if (!WriteStrip(StripFile(dir, 0, size), glyphs, 0, 1) || !WriteStrip(StripFile(dir, 48, size), glyphs, 48, 4)) {
            std::fprintf(stderr, "glyphgen: cannot write the strips into %s\n", qPrintable(dir));
            return 1;
        }
    }
    return 0;
}
