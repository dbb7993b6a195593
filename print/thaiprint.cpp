// Printing a Thai text: page set-up, the line loop with its progress caption and abort by Esc,
// and the output of each composed page.
#include "print/thaiprint.h"

#include <algorithm>
#include <deque>

#include "editor/lines.h"
#include "platform/cancel.h"
#include "platform/printer.h"
#include "platform/services.h"
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

}  // namespace

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
    platform::Surface& canvas = PageBitmap.Canvas();
    if (parentCanvas_) canvas.CopyFont(*parentCanvas_);
    Scale = RoundedQuotient(std::max(0, printer.PixelsPerInchY()), std::max(1, ScreenPixelsPerInch()));
    if (Scale < 1) Scale = 1;
    SetCanvasMetrics(canvas, Graphicsize);
    canvas.SetFillColor(platform::clWhite);
    canvas.SetCopyMode(platform::CopyMode::SrcCopy);
    PageBitmapWidth = RoundedQuotient(std::max(0, printer.PageWidth()), Scale);
    PageBitmapHeight = RoundedQuotient(std::max(0, printer.PageHeight()), Scale);
    PageBitmap.SetSize(PageBitmapWidth, PageBitmapHeight);
    canvas.FillRect({0, 0, PageBitmapWidth, PageBitmapHeight});
    TextRect.left = 0;
    TextRect.right = PageBitmapWidth - PageBitmapWidth / 20;
    TextRect.top = PageBitmapHeight / 20;
    TextRect.bottom = PageBitmapHeight - TextRect.top;
}

void TThaiprint::OutputPage(platform::Printer& printer) {
    DrawY = TextRect.top;
    if (parent_) parent_->SetCaption("Printing page " + std::to_string(printer.PageNumber()) + " - ESC to break");
    if (printer.Printing())
        printer.StretchDIBits({0, 0, PageBitmapWidth * Scale, PageBitmapHeight * Scale}, PageBitmap,
                              {0, 0, PageBitmapWidth, PageBitmapHeight});
    // The margins are never drawn on: whitening the text rectangle readies the next page.
    platform::Surface& canvas = PageBitmap.Canvas();
    canvas.SetFillColor(platform::clWhite);
    canvas.FillRect(TextRect);
}

void TThaiprint::PrintText(std::string_view text, int graphicsSize) {
    PrintText(text, graphicsSize, platform::CurrentPrinter());
}

void TThaiprint::PrintText(std::string_view text, int graphicsSize, platform::Printer& printer) {
    if (text.empty()) return;
    Lines = SplitLines(text);
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
        WorkText = JoinLines(Lines);
        thai::WrapText(WorkText, CellsPerLine);
        Lines = FitLines(SplitLines(WorkText), CellsPerLine);

        platform::Surface& canvas = PageBitmap.Canvas();
        DrawY = TextRect.top;
        LineIndex = 0;
        while (LineIndex < static_cast<int>(Lines.size()) && printer.Printing()) {
            Position = 1;
            WorkText = "\t" + Lines[static_cast<size_t>(LineIndex)];
            DrawX = TextRect.left;
            while (Position <= static_cast<int>(WorkText.size())) {
                if (GlyphImages) GlyphImages->SetBkColor(platform::clWhite);
                DrawCell(canvas, WorkText, Position);
            }
            platform::Current().ProcessMessages();  // where Esc is seen
            ++LineIndex;
            DrawX = TextRect.left;
            DrawY += RowHeight;
            if (DrawY + RowHeight > TextRect.bottom) {
                OutputPage(printer);
                // A new page only for lines still to come: a text that fills its last page
                // exactly ends there, without an empty page after it.
                if (printer.Printing() && LineIndex < static_cast<int>(Lines.size())) printer.NewPage();
            }
        }
        // The last page, unless it was full and has gone out already.
        if (DrawY != TextRect.top) OutputPage(printer);
    }
    if (printer.Printing()) printer.EndDoc();
}
