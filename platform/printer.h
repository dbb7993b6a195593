// The printer: print jobs of pages, the page size and resolution, and stretched copies of
// one-bit device-independent bitmaps onto the page.
//
// Printer holds the state every printer shares (the running flag, the page number, whether the
// last job was aborted) and the rules of a job: BeginDoc starts page 1, NewPage counts pages,
// EndDoc ends the job, Abort cancels it and clears the running flag. A device below it only
// carries out the steps. Two devices exist: QtPrinter, over the QPrinter the print dialog sets
// up, and ImagePrinter, which keeps every page as a list of the bitmaps copied onto it and
// renders pages into images (for tests and previews).
#pragma once

#include <QImage>
#include <memory>
#include <string>
#include <vector>

#include "platform/types.h"

class QPainter;
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
    // Ends the current page and starts the next. Throws when no job is running.
    void NewPage();
    // Ends the job and sends it to the device. Throws when no job is running.
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
    // The device's side of the job; StartJob may throw to refuse the job.
    virtual void StartJob() = 0;
    virtual void StartPage() = 0;
    virtual void FinishJob() = 0;
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
QPrinter& SystemPrinter();

// Prints through Qt on a QPrinter (by default the one the print dialog set up).
class QtPrinter : public Printer {
public:
    explicit QtPrinter(QPrinter* printer = nullptr);
    ~QtPrinter() override;
    int PageWidth() const override;
    int PageHeight() const override;
    int PixelsPerInchY() const override;

protected:
    void StartJob() override;
    void StartPage() override;
    void FinishJob() override;
    void CancelJob() override;
    void DrawBitmap(const Rect& dest, const QImage& dib, const Rect& src) override;

private:
    QPrinter& Device() const;
    QPrinter* printer_;
    std::unique_ptr<QPainter> painter_;
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
    void StartPage() override;
    void FinishJob() override;
    void CancelJob() override;
    void DrawBitmap(const Rect& dest, const QImage& dib, const Rect& src) override;

private:
    int width_, height_, ppi_;
    std::vector<Job> jobs_;
};

}  // namespace platform
