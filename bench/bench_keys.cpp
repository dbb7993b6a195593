// Keys, mouse actions and clipboard commands of the editor on the 400,000-line, 20 MB text, at
// its end and in its middle: typing, moving the caret, word movement, scrolling and paging,
// starting and extending a selection, clicks and a drag step, deleting, cutting and pasting a
// 20-line selection, Return. Each iteration is one key or action, its repaint included (the
// drawing into the window's image, any repaint a scroll asks for, and the window's paint event
// that copies the changed pixels to the screen); what puts the text back afterwards is not timed.
// The counter "pixels" is what a key hands to the screen: the pixels its paint events copied
// from the window's image, per iteration. The view is the editor window at the size the program
// opens it (640 x 380) or full screen (1920 x 1080): keys that repaint the rows below the cursor
// or the whole view cost more on the larger one.
// Target: under 0.3 ms a key.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QScrollBar>
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench/large_text.h"
#include "editor/lines.h"
#include "editor/thaimemo.h"
#include "platform/clipboard.h"
#include "platform/qt_host.h"
#include "script/customthai.h"
#include "script/thai.h"
#include "testing/host_paint.h"

namespace {

namespace vk = platform::vk;

const std::vector<std::string>& LargeLines() {
    static const std::vector<std::string> lines = SplitLines(bench::LargeText());
    return lines;
}

enum Where { kEnd = 0, kMiddle = 1 };

enum View { kProgramWindow = 0, kFullScreen = 1 };

class Editor {
public:
    explicit Editor(View view) {
        CreateGlyphImages();
        host_ = std::make_unique<platform::ThaiHost>();
        if (view == kFullScreen)
            host_->resize(1920, 1080);
        else
            host_->resize(640, 380);
        host_->show();
        QApplication::processEvents();
        memo_ = std::make_unique<TThaimemo>();
        memo_->Attach(host_.get());
        memo_->Lines.Assign(LargeLines());
        testhost::PaintPending(*host_);
    }
    TThaimemo& Memo() { return *memo_; }
    // The line a benchmark works at: the middle of the text, or near its end with the last line
    // in view.
    int LineAt(Where where) const { return where == kMiddle ? bench::kLargeLines / 2 : bench::kLargeLines - 3; }
    // The cursor on (line, col) in the middle row of the view (no scrolling needed to show it).
    void Show(int line, int col) {
        memo_->ClearSelection();
        ShowFrom(line - memo_->RowCount / 2);
        memo_->SetCursor(line, col);
        Flush();
    }
    // Scrolls the view to show `top` in its first row (a whole repaint, only when it moves).
    void ShowFrom(int top) {
        top = std::max(top, 0);
        if (memo_->TopLine == top) return;
        memo_->TopLine = top;
        memo_->SetScrollPositions();
        host_->Invalidate();
        Flush();
    }
    void Key(int key, platform::ShiftState shift = {}) {
        memo_->KeyDown(key, shift);
        Flush();
    }
    void Type(unsigned char ch) {
        int key = vk::KeyA;
        memo_->KeyDown(key, {});
        memo_->KeyPress(ch);
        Flush();
    }
    // Runs the repaints the action asked for and the paint event that shows them.
    void Flush() {
        testhost::PaintPending(*host_);
        QApplication::processEvents();
    }
    long long PixelsPushed() const { return host_->PixelsPushed(); }
    // The user moves the vertical scroll bar by `pixels`.
    void UserScroll(int pixels) {
        host_->verticalScrollBar()->setValue(host_->verticalScrollBar()->value() + pixels);
        Flush();
    }
    // Selects from (line, col) to (line + 20, col).
    // The view shows the selection's start in its third row: on a view of fewer than 23 rows
    // its end lies below it, and deleting the selection scrolls back.
    void SelectTwentyLines(int line, int col) {
        memo_->ClearSelection();
        ShowFrom(line - 2);
        memo_->SetCursor(line, col);
        memo_->StartSelection();
        memo_->SetCursor(line + 20, col);
        memo_->ExtendSelection();
        Flush();
    }
    // Puts lines [line, line + 21) back as they were in the original text.
    void RestoreLines(int line, int removedLines, int addedLines) {
        TLines& l = memo_->Lines;
        for (int i = 0; i < addedLines; ++i) l.Delete(line);
        for (int i = 0; i < removedLines; ++i) l.Insert(line, std::string());
        for (int i = 0; i <= 20 && line + i < l.Count(); ++i) l.Set(line + i, LargeLines()[static_cast<size_t>(line + i)]);
    }

private:
    std::unique_ptr<platform::ThaiHost> host_;
    std::unique_ptr<TThaimemo> memo_;
};

Where At(const benchmark::State& state) { return static_cast<Where>(state.range(0)); }

// One editor per view size, made on first use. They are left to the end of the process: the
// windows must not be destroyed after the application.
Editor& TheEditor(const benchmark::State& state) {
    static Editor* editors[2] = {nullptr, nullptr};
    const auto view = static_cast<View>(state.range(1));
    if (!editors[view]) editors[view] = new Editor(view);
    return *editors[view];
}

// What the timed part of each iteration hands to the screen: run it through Timed.
class Pixels {
public:
    explicit Pixels(Editor& e) : e_(e) {}
    template <class F>
    void Timed(F&& action) {
        const long long before = e_.PixelsPushed();
        action();
        pushed_ += e_.PixelsPushed() - before;
    }
    void Report(benchmark::State& state) const {
        if (state.iterations() > 0)
            state.counters["pixels"] = static_cast<double>(pushed_) / static_cast<double>(state.iterations());
    }

private:
    Editor& e_;
    long long pushed_ = 0;
};

void Label(benchmark::State& state, const Pixels& pixels) {
    state.SetLabel(std::string(At(state) == kMiddle ? "middle" : "end") +
                   (state.range(1) == kFullScreen ? ", 1920 x 1080" : ", 640 x 380"));
    pixels.Report(state);
    if (TheEditor(state).Memo().LineCount() != bench::kLargeLines) state.SkipWithError("the text was not restored");
}

// A key with the cursor at column 10 of the benchmark's line and no selection (a Shift key
// starts one and extends it).
void KeyFromColumn10(benchmark::State& state, int key, platform::ShiftState shift) {
    Editor& e = TheEditor(state);
    Pixels pixels(e);
    const int line = e.LineAt(At(state));
    for (auto _ : state) {
        pixels.Timed([&] {
            e.Show(line, 10);
            e.Key(key, shift);
        });
    }
    Label(state, pixels);
}
void BM_CtrlLeft(benchmark::State& state) { KeyFromColumn10(state, vk::Left, {.ctrl = true}); }
void BM_CtrlRight(benchmark::State& state) { KeyFromColumn10(state, vk::Right, {.ctrl = true}); }
void BM_ShiftUp(benchmark::State& state) { KeyFromColumn10(state, vk::Up, {.shift = true}); }
void BM_ShiftDown(benchmark::State& state) { KeyFromColumn10(state, vk::Down, {.shift = true}); }

// Keys in pairs that leave the text and the view as they were: every iteration is one key, the
// first and the second of the pair by turns. The cursor starts at column 10 of the benchmark's
// line, in the middle row of the view.
void KeyPairs(benchmark::State& state, const std::function<void(Editor&, bool second)>& key) {
    Editor& e = TheEditor(state);
    Pixels pixels(e);
    const int line = e.LineAt(At(state));
    e.Show(line, 10);
    e.Memo().DrawCaret();
    e.Flush();
    bool second = false;
    for (auto _ : state) {
        pixels.Timed([&] { key(e, second); });
        second = !second;
    }
    if (second) key(e, true);
    Label(state, pixels);
}
// A character typed in the middle of a line (column 10), then Backspace takes it out.
void BM_TypeInLine(benchmark::State& state) {
    KeyPairs(state, [](Editor& e, bool second) { second ? e.Key(vk::Back) : e.Type('x'); });
}
// The same at the end of the line.
void BM_TypeAtLineEnd(benchmark::State& state) {
    const int line = TheEditor(state).LineAt(At(state));
    KeyPairs(state, [line](Editor& e, bool second) {
        if (!second) {
            TThaimemo& m = e.Memo();
            m.HideCaret();
            m.SetCursor(line, thai::CellCount(m.Lines[line]));
            m.DrawCaret();
            e.Type('x');
        } else {
            e.Key(vk::Back);
        }
    });
}
// Typing at the end of a line longer than the view, the cursor at its right edge: every character
// moves the view one column right (as typing on at the end of a long line does). The line is put
// back every 100 characters, out of the timing.
void BM_TypePastRightEdge(benchmark::State& state) {
    Editor& e = TheEditor(state);
    Pixels pixels(e);
    const int line = e.LineAt(At(state));
    std::string longLine;
    while (thai::CellCount(longLine) < 300) longLine += LargeLines()[static_cast<size_t>(line)] + " ";
    // The line, with the view at its start and then moved to show its end at the right edge.
    auto startLine = [&](const std::string& text) {
        e.Memo().Lines.Set(line, text);
        e.Show(line, 0);
        e.Memo().SetCursor(line, thai::CellCount(text));
        e.Memo().DrawCaret();
        e.Flush();
    };
    startLine(longLine);
    int typed = 0;
    for (auto _ : state) {
        pixels.Timed([&] { e.Type('x'); });
        if (++typed == 100) {
            state.PauseTiming();
            startLine(longLine);
            typed = 0;
            state.ResumeTiming();
        }
    }
    startLine(LargeLines()[static_cast<size_t>(line)]);
    Label(state, pixels);
}
// Right, then Left: only the caret moves.
void BM_CaretRightLeft(benchmark::State& state) {
    KeyPairs(state, [](Editor& e, bool second) { e.Key(second ? vk::Left : vk::Right); });
}
// Ctrl+Down, then Ctrl+Up: the text scrolls by one row, the cursor keeps its place on screen.
void BM_CtrlDownUp(benchmark::State& state) {
    KeyPairs(state, [](Editor& e, bool second) { e.Key(second ? vk::Up : vk::Down, {.ctrl = true}); });
}
// Page Down, then Page Up.
void BM_PageDownUp(benchmark::State& state) {
    KeyPairs(state, [](Editor& e, bool second) { e.Key(second ? vk::Prior : vk::Next); });
}

// Down with the cursor in the last row: the view scrolls by one row.
void BM_DownAtBottomEdge(benchmark::State& state) {
    Editor& e = TheEditor(state);
    Pixels pixels(e);
    TThaimemo& m = e.Memo();
    const int line = e.LineAt(At(state)) - m.RowCount;
    for (auto _ : state) {
        state.PauseTiming();
        e.Show(line, 10);
        m.HideCaret();
        m.SetCursor(m.TopLine + m.RowCount - 1, 10);
        m.DrawCaret();
        e.Flush();
        state.ResumeTiming();
        pixels.Timed([&] { e.Key(vk::Down); });
    }
    Label(state, pixels);
}

// The user drags the vertical scroll bar by one row, down and up by turns.
void BM_ScrollBarRow(benchmark::State& state) {
    KeyPairs(state, [](Editor& e, bool second) { e.UserScroll(e.Memo().RowHeight * (second ? -1 : 1)); });
}

// Page Down moves the view: the whole view is repainted.
void BM_ShiftPageDown(benchmark::State& state) {
    Editor& e = TheEditor(state);
    Pixels pixels(e);
    TThaimemo& m = e.Memo();
    const int line = At(state) == kMiddle ? bench::kLargeLines / 2 : bench::kLargeLines - 2 * m.RowCount;
    for (auto _ : state) {
        state.PauseTiming();
        e.Show(line, 10);
        m.TopLine = line;
        m.SetCursor(line, 10);
        e.Flush();
        state.ResumeTiming();
        pixels.Timed([&] { e.Key(vk::Next, {.shift = true}); });
    }
    Label(state, pixels);
}

// Clicks alternate between two cells of the view; a Shift+click acts as a click.
void Click(benchmark::State& state, bool shift) {
    Editor& e = TheEditor(state);
    Pixels pixels(e);
    TThaimemo& m = e.Memo();
    e.Show(e.LineAt(At(state)), 10);
    bool other = false;
    for (auto _ : state) {
        const int x = (other ? 30 : 12) * m.CellWidth + 2;
        const int y = (other ? m.RowCount / 2 : 2) * m.RowHeight + 2;
        other = !other;
        pixels.Timed([&] {
            m.HostMouseDown(platform::MouseButton::Left, {.shift = shift, .left = true}, x, y);
            m.HostMouseUp(platform::MouseButton::Left, {.shift = shift}, x, y);
            e.Flush();
        });
    }
    Label(state, pixels);
}
void BM_Click(benchmark::State& state) { Click(state, false); }
void BM_ShiftClick(benchmark::State& state) { Click(state, true); }

// A left drag: the button went down on one cell and the pointer moved on to the next (the
// selection started); every step moves it between two rows further down.
void BM_DragStep(benchmark::State& state) {
    Editor& e = TheEditor(state);
    Pixels pixels(e);
    TThaimemo& m = e.Memo();
    e.Show(e.LineAt(At(state)), 10);
    const int x0 = (m.CursorCol - m.LeftCol) * m.CellWidth + 2;
    const int y0 = (m.CursorLine - m.TopLine) * m.RowHeight + 2;
    m.HostMouseDown(platform::MouseButton::Left, {.left = true}, x0, y0);
    m.HostMouseMove({.left = true}, x0 + m.CellWidth, y0);
    bool other = false;
    for (auto _ : state) {
        const int y = other ? y0 - m.RowHeight : y0 - 2 * m.RowHeight;
        other = !other;
        pixels.Timed([&] {
            m.HostMouseMove({.left = true}, x0 + 20 * m.CellWidth, y);
            e.Flush();
        });
    }
    m.HostMouseUp(platform::MouseButton::Left, {}, x0, y0);
    Label(state, pixels);
}

// Selects 20 lines from column 5, 25 lines above the benchmark's line, and times `action` on the
// selection, its repaint included; then the lines are put back (RestoreLines with the lines the
// action removed and added).
template <class Action>
void OnTwentyLines(benchmark::State& state, int removedLines, int addedLines, Action action) {
    Editor& e = TheEditor(state);
    Pixels pixels(e);
    const int line = e.LineAt(At(state)) - 25;
    for (auto _ : state) {
        state.PauseTiming();
        e.SelectTwentyLines(line, 5);
        state.ResumeTiming();
        pixels.Timed([&] { action(e); });
        state.PauseTiming();
        e.RestoreLines(line, removedLines, addedLines);
        state.ResumeTiming();
    }
    Label(state, pixels);
}

// Delete removes the selection (joining the first line's head and the last line's tail).
void BM_DeleteTwentyLines(benchmark::State& state) {
    OnTwentyLines(state, 20, 0, [](Editor& e) { e.Key(vk::Delete); });
}

// Backspace does not look at the selection: it takes the cell left of the cursor.
void BM_BackspaceTwentyLines(benchmark::State& state) {
    OnTwentyLines(state, 0, 0, [](Editor& e) { e.Key(vk::Back); });
}

void BM_CutTwentyLines(benchmark::State& state) {
    OnTwentyLines(state, 20, 0, [](Editor& e) {
        e.Memo().CutSelection();
        e.Flush();
    });
}

// Paste over the selection: the pasted text replaces it, 20 lines (each with its line break)
// where the selection's 20 line breaks were.
void BM_PasteOverTwentyLines(benchmark::State& state) {
    std::string clip;
    for (int i = 0; i < 20; ++i) clip += LargeLines()[static_cast<size_t>(i)] + "\r\n";
    platform::SetClipboardText(clip);
    OnTwentyLines(state, 20, 20, [](Editor& e) {
        e.Memo().Paste();
        e.Flush();
    });
}

// Return splits the line at column 10.
void BM_Return(benchmark::State& state) {
    Editor& e = TheEditor(state);
    Pixels pixels(e);
    const int line = e.LineAt(At(state));
    for (auto _ : state) {
        state.PauseTiming();
        e.Show(line, 10);
        state.ResumeTiming();
        pixels.Timed([&] { e.Key(vk::Return); });
        state.PauseTiming();
        e.RestoreLines(line, 0, 1);
        state.ResumeTiming();
    }
    Label(state, pixels);
}

#define KEY_BENCHMARK(name) \
    BENCHMARK(name)->ArgsProduct({{kEnd, kMiddle}, {kProgramWindow, kFullScreen}})->Unit(benchmark::kMicrosecond)->MinTime(0.2)
KEY_BENCHMARK(BM_TypeInLine);
KEY_BENCHMARK(BM_TypeAtLineEnd);
KEY_BENCHMARK(BM_TypePastRightEdge);
KEY_BENCHMARK(BM_CaretRightLeft);
KEY_BENCHMARK(BM_CtrlDownUp);
KEY_BENCHMARK(BM_PageDownUp);
KEY_BENCHMARK(BM_DownAtBottomEdge);
KEY_BENCHMARK(BM_ScrollBarRow);
KEY_BENCHMARK(BM_CtrlLeft);
KEY_BENCHMARK(BM_CtrlRight);
KEY_BENCHMARK(BM_ShiftUp);
KEY_BENCHMARK(BM_ShiftDown);
KEY_BENCHMARK(BM_ShiftPageDown);
KEY_BENCHMARK(BM_Click);
KEY_BENCHMARK(BM_ShiftClick);
KEY_BENCHMARK(BM_DragStep);
KEY_BENCHMARK(BM_DeleteTwentyLines);
KEY_BENCHMARK(BM_BackspaceTwentyLines);
KEY_BENCHMARK(BM_CutTwentyLines);
KEY_BENCHMARK(BM_PasteOverTwentyLines);
KEY_BENCHMARK(BM_Return);

}  // namespace
