// The printer service: the rules of a print job, the one-bit bitmap sent to the page, pages
// rendered from the in-memory printer, a job printed through Qt into a PDF file, and the print
// dialog where no printer queue is installed.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <stdexcept>

#include "platform/qt_printer.h"
#include "platform/services.h"
#include "platform/surface.h"
#include "testing/image_printer.h"

namespace {

using testprinter::ImagePrinter;
using platform::Rect;

platform::Bitmap TwoByTwo() {
    // Black, white / white, black.
    platform::Bitmap b(2, 2);
    b.SetMonochrome(true);
    b.SetPixel(0, 0, platform::clBlack);
    b.SetPixel(1, 1, platform::clBlack);
    return b;
}

TEST(PrinterJob, PagesAreCountedFromOneAndAJobEndsOnce) {
    ImagePrinter p(100, 200, 300);
    EXPECT_FALSE(p.Printing());
    p.Title = "letter";
    p.BeginDoc();
    EXPECT_TRUE(p.Printing());
    EXPECT_EQ(p.PageNumber(), 1);
    EXPECT_THROW(p.BeginDoc(), std::runtime_error);  // one job at a time
    EXPECT_TRUE(p.Printing());
    p.NewPage();
    p.NewPage();
    EXPECT_EQ(p.PageNumber(), 3);
    p.EndDoc();
    EXPECT_FALSE(p.Printing());
    EXPECT_FALSE(p.Aborted());
    ASSERT_EQ(p.Jobs().size(), 1u);
    EXPECT_EQ(p.Jobs()[0].title, "letter");
    EXPECT_EQ(p.Jobs()[0].pages.size(), 3u);
    EXPECT_TRUE(p.Jobs()[0].ended);
    // Without a job nothing reaches the device.
    EXPECT_THROW(p.NewPage(), std::runtime_error);
    EXPECT_THROW(p.EndDoc(), std::runtime_error);
    EXPECT_THROW(p.StretchDIBits({0, 0, 2, 2}, TwoByTwo(), {0, 0, 2, 2}), std::runtime_error);
    EXPECT_EQ(p.Jobs()[0].pages.size(), 3u);
}

TEST(PrinterJob, AbortClearsTheRunningFlagAndTheNextJobStartsAfresh) {
    ImagePrinter p(100, 200, 300);
    p.Abort();  // no job: nothing happens
    EXPECT_FALSE(p.Aborted());
    EXPECT_TRUE(p.Jobs().empty());
    p.BeginDoc();
    p.StretchDIBits({0, 0, 2, 2}, TwoByTwo(), {0, 0, 2, 2});
    p.Abort();
    EXPECT_FALSE(p.Printing());
    EXPECT_TRUE(p.Aborted());
    EXPECT_TRUE(p.Jobs()[0].aborted);
    EXPECT_FALSE(p.Jobs()[0].ended);
    EXPECT_THROW(p.EndDoc(), std::runtime_error);
    p.Abort();
    EXPECT_EQ(p.Jobs().size(), 1u);
    p.BeginDoc();
    EXPECT_FALSE(p.Aborted());
    EXPECT_EQ(p.PageNumber(), 1);
    p.EndDoc();
    EXPECT_TRUE(p.Jobs()[1].ended);
}

TEST(PrinterBitmap, TheDeviceIndependentBitmapHoldsOneBitPerPixel) {
    platform::Bitmap b(19, 3);  // a width that is not a multiple of 8
    b.SetMonochrome(true);
    b.Canvas().SetFillColor(platform::clWhite);
    b.Canvas().FillRect({0, 0, 19, 3});
    b.SetPixel(0, 0, platform::clBlack);
    b.SetPixel(8, 1, platform::clBlack);
    b.SetPixel(18, 2, platform::clBlack);
    const QImage dib = platform::DeviceIndependentBitmap(b);
    EXPECT_EQ(dib.format(), QImage::Format_Mono);
    EXPECT_EQ(dib.size(), QSize(19, 3));
    ASSERT_EQ(dib.colorCount(), 2);
    int black = 0;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 19; ++x) {
            const bool isBlack = (dib.pixel(x, y) & 0xFFFFFF) == 0;
            EXPECT_EQ(isBlack, (x == 0 && y == 0) || (x == 8 && y == 1) || (x == 18 && y == 2)) << x << "," << y;
            black += isBlack;
        }
    EXPECT_EQ(black, 3);
    // Colours of a colour bitmap fall to the nearer of black and white.
    platform::Bitmap c(2, 1);
    c.SetPixel(0, 0, platform::RGB(40, 40, 90));
    c.SetPixel(1, 0, platform::clYellow);
    const QImage cd = platform::DeviceIndependentBitmap(c);
    EXPECT_EQ(cd.pixel(0, 0) & 0xFFFFFF, 0u);
    EXPECT_EQ(cd.pixel(1, 0) & 0xFFFFFF, 0xFFFFFFu);
}

TEST(PrinterBitmap, RenderedPagesShowTheStretchedCopies) {
    ImagePrinter p(12, 9, 300);
    p.BeginDoc();
    // The 2 x 2 checker stretched by 3 into the top-left corner, and its black pixel at (0, 0)
    // alone stretched into a 3 x 3 block at (9, 6).
    p.StretchDIBits({0, 0, 6, 6}, TwoByTwo(), {0, 0, 2, 2});
    p.StretchDIBits({9, 6, 12, 9}, TwoByTwo(), {0, 0, 1, 1});
    p.NewPage();
    p.EndDoc();
    const QImage page = p.RenderPage(0, 0);
    ASSERT_EQ(page.size(), QSize(12, 9));
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 12; ++x) {
            const bool expected = (x < 3 && y < 3) || (x >= 3 && x < 6 && y >= 3 && y < 6) || (x >= 9 && y >= 6);
            EXPECT_EQ((page.pixel(x, y) & 0xFFFFFF) == 0, expected) << x << "," << y;
        }
    // Reduced by 3, each block is one pixel.
    const QImage small = p.RenderPage(0, 0, 3);
    ASSERT_EQ(small.size(), QSize(4, 3));
    EXPECT_EQ(small.pixel(0, 0) & 0xFFFFFF, 0u);
    EXPECT_EQ(small.pixel(1, 1) & 0xFFFFFF, 0u);
    EXPECT_EQ(small.pixel(3, 2) & 0xFFFFFF, 0u);
    EXPECT_EQ(small.pixel(1, 0) & 0xFFFFFF, 0xFFFFFFu);
    // The second page is blank paper.
    const QImage blank = p.RenderPage(0, 1, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(blank.pixel(x, y) & 0xFFFFFF, 0xFFFFFFu);
}

TEST(PrinterInstall, TheInstalledPrinterIsCurrentUntilRemoved) {
    platform::Printer& real = platform::CurrentPrinter();
    ImagePrinter p(10, 10, 96);
    platform::InstallPrinter(&p);
    EXPECT_EQ(&platform::CurrentPrinter(), &p);
    platform::InstallPrinter(nullptr);
    EXPECT_EQ(&platform::CurrentPrinter(), &real);
    EXPECT_NE(&real, static_cast<platform::Printer*>(&p));
}

// Counts the page objects of a PDF written by Qt.
int PdfPages(const QByteArray& pdf) {
    int n = 0;
    for (qsizetype at = pdf.indexOf("/Type /Page"); at >= 0; at = pdf.indexOf("/Type /Page", at + 1))
        if (at + 11 >= pdf.size() || pdf[at + 11] != 's') ++n;
    return n;
}

TEST(QtPrinterJob, PagesGoIntoTheDocumentAndAFailedStartLeavesNoJob) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QPrinter device(QPrinter::HighResolution);
    device.setOutputFormat(QPrinter::PdfFormat);
    device.setOutputFileName(dir.filePath("out.pdf"));
    platform::QtPrinter p(&device);
    EXPECT_EQ(p.PixelsPerInchY(), device.logicalDpiY());
    EXPECT_GT(p.PageWidth(), 0);
    EXPECT_GT(p.PageHeight(), p.PageWidth());  // portrait paper

    p.BeginDoc();
    p.StretchDIBits({0, 0, 600, 600}, TwoByTwo(), {0, 0, 2, 2});
    p.NewPage();
    p.StretchDIBits({0, 0, 600, 600}, TwoByTwo(), {0, 0, 2, 2});
    EXPECT_EQ(p.PageNumber(), 2);
    p.EndDoc();
    EXPECT_FALSE(p.Printing());
    QFile file(dir.filePath("out.pdf"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray pdf = file.readAll();
    EXPECT_TRUE(pdf.startsWith("%PDF"));
    EXPECT_EQ(PdfPages(pdf), 2);

    // An aborted job frees the printer for the next one.
    device.setOutputFileName(dir.filePath("second.pdf"));
    p.BeginDoc();
    p.Abort();
    EXPECT_FALSE(p.Printing());
    EXPECT_TRUE(p.Aborted());
    device.setOutputFileName(dir.filePath("third.pdf"));
    p.BeginDoc();
    p.EndDoc();
    EXPECT_TRUE(QFile::exists(dir.filePath("third.pdf")));

    // A device that cannot print refuses the job, which then is not running.
    QPrinter nowhere(QPrinter::HighResolution);
    nowhere.setOutputFormat(QPrinter::PdfFormat);
    nowhere.setOutputFileName(dir.filePath("missing/folder/out.pdf"));
    platform::QtPrinter bad(&nowhere);
    EXPECT_THROW(bad.BeginDoc(), std::runtime_error);
    EXPECT_FALSE(bad.Printing());
}

TEST(QtPrinterJob, AFileThatCannotBeWrittenFailsTheJobAndAFailedJobKeepsTheEarlierFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QPrinter device(QPrinter::HighResolution);
    device.setOutputFormat(QPrinter::PdfFormat);
    platform::QtPrinter p(&device);
    // A device that refuses every write: the failure comes at a new page or at the end, never
    // as a finished job.
    device.setOutputFileName("/dev/full");
    bool failed = false;
    try {
        p.BeginDoc();
        for (int page = 1; page <= 40; ++page) {
            p.StretchDIBits({0, 0, 600, 600}, TwoByTwo(), {0, 0, 2, 2});
            if (page < 40) p.NewPage();
        }
        p.EndDoc();
    } catch (const std::runtime_error& e) {
        failed = true;
        EXPECT_NE(std::string(e.what()).find("/dev/full"), std::string::npos) << e.what();
    }
    EXPECT_TRUE(failed);
    EXPECT_FALSE(p.Printing());

    // An aborted job leaves the file that was there.
    const QString earlier = dir.filePath("earlier.pdf");
    QFile file(earlier);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("earlier");
    file.close();
    device.setOutputFileName(earlier);
    p.BeginDoc();
    p.StretchDIBits({0, 0, 600, 600}, TwoByTwo(), {0, 0, 2, 2});
    p.Abort();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "earlier");
}

TEST(PrintDialog, WithoutAPrinterQueueTheDialogOffersThePdfFileAndPrintingSetsItUp) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QPrinter& system = platform::SystemPrinter();
    // Qt's printer where no printer queue is installed: PDF output, no file yet.
    system.setOutputFormat(QPrinter::PdfFormat);
    system.setOutputFileName(QString());
    const QString offered = dir.filePath("story.pdf");
    platform::OfferPdfFile(offered.toStdString());

    // The user looks at the dialog that opens and presses Return on it.
    QString shown, choice, file;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) return;
        user.stop();
        shown = modal->metaObject()->className();
        if (auto* printers = modal->findChild<QComboBox*>("printers")) choice = printers->currentText();
        if (auto* name = modal->findChild<QLineEdit*>("filename")) file = name->text();
        QTest::keyClick(modal, Qt::Key_Return);
    });
    user.start(10);
    platform::Services real;
    const bool confirmed = real.PrintDialog();
    user.stop();

    EXPECT_EQ(shown, "QPrintDialog");
    EXPECT_EQ(choice, "Print to File (PDF)");
    EXPECT_EQ(file, offered);
    EXPECT_TRUE(confirmed);
    EXPECT_EQ(system.outputFormat(), QPrinter::PdfFormat);
    EXPECT_EQ(system.outputFileName(), offered);
    system.setOutputFileName(QString());
}

}  // namespace
