// The model of TThailist: the cursor in display cells, the view origin and the selection over its
// document's lines, and loading and saving the document's file with the view put back. Drawing goes through the painting operations
// (thailist_paint.cpp), which do nothing while the control has no host.
#include "editor/thailist.h"

#include <algorithm>
#include <cstring>

#include "platform/clipboard.h"
#include "platform/files.h"
#include "platform/textcodec.h"
#include "script/thai.h"

TThailist::TThailist() : TThailist(std::make_unique<TextDocument>(), nullptr) {}

TThailist::TThailist(TextDocument& document) : TThailist(nullptr, &document) {}

TThailist::TThailist(std::unique_ptr<TextDocument> own, TextDocument* shown)
    : ownDocument_(std::move(own)),
      document_(shown ? *shown : *ownDocument_),
      Lines(document_.Lines),
      History(document_.History),
      Modified(document_.Modified) {
    documentWatch_ = document_.AddWatcher({.textChanged = [this](int longestWritten) { LinesChanged(longestWritten); }});
}

TThailist::~TThailist() {
    Destroying = true;
    platform::KeepPrimarySelection(this, {});
    documentWatch_.Reset();
    document_.ForgetHistoryView(this);
    Detach();
}

void TThailist::Detach() {
    platform::Host* host = hostGuard_.Get();
    if (host && host->Handler() == this) {
        host->SetHandler(nullptr);
        host->DeleteKeySink();
    }
    tcm = nullptr;
}

void TThailist::HostGone() {
    parent_ = nullptr;
    tcm = nullptr;
}

void TThailist::Attach(platform::Host* parent) {
    if (!parent) return;
    Detach();  // attached before: the old sink goes with its host's events
    parent_ = parent;
    hostGuard_ = parent;
    parent->SetHandler(this);
    tcm = parent->CreateKeySink();
    parent->SetColor(platform::clWhite);
    Clear();
    SetGraphicsize(1);
}

platform::Surface* TThailist::Canvas() const { return parent_ ? &parent_->Canvas() : nullptr; }

// ---- Joined text ------------------------------------------------------------------------------

int TThailist::LineStartPos(std::string_view text, int n) {
    size_t pos = 0;
    for (int passed = 0; passed < n; ++passed) {
        const void* cr = std::memchr(text.data() + pos, '\r', text.size() - pos);
        if (!cr) return static_cast<int>(text.size());
        pos = static_cast<size_t>(static_cast<const char*>(cr) - text.data()) + 1;
        if (pos < text.size() && text[pos] == '\n') ++pos;
    }
    return static_cast<int>(pos);
}

int TThailist::PointOffset(int& line, int& col) const {
    line = std::max(line, 0);
    if (line >= LineCount()) {
        line = LineCount();
        col = 0;
        return Lines.StartOf(line);
    }
    const std::string& text = Lines[line];
    col = std::clamp(col, 0, thai::CellCount(text));
    return Lines.StartOf(line) + thai::CellToPos(text, col) - 1;
}

bool TThailist::SelectionRange(int& start, int& length) const {
    start = std::min(AnchorPos, ExtentPos);
    length = std::abs(AnchorPos - ExtentPos);
    return Selecting && length > 0;
}

std::string TThailist::SelectedText() const {
    int start = 0, length = 0;
    if (!SelectionRange(start, length)) return {};
    // The offsets were taken from this same text unless it changed, which ends the selection;
    // stay inside the text all the same.
    TextPoint p = PointAt(start, std::min(AnchorLine, ExtentLine));
    std::string out;
    out.reserve(static_cast<size_t>(length));
    size_t left = static_cast<size_t>(length);
    while (left > 0 && p.line < LineCount()) {
        const std::string& t = Lines[p.line];
        const size_t col = static_cast<size_t>(p.col);
        if (col < t.size()) {
            const size_t take = std::min(left, t.size() - col);
            out.append(t, col, take);
            left -= take;
            p.col += static_cast<int>(take);
            continue;
        }
        const size_t skip = col - t.size();  // 1 when the range starts on the LF
        const size_t take = std::min(left, 2 - skip);
        out.append("\r\n" + skip, take);
        left -= take;
        ++p.line;
        p.col = 0;
    }
    return out;
}

// ---- Whole-text operations ------------------------------------------------------------------

namespace {

void BlankView(platform::Host* host) {
    if (!host) return;
    platform::Surface& s = host->Canvas();
    s.SetFillColor(platform::clWhite);
    s.FillRect({0, 0, host->ClientWidth(), host->ClientHeight()});
}

}  // namespace

void TThailist::Clear() {
    Selecting = false;
    drag_->Dragging = false;
    BlankView(parent_);
    CursorLine = CursorCol = TopLine = LeftCol = 0;
    AnchorLine = AnchorCol = ExtentLine = ExtentCol = AnchorPos = ExtentPos = 0;
    MaxLineLen = 0;
    document_.Clear();
    DrawCaret();
}

void TThailist::ResetView() {
    BlankView(parent_);
    CursorLine = CursorCol = 0;
    PaintRows(0, RowCount, 0, ColCount);
    DrawCaret();
}

bool TThailist::LoadFile(const std::string& name, bool askToReplace) {
    // Read first: a file that cannot be read (or is no text) leaves the text as it was.
    std::optional<TextDocument::ReadText> text = TextDocument::ReadFile(name, askToReplace);
    if (!text) return false;
    Clear();
    document_.TakeFile(std::move(*text));
    PaintRows(0, RowCount, 0, ColCount);
    DrawCaret();
    return true;
}

void TThailist::SaveFile(const std::string& name) { document_.SaveFile(name, document_.FileFormat); }

void TThailist::SaveFile(const std::string& name, const platform::TextFormat& format) { document_.SaveFile(name, format); }

void TThailist::AddLine(std::string s) { Lines.Add(std::move(s)); }

void TThailist::InsertLine(int index, std::string s) { Lines.Insert(index, std::move(s)); }

void TThailist::LinesChanged(int longestWritten) {
    drag_->Dragging = false;
    Selecting = false;
    MaxLineLen = std::max(MaxLineLen, longestWritten);
    if (scrollRangesDeferred_ > 0) return;
    SetScrollRanges(true);
    SetScrollPositions();
}

void TThailist::DeferScrollRanges(bool defer) {
    if (defer) {
        ++scrollRangesDeferred_;
        return;
    }
    if (scrollRangesDeferred_ == 0 || --scrollRangesDeferred_ > 0) return;
    SetScrollRanges(true);
    SetScrollPositions();
}

// ---- Cursor -----------------------------------------------------------------------------------

void TThailist::SetCursor(int line, int col) {
    // The upper bound first, so that an empty text without a view still gives line 0, column 0.
    line = std::max(std::min(line, LineCount() + RowCount - 1), 0);
    col = std::max(std::min(col, MaxLineLen + ColCount - 1), 0);
    // A view too small for one whole row or cell scrolls as if it held one.
    const int rows = std::max(RowCount, 1);
    const int cols = std::max(ColCount, 1);
    if (line < TopLine) TopLine = line;
    if (line > TopLine + rows - 1) TopLine = line - rows + 1;
    CursorLine = line;
    if (col < LeftCol) LeftCol = col;
    if (col > LeftCol + cols - 1) LeftCol = col - cols + 1;
    CursorCol = col;
    SetScrollPositions();
}

// ---- Selection ----------------------------------------------------------------------------

void TThailist::OrderedSelection(int& startLine, int& startCol, int& endLine, int& endCol) const {
    const bool anchorFirst = AnchorLine < ExtentLine || (AnchorLine == ExtentLine && AnchorCol <= ExtentCol);
    if (anchorFirst) {
        startLine = AnchorLine, startCol = AnchorCol, endLine = ExtentLine, endCol = ExtentCol;
    } else {
        startLine = ExtentLine, startCol = ExtentCol, endLine = AnchorLine, endCol = AnchorCol;
    }
}

void TThailist::StartSelection() {
    if (Lines.Empty() || Selecting) return;
    int line = CursorLine, col = CursorCol;
    const int pos = PointOffset(line, col);
    AnchorLine = ExtentLine = line;
    AnchorCol = ExtentCol = col;
    AnchorPos = ExtentPos = pos;
    Selecting = true;
    OfferPrimarySelection();
}

void TThailist::ExtendSelection() {
    if (!Selecting) return;
    int line = CursorLine, col = CursorCol;
    const int n = PointOffset(line, col);
    const int a = AnchorPos;
    const int e = ExtentPos;
    if (n == e) return;

    // Only the cells that change state are repainted: plain ones are redrawn while the selection
    // counts as absent, newly selected ones are highlighted in place.
    Selecting = false;
    if (n < e && n < a) {
        if (a < e) {
            RepaintRange(AnchorLine, ExtentLine, AnchorCol, ExtentCol);
            HighlightRange(line, AnchorLine, col, AnchorCol);
        } else {
            HighlightRange(line, ExtentLine, col, ExtentCol);
        }
    } else if (n > e && n > a) {
        if (e < a) {
            RepaintRange(ExtentLine, AnchorLine, ExtentCol, AnchorCol);
            HighlightRange(AnchorLine, line, AnchorCol, col);
        } else {
            HighlightRange(ExtentLine, line, ExtentCol, col);
        }
    } else {
        RepaintRange(line, ExtentLine, col, ExtentCol);
    }
    Selecting = true;

    ExtentLine = line;
    ExtentCol = col;
    ExtentPos = n;
}

void TThailist::ClearSelection() {
    if (!Selecting) return;
    // The primary selection keeps the text once the selection is gone, as X programs do.
    if (platform::OwnsPrimarySelection(this)) platform::KeepPrimarySelection(this, SelectedText());
    Selecting = false;
    RepaintRange(AnchorLine, ExtentLine, AnchorCol, ExtentCol);
    AnchorLine = AnchorCol = ExtentLine = ExtentCol = AnchorPos = ExtentPos = 0;
}

void TThailist::DeleteSelection() {
    int start = 0, length = 0;
    if (!SelectionRange(start, length)) return;
    const EditStep step(*this);
    const bool anchorFirst = AnchorPos < ExtentPos;
    const int startLine = anchorFirst ? AnchorLine : ExtentLine;
    const int startCol = anchorFirst ? AnchorCol : ExtentCol;
    const bool oneLine = AnchorLine == ExtentLine;

    if (!ReplaceJoined(start, start + length, {}, std::min(AnchorLine, ExtentLine))) {
        DrawCaret();
        return;  // refused: the text and its selection stay
    }
    Selecting = false;

    SetCursor(startLine, startCol);
    const int row = CursorLine - TopLine;
    if (oneLine)
        PaintRows(row, row, CursorCol - LeftCol, ColCount);
    else
        PaintRows(row, RowCount, 0, ColCount);
    DrawCaret();
}
