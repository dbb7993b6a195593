// The text side of Surface: fonts, measuring, and drawing texts and display cells through Qt's
// shaper. A shaped text is laid out once and kept, then drawn as glyph runs; a display cell's
// marks are placed over its first character and inside its cell, whatever the font does with them.
#include <QChar>
#include <QFontInfo>
#include <QString>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

#include "platform/cp874.h"
#include "platform/surface.h"

namespace platform {

namespace {

inline QColor ToQColor(Color c) { return QColor::fromRgb(static_cast<QRgb>(0xFF000000u | c)); }

QString ToQString(std::string_view bytes) {
    std::u32string u = DecodeCp874(bytes);
    return QString::fromUcs4(u.data(), static_cast<qsizetype>(u.size()));
}

bool IsMarkCategory(QChar::Category c) {
    return c == QChar::Mark_NonSpacing || c == QChar::Mark_SpacingCombining || c == QChar::Mark_Enclosing;
}

// The runs of `runs` without the glyphs that `other` draws at the same place (a glyph a font
// forms from a character and its mark belongs to both characters).
QList<QGlyphRun> WithoutGlyphsOf(QList<QGlyphRun> runs, const QList<QGlyphRun>& other) {
    for (QGlyphRun& run : runs) {
        QList<quint32> glyphs;
        QList<QPointF> at;
        for (qsizetype k = 0; k < run.glyphIndexes().size(); ++k) {
            const quint32 g = run.glyphIndexes()[k];
            const QPointF p = run.positions()[k];
            bool shared = false;
            for (const QGlyphRun& o : other)
                for (qsizetype m = 0; m < o.glyphIndexes().size() && !shared; ++m)
                    shared = o.glyphIndexes()[m] == g && o.positions()[m] == p;
            if (shared) continue;
            glyphs.push_back(g);
            at.push_back(p);
        }
        run.setGlyphIndexes(glyphs);
        run.setPositions(at);
    }
    return runs;
}

}  // namespace

void Surface::SetFontName(const std::string& name) {
    fontName_ = name;
    font_.reset();
}

void Surface::SetFontStyle(int style) {
    fontStyle_ = style;
    font_.reset();
}

void Surface::SetFontHeight(int pixels) {
    fontHeight_ = pixels;
    font_.reset();
}

void Surface::SetFontColor(Color c) { fontColor_ = c & 0xFFFFFF; }

void Surface::CopyFont(const Surface& other) {
    fontName_ = other.fontName_;
    fontStyle_ = other.fontStyle_;
    fontHeight_ = other.fontHeight_;
    fontColor_ = other.fontColor_;
    font_.reset();
}

QFont Surface::QtFont() const { return CachedFont(); }

const QFont& Surface::CachedFont() const {
    if (!font_) {
        auto f = std::make_unique<QFont>();
        if (fontName_ == "Fixedsys" || fontName_ == "System" || fontName_.empty()) {
            f->setFamily(QStringLiteral("DejaVu Sans Mono"));
            f->setStyleHint(QFont::Monospace);
        } else {
            f->setFamily(QString::fromStdString(fontName_));
        }
        f->setPixelSize(std::max(1, fontHeight_ < 0 ? -fontHeight_ : fontHeight_));
        f->setBold((fontStyle_ & fsBold) != 0);
        f->setItalic((fontStyle_ & fsItalic) != 0);
        f->setUnderline((fontStyle_ & fsUnderline) != 0);
        f->setStrikeOut((fontStyle_ & fsStrikeOut) != 0);
        // Whole-pixel advances, so that a text is as wide as the sum of its characters.
        f->setHintingPreference(QFont::PreferFullHinting);
        if (monochrome_) f->setStyleStrategy(QFont::NoAntialias);
        font_ = std::move(f);
        shaped_.clear();
        metrics_ = std::make_unique<QFontMetrics>(*font_);
        ascent_ = metrics_->ascent();
        const_cast<Surface*>(this)->painterFontSet_ = false;
    }
    return *font_;
}

const Surface::Shaped& Surface::Shape(std::string_view bytes) const {
    const QFont& font = CachedFont();
    auto it = shaped_.find(std::string(bytes));
    if (it != shaped_.end()) return it->second;
    if (shaped_.size() > 4096) shaped_.clear();  // cells repeat; long texts do not
    Shaped s;
    const QString text = ToQString(bytes);
    QTextLayout layout(text, font);
    layout.setCacheEnabled(true);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    if (line.isValid()) {
        s.runs = line.glyphRuns();
        s.baseline = line.ascent();
        // The same glyphs split into the first character's and those of the rest.
        const qsizetype firstLength = !text.isEmpty() && text.at(0).isHighSurrogate() ? 2 : 1;
        s.opensWithMark = !text.isEmpty() && IsMarkCategory(QChar::category(text.toUcs4().front()));
        if (s.opensWithMark) {
            s.markRuns = s.runs;
        } else if (!text.isEmpty()) {
            s.firstRuns = line.glyphRuns(0, static_cast<int>(firstLength));
            s.firstAdvance = metrics_->horizontalAdvance(text.left(firstLength));
            if (text.size() > firstLength)
                s.markRuns = WithoutGlyphsOf(line.glyphRuns(static_cast<int>(firstLength), static_cast<int>(text.size() - firstLength)), s.firstRuns);
        }
    }
    s.width = metrics_->horizontalAdvance(text);
    return shaped_.emplace(std::string(bytes), std::move(s)).first->second;
}

QPainter& Surface::TextPainter() {
    QPainter& p = Painter();
    if (!painterFontSet_) {
        p.setFont(*font_);
        painterFontSet_ = true;
    }
    const Color text = Mapped(fontColor_);
    if (painterTextPen_ != text) {
        p.setPen(ToQColor(text));
        painterTextPen_ = text;
    }
    p.setRenderHint(QPainter::TextAntialiasing, !monochrome_);
    return p;
}

void Surface::TextOut(int x, int y, std::string_view bytes) {
    if (bytes.empty() || !image_ || image_->isNull()) return;
    const Shaped& shaped = Shape(bytes);
    QPainter& p = TextPainter();
    // The line's baseline goes to y + ascent of the font, as a text drawn at (x, y) would have it.
    const QPointF origin(x, y + ascent_ - shaped.baseline);
    for (const QGlyphRun& run : shaped.runs) p.drawGlyphRun(origin, run);
    MarkDirty(Visible(Rect{x - 2, y, x + shaped.width + 2 + metrics_->maxWidth() / 2, y + metrics_->height()}));
}

// The glyph runs of a cell with its marks placed. Positions are in the text's own coordinates
// (the first character at 0); the box runs from -offset to width - offset. Shifts are whole
// pixels, so that glyphs stay on the pixel grid the hinting put them on.
const QList<QGlyphRun>& Surface::PlacedCell(const Shaped& shaped, int offset, int width) const {
    auto& s = const_cast<Shaped&>(shaped);
    if (s.placedWidth == width && s.placedOffset == offset) return s.placed;
    s.placedWidth = width;
    s.placedOffset = offset;
    s.placed = s.markRuns;
    PlaceMarks(s, offset, width);
    // One run where the marks come from the first character's font: one draw call per cell.
    if (s.firstRuns.size() == 1 && s.placed.size() == 1 && s.placed.front().rawFont() == s.firstRuns.front().rawFont()) {
        QGlyphRun run = s.firstRuns.front();
        run.setGlyphIndexes(run.glyphIndexes() + s.placed.front().glyphIndexes());
        run.setPositions(run.positions() + s.placed.front().positions());
        s.placed = {run};
    } else {
        s.placed = s.firstRuns + s.placed;
    }
    return s.placed;
}

void Surface::PlaceMarks(Shaped& s, int offset, int width) const {
    // One pixel of the box is left free on either side for the smoothed edge of the ink.
    const qreal lo = -offset + 1, hi = width - offset - 1;
    const qreal firstX = !s.firstRuns.isEmpty() && !s.firstRuns.front().positions().isEmpty()
                             ? s.firstRuns.front().positions().front().x()
                             : 0;

    if (s.opensWithMark) {
        QRectF ink;
        for (const QGlyphRun& run : s.placed) {
            const QList<quint32> glyphs = run.glyphIndexes();
            const QList<QPointF> at = run.positions();
            for (qsizetype k = 0; k < glyphs.size(); ++k)
                ink |= run.rawFont().boundingRect(glyphs[k]).translated(at[k].x(), 0);
        }
        if (ink.isEmpty()) return;
        const qreal shift = std::round(-offset + (width - ink.width()) / 2 - ink.left());
        for (QGlyphRun& run : s.placed) {
            QList<QPointF> at = run.positions();
            for (QPointF& p : at) p.rx() += shift;
            run.setPositions(at);
        }
        return;
    }

    for (QGlyphRun& run : s.placed) {
        const QList<quint32> glyphs = run.glyphIndexes();
        QList<QPointF> at = run.positions();
        for (qsizetype k = 0; k < glyphs.size(); ++k) {
            const QRectF ink = run.rawFont().boundingRect(glyphs[k]);
            if (ink.isEmpty()) continue;
            qreal x = at[k].x();
            // Left behind the first character: back over it.
            if (x + ink.left() >= s.firstAdvance - 0.5) x = firstX;
            if (x + ink.right() > hi) x -= std::ceil(x + ink.right() - hi);
            if (x + ink.left() < lo) x += std::ceil(lo - x - ink.left());
            at[k].setX(x);
        }
        run.setPositions(at);
    }
}

void Surface::TextOutCell(int x, int y, int left, int right, std::string_view bytes) {
    if (bytes.empty() || !image_ || image_->isNull()) return;
    const Shaped& shaped = Shape(bytes);
    const QList<QGlyphRun>& runs = PlacedCell(shaped, x - left, right - left);
    QPainter& p = TextPainter();
    const QPointF origin(x, y + ascent_ - shaped.baseline);
    for (const QGlyphRun& run : runs) p.drawGlyphRun(origin, run);
    MarkDirty(Visible(Rect{std::min(left, x - 2), y, std::max(right, x + shaped.width + 2 + metrics_->maxWidth() / 2),
                           y + metrics_->height()}));
}

int Surface::TextWidth(std::string_view bytes) const {
    if (bytes.size() <= 8) return Shape(bytes).width;
    CachedFont();
    return metrics_->horizontalAdvance(ToQString(bytes));
}

int Surface::TextAscent() const {
    CachedFont();
    return ascent_;
}

int Surface::TextHeight(std::string_view) const {
    CachedFont();
    return metrics_->height();
}

}  // namespace platform
