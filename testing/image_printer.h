// A printer for tests whose pages stay in memory: each page keeps the bitmaps copied onto it (as
// the one-bit bitmaps a printer is sent) and its text layer, and renders into an image. Every
// finished job (ended or aborted) is kept with its pages. It can be made to fail a page or the
// end of a job.
#pragma once

#include <QImage>
#include <string>
#include <vector>

#include "platform/qt_printer.h"

namespace testprinter {

class ImagePrinter : public platform::Printer {
public:
    ImagePrinter(int pageWidth, int pageHeight, int pixelsPerInchY);

    struct Copy {
        platform::Rect dest;
        QImage dib;
        platform::Rect src;
    };
    struct Page {
        std::vector<Copy> copies;
        std::vector<platform::TextRow> text;  // the text layer, row by row
    };
    struct Job {
        std::string title;
        std::vector<Page> pages;
        bool ended = false;    // EndDoc finished it
        bool aborted = false;  // Abort cancelled it
    };

    // Faults on demand, a device that fails: from the given page on it cannot start a page (0:
    // never), or it cannot finish a document.
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
    void DrawBitmap(const platform::Rect& dest, const platform::Bitmap& bitmap, const platform::Rect& src,
                    const platform::Rect& inked) override;
    void DrawTextLayer(const platform::TextRow& row) override;

private:
    int width_, height_, ppi_;
    std::vector<Job> jobs_;
};

}  // namespace testprinter
