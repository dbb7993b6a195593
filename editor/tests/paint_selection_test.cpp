// The selection on screen: the AND-combined highlight, a full repaint with a selection, the
// highlight drawn step by step while a selection is extended, and the caret on the highlight.
#include "editor/tests/paint_fixture.h"
#include "script/thai.h"

namespace painttest {
namespace {

using platform::clBlack;
using platform::clYellow;

class SelectionTest : public PaintTest {
protected:
    // Black-on-white glyphs: with them an AND-combined highlight and a repaint on the highlight
    // colour give the same pixels.
    void OpenBlackWhite(int cols, int rows) { Open(cols, rows, 5, rendertest::BlackWhiteGlyphs()); }

    void MoveTo(int line, int col) {
        list_->SetCursor(line, col);
        list_->ExtendSelection();
    }
    void Select(int line, int col, int toLine, int toCol) {
        list_->SetCursor(line, col);
        list_->StartSelection();
        MoveTo(toLine, toCol);
    }

    // Whether the cell at (line, cell) lies in the ordered selection [start, end).
    bool Selected(int line, int cell) const {
        int sl = list_->AnchorLine, sc = list_->AnchorCol, el = list_->ExtentLine, ec = list_->ExtentCol;
        if (el < sl || (el == sl && ec < sc)) std::swap(sl, el), std::swap(sc, ec);
        return (line > sl || (line == sl && cell >= sc)) && (line < el || (line == el && cell < ec));
    }

    // Every whole cell of the view shows its line's glyphs on the highlight colour exactly when
    // it is selected.
    void ExpectCellsShowTheSelection(const std::vector<std::string>& lines) {
        for (int r = 0; r < list_->RowCount; ++r) {
            const int line = list_->TopLine + r;
            if (line >= list_->LineCount()) continue;
            for (int c = 0; c < list_->ColCount; ++c) {
                const int cell = c + list_->LeftCol;
                const bool sel = Selected(line, cell);
                ASSERT_TRUE(RowShows(r, c, Reference(lines[static_cast<size_t>(line)], cell, 1, sel ? clYellow : clWhite)))
                    << "line " << line << " cell " << cell << (sel ? " selected" : " plain");
            }
        }
    }
};

std::vector<std::string> Text(int n, int len) {
    std::vector<std::string> lines;
    for (int k = 0; k < n; ++k) lines.push_back(Consonants(len - k % 3, k));
    lines[1] = "\xB7\xD5\xE8\xBC\xD9\xE9\xE3\xCB\xAD\xE8\xBA\xE9\xD2\xB9";
    return lines;
}

TEST_F(SelectionTest, HighlightTurnsWhiteIntoTheHighlightAndKeepsGlyphsBlack) {
    OpenBlackWhite(12, 4);
    const auto lines = Text(4, 14);
    SetText(lines);
    list_->HighLightColor = platform::RGB(0, 255, 255);
    const QImage before = Image().copy();
    list_->HighlightRange(2, 0, 9, 3);  // from line 0 cell 3 to line 2 cell 9 (exclusive)
    const QImage& after = Image();
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 12; ++c) {
            const bool inside = (r == 0 && c >= 3) || r == 1 || (r == 2 && c < 9);
            for (int y = r * 32; y < (r + 1) * 32; ++y)
                for (int x = c * 12; x < (c + 1) * 12; ++x) {
                    const Color was = PixelAt(before, x, y), now = PixelAt(after, x, y);
                    ASSERT_TRUE(was == clWhite || was == clBlack);
                    const Color want = !inside ? was : was == clWhite ? platform::RGB(0, 255, 255) : clBlack;
                    ASSERT_EQ(now, want) << "cell " << c << "," << r << " pixel " << x << "," << y;
                }
        }
    EXPECT_EQ(host_->Canvas().GetCopyMode(), platform::CopyMode::SrcCopy);
}

TEST_F(SelectionTest, HighlightRangeOfAScrolledViewStaysInsideTheView) {
    OpenBlackWhite(8, 3);
    std::vector<std::string> lines;
    for (int k = 0; k < 10; ++k) lines.push_back(Consonants(30, k));
    SetText(lines);
    list_->SetCursor(4, 12);  // TopLine 2, LeftCol 5
    ASSERT_EQ(list_->TopLine, 2);
    ASSERT_EQ(list_->LeftCol, 5);
    list_->ResetView();
    const QImage before = Image().copy();
    // From above the view to line 3, cell 8: row 0 whole, row 1 view columns 0..2.
    list_->HighlightRange(0, 3, 20, 8);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 8; ++c) {
            const bool inside = r == 0 || (r == 1 && c < 3);
            const int x = c * 12 + 6, y = r * 32 + 2;  // above the glyphs: white unless highlighted
            ASSERT_EQ(PixelAt(before, x, y), clWhite);
            EXPECT_EQ(At(x, y), inside ? clYellow : clWhite) << c << "," << r;
        }
}

TEST_F(SelectionTest, FullRepaintDrawsSelectedCellsOnTheHighlight) {
    Open(12, 5);  // tracing glyphs: every glyph pixel shows it was drawn on the right background
    const auto lines = Text(4, 14);
    SetText(lines);
    Select(0, 5, 2, 4);
    Scribble();
    list_->PaintRows(0, list_->RowCount, 0, list_->ColCount);
    ExpectCellsShowTheSelection(lines);
    // Rows below the last line are left alone while a selection exists.
    EXPECT_TRUE(CellFullyScribbled(0, 4));
    // Only whole cells: partial-cell highlighting of a mark never happens.
    EXPECT_TRUE(RowShows(1, 0, Reference(lines[1], 0, 12, clYellow)));
}

// Growing, shrinking and crossing the anchor while extending draws the same pixels as a full
// repaint of the final selection.
TEST_F(SelectionTest, ExtendingStepByStepMatchesAFullRepaint) {
    OpenBlackWhite(18, 6);  // wide enough that no step scrolls the view
    const auto lines = Text(6, 16);
    struct Step {
        int line, col;
    };
    const std::vector<std::vector<Step>> paths = {
        {{2, 6}, {2, 9}, {2, 12}, {2, 8}, {2, 3}, {2, 0}, {2, 7}},          // along one line, over the anchor
        {{2, 6}, {4, 2}, {5, 10}, {3, 1}, {1, 9}, {0, 3}, {2, 6}, {4, 12}},  // over lines, both ways
        {{3, 4}, {3, 17}, {1, 12}, {5, 2}, {1, 15}},                         // points right of line ends
    };
    for (const auto& path : paths) {
        SetText(lines);
        list_->HideCaret();  // the steps below draw no caret; neither does the full repaint
        list_->SetCursor(path[0].line, path[0].col);
        list_->StartSelection();
        for (size_t k = 1; k < path.size(); ++k) {
            MoveTo(path[k].line, path[k].col);
            const QImage stepped = Image().copy();
            list_->PaintRows(0, list_->RowCount, 0, list_->ColCount);
            ASSERT_TRUE(SamePixels(stepped, Image())) << "path " << &path - &paths[0] << " after step " << k;
            ExpectCellsShowTheSelection(lines);
        }
        // Clearing the selection repaints it plain.
        list_->ClearSelection();
        const QImage cleared = Image().copy();
        list_->PaintRows(0, list_->RowCount, 0, list_->ColCount);
        EXPECT_TRUE(SamePixels(cleared, Image()));
        EXPECT_TRUE(RowShowsLine(2, lines[2]));
    }
}

TEST_F(SelectionTest, ExtendingInAScrolledViewMatchesAFullRepaint) {
    OpenBlackWhite(8, 3);
    std::vector<std::string> lines;
    for (int k = 0; k < 10; ++k) lines.push_back(Consonants(30, k));
    SetText(lines);
    list_->SetCursor(4, 12);
    list_->ResetView();
    Settle();  // the host paints what came into view
    list_->HideCaret();
    list_->SetCursor(3, 9);
    list_->StartSelection();
    for (auto [line, col] : {std::pair{3, 12}, {4, 6}, {2, 11}, {3, 5}}) {
        MoveTo(line, col);
        ASSERT_EQ(list_->TopLine, 2);
        ASSERT_EQ(list_->LeftCol, 5);
        const QImage stepped = Image().copy();
        list_->PaintRows(0, list_->RowCount, 0, list_->ColCount);
        ASSERT_TRUE(SamePixels(stepped, Image())) << line << "," << col;
    }
}

TEST_F(SelectionTest, HiddenCaretOnTheFirstSelectedCellTakesTheHighlightColour) {
    OpenBlackWhite(12, 3);
    SetText(Text(3, 14));
    // Extent before the anchor: the cursor stands on the first selected cell.
    Select(1, 8, 1, 3);
    list_->DrawCaret();
    const int y = 32 + 27 - 1, x = 3 * 12;
    EXPECT_EQ(At(x + 5, y), clBlack);
    list_->HideCaret();
    for (int px = x; px < x + 11; ++px) EXPECT_EQ(At(px, y), clYellow) << px;
    // The pen is black again for the next caret.
    EXPECT_EQ(host_->Canvas().PenColor(), clBlack);

    // Extent after the anchor: the cursor cell is not selected and the line turns white.
    list_->ClearSelection();
    Select(1, 3, 1, 8);
    list_->DrawCaret();
    list_->HideCaret();
    for (int px = 8 * 12; px < 8 * 12 + 11; ++px) EXPECT_EQ(At(px, y), clWhite) << px;
}

}  // namespace
}  // namespace painttest
