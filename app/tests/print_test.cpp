// The Print command: the selection check, the print dialog, the selected text printed with the
// editor's graphics size, progress in the main window's title, Esc in the editor while printing,
// failures reported, and the selection removed afterwards; printing into a PDF file where no
// printer queue is installed; the print preview.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QPageSize>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <utility>

#include "app/tests/app_fixture.h"
#include "app/umekalon.h"
#include "editor/lines.h"
#include "platform/cancel.h"
#include "platform/cp874.h"
#include "platform/qt_printer.h"
#include "platform/qt_window.h"
#include "print/thaiprint.h"
#include "testing/image_printer.h"
#include "testing/pdf.h"

namespace {

class PrintCommandTest : public AppWindowsTest {
protected:
    void SetUp() override {
        AppWindowsTest::SetUp();
        platform::InstallPrinter(&printer);
    }
    void TearDown() override {
        platform::InstallPrinter(nullptr);
        AppWindowsTest::TearDown();
    }
    void SetText(const std::vector<std::string>& lines) {
        fmekalon->Tm1->Lines.Assign(lines);
        fmekalon->Tm1->MarkUnmodified();
        fmekalon->Tm1->SetCursor(0, 0);
    }
    void Select(int line, int from, int to) {
        fmekalon->Tm1->SetCursor(line, from);
        fmekalon->Tm1->StartSelection();
        fmekalon->Tm1->SetCursor(line, to);
        fmekalon->Tm1->ExtendSelection();
    }
    // What the printing component prints for a text, on a printer like the test's (or `like`).
    std::vector<QImage> Expected(const std::string& text, int size) { return Expected(text, size, printer); }
    std::vector<QImage> Expected(const std::string& text, int size, const platform::Printer& like) {
        testprinter::ImagePrinter other(like.PageWidth(), like.PageHeight(), like.PixelsPerInchY());
        platform::InstallPrinter(&other);
        const auto during = std::exchange(services.onProcessMessages, nullptr);
        {
            platform::QtWindow window(fmekalon);
            TThaiprint p;
            p.SetParent(&window, &fmekalon->host->Canvas());
            p.PrintText(text, size);
        }
        services.onProcessMessages = during;
        platform::InstallPrinter(&printer);
        std::vector<QImage> pages;
        for (const auto& page : other.Jobs().at(0).pages) pages.push_back(page.copies.at(0).dib);
        return pages;
    }
    std::vector<QImage> Printed(size_t job = 0) const {
        std::vector<QImage> pages;
        for (const auto& page : printer.Jobs().at(job).pages)
            if (!page.copies.empty()) pages.push_back(page.copies.at(0).dib);
        return pages;
    }
    std::string Title() const { return fmekalon->windowTitle().toStdString(); }

    testprinter::ImagePrinter printer{1600, 2200, 192};  // scale 2: an 800 x 1100 page bitmap
};

// A line of TIS-620 as a reader of the file has it.
QString Unicode(const std::string& tis) {
    const std::u32string text = platform::DecodeCp874(tis);
    return QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size())).simplified();
}

// Numbered lines of Thai with stacked marks and some Latin.
std::vector<std::string> ThaiLines(int n) {
    std::vector<std::string> lines;
    for (int i = 1; i <= n; ++i)
        lines.push_back(std::to_string(i) + " \xA1\xD4\xE8\xA7\xE4\xC1\xE9 \xBC\xD9\xE9\xE3\xCB\xAD\xE8 \xB9\xE9\xD3 water");
    return lines;
}

// The system printer as Qt sets it up where no printer queue is installed: PDF output with no
// file chosen yet (here on A4). The print command prints on it; the test's settings go at the end.
class PrintCommandPdfTest : public PrintCommandTest {
protected:
    void SetUp() override {
        PrintCommandTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        system.setOutputFormat(QPrinter::PdfFormat);
        system.setPageSize(QPageSize(QPageSize::A4));
        system.setOutputFileName(QString());
        platform::InstallPrinter(nullptr);
        fmekalon->textfile = dir.filePath("story.txt").toStdString();
        fmekalon->SetTitle();
    }
    void TearDown() override {
        system.setOutputFileName(QString());
        PrintCommandTest::TearDown();
    }
    // The pages as printed on the system printer, on the in-memory printer of the same page.
    std::vector<QImage> ExpectedOnPaper(const std::string& text) {
        const platform::QtPrinter paper(&system);
        auto pages = Expected(text, fmekalon->Tm1->Graphicsize, paper);
        platform::InstallPrinter(nullptr);
        return pages;
    }
    // Whether page `page` (from 1) of a PDF file shows the page bitmap `expected` (its top part).
    void ExpectPageShows(const QString& pdf, int page, const QImage& expected) {
        // One page-bitmap pixel is one rendered pixel: the printer's resolution over the scale,
        // times the detail the page is drawn with.
        const int scale = RoundedQuotient(system.logicalDpiY(), fmekalon->logicalDpiY());
        const int detail = PageDetail(scale, fmekalon->logicalDpiY());
        ASSERT_EQ(system.resolution() * detail % scale, 0);
        const int dpi = system.resolution() * detail / scale;
        ASSERT_GE(dpi, 300);
        const QPoint margin = system.pageLayout().paintRectPixels(system.resolution()).topLeft() * detail / scale;
        EXPECT_LT(testpdf::TopDifference(pdf, page, dpi, expected, margin, expected.height() / 5), 0.05) << "page " << page;
    }
    QPrinter& system = platform::SystemPrinter();
    QTemporaryDir dir;
};

TEST_F(PrintCommandTest, WithoutASelectionTheCommandSaysSoAndPrintsNothing) {
    SetText({"some text"});
    services.printAnswers = {true};
    fmekalon->Printsel->trigger();
    EXPECT_EQ(services.messages, (std::vector<std::string>{"Select the text to print!"}));
    EXPECT_EQ(services.printRequests, 0);
    EXPECT_TRUE(printer.Jobs().empty());
}

TEST_F(PrintCommandTest, ACancelledDialogPrintsNothingAndRemovesTheSelection) {
    SetText({"some text", "more"});
    Select(0, 2, 6);
    services.printAnswers = {false};
    fmekalon->Printsel->trigger();
    EXPECT_EQ(services.printRequests, 1);
    EXPECT_TRUE(printer.Jobs().empty());
    EXPECT_FALSE(fmekalon->Tm1->Selecting);
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(fmekalon->Tm1->Lines[0], "some text");
}

TEST_F(PrintCommandTest, TheSelectionIsPrintedWithTheEditorsGraphicsSize) {
    SetText({"\xA1\xD2\xC3\xE0\xC3\xD5\xC2\xB9 abc", "\xB9\xE9\xD3 water", "last"});
    fmekalon->MediumGraphics->trigger();
    ASSERT_EQ(fmekalon->Tm1->Graphicsize, 2);
    Select(1, 0, 2);  // the word of two cells: no with mai tho, sara am
    const std::string selected = fmekalon->Tm1->SelectedText();
    ASSERT_EQ(selected, "\xB9\xE9\xD3");
    services.printAnswers = {true};
    fmekalon->Printsel->trigger();

    ASSERT_EQ(printer.Jobs().size(), 1u);
    EXPECT_TRUE(printer.Jobs()[0].ended);
    const auto printed = Printed();
    ASSERT_EQ(printed.size(), 1u);
    const auto expected = Expected(selected, 2);
    ASSERT_EQ(expected.size(), 1u);
    EXPECT_EQ(printed[0], expected[0]);
    // Not the same as the whole text, nor as the selection at another size.
    EXPECT_NE(printed[0], Expected(fmekalon->Tm1->JoinedText(), 2)[0]);
    EXPECT_NE(printed[0], Expected(selected, 1)[0]);

    EXPECT_FALSE(fmekalon->Tm1->Selecting);
    EXPECT_EQ(Title(), "noname.txt-Mekalon 5.2");
    EXPECT_FALSE(platform::AnyJobRunning());
}

TEST_F(PrintCommandTest, SelectAllPrintsEveryLineOverSeveralPages) {
    std::vector<std::string> lines;
    for (int i = 0; i < 70; ++i) lines.push_back("line " + std::to_string(i));
    SetText(lines);
    fmekalon->SelectAll->trigger();
    services.printAnswers = {true};
    std::vector<std::string> titles;
    services.onProcessMessages = [&] { titles.push_back(Title()); };
    fmekalon->Printsel->trigger();
    // Rows of 32 in 55..1045: 30 lines a page.
    const auto printed = Printed();
    ASSERT_EQ(printed.size(), 3u);
    EXPECT_EQ(printed, Expected(fmekalon->Tm1->JoinedText(), 1));
    ASSERT_EQ(titles.size(), 70u);
    EXPECT_EQ(titles[0], "noname.txt-Mekalon 5.2");
    EXPECT_EQ(titles[30], "Printing page 1 - ESC to break");
    EXPECT_EQ(titles[69], "Printing page 2 - ESC to break");
    EXPECT_EQ(Title(), "noname.txt-Mekalon 5.2");
    EXPECT_FALSE(fmekalon->Tm1->Selecting);
}

TEST_F(PrintCommandTest, EscInTheEditorAbortsPrintingAndLeavesTextAndCaret) {
    std::vector<std::string> lines;
    for (int i = 0; i < 70; ++i) lines.push_back("line " + std::to_string(i));
    SetText(lines);
    fmekalon->SelectAll->trigger();
    fmekalon->Tm1->SetCursor(3, 2);  // the caret moves; the selection stays
    ASSERT_TRUE(fmekalon->Tm1->Selecting);
    services.printAnswers = {true};
    int events = 0;
    services.onProcessMessages = [&] {
        if (++events == 40) QTest::keyClick(fmekalon->Tm1->tcm, Qt::Key_Escape);
    };
    fmekalon->Printsel->trigger();
    EXPECT_EQ(events, 40);
    ASSERT_EQ(printer.Jobs().size(), 1u);
    EXPECT_TRUE(printer.Jobs()[0].aborted);
    EXPECT_FALSE(printer.Jobs()[0].ended);
    EXPECT_EQ(Printed().size(), 1u);  // the first page went out, the second did not
    EXPECT_EQ(Title(), "noname.txt-Mekalon 5.2");
    EXPECT_EQ(fmekalon->Tm1->LineCount(), 70);
    EXPECT_EQ(fmekalon->Tm1->Lines[69], "line 69");
    EXPECT_FALSE(fmekalon->Tm1->Modified);
    EXPECT_EQ(fmekalon->Tm1->CursorLine, 3);
    EXPECT_EQ(fmekalon->Tm1->CursorCol, 2);
    EXPECT_FALSE(fmekalon->Tm1->Selecting);
    EXPECT_TRUE(services.errors.empty());

    // The next print command prints again.
    fmekalon->SelectAll->trigger();
    services.printAnswers = {true};
    services.onProcessMessages = nullptr;
    fmekalon->Printsel->trigger();
    ASSERT_EQ(printer.Jobs().size(), 2u);
    EXPECT_TRUE(printer.Jobs()[1].ended);
}

TEST_F(PrintCommandTest, PaperTooSmallIsAWarningAndTheSelectionStillGoes) {
    testprinter::ImagePrinter tiny(400, 30, 96);
    platform::InstallPrinter(&tiny);
    SetText({"text"});
    Select(0, 0, 4);
    services.printAnswers = {true};
    fmekalon->Printsel->trigger();
    EXPECT_EQ(services.messages, (std::vector<std::string>{"Paper too small. No printing"}));
    ASSERT_EQ(tiny.Jobs().size(), 1u);
    EXPECT_TRUE(tiny.Jobs()[0].ended);
    EXPECT_TRUE(tiny.Jobs()[0].pages.at(0).copies.empty());
    EXPECT_FALSE(fmekalon->Tm1->Selecting);
    EXPECT_EQ(Title(), "noname.txt-Mekalon 5.2");
}

TEST_F(PrintCommandTest, PagesThatFailToStartOrAJobThatFailsToEndAreReported) {
    SetText(ThaiLines(70));
    for (const bool failEnd : {false, true}) {
        testprinter::ImagePrinter failing(1600, 2200, 192);
        failing.failFromPage = failEnd ? 0 : 2;
        failing.failEnd = failEnd;
        platform::InstallPrinter(&failing);
        services.errors.clear();
        fmekalon->SelectAll->trigger();
        services.printAnswers = {true};
        fmekalon->Printsel->trigger();
        ASSERT_EQ(services.errors.size(), 1u) << failEnd;
        EXPECT_NE(services.errors[0].find(failEnd ? "could not finish" : "could not start page 2"), std::string::npos)
            << services.errors[0];
        ASSERT_EQ(failing.Jobs().size(), 1u);
        EXPECT_FALSE(failing.Jobs()[0].ended);
        EXPECT_FALSE(failing.Printing());
        EXPECT_EQ(Title(), "noname.txt-Mekalon 5.2");
        EXPECT_FALSE(fmekalon->Tm1->Selecting);
        EXPECT_EQ(fmekalon->Tm1->LineCount(), 70);
        EXPECT_FALSE(platform::AnyJobRunning());
    }
}

TEST_F(PrintCommandPdfTest, WithoutAPrinterQueueTheSelectionIsPrintedIntoAPdfFileNamedAfterTheText) {
    SetText(ThaiLines(80));
    const std::string text = JoinLines(ThaiLines(80));
    const auto expected = ExpectedOnPaper(text);
    ASSERT_EQ(expected.size(), 3u);
    fmekalon->SelectAll->trigger();
    services.printAnswers = {true};
    fmekalon->Printsel->trigger();

    EXPECT_TRUE(services.errors.empty()) << services.errors.at(0);
    const QString pdf = dir.filePath("story.pdf");
    EXPECT_EQ(system.outputFileName(), pdf);  // what the dialog offered
    EXPECT_EQ(testpdf::PageCount(pdf), 3);
    ExpectPageShows(pdf, 1, expected[0]);
    ExpectPageShows(pdf, 3, expected[2]);
    // The file carries the text: a reader gets every line back, in order.
    QStringList lines;
    for (const std::string& line : ThaiLines(80)) lines << Unicode(line);
    EXPECT_EQ(testpdf::TextLines(pdf).join('\n').toStdString(), lines.join('\n').toStdString());
    EXPECT_FALSE(fmekalon->Tm1->Selecting);
    EXPECT_EQ(Title(), "story.txt-Mekalon 5.2");
}

TEST_F(PrintCommandPdfTest, ThePreviewDrawsTheSelectionsPagesAsPrintPrintsThemAndKeepsTheSelection) {
    // "Print Pre&view..." follows "&Print..." in the File menu.
    const auto items = fmekalon->fileopt->actions();
    EXPECT_EQ(items.indexOf(fmekalon->PrintPreviewsel), items.indexOf(fmekalon->Printsel) + 1);
    EXPECT_EQ(fmekalon->PrintPreviewsel->text(), "Print Pre&view...");
    SetText(ThaiLines(80));
    fmekalon->PrintPreviewsel->trigger();
    EXPECT_EQ(services.messages, (std::vector<std::string>{"Select the text to print!"}));
    EXPECT_EQ(services.previewRequests, 0);

    fmekalon->SelectAll->trigger();
    const QString preview = dir.filePath("preview.pdf");
    services.onPreview = [&] {
        // The preview's pages drawn onto a printer that keeps them.
        QPrinter pages(QPrinter::HighResolution);
        pages.setOutputFormat(QPrinter::PdfFormat);
        pages.setPageLayout(system.pageLayout());
        pages.setOutputFileName(preview);
        services.previewPaint(&pages);
    };
    fmekalon->PrintPreviewsel->trigger();
    EXPECT_EQ(services.previewRequests, 1);
    EXPECT_TRUE(services.errors.empty());
    EXPECT_TRUE(fmekalon->Tm1->Selecting);
    EXPECT_EQ(Title(), "story.txt-Mekalon 5.2");

    services.printAnswers = {true};
    fmekalon->Printsel->trigger();
    const QString printed = dir.filePath("story.pdf");
    ASSERT_EQ(testpdf::PageCount(preview), 3);
    ASSERT_EQ(testpdf::PageCount(printed), 3);
    for (int page = 1; page <= 3; ++page)
        EXPECT_EQ(testpdf::RenderPage(preview, page, 50), testpdf::RenderPage(printed, page, 50)) << page;
}

}  // namespace
