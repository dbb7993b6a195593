// A full repaint of a 1920 x 1080 window in glyph mode at size 1, the way the text control draws
// it: per cell a background fill, the glyph copied from the image list scaled to the cell
// (DrawImage), a mark, and for a selected row an AND copy of the highlight. Target: < 10 ms.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <cstdlib>

#include "platform/qt_surface.h"

namespace {

using platform::Bitmap;
using platform::ImageList;
using platform::Rect;
using platform::Surface;

ImageList MakeGlyphs() {
    Bitmap strip(48 * 12, 16);
    for (int x = 0; x < strip.Width(); ++x)
        for (int y = 2; y < 14; ++y)
            if ((x * 7 + y * 3) % 5 == 0) strip.SetPixel(x, y, platform::clBlack);
    ImageList list(12, 16);
    list.AddMasked(strip, strip.TransparentColor());
    list.AddMasked(strip, strip.TransparentColor());
    return list;
}

void Repaint(benchmark::State& state, int scale) {
    QImage target(1920, 1080, QImage::Format_RGB32);
    platform::ImageSurface surface(&target);
    ImageList glyphs = MakeGlyphs();
    Bitmap highlight(1, 1);
    highlight.SetPixel(0, 0, platform::RGB(0, 120, 215));
    const int cw = 12 * scale, rh = 24 * scale;  // cell width; row height with room for marks
    long cells = 0;
    for (auto _ : state) {
        cells = 0;
        for (int row = 0; row * rh < 1080; ++row) {
            for (int col = 0; col * cw < 1920; ++col, ++cells) {
                const int x = col * cw, y = row * rh;
                surface.SetCopyMode(platform::CopyMode::SrcCopy);
                surface.SetFillColor(platform::clWhite);
                surface.FillRect(Rect{x, y, x + cw, y + rh});
                surface.DrawImage(Rect{x, y + 4 * scale, x + cw, y + 20 * scale}, glyphs, (row + col) % 96,
                                  Rect{0, 0, 12, 16}, platform::clWhite);
                if (col % 3 == 0)  // a mark above
                    surface.DrawImage(Rect{x, y, x + cw, y + 5 * scale}, glyphs, 72, Rect{0, 0, 12, 5}, platform::clWhite);
                if (row % 4 == 0) {  // a selected row
                    surface.SetCopyMode(platform::CopyMode::SrcAnd);
                    surface.StretchDraw(Rect{x, y, x + cw, y + rh}, highlight, Rect{0, 0, 1, 1});
                }
            }
        }
        surface.Flush();
        benchmark::DoNotOptimize(target.constBits());
    }
    state.counters["cells"] = static_cast<double>(cells);
}

void BM_RepaintGlyphSize1(benchmark::State& state) { Repaint(state, 1); }
void BM_RepaintGlyphSize2(benchmark::State& state) { Repaint(state, 2); }
BENCHMARK(BM_RepaintGlyphSize1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepaintGlyphSize2)->Unit(benchmark::kMillisecond);

// Font mode: a fill and a text per cell.
void BM_RepaintFontMode(benchmark::State& state) {
    QImage target(1920, 1080, QImage::Format_RGB32);
    platform::ImageSurface surface(&target);
    surface.SetFontName("Fixedsys");
    surface.SetFontHeight(16);
    const int cw = surface.TextWidth("M"), rh = surface.TextHeight("M");
    const char text[] = "\xA1\xA2\xA3 abc\xE0\xA1\xE8";
    for (auto _ : state) {
        int i = 0;
        for (int y = 0; y < 1080; y += rh)
            for (int x = 0; x < 1920; x += cw, ++i) {
                surface.SetFillColor(platform::clWhite);
                surface.FillRect(Rect{x, y, x + cw, y + rh});
                surface.TextOut(x, y, std::string_view(text + i % 9, 1));
            }
        surface.Flush();
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(BM_RepaintFontMode)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
