// The printer: print jobs of pages, the page size and resolution, and stretched copies of
// one-bit device-independent bitmaps onto the page.
//
// Printer holds the state every printer shares (the running flag, the page number, whether the
// last job was aborted) and the rules of a job: BeginDoc starts page 1, NewPage counts pages,
// EndDoc ends the job, Abort cancels it and clears the running flag. A device below it only
// carries out the steps and says whether each one worked; a step that failed ends the job with an
// error, so that a failure is never taken for a printed document. Two devices exist: QtPrinter,
// over the QPrinter the print dialog sets up (a printer queue, a PDF file it writes and checks
// itself, or the pages of a print preview), and ImagePrinter, which keeps every page as a list of
// the bitmaps copied onto it and renders pages into images (for tests).
#pragma once

#include <QImage>
#include <memory>
#include <string>
#include <vector>

#include "platform/types.h"

class QFileDevice;
class QPainter;
class QPdfWriter;
class QPrinter;

namespace platform {

class Bitmap;

// A bitmap as a device-independent bitmap: one bit per pixel with its colour table (black and
// white), the form in which a composed page is sent to the printer.
QImage DeviceIndependentBitmap(const Bitmap& bitmap);

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

    // Copies the rectangle `src` of a device-independent bitmap into `dest` of the current
    // page, stretching it, as a plain source copy. Throws when no job is running.
    void StretchDIBits(const Rect& dest, const QImage& dib, const Rect& src);

protected:
    Printer() = default;
    // The device's side of the job; StartJob may throw to refuse the job. StartPage and
    // FinishJob return whether the device managed, FailureText why not (may be empty).
    virtual void StartJob() = 0;
    virtual bool StartPage() = 0;
    virtual bool FinishJob() = 0;
    virtual std::string FailureText() const { return {}; }
    virtual void CancelJob() = 0;
    virtual void DrawBitmap(const Rect& dest, const QImage& dib, const Rect& src) = 0;

private:
    bool printing_ = false;
    bool aborted_ = false;
    int pageNumber_ = 0;
};

// The printer the program prints on; tests install their own. nullptr restores the real one.
Printer& CurrentPrinter();
void InstallPrinter(Printer* printer);

// The system printer the print dialog chooses and sets up, at the printer's full resolution.
// Where no printer queue is installed it prints to a PDF file.
QPrinter& SystemPrinter();

// Readies the system printer for the print dialog: when it prints to a PDF file (no printer
// queue is installed, or a file was chosen before), the file offered is `pdfPath`.
void OfferPdfFile(const std::string& pdfPath);

// Prints through Qt on a QPrinter (by default the one the print dialog set up). A QPrinter set
// to PDF output has its file written here, every write checked: a file that cannot be created
// refuses the job, one that cannot be written fails EndDoc, and a failed or aborted job leaves
// an existing file as it was. For a print preview (`preview`) the pages go to the QPrinter as
// they are, to be drawn by the preview.
class QtPrinter : public Printer {
public:
    explicit QtPrinter(QPrinter* printer = nullptr, bool preview = false);
    ~QtPrinter() override;
    int PageWidth() const override;
    int PageHeight() const override;
    int PixelsPerInchY() const override;

protected:
    void StartJob() override;
    bool StartPage() override;
    bool FinishJob() override;
    std::string FailureText() const override { return failure_; }
    void CancelJob() override;
    void DrawBitmap(const Rect& dest, const QImage& dib, const Rect& src) override;

private:
    QPrinter& Device() const;
    bool CloseFile(bool keep);
    std::string FileFailure() const;
    QPrinter* printer_;
    bool preview_;
    std::unique_ptr<QFileDevice> file_;  // the PDF file being written
    std::unique_ptr<QPdfWriter> pdf_;
    std::unique_ptr<QPainter> painter_;
    std::string failure_;
};

// A printer whose pages stay in memory: each page keeps the bitmaps copied onto it. Every
// finished job (ended or aborted) is kept with its pages.
class ImagePrinter : public Printer {
public:
    ImagePrinter(int pageWidth, int pageHeight, int pixelsPerInchY);

    struct Copy {
        Rect dest;
        QImage dib;
        Rect src;
    };
    struct Page {
        std::vector<Copy> copies;
    };
    struct Job {
        std::string title;
        std::vector<Page> pages;
        bool ended = false;    // EndDoc finished it
        bool aborted = false;  // Abort cancelled it
    };

    // A device that fails: from the given page on it cannot start a page (0: never), or it
    // cannot finish a document.
    int failFromPage = 0;
    bool failEnd = false;

    // Every job begun, in order; the last one may still be running.
    const std::vector<Job>& Jobs() const { return jobs_; }
    // Renders a page of a job on white paper, every pixel of the page scaled down by `reduce`
    // (1: the full page; a page pixel (x, y) lands on (x / reduce, y / reduce)).
    QImage RenderPage(int job, int page, int reduce = 1) const;

    int PageWidth() const override { return width_; }
    int PageHeight() const override { return height_; }
    int PixelsPerInchY() const override { return ppi_; }

protected:
    void StartJob() override;
    bool StartPage() override;
    bool FinishJob() override;
    void CancelJob() override;
    void DrawBitmap(const Rect& dest, const QImage& dib, const Rect& src) override;

private:
    int width_, height_, ppi_;
    std::vector<Job> jobs_;
};

}  // namespace platform
