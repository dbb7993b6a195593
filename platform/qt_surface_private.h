// What a Surface and a Bitmap hold on the Qt side; only surface.cpp and surface_text.cpp see it.
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <memory>
#include <string>
#include <unordered_map>

#include "platform/qt_surface.h"

namespace platform {

struct Bitmap::Impl {
    QImage image;
    // The image of `bitmap`, its canvas flushed first.
    static QImage& Of(const Bitmap& bitmap) {
        if (bitmap.canvas_) bitmap.canvas_->Flush();
        return bitmap.impl_->image;
    }
};

struct Surface::Impl {
    explicit Impl(Surface& surface) : owner(surface) {}
    static Impl& Of(const Surface& surface) { return *surface.impl_; }

    QPainter& Painter();
    // The painter set up for text: the current font, its colour and antialiasing.
    QPainter& TextPainter();
    void EndPainter();
    void ApplyPainterClip();
    const QFont& CachedFont();
    // StretchDraw from an image of any format.
    void StretchFrom(const Rect& dest, const QImage& from, const Rect& src);

    // Shaped texts of the current font: a cell's text is laid out once, then drawn as glyphs.
    struct Shaped {
        QList<QGlyphRun> runs;
        qreal baseline = 0;  // of the laid-out line
        int width = 0;
        // As a cell: the first character's glyphs and the marks' glyphs; `placed` holds them all
        // with the marks placed for a box of `placedWidth` that starts `placedOffset` pixels left
        // of the text's origin.
        QList<QGlyphRun> firstRuns, markRuns;
        bool opensWithMark = false;
        int firstAdvance = 0;
        int placedOffset = 0, placedWidth = -1;
        QList<QGlyphRun> placed;
    };
    const Shaped& Shape(std::string_view bytes);
    const QList<QGlyphRun>& PlacedCell(const Shaped& shaped, int offset, int width);
    // Places the marks of `shaped.placed` and the first character's glyphs `first` in the box.
    void PlaceMarks(Shaped& shaped, QList<QGlyphRun>& first, int offset, int width);
    // The picture of a box filled and a text drawn over it (see Surface::TextCell): its pixels,
    // or a null image where the text's ink leaves the box.
    const QImage& CellPicture(const Rect& box, int x, int y, std::string_view bytes);
    // Forgets the font and what was shaped with it, after a font setting changed.
    void ResetFont() { font.reset(); }

    Surface& owner;
    QImage* image = nullptr;
    std::unique_ptr<QPainter> painter;
    bool painterFontSet = false;
    // The text pen the painter holds (kNoPen: none yet, or a line pen since).
    static constexpr std::uint32_t kNoPen = 0xFFFFFFFFu;
    std::uint32_t painterTextPen = kNoPen;
    // The Qt font and its metrics, rebuilt when a font setting changes.
    std::unique_ptr<QFont> font;
    std::unique_ptr<QFontMetrics> metrics;
    int ascent = 0;
    std::unordered_map<std::string, Shaped> shaped;
    // Pictures of cells, by text, box size, text offset, colours and scale; they go with the font.
    std::unordered_map<std::string, QImage> cellPictures;
};

}  // namespace platform
