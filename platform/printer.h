// The printer: print jobs of pages, the page size and resolution, and stretched copies of a
// page bitmap onto the page.
//
// Printer holds the state every printer shares (the running flag, the page number, whether the
// last job was aborted) and the rules of a job: BeginDoc starts page 1, NewPage counts pages,
// EndDoc ends the job, Abort cancels it and clears the running flag. A device below it only
// carries out the steps and says whether each one worked; a step that failed ends the job with an
// error, so that a failure is never taken for a printed document. The devices over Qt (the
// system printer, a PDF file, a print preview) are declared in platform/qt_printer.h.
#pragma once

#include <string>
#include <vector>

#include "platform/types.h"

namespace platform {

class Bitmap;

// The text of one printed row, laid over the page for a reader to search and copy (a PDF's text):
// the characters of `bytes` (Windows-874) in cells `cellWidth` wide from `left` on, the cell of
// each byte in `cellOfByte` (0 for the first cell), on a row from `top` to `top + rowHeight` whose
// letters stand on `baseline`. Printer pixels.
struct TextRow {
    int left = 0, top = 0, cellWidth = 0, rowHeight = 0, baseline = 0;
    std::string bytes;
    std::vector<int> cellOfByte;
};

class Printer {
public:
    virtual ~Printer() = default;
    Printer(const Printer&) = delete;
    Printer& operator=(const Printer&) = delete;

    // The document name the next job is given (empty: no title).
    std::string Title;

    // Starts a job on page 1. Throws std::runtime_error while a job is running, or when the
    // device cannot start one (the job then is not running).
    void BeginDoc();
    // Ends the current page and starts the next. Throws when no job is running, and when the
    // device cannot start the page (the job is then cancelled).
    void NewPage();
    // Ends the job and sends it to the device. Throws when no job is running, and when the device
    // could not finish the document (the job is over all the same).
    void EndDoc();
    // Cancels the running job: nothing more reaches the device and Printing() becomes false.
    // Does nothing when no job is running.
    void Abort();

    bool Printing() const { return printing_; }
    bool Aborted() const { return aborted_; }
    // The page being printed, 1 for the first page of a job.
    int PageNumber() const { return pageNumber_; }

    // The printable page in printer pixels, and the vertical resolution.
    virtual int PageWidth() const = 0;
    virtual int PageHeight() const = 0;
    virtual int PixelsPerInchY() const = 0;

    // Copies the rectangle `src` of a bitmap into `dest` of the current page, stretching it, as
    // a plain source copy. The bitmap goes to the device as a one-bit device-independent bitmap:
    // black stays black and every other colour becomes white. Only the pixels inside `inked` can
    // be black (empty: any of them), so that a page of which a part was drawn on is read only
    // there. Throws when no job is running.
    void StretchDIBits(const Rect& dest, const Bitmap& bitmap, const Rect& src, const Rect& inked = {});
    // Lays the text of a printed row on the current page, unseen: what a PDF file carries so that
    // its text can be found and copied. A device without such a layer ignores it. Throws when no
    // job is running.
    void TextLayer(const TextRow& row);

protected:
    Printer() = default;
    // The device's side of the job; StartJob may throw to refuse the job. StartPage and
    // FinishJob return whether the device managed, FailureText why not (may be empty).
    virtual void StartJob() = 0;
    virtual bool StartPage() = 0;
    virtual bool FinishJob() = 0;
    virtual std::string FailureText() const { return {}; }
    virtual void CancelJob() = 0;
    // Draws `src` of a non-empty bitmap into `dest` of the current page; only `inked` of it (all
    // when empty) can hold black.
    virtual void DrawBitmap(const Rect& dest, const Bitmap& bitmap, const Rect& src, const Rect& inked) = 0;
    // Lays a row's text on the current page; by default nothing.
    virtual void DrawTextLayer(const TextRow&) {}

private:
    bool printing_ = false;
    bool aborted_ = false;
    int pageNumber_ = 0;
};

// The printer the program prints on; tests install their own. nullptr restores the real one.
Printer& CurrentPrinter();
void InstallPrinter(Printer* printer);

// Readies the system printer for the print dialog: when it prints to a PDF file (no printer
// queue is installed, or a file was chosen before), the file offered is `pdfPath`.
void OfferPdfFile(const std::string& pdfPath);

}  // namespace platform
