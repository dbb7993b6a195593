// The in-memory printer of the tests.
#include "testing/image_printer.h"

#include <QColor>
#include <algorithm>

namespace testprinter {

ImagePrinter::ImagePrinter(int pageWidth, int pageHeight, int pixelsPerInchY)
    : width_(pageWidth), height_(pageHeight), ppi_(pixelsPerInchY) {}

void ImagePrinter::StartJob() {
    Job job;
    job.title = Title;
    job.pages.emplace_back();
    jobs_.push_back(std::move(job));
}

bool ImagePrinter::StartPage() {
    if (failFromPage > 0 && PageNumber() + 1 >= failFromPage) return false;
    jobs_.back().pages.emplace_back();
    return true;
}

bool ImagePrinter::FinishJob() {
    if (failEnd) return false;
    jobs_.back().ended = true;
    return true;
}

void ImagePrinter::CancelJob() { jobs_.back().aborted = true; }

void ImagePrinter::DrawBitmap(const platform::Rect& dest, const platform::Bitmap& bitmap, const platform::Rect& src,
                              const platform::Rect& inked) {
    jobs_.back().pages.back().copies.push_back(Copy{dest, platform::DeviceIndependentBitmap(bitmap, inked), src});
}

void ImagePrinter::DrawTextLayer(const platform::TextRow& row) { jobs_.back().pages.back().text.push_back(row); }

QImage ImagePrinter::RenderPage(int job, int page, int reduce) const {
    reduce = std::max(1, reduce);
    const int w = (width_ + reduce - 1) / reduce, h = (height_ + reduce - 1) / reduce;
    QImage out(std::max(1, w), std::max(1, h), QImage::Format_RGB32);
    out.fill(Qt::white);
    if (job < 0 || job >= static_cast<int>(jobs_.size())) return out;
    const Job& j = jobs_[static_cast<size_t>(job)];
    if (page < 0 || page >= static_cast<int>(j.pages.size())) return out;
    for (const Copy& c : j.pages[static_cast<size_t>(page)].copies) {
        // Nearest neighbour: page pixel p of the destination shows source pixel
        // src.left + (p - dest.left) * src.Width() / dest.Width().
        for (int y = 0; y < h; ++y) {
            const int py = y * reduce;
            if (py < c.dest.top || py >= c.dest.bottom || py >= height_) continue;
            const int sy = c.src.top + static_cast<int>(static_cast<long long>(py - c.dest.top) * c.src.Height() / c.dest.Height());
            if (sy < 0 || sy >= c.dib.height()) continue;
            auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
            for (int x = 0; x < w; ++x) {
                const int px = x * reduce;
                if (px < c.dest.left || px >= c.dest.right || px >= width_) continue;
                const int sx = c.src.left + static_cast<int>(static_cast<long long>(px - c.dest.left) * c.src.Width() / c.dest.Width());
                if (sx < 0 || sx >= c.dib.width()) continue;
                row[x] = c.dib.pixel(sx, sy) | 0xFF000000u;
            }
        }
    }
    return out;
}

}  // namespace testprinter
