// The undo history on the 400,000-line, 20 MB text: a typed character with its history step
// (time, and the bytes the step adds), 10,000 typed characters (the history they cost, typed at
// a typist's pace and each as a step of its own), and undo and redo of a 1 MB paste and of word
// wrap; and on that text five times over (2,000,000 lines, 100 MB), Select All and Delete, a step
// larger than the history's bound, with its undo and redo. The editor stands on a shown window,
// so each action includes its repaint.
// Targets: a typed character under 1 ms and under 100 bytes of history; 10,000 characters under
// 1 MB; each undo and redo under 100 ms (the 100 MB deletion: under a second, and its step no
// larger than the text it holds plus its line objects).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/large_text.h"
#include "editor/thaimemo.h"
#include "platform/clipboard.h"
#include "platform/qt_host.h"
#include "script/customthai.h"
#include "testing/host_paint.h"

namespace {

const std::vector<std::string>& LargeLines() {
    static const std::vector<std::string> lines = SplitLines(bench::LargeText());
    return lines;
}

// The large text five times over: about 100 MB.
const std::vector<std::string>& HundredMegabyteLines() {
    static const std::vector<std::string> lines = [] {
        std::vector<std::string> all;
        all.reserve(LargeLines().size() * 5);
        for (int i = 0; i < 5; ++i) all.insert(all.end(), LargeLines().begin(), LargeLines().end());
        return all;
    }();
    return lines;
}

// The resident memory of this process now and at its highest, in kB (/proc/self/status).
long StatusKb(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::string key = std::string(field) + ":";
    while (std::getline(in, line))
        if (line.compare(0, key.size(), key) == 0) return std::atol(line.c_str() + key.size());
    return 0;
}

// The editor on a window of the given size holding the large text, its history empty, with a
// clock the benchmark moves.
class Editor {
public:
    explicit Editor(int width = 1920, int height = 1080, const std::vector<std::string>& text = LargeLines()) {
        CreateGlyphImages();
        host_ = std::make_unique<platform::ThaiHost>();
        host_->resize(width, height);
        host_->show();
        QApplication::processEvents();
        memo_ = std::make_unique<TThaimemo>();
        memo_->Attach(host_.get());
        memo_->Lines.Assign(text);
        memo_->History.Clear();
        memo_->History.Clock = [this] { return now; };
        testhost::PaintPending(*host_);
    }
    TThaimemo& Memo() { return *memo_; }
    void Show(int line, int col) {
        memo_->ClearSelection();
        memo_->SetCursor(line, col);
        testhost::PaintPending(*host_);
    }
    void Type(unsigned char byte) {
        memo_->KeyPress(byte);
        testhost::PaintPending(*host_);
    }
    void Flush() { testhost::PaintPending(*host_); }
    int64_t now = 0;

private:
    std::unique_ptr<platform::ThaiHost> host_;
    std::unique_ptr<TThaimemo> memo_;
};

constexpr int kMiddle = bench::kLargeLines / 2;

// Each character a step of its own (more than a second after the last), the worst case for the
// history. The cursor moves to the next line every 40 characters, so no line grows long.
void BM_TypeCharacterWithItsStep(benchmark::State& state) {
    Editor e;
    int line = kMiddle, typed = 0;
    e.Show(line, 10);
    for (auto _ : state) {
        if (typed % 40 == 39) {
            state.PauseTiming();
            e.Show(++line, 10);
            state.ResumeTiming();
        }
        e.now += 2000;
        e.Type('a');
        ++typed;
    }
    e.Memo().History.Seal();
    state.counters["history_bytes_per_char"] = static_cast<double>(e.Memo().History.Bytes()) / typed;
    state.counters["steps"] = static_cast<double>(e.Memo().History.UndoCount());
}
BENCHMARK(BM_TypeCharacterWithItsStep)->Unit(benchmark::kMicrosecond);

// 10,000 characters typed into the middle of the text, a Return after every 60; Arg 0: typed at
// 150 ms a key (runs group into a step a line), Arg 1: each character more than a second apart.
void BM_HistoryOfTenThousandCharacters(benchmark::State& state) {
    const int64_t pace = state.range(0) == 0 ? 150 : 2000;
    size_t bytes = 0, steps = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Editor e;
        e.Show(kMiddle, 0);
        state.ResumeTiming();
        for (int i = 1; i <= 10000; ++i) {
            e.now += pace;
            e.Type(static_cast<unsigned char>(i % 7 == 0 ? ' ' : 0xA1 + i % 40));
            if (i % 60 == 0) {
                int key = platform::vk::Return;
                e.Memo().KeyDown(key, {});
            }
        }
        e.Memo().History.Seal();
        bytes = e.Memo().History.Bytes();
        steps = e.Memo().History.UndoCount();
    }
    state.counters["history_bytes"] = static_cast<double>(bytes);
    state.counters["steps"] = static_cast<double>(steps);
}
BENCHMARK(BM_HistoryOfTenThousandCharacters)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

// Undo (Arg 0) or redo (Arg 1) of one step, timed by hand; the other direction runs untimed
// between iterations.
template <class Setup>
void UndoRedo(benchmark::State& state, Editor& e, Setup setup) {
    setup();
    TThaimemo& m = e.Memo();
    const bool undo = state.range(0) == 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const bool done = undo ? m.Undo() : m.Redo();
        e.Flush();
        const auto stop = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
        if (!done) state.SkipWithError("nothing to undo or redo");
        if (!(undo ? m.Redo() : m.Undo())) state.SkipWithError("nothing to undo or redo");
        e.Flush();
    }
    if (!undo) m.Undo();
    state.counters["history_bytes"] = static_cast<double>(m.History.Bytes());
}

void BM_UndoRedoPasteOfOneMegabyte(benchmark::State& state) {
    Editor e;
    UndoRedo(state, e, [&] {
        const std::string& text = bench::LargeText();
        platform::SetClipboardText(text.substr(text.size() / 3, 1 << 20));
        e.Show(kMiddle, 10);
        e.Memo().Paste();
        if (state.range(0) == 1) e.Memo().Undo();
    });
}
BENCHMARK(BM_UndoRedoPasteOfOneMegabyte)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// Select All and Delete on the 100 MB text: its step is larger than the history's bound and is
// kept. Arg 0 times the undo, Arg 1 the redo; the deletion itself is timed once. Memory: the
// step as the history counts it, what the deletion added to the resident memory, and the peak.
void BM_UndoRedoDeleteAllOfOneHundredMegabytes(benchmark::State& state) {
    Editor e(1920, 1080, HundredMegabyteLines());
    const size_t textBytes = e.Memo().JoinedText().size();
    double deleteMs = 0;
    long stepKb = 0;
    size_t stepBytes = 0;
    UndoRedo(state, e, [&] {
        TThaimemo& m = e.Memo();
        m.SelectAll();
        e.Flush();
        const long beforeKb = StatusKb("VmRSS");
        const auto start = std::chrono::steady_clock::now();
        int key = platform::vk::Delete;
        m.KeyDown(key, {});
        e.Flush();
        deleteMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        stepKb = StatusKb("VmRSS") - beforeKb;
        stepBytes = m.History.Bytes();
        if (m.LineCount() > 1 || !m.History.CanUndo()) state.SkipWithError("the deletion cannot be undone");
        if (state.range(0) == 1) m.Undo();
    });
    state.counters["text_MB"] = static_cast<double>(textBytes) / 1e6;
    state.counters["delete_ms"] = deleteMs;
    state.counters["step_MB"] = static_cast<double>(stepBytes) / 1e6;
    state.counters["bound_MB"] = static_cast<double>(TextHistory::kDefaultLimit) / 1e6;
    state.counters["rss_delete_MB"] = static_cast<double>(stepKb) / 1e3;
    state.counters["rss_peak_MB"] = static_cast<double>(StatusKb("VmHWM")) / 1e3;
}
BENCHMARK(BM_UndoRedoDeleteAllOfOneHundredMegabytes)->Arg(0)->Arg(1)->UseManualTime()->Iterations(5)->Unit(
    benchmark::kMillisecond);

// Word wrap at 40 cells (a window 320 pixels wide) rewraps about half of the lines.
void BM_UndoRedoWordWrap(benchmark::State& state) {
    Editor e(320, 1080);
    int wrappedLines = 0;
    UndoRedo(state, e, [&] {
        e.Memo().WordWrap();
        e.Flush();
        wrappedLines = e.Memo().LineCount();
        if (state.range(0) == 1) e.Memo().Undo();
    });
    state.counters["lines_after_wrap"] = static_cast<double>(wrappedLines);
}
BENCHMARK(BM_UndoRedoWordWrap)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
