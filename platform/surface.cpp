// Drawing surfaces over QImage, bitmaps and image lists.
//
// Fills, stretched copies (plain and AND), hatches and straight horizontal or vertical lines are
// written straight into the RGB32 pixels: they are what a repaint consists of and must be fast and
// exact. QPainter is used only for text (surface_text.cpp) and slanted lines. Its painter is begun
// lazily and stays active between texts: the raster painter draws straight into the image's own
// pixel buffer (painting detaches the image once, at the start, and a copy made while painting is
// a deep one), so direct writes and painting see one buffer. Ending and beginning it for every
// Latin character of a line of mixed text cost more than the whole rest of a repaint.
#include "platform/qt_surface_private.h"

#include <QString>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <cwchar>
#include <stdexcept>
#include <utility>


namespace platform {

namespace {

constexpr QRgb kOpaque = 0xFF000000u;

inline Color ToMono(Color c) {
    int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
    return (r * 299 + g * 587 + b * 114) >= 128 * 1000 ? clWhite : clBlack;
}

inline QColor ToQColor(Color c) { return QColor::fromRgb(static_cast<QRgb>(kOpaque | c)); }

Rect Intersect(const Rect& a, const Rect& b) {
    return Rect{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
}

Rect Union(const Rect& a, const Rect& b) {
    if (a.Empty()) return b;
    if (b.Empty()) return a;
    return Rect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

bool IsDirectFormat(QImage::Format f) {
    return f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 ||
           f == QImage::Format_ARGB32_Premultiplied;
}

// Sets `count` pixels to `px`. Fills are the larger part of a repaint, and the C library's
// wide-character fill stores many pixels at a time where a plain loop stores one (wchar_t is a
// 32-bit unit here).
void FillPixels(std::uint32_t* to, int count, std::uint32_t px) {
    static_assert(sizeof(wchar_t) == sizeof(std::uint32_t));
    std::wmemset(reinterpret_cast<wchar_t*>(to), static_cast<wchar_t>(px), static_cast<size_t>(count));
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Surface

Surface::Surface() : impl_(std::make_unique<Impl>(*this)) {}

Surface::~Surface() { impl_->EndPainter(); }

void SetTarget(Surface& surface, QImage* image) {
    Surface::Impl& d = Surface::Impl::Of(surface);
    d.EndPainter();
    d.image = image;
}

QImage* Target(const Surface& surface) { return Surface::Impl::Of(surface).image; }

double Surface::DeviceScale() const {
    const QImage* image = impl_->image;
    return image && !image->isNull() ? image->devicePixelRatio() : 1.0;
}

namespace {

// Device pixel of the edge at unit v.
inline int ToDevice(int v, double scale) { return static_cast<int>(std::floor(v * scale + 0.5)); }

// Units of a device size: the most whose pixels the image holds in full.
inline int ToUnits(int pixels, double scale) { return static_cast<int>(std::floor(pixels / scale + 1e-6)); }

}  // namespace

int Surface::Width() const {
    const QImage* image = impl_->image;
    if (!image) return 0;
    const double s = DeviceScale();
    return s == 1.0 ? image->width() : ToUnits(image->width(), s);
}

int Surface::Height() const {
    const QImage* image = impl_->image;
    if (!image) return 0;
    const double s = DeviceScale();
    return s == 1.0 ? image->height() : ToUnits(image->height(), s);
}

Color Surface::Mapped(Color c) const { return monochrome_ ? ToMono(c & 0xFFFFFF) : (c & 0xFFFFFF); }

Rect Surface::Device(const Rect& r) const {
    const double s = DeviceScale();
    if (s == 1.0) return r;
    return Rect{ToDevice(r.left, s), ToDevice(r.top, s), ToDevice(r.right, s), ToDevice(r.bottom, s)};
}

Rect Surface::VisibleDevice(const Rect& d) const {
    const QImage* image = impl_->image;
    if (!image || image->isNull()) return Rect{};
    Rect v = Intersect(d, Rect{0, 0, image->width(), image->height()});
    if (!clip_.Empty()) v = Intersect(v, Device(clip_));
    return v.Empty() ? Rect{} : v;
}

Rect Surface::Visible(const Rect& r) const { return VisibleDevice(Device(r)); }

std::uint32_t* Surface::Pixels(std::ptrdiff_t& stride) {
    QImage* image = impl_->image;
    stride = image->bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb));
    return reinterpret_cast<std::uint32_t*>(image->bits());
}

namespace {

inline bool Contains(const Rect& outer, const Rect& inner) {
    return inner.left >= outer.left && inner.right <= outer.right && inner.top >= outer.top &&
           inner.bottom <= outer.bottom;
}

// Whether the union of two rectangles is a rectangle with nothing else in it: one holds the other,
// or they share two opposite edges and touch or overlap along the other axis.
inline bool JoinExactly(const Rect& a, const Rect& b) {
    if (Contains(a, b) || Contains(b, a)) return true;
    if (a.left == b.left && a.right == b.right) return a.top <= b.bottom && b.top <= a.bottom;
    if (a.top == b.top && a.bottom == b.bottom) return a.left <= b.right && b.left <= a.right;
    return false;
}

long long Area(const Rect& r) { return static_cast<long long>(r.Width()) * r.Height(); }

// The damage is kept to a few rectangles; beyond that a new one is joined to the one whose union
// with it grows least.
constexpr size_t kMaxDamage = 16;

}  // namespace

// A cell is drawn as a few strips (the fill above and below the glyph, the glyph, its marks) and a
// row as cells from left to right: each new area is joined to what it completes, so the damage
// stays one rectangle per changed run of cells.
// The damage is kept in units, as the window shows it: a device rectangle is widened to the units
// it touches. The damage area is kept in device pixels, as drawing reaches it.
void Surface::MarkDirty(const Rect& device) {
    if (device.Empty()) return;
    const double s = DeviceScale();
    auto units = [s](const Rect& d) {
        return s == 1.0 ? d
                        : Rect{static_cast<int>(std::floor(d.left / s)), static_cast<int>(std::floor(d.top / s)),
                               static_cast<int>(std::ceil(d.right / s)), static_cast<int>(std::ceil(d.bottom / s))};
    };
    if (!damageArea_.Empty() && Contains(damageArea_, device)) {
        if (!damageAreaMarked_) {
            damageAreaMarked_ = true;
            AddDamage(units(damageArea_));
        }
        return;
    }
    const Rect r = units(device);
    // Most drawing lands inside what was drawn just before it (a glyph in its cell's fill).
    if (!damage_.empty() && Contains(damage_.back(), r)) return;
    AddDamage(r);
}

void Surface::SetDamageArea(const Rect& area) {
    damageArea_ = area.Empty() ? Rect{} : Visible(area);
    damageAreaMarked_ = false;
}

void Surface::AddDamage(const Rect& r) {
    const bool wasClean = damage_.empty();
    // Most drawing lands inside or right beside what was drawn just before it.
    if (!wasClean) {
        Rect& last = damage_.back();
        if (JoinExactly(last, r)) {
            last = Union(last, r);
            // The grown rectangle may complete one drawn before (the rows above it).
            for (size_t i = 0; i + 1 < damage_.size(); ++i) {
                if (JoinExactly(damage_[i], damage_.back())) {
                    damage_[i] = Union(damage_[i], damage_.back());
                    damage_.pop_back();
                    break;
                }
            }
            return;
        }
    }
    Rect cur = r;
    for (bool joined = true; joined;) {
        joined = false;
        for (size_t i = damage_.size(); i-- > 0;) {
            const Rect d = damage_[i];
            if (Contains(d, cur)) return;
            if (JoinExactly(d, cur)) {
                cur = Union(d, cur);
                damage_.erase(damage_.begin() + static_cast<std::ptrdiff_t>(i));
                joined = true;
                break;
            }
        }
    }
    if (damage_.size() >= kMaxDamage) {
        size_t best = 0;
        long long growth = -1;
        for (size_t i = 0; i < damage_.size(); ++i) {
            const long long g = Area(Union(damage_[i], cur)) - Area(damage_[i]);
            if (growth < 0 || g < growth) {
                growth = g;
                best = i;
            }
        }
        damage_[best] = Union(damage_[best], cur);
    } else {
        damage_.push_back(cur);
    }
    if (wasClean && onDirty_) onDirty_();
}

std::vector<Rect> Surface::TakeDamage() { return std::exchange(damage_, {}); }

Rect Surface::DirtyRect() const {
    Rect all{};
    for (const Rect& d : damage_) all = Union(all, d);
    return all;
}

Rect Surface::TakeDirty() {
    const Rect all = DirtyRect();
    damage_.clear();
    return all;
}

void Surface::MoveDamage(int dx, int dy) {
    const Rect image{0, 0, Width(), Height()};
    std::vector<Rect> moved;
    for (const Rect& d : damage_) {
        const Rect m = Intersect(Rect{d.left + dx, d.top + dy, d.right + dx, d.bottom + dy}, image);
        if (!m.Empty()) moved.push_back(m);
    }
    damage_ = std::move(moved);
}

bool Surface::MovePixels(const Rect& area, int dx, int dy) {
    const double s = DeviceScale();
    const double fx = dx * s, fy = dy * s;
    const int pdx = static_cast<int>(std::lround(fx)), pdy = static_cast<int>(std::lround(fy));
    if (pdx != fx || pdy != fy) return false;
    const Rect from = Visible(area);
    if (from.Empty() || (pdx == 0 && pdy == 0)) return true;
    const Rect to = VisibleDevice(Rect{from.left + pdx, from.top + pdy, from.right + pdx, from.bottom + pdy});
    if (to.Empty()) return true;
    std::ptrdiff_t stride = 0;
    std::uint32_t* bits = Pixels(stride);
    const size_t bytes = static_cast<size_t>(to.Width()) * sizeof(std::uint32_t);
    auto moveRow = [&](int y) { std::memmove(bits + y * stride + to.left, bits + (y - pdy) * stride + to.left - pdx, bytes); };
    // Rows are taken before they are written over: from the bottom when the block goes down.
    if (pdy > 0) {
        for (int y = to.bottom; y-- > to.top;) moveRow(y);
    } else {
        for (int y = to.top; y < to.bottom; ++y) moveRow(y);
    }
    MarkDirty(to);
    return true;
}

QPainter& Surface::Impl::Painter() {
    if (!painter) {
        painter = std::make_unique<QPainter>(image);
        painterFontSet = false;
        painterTextPen = kNoPen;
        ApplyPainterClip();
    }
    return *painter;
}

void Surface::Impl::EndPainter() {
    if (painter) {
        painter->end();
        painter.reset();
    }
}

void Surface::Impl::ApplyPainterClip() {
    if (!painter) return;
    const Rect& clip = owner.clip_;
    if (clip.Empty())
        painter->setClipping(false);
    else
        painter->setClipRect(QRect(clip.left, clip.top, clip.Width(), clip.Height()));
}

void Surface::Flush() { impl_->EndPainter(); }

void Surface::SetMonochrome(bool on) {
    monochrome_ = on;
    impl_->ResetFont();
}

void Surface::SetClipRect(const Rect& r) {
    clip_ = r.Empty() ? Rect{} : r;
    impl_->ApplyPainterClip();
}

void Surface::SetFillColor(Color c) { fill_ = c & 0xFFFFFF; }

void Surface::FillSolid(const Rect& r, Color c) {
    Rect v = Visible(r);
    if (v.Empty()) return;
    const QRgb px = kOpaque | Mapped(c);
    std::ptrdiff_t stride = 0;
    std::uint32_t* bits = Pixels(stride);
    for (int y = v.top; y < v.bottom; ++y) FillPixels(bits + y * stride + v.left, v.Width(), px);
    MarkDirty(v);
}

void Surface::FillRect(const Rect& r) { FillSolid(r, fill_); }

void Surface::FillHatched(const Rect& r, Color hatch) {
    Rect v = Visible(r);
    if (v.Empty()) return;
    // A diagonal cross hatch on an 8-unit grid, anchored to the surface's origin so that
    // neighbouring fills join seamlessly; on a HiDPI image its lines are a unit wide as well.
    const QRgb line = kOpaque | Mapped(hatch);
    const QRgb back = kOpaque | Mapped(fill_);
    const double s = DeviceScale();
    std::ptrdiff_t stride = 0;
    std::uint32_t* bits = Pixels(stride);
    for (int y = v.top; y < v.bottom; ++y) {
        std::uint32_t* row = bits + y * stride;
        const int uy = s == 1.0 ? y : static_cast<int>(y / s);
        for (int x = v.left; x < v.right; ++x) {
            const int ux = s == 1.0 ? x : static_cast<int>(x / s);
            row[x] = (((ux - uy) & 7) == 0 || ((ux + uy) & 7) == 0) ? line : back;
        }
    }
    MarkDirty(v);
}

void Surface::SetPenColor(Color c) { pen_ = c & 0xFFFFFF; }
void Surface::SetPenWidth(int w) { penWidth_ = std::max(1, w); }

void Surface::MoveTo(int x, int y) {
    penX_ = x;
    penY_ = y;
}

// Lines include their start point and leave out their end point. A horizontal line of width w
// drawn at y covers the rows y - w/2 .. y - w/2 + w - 1; a vertical one the columns likewise.
// Slanted lines are drawn by QPainter with flat caps and no smoothing.
void Surface::LineTo(int x, int y) {
    const int w = std::max(1, penWidth_);
    const int x0 = penX_, y0 = penY_;
    penX_ = x;
    penY_ = y;
    if (x == x0 && y == y0) return;
    if (y == y0) {
        int left = x > x0 ? x0 : x + 1;
        int right = x > x0 ? x : x0 + 1;
        FillSolid(Rect{left, y - w / 2, right, y - w / 2 + w}, pen_);
    } else if (x == x0) {
        int top = y > y0 ? y0 : y + 1;
        int bottom = y > y0 ? y : y0 + 1;
        FillSolid(Rect{x - w / 2, top, x - w / 2 + w, bottom}, pen_);
    } else {
        if (!impl_->image || impl_->image->isNull()) return;
        QPainter& p = impl_->Painter();
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QPen(ToQColor(Mapped(pen_)), w, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
        impl_->painterTextPen = Impl::kNoPen;
        p.drawLine(x0, y0, x, y);
        MarkDirty(Visible(Rect{std::min(x0, x) - w, std::min(y0, y) - w, std::max(x0, x) + w + 1,
                               std::max(y0, y) + w + 1}));
    }
}

void Surface::StretchDraw(const Rect& dest, const Bitmap& bitmap, const Rect& src) {
    platform::StretchDraw(*this, dest, QtImage(bitmap), src);
}

void StretchDraw(Surface& surface, const Rect& dest, const QImage& image, const Rect& src) {
    Surface::Impl::Of(surface).StretchFrom(dest, image, src);
}

void Surface::Impl::StretchFrom(const Rect& dest, const QImage& image, const Rect& src) {
    if (image.isNull()) return;
    QImage converted;
    const QImage* from = &image;
    if (!IsDirectFormat(image.format())) {
        converted = image.convertToFormat(QImage::Format_RGB32);
        from = &converted;
    }
    owner.StretchPixels(owner.Device(dest), reinterpret_cast<const std::uint32_t*>(from->constBits()), from->width(),
                        from->height(), from->bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb)), src);
}

// Nearest-neighbour stretching: destination pixel (x, y) shows source pixel
// (src.left + (x - dest.left) * src.Width() / dest.Width(), likewise for y), so integer scales
// repeat every source pixel exactly k times. `dest` is in device pixels.
void Surface::StretchPixels(const Rect& dest, const std::uint32_t* pixels, int sw, int sh, std::ptrdiff_t sstride,
                            const Rect& src) {
    if (dest.Empty() || src.Empty()) return;
    Rect v = VisibleDevice(dest);
    if (v.Empty()) return;
    const int dw = dest.Width(), dh = dest.Height(), srw = src.Width(), srh = src.Height();

    // Source column of every visible destination column. The mapping only grows, so the columns
    // whose source lies inside the picture form one span [first, last).
    thread_local std::vector<int> xmap;
    xmap.resize(static_cast<size_t>(v.Width()));
    int first = v.Width(), last = 0;
    for (int i = 0; i < v.Width(); ++i) {
        int sx = src.left + static_cast<int>(static_cast<long long>(v.left + i - dest.left) * srw / dw);
        xmap[static_cast<size_t>(i)] = sx;
        if (sx >= 0 && sx < sw) {
            first = std::min(first, i);
            last = i + 1;
        }
    }
    if (first >= last) return;

    std::ptrdiff_t stride = 0;
    std::uint32_t* bits = Pixels(stride);
    const bool andMode = copyMode_ == CopyMode::SrcAnd;
    const bool identity = srw == dw && !monochrome_;
    const int* map = xmap.data();

    for (int y = v.top; y < v.bottom; ++y) {
        int sy = src.top + static_cast<int>(static_cast<long long>(y - dest.top) * srh / dh);
        if (sy < 0 || sy >= sh) continue;
        std::uint32_t* d = bits + y * stride + v.left;
        const std::uint32_t* srow = pixels + sy * sstride;
        if (identity) {
            const std::uint32_t* s = srow + map[first] - first;
            if (andMode) {
                for (int i = first; i < last; ++i) d[i] &= (s[i] | kOpaque);
            } else {
                for (int i = first; i < last; ++i) d[i] = s[i] | kOpaque;
            }
        } else if (monochrome_) {
            for (int i = first; i < last; ++i) {
                const QRgb c = kOpaque | ToMono(srow[map[i]] & 0xFFFFFF);
                d[i] = andMode ? (d[i] & c) : c;
            }
        } else if (andMode) {
            for (int i = first; i < last; ++i) d[i] &= (srow[map[i]] | kOpaque);
        } else {
            for (int i = first; i < last; ++i) d[i] = srow[map[i]] | kOpaque;
        }
    }
    MarkDirty(v);
}

// The common case of the cell renderer: a glyph image or a strip of it scaled by a whole number k
// in device pixels. Destination pixel (x, y) then shows image pixel (src.left + (x - dest.left) / k,
// likewise for y), which is pixel (src.left * k + x - dest.left, src.top * k + y - dest.top) of
// the image at k times its size: rows of that image are copied as they are. The list makes it
// from the set of images that matches k (ImageList::Scaled), so a cell on a HiDPI screen or at a
// larger graphics size shows the detail of the larger glyph images. Other scales stretch the
// image of the set that matches the scale across.
void Surface::DrawImage(const Rect& dest, const ImageList& list, int index, const Rect& src, Color bk) {
    constexpr int kMaxScale = 8;
    const Rect d = Device(dest);
    const int srw = src.Width(), srh = src.Height();
    const int k = srw > 0 ? d.Width() / srw : 0;
    const bool inside = src.left >= 0 && src.top >= 0 && src.right <= list.Width() && src.bottom <= list.Height() &&
                        index >= 0 && index < list.Count();
    const bool whole = inside && k >= 1 && k <= kMaxScale && d.Width() == srw * k && d.Height() == srh * k;
    if (!whole) {
        const int detail = inside && srw > 0 && !d.Empty() ? list.DetailFor(static_cast<double>(d.Width()) / srw) : 1;
        thread_local Bitmap work;
        list.GetBitmap(index, work, bk, detail);
        const QImage& from = QtImage(work);
        StretchPixels(d, reinterpret_cast<const std::uint32_t*>(from.constBits()), from.width(), from.height(),
                      from.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb)),
                      Rect{src.left * detail, src.top * detail, src.right * detail, src.bottom * detail});
        return;
    }
    Rect v = VisibleDevice(d);
    if (v.Empty()) return;
    const std::uint32_t* pixels = list.Scaled(index, k, monochrome_, bk);
    const std::ptrdiff_t sstride = static_cast<std::ptrdiff_t>(list.Width()) * k;
    const std::uint32_t* s = pixels + (src.top * k + v.top - d.top) * sstride + src.left * k + v.left - d.left;
    std::ptrdiff_t stride = 0;
    std::uint32_t* bits = Pixels(stride);
    const int w = v.Width();
    const bool andMode = copyMode_ == CopyMode::SrcAnd;
    for (int y = v.top; y < v.bottom; ++y, s += sstride) {
        std::uint32_t* d = bits + y * stride + v.left;
        if (andMode) {
            for (int i = 0; i < w; ++i) d[i] &= s[i];
        } else {
            std::memcpy(d, s, static_cast<size_t>(w) * sizeof(QRgb));
        }
    }
    MarkDirty(v);
}

// ---------------------------------------------------------------------------------------------
// Bitmap

Bitmap::Bitmap() : impl_(std::make_unique<Impl>()) {}

Bitmap::Bitmap(int width, int height) : Bitmap() { SetSize(width, height); }

Bitmap::Bitmap(const Bitmap& other) : impl_(std::make_unique<Impl>(Impl{QtImage(other)})), monochrome_(other.monochrome_) {}

Bitmap& Bitmap::operator=(const Bitmap& other) {
    if (this == &other) return *this;
    QImage copy = QtImage(other);
    if (canvas_) canvas_->Flush();
    impl_->image = copy;
    monochrome_ = other.monochrome_;
    if (canvas_) canvas_->SetMonochrome(monochrome_);
    return *this;
}

Bitmap::~Bitmap() {
    if (canvas_) canvas_->Flush();
}

void Bitmap::SetSize(int width, int height) {
    if (canvas_) canvas_->Flush();
    width = std::max(0, width);
    height = std::max(0, height);
    if (width == impl_->image.width() && height == impl_->image.height()) return;
    if (width == 0 || height == 0) {
        impl_->image = QImage();
        return;
    }
    QImage next(width, height, QImage::Format_RGB32);
    next.fill(kOpaque | clWhite);
    if (!impl_->image.isNull()) {
        // Keep what fits of the old picture in the top-left corner.
        QImage old = impl_->image.format() == QImage::Format_RGB32 ? impl_->image
                                                              : impl_->image.convertToFormat(QImage::Format_RGB32);
        const int w = std::min(width, old.width());
        const int h = std::min(height, old.height());
        for (int y = 0; y < h; ++y)
            std::memcpy(next.scanLine(y), old.constScanLine(y), static_cast<size_t>(w) * 4);
    }
    impl_->image = next;
}

void Bitmap::SetMonochrome(bool on) {
    monochrome_ = on;
    if (canvas_) {
        canvas_->Flush();
        canvas_->SetMonochrome(on);
    }
    if (!on || impl_->image.isNull()) return;
    for (int y = 0; y < impl_->image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(impl_->image.scanLine(y));
        for (int x = 0; x < impl_->image.width(); ++x) row[x] = kOpaque | ToMono(row[x] & 0xFFFFFF);
    }
}

Bitmap Bitmap::FromResource(std::string_view name) {
    const QString base = QStringLiteral(":/glyphs/") + QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    for (const QString& suffix : {QString(), QStringLiteral(".bmp"), QStringLiteral(".png")}) {
        QImage img(base + suffix);
        if (!img.isNull()) {
            Bitmap b;
            b.impl_->image = img.convertToFormat(QImage::Format_RGB32);
            return b;
        }
    }
    throw std::runtime_error("The program has no bitmap resource " + std::string(name));
}

Color Bitmap::TransparentColor() const {
    if (Height() == 0 || Width() == 0) return clWhite;
    return Pixel(0, Height() - 1);
}

Color Bitmap::Pixel(int x, int y) const {
    const QImage& img = QtImage(*this);
    if (x < 0 || y < 0 || x >= img.width() || y >= img.height()) return clBlack;
    return img.pixel(x, y) & 0xFFFFFF;
}

void Bitmap::SetPixel(int x, int y, Color c) {
    if (canvas_) canvas_->Flush();
    if (x < 0 || y < 0 || x >= impl_->image.width() || y >= impl_->image.height()) return;
    c &= 0xFFFFFF;
    if (monochrome_) c = ToMono(c);
    impl_->image.setPixel(x, y, kOpaque | c);
}

int Bitmap::Width() const { return impl_->image.width(); }
int Bitmap::Height() const { return impl_->image.height(); }

Surface& Bitmap::Canvas() {
    if (!canvas_) {
        canvas_ = std::make_unique<Surface>();
        SetTarget(*canvas_, &impl_->image);
        canvas_->SetMonochrome(monochrome_);
    }
    return *canvas_;
}

QImage& QtImage(Bitmap& bitmap) { return Bitmap::Impl::Of(bitmap); }

const QImage& QtImage(const Bitmap& bitmap) { return Bitmap::Impl::Of(bitmap); }

// ---------------------------------------------------------------------------------------------
// ImageList

ImageList::ImageList(int width, int height) : width_(std::max(1, width)), height_(std::max(1, height)) {}

void ImageList::AddMasked(const Bitmap& strip, Color maskColor) {
    maskColor &= 0xFFFFFF;
    const QImage& img = QtImage(strip);
    if (img.isNull()) return;
    QImage rgb = img.format() == QImage::Format_RGB32 ? img : img.convertToFormat(QImage::Format_RGB32);
    const int count = rgb.width() / width_;
    const int rows = std::min(height_, rgb.height());
    for (int i = 0; i < count; ++i) {
        Image im;
        im.pixels.assign(static_cast<size_t>(width_ * height_), maskColor);
        im.mask.assign(static_cast<size_t>(width_ * height_), true);
        for (int y = 0; y < rows; ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y)) + i * width_;
            for (int x = 0; x < width_; ++x) {
                Color c = row[x] & 0xFFFFFF;
                size_t k = static_cast<size_t>(y * width_ + x);
                im.pixels[k] = c;
                im.mask[k] = c == maskColor;
            }
        }
        images_.push_back(std::move(im));
    }
    scaled_.clear();
}

void ImageList::AddMaskedDetail(int scale, const Bitmap& strip, Color maskColor) {
    if (scale < 2) return;
    maskColor &= 0xFFFFFF;
    const QImage& img = QtImage(strip);
    if (img.isNull()) return;
    QImage rgb = img.format() == QImage::Format_RGB32 ? img : img.convertToFormat(QImage::Format_RGB32);
    auto at = std::find_if(details_.begin(), details_.end(), [&](const Detail& d) { return d.scale >= scale; });
    if (at == details_.end() || at->scale != scale) at = details_.insert(at, Detail{scale, {}});
    const int w = width_ * scale, h = height_ * scale;
    const int count = rgb.width() / w;
    const int rows = std::min(h, rgb.height());
    for (int i = 0; i < count; ++i) {
        Image im;
        im.pixels.assign(static_cast<size_t>(w * h), maskColor);
        im.mask.assign(static_cast<size_t>(w * h), true);
        for (int y = 0; y < rows; ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y)) + i * w;
            for (int x = 0; x < w; ++x) {
                const Color c = row[x] & 0xFFFFFF;
                const size_t k = static_cast<size_t>(y * w + x);
                im.pixels[k] = c;
                im.mask[k] = c == maskColor;
            }
        }
        at->images.push_back(std::move(im));
    }
    scaled_.clear();
}

int ImageList::DetailFor(double devicePixels) const {
    const double want = std::floor(devicePixels + 0.5);
    int best = 1;
    for (const Detail& d : details_)
        if (d.scale <= want) best = d.scale;
    return best;
}

const ImageList::Image& ImageList::ImageAt(int index, int& scale) const {
    for (const Detail& d : details_)
        if (d.scale == scale && index < static_cast<int>(d.images.size())) return d.images[static_cast<size_t>(index)];
    scale = 1;
    return images_[static_cast<size_t>(index)];
}

const std::vector<std::uint32_t>& ImageList::Rendered(const Image& im, Color bk) const {
    if (im.rendered.empty() || im.renderedBk != bk) {
        im.rendered.resize(im.pixels.size());
        for (size_t k = 0; k < im.pixels.size(); ++k) im.rendered[k] = kOpaque | (im.mask[k] ? bk : im.pixels[k]);
        im.renderedBk = bk;
    }
    return im.rendered;
}

const std::uint32_t* ImageList::Scaled(int index, int scale, bool monochrome, Color bk) const {
    constexpr size_t kSets = 4;
    if (lastSet_ >= scaled_.size() || scaled_[lastSet_].bk != bk || scaled_[lastSet_].scale != scale ||
        scaled_[lastSet_].monochrome != monochrome) {
        size_t found = 0;
        while (found < scaled_.size() && (scaled_[found].bk != bk || scaled_[found].scale != scale ||
                                          scaled_[found].monochrome != monochrome))
            ++found;
        if (found == scaled_.size()) {
            if (scaled_.size() == kSets) scaled_.erase(scaled_.begin());
            scaled_.push_back(ScaledSet{bk, scale, monochrome, {}});
            found = scaled_.size() - 1;
        }
        lastSet_ = found;
    }
    ScaledSet& set = scaled_[lastSet_];
    if (set.images.size() != images_.size()) set.images.resize(images_.size());
    std::vector<std::uint32_t>& out = set.images[static_cast<size_t>(index)];
    if (out.empty()) {
        int detail = DetailFor(scale);
        const std::vector<std::uint32_t>& px = Rendered(ImageAt(index, detail), bk);
        const int iw = width_ * detail;
        const int sw = width_ * scale;
        out.resize(static_cast<size_t>(sw) * static_cast<size_t>(height_ * scale));
        for (int y = 0; y < height_ * scale; ++y)
            for (int x = 0; x < sw; ++x) {
                std::uint32_t c = px[static_cast<size_t>((y * detail / scale) * iw + x * detail / scale)];
                if (monochrome) c = kOpaque | ToMono(c & 0xFFFFFF);
                out[static_cast<size_t>(y * sw + x)] = c;
            }
    }
    return out.data();
}

void ImageList::GetBitmap(int index, Bitmap& dest, Color bk, int detail) const {
    detail = std::max(1, detail);
    const bool valid = index >= 0 && index < Count();
    const Image* im = valid ? &ImageAt(index, detail) : nullptr;
    const int w = width_ * detail, h = height_ * detail;
    dest.SetSize(w, h);
    QImage& img = QtImage(dest);
    uchar* bits = img.bits();
    const qsizetype stride = img.bytesPerLine();
    if (!im) {
        img.fill(kOpaque | (dest.Monochrome() ? ToMono(bk) : bk));
        return;
    }
    const std::vector<std::uint32_t>& px = Rendered(*im, bk);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(bits + y * stride);
        std::memcpy(row, px.data() + static_cast<size_t>(y * w), static_cast<size_t>(w) * 4);
        if (dest.Monochrome())
            for (int x = 0; x < w; ++x) row[x] = kOpaque | ToMono(row[x] & 0xFFFFFF);
    }
}

void ImageList::Draw(Surface& surface, int x, int y, int index, Color bk) const {
    CopyMode mode = surface.GetCopyMode();
    surface.SetCopyMode(CopyMode::SrcCopy);
    surface.DrawImage(Rect{x, y, x + width_, y + height_}, *this, index, Rect{0, 0, width_, height_}, bk);
    surface.SetCopyMode(mode);
}

void ImageList::Assign(const ImageList& other) {
    if (this == &other) return;
    width_ = other.width_;
    height_ = other.height_;
    images_ = other.images_;
    details_ = other.details_;
    scaled_.clear();
}

QImage ResizedBackingImage(const QImage& old, QSize size, Color fill, double deviceScale) {
    if (!(deviceScale > 0)) deviceScale = 1.0;
    const QSize pixels = deviceScale == 1.0 ? size
                                            : QSize(static_cast<int>(std::ceil(size.width() * deviceScale - 1e-6)),
                                                    static_cast<int>(std::ceil(size.height() * deviceScale - 1e-6)));
    QImage next(pixels, QImage::Format_RGB32);
    next.setDevicePixelRatio(deviceScale);
    next.fill(static_cast<QRgb>(0xFF000000u | fill));
    // Pixels of another resolution are not kept: the window draws them all again.
    if (!old.isNull() && old.devicePixelRatio() == deviceScale) {
        const int w = std::min(pixels.width(), old.width());
        const int h = std::min(pixels.height(), old.height());
        for (int y = 0; y < h; ++y)
            std::memcpy(next.scanLine(y), old.constScanLine(y), static_cast<size_t>(w) * 4);
    }
    return next;
}

}  // namespace platform
