// Character input of TThaimemo: the key-press stage with its three input modes (English layout,
// Thai layout, "Thai on A..Z") and the insertion of one character by the mark rule; a character
// typed over a selection replaces it.
#include "editor/thaimemo.h"

#include <algorithm>
#include <string>

#include "editor/thailist_keymouse.h"
#include "script/keytables.h"
#include "script/thai.h"

TThaimemo::TThaimemo() { KeepHistory(); }

TThaimemo::TThaimemo(TextDocument& document) : TThailist(document) { KeepHistory(); }

void TThaimemo::KeyPress(unsigned char& key) {
    const EditStep typing(*this, true);
    const bool offerShown = ThaiOnAZ && PendingLetter != 0;
    if (TakeOffer(key)) return;
    const int line = CursorLine, col = CursorCol;
    InsertChar(key);
    // A confirmed mark joins the cell before the cursor, which is all InsertChar repaints; the
    // highlighted offer still standing in the cursor cell is cleared here.
    if (offerShown && CursorLine == line && CursorCol == col) RepaintCursorCell();
}

bool TThaimemo::MarkRefusedAt(int line, int col, unsigned char key) const {
    if (!thai::CombiningMarks.contains(key) || col <= 0 || line >= LineCount()) return false;
    std::string head = Lines[line];
    if (thai::CellCount(head) < col) return false;  // right of the line's end: spaces come first
    const int p = thai::CellToPos(head, col);
    if (p < 2) return false;
    head.resize(static_cast<size_t>(p - 1));
    const std::string before = head;
    thai::AttachMark(head, p, key);
    return head == before;
}

void TThaimemo::InsertChar(unsigned char key) {
    if (!thai::Insertable(key)) return;

    int start = 0, length = 0;
    if (SelectionRange(start, length)) {
        // The character replaces the selection. A mark goes by the mark rule at the selection's
        // start, with the cell before it; refused there, it changes nothing and the selection stays.
        const bool anchorFirst = AnchorPos < ExtentPos;
        if (MarkRefusedAt(anchorFirst ? AnchorLine : ExtentLine, anchorFirst ? AnchorCol : ExtentCol, key)) return;
        HideCaret();
        DeleteSelection();
        BlankEmptyViewFrom(*this, 0);
    }
    HideCaret();
    ClearSelection();
    while (LineCount() <= CursorLine) Lines.Add(std::string());

    const std::string& stored = Lines[CursorLine];
    std::string line = stored;
    const int row = CursorLine - TopLine;

    if (thai::TypeByte(line, CursorCol, key) == thai::Typed::Joined) {
        // A vowel or tone mark joined the cell before the cursor; the cursor stays. A refused
        // mark (or a mark that changes nothing) leaves the text and its changed flag alone.
        if (line != stored) {
            Lines.Set(CursorLine, line);
            PaintRows(row, row, CursorCol - 1 - LeftCol, CursorCol - 1 - LeftCol);
        }
    } else {
        // Anything else (also a mark typed in column 0, which has no cell before it) went in at
        // the cursor, which moves one cell on. In a view scrolled to the right the leftmost
        // visible column has a cell before it, and a mark there follows the mark rule.
        if (line != stored) Lines.Set(CursorLine, line);
        // The cells from the cursor to the line's new end moved; the cell after it takes back
        // the ink a letter at the end may spill. Right of it the row was blank and stays blank.
        PaintRows(row, row, CursorCol - LeftCol, std::min(thai::CellCount(line) - LeftCol, ColCount));
        SetCursor(CursorLine, CursorCol + 1);
    }
    DrawCaret();
}

void TThaimemo::ShowChoice(unsigned char byte) {
    platform::Surface* canvas = Canvas();
    if (!canvas) return;
    canvas->SetFillColor(HighLightColor);
    DrawGlyphAt(*canvas, CursorLine - TopLine, byte, CursorCol - LeftCol);
    canvas->SetFillColor(platform::clWhite);
}

void TThaimemo::SetThaiOnAZ(bool on) {
    const bool wasOn = ThaiOnAZ;
    ThaiOnAZ = on;
    if (on) {
        ShowChoice(0x20);
    } else if (wasOn) {
        WithdrawOffer();  // also removes the blank shown when it was switched on
    } else {
        CancelOffer();
    }
}
