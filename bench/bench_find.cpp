// Find and Replace All on the 400,000-line, 20 MB text in the editor window (640 x 380), each
// iteration one command with its repaint. A Find pass: F3 for a text that is not there, which
// searches the whole text (and, for comparison, the same search on the text joined into one
// string, as searching once did). Replace All: for a text that is not there (nothing changes:
// a Find pass and no more), one on few lines and one on many, and the undo of the last. Putting
// the text back afterwards is not timed. Replace All should cost a Find pass plus the changes.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <memory>
#include <string>
#include <vector>

#include "bench/large_text.h"
#include "editor/lines.h"
#include "editor/thaimemo.h"
#include "platform/qt_host.h"
#include "script/customthai.h"
#include "testing/host_paint.h"

namespace {

const std::vector<std::string>& LargeLines() {
    static const std::vector<std::string> lines = SplitLines(bench::LargeText());
    return lines;
}

class Editor {
public:
    Editor() {
        CreateGlyphImages();
        host_ = std::make_unique<platform::ThaiHost>();
        host_->resize(640, 380);
        host_->show();
        QApplication::processEvents();
        memo_ = std::make_unique<TThaimemo>();
        memo_->Attach(host_.get());
        Restore();
    }
    TThaimemo& Memo() { return *memo_; }
    // The text as loaded, the cursor at the top, nothing to undo.
    void Restore() {
        memo_->Lines.Assign(LargeLines());
        memo_->History.Clear();
        memo_->ClearSelection();
        memo_->SetCursor(0, 0);
        testhost::PaintPending(*host_);
    }
    void Flush() { testhost::PaintPending(*host_); }

private:
    std::unique_ptr<platform::ThaiHost> host_;
    std::unique_ptr<TThaimemo> memo_;
};

// Made on first use and left to the end of the process (after the application would be too late).
Editor& TheEditor() {
    static Editor* editor = new Editor;
    return *editor;
}

// Not in the text: every line is searched.
const char kAbsent[] = "wordy";

void BM_FindPass(benchmark::State& state) {
    Editor& e = TheEditor();
    for (auto _ : state) {
        if (e.Memo().FindNext(kAbsent)) state.SkipWithError("found");
        e.Flush();
    }
}

void BM_FindPassOnTheJoinedText(benchmark::State& state) {
    Editor& e = TheEditor();
    for (auto _ : state) benchmark::DoNotOptimize(TThaimemo::SearchFrom(kAbsent, e.Memo().JoinedText(), 0));
}

// Replace All of `pattern`; the counter says how many occurrences and on how many lines.
void ReplaceAll(benchmark::State& state, const char* pattern, const char* replacement) {
    Editor& e = TheEditor();
    int count = 0;
    for (auto _ : state) {
        state.PauseTiming();
        e.Restore();
        state.ResumeTiming();
        count = e.Memo().ReplaceAll(pattern, replacement);
        e.Flush();
    }
    state.counters["replaced"] = count;
    e.Restore();
}

void BM_ReplaceAllAbsent(benchmark::State& state) { ReplaceAll(state, kAbsent, "x"); }
// "(x) 123": 27,966 times on one line in fifteen; "word": 549,301 times on three lines in four.
void BM_ReplaceAllFew(benchmark::State& state) { ReplaceAll(state, "(x) 123", "(y) 4567"); }
void BM_ReplaceAllMany(benchmark::State& state) { ReplaceAll(state, "word", "WORDS"); }

void BM_UndoReplaceAllMany(benchmark::State& state) {
    Editor& e = TheEditor();
    for (auto _ : state) {
        state.PauseTiming();
        e.Restore();
        e.Memo().ReplaceAll("word", "WORDS");
        e.Flush();
        state.ResumeTiming();
        if (!e.Memo().Undo()) state.SkipWithError("nothing to undo");
        e.Flush();
    }
    e.Restore();
}

}  // namespace

BENCHMARK(BM_FindPass)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_FindPassOnTheJoinedText)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_ReplaceAllAbsent)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_ReplaceAllFew)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_ReplaceAllMany)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_UndoReplaceAllMany)->Unit(benchmark::kMillisecond)->MinTime(1.0);
