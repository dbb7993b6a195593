// The line list: splitting text into lines, joining them back, and one change notification per
// operation with what the control makes of it.
#include <gtest/gtest.h>

#include "editor/lines.h"
#include "editor/tests/model_fixture.h"

using modeltest::Fill;
using modeltest::LinesOf;
using Strings = std::vector<std::string>;

TEST(ModelSplit, EveryKindOfLineEnd) {
    EXPECT_EQ(SplitLines("a\nb"), (Strings{"a", "b"}));
    EXPECT_EQ(SplitLines("a\rb"), (Strings{"a", "b"}));
    EXPECT_EQ(SplitLines("a\r\nb"), (Strings{"a", "b"}));
    EXPECT_EQ(SplitLines("a\n\rb"), (Strings{"a", "", "b"}));  // LF CR is two breaks
    EXPECT_EQ(SplitLines("a\r\r\nb"), (Strings{"a", "", "b"}));
    EXPECT_EQ(SplitLines("a\n\nb"), (Strings{"a", "", "b"}));
    EXPECT_EQ(SplitLines("\r\na"), (Strings{"", "a"}));
}

TEST(ModelSplit, BreakAtTheEndAddsNoLine) {
    EXPECT_EQ(SplitLines("a\r\nb"), SplitLines("a\r\nb\r\n"));
    EXPECT_EQ(SplitLines("a\nb\n"), (Strings{"a", "b"}));
    EXPECT_EQ(SplitLines("a\r"), (Strings{"a"}));
    EXPECT_EQ(SplitLines("a\r\n\r\n"), (Strings{"a", ""}));
    EXPECT_EQ(SplitLines("\r\n"), (Strings{""}));
    EXPECT_EQ(SplitLines("\n\r"), (Strings{"", ""}));
    EXPECT_EQ(SplitLines(""), Strings{});
}

TEST(ModelSplit, NulEndsTheText) {
    using namespace std::string_literals;
    EXPECT_EQ(SplitLines("ab\ncd\0ef\ngh"s), (Strings{"ab", "cd"}));
    EXPECT_EQ(SplitLines("\0abc"s), Strings{});
    EXPECT_EQ(SplitLines("ab\r\n\0"s), (Strings{"ab"}));
}

TEST(ModelSplit, BytesAreKeptUnchanged) {
    std::string line;
    for (int b = 1; b < 256; ++b)
        if (b != '\r' && b != '\n') line += static_cast<char>(b);
    const std::string longLine(100000, '\xA1');
    const Strings lines = SplitLines(line + "\r\n\t x \r\n" + longLine);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], line);
    EXPECT_EQ(lines[1], "\t x ");  // no tab expansion, no trimming
    EXPECT_EQ(lines[2], longLine);
}

TEST(ModelJoin, EveryLineEndsInCrLf) {
    EXPECT_EQ(JoinLines({}), "");
    EXPECT_EQ(JoinLines({""}), "\r\n");
    EXPECT_EQ(JoinLines({"a", "", "b"}), "a\r\n\r\nb\r\n");
    // Text in CR LF form survives a split and a join unchanged.
    const std::string text = "one\r\n\r\n\xA1\xD4\xE8 two\r\n \r\n";
    EXPECT_EQ(JoinLines(SplitLines(text)), text);
}

TEST(ModelNotify, OneChangePerOperationWithTheLongestLineWritten) {
    TLines lines;
    std::vector<int> calls;
    lines.OnChange = [&](int longest) { calls.push_back(longest); };

    lines.Add("abc");
    lines.Insert(0, "abcdefg");
    lines.Set(1, "x");
    lines.Assign({"1", "12345", "12"});
    lines.Delete(0);
    lines.Clear();
    EXPECT_EQ(calls, (std::vector<int>{3, 7, 1, 5, 0, 0}));
    EXPECT_TRUE(lines.Empty());

    calls.clear();
    lines.Clear();        // already empty: no change
    lines.Set(0, "x");    // no such line
    lines.Delete(-1);
    lines.Delete(0);
    EXPECT_TRUE(calls.empty());
    EXPECT_TRUE(lines.Empty());

    // An insert outside 0..Count goes to the nearest end.
    lines.Insert(5, "last");
    lines.Insert(-2, "first");
    EXPECT_EQ(lines.All(), (Strings{"first", "last"}));
    EXPECT_EQ(calls.size(), 2u);
}

TEST(ModelNotify, ChangeMarksModifiedAndDropsSelectionSilently) {
    TThailist list;
    Fill(list, {"alpha", "beta", "gamma"});
    list.SetCursor(0, 1);
    list.StartSelection();
    list.SetCursor(2, 2);
    list.ExtendSelection();
    ASSERT_TRUE(list.Selecting);
    const int anchorPos = list.AnchorPos, extentPos = list.ExtentPos;
    list.Drag().Dragging = true;

    list.Lines.Set(1, "BETA");
    EXPECT_TRUE(list.Modified);
    EXPECT_FALSE(list.Selecting);
    EXPECT_FALSE(list.Drag().Dragging);
    // The selection fields keep their values.
    EXPECT_EQ(list.AnchorLine, 0);
    EXPECT_EQ(list.AnchorCol, 1);
    EXPECT_EQ(list.ExtentLine, 2);
    EXPECT_EQ(list.ExtentCol, 2);
    EXPECT_EQ(list.AnchorPos, anchorPos);
    EXPECT_EQ(list.ExtentPos, extentPos);
    EXPECT_EQ(list.SelectedText(), "");
    int start = -1, length = -1;
    EXPECT_FALSE(list.SelectionRange(start, length));
}

TEST(ModelNotify, LongestLineOnlyGrowsUntilClear) {
    TThailist list;
    Fill(list, {"12345", "123"});
    EXPECT_EQ(list.MaxLineLen, 5);
    list.Lines.Set(1, std::string(12, 'x'));
    EXPECT_EQ(list.MaxLineLen, 12);
    list.Lines.Delete(1);  // the longest line goes, its length stays
    EXPECT_EQ(list.MaxLineLen, 12);
    list.Lines.Set(0, "1");
    EXPECT_EQ(list.MaxLineLen, 12);
    // So the cursor may still go as far right as before.
    list.SetCursor(0, 100);
    EXPECT_EQ(list.CursorCol, 12 + 20 - 1);
    list.Clear();
    EXPECT_EQ(list.MaxLineLen, 0);
    list.AddLine("abc");
    EXPECT_EQ(list.MaxLineLen, 3);
}

TEST(ModelNotify, AddAndInsertLines) {
    TThailist list;
    list.AddLine("b");
    list.InsertLine(0, "a");
    list.InsertLine(2, "d");
    list.InsertLine(2, "c");
    EXPECT_EQ(LinesOf(list), (Strings{"a", "b", "c", "d"}));
    EXPECT_EQ(list.LineCount(), 4);
    EXPECT_TRUE(list.Modified);
    EXPECT_EQ(list.JoinedText(), "a\r\nb\r\nc\r\nd\r\n");
    list.InsertLine(99, "e");  // past the end: appended
    EXPECT_EQ(list.Lines[4], "e");
}
