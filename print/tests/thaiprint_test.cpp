// Printing a text: page set-up from the printer's page and resolution, lines wrapped to the page
// and drawn by the cell renderer, pages and their count, the progress caption, the paper-too-small
// warning, and Esc in the editor aborting the job.
#include <QTest>
#include <algorithm>

#include "editor/lines.h"
#include "editor/thaimemo.h"
#include "platform/qt_host.h"
#include "print/tests/print_fixture.h"
#include "script/tests/thai_bytes.h"
#include "script/thai.h"

namespace {

using printtest::HasInk;
using printtest::PrintTest;
using printtest::ReferenceLine;
using printtest::SameAt;

const std::string kKoKhai = "\xA1\xA2";  // two consonants: ink in both cells at every size

std::string Lines(int n, const std::string& line = kKoKhai) {
    std::string text;
    for (int i = 0; i < n; ++i) text += line + "\r\n";
    return text;
}

// A rectangle of the page (page pixels) on the page bitmap, which has Detail times as many.
platform::Rect OnBitmap(const testprint::ThaiprintProbe& p, const platform::Rect& r) {
    return {r.left * p.Detail, r.top * p.Detail, r.right * p.Detail, r.bottom * p.Detail};
}

// Row k of the text rectangle of a page, in page-bitmap pixels.
platform::Rect Row(const testprint::ThaiprintProbe& p, int k, int fromCell = 0, int toCell = -1) {
    const int right = toCell < 0 ? p.TextRect.right : toCell * p.CellWidth;
    return OnBitmap(p, {fromCell * p.CellWidth, p.TextRect.top + k * p.RowHeight, right, p.TextRect.top + (k + 1) * p.RowHeight});
}

// ---- Page set-up ---------------------------------------------------------------------------

TEST_F(PrintTest, A600DpiPageIsLaidOutAtScreenSizeAndDrawnAt384Dpi) {
    UsePrinter(4800, 6600, 600);
    Print("abc\r\n", 1);
    EXPECT_EQ(component->Scale, 6);
    EXPECT_EQ(component->Detail, 4);  // 4 x 96 dots per inch: at least 300
    EXPECT_EQ(component->PageBitmapWidth, 800);
    EXPECT_EQ(component->PageBitmapHeight, 1100);
    EXPECT_EQ(component->TextRect, (platform::Rect{0, 55, 760, 1045}));
    EXPECT_EQ(component->CellsPerLine, 760 / 12);

    ASSERT_EQ(printer->Jobs().size(), 1u);
    EXPECT_TRUE(Job().ended);
    EXPECT_FALSE(Job().aborted);
    EXPECT_EQ(Job().title, "");
    ASSERT_EQ(Job().pages.size(), 1u);
    const auto& copy = Job().pages[0].copies.at(0);
    EXPECT_EQ(copy.dest, (platform::Rect{0, 0, 4800, 6600}));
    EXPECT_EQ(copy.src, (platform::Rect{0, 0, 3200, 4400}));
    EXPECT_EQ(copy.dib.size(), QSize(3200, 4400));
    EXPECT_EQ(copy.dib.format(), QImage::Format_Mono);
    EXPECT_TRUE(services.warnings.empty());
}

TEST_F(PrintTest, ScaleAndBitmapSizeRoundHalvesToTheEvenNeighbour) {
    struct Case {
        int ppi, width, height, scale, w, h;
    };
    const Case cases[] = {
        {720, 1004, 1012, 8, 126, 126},  // 7.5 -> 8; 125.5 -> 126, 126.5 -> 126
        {240, 505, 515, 2, 252, 258},    // 2.5 -> 2; 252.5 -> 252, 257.5 -> 258
        {600, 300, 400, 6, 50, 67},      // 6.25 -> 6; 66.67 -> 67
        {40, 200, 300, 1, 200, 300},     // 0.42 -> 0, taken as 1
        {144, 301, 299, 2, 150, 150},    // 1.5 -> 2; 150.5 -> 150, 149.5 -> 150
    };
    for (const Case& c : cases) {
        UsePrinter(c.width, c.height, c.ppi);
        Print("x\r\n", 1);
        EXPECT_EQ(component->Scale, c.scale) << c.ppi;
        EXPECT_EQ(component->PageBitmapWidth, c.w) << c.ppi;
        EXPECT_EQ(component->PageBitmapHeight, c.h) << c.ppi;
        const auto& copy = Job().pages.at(0).copies.at(0);
        EXPECT_EQ(copy.dest, (platform::Rect{0, 0, c.w * c.scale, c.h * c.scale})) << c.ppi;
    }
}

TEST_F(PrintTest, EmptyTextStartsNoJob) {
    UsePrinter(4800, 6600, 600);
    Print("", 1);
    EXPECT_TRUE(printer->Jobs().empty());
    EXPECT_EQ(Caption(), printtest::kCaption);
    EXPECT_EQ(services.events, 0);
}

TEST_F(PrintTest, PaperTooSmallWarnsEndsTheJobAndDrawsNothing) {
    // 30 pixels high: the text rectangle (1 to 29) is lower than one row of 32.
    UsePrinter(400, 30, 96);
    Print(Lines(3), 1);
    EXPECT_EQ(services.warnings, (std::vector<std::string>{"Paper too small. No printing"}));
    ASSERT_EQ(printer->Jobs().size(), 1u);
    EXPECT_TRUE(Job().ended);
    ASSERT_EQ(Job().pages.size(), 1u);
    EXPECT_TRUE(Job().pages[0].copies.empty());
    EXPECT_EQ(services.events, 0);
    EXPECT_EQ(Caption(), printtest::kCaption);
    EXPECT_FALSE(printer->Printing());

    // Too narrow for one cell: 12 pixels hold a cell of 12, 11 do not.
    UsePrinter(12, 400, 96);
    Print(Lines(1), 1);
    EXPECT_EQ(services.warnings.size(), 1u);
    EXPECT_EQ(Job().pages[0].copies.size(), 1u);
    UsePrinter(11, 400, 96);
    Print(Lines(1), 1);
    EXPECT_EQ(services.warnings.size(), 2u);
    EXPECT_TRUE(Job().pages[0].copies.empty());
    EXPECT_TRUE(Job().ended);

    // At graphics size 3 a row is 96 high: a page that holds rows of size 1 is too small.
    UsePrinter(400, 100, 96);
    Print(Lines(1), 1);
    EXPECT_EQ(services.warnings.size(), 2u);
    UsePrinter(400, 100, 96);
    Print(Lines(1), 3);
    EXPECT_EQ(services.warnings.size(), 3u);
}

// ---- Pages ---------------------------------------------------------------------------------

TEST_F(PrintTest, APageHoldsAsManyLinesAsRowsFitAndTheRestGoesOnTheNextPages) {
    // 600 dpi: rows of 32 in 55..1045 give 30 lines a page.
    UsePrinter(4800, 6600, 600);
    Print(Lines(61), 1);
    ASSERT_EQ(Job().pages.size(), 3u);
    EXPECT_TRUE(Job().ended);
    for (int page = 0; page < 3; ++page) {
        const QImage& dib = Sent(static_cast<size_t>(page));
        const int lines = page < 2 ? 30 : 1;
        for (int k = 0; k < 31; ++k)
            EXPECT_EQ(HasInk(dib, Row(*component, k)), k < lines) << "page " << page << " row " << k;
    }
}

TEST_F(PrintTest, ALineCountThatFillsThePagesExactlyEndsOnItsLastFullPage) {
    // 30 lines a page: 30 and 60 lines fill their pages; no empty page follows.
    for (const int lines : {30, 59, 60}) {
        UsePrinter(4800, 6600, 600);
        Print(Lines(lines), 1);
        ASSERT_EQ(Job().pages.size(), 1u + (lines > 30)) << lines;
        EXPECT_TRUE(Job().ended) << lines;
        const QImage& last = Sent(Job().pages.size() - 1);
        EXPECT_TRUE(HasInk(last, Row(*component, (lines - 1) % 30))) << lines;
        EXPECT_EQ(HasInk(last, Row(*component, 29)), lines % 30 == 0) << lines;
    }
}

TEST_F(PrintTest, EachLineIsTheRenderersCellsAfterATabCellAndTheMarginsStayWhite) {
    UsePrinter(4800, 6600, 600);
    // Thai with stacked marks (ki with mai ek, kho khai with sara u), an asterisk, Latin, digits.
    const std::vector<std::string> lines = {"\xA1\xD4\xE8\xA2\xD8 *", "Hello, 123", "\xE0\xBB\xE7\xB9\xCA\xD8\xA2"};
    Print(lines[0] + "\r\n" + lines[1] + "\r\n" + lines[2], 1);
    const QImage dib = Sent(0).convertToFormat(QImage::Format_RGB32);
    const int d = component->Detail;
    for (size_t k = 0; k < lines.size(); ++k) {
        // The renderer's cells at the page bitmap's size: glyph size 1 times the detail.
        const QImage expected = ReferenceLine(lines[k], d, component->CellsPerLine);
        EXPECT_TRUE(SameAt(dib, 0, (55 + static_cast<int>(k) * 32) * d, expected)) << "line " << k;
        EXPECT_TRUE(HasInk(dib, Row(*component, static_cast<int>(k), 1, 2))) << "line " << k;
    }
    // The TAB takes the first cell of every line; text begins one cell to the right.
    EXPECT_FALSE(HasInk(dib, OnBitmap(*component, {0, 55, 12, 55 + 3 * 32})));
    // Nothing in the margins, nothing below the last line.
    EXPECT_FALSE(HasInk(dib, OnBitmap(*component, {0, 0, 800, 55})));
    EXPECT_FALSE(HasInk(dib, OnBitmap(*component, {760, 0, 800, 1100})));
    EXPECT_FALSE(HasInk(dib, OnBitmap(*component, {0, 55 + 3 * 32, 800, 1100})));
}

TEST_F(PrintTest, GraphicsSizeTwoDrawsCellsTwiceAsLarge) {
    UsePrinter(4800, 6600, 600);
    Print("\xA1\xD4\xE8\xA2\r\n\xA3\r\n", 2);
    EXPECT_EQ(component->CellWidth, 24);
    EXPECT_EQ(component->RowHeight, 64);
    EXPECT_EQ(component->CellsPerLine, 760 / 24);
    const QImage dib = Sent(0).convertToFormat(QImage::Format_RGB32);
    const int d = component->Detail;
    EXPECT_TRUE(SameAt(dib, 0, 55 * d, ReferenceLine("\xA1\xD4\xE8\xA2", 2 * d, 31)));
    EXPECT_TRUE(SameAt(dib, 0, (55 + 64) * d, ReferenceLine("\xA3", 2 * d, 31)));
}

TEST_F(PrintTest, ThePageBitmapIsStretchedOntoThePrinterPage) {
    struct Case {
        int ppi, scale, detail;
    };
    // 192 dpi: scale 2, a 150 x 200 page drawn at the printer's own resolution. 600 dpi: scale 6,
    // drawn at 4 x 96 dots per inch and stretched one and a half times.
    for (const Case c : {Case{192, 2, 2}, Case{600, 6, 4}}) {
        UsePrinter(150 * c.scale, 200 * c.scale, c.ppi);
        Print("\xA1\xD4\xE8\xA2 abc\r\n", 1);
        ASSERT_EQ(component->Scale, c.scale);
        ASSERT_EQ(component->Detail, c.detail);
        const QImage& dib = Sent(0);
        ASSERT_EQ(dib.size(), QSize(150 * c.detail, 200 * c.detail));
        const QImage page = printer->RenderPage(0, 0);
        ASSERT_EQ(page.size(), QSize(150 * c.scale, 200 * c.scale));
        ASSERT_TRUE(HasInk(dib, {0, 0, dib.width(), dib.height()}));
        int mismatches = 0;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x)
                if ((page.pixel(x, y) & 0xFFFFFF) != (dib.pixel(x * c.detail / c.scale, y * c.detail / c.scale) & 0xFFFFFF))
                    ++mismatches;
        EXPECT_EQ(mismatches, 0) << c.ppi;
    }
}

// ---- Wrapping to the page ------------------------------------------------------------------

TEST_F(PrintTest, LinesAreWrappedToTheCellsOfThePage) {
    // 127 pixels at scale 1: the text rectangle is 121 wide, 10 cells of 12.
    UsePrinter(127, 2000, 96);
    std::string consonants;
    for (int i = 0; i < 20; ++i) consonants += static_cast<char>(0xA1 + i);
    Print(consonants + "\r\nshort\r\n", 1);
    EXPECT_EQ(component->CellsPerLine, 10);
    ASSERT_EQ(component->Lines.size(), 4u);
    EXPECT_EQ(component->Lines[0], consonants.substr(0, 8));
    EXPECT_EQ(component->Lines[1], consonants.substr(8, 8));
    EXPECT_EQ(component->Lines[2], consonants.substr(16));
    EXPECT_EQ(component->Lines[3], "short");
    const QImage& dib = Sent(0);
    // Row 0: the TAB cell, eight consonants, then nothing.
    EXPECT_TRUE(HasInk(dib, Row(*component, 0, 8, 9)));
    EXPECT_FALSE(HasInk(dib, Row(*component, 0, 9)));
    // Row 2: four consonants.
    EXPECT_TRUE(HasInk(dib, Row(*component, 2, 4, 5)));
    EXPECT_FALSE(HasInk(dib, Row(*component, 2, 5)));
}

TEST_F(PrintTest, WrappingBreaksAfterSpacesAndLosesNoText) {
    UsePrinter(127, 2000, 96);  // 10 cells a line
    const std::string text = "one two three four five six seven eight nine ten eleven twelve";
    Print(text + "\r\n", 1);
    std::string joined;
    for (const std::string& line : component->Lines) {
        EXPECT_LE(thai::CellCount(line), 9) << line;  // with the TAB cell, at most 10
        EXPECT_NE(line.front(), ' ') << line;
        joined += line;
    }
    EXPECT_EQ(joined, text);
    EXPECT_EQ(component->Lines[0], "one two ");
    // Wrapping alone leaves "seven eight " 12 cells wide, which would run off the page.
    EXPECT_NE(std::find(component->Lines.begin(), component->Lines.end(), "seven "), component->Lines.end());
    EXPECT_FALSE(HasInk(Sent(0), OnBitmap(*component, {component->TextRect.right, 0, 127, 2000})));
}

TEST_F(PrintTest, LinesAreSplitAndWrappedAsTheWholeTextWouldBe) {
    // Split and wrapped a line at a time while printing: the same lines as splitting the whole
    // text, wrapping it joined and splitting it again. Every kind of line end, empty lines, unspaced
    // Thai, a line end at the very end or none, and a NUL that ends the text.
    UsePrinter(127, 2000, 96);  // 10 cells a line
    const std::string texts[] = {
        "one two three four five six seven\r\nsecond\nthird\r\rfourth\n\rfifth\r\n\r\n",
        "\xC0\xD2\xC9\xD2\xE4\xB7\xC2\xE0\xBB\xE7\xB9\xC0\xD2\xC9\xD2\xB7\xD5\xE8\xCA\xC7\xC2\xA7\xD2\xC1\nlast",
        std::string("before\r\nthe NUL", 16) + std::string(1, '\0') + "after\r\n",
    };
    for (const std::string& text : texts) {
        std::vector<std::string> printed;
        services.onProcessMessages = [&] { printed.push_back(component->Lines.back()); };
        Print(text, 1);
        std::string whole = JoinLines(SplitLines(text));
        thai::WrapText(whole, component->CellsPerLine);
        EXPECT_EQ(printed, SplitLines(whole)) << thaitest::ToHex(text);
    }
}

// ---- Font mode -----------------------------------------------------------------------------

TEST_F(PrintTest, FontModePrintsWithTheParentsFont) {
    fontSource.Canvas().SetFontName("DejaVu Sans");
    fontSource.Canvas().SetFontHeight(20);
    UsePrinter(4800, 6600, 600);
    Print("\xA1\xD4\xE8\xA2 Thai\r\n", 0);
    EXPECT_EQ(component->Graphicsize, 0);
    EXPECT_EQ(component->PageBitmap.Canvas().FontName(), "DejaVu Sans");
    EXPECT_EQ(component->PageBitmap.Canvas().FontHeight(), 20 * component->Detail);  // drawn at the detail
    // The same metrics as the renderer gets from that font on any surface.
    TCustomthai reference;
    platform::Bitmap b(4, 4);
    b.Canvas().SetFontName("DejaVu Sans");
    b.Canvas().SetFontHeight(20);
    reference.SetCanvasMetrics(b.Canvas(), 0);
    EXPECT_EQ(component->CellWidth, reference.CellWidth);
    EXPECT_EQ(component->RowHeight, reference.RowHeight);
    EXPECT_NE(component->RowHeight, 32);
    EXPECT_TRUE(HasInk(Sent(0), Row(*component, 0, 1, 3)));
    EXPECT_FALSE(HasInk(Sent(0), Row(*component, 1)));

    // The parent's "Fixedsys" has no Thai: font mode becomes graphics size 1.
    fontSource.Canvas().SetFontName("Fixedsys");
    UsePrinter(4800, 6600, 600);
    Print("\xA1\r\n", 0);
    EXPECT_EQ(component->Graphicsize, 1);
    EXPECT_EQ(component->RowHeight, 32);
}

// ---- Progress and interruption -------------------------------------------------------------

TEST_F(PrintTest, TheCaptionShowsThePageLastSentAndReturnsAtTheEnd) {
    UsePrinter(4800, 6600, 600);
    std::vector<std::string> seen;
    services.onProcessMessages = [&] { seen.push_back(Caption()); };
    Print(Lines(61), 1);
    ASSERT_EQ(seen.size(), 61u);  // pending events run after every line
    for (size_t i = 0; i < 61; ++i) {
        const std::string expected = i < 30   ? printtest::kCaption
                                     : i < 60 ? "Printing page 1 - ESC to break"
                                              : "Printing page 2 - ESC to break";
        EXPECT_EQ(seen[i], expected) << i;
    }
    EXPECT_EQ(Caption(), printtest::kCaption);
}

// An editor on its own window, where Esc is pressed while a job prints.
class PrintEscTest : public PrintTest {
protected:
    void SetUp() override {
        PrintTest::SetUp();
        host.resize(400, 300);
        host.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
        memo.Attach(&host);
        memo.Lines.Assign({"first line", "second \xA1\xD4\xE8 line", "third"});
        memo.Modified = false;
        memo.SetCursor(1, 4);
    }
    void PressEscAfterLine(int line) {
        services.onProcessMessages = [this, line] {
            if (services.events == line) QTest::keyClick(memo.tcm, Qt::Key_Escape);
        };
    }
    void ExpectEditorUntouched() {
        ASSERT_EQ(memo.LineCount(), 3);
        EXPECT_EQ(memo.Lines[0], "first line");
        EXPECT_EQ(memo.Lines[1], "second \xA1\xD4\xE8 line");
        EXPECT_EQ(memo.Lines[2], "third");
        EXPECT_EQ(memo.CursorLine, 1);
        EXPECT_EQ(memo.CursorCol, 4);
        EXPECT_FALSE(memo.Modified);
        EXPECT_FALSE(memo.Selecting);
    }
    platform::ThaiHost host;
    TThaimemo memo;
};

TEST_F(PrintEscTest, EscStopsAfterTheCurrentLineAndTheLastPageIsNotSent) {
    UsePrinter(4800, 6600, 600);
    PressEscAfterLine(5);
    Print(Lines(61), 1);
    EXPECT_EQ(services.events, 5);  // no line after the one during which Esc came
    EXPECT_EQ(component->LineIndex, 5);
    ASSERT_EQ(printer->Jobs().size(), 1u);
    EXPECT_TRUE(Job().aborted);
    EXPECT_FALSE(Job().ended);
    ASSERT_EQ(Job().pages.size(), 1u);
    EXPECT_TRUE(Job().pages[0].copies.empty());
    EXPECT_EQ(Caption(), printtest::kCaption);
    EXPECT_FALSE(platform::AnyJobRunning());
    ExpectEditorUntouched();
}

TEST_F(PrintEscTest, EscOnTheSecondPageKeepsTheFirstPage) {
    UsePrinter(4800, 6600, 600);
    PressEscAfterLine(35);
    Print(Lines(61), 1);
    EXPECT_TRUE(Job().aborted);
    ASSERT_EQ(Job().pages.size(), 2u);
    EXPECT_EQ(Job().pages[0].copies.size(), 1u);
    EXPECT_TRUE(Job().pages[1].copies.empty());
    EXPECT_EQ(Caption(), printtest::kCaption);
    ExpectEditorUntouched();
}

TEST_F(PrintEscTest, EscOnAHugeTextStopsAtTheFirstLineWithoutWrappingTheRest) {
    // 200,000 lines, then one line of a megabyte without a break: the first line prints and Esc
    // is seen before any other line has been split or wrapped.
    std::string text = Lines(200000, "\xA1\xD4\xE8\xA2 " + std::string(40, 'x'));
    text += std::string(1 << 20, '\xA1') + "\r\n";
    UsePrinter(4800, 6600, 600);
    size_t linesAtEsc = 0;
    services.onProcessMessages = [&] {
        linesAtEsc = component->Lines.size();
        QTest::keyClick(memo.tcm, Qt::Key_Escape);
    };
    Print(text, 1);
    EXPECT_EQ(services.events, 1);
    EXPECT_EQ(linesAtEsc, 1u);
    EXPECT_EQ(component->LineIndex, 1);
    EXPECT_TRUE(Job().aborted);
    ASSERT_EQ(Job().pages.size(), 1u);
    EXPECT_TRUE(Job().pages[0].copies.empty());
    EXPECT_EQ(Caption(), printtest::kCaption);
    EXPECT_FALSE(platform::AnyJobRunning());
    ExpectEditorUntouched();

    // The line of a megabyte alone: Esc after its third printed line.
    services.events = 0;
    services.onProcessMessages = [&] {
        if (services.events == 3) QTest::keyClick(memo.tcm, Qt::Key_Escape);
    };
    Print(std::string(1 << 20, '\xA1'), 1);
    EXPECT_EQ(services.events, 3);
    EXPECT_EQ(component->Lines.size(), 3u);
    EXPECT_TRUE(Job(1).aborted);
}

TEST_F(PrintEscTest, EscOutsideAJobLeavesThePrinterAlone) {
    UsePrinter(4800, 6600, 600);
    Print(Lines(2), 1);
    QTest::keyClick(memo.tcm, Qt::Key_Escape);
    EXPECT_TRUE(Job().ended);
    EXPECT_FALSE(Job().aborted);
    // A second job after an aborted one starts afresh.
    services.events = 0;
    PressEscAfterLine(1);
    Print(Lines(2), 1);
    ASSERT_EQ(printer->Jobs().size(), 2u);
    EXPECT_TRUE(Job(1).aborted);
    services.onProcessMessages = nullptr;
    Print(Lines(2), 1);
    ASSERT_EQ(printer->Jobs().size(), 3u);
    EXPECT_TRUE(Job(2).ended);
    EXPECT_FALSE(printer->Aborted());
    ExpectEditorUntouched();
}

TEST_F(PrintTest, APrintStartedWhileAJobRunsIsRefusedAndTheRunningJobGoesOn) {
    UsePrinter(4800, 6600, 600);
    bool refused = false;
    services.onProcessMessages = [&] {
        if (services.events != 2) return;
        auto second = Component();
        try {
            second->PrintText("other\r\n", 1);
        } catch (const std::runtime_error&) {
            refused = true;
        }
    };
    Print(Lines(3), 1);
    EXPECT_TRUE(refused);
    ASSERT_EQ(printer->Jobs().size(), 1u);
    EXPECT_TRUE(Job().ended);
    EXPECT_EQ(services.events, 3);
    EXPECT_EQ(Caption(), printtest::kCaption);
}

}  // namespace
