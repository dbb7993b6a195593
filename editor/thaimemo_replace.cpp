// Replacing text in TThaimemo: the selection by a given text (the currency conversion), the
// occurrence a search found (then the next one is found), and every occurrence at once.
#include <algorithm>
#include <string>
#include <vector>

#include "editor/thailist_keymouse.h"
#include "editor/thaimemo.h"
#include "script/thai.h"

namespace {

bool HoldsLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

// A line break in the text stays a line break; a NUL would end the joined text: the text ends
// before it.
std::string_view UpToNul(std::string_view s) { return s.substr(0, s.find('\0')); }

// `line` with every occurrence of `pattern` replaced, left to right without overlapping, from the
// first one at `first`; `count` grows by the number replaced.
std::string ReplacedLine(std::string_view line, size_t first, std::string_view pattern, std::string_view replacement,
                         int& count) {
    std::string out;
    out.reserve(line.size() + replacement.size());
    size_t from = 0;
    for (size_t at = first; at != std::string_view::npos; at = line.find(pattern, from)) {
        out.append(line, from, at - from);
        out.append(replacement);
        from = at + pattern.size();
        ++count;
    }
    out.append(line, from);
    return out;
}

}  // namespace

void TThaimemo::ReplaceSelection(std::string_view s) {
    const EditStep step(*this);
    DeleteSelection();
    // Only a line that exists can take the text; the callers replace a selection on one.
    if (CursorLine < 0 || CursorLine >= LineCount()) return;
    std::string line = Lines[CursorLine];
    // Right of the line's end the text goes directly after its last byte; the gap is not filled.
    const int pos = thai::CellToPos(line, CursorCol);
    line.insert(static_cast<size_t>(pos - 1), s);
    Lines.Set(CursorLine, std::move(line));
    const int row = CursorLine - TopLine;
    PaintRows(row, row, CursorCol - LeftCol, ColCount);
    DrawCaret();
}

TThaimemo::ReplaceResult TThaimemo::ReplaceNext(std::string_view pattern, std::string_view replacement) {
    ReplaceResult result;
    if (pattern.empty()) return result;
    replacement = UpToNul(replacement);
    const EditStep step(*this);

    // The occurrence to replace: the one the last search selected, if the selection and the text
    // there are still as it left them; else a selection that is an occurrence.
    int start = 0, length = 0;
    std::optional<TextPoint> at;
    if (SelectionRange(start, length)) {
        const Match& m = found_;
        if (m.line >= 0 && m.line < LineCount() && AnchorPos == m.anchorPos && ExtentPos == m.extentPos &&
            m.length == static_cast<int>(pattern.size()) && static_cast<size_t>(m.col) <= Lines[m.line].size() &&
            std::string_view(Lines[m.line]).substr(static_cast<size_t>(m.col), pattern.size()) == pattern)
            at = TextPoint{m.line, m.col};
        else if (SelectedText() == pattern)
            at = SelectionStart();
    }
    if (!at) {
        result.found = FindNext(pattern);
        return result;
    }

    HideCaret();
    ClearSelection();
    const int offset = Lines.StartOf(at->line) + at->col;
    if (HoldsLineBreak(pattern) || HoldsLineBreak(replacement)) {
        ReplaceJoined(offset, offset + static_cast<int>(pattern.size()), replacement, at->line);
        const int row = std::max(at->line - TopLine, 0);
        if (row <= RowCount) PaintRows(row, RowCount, 0, ColCount);
        BlankEmptyViewFrom(*this, row);
    } else {
        std::string line = Lines[at->line];
        line.replace(static_cast<size_t>(at->col), pattern.size(), replacement);
        // A mark at the start of the replacement joins the cell before: that cell is drawn again.
        const int cell = thai::PosToCell(line, at->col + 1);
        Lines.Set(at->line, std::move(line));
        const int row = at->line - TopLine;
        if (row >= 0 && row <= RowCount) PaintRows(row, row, std::max(cell - LeftCol, 0), ColCount);
    }
    result.replaced = true;
    // The search goes on behind the replacement, which is never searched itself.
    const TextPoint after = PointAt(offset + static_cast<int>(replacement.size()), at->line);
    result.found = FindFrom(pattern, after);
    return result;
}

int TThaimemo::ReplaceAll(std::string_view pattern, std::string_view replacement) {
    if (pattern.empty()) return 0;
    replacement = UpToNul(replacement);
    const EditStep step(*this);
    HideCaret();
    ClearSelection();

    int count = 0;
    if (HoldsLineBreak(pattern) || HoldsLineBreak(replacement)) {
        const std::string joined = JoinedText();
        const size_t first = joined.find(pattern);
        if (first != std::string::npos) {
            const std::string out = ReplacedLine(joined, first, pattern, replacement, count);
            ReplaceJoined(0, static_cast<int>(joined.size()), out, 0);
        }
    } else {
        // Runs of neighbouring lines that change are replaced together: one change of the lines
        // each, so the history keeps one change per run and only the lines that changed.
        DeferScrollRanges(true);
        std::vector<std::string> run;
        int runStart = 0;
        auto flush = [&] {
            if (run.empty()) return;
            const int n = static_cast<int>(run.size());
            Lines.Replace(runStart, n, std::move(run));
            run.clear();
        };
        for (int i = 0; i < LineCount(); ++i) {
            const std::string_view t = Lines[i];
            const size_t first = t.find(pattern);
            if (first == std::string_view::npos) {
                flush();
                continue;
            }
            if (run.empty()) runStart = i;
            run.push_back(ReplacedLine(t, first, pattern, replacement, count));
        }
        flush();
        DeferScrollRanges(false);
    }

    if (count > 0) {
        SetCursor(CursorLine, CursorCol);
        PaintRows(0, RowCount, 0, ColCount);
        BlankEmptyViewFrom(*this, 0);
    }
    DrawCaret();
    return count;
}
