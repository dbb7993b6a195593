// The joined text and the selection: its points in lines and cells and as offsets, the selected
// bytes, deleting and replacing it.
#include <gtest/gtest.h>

#include "editor/tests/model_fixture.h"

using modeltest::Fill;
using modeltest::LinesOf;
using Strings = std::vector<std::string>;

namespace {

// Selects from (line1, col1) to (line2, col2) as the keys and the mouse do.
void Select(TThailist& list, int line1, int col1, int line2, int col2) {
    list.SetCursor(line1, col1);
    list.StartSelection();
    list.SetCursor(line2, col2);
    list.ExtendSelection();
}

struct Range {
    bool any;
    int start, length;
    friend bool operator==(const Range&, const Range&) = default;
};
std::ostream& operator<<(std::ostream& os, const Range& r) {
    return os << "{" << r.any << ", " << r.start << ", " << r.length << "}";
}

Range RangeOf(const TThailist& list) {
    Range r{};
    r.any = list.SelectionRange(r.start, r.length);
    return r;
}

}  // namespace

TEST(ModelJoined, LineStartsAndPointOffsets) {
    TThailist list;
    Fill(list, {"ab", "", "\xA1\xD4\xE8\xA2", "xyz"});
    const std::string joined = list.JoinedText();
    EXPECT_EQ(joined, "ab\r\n\r\n\xA1\xD4\xE8\xA2\r\nxyz\r\n");
    EXPECT_EQ(TThailist::LineStartPos(joined, 0), 0);
    EXPECT_EQ(TThailist::LineStartPos(joined, 1), 4);
    EXPECT_EQ(TThailist::LineStartPos(joined, 2), 6);
    EXPECT_EQ(TThailist::LineStartPos(joined, 3), 12);
    EXPECT_EQ(TThailist::LineStartPos(joined, 4), 17);  // LineCount: the whole length
    EXPECT_EQ(TThailist::LineStartPos(joined, 9), 17);
    // A lone CR also ends a line when the text is walked.
    EXPECT_EQ(TThailist::LineStartPos("a\rb\r\nc", 1), 2);
    EXPECT_EQ(TThailist::LineStartPos("a\rb\r\nc", 2), 5);

    auto offset = [&](int line, int col) {
        const int pos = list.PointOffset(line, col);
        EXPECT_EQ(list.Lines.StartOf(line), TThailist::LineStartPos(joined, line));
        return std::tuple{line, col, pos};
    };
    EXPECT_EQ(offset(0, 1), std::tuple(0, 1, 1));
    EXPECT_EQ(offset(0, 7), std::tuple(0, 2, 2));     // right of the end: the line's end
    EXPECT_EQ(offset(1, 3), std::tuple(1, 0, 4));
    EXPECT_EQ(offset(2, 1), std::tuple(2, 1, 9));     // cells, not bytes: past the marks
    EXPECT_EQ(offset(2, 2), std::tuple(2, 2, 10));
    EXPECT_EQ(offset(4, 5), std::tuple(4, 0, 17));    // below the last line: the end
    EXPECT_EQ(offset(40, 0), std::tuple(4, 0, 17));
}

TEST(ModelSelection, SelectingAcrossLinesTakesTheBreaks) {
    TThailist list;
    Fill(list, {"ab", "cd", "ef"});
    Select(list, 1, 1, 2, 1);
    EXPECT_TRUE(list.Selecting);
    EXPECT_EQ(RangeOf(list), (Range{true, 5, 4}));
    EXPECT_EQ(list.SelectedText(), "d\r\ne");
    EXPECT_EQ(list.AnchorLine, 1);
    EXPECT_EQ(list.AnchorCol, 1);
    EXPECT_EQ(list.AnchorPos, 5);
    EXPECT_EQ(list.ExtentLine, 2);
    EXPECT_EQ(list.ExtentCol, 1);
    EXPECT_EQ(list.ExtentPos, 9);

    // The extent moves on while the anchor stays; backwards past the anchor the range flips.
    list.SetCursor(0, 0);
    list.ExtendSelection();
    EXPECT_EQ(RangeOf(list), (Range{true, 0, 5}));
    EXPECT_EQ(list.SelectedText(), "ab\r\nc");
    EXPECT_EQ(list.AnchorPos, 5);
    EXPECT_EQ(list.ExtentPos, 0);

    // Back onto the anchor: still selecting, but nothing is selected.
    list.SetCursor(1, 1);
    list.ExtendSelection();
    EXPECT_TRUE(list.Selecting);
    EXPECT_FALSE(RangeOf(list).any);
    EXPECT_EQ(list.SelectedText(), "");
}

TEST(ModelSelection, WholeTextIncludingTheLastBreak) {
    TThailist list;
    Fill(list, {"\xA1\xD4\xE8", "b"});
    Select(list, 0, 0, 5, 9);
    EXPECT_EQ(list.ExtentLine, 2);
    EXPECT_EQ(list.ExtentCol, 0);
    EXPECT_EQ(list.SelectedText(), "\xA1\xD4\xE8\r\nb\r\n");
}

TEST(ModelSelection, PointsBeyondTheTextAreClamped) {
    TThailist list;
    Fill(list, {"abc", "de"});
    // Right of a line's end: the selection starts at that end.
    list.SetCursor(0, 9);
    list.StartSelection();
    EXPECT_EQ(list.AnchorCol, 3);
    EXPECT_EQ(list.AnchorPos, 3);
    EXPECT_EQ(list.CursorCol, 9);  // the cursor itself stays where it was put
    list.ClearSelection();

    // Below the last line: at the end of the joined text, after the last CR LF.
    list.SetCursor(4, 3);
    list.StartSelection();
    EXPECT_EQ(list.AnchorLine, 2);
    EXPECT_EQ(list.AnchorCol, 0);
    EXPECT_EQ(list.AnchorPos, 9);
    list.SetCursor(1, 1);
    list.ExtendSelection();
    EXPECT_EQ(list.SelectedText(), "e\r\n");
}

TEST(ModelSelection, NothingStartsOnAnEmptyText) {
    TThailist list;
    list.RowCount = 5;
    list.ColCount = 5;
    list.SetCursor(2, 2);
    list.StartSelection();
    EXPECT_FALSE(list.Selecting);
    list.SetCursor(0, 0);
    list.ExtendSelection();
    EXPECT_FALSE(list.Selecting);
    EXPECT_EQ(list.SelectedText(), "");
    EXPECT_FALSE(RangeOf(list).any);
    list.DeleteSelection();
    EXPECT_EQ(list.LineCount(), 0);
    EXPECT_FALSE(list.Modified);
}

TEST(ModelSelection, StartKeepsARunningSelectionAndClearZeroesIt) {
    TThailist list;
    Fill(list, {"abcdef"});
    Select(list, 0, 1, 0, 4);
    list.SetCursor(0, 5);
    list.StartSelection();  // already selecting: the anchor stays
    EXPECT_EQ(list.AnchorCol, 1);
    EXPECT_EQ(list.SelectedText(), "bcd");

    list.ClearSelection();
    EXPECT_FALSE(list.Selecting);
    for (int v : {list.AnchorLine, list.AnchorCol, list.ExtentLine, list.ExtentCol, list.AnchorPos, list.ExtentPos})
        EXPECT_EQ(v, 0);
    list.ExtendSelection();  // nothing to extend
    EXPECT_FALSE(list.Selecting);
    EXPECT_EQ(list.ExtentCol, 0);
    EXPECT_FALSE(list.Modified);
}

TEST(ModelDelete, SpanningLinesJoinsTheirEnds) {
    TThailist list;
    Fill(list, {"line one", "line two", "line three", "line four", "line five"});
    Select(list, 1, 2, 3, 5);
    list.DeleteSelection();
    EXPECT_EQ(LinesOf(list), (Strings{"line one", "lifour", "line five"}));
    EXPECT_EQ(list.CursorLine, 1);
    EXPECT_EQ(list.CursorCol, 2);
    EXPECT_FALSE(list.Selecting);
    EXPECT_TRUE(list.Modified);
}

TEST(ModelDelete, BackwardSelectionLeavesTheCursorAtItsStart) {
    TThailist list;
    Fill(list, {"\xA1\xD4\xE8\xA2\xA3", "xyz"});
    Select(list, 1, 1, 0, 1);  // from "y" back to the cell after the marked ko kai
    EXPECT_EQ(list.SelectedText(), "\xA2\xA3\r\nx");
    list.DeleteSelection();
    EXPECT_EQ(LinesOf(list), (Strings{"\xA1\xD4\xE8yz"}));
    EXPECT_EQ(list.CursorLine, 0);
    EXPECT_EQ(list.CursorCol, 1);
}

TEST(ModelDelete, WithinOneLineAndToTheEnd) {
    TThailist list;
    Fill(list, {"abcdef", "gh"});
    Select(list, 0, 4, 0, 1);
    list.DeleteSelection();
    EXPECT_EQ(LinesOf(list), (Strings{"aef", "gh"}));
    EXPECT_EQ(list.CursorCol, 1);

    // From the start of a line to below the last: that line and the rest go.
    Select(list, 1, 0, 7, 0);
    list.DeleteSelection();
    EXPECT_EQ(LinesOf(list), (Strings{"aef"}));

    // Everything.
    Select(list, 0, 0, 3, 0);
    list.DeleteSelection();
    EXPECT_EQ(list.LineCount(), 0);
    EXPECT_EQ(list.CursorLine, 0);
    EXPECT_EQ(list.CursorCol, 0);
}

TEST(ModelDelete, EmptyOrStaleSelectionDeletesNothing) {
    TThailist list;
    Fill(list, {"abc"});
    list.DeleteSelection();  // no selection
    Select(list, 0, 1, 0, 1);
    list.DeleteSelection();  // an empty one
    EXPECT_EQ(LinesOf(list), (Strings{"abc"}));
    EXPECT_FALSE(list.Modified);

    // A change of the text ends the selection; its old offsets delete nothing afterwards.
    Select(list, 0, 0, 0, 3);
    list.Lines.Set(0, "xyz");
    list.DeleteSelection();
    EXPECT_EQ(LinesOf(list), (Strings{"xyz"}));
}

TEST(ModelReplace, SelectionGivesWayToTheNewText) {
    TThaimemo memo;
    Fill(memo, {"price 100 baht", "next"});
    Select(memo, 0, 6, 0, 9);
    ASSERT_EQ(memo.SelectedText(), "100");
    memo.ReplaceSelection("4,000.00");
    EXPECT_EQ(LinesOf(memo), (Strings{"price 4,000.00 baht", "next"}));
    EXPECT_EQ(memo.CursorLine, 0);
    EXPECT_EQ(memo.CursorCol, 6);  // in front of the inserted text
    EXPECT_FALSE(memo.Selecting);
    EXPECT_TRUE(memo.Modified);
    EXPECT_EQ(memo.MaxLineLen, 19);
}

TEST(ModelReplace, AcrossLinesAndRightOfTheEnd) {
    TThaimemo memo;
    Fill(memo, {"ab", "cd", "ef"});
    Select(memo, 2, 1, 0, 1);
    memo.ReplaceSelection("X");
    EXPECT_EQ(LinesOf(memo), (Strings{"aXf"}));

    // Without a selection the text goes in at the cursor; right of the line's end it is
    // appended directly, the gap is not filled.
    memo.SetCursor(0, 10);
    memo.ReplaceSelection("\xA1\xD4");
    EXPECT_EQ(LinesOf(memo), (Strings{"aXf\xA1\xD4"}));
    EXPECT_EQ(memo.CursorCol, 10);

    // Thai cells: the text goes in front of the cursor cell, not among its marks.
    memo.Lines.Assign({"\xA1\xD4\xE8\xA2"});
    memo.SetCursor(0, 1);
    memo.ReplaceSelection("1");
    EXPECT_EQ(LinesOf(memo), (Strings{"\xA1\xD4\xE8" "1\xA2"}));
}

TEST(ModelReplace, NoLineAtTheCursorChangesNothing) {
    TThaimemo memo;
    Fill(memo, {"ab"}, 5, 5);
    memo.SetCursor(3, 0);
    memo.ReplaceSelection("zz");
    EXPECT_EQ(LinesOf(memo), (Strings{"ab"}));
    EXPECT_FALSE(memo.Modified);
}
