// Finding text in the editor: the next exact occurrence of a byte pattern from the cursor on, or
// the previous one before the selection, selected; after the last one the search starts again
// from the other end.
//
// A pattern without line breaks (all that the find window's one-line field can hold) is looked
// for line by line, without building the joined text; one with a line break in the joined text.
#include <string>

#include "editor/thailist_keymouse.h"
#include "editor/thaimemo.h"
#include "script/thai.h"

namespace {

bool HoldsLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

}  // namespace

int TThaimemo::SearchFrom(std::string_view pattern, std::string_view text, int start) {
    if (pattern.empty() || start < 0 || static_cast<size_t>(start) >= text.size()) return 0;
    const size_t found = text.find(pattern, static_cast<size_t>(start));
    return found == std::string_view::npos ? 0 : static_cast<int>(found) + 1;
}

std::optional<TThailist::TextPoint> TThaimemo::SearchForward(std::string_view pattern, TextPoint from) const {
    if (pattern.empty() || from.line >= LineCount()) return std::nullopt;
    if (HoldsLineBreak(pattern)) {
        const std::string joined = JoinedText();
        const int m = SearchFrom(pattern, joined, Lines.StartOf(from.line) + from.col);
        if (m == 0) return std::nullopt;
        return PointAt(m - 1, from.line);
    }
    for (int i = from.line; i < LineCount(); ++i) {
        const std::string_view t = Lines[i];
        const size_t col = i == from.line ? static_cast<size_t>(from.col) : 0;
        if (col > t.size()) continue;  // on the line's CR or LF
        const size_t found = t.find(pattern, col);
        if (found != std::string_view::npos) return TextPoint{i, static_cast<int>(found)};
    }
    return std::nullopt;
}

std::optional<TThailist::TextPoint> TThaimemo::SearchBackward(std::string_view pattern, TextPoint before) const {
    if (pattern.empty() || LineCount() == 0) return std::nullopt;
    if (before.line >= LineCount()) before = {LineCount() - 1, static_cast<int>(Lines[LineCount() - 1].size()) + 2};
    if (HoldsLineBreak(pattern)) {
        const std::string joined = JoinedText();
        const int start = Lines.StartOf(before.line) + before.col;
        if (start <= 0) return std::nullopt;
        const size_t found = std::string_view(joined).rfind(pattern, static_cast<size_t>(start - 1));
        if (found == std::string_view::npos) return std::nullopt;
        return PointAt(static_cast<int>(found), before.line);
    }
    for (int i = before.line; i >= 0; --i) {
        const std::string_view t = Lines[i];
        size_t last = std::string_view::npos;
        if (i == before.line) {
            if (before.col <= 0) continue;
            last = static_cast<size_t>(before.col - 1);
        }
        const size_t found = t.rfind(pattern, last);
        if (found != std::string_view::npos) return TextPoint{i, static_cast<int>(found)};
    }
    return std::nullopt;
}

bool TThaimemo::Contains(std::string_view pattern) const { return SearchForward(pattern, {0, 0}).has_value(); }

bool TThaimemo::FindNext(std::string_view pattern) {
    ClearSelection();
    if (pattern.empty()) return false;
    // The view repaints itself when the search scrolled it to the match.

    if (CursorLine >= LineCount()) {
        HideCaret();
        CursorLine = 0;
        CursorCol = 0;
    }
    // The byte under the cursor; for a cursor right of the line's end, the line's CR.
    const int col = CursorLine < LineCount() ? thai::CellToPos(Lines[CursorLine], CursorCol) - 1 : 0;
    return FindFrom(pattern, {CursorLine, col});
}

bool TThaimemo::FindFrom(std::string_view pattern, TextPoint from) {
    const std::optional<TextPoint> at = SearchForward(pattern, from);
    HideCaret();
    if (!at) {
        // The next search starts from the top of the text.
        CursorLine = 0;
        CursorCol = 0;
        DrawCaret();
        return false;
    }
    SelectMatch(*at, static_cast<int>(pattern.size()));
    return true;
}

TThailist::TextPoint TThaimemo::SelectionStart() const {
    const bool anchorFirst = AnchorPos < ExtentPos;
    const int line = anchorFirst ? AnchorLine : ExtentLine;
    const int col = anchorFirst ? AnchorCol : ExtentCol;
    if (line >= LineCount()) return {LineCount(), 0};
    return {line, thai::CellToPos(Lines[line], col) - 1};
}

bool TThaimemo::FindPrevious(std::string_view pattern) {
    if (pattern.empty()) {
        ClearSelection();
        return false;
    }
    int start = 0, length = 0;
    TextPoint before{LineCount(), 0};
    if (SelectionRange(start, length))
        before = SelectionStart();
    else if (CursorLine < LineCount())
        before = {CursorLine, thai::CellToPos(Lines[CursorLine], CursorCol) - 1};
    ClearSelection();
    const std::optional<TextPoint> at = SearchBackward(pattern, before);
    HideCaret();
    if (!at) {
        // The next search backwards starts from the end of the text.
        CursorLine = LineCount();
        CursorCol = 0;
        DrawCaret();
        return false;
    }
    SelectMatch(*at, static_cast<int>(pattern.size()));
    return true;
}

void TThaimemo::SelectMatch(TextPoint at, int length) {
    const int L = at.line;
    const std::string& text = Lines[L];
    CursorLine = L;
    const int f = thai::PosToCell(text, at.col + 1);
    CursorCol = f;
    if (f < LeftCol) SetCursor(L, f);  // the view scrolls left to the match
    StartSelection();
    const int e = thai::PosToCell(text, at.col + length) + 1;
    CursorCol = e;
    ExtendSelection();
    SetCursor(L, e);  // the view scrolls to show the end of the match
    HighlightRange(L, L, f, e);
    DrawCaret();
    found_ = {L, at.col, length, AnchorPos, ExtentPos};
}
