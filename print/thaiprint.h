// TThaiprint: prints a Thai text page by page with the same cell renderer that draws the editor.
//
// Each page is composed in a monochrome bitmap of about screen resolution (the printer page
// divided by an integer scale, the printer's resolution over the screen's) and the finished
// bitmap is stretched onto the printer page by that scale, so a printed cell is about as large
// on paper as on the screen. Every printed line starts with a TAB cell. While printing, the
// parent window's caption shows the page being printed, pending window events run after each
// line, and Esc in a text control aborts the job.
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

    // ---- State of a print run (readable for tests and the curious) ------------------------
    platform::Bitmap PageBitmap;        // the page being composed, monochrome
    std::vector<std::string> Lines;     // the lines to print (wrapped to the page)
    std::string WorkText;               // the text being wrapped, then the line being drawn
    platform::Rect TextRect;            // where lines are drawn, in page-bitmap pixels
    std::string SavedCaption;           // the parent's caption before printing
    int Scale = 1;                      // printer pixels per page-bitmap pixel
    int CellsPerLine = 0;               // width of the text rectangle in cells
    int Position = 1;                   // byte position of the next cell of WorkText
    int LineIndex = 0;                  // the line being printed
    int PageBitmapWidth = 0;            // W and H of the page bitmap
    int PageBitmapHeight = 0;

private:
    void PageSetup(platform::Printer& printer);
    void OutputPage(platform::Printer& printer);
    int ScreenPixelsPerInch() const;
    platform::Window* parent_ = nullptr;
    const platform::Surface* parentCanvas_ = nullptr;
};

// a / b rounded to the nearest integer, halves to the even neighbour (b > 0, a >= 0).
int RoundedQuotient(int a, int b);
