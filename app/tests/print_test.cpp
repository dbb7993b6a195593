// The Print command: the selection check, the print dialog, the selected text printed with the
// editor's graphics size, progress in the main window's title, Esc in the editor while printing,
// and the selection removed afterwards.
#include <gtest/gtest.h>

#include <QAction>
#include <QTest>
#include <memory>
#include <utility>

#include "app/tests/app_fixture.h"
#include "app/umekalon.h"
#include "editor/printjob.h"
#include "platform/printer.h"
#include "print/thaiprint.h"

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
        printjob::AbortRunningPrintJob = nullptr;
    }
    void SetText(const std::vector<std::string>& lines) {
        fmekalon->Tm1->Lines.Assign(lines);
        fmekalon->Tm1->Modified = false;
        fmekalon->Tm1->SetCursor(0, 0);
    }
    void Select(int line, int from, int to) {
        fmekalon->Tm1->SetCursor(line, from);
        fmekalon->Tm1->StartSelection();
        fmekalon->Tm1->SetCursor(line, to);
        fmekalon->Tm1->ExtendSelection();
    }
    // What the printing component prints for a text, on a printer like the test's.
    std::vector<QImage> Expected(const std::string& text, int size) {
        platform::ImagePrinter other(printer.PageWidth(), printer.PageHeight(), printer.PixelsPerInchY());
        platform::InstallPrinter(&other);
        const auto during = std::exchange(services.onProcessMessages, nullptr);
        {
            TThaiprint p(fmekalon);
            p.SetParent(fmekalon, &fmekalon->host->Canvas());
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

    platform::ImagePrinter printer{1600, 2200, 192};  // scale 2: an 800 x 1100 page bitmap
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
    EXPECT_FALSE(printjob::AbortRunningPrintJob);
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
    platform::ImagePrinter tiny(400, 30, 96);
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

}  // namespace
