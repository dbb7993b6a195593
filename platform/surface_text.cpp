// The text side of Surface: fonts, measuring, and drawing texts and display cells through Qt's
// shaper. A shaped text is laid out once and kept, then drawn as glyph runs; a display cell's
// marks are placed over its first character and inside its cell, whatever the font does with them.
#include <QChar>
#include <QFontInfo>
#include <QString>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/cp874.h"
#include "platform/qt_surface_private.h"

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
    impl_->ResetFont();
}

void Surface::SetFontStyle(int style) {
    fontStyle_ = style;
    impl_->ResetFont();
}

void Surface::SetFontHeight(int pixels) {
    fontHeight_ = pixels;
    impl_->ResetFont();
}

void Surface::SetFontColor(Color c) { fontColor_ = c & 0xFFFFFF; }

void Surface::CopyFont(const Surface& other) {
    fontName_ = other.fontName_;
    fontStyle_ = other.fontStyle_;
    fontHeight_ = other.fontHeight_;
    fontColor_ = other.fontColor_;
    impl_->ResetFont();
}

QFont QtFont(const Surface& surface) { return Surface::Impl::Of(surface).CachedFont(); }

const QFont& Surface::Impl::CachedFont() {
    if (!font) {
        auto f = std::make_unique<QFont>();
        if (owner.fontName_ == "Fixedsys" || owner.fontName_ == "System" || owner.fontName_.empty()) {
            f->setFamily(QStringLiteral("DejaVu Sans Mono"));
            f->setStyleHint(QFont::Monospace);
        } else {
            f->setFamily(QString::fromStdString(owner.fontName_));
        }
        f->setPixelSize(std::max(1, owner.fontHeight_ < 0 ? -owner.fontHeight_ : owner.fontHeight_));
        f->setBold((owner.fontStyle_ & fsBold) != 0);
        f->setItalic((owner.fontStyle_ & fsItalic) != 0);
        f->setUnderline((owner.fontStyle_ & fsUnderline) != 0);
        f->setStrikeOut((owner.fontStyle_ & fsStrikeOut) != 0);
        // Whole-pixel advances, so that a text is as wide as the sum of its characters.
        f->setHintingPreference(QFont::PreferFullHinting);
        if (owner.monochrome_) f->setStyleStrategy(QFont::NoAntialias);
        font = std::move(f);
        shaped.clear();
        cellPictures.clear();
        metrics = std::make_unique<QFontMetrics>(*font);
        ascent = metrics->ascent();
        painterFontSet = false;
    }
    return *font;
}

const Surface::Impl::Shaped& Surface::Impl::Shape(std::string_view bytes) {
    const QFont& qfont = CachedFont();
    auto it = shaped.find(std::string(bytes));
    if (it != shaped.end()) return it->second;
    if (shaped.size() > 4096) shaped.clear();  // cells repeat; long texts do not
    Shaped s;
    const QString text = ToQString(bytes);
    QTextLayout layout(text, qfont);
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
            s.firstAdvance = metrics->horizontalAdvance(text.left(firstLength));
            if (text.size() > firstLength)
                s.markRuns = WithoutGlyphsOf(line.glyphRuns(static_cast<int>(firstLength), static_cast<int>(text.size() - firstLength)), s.firstRuns);
        }
    }
    s.width = metrics->horizontalAdvance(text);
    return shaped.emplace(std::string(bytes), std::move(s)).first->second;
}

QPainter& Surface::Impl::TextPainter() {
    QPainter& p = Painter();
    if (!painterFontSet) {
        p.setFont(CachedFont());
        painterFontSet = true;
    }
    const Color text = owner.Mapped(owner.fontColor_);
    if (painterTextPen != text) {
        p.setPen(ToQColor(text));
        painterTextPen = text;
    }
    p.setRenderHint(QPainter::TextAntialiasing, !owner.monochrome_);
    return p;
}

void Surface::TextOut(int x, int y, std::string_view bytes) {
    Impl& d = *impl_;
    if (bytes.empty() || !d.image || d.image->isNull()) return;
    const Impl::Shaped& shaped = d.Shape(bytes);
    QPainter& p = d.TextPainter();
    // The line's baseline goes to y + ascent of the font, as a text drawn at (x, y) would have it.
    const QPointF origin(x, y + d.ascent - shaped.baseline);
    for (const QGlyphRun& run : shaped.runs) p.drawGlyphRun(origin, run);
    MarkDirty(Visible(Rect{x - 2, y, x + shaped.width + 2 + d.metrics->maxWidth() / 2, y + d.metrics->height()}));
}

// The glyph runs of a cell with its marks placed. Positions are in the text's own coordinates
// (the first character at 0); the box runs from -offset to width - offset. Shifts are whole
// pixels, so that glyphs stay on the pixel grid the hinting put them on.
const QList<QGlyphRun>& Surface::Impl::PlacedCell(const Shaped& shaped, int offset, int width) {
    auto& s = const_cast<Shaped&>(shaped);
    if (s.placedWidth == width && s.placedOffset == offset) return s.placed;
    s.placedWidth = width;
    s.placedOffset = offset;
    s.placed = s.markRuns;
    QList<QGlyphRun> first = s.firstRuns;
    PlaceMarks(s, first, offset, width);
    // One run where the marks come from the first character's font: one draw call per cell.
    if (first.size() == 1 && s.placed.size() == 1 && s.placed.front().rawFont() == first.front().rawFont()) {
        QGlyphRun run = first.front();
        run.setGlyphIndexes(run.glyphIndexes() + s.placed.front().glyphIndexes());
        run.setPositions(run.positions() + s.placed.front().positions());
        s.placed = {run};
    } else {
        s.placed = first + s.placed;
    }
    return s.placed;
}

void Surface::Impl::PlaceMarks(Shaped& s, QList<QGlyphRun>& first, int offset, int width) {
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

    // Marks stay where the shaper put them (the font's own base-to-mark and mark-to-mark
    // positioning) unless they lie outside the box or behind the first character.
    struct Ink {
        QGlyphRun* run;
        qsizetype k;
        QRectF box;  // in the text's coordinates, baseline at 0
    };
    std::vector<Ink> marks;
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
            marks.push_back({&run, k, ink.translated(x, at[k].y() - s.baseline)});
        }
        run.setPositions(at);
    }
    // A mark stacked over another (a tone over an upper vowel) keeps a clear pixel row between
    // their inks: where the font's placement leaves less at this size, it is lifted whole pixels.
    for (size_t b = 1; b < marks.size(); ++b) {
        QRectF& upper = marks[b].box;
        for (size_t a = 0; a < b; ++a) {
            const QRectF& lower = marks[a].box;
            const bool sideBySide = upper.right() <= lower.left() || upper.left() >= lower.right();
            if (sideBySide || upper.center().y() >= lower.center().y()) continue;
            const qreal gap = std::floor(lower.top()) - std::ceil(upper.bottom());
            if (gap >= 1) continue;
            const qreal lift = 1 - gap;
            upper.translate(0, -lift);
            QList<QPointF> at = marks[b].run->positions();
            at[marks[b].k].ry() -= lift;
            marks[b].run->setPositions(at);
        }
    }
    // The first character's own extra glyphs (the ring of sara am) stay inside the box too.
    if (!first.isEmpty() && first.front().glyphIndexes().size() > 1) {
        QGlyphRun& run = first.front();
        const QList<quint32> glyphs = run.glyphIndexes();
        QList<QPointF> at = run.positions();
        for (qsizetype k = 0; k + 1 < glyphs.size(); ++k) {
            const QRectF ink = run.rawFont().boundingRect(glyphs[k]);
            if (ink.isEmpty()) continue;
            qreal x = at[k].x();
            if (x + ink.left() < lo) x += std::ceil(lo - x - ink.left());
            if (x + ink.right() > hi) x -= std::ceil(x + ink.right() - hi);
            at[k].setX(x);
        }
        run.setPositions(at);
    }
}

void Surface::TextOutCell(int x, int y, int left, int right, std::string_view bytes) {
    Impl& d = *impl_;
    if (bytes.empty() || !d.image || d.image->isNull()) return;
    const Impl::Shaped& shaped = d.Shape(bytes);
    const QList<QGlyphRun>& runs = d.PlacedCell(shaped, x - left, right - left);
    QPainter& p = d.TextPainter();
    const QPointF origin(x, y + d.ascent - shaped.baseline);
    for (const QGlyphRun& run : runs) p.drawGlyphRun(origin, run);
    MarkDirty(Visible(Rect{std::min(left, x - 2), y, std::max(right, x + shaped.width + 2 + d.metrics->maxWidth() / 2),
                           y + d.metrics->height()}));
}

const QImage& Surface::Impl::CellPicture(const Rect& box, int x, int y, std::string_view bytes) {
    static const QImage none;
    const double scale = owner.DeviceScale();
    if (scale != std::floor(scale) || scale > 4 || (image->format() != QImage::Format_RGB32 && image->format() != QImage::Format_ARGB32_Premultiplied)) return none;
    const std::uint32_t fill = 0xFF000000u | owner.Mapped(owner.fill_), text = owner.Mapped(owner.fontColor_);
    const Shaped& shape = Shape(bytes);  // also brings the font up to date, and with it the pictures
    const int numbers[] = {box.Width(), box.Height(), x - box.left, y - box.top, static_cast<int>(fill),
                           static_cast<int>(text), static_cast<int>(scale), owner.monochrome_ ? 1 : 0};
    std::string key(bytes);
    key.append(reinterpret_cast<const char*>(numbers), sizeof numbers);
    auto it = cellPictures.find(key);
    if (it != cellPictures.end()) return it->second;
    if (cellPictures.size() > 4096) cellPictures.clear();
    // Drawn with room around the box on every side, to see whether any ink falls outside it.
    const int s = static_cast<int>(scale), margin = box.Width() + box.Height();
    QImage room((box.Width() + 2 * margin) * s, (box.Height() + 2 * margin) * s, image->format());
    room.setDevicePixelRatio(scale);
    room.fill(fill);
    {
        QPainter p(&room);
        p.setFont(CachedFont());
        p.setPen(ToQColor(text));
        p.setRenderHint(QPainter::TextAntialiasing, !owner.monochrome_);
        const QPointF origin(margin + x - box.left, margin + y - box.top + ascent - shape.baseline);
        for (const QGlyphRun& run : shape.runs) p.drawGlyphRun(origin, run);
    }
    const QRect inside(margin * s, margin * s, box.Width() * s, box.Height() * s);
    bool inkOutside = false;
    for (int row = 0; row < room.height() && !inkOutside; ++row) {
        const auto* px = reinterpret_cast<const std::uint32_t*>(room.constScanLine(row));
        const bool insideRow = row >= inside.top() && row <= inside.bottom();
        for (int col = 0; col < room.width(); ++col) {
            if (insideRow && col == inside.left()) col = inside.right() + 1;
            if (col < room.width() && px[col] != fill) {
                inkOutside = true;
                break;
            }
        }
    }
    return cellPictures.emplace(std::move(key), inkOutside ? QImage() : room.copy(inside)).first->second;
}

void Surface::TextCell(const Rect& box, int x, int y, std::string_view bytes) {
    Impl& d = *impl_;
    if (!d.image || d.image->isNull()) return;
    const QImage& picture = bytes.empty() ? QImage() : d.CellPicture(box, x, y, bytes);
    if (picture.isNull()) {
        FillRect(box);
        TextOut(x, y, bytes);
        return;
    }
    const Rect v = Visible(box);
    if (v.Empty()) return;
    const Rect device = Device(box);
    std::ptrdiff_t stride = 0;
    std::uint32_t* bits = Pixels(stride);
    const size_t bytesPerRow = static_cast<size_t>(v.Width()) * sizeof(std::uint32_t);
    for (int row = v.top; row < v.bottom; ++row)
        std::memcpy(bits + row * stride + v.left,
                    reinterpret_cast<const std::uint32_t*>(picture.constScanLine(row - device.top)) + (v.left - device.left),
                    bytesPerRow);
    MarkDirty(v);
}

int Surface::TextWidth(std::string_view bytes) const {
    if (bytes.size() <= 8) return impl_->Shape(bytes).width;
    impl_->CachedFont();
    return impl_->metrics->horizontalAdvance(ToQString(bytes));
}

int Surface::TextAscent() const {
    impl_->CachedFont();
    return impl_->ascent;
}

int Surface::TextHeight(std::string_view) const {
    impl_->CachedFont();
    return impl_->metrics->height();
}

}  // namespace platform
