// A text control attached to a real host window (offscreen platform) for the painting tests, with
// a reference renderer that draws a line's cells alone on an image of its own, so that rows of the
// host's backing image can be compared with what the cell renderer makes of each line.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <memory>
#include <string>
#include <vector>

#include "editor/thailist.h"
#include "platform/qt_host.h"
#include "platform/qt_surface.h"
#include "script/customthai.h"
#include "script/tests/render_glyphs.h"
#include "script/thai.h"
#include "testing/host_paint.h"

namespace painttest {

using platform::Color;
using platform::clWhite;

// Something no drawing operation produces: shows which pixels a repaint left alone.
inline constexpr Color kScribble = 0x3080C0;

inline Color PixelAt(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }

class PaintTest : public ::testing::Test {
protected:
    // A client area of `cols` x `rows` whole cells at size 1 plus `extra` pixels each way.
    void Open(int cols, int rows, int extra = 5,
              std::unique_ptr<platform::ImageList> glyphs = rendertest::TracingGlyphs()) {
        TearDown();
        glyphs_ = std::make_unique<rendertest::GlyphsInstalled>(std::move(glyphs));
        host_ = std::make_unique<platform::ThaiHost>();
        host_->resize(cols * 12 + extra + 40, rows * 32 + extra + 40);
        host_->show();
        QApplication::processEvents();
        const int w = cols * 12 + extra, h = rows * 32 + extra;
        host_->resize(host_->width() + w - host_->ClientWidth(), host_->height() + h - host_->ClientHeight());
        QApplication::processEvents();
        ASSERT_EQ(host_->ClientWidth(), w);
        ASSERT_EQ(host_->ClientHeight(), h);
        list_ = std::make_unique<TThailist>();
        list_->Attach(host_.get());
        Settle();
        ASSERT_EQ(list_->ColCount, cols);
        ASSERT_EQ(list_->RowCount, rows);
    }
    void TearDown() override {
        list_.reset();
        host_.reset();
        glyphs_.reset();
    }

    void Settle() {
        QApplication::processEvents();
        testhost::PaintPending(*host_);
    }

    // Replaces the text and repaints the view from the top, cursor at (0, 0).
    void SetText(const std::vector<std::string>& lines) {
        list_->Lines.Assign(lines);
        list_->TopLine = 0;
        list_->LeftCol = 0;
        list_->SetCursor(0, 0);
        list_->ResetView();
        Settle();
    }

    const QImage& Image() { return host_->BackingImage(); }
    Color At(int x, int y) { return PixelAt(Image(), x, y); }

    // Covers the whole backing image with the scribble colour.
    void Scribble() {
        platform::Surface& s = host_->Canvas();
        const Color keep = s.FillColor();
        s.SetFillColor(kScribble);
        s.FillRect({0, 0, host_->ClientWidth(), host_->ClientHeight()});
        s.SetFillColor(keep);
    }

    // Cells `first` .. `first + count - 1` of `line` as the cell renderer draws them alone, at
    // the list's current graphics size, on the background `bg`.
    QImage Reference(const std::string& line, int first, int count, Color bg = clWhite) {
        TCustomthai ref;
        QImage image(count * list_->CellWidth, list_->RowHeight, QImage::Format_RGB32);
        image.fill(0xFF000000u | kScribble);
        platform::ImageSurface s(&image);
        s.CopyFont(host_->Canvas());
        ref.SetCanvasMetrics(s, list_->Graphicsize);
        s.SetFillColor(bg);
        ref.DrawX = 0;
        ref.DrawY = 0;
        int i = thai::CellToPos(line, first);
        for (int k = 0; k < count; ++k) ref.DrawCell(s, line, i);
        s.Flush();
        return image;
    }

    // View cells [col, col + count) of view row `row` equal the reference image.
    ::testing::AssertionResult RowShows(int row, int col, const QImage& ref) {
        const QImage& image = Image();
        const int x0 = col * list_->CellWidth, y0 = row * list_->RowHeight;
        for (int y = 0; y < ref.height(); ++y)
            for (int x = 0; x < ref.width(); ++x)
                if (!OnCaret(x0 + x, y0 + y) && PixelAt(image, x0 + x, y0 + y) != PixelAt(ref, x, y))
                    return ::testing::AssertionFailure()
                           << "row " << row << " pixel " << x0 + x << "," << y0 + y << ": " << std::hex
                           << PixelAt(image, x0 + x, y0 + y) << " instead of " << PixelAt(ref, x, y);
        return ::testing::AssertionSuccess();
    }

    // Two images are equal pixel for pixel; names the first difference otherwise.
    static ::testing::AssertionResult SamePixels(const QImage& a, const QImage& b) {
        if (a.size() != b.size()) return ::testing::AssertionFailure() << "sizes differ";
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x)
                if (PixelAt(a, x, y) != PixelAt(b, x, y))
                    return ::testing::AssertionFailure() << "pixel " << x << "," << y << " (cell " << x / 12 << ","
                                                         << y / 32 << " at size 1): " << std::hex << PixelAt(a, x, y)
                                                         << " vs " << PixelAt(b, x, y);
        return ::testing::AssertionSuccess();
    }

    // Whether a pixel lies on the caret line of the cursor (which the reference does not draw).
    bool OnCaret(int x, int y) const {
        if (!caretShown_) return false;
        const int pen = host_->Canvas().PenWidth();
        const int cx = (list_->CursorCol - list_->LeftCol) * list_->CellWidth + pen / 2;
        const int cy = (list_->CursorLine - list_->TopLine) * list_->RowHeight + list_->LowerLevel - pen;
        return x >= cx && x < cx + list_->CellWidth - pen && y >= cy - pen / 2 && y < cy - pen / 2 + pen;
    }
    bool caretShown_ = true;

    // View row `row`, whole cells, shows `line` from cell `first` on (an empty line when absent).
    ::testing::AssertionResult RowShowsLine(int row, const std::string& line, int first = 0) {
        return RowShows(row, 0, Reference(line, first, list_->ColCount));
    }

    // Every pixel of the cell (view column, view row) has colour c.
    ::testing::AssertionResult CellIs(int col, int row, Color c) {
        const QImage& image = Image();
        for (int y = row * list_->RowHeight; y < (row + 1) * list_->RowHeight && y < image.height(); ++y)
            for (int x = col * list_->CellWidth; x < (col + 1) * list_->CellWidth && x < image.width(); ++x)
                if (PixelAt(image, x, y) != c)
                    return ::testing::AssertionFailure() << "cell " << col << "," << row << " pixel " << x << "," << y
                                                         << ": " << std::hex << PixelAt(image, x, y);
        return ::testing::AssertionSuccess();
    }
    // Whether any pixel of the cell is still scribbled.
    bool CellScribbled(int col, int row) {
        const QImage& image = Image();
        for (int y = row * list_->RowHeight; y < (row + 1) * list_->RowHeight && y < image.height(); ++y)
            for (int x = col * list_->CellWidth; x < (col + 1) * list_->CellWidth && x < image.width(); ++x)
                if (PixelAt(image, x, y) == kScribble) return true;
        return false;
    }
    bool CellFullyScribbled(int col, int row) {
        const QImage& image = Image();
        for (int y = row * list_->RowHeight; y < (row + 1) * list_->RowHeight && y < image.height(); ++y)
            for (int x = col * list_->CellWidth; x < (col + 1) * list_->CellWidth && x < image.width(); ++x)
                if (PixelAt(image, x, y) != kScribble) return false;
        return true;
    }

    std::unique_ptr<rendertest::GlyphsInstalled> glyphs_;
    std::unique_ptr<platform::ThaiHost> host_;
    std::unique_ptr<TThailist> list_;
};

// Thai consonants ko kai (0xA1) onward: `n` distinct cells without spaces.
inline std::string Consonants(int n, int from = 0) {
    std::string s;
    for (int k = 0; k < n; ++k) s += static_cast<char>(0xA1 + (from + k) % 35);
    return s;
}

}  // namespace painttest
