// The printers over Qt: the system printer the print dialog sets up, QtPrinter on a QPrinter (a
// printer queue, a PDF file it writes and checks itself, or the pages of a print preview), and
// the one-bit device-independent bitmap a page is sent as.
#pragma once

#include <QImage>
#include <memory>
#include <string>
#include <vector>

#include "platform/printer.h"

class QFileDevice;
class QPainter;
class QPdfWriter;
class QPrinter;

namespace platform {

// A bitmap as a device-independent bitmap: one bit per pixel with its colour table (black and
// white), the form in which a composed page is sent to the printer. Only the pixels inside
// `inked` are read (empty: all); the others are white.
QImage DeviceIndependentBitmap(const Bitmap& bitmap, const Rect& inked = {});

// The system printer the print dialog chooses and sets up, at the printer's full resolution.
// Where no printer queue is installed it prints to a PDF file.
QPrinter& SystemPrinter();

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
    void DrawBitmap(const Rect& dest, const Bitmap& bitmap, const Rect& src, const Rect& inked) override;
    // Into a PDF file: the row's characters as invisible text over the page (printer_text.cpp).
    void DrawTextLayer(const TextRow& row) override;

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
    // The text layer's font for this job, made on the first row (printer_text.cpp).
    struct TextFont;
    std::shared_ptr<TextFont> textFont_;
};

}  // namespace platform
