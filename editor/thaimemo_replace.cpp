// Replacing the selection of TThaimemo (used by the currency conversion).
#include "editor/thaimemo.h"

#include "script/thai.h"

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
