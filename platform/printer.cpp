// Print jobs and the Qt printer.
#include "platform/qt_printer.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <stdexcept>

#include "platform/qt_surface.h"

namespace platform {

QImage DeviceIndependentBitmap(const Bitmap& bitmap, const Rect& inked) {
    const QImage& image = QtImage(bitmap);
    if (image.isNull()) return QImage();
    const int width = image.width(), height = image.height();
    QImage dib(width, height, QImage::Format_Mono);
    dib.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    dib.fill(1);
    // Black stays black and every other colour becomes white, as on the monochrome page bitmap.
    // Eight pixels make a byte; pure black and pure white, all a page holds, need no arithmetic.
    const Rect area = inked.Empty() ? Rect{0, 0, width, height}
                                    : Rect{std::max(0, inked.left) & ~7, std::max(0, inked.top), std::min(width, inked.right),
                                           std::min(height, inked.bottom)};
    for (int y = area.top; y < area.bottom; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        uchar* out = dib.scanLine(y);
        for (int x0 = area.left; x0 < area.right; x0 += 8) {
            const int n = std::min(8, width - x0);
            if (n == 8) {
                // Eight white pixels, the common case, in one test.
                std::uint64_t w[4];
                std::memcpy(w, row + x0, sizeof w);
                if ((w[0] & w[1] & w[2] & w[3]) == ~std::uint64_t{0}) continue;
            }
            unsigned bits = 0, plain = 1;
            for (int b = 0; b < n; ++b) {
                const QRgb c = row[x0 + b] | 0xFF000000u;
                bits |= static_cast<unsigned>(c == 0xFFFFFFFFu) << (7 - b);
                plain &= static_cast<unsigned>(c == 0xFFFFFFFFu || c == 0xFF000000u);
            }
            if (!plain) {
                bits = 0;
                for (int b = 0; b < n; ++b) {
                    const QRgb c = row[x0 + b];
                    const int luma = qRed(c) * 299 + qGreen(c) * 587 + qBlue(c) * 114;
                    bits |= static_cast<unsigned>(luma >= 128 * 1000) << (7 - b);
                }
            }
            out[x0 >> 3] = static_cast<uchar>(bits | (0xFFu >> n));
        }
    }
    return dib;
}

// ---------------------------------------------------------------------------------------------
// Jobs

void Printer::BeginDoc() {
    if (printing_) throw std::runtime_error("Printing in progress");
    StartJob();
    printing_ = true;
    aborted_ = false;
    pageNumber_ = 1;
}

namespace {

std::string WithReason(std::string message, const std::string& reason) {
    if (!reason.empty()) message += " " + reason;
    return message;
}

}  // namespace

void Printer::NewPage() {
    if (!printing_) throw std::runtime_error("Printer is not currently printing");
    if (!StartPage()) {
        const std::string reason = FailureText();
        Abort();
        throw std::runtime_error(WithReason("The printer could not start page " + std::to_string(pageNumber_ + 1) + ".", reason));
    }
    ++pageNumber_;
}

void Printer::EndDoc() {
    if (!printing_) throw std::runtime_error("Printer is not currently printing");
    printing_ = false;
    if (!FinishJob()) throw std::runtime_error(WithReason("The printer could not finish printing.", FailureText()));
}

void Printer::Abort() {
    if (!printing_) return;
    printing_ = false;
    aborted_ = true;
    CancelJob();
}

void Printer::StretchDIBits(const Rect& dest, const Bitmap& bitmap, const Rect& src, const Rect& inked) {
    if (!printing_) throw std::runtime_error("Printer is not currently printing");
    if (dest.Empty() || src.Empty() || bitmap.Width() <= 0 || bitmap.Height() <= 0) return;
    DrawBitmap(dest, bitmap, src, inked);
}

void Printer::TextLayer(const TextRow& row) {
    if (!printing_) throw std::runtime_error("Printer is not currently printing");
    if (row.bytes.empty() || row.cellWidth <= 0) return;
    DrawTextLayer(row);
}

namespace {
Printer* installed = nullptr;
}

QPrinter& SystemPrinter() {
    // Created on first use and kept for the whole run: it carries the dialog's choices from one
    // print command to the next. It is never destroyed, as it must not outlive the application
    // object in a static destructor. Without a printer queue Qt sets it to PDF output.
    static QPrinter* printer = new QPrinter(QPrinter::HighResolution);
    return *printer;
}

void OfferPdfFile(const std::string& pdfPath) {
    QPrinter& printer = SystemPrinter();
    // The dialog opens on "Print to File (PDF)" when the printer has a file name.
    if (printer.outputFormat() == QPrinter::PdfFormat) printer.setOutputFileName(QString::fromStdString(pdfPath));
}

Printer& CurrentPrinter() {
    if (installed) return *installed;
    static QtPrinter* real = new QtPrinter();
    return *real;
}

void InstallPrinter(Printer* printer) { installed = printer; }

// ---------------------------------------------------------------------------------------------
// QtPrinter

QtPrinter::QtPrinter(QPrinter* printer, bool preview) : printer_(printer), preview_(preview) {}

QtPrinter::~QtPrinter() {
    if (painter_ && painter_->isActive()) painter_->end();
    CloseFile(false);
}

QPrinter& QtPrinter::Device() const { return printer_ ? *printer_ : SystemPrinter(); }

int QtPrinter::PageWidth() const { return pdf_ ? pdf_->width() : Device().width(); }
int QtPrinter::PageHeight() const { return pdf_ ? pdf_->height() : Device().height(); }
int QtPrinter::PixelsPerInchY() const { return pdf_ ? pdf_->logicalDpiY() : Device().logicalDpiY(); }

void QtPrinter::StartJob() {
    QPrinter& device = Device();
    const QString title = QString::fromLocal8Bit(Title.c_str());
    device.setDocName(title);
    failure_.clear();
    painter_ = std::make_unique<QPainter>();
    if (preview_ || device.outputFormat() != QPrinter::PdfFormat) {
        if (!painter_->begin(&device)) {
            painter_.reset();
            throw std::runtime_error("The printer could not start printing.");
        }
        return;
    }
    // A PDF file: a regular file (or a new one) is replaced only when the whole document has been
    // written; anything else (a device, a pipe) is written directly.
    const QString name = device.outputFileName();
    if (name.isEmpty()) {
        painter_.reset();
        throw std::runtime_error("No file was chosen to print to.");
    }
    const QFileInfo info(name);
    if (!info.exists() || info.isFile())
        file_ = std::make_unique<QSaveFile>(name);
    else
        file_ = std::make_unique<QFile>(name);
    if (info.isDir() || !file_->open(QIODevice::WriteOnly)) {
        const std::string reason = info.isDir() ? "Is a directory" : file_->errorString().toStdString();
        file_.reset();
        painter_.reset();
        throw std::runtime_error("Cannot write \"" + name.toStdString() + "\": " + reason);
    }
    pdf_ = std::make_unique<QPdfWriter>(file_.get());
    pdf_->setResolution(device.resolution());
    pdf_->setPageLayout(device.pageLayout());
    pdf_->setTitle(title);
    pdf_->setCreator(QStringLiteral("Mekalon"));
    if (!painter_->begin(pdf_.get())) {
        painter_.reset();
        CloseFile(false);
        throw std::runtime_error("The printer could not start printing.");
    }
}

bool QtPrinter::StartPage() {
    if (!pdf_) return Device().newPage();
    // Writes that already failed fail the page: the file is lost, printing on is pointless.
    if (file_->error() != QFileDevice::NoError) {
        failure_ = FileFailure();
        return false;
    }
    return pdf_->newPage();
}

bool QtPrinter::FinishJob() {
    bool ok = painter_ && painter_->end();
    painter_.reset();
    if (!pdf_) return ok;
    ok = ok && file_->flush() && file_->error() == QFileDevice::NoError;
    if (!ok && failure_.empty()) failure_ = FileFailure();
    return CloseFile(ok) && ok;
}

void QtPrinter::CancelJob() {
    if (!pdf_) Device().abort();
    if (painter_) painter_->end();
    painter_.reset();
    CloseFile(false);
}

void QtPrinter::DrawBitmap(const Rect& dest, const Bitmap& bitmap, const Rect& src, const Rect& inked) {
    if (!painter_) return;
    const QImage dib = DeviceIndependentBitmap(bitmap, inked);
    // Whole printer pixels per bitmap pixel: no smoothing, every bitmap pixel a sharp block.
    painter_->setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter_->drawImage(QRect(dest.left, dest.top, dest.Width(), dest.Height()), dib,
                        QRect(src.left, src.top, src.Width(), src.Height()));
}

std::string QtPrinter::FileFailure() const {
    return "Cannot write \"" + file_->fileName().toStdString() + "\": " + file_->errorString().toStdString();
}

// Closes the PDF file: kept, it replaces the earlier file; not kept, the earlier file stays.
bool QtPrinter::CloseFile(bool keep) {
    pdf_.reset();
    if (!file_) return true;
    bool ok = true;
    if (auto* save = qobject_cast<QSaveFile*>(file_.get())) {
        if (!keep) {
            save->cancelWriting();
        } else if (!save->commit()) {
            failure_ = FileFailure();
            ok = false;
        }
    } else {
        file_->close();
    }
    file_.reset();
    return ok;
}

}  // namespace platform
