// The text control on its host window: rows and cells of the backing image, the caret line,
// partial repaints, scrolling, resizing, graphics sizes and word wrap.
#include <QScrollBar>

#include "editor/tests/paint_fixture.h"
#include "script/thai.h"

namespace painttest {
namespace {

const std::vector<std::string> kText = {
    "\xB7\xD5\xE8\xBC\xD9\xE9\xE3\xCB\xAD\xE8\xBA\xE9\xD2\xB9",  // a village headman
    "\xB9\xE9\xD3 \xBB\xD9\xE8",                                  // water, grandfather
    "",
    "\xA1\xAE\xCB\xC1\xD2\xC2",                                  // law
    "*\xA2\xD4\xE8*",
};

class ViewTest : public PaintTest {};

TEST_F(ViewTest, EveryLineIsDrawnInItsRowAndRowsBelowAreBlank) {
    Open(20, 8);
    SetText(kText);
    for (int r = 0; r < 5; ++r) EXPECT_TRUE(RowShowsLine(r, kText[static_cast<size_t>(r)])) << r;
    for (int r = 5; r < 8; ++r) EXPECT_TRUE(RowShowsLine(r, "")) << r;
    // The partial column and row at the right and bottom edges are painted too.
    const int w = host_->ClientWidth(), h = host_->ClientHeight();
    for (int y = 8 * 32; y < h; ++y) EXPECT_EQ(At(w - 1, y), clWhite);
}

TEST_F(ViewTest, CaretIsALineUnderTheCursorCell) {
    for (int g = 1; g <= 2; ++g) {
        Open(20, 4);
        SetText(kText);
        list_->SetGraphicsize(g);
        list_->HideCaret();
        list_->SetCursor(1, 3);
        list_->DrawCaret();
        const int cw = 12 * g, rh = 32 * g, pen = g;
        // The line of pen width g at LowerLevel - pen, from x + pen div 2 to x + CellWidth - pen.
        const int x = 3 * cw + pen / 2, y = rh + 27 * g - pen;
        for (int px = 3 * cw; px < 4 * cw; ++px)
            for (int py = y - pen; py < y + pen + 1; ++py) {
                const bool onCaret = px >= x && px < x + cw - pen && py >= y - pen / 2 && py < y - pen / 2 + pen;
                const Color c = At(px, py);
                if (onCaret)
                    EXPECT_EQ(c, platform::clBlack) << "g " << g << " " << px << "," << py;
                else
                    EXPECT_NE(c, platform::clBlack) << "g " << g << " " << px << "," << py;
            }
        // Around the line the cell shows its glyphs; hiding the caret paints the line white.
        EXPECT_TRUE(RowShows(1, 3, Reference(kText[1], 3, 1)));
        list_->HideCaret();
        for (int px = x; px < x + cw - pen; ++px) EXPECT_EQ(At(px, y), clWhite);
    }
}

TEST_F(ViewTest, HidingTheCaretKeepsTheDescendersOfTheCell) {
    // Latin descenders drawn through the font reach the caret row; a caret that moved over them
    // must not leave a gap.
    const std::string line = "pqy gjp";
    Open(20, 3);
    SetText({line});
    for (int col : {0, 1, 2, 4, 5, 6, 3}) {
        list_->HideCaret();
        list_->SetCursor(0, col);
        list_->DrawCaret();
    }
    EXPECT_TRUE(RowShowsLine(0, line));
    // The cell under the caret itself shows its text around the caret line.
    EXPECT_TRUE(RowShows(0, 3, Reference(line, 3, 1)));
}

TEST_F(ViewTest, RepaintRangeRepaintsExactlyTheCellsBetweenTwoPoints) {
    Open(10, 5);
    SetText(kText);
    Scribble();
    list_->RepaintRange(3, 1, 2, 4);  // points given in either order: (1, 4) to (3, 2)
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 10; ++c) {
            const bool inside = (r == 1 && c >= 4) || r == 2 || (r == 3 && c < 2);
            if (inside)
                EXPECT_FALSE(CellScribbled(c, r)) << c << "," << r;
            else
                EXPECT_TRUE(CellFullyScribbled(c, r)) << c << "," << r;
        }
    EXPECT_TRUE(RowShows(1, 4, Reference(kText[1], 4, 6)));
    EXPECT_TRUE(RowShows(3, 0, Reference(kText[3], 0, 2)));

    // Equal points repaint nothing.
    Scribble();
    list_->RepaintRange(2, 2, 3, 3);
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 10; ++c) EXPECT_TRUE(CellFullyScribbled(c, r));
}

TEST_F(ViewTest, RepaintRangeFollowsTheScrolledView) {
    Open(10, 3);
    std::vector<std::string> lines;
    for (int k = 0; k < 12; ++k) lines.push_back(Consonants(30, k));
    SetText(lines);
    list_->SetCursor(5, 14);  // scrolls: TopLine 3, LeftCol 5
    ASSERT_EQ(list_->TopLine, 3);
    ASSERT_EQ(list_->LeftCol, 5);
    Settle();  // the host paints what came into view
    Scribble();
    // From a point above the view to line 4, cell 9: rows 0 (whole) and 1 up to view column 3.
    list_->RepaintRange(1, 4, 7, 9);
    EXPECT_TRUE(RowShows(0, 0, Reference(lines[3], 5, 10)));
    EXPECT_TRUE(RowShows(1, 0, Reference(lines[4], 5, 4)));
    EXPECT_TRUE(CellFullyScribbled(4, 1));
    EXPECT_TRUE(CellFullyScribbled(0, 2));
}

TEST_F(ViewTest, PaintRequestRepaintsTheClipFromTheScrollPositions) {
    Open(10, 4);
    std::vector<std::string> lines;
    for (int k = 0; k < 20; ++k) lines.push_back(Consonants(25, k));
    SetText(lines);
    Scribble();
    host_->SetScrollPos(platform::ScrollBar::Vertical, 6 * 32);
    host_->SetScrollPos(platform::ScrollBar::Horizontal, 2 * 12);
    // A clip over view columns 1..3 of rows 1..2 (bottom and right exclusive, inside the cells).
    list_->HostPaint({12 + 3, 32 + 3, 3 * 12 + 5, 2 * 32 + 5});
    EXPECT_EQ(list_->TopLine, 6);
    EXPECT_EQ(list_->LeftCol, 2);
    EXPECT_TRUE(RowShows(1, 1, Reference(lines[7], 3, 3)));
    EXPECT_TRUE(RowShows(2, 1, Reference(lines[8], 3, 3)));
    EXPECT_TRUE(CellFullyScribbled(0, 1));
    EXPECT_TRUE(CellFullyScribbled(4, 1));
    EXPECT_TRUE(CellFullyScribbled(1, 0));
    EXPECT_TRUE(CellFullyScribbled(1, 3));
}

TEST_F(ViewTest, ScrollBarBetweenRowsSnapsToTheRowAbove) {
    Open(10, 4);
    std::vector<std::string> lines;
    for (int k = 0; k < 20; ++k) lines.push_back(Consonants(25, k));
    SetText(lines);
    // The user drags the bars to positions between rows and cells.
    host_->verticalScrollBar()->setValue(3 * 32 + 17);
    host_->horizontalScrollBar()->setValue(4 * 12 + 5);
    Settle();
    EXPECT_EQ(host_->ScrollPos(platform::ScrollBar::Vertical), 3 * 32);
    EXPECT_EQ(host_->ScrollPos(platform::ScrollBar::Horizontal), 4 * 12);
    EXPECT_EQ(list_->TopLine, 3);
    EXPECT_EQ(list_->LeftCol, 4);
    for (int r = 0; r < 4; ++r) EXPECT_TRUE(RowShowsLine(r, lines[static_cast<size_t>(3 + r)], 4)) << r;
}

TEST_F(ViewTest, GraphicsSizeSetsMetricsScrollBarsAndRepaints) {
    Open(30, 6);
    SetText(kText);
    list_->SetGraphicsize(2);
    EXPECT_EQ(list_->CellWidth, 24);
    EXPECT_EQ(list_->RowHeight, 64);
    EXPECT_EQ(list_->ColCount, (30 * 12 + 5) / 24);
    EXPECT_EQ(list_->RowCount, (6 * 32 + 5) / 64);
    EXPECT_EQ(host_->ScrollStep(platform::ScrollBar::Horizontal), 24);
    EXPECT_EQ(host_->ScrollStep(platform::ScrollBar::Vertical), 64);
    EXPECT_EQ(host_->ScrollRange(platform::ScrollBar::Vertical), (5 + list_->RowCount + 1) * 64);
    EXPECT_EQ(host_->ScrollRange(platform::ScrollBar::Horizontal), (list_->ColCount + list_->MaxLineLen) * 24);
    for (int r = 0; r < list_->RowCount; ++r) EXPECT_TRUE(RowShowsLine(r, kText[static_cast<size_t>(r)])) << r;

    // Font mode with a Thai font.
    host_->Canvas().SetFontName("Loma");
    host_->Canvas().SetFontHeight(20);
    list_->SetGraphicsize(0);
    EXPECT_EQ(list_->Graphicsize, 0);
    EXPECT_EQ(list_->LowerLevel, list_->RowHeight);
    EXPECT_EQ(list_->RowCount, (6 * 32 + 5) / list_->RowHeight);
    for (int r = 0; r < list_->RowCount && r < 5; ++r) EXPECT_TRUE(RowShowsLine(r, kText[static_cast<size_t>(r)])) << r;

    // "Fixedsys" in font mode means small bitmaps.
    host_->Canvas().SetFontName("Fixedsys");
    list_->SetGraphicsize(0);
    EXPECT_EQ(list_->Graphicsize, 1);
    EXPECT_EQ(list_->CellWidth, 12);
}

TEST_F(ViewTest, ResizeRecountsRowsAndColumnsAndPaintsTheNewArea) {
    Open(10, 3);
    SetText(kText);
    host_->resize(host_->width() + 5 * 12, host_->height() + 2 * 32);
    Settle();
    EXPECT_EQ(list_->ColCount, 15);
    EXPECT_EQ(list_->RowCount, 5);
    EXPECT_EQ(host_->ScrollRange(platform::ScrollBar::Vertical), (5 + 5 + 1) * 32);
    for (int r = 0; r < 5; ++r) EXPECT_TRUE(RowShowsLine(r, kText[static_cast<size_t>(r)])) << r;
}

// A view 20 cells wide breaks a line of 40 letters into lines of 18 cells and a rest.
TEST_F(ViewTest, WordWrapBreaksLinesToTheViewWidth) {
    Open(20, 5);
    const std::string letters = Consonants(40);
    SetText({letters, "\xB9\xE9\xD3"});
    list_->Modified = false;
    list_->SetCursor(1, 2);
    list_->WordWrap();
    ASSERT_EQ(list_->LineCount(), 4);
    EXPECT_EQ(list_->Lines[0], letters.substr(0, 18));
    EXPECT_EQ(list_->Lines[1], letters.substr(18, 18));
    EXPECT_EQ(list_->Lines[2], letters.substr(36));
    EXPECT_EQ(list_->Lines[3], "\xB9\xE9\xD3");
    EXPECT_TRUE(list_->Modified);
    EXPECT_EQ(list_->CursorLine, 0);
    EXPECT_EQ(list_->CursorCol, 0);
    for (int r = 1; r < 4; ++r) EXPECT_TRUE(RowShowsLine(r, list_->Lines[r])) << r;

    // Wrapping again may break further but never joins lines.
    list_->WordWrap();
    EXPECT_EQ(list_->LineCount(), 4);
}

TEST(HostlessView, PaintingWithoutAHostLeavesTheModelWorking) {
    TThailist list;
    list.Lines.Assign({painttest::Consonants(40), "x"});
    list.SetGraphicsize(2);
    list.PaintRows(0, 10, 0, 10);
    list.RepaintRange(0, 1, 0, 3);
    list.HighlightRange(0, 1, 0, 3);
    list.HideCaret();
    list.DrawCaret();
    list.HostPaint({0, 0, 100, 100});
    list.HostResize();
    list.SetScrollRanges(true);
    EXPECT_EQ(list.Graphicsize, 1);
    // Without a view the width is the narrowest the wrap allows; the text is still wrapped.
    list.WordWrap();
    EXPECT_GT(list.LineCount(), 2);
    std::string joined;
    for (int k = 0; k + 1 < list.LineCount(); ++k) joined += list.Lines[k];
    EXPECT_EQ(joined, painttest::Consonants(40));
}

}  // namespace
}  // namespace painttest
