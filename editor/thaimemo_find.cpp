// Finding text in the editor: the next exact occurrence of a byte pattern from the cursor on,
// selected, and after the last one the search starts again from the top.
#include <string>

#include "editor/thailist_keymouse.h"
#include "editor/thaimemo.h"
#include "script/thai.h"

int TThaimemo::SearchFrom(std::string_view pattern, std::string_view text, int start) {
    if (pattern.empty() || start < 0 || static_cast<size_t>(start) >= text.size()) return 0;
    const size_t found = text.find(pattern, static_cast<size_t>(start));
    return found == std::string_view::npos ? 0 : static_cast<int>(found) + 1;
}

bool TThaimemo::FindNext(std::string_view pattern) {
    ClearSelection();
    if (pattern.empty()) return false;
    // The view repaints itself when the search scrolled it to the match.

    if (CursorLine >= LineCount()) {
        HideCaret();
        CursorLine = 0;
        CursorCol = 0;
    }
    const std::string joined = JoinedText();
    const std::string line = CursorLine < LineCount() ? Lines[CursorLine] : std::string();
    // The byte under the cursor; for a cursor right of the line's end, the line's CR.
    const int start = LineStartPos(joined, CursorLine) + thai::CellToPos(line, CursorCol) - 1;
    const int m = SearchFrom(pattern, joined, start);

    HideCaret();
    if (m == 0) {
        // Nothing tells the user; the next search starts from the top of the text.
        CursorLine = 0;
        CursorCol = 0;
        DrawCaret();
        return false;
    }

    const thai::LineCol at = thai::OffsetToLineCol(joined, m - 1);
    const int L = at.line;
    const std::string& text = Lines[L];
    CursorLine = L;
    const int f = thai::PosToCell(text, at.col + 1);
    CursorCol = f;
    if (f < LeftCol) SetCursor(L, f);  // the view scrolls left to the match
    StartSelection();
    const int e = thai::PosToCell(text, at.col + static_cast<int>(pattern.size())) + 1;
    CursorCol = e;
    ExtendSelection();
    SetCursor(L, e);  // the view scrolls to show the end of the match
    HighlightRange(L, L, f, e);
    DrawCaret();
    return true;
}
