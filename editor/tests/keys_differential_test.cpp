// The editor's line-level selection, word movement, delete and paste against the literal
// joined-text algorithms (every line followed by CR LF, offsets found by walking the text, edits
// made on the whole text and split into lines again), on random texts and random sequences of
// keys, clicks, drags and clipboard commands. Two editors get the same actions; the reference
// runs the literal versions. Afterwards both must hold the same lines, cursor, view origin,
// selection, change count, Modified and longest-line count, and every offset and selected text
// of the editor must be what the literal walk gives.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "editor/tests/keys_mouse_fixture.h"
#include "platform/clipboard.h"
#include "script/thai.h"

namespace {

namespace vk = platform::vk;
using keystest::MemoView;

// ---- The literal joined-text algorithms ------------------------------------------------------

namespace literal {

bool IsBreak(unsigned char c) { return thai::WordSeparators.contains(c) || c == '\r' || c == '\n'; }

int Offset(const TThailist& v, const std::string& joined, int line, int col) {
    if (line >= v.LineCount()) return static_cast<int>(joined.size());
    const std::string& t = v.Lines[line];
    col = std::clamp(col, 0, thai::CellCount(t));
    return TThailist::LineStartPos(joined, line) + thai::CellToPos(t, col) - 1;
}

void CursorToOffset(TThailist& v, const std::string& joined, int offset) {
    if (offset >= static_cast<int>(joined.size())) return v.SetCursor(v.LineCount(), 0);
    const thai::LineCol lc = thai::OffsetToLineCol(joined, offset);
    const int line = std::min(lc.line, v.LineCount() - 1);
    v.SetCursor(line, thai::PosToCell(v.Lines[line], lc.col + 1));
}

void NextWord(TThailist& v) {
    if (v.CursorLine >= v.LineCount()) return;
    const std::string joined = v.JoinedText();
    const int n = static_cast<int>(joined.size());
    int i = Offset(v, joined, v.CursorLine, v.CursorCol);
    while (i < n && !IsBreak(static_cast<unsigned char>(joined[i]))) ++i;
    while (i < n && IsBreak(static_cast<unsigned char>(joined[i]))) ++i;
    CursorToOffset(v, joined, i);
}

void PrevWord(TThailist& v) {
    if (v.LineCount() == 0) return;
    const std::string joined = v.JoinedText();
    const int p = Offset(v, joined, v.CursorLine, v.CursorCol);
    int result = 0;
    if (p > 0) {
        int i = p - 1;
        while (i > 0 && IsBreak(static_cast<unsigned char>(joined[i]))) --i;
        while (i > 0 && !IsBreak(static_cast<unsigned char>(joined[i]))) --i;
        result = i > 0 ? i + 1 : 0;
    }
    CursorToOffset(v, joined, result);
}

std::string SelectedText(const TThailist& v) {
    int start = 0, length = 0;
    if (!v.SelectionRange(start, length)) return {};
    const std::string joined = v.JoinedText();
    return joined.substr(std::min(static_cast<size_t>(start), joined.size()), static_cast<size_t>(length));
}

void DeleteSelection(TThailist& v) {
    int start = 0, length = 0;
    if (!v.SelectionRange(start, length)) return;
    const bool anchorFirst = v.AnchorPos < v.ExtentPos;
    const int line = anchorFirst ? v.AnchorLine : v.ExtentLine;
    const int col = anchorFirst ? v.AnchorCol : v.ExtentCol;
    std::string joined = v.JoinedText();
    joined.erase(std::min(static_cast<size_t>(start), joined.size()), static_cast<size_t>(length));
    v.Lines.Assign(SplitLines(joined));
    v.Selecting = false;
    v.SetCursor(line, col);
}

void Paste(TThailist& v, std::string clip) {
    if (!platform::ClipboardHasText()) return;
    if (const size_t nul = clip.find('\0'); nul != std::string::npos) clip.resize(nul);
    DeleteSelection(v);  // the pasted text replaces the selection
    v.ClearSelection();
    while (v.CursorLine >= v.LineCount()) v.Lines.Add(std::string());
    std::string line = v.Lines[v.CursorLine];
    const int cells = thai::CellCount(line);
    if (cells < v.CursorCol) {
        line.append(static_cast<size_t>(v.CursorCol - cells), ' ');
        v.Lines.Set(v.CursorLine, line);
    }
    std::string joined = v.JoinedText();
    const int at = TThailist::LineStartPos(joined, v.CursorLine) + thai::CellToPos(line, v.CursorCol) - 1;
    joined.insert(static_cast<size_t>(at), clip);
    v.Lines.Assign(SplitLines(joined));
}

}  // namespace literal

// ---- Random texts and actions ------------------------------------------------------------------

class Differential : public ::testing::Test {
protected:
    Differential() : fast(QPoint(0, 0), QSize(260, 150)), reference(QPoint(300, 0), QSize(260, 150)) {
        fastWatch = Count(*fast, fastChanges);
        referenceWatch = Count(*reference, referenceChanges);
    }

    // A second watcher of the control's document, beside the control itself.
    static TextDocument::Watch Count(TThailist& v, int& changes) {
        return v.Document().AddWatcher({.textChanged = [&changes](int) { ++changes; }});
    }

    std::string RandomBytes(int maxLength) {
        // Thai consonants, leading vowels, marks, the word separators and Latin letters.
        static const std::string alphabet =
            "\xA1\xA2\xA4\xA7\xB9\xC1\xC3\xCA\xE0\xE1\xD2\xD3\xD1\xD4\xD5\xD8\xE8\xE9\xEA \t,.;abxyz-";
        std::string s;
        const int n = static_cast<int>(rng() % static_cast<unsigned>(maxLength + 1));
        for (int i = 0; i < n; ++i) s += alphabet[rng() % alphabet.size()];
        return s;
    }
    std::vector<std::string> RandomText() {
        std::vector<std::string> lines(rng() % 14);
        for (std::string& l : lines) l = RandomBytes(rng() % 3 == 0 ? 2 : 14);
        return lines;
    }
    std::string RandomClip() {
        static const char* const breaks[] = {"\r\n", "\n", "\r", "\n\r", ""};
        std::string s;
        const int pieces = static_cast<int>(rng() % 4);
        for (int i = 0; i < pieces; ++i) s += RandomBytes(6) + breaks[rng() % 5];
        if (rng() % 10 == 0) s += std::string(1, '\0') + "after the end";
        return s;
    }
    int Pick(int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); }

    void Both(const std::function<void(TThaimemo&)>& action) {
        action(*reference);
        action(*fast);
    }
    static void Key(TThaimemo& m, int key, platform::ShiftState s) { m.KeyDown(key, s); }

    // The key handler's steps around an action, as the reference runs them.
    static void AroundAction(TThaimemo& r, platform::ShiftState s, bool selectionKey,
                             const std::function<void()>& action) {
        r.CancelOffer();
        r.SetCursor(r.CursorLine, r.CursorCol);
        r.HideCaret();
        if (selectionKey) {
            if (s.shift)
                r.StartSelection();
            else
                r.ClearSelection();
        }
        action();
        if (s.shift) r.ExtendSelection();
        r.DrawCaret();
    }

    // One random action on both editors; returns its name for failure messages.
    std::string Step() {
        const platform::ShiftState shift{.shift = Pick(2) == 0};
        switch (Pick(17)) {
        case 0:
        case 1: {
            const bool next = Pick(2) == 0;
            platform::ShiftState s = shift;
            s.ctrl = true;
            AroundAction(*reference, s, true, [&] { next ? literal::NextWord(*reference) : literal::PrevWord(*reference); });
            Key(*fast, next ? vk::Right : vk::Left, s);
            return next ? "Ctrl+Right" : "Ctrl+Left";
        }
        case 2:
        case 3: {
            static const int keys[] = {vk::Up, vk::Down, vk::Left, vk::Right, vk::Prior, vk::Next, vk::Home, vk::End};
            const int key = keys[Pick(8)];
            Both([&](TThaimemo& m) { Key(m, key, shift); });
            return "movement key " + std::to_string(key) + (shift.shift ? " with Shift" : "");
        }
        case 4: {
            // Delete removes a selection; otherwise it takes the cursor cell apart.
            int start = 0, length = 0;
            if (reference->SelectionRange(start, length))
                AroundAction(*reference, {}, false, [&] { literal::DeleteSelection(*reference); });
            else
                Key(*reference, vk::Delete, {});
            Key(*fast, vk::Delete, {});
            return "Delete";
        }
        case 5: Both([](TThaimemo& m) { Key(m, vk::Back, {}); }); return "Backspace";
        case 6: Both([](TThaimemo& m) { Key(m, vk::Return, {}); }); return "Return";
        case 7: {
            const std::string want = literal::SelectedText(*reference);
            literal::DeleteSelection(*reference);
            platform::SetClipboardText("unchanged");
            fast->CutSelection();
            EXPECT_EQ(platform::ClipboardText(), want.empty() ? "unchanged" : want);
            return "Cut";
        }
        case 8: {
            const std::string clip = RandomClip();
            platform::SetClipboardText(clip);
            literal::Paste(*reference, clip);
            fast->Paste();
            return "Paste";
        }
        case 9: {
            // A click on a random cell of the view, right of the lines' ends and below the text too.
            const int x = Pick(fast->ColCount) * fast->CellWidth + 1, y = Pick(fast->RowCount) * fast->RowHeight + 1;
            Both([&](TThaimemo& m) {
                m.HostMouseDown(platform::MouseButton::Left, {.left = true}, x, y);
                m.HostMouseUp(platform::MouseButton::Left, {}, x, y);
            });
            return "click";
        }
        case 10: {
            // A left drag: pressed on a cell, moved to a neighbour, then on to random cells.
            const int x = Pick(fast->ColCount) * fast->CellWidth + 1, y = Pick(fast->RowCount) * fast->RowHeight + 1;
            std::vector<std::pair<int, int>> moves{{x + fast->CellWidth, y}};
            for (int i = Pick(4); i >= 0; --i)
                moves.emplace_back(Pick(fast->ColCount) * fast->CellWidth + 1, Pick(fast->RowCount) * fast->RowHeight + 1);
            Both([&](TThaimemo& m) {
                m.HostMouseDown(platform::MouseButton::Left, {.left = true}, x, y);
                for (auto [mx, my] : moves) m.HostMouseMove({.left = true}, mx, my);
                m.HostMouseUp(platform::MouseButton::Left, {}, moves.back().first, moves.back().second);
            });
            return "drag";
        }
        case 11: {
            unsigned char c = static_cast<unsigned char>(RandomBytes(1).append("a")[0]);
            Both([&](TThaimemo& m) {
                unsigned char k = c;
                m.KeyPress(k);
            });
            return "typed character";
        }
        case 12: {
            const int which = Pick(4);
            Both([&](TThaimemo& m) {
                if (which == 0) m.SelectWord();
                if (which == 1) m.SelectLine();
                if (which == 2) m.SelectAll();
                if (which == 3) m.SelectCursorLine();
            });
            return "selection command " + std::to_string(which);
        }
        case 14: {
            // Any byte range of the joined text replaced, also from or to the middle of a CR LF.
            const int size = reference->Lines.StartOf(reference->LineCount());
            const int from = Pick(size + 2), to = from + Pick(8);
            const std::string text = RandomClip();
            std::string joined = reference->JoinedText();
            const size_t at = std::min(static_cast<size_t>(from), joined.size());
            joined.replace(at, static_cast<size_t>(to - from), text.substr(0, text.find('\0')));
            reference->Lines.Assign(SplitLines(joined));
            fast->ReplaceJoined(from, to, text.substr(0, text.find('\0')), Pick(fast->LineCount() + 1));
            return "bytes " + std::to_string(from) + " to " + std::to_string(to) + " replaced";
        }
        case 13: {
            const bool end = Pick(2) == 0;
            platform::ShiftState s = shift;
            s.ctrl = true;
            Both([&](TThaimemo& m) { Key(m, end ? vk::End : vk::Home, s); });
            return "Ctrl+Home/End";
        }
        default: {
            // The cursor put anywhere, also right of a line's end and below the last line.
            const int line = Pick(fast->LineCount() + 3), col = Pick(20);
            Both([&](TThaimemo& m) {
                m.HideCaret();
                m.SetCursor(line, col);
                m.DrawCaret();
            });
            return "cursor placed";
        }
        }
    }

    void ExpectSame(const std::string& what) {
        TThaimemo& f = *fast;
        TThaimemo& r = *reference;
        ASSERT_EQ(f.LineCount(), r.LineCount()) << what;
        for (int i = 0; i < f.LineCount(); ++i) ASSERT_EQ(f.Lines[i], r.Lines[i]) << what << ", line " << i;
        EXPECT_EQ(std::tuple(f.CursorLine, f.CursorCol, f.TopLine, f.LeftCol),
                  std::tuple(r.CursorLine, r.CursorCol, r.TopLine, r.LeftCol)) << what;
        EXPECT_EQ(f.Selecting, r.Selecting) << what;
        EXPECT_EQ(std::tuple(f.AnchorLine, f.AnchorCol, f.AnchorPos, f.ExtentLine, f.ExtentCol, f.ExtentPos),
                  std::tuple(r.AnchorLine, r.AnchorCol, r.AnchorPos, r.ExtentLine, r.ExtentCol, r.ExtentPos)) << what;
        EXPECT_EQ(std::tuple(f.Modified, f.MaxLineLen, fastChanges), std::tuple(r.Modified, r.MaxLineLen, referenceChanges)) << what;

        // The editor's offsets, line index and selected text against a walk of the joined text.
        const std::string joined = f.JoinedText();
        if (f.Selecting) {
            EXPECT_EQ(f.AnchorPos, literal::Offset(f, joined, f.AnchorLine, f.AnchorCol)) << what;
            EXPECT_EQ(f.ExtentPos, literal::Offset(f, joined, f.ExtentLine, f.ExtentCol)) << what;
        }
        EXPECT_EQ(f.SelectedText(), literal::SelectedText(f)) << what;
        const int line = Pick(f.LineCount() + 2);
        EXPECT_EQ(f.Lines.StartOf(line), TThailist::LineStartPos(joined, line)) << what;
        const int offset = Pick(static_cast<int>(joined.size()) + 3);
        const int holding = static_cast<int>(std::count(joined.begin(), joined.begin() + std::min<size_t>(offset, joined.size()), '\n'));
        EXPECT_EQ(f.Lines.LineOfOffset(offset, Pick(f.LineCount() + 1)), holding) << what << ", offset " << offset;
    }

    MemoView fast;
    MemoView reference;
    int fastChanges = 0;
    int referenceChanges = 0;
    TextDocument::Watch fastWatch, referenceWatch;
    std::mt19937 rng;
};

TEST_F(Differential, LineLevelEditingMatchesTheJoinedTextAlgorithms) {
    for (unsigned seed = 1; seed <= 60; ++seed) {
        rng.seed(seed);
        const std::vector<std::string> text = RandomText();
        fast.SetText(text);
        reference.SetText(text);
        fastChanges = referenceChanges = 0;
        std::string history;
        for (int step = 0; step < 120; ++step) {
            history += Step() + "; ";
            ExpectSame("seed " + std::to_string(seed) + " after " + history);
            if (HasFailure()) return;
        }
    }
}

}  // namespace
