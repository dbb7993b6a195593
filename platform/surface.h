// Drawing surfaces, bitmaps and image lists: the drawing services the Thai controls use.
// A Surface draws on an image (a window's backing image, a bitmap, a print page image) with a
// current fill colour, pen, font and copy mode, in the manner of a classic device context.
// This header is toolkit-free; what only Qt code needs (the image a surface draws on, its Qt font,
// a bitmap's image) is in platform/qt_surface.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/types.h"

namespace platform {

enum class CopyMode { SrcCopy, SrcAnd };

// Font style bits.
enum FontStyle : int { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

class Bitmap;
class ImageList;

class Surface {
public:
    // A surface draws on nothing until it is given an image (platform/qt_surface.h).
    Surface();
    ~Surface();
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    // Size in the units drawing is given in.
    int Width() const;
    int Height() const;
    // Device pixels per unit: the target image's device pixel ratio (2 for a window on a HiDPI
    // screen at twice the usual density, 1 for bitmaps and ordinary windows). Every operation
    // takes units; fills, copies and text are drawn at the image's own resolution, an edge at unit
    // x landing on device pixel round(x * scale), so neighbouring cells still join.
    double DeviceScale() const;

    // Fill ("brush").
    void SetFillColor(Color c);
    Color FillColor() const { return fill_; }
    void FillRect(const Rect& r);
    // Fills with a diagonal hatch of the given colour over the fill colour.
    void FillHatched(const Rect& r, Color hatch);

    // Pen.
    void SetPenColor(Color c);
    Color PenColor() const { return pen_; }
    void SetPenWidth(int w);
    int PenWidth() const { return penWidth_; }
    void MoveTo(int x, int y);
    void LineTo(int x, int y);  // draws from the current point, which then moves to (x, y)

    // Font. The name is kept as given ("Fixedsys" and "System" are drawn with a fixed-pitch
    // font installed by the set-up); the height is in pixels.
    void SetFontName(const std::string& name);
    const std::string& FontName() const { return fontName_; }
    void SetFontStyle(int style);
    int FontStyleBits() const { return fontStyle_; }
    void SetFontHeight(int pixels);
    int FontHeight() const { return fontHeight_; }
    void SetFontColor(Color c);
    Color FontColor() const { return fontColor_; }
    // Copies name, style, height and colour from another surface.
    void CopyFont(const Surface& other);

    // Text as Windows-874 bytes; (x, y) is the top-left corner of the text's cell. The text's
    // background is transparent.
    void TextOut(int x, int y, std::string_view bytes);
    // Draws the text of one display cell, a first character and the marks that follow it, with
    // the first character at (x, y) as TextOut would. The marks stay over it and inside the box
    // from `left` to `right`: a mark the shaper left at or past the end of the first character's
    // advance (a font without mark positioning gives marks no advance and no offset) is moved back
    // over it, and a mark whose ink would cross an edge of the box is moved inside. A text that
    // opens with a mark has no character to sit on: its ink is centred in the box.
    void TextOutCell(int x, int y, int left, int right, std::string_view bytes);
    // Fills `box` with the fill colour and draws the text over it at (x, y), as FillRect and then
    // TextOut draw them. A text whose ink stays inside the box is drawn once into a kept picture
    // of the box and copied from it after that: a cell of a text draws in a copy of its rows.
    void TextCell(const Rect& box, int x, int y, std::string_view bytes);
    int TextWidth(std::string_view bytes) const;
    int TextHeight(std::string_view bytes) const;
    // Distance from the top of a text's cell to its baseline.
    int TextAscent() const;

    // Copies `src` (a rectangle of the bitmap) into `dest`, stretching it, combined by the
    // current copy mode: plain copy or bitwise AND of the pixel colours.
    void SetCopyMode(CopyMode m) { copyMode_ = m; }
    CopyMode GetCopyMode() const { return copyMode_; }
    void StretchDraw(const Rect& dest, const Bitmap& bitmap, const Rect& src);
    // Draws image `index` of `list` with its transparent pixels in `bk`, as GetBitmap followed by
    // StretchDraw would, without the intermediate bitmap. `src` is in the list's image pixels. Where
    // the list holds the images drawn with more detail (ImageList::AddMaskedDetail), the set that
    // matches the device pixels each image pixel covers is drawn (ImageList::DetailFor); whole-number
    // scales are copied row by row from the list's scaled images.
    void DrawImage(const Rect& dest, const ImageList& list, int index, const Rect& src, Color bk);

    // Drawing is clipped to this rectangle (the whole surface when empty).
    void SetClipRect(const Rect& r);
    Rect ClipRect() const { return clip_; }

    // Finishes pending painting so that the image can be read, copied or resized.
    void Flush();

    // A monochrome surface draws every colour as black or white (its bitmap is monochrome).
    void SetMonochrome(bool on);
    bool Monochrome() const { return monochrome_; }

    // Change tracking for the window that shows the image: every drawing operation adds its area
    // to the damage, a few rectangles in the image's own pixels that together cover everything
    // drawn since the damage was last taken (neighbouring areas are joined where their union is
    // itself a rectangle, so a row of cells is one rectangle). `onDirty` is called when the damage
    // stops being empty.
    void SetDirtyCallback(std::function<void()> onDirty) { onDirty_ = std::move(onDirty); }
    const std::vector<Rect>& Damage() const { return damage_; }
    std::vector<Rect> TakeDamage();
    // The smallest rectangle around the damage.
    Rect DirtyRect() const;
    // Takes the damage and returns the rectangle around it.
    Rect TakeDirty();
    // The image's pixels moved by (dx, dy) (a scroll): the damage moves with them, cut to the image.
    void MoveDamage(int dx, int dy);
    // Moves the pixels of `area` by (dx, dy) within the image, as a block of cells that scrolls
    // does: what would land outside the image or the clip is dropped, and what the move uncovers
    // keeps its old pixels for the caller to draw. The area the pixels land on is damaged. Returns
    // false, moving nothing, where the image's scale would make the move a fraction of a pixel.
    bool MovePixels(const Rect& area, int dx, int dy);
    // Drawing that will cover all of `area` (a block of cells drawn again) is recorded as that area,
    // once, with the first operation inside it; the operations inside it add nothing more. An
    // empty area ends this.
    void SetDamageArea(const Rect& area);

    // The Qt side: the target image, the painter for text and the font with its shaped texts.
    struct Impl;

private:
    // The target's pixels (opaque 32-bit, `stride` pixels a row), or null without a target.
    std::uint32_t* Pixels(std::ptrdiff_t& stride);
    // StretchDraw into `dest` (device pixels) from `width` x `height` pixels, `stride` pixels a row.
    void StretchPixels(const Rect& dest, const std::uint32_t* pixels, int width, int height, std::ptrdiff_t stride,
                       const Rect& src);
    Rect Device(const Rect& r) const;          // units to device pixels
    Rect VisibleDevice(const Rect& d) const;   // device rectangle cut to the clip and the image
    Rect Visible(const Rect& r) const;         // r in device pixels, cut likewise; may be empty
    void MarkDirty(const Rect& device);        // adds the units it covers to the dirty rectangle
    void FillSolid(const Rect& r, Color c);
    Color Mapped(Color c) const;  // black or white on a monochrome surface
    Color fill_ = clWhite;
    Color pen_ = clBlack;
    int penWidth_ = 1;
    int penX_ = 0, penY_ = 0;
    std::string fontName_ = "Fixedsys";
    int fontStyle_ = 0;
    int fontHeight_ = 16;
    Color fontColor_ = clBlack;
    CopyMode copyMode_ = CopyMode::SrcCopy;
    Rect clip_{};
    bool monochrome_ = false;
    std::vector<Rect> damage_;
    Rect damageArea_{};
    bool damageAreaMarked_ = false;
    void AddDamage(const Rect& r);
    std::function<void()> onDirty_;
    std::unique_ptr<Impl> impl_;
};

class Bitmap {
public:
    Bitmap();
    Bitmap(int width, int height);
    Bitmap(const Bitmap& other);
    Bitmap& operator=(const Bitmap& other);
    ~Bitmap();

    void SetSize(int width, int height);
    int Width() const;
    int Height() const;
    // A monochrome bitmap keeps only black and white pixels.
    void SetMonochrome(bool on);
    bool Monochrome() const { return monochrome_; }

    // Loads a bitmap resource of the program by name ("THAIVK0", "THAIVK48"). Throws
    // std::runtime_error when the program has no such resource.
    static Bitmap FromResource(std::string_view name);
    // The colour of the bottom-left pixel.
    Color TransparentColor() const;
    Color Pixel(int x, int y) const;
    void SetPixel(int x, int y, Color c);

    // Drawing surface on this bitmap.
    Surface& Canvas();

    // The Qt side: the bitmap's image (platform/qt_surface.h).
    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
    bool monochrome_ = false;
    std::unique_ptr<Surface> canvas_;
};

// A list of equal-sized masked images (12 x 16 for the glyphs). The list may also hold each image
// drawn with more detail, at whole multiples of its size (the glyphs at 24 x 32 and 36 x 48):
// sizes, indexes and source rectangles stay those of the plain images, and drawing picks the set
// that matches the pixels of the target. The list holds no drawing state: the colour its transparent
// pixels take is given with each draw, so any number of painters share one list.
class ImageList {
public:
    explicit ImageList(int width = 12, int height = 16);
    int Width() const { return width_; }
    int Height() const { return height_; }
    int Count() const { return static_cast<int>(images_.size()); }

    // Cuts a strip into images of the list's width from left to right; pixels of `maskColor`
    // are transparent.
    void AddMasked(const Bitmap& strip, Color maskColor);
    // Cuts a strip into the images of the detail set `scale` (2 or more): images of `scale` times
    // the list's width and height, appended to that set in the order of the plain images. An image
    // without a counterpart in a set is drawn from the plain one.
    void AddMaskedDetail(int scale, const Bitmap& strip, Color maskColor);
    // The set that draws an image whose every pixel covers `devicePixels` x `devicePixels` pixels of
    // the target: the largest scale held that is not above round(devicePixels); 1 (the plain
    // images) when none is. For the glyphs: 1 -> 12 x 16, 2 -> 24 x 32, 3 and more -> 36 x 48.
    int DetailFor(double devicePixels) const;
    // Renders image `index` on the background colour `bk` into `dest` (sized to one image), from the
    // set of scale `detail` (`detail` times the list's size; the plain image where the set has none).
    void GetBitmap(int index, Bitmap& dest, Color bk, int detail = 1) const;
    // Renders image `index` on the background colour `bk` at (x, y) of a surface.
    void Draw(Surface& surface, int x, int y, int index, Color bk) const;
    // Makes this list a copy of another.
    void Assign(const ImageList& other);

    // Image `index` rendered on the background colour `bk` at `scale` times its size ((Width() * scale) x
    // (Height() * scale) opaque RGB32 pixels, black and white only when `monochrome`), from the set
    // DetailFor(scale) gives, its pixels repeated by whole or nearest factors. Kept until the list
    // changes; `index` and `scale` must be valid.
    const std::uint32_t* Scaled(int index, int scale, bool monochrome, Color bk) const;

    // Raw access for fast paths: image `index` as width*height pixels, and whether each is masked.
    const std::vector<Color>& Pixels(int index) const { return images_[static_cast<size_t>(index)].pixels; }
    const std::vector<bool>& Mask(int index) const { return images_[static_cast<size_t>(index)].mask; }

private:
    struct Image {
        std::vector<Color> pixels;
        std::vector<bool> mask;  // true: transparent
        // The image as drawn on `renderedBk` (RGB32 pixels), kept for the next fetch.
        mutable std::vector<std::uint32_t> rendered;
        mutable Color renderedBk = 0;
    };
    // A detail set: the images at `scale` times the list's size.
    struct Detail {
        int scale;
        std::vector<Image> images;
    };
    // Image `index` of the set of `scale` (the plain one when that set has no such image), and the
    // scale it really has.
    const Image& ImageAt(int index, int& scale) const;
    const std::vector<std::uint32_t>& Rendered(const Image& image, Color bk) const;
    int width_, height_;
    std::vector<Image> images_;
    std::vector<Detail> details_;  // by rising scale
    // Scaled renderings for one background colour, scale and colour depth, each image made on
    // first use. A few sets are kept: painting switches between the plain and the highlight
    // background at every selection edge.
    struct ScaledSet {
        Color bk;
        int scale;
        bool monochrome;
        std::vector<std::vector<std::uint32_t>> images;
    };
    mutable std::vector<ScaledSet> scaled_;
    mutable size_t lastSet_ = 0;
};

}  // namespace platform
