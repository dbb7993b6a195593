// Printing a Thai text: page set-up, the line loop with its progress caption and abort by Esc,
// and the output of each composed page.
#include "print/thaiprint.h"

#include <algorithm>
#include <deque>
#include <optional>

#include "editor/lines.h"
#include "platform/cancel.h"
#include "platform/printer.h"
#include "platform/services.h"
#include "platform/textlines.h"
#include "platform/window.h"
#include "script/thai.h"

int RoundedQuotient(int a, int b) {
    const int q = a / b;
    const int r = a % b;
    if (2 * r > b || (2 * r == b && q % 2 != 0)) return q + 1;
    return q;
}

namespace {

// Restores the parent's caption when printing ends, also when an error ends it; a job that an
// error interrupted is aborted, so that the printer is free for the next command.
class EndOfPrinting {
public:
    EndOfPrinting(platform::Printer& printer, platform::Window* parent, const std::string& caption)
        : printer_(printer), parent_(parent), caption_(caption) {}
    ~EndOfPrinting() {
        if (printer_.Printing()) printer_.Abort();
        if (parent_) parent_->SetCaption(caption_);
    }
    EndOfPrinting(const EndOfPrinting&) = delete;
    EndOfPrinting& operator=(const EndOfPrinting&) = delete;

private:
    platform::Printer& printer_;
    platform::Window* parent_;
    const std::string& caption_;
};

// WrapText can leave a line wider than the width: after a break placed far back, the cells
// between the break and the byte that triggered it are not counted. On screen such a line only
// reaches past the window's edge; on paper it would run over the margin and off the page. Every
// line that still does not fit next to its TAB cell is therefore wrapped again on its own, and cut
// after the cells that fit where wrapping finds no way forward.
std::vector<std::string> FitLines(const std::vector<std::string>& lines, int cellsPerLine) {
    const int room = cellsPerLine - 1;  // the TAB takes the first cell
    if (room < 1) return lines;
    std::vector<std::string> out;
    out.reserve(lines.size());
    std::deque<std::string> pending;
    for (const std::string& line : lines) {
        pending.push_back(line);
        while (!pending.empty()) {
            std::string piece = std::move(pending.front());
            pending.pop_front();
            if (thai::CellCount(piece) <= room) {
                out.push_back(std::move(piece));
                continue;
            }
            std::string wrapped = piece + "\r\n";
            thai::WrapText(wrapped, cellsPerLine);
            std::vector<std::string> parts = SplitLines(wrapped);
            if (parts.size() < 2 || parts[0].empty() || thai::CellCount(parts[0]) > room) {
                const size_t at = static_cast<size_t>(thai::CellToPos(piece, room) - 1);
                parts = {piece.substr(0, at), piece.substr(at)};
            }
            out.push_back(std::move(parts[0]));
            // Every remaining part is shorter than the piece: the loop ends.
            pending.insert(pending.begin(), std::make_move_iterator(parts.begin() + 1),
                           std::make_move_iterator(parts.end()));
        }
    }
    return out;
}

// The printed lines of a text, one at a time: each line of the text wrapped to the page and
// fitted next to its TAB cell.
class PrintedLines {
public:
    PrintedLines(std::string_view text, int cellsPerLine) : reader_(text), cells_(cellsPerLine) {}
    bool Next(std::string& line) {
        while (fitted_.empty()) {
            std::string_view piece;
            while (!wrapper_ || !wrapper_->Next(piece)) {
                std::string_view source;
                if (!reader_.Next(source)) return false;
                wrapper_.emplace(source, cells_);
            }
            if (thai::CellCount(piece) < cells_) {
                line.assign(piece);
                return true;
            }
            fitted_ = FitLines({std::string(piece)}, cells_);
            std::reverse(fitted_.begin(), fitted_.end());
        }
        line = std::move(fitted_.back());
        fitted_.pop_back();
        return true;
    }

private:
    platform::LineReader reader_;  // the text's lines, one at a time
    int cells_;
    std::optional<thai::LineWrapper> wrapper_;
    std::vector<std::string> fitted_;  // what is left of a piece cut to the page, last first
};

}  // namespace

int PageDetail(int scale, int screenPpi) {
    const int enough = (300 + std::max(1, screenPpi) - 1) / std::max(1, screenPpi);
    return std::clamp(enough, 1, std::max(1, scale));
}

TThaiprint::TThaiprint() { PageBitmap.SetMonochrome(true); }

TThaiprint::~TThaiprint() = default;

void TThaiprint::SetParent(platform::Window* window, const platform::Surface* canvas) {
    parent_ = window;
    parentCanvas_ = canvas;
}

int TThaiprint::ScreenPixelsPerInch() const {
    return parent_ ? parent_->PixelsPerInchY() : platform::ScreenPixelsPerInchY();
}

void TThaiprint::PageSetup(platform::Printer& printer) {
    // The layout: the cell metrics of the parent's font or of the glyph size, at screen size.
    platform::Surface& layout = layoutBitmap_.Canvas();
    if (parentCanvas_) layout.CopyFont(*parentCanvas_);
    Scale = RoundedQuotient(std::max(0, printer.PixelsPerInchY()), std::max(1, ScreenPixelsPerInch()));
    if (Scale < 1) Scale = 1;
    Detail = PageDetail(Scale, ScreenPixelsPerInch());
    SetCanvasMetrics(layout, Graphicsize);
    PageBitmapWidth = RoundedQuotient(std::max(0, printer.PageWidth()), Scale);
    PageBitmapHeight = RoundedQuotient(std::max(0, printer.PageHeight()), Scale);
    TextRect.left = 0;
    TextRect.right = PageBitmapWidth - PageBitmapWidth / 20;
    TextRect.top = PageBitmapHeight / 20;
    TextRect.bottom = PageBitmapHeight - TextRect.top;

    // The page bitmap: the same cells, Detail times as many pixels. Glyph sizes scale exactly; a
    // font is drawn Detail times as high in cells of the layout's metrics times Detail.
    platform::Surface& canvas = PageBitmap.Canvas();
    if (Graphicsize >= 1) {
        pageCells_.SetCanvasMetrics(canvas, Graphicsize * Detail);
        baseline_ = BaseLevel + 12 * Graphicsize;  // the glyph images' letters stand on their row 12
    } else {
        canvas.CopyFont(layout);
        canvas.SetFontHeight(layout.FontHeight() * Detail);
        pageCells_.SetCanvasMetrics(canvas, 0);
        pageCells_.CellWidth = CellWidth * Detail;
        pageCells_.RowHeight = RowHeight * Detail;
        pageCells_.BaseLevel = BaseLevel * Detail;
        pageCells_.LowerLevel = LowerLevel * Detail;
        baseline_ = BaseLevel + layout.TextAscent();
    }
    canvas.SetFillColor(platform::clWhite);
    canvas.SetCopyMode(platform::CopyMode::SrcCopy);
    PageBitmap.SetSize(PageBitmapWidth * Detail, PageBitmapHeight * Detail);
    canvas.FillRect({0, 0, PageBitmap.Width(), PageBitmap.Height()});
    drawnBottom_ = 0;
}

void TThaiprint::OutputPage(platform::Printer& printer) {
    // Every line fills its row across the page's cells, so a page covers what the page before
    // drew in the rows it uses; the rows it leaves are whitened, as is what lies right of the
    // cells (ink of a font spilling over the last cell).
    platform::Surface& canvas = PageBitmap.Canvas();
    canvas.SetFillColor(platform::clWhite);
    const int cellsRight = (TextRect.left + CellsPerLine * CellWidth) * Detail;
    canvas.FillRect({cellsRight, TextRect.top * Detail, TextRect.right * Detail, TextRect.bottom * Detail});
    if (DrawY * Detail < drawnBottom_) canvas.FillRect({TextRect.left * Detail, DrawY * Detail, cellsRight, drawnBottom_});
    drawnBottom_ = DrawY * Detail;

    DrawY = TextRect.top;
    if (parent_) parent_->SetCaption("Printing page " + std::to_string(printer.PageNumber()) + " - ESC to break");
    // The margins are never drawn on: only the text rectangle is read.
    if (printer.Printing())
        printer.StretchDIBits({0, 0, PageBitmapWidth * Scale, PageBitmapHeight * Scale}, PageBitmap,
                              {0, 0, PageBitmap.Width(), PageBitmap.Height()},
                              {TextRect.left * Detail, TextRect.top * Detail, TextRect.right * Detail, TextRect.bottom * Detail});
}

void TThaiprint::PrintText(std::string_view text, int graphicsSize) {
    PrintText(text, graphicsSize, platform::CurrentPrinter());
}

void TThaiprint::PrintText(std::string_view text, int graphicsSize, platform::Printer& printer) {
    if (text.empty()) return;
    Lines.clear();
    Graphicsize = std::clamp(graphicsSize, 0, 3);

    printer.Title.clear();  // the job carries no title
    printer.BeginDoc();
    SavedCaption = parent_ ? parent_->Caption() : std::string();
    const EndOfPrinting restore(printer, parent_, SavedCaption);
    // Esc in a text control (or anything else that cancels the running jobs) aborts the job at
    // once; the loop below then sees that the printer no longer prints.
    const platform::RunningJob job([&printer] {
        if (printer.Printing()) printer.Abort();
    });
    PageSetup(printer);

    if (TextRect.Height() < RowHeight || TextRect.Width() < CellWidth) {
        platform::Current().ShowWarning("Paper too small. No printing");
    } else {
        CellsPerLine = TextRect.Width() / CellWidth;
        PrintLines(text, printer);
    }
    if (printer.Printing()) printer.EndDoc();
}

void TThaiprint::PrintLines(std::string_view text, platform::Printer& printer) {
    PrintedLines lines(text, CellsPerLine);
    DrawY = TextRect.top;
    LineIndex = 0;
    std::string line, next;
    bool more = lines.Next(next);
    while (more && printer.Printing()) {
        line = std::move(next);
        more = lines.Next(next);
        if (DrawY == TextRect.top) Lines.clear();  // a new page
        Lines.push_back(line);
        PrintLine(line, printer);
        platform::Current().ProcessMessages();  // where Esc is seen
        ++LineIndex;
        DrawX = TextRect.left;
        DrawY += RowHeight;
        if (DrawY + RowHeight > TextRect.bottom) {
            OutputPage(printer);
            // A new page only for lines still to come: a text that fills its last page exactly
            // ends there, without an empty page after it.
            if (printer.Printing() && more) printer.NewPage();
        }
    }
    // The last page, unless it was full and has gone out already.
    if (DrawY != TextRect.top) OutputPage(printer);
}

void TThaiprint::PrintLine(const std::string& line, platform::Printer& printer) {
    Position = 1;
    WorkText = "\t" + line;
    DrawX = TextRect.left;
    platform::Surface& canvas = PageBitmap.Canvas();
    pageCells_.DrawX = DrawX * Detail;
    pageCells_.DrawY = DrawY * Detail;
    // Every cell of the row, those past the line's end empty: what an earlier page drew there goes.
    for (int cell = 0; cell < CellsPerLine; ++cell) {
        pageCells_.DrawCell(canvas, WorkText, Position);
        DrawX += CellWidth;
    }
    drawnBottom_ = std::max(drawnBottom_, (DrawY + RowHeight) * Detail);
    if (line.empty() || !printer.Printing()) return;
    // The line's text over its cells, after the TAB cell.
    platform::TextRow row;
    row.left = (TextRect.left + CellWidth) * Scale;
    row.top = DrawY * Scale;
    row.cellWidth = CellWidth * Scale;
    row.rowHeight = RowHeight * Scale;
    row.baseline = (DrawY + baseline_) * Scale;
    row.bytes = line;
    row.cellOfByte.resize(line.size());
    int cell = -1;
    for (size_t k = 0; k < line.size(); ++k) {
        if (k == 0 || !thai::CombiningMarks.contains(static_cast<unsigned char>(line[k]))) ++cell;
        row.cellOfByte[k] = cell;
    }
    printer.TextLayer(row);
}
