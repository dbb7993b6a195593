// glyphpreview: reads the two glyph strips of one size and writes an enlarged PNG for looking at
// them: the 96 images in a table of 16 per row (row r, column c is byte 0xA0 + 16 r + c), then
// sample words stacked the way the cell renderer stacks them in a 12 x 32 cell (times the size):
// upper marks rows 0..4 at y 5..9 (a tone over an upper vowel at y 0..4), the base image at
// y 10..25, lower vowels rows 10..14 at y 27..31.
//
//   glyphpreview [--strips DIR] [--size 1|2|3] [--scale N] OUT.png [WORD...]
#include <QCommandLineParser>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Image size in pixels: 12 x 16 times the strips' size.
int kS = 1;
int kW = 12;
int kH = 16;

// Unicode Thai to TIS-620; other characters below 0x80 pass, the rest become '?'.
std::string ToTis(const QString& s) {
    std::string out;
    for (const char32_t c : s.toUcs4()) {
        if (c < 0x80) out += char(c);
        else if (c >= 0x0E01 && c <= 0x0E5B) out += char(c - 0x0E01 + 0xA1);
        else out += '?';
    }
    return out;
}

bool IsMark(unsigned char c) { return c == 0xD1 || (c >= 0xD4 && c <= 0xD9) || (c >= 0xE7 && c <= 0xEC); }
bool IsUpper(unsigned char c) { return c == 0xD1 || (c >= 0xD4 && c <= 0xD7) || c == 0xE7; }
bool IsLower(unsigned char c) { return c == 0xD8 || c == 0xD9; }
bool IsTone(unsigned char c) { return c >= 0xE8 && c <= 0xEC; }

int ImageIndex(unsigned char c) {
    if (c == '*') return 92;
    if (c >= 0xA1 && c <= 0xFB) return c - 0xA0;
    return 0;
}

// Copies rows [top, bottom) of glyph `index` (in rows of the 12 x 16 grid) to (x, y) of `dest`,
// black pixels only.
void Blit(QImage& dest, const QImage& glyphs, int index, int top, int bottom, int x, int y) {
    top *= kS;
    bottom *= kS;
    for (int r = top; r < bottom; ++r)
        for (int c = 0; c < kW; ++c)
            if (qGray(glyphs.pixel(index * kW + c, r)) < 128) dest.setPixel(x + c, y + r - top, 0xFF000000);
}

// One line of text drawn cell by cell, 12 x 32 pixels per cell (times the size).
QImage Compose(const std::string& text, const QImage& glyphs) {
    int cells = 0;
    for (size_t i = 0; i < text.size(); ++i)
        if (i == 0 || !IsMark(static_cast<unsigned char>(text[i]))) ++cells;
    QImage img(std::max(cells, 1) * kW, 32 * kS, QImage::Format_RGB32);
    img.fill(Qt::white);
    int x = -kW;
    enum { Base, Upper, High, Lower } level = Base;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (i == 0 || !IsMark(c)) {
            x += kW;
            level = Base;
            Blit(img, glyphs, ImageIndex(c), 0, 16, x, 10 * kS);
            continue;
        }
        if (IsUpper(c)) {
            level = Upper;
            Blit(img, glyphs, ImageIndex(c), 0, 5, x, 5 * kS);
        } else if (IsLower(c)) {
            level = Lower;
            Blit(img, glyphs, ImageIndex(c), 10, 15, x, 27 * kS);
        } else if (IsTone(c)) {
            level = level == Upper ? High : Upper;
            Blit(img, glyphs, ImageIndex(c), 0, 5, x, level == High ? 0 : 5 * kS);
        }
    }
    return img;
}

QImage Enlarge(const QImage& img, int scale, bool grid) {
    QImage big = img.scaled(img.width() * scale, img.height() * scale);
    if (grid && scale >= 3) {
        for (int y = 0; y < big.height(); ++y)
            for (int x = 0; x < big.width(); ++x) {
                const bool line = x % scale == 0 || y % scale == 0;
                const bool cell = x % (kW * scale) == 0 || y % (kH * scale) == 0;
                if (cell) big.setPixel(x, y, 0xFFFF8080);
                else if (line && big.pixel(x, y) == 0xFFFFFFFF) big.setPixel(x, y, 0xFFE0E0E0);
            }
    }
    return big;
}

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    QCommandLineParser cli;
    cli.addHelpOption();
    cli.addOption({"strips", "Folder with THAIVK0.bmp and THAIVK48.bmp (THAIVK0_2X.bmp ... at size 2 and 3).", "dir", "."});
    cli.addOption({"size", "Size of the strips: 1 (12 x 16), 2 (24 x 32) or 3 (36 x 48).", "n", "1"});
    cli.addOption({"scale", "Enlargement.", "n", "4"});
    cli.addOption({"words-only", "Leave out the table of the 96 images."});
    cli.addPositionalArgument("out", "PNG to write.");
    cli.addPositionalArgument("words", "Words to compose (UTF-8).");
    cli.process(app);
    const QStringList args = cli.positionalArguments();
    if (args.isEmpty()) cli.showHelp(1);
    const int scale = std::max(1, cli.value("scale").toInt());

    kS = std::clamp(cli.value("size").toInt(), 1, 3);
    kW = 12 * kS;
    kH = 16 * kS;
    const QString suffix = kS > 1 ? "_" + QString::number(kS) + "X.bmp" : ".bmp";
    const QImage a(cli.value("strips") + "/THAIVK0" + suffix);
    const QImage b(cli.value("strips") + "/THAIVK48" + suffix);
    if (a.isNull() || b.isNull()) {
        std::fprintf(stderr, "glyphpreview: cannot read the strips\n");
        return 1;
    }
    QImage glyphs(96 * kW, kH, QImage::Format_RGB32);
    {
        QPainter p(&glyphs);
        p.drawImage(0, 0, a.convertToFormat(QImage::Format_RGB32));
        p.drawImage(48 * kW, 0, b.convertToFormat(QImage::Format_RGB32));
    }

    QImage table(16 * kW, cli.isSet("words-only") ? 0 : 6 * kH, QImage::Format_RGB32);
    table.fill(Qt::white);
    for (int i = 0; i < 96 && table.height() > 0; ++i)
        Blit(table, glyphs, i, 0, 16, (i % 16) * kW, (i / 16) * kH);

    QStringList words = args.mid(1);
    if (words.isEmpty())
        words = {QString::fromUtf8("ที่ผู้ใหญ่บ้าน น้ำ ปู่ กฎหมาย"),
                 QString::fromUtf8("ฝรั่ง ฟ้า ปี่ ฤดู ฐาน ญาติ ฎีกา ปฏิบัติ"),
                 QString::fromUtf8("สวัสดี ครับ ไม้ โต๊ะ เก๋ ก็ ศึกษา ชื่อ"),
                 QString::fromUtf8("๐๑๒๓๔๕๖๗๘๙ ฯ ๆ ฿ ๏ ๚ ๛ * กุ กู กฺ")};
    std::vector<QImage> lines;
    int width = table.width() * scale, height = table.height() * scale + 8;
    for (const QString& w : words) {
        lines.push_back(Enlarge(Compose(ToTis(w), glyphs), scale, false));
        width = std::max(width, lines.back().width());
        height += lines.back().height() + 8;
    }
    QImage out(width, height, QImage::Format_RGB32);
    out.fill(QColor(0xF0, 0xF0, 0xFF));
    QPainter p(&out);
    if (table.height() > 0) p.drawImage(0, 0, Enlarge(table, scale, true));
    int y = table.height() * scale + 8;
    for (const QImage& l : lines) {
        p.drawImage(0, y, l);
        y += l.height() + 8;
    }
    p.end();
    if (!out.save(args.front())) {
        std::fprintf(stderr, "glyphpreview: cannot write %s\n", qPrintable(args.front()));
        return 1;
    }
    return 0;
}
