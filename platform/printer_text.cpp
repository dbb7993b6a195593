// The text layer of a PDF page: the characters of every printed row as unseen glyphs, one cell
// each over the cells the page shows, so that a reader finds and copies the text of a page drawn
// as an image.
//
// Each glyph is the font's own glyph for its character, looked up in the font's character map and
// never shaped: shaping would put in the positioned variants of the Thai marks, which a reader
// maps back to private-use characters instead of the marks. A cell's characters share its width
// in their stored order, so that a reader takes them as one word, in order.
#include <QFontDatabase>
#include <QGlyphRun>
#include <QPainter>
#include <QRawFont>
#include <cmath>

#include "platform/cp874.h"
#include "platform/qt_printer.h"

namespace platform {

struct QtPrinter::TextFont {
    int cellWidth = 0;
    // A monospaced font with Thai at the size whose advance is one cell, and one for the
    // characters it lacks.
    QRawFont main, fallback;
};

namespace {

QRawFont AtCellWidth(const QString& family, int cellWidth) {
    QFont font(family);
    font.setPixelSize(100);
    font.setHintingPreference(QFont::PreferNoHinting);
    QRawFont raw = QRawFont::fromFont(font);
    if (!raw.isValid()) return raw;
    const QList<quint32> zero = raw.glyphIndexesForString(QStringLiteral("0"));
    const QList<QPointF> advance = raw.advancesForGlyphIndexes(zero);
    const qreal width = advance.isEmpty() ? 0 : advance.front().x();
    if (width > 0) raw.setPixelSize(100 * cellWidth / width);
    return raw;
}

QString MonospacedThaiFamily() {
    const QStringList families = QFontDatabase::families();
    for (const char* name : {"Tlwg Mono", "Tlwg Typo"})
        if (families.contains(QLatin1String(name))) return QLatin1String(name);
    for (const QString& family : QFontDatabase::families(QFontDatabase::Thai))
        if (QFontDatabase::isFixedPitch(family)) return family;
    return QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
}

// The glyph of a character in a font; 0 where the font has none.
quint32 GlyphOf(const QRawFont& font, char32_t ch) {
    if (!font.isValid()) return 0;
    const QList<quint32> glyphs = font.glyphIndexesForString(QString::fromUcs4(&ch, 1));
    return glyphs.size() == 1 ? glyphs.front() : 0;
}

}  // namespace

void QtPrinter::DrawTextLayer(const TextRow& row) {
    if (!pdf_ || !painter_) return;  // a printer queue or a preview: nothing to find in there
    if (!textFont_ || textFont_->cellWidth != row.cellWidth) {
        textFont_ = std::make_shared<TextFont>();
        textFont_->cellWidth = row.cellWidth;
        textFont_->main = AtCellWidth(MonospacedThaiFamily(), row.cellWidth);
        textFont_->fallback = AtCellWidth(QFontDatabase::systemFont(QFontDatabase::FixedFont).family(), row.cellWidth);
    }
    const std::u32string chars = DecodeCp874(row.bytes);
    QList<quint32> mainGlyphs, fallbackGlyphs;
    QList<QPointF> mainAt, fallbackAt;
    size_t k = 0;
    while (k < chars.size()) {
        const int cell = k < row.cellOfByte.size() ? row.cellOfByte[k] : 0;
        size_t end = k;
        while (end < chars.size() && (end < row.cellOfByte.size() ? row.cellOfByte[end] : 0) == cell) ++end;
        const qreal left = row.left + static_cast<qreal>(cell) * row.cellWidth;
        const qreal share = static_cast<qreal>(row.cellWidth) / static_cast<qreal>(end - k);
        for (size_t j = k; j < end; ++j) {
            char32_t ch = chars[j];
            if (ch == U'\t') ch = U' ';
            if (ch < 0x20 || ch == 0x7F || ch == 0xFFFD) continue;
            const QPointF at(left + share * static_cast<qreal>(j - k), 0);
            if (const quint32 g = GlyphOf(textFont_->main, ch)) {
                mainGlyphs.push_back(g);
                mainAt.push_back(at);
            } else if (const quint32 f = GlyphOf(textFont_->fallback, ch)) {
                fallbackGlyphs.push_back(f);
                fallbackAt.push_back(at);
            }
        }
        k = end;
    }
    painter_->save();
    // Unseen: no ink, only the text.
    painter_->setPen(QColor(0, 0, 0, 0));
    const QPointF baseline(0, row.baseline);
    for (auto [font, glyphs, at] : {std::tie(textFont_->main, mainGlyphs, mainAt),
                                    std::tie(textFont_->fallback, fallbackGlyphs, fallbackAt)}) {
        if (glyphs.isEmpty()) continue;
        QGlyphRun run;
        run.setRawFont(font);
        run.setGlyphIndexes(glyphs);
        run.setPositions(at);
        painter_->drawGlyphRun(baseline, run);
    }
    painter_->restore();
}

}  // namespace platform
