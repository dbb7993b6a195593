// TThaiprint: prints a Thai text page by page with the same cell renderer that draws the editor.
//
// A page is laid out at about screen resolution (the printer page divided by an integer scale,
// the printer's resolution over the screen's), so a printed cell is about as large on paper as on
// the screen, and every printed line starts with a TAB cell. It is drawn, in a monochrome bitmap,
// at Detail times that resolution: the printer's own, or 300 dots per inch and more where the
// printer has more; the finished bitmap is stretched onto the page, and each line's text goes
// with it as the page's unseen text layer (what a PDF file is searched and copied by).
//
// The text is split and wrapped a line at a time as printing goes, so that a job of any size
// starts at once. While printing, the parent window's caption shows the page being printed,
// pending window events run after each line, and Esc in a text control aborts the job.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/surface.h"
#include "platform/types.h"
#include "script/customthai.h"

namespace platform {
class Printer;
class Window;
}

class TThaiprint : public TCustomthai {
public:
    // The component lives for one print command.
    TThaiprint();
    ~TThaiprint() override;
    TThaiprint(const TThaiprint&) = delete;
    TThaiprint& operator=(const TThaiprint&) = delete;

    // The window that shows the progress in its caption, and the drawing surface whose font the
    // pages are printed with (the surface the editor draws on). Set before PrintText.
    // The window must outlive the print run; nullptr: no caption, the primary screen's resolution.
    void SetParent(platform::Window* window, const platform::Surface* canvas);

    // Prints a text (TIS-620 bytes, CR LF between lines) on the current printer with the given
    // graphics size (0: through the parent's font; 1 to 3: the glyph images at that scale). An
    // empty text prints nothing and starts no job. A printer that fails to start a page or to
    // finish the job raises an error; the caption is restored however printing ends.
    void PrintText(std::string_view text, int graphicsSize);
    // The same on a given printer (a print preview, a PDF file of its own).
    void PrintText(std::string_view text, int graphicsSize, platform::Printer& printer);

    platform::Window* Parent() const { return parent_; }

protected:
    // ---- State of a print run --------------------------------------------------------------
    // The layout is in page pixels: the printer page divided by Scale. The cell metrics of
    // TCustomthai (CellWidth, RowHeight, DrawX, DrawY) are the layout's.
    platform::Bitmap PageBitmap;        // the page being composed, monochrome, Detail times the layout
    std::vector<std::string> Lines;     // the lines of the page being printed (wrapped to the page)
    std::string WorkText;               // the line being drawn, after its TAB
    platform::Rect TextRect;            // where lines are drawn, in page pixels
    std::string SavedCaption;           // the parent's caption before printing
    int Scale = 1;                      // printer pixels per page pixel
    int Detail = 1;                     // page-bitmap pixels per page pixel
    int CellsPerLine = 0;               // width of the text rectangle in cells
    int Position = 1;                   // byte position of the next cell of WorkText
    int LineIndex = 0;                  // the line being printed, counted from the first page
    int PageBitmapWidth = 0;            // W and H of the page, in page pixels
    int PageBitmapHeight = 0;

private:
    void PageSetup(platform::Printer& printer);
    void PrintLines(std::string_view text, platform::Printer& printer);
    void PrintLine(const std::string& line, platform::Printer& printer);
    void OutputPage(platform::Printer& printer);
    int ScreenPixelsPerInch() const;
    platform::Window* parent_ = nullptr;
    const platform::Surface* parentCanvas_ = nullptr;
    // The cells as drawn on the page bitmap: the layout's metrics times Detail.
    TCustomthai pageCells_;
    platform::Bitmap layoutBitmap_;  // measures the layout's font
    int baseline_ = 0;               // of a row's letters below its top, in page pixels
    int drawnBottom_ = 0;            // the page bitmap's rows below this hold nothing drawn
};

// The page bitmap's pixels per page pixel, for a page laid out at `screenPpi` and stretched by
// `scale` onto the printer: enough for 300 dots per inch, never more than the printer has.
int PageDetail(int scale, int screenPpi);

// a / b rounded to the nearest integer, halves to the even neighbour (b > 0, a >= 0).
int RoundedQuotient(int a, int b);
