// Full repaints of a 1920 x 1080 text view: a TThailist on a host window (offscreen platform)
// showing Thai text with the real glyph images, at graphics sizes 1, 2 and 3, plain and with most of
// the view selected, and the dictionary file as it is (Thai and Latin mixed). Target: < 10 ms.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "editor/lines.h"
#include "editor/thailist.h"
#include "editor/thaimemo.h"
#include "platform/qt_host.h"
#include "script/customthai.h"
#include "testing/host_paint.h"

namespace {

std::vector<std::string> DictionaryLines() {
    std::ifstream in(MEKALON_SHARED_DATA "/th-en.dic", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return SplitLines(bytes);
}

// Lines of Thai only: the Thai words of the dictionary, joined by spaces, 200 cells and more each.
std::vector<std::string> ThaiLines() {
    std::vector<std::string> lines;
    std::string line;
    for (const std::string& entry : DictionaryLines()) {
        const size_t space = entry.find(' ');
        if (space == std::string::npos) continue;
        const std::string thai = entry.substr(space + 1);
        if (thai.empty() || static_cast<unsigned char>(thai[0]) < 0xA1) continue;
        line += thai + " ";
        if (line.size() > 260) {
            lines.push_back(line);
            line.clear();
        }
    }
    return lines;
}

class View {
public:
    View(const std::vector<std::string>& lines, int size) {
        CreateGlyphImages();
        host_ = std::make_unique<platform::ThaiHost>();
        host_->resize(1920 + 40, 1080 + 40);
        host_->show();
        QApplication::processEvents();
        host_->resize(host_->width() + 1920 - host_->ClientWidth(), host_->height() + 1080 - host_->ClientHeight());
        QApplication::processEvents();
        list_ = std::make_unique<TThailist>();
        list_->Attach(host_.get());
        list_->Lines.Assign(lines);
        list_->SetGraphicsize(size);
        testhost::PaintPending(*host_);
    }
    TThailist& List() { return *list_; }
    void Repaint() {
        list_->PaintRows(0, list_->RowCount, 0, list_->ColCount);
        benchmark::DoNotOptimize(host_->BackingImage().constBits());
    }

private:
    std::unique_ptr<platform::ThaiHost> host_;
    std::unique_ptr<TThailist> list_;
};

void Repaint(benchmark::State& state, const std::vector<std::string>& lines, int size, bool selected) {
    View view(lines, size);
    TThailist& list = view.List();
    if (selected) {
        list.SetCursor(1, 5);
        list.StartSelection();
        list.SetCursor(list.RowCount - 1, 20);
        list.ExtendSelection();
    }
    for (auto _ : state) view.Repaint();
    state.counters["cells"] = static_cast<double>((list.RowCount + 1) * (list.ColCount + 1));
    state.counters["client"] = static_cast<double>(list.ColCount * 100000 + list.RowCount);
}

void BM_RepaintThaiSize1(benchmark::State& state) { Repaint(state, ThaiLines(), 1, false); }
void BM_RepaintThaiSize2(benchmark::State& state) { Repaint(state, ThaiLines(), 2, false); }
void BM_RepaintThaiSize3(benchmark::State& state) { Repaint(state, ThaiLines(), 3, false); }
void BM_RepaintThaiSelectedSize1(benchmark::State& state) { Repaint(state, ThaiLines(), 1, true); }
void BM_RepaintDictionarySize1(benchmark::State& state) { Repaint(state, DictionaryLines(), 1, false); }
void BM_RepaintDictionarySize2(benchmark::State& state) { Repaint(state, DictionaryLines(), 2, false); }
void BM_RepaintDictionarySize3(benchmark::State& state) { Repaint(state, DictionaryLines(), 3, false); }

BENCHMARK(BM_RepaintThaiSize1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepaintThaiSize2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepaintThaiSize3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepaintThaiSelectedSize1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepaintDictionarySize1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepaintDictionarySize2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepaintDictionarySize3)->Unit(benchmark::kMillisecond);

// One key typed into the editor on a view of a 400,000-line text, at line 200,000, column 10:
// the key-down stage, the insertion with its change notification, the repaint of the rest of the
// line and the caret, and the window's paint event that copies the changed pixels to the screen;
// every other key is a Backspace that takes the character out again. The view is the program's
// window (640 x 380) or full screen (1920 x 1080); "pixels" counts what a key hands to the screen.
void TypeIntoLargeText(benchmark::State& state, int width, int height) {
    CreateGlyphImages();
    platform::ThaiHost host;
    host.resize(width, height);
    host.show();
    QApplication::processEvents();
    TThaimemo memo;
    memo.Attach(&host);
    std::vector<std::string> lines;
    lines.reserve(400000);
    const std::vector<std::string> thai = ThaiLines();
    for (int i = 0; i < 400000; ++i) lines.push_back(thai[static_cast<size_t>(i) % thai.size()].substr(0, 50));
    memo.Lines.Assign(std::move(lines));
    memo.SetCursor(200000, 10);
    testhost::PaintPending(host);
    QApplication::processEvents();
    const long long before = host.PixelsPushed();
    bool typed = false;
    for (auto _ : state) {
        int key = typed ? platform::vk::Back : platform::vk::KeyA + 10;
        memo.KeyDown(key, {});
        if (!typed) {
            unsigned char ch = 0xA1;
            memo.KeyPress(ch);
        }
        testhost::PaintPending(host);
        QApplication::processEvents();
        typed = !typed;
    }
    benchmark::DoNotOptimize(memo.Lines[200000].size());
    state.counters["pixels"] =
        static_cast<double>(host.PixelsPushed() - before) / static_cast<double>(std::max<int64_t>(state.iterations(), 1));
}
void BM_TypeIntoLargeText(benchmark::State& state) { TypeIntoLargeText(state, 1920, 1080); }
void BM_TypeIntoLargeTextProgramWindow(benchmark::State& state) { TypeIntoLargeText(state, 640, 380); }
BENCHMARK(BM_TypeIntoLargeText)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TypeIntoLargeTextProgramWindow)->Unit(benchmark::kMicrosecond);

}  // namespace
