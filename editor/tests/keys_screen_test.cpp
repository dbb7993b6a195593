// What reaches the screen: after every key that scrolls the view (the pixels that stay in view are
// moved, only what comes into view is drawn) the screen shows what a full repaint shows, and a key
// hands the screen only the cells it changed.
#include <QEvent>
#include <QPaintEvent>
#include <QRegion>
#include <functional>
#include <string>
#include <vector>

#include "editor/tests/keys_mouse_fixture.h"

namespace {

using keystest::MemoView;

// Lines longer than the view, of Latin words with descenders and Thai cells with stacked marks.
std::vector<std::string> LongLines(int n) {
    static const char* const words[] = {"pay ", "\xA1\xD4\xE8", "query ", "\xBB\xDA", "\xA4\xD8\xE9", "gym. ",
                                        "\xC3\xD1\xA1 ", "(x) "};
    std::vector<std::string> lines;
    for (int i = 0; i < n; ++i) {
        std::string line = std::to_string(i) + " ";
        for (int k = 0; line.size() < 75; ++k) line += words[(i + k) % 8];
        lines.push_back(line);
    }
    return lines;
}

// The areas the host's paint events copied to the screen.
class PushedAreas : public QObject {
public:
    explicit PushedAreas(QWidget* viewport) { viewport->installEventFilter(this); }
    QRegion region;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) region += static_cast<QPaintEvent*>(event)->region();
        return false;
    }
};

TEST(ScreenTest, ScrollingKeysAndBarsShowWhatAFullRepaintShows) {
    MemoView v;
    v.SetText(LongLines(80));
    const int rows = v->RowCount, cols = v->ColCount;
    ASSERT_GT(rows, 4);
    auto atBottomRow = [&] { v.Cursor(v->TopLine + rows - 1, 3); };
    const std::vector<std::pair<std::string, std::function<void()>>> steps = {
        {"Page Down", [&] { v.Key(Qt::Key_PageDown); }},
        {"Ctrl+Down", [&] { v.Key(Qt::Key_Down, Qt::ControlModifier); }},
        {"Ctrl+Down twice", [&] { v.Keys(Qt::Key_Down, 2, Qt::ControlModifier); }},
        {"Ctrl+Up", [&] { v.Key(Qt::Key_Up, Qt::ControlModifier); }},
        {"Down at the bottom edge", [&] { atBottomRow(); v.Key(Qt::Key_Down); }},
        {"Up at the top edge", [&] { v.Cursor(v->TopLine, 3); v.Key(Qt::Key_Up); }},
        {"Right past the right edge", [&] { v.Cursor(v->CursorLine, cols - 1); v.Key(Qt::Key_Right); }},
        {"End", [&] { v.Key(Qt::Key_End); }},
        {"Home", [&] { v.Key(Qt::Key_Home); }},
        {"typing past the right edge", [&] { v.Cursor(v->CursorLine, cols - 1); QTest::keyClicks(v->tcm, "ab"); }},
        {"Shift+Down at the bottom edge", [&] { atBottomRow(); v.Key(Qt::Key_Down, Qt::ShiftModifier); }},
        {"Shift+Ctrl+Down", [&] { v.Keys(Qt::Key_Down, 2, Qt::ControlModifier | Qt::ShiftModifier); }},
        {"Shift+Page Down", [&] { v.Key(Qt::Key_PageDown, Qt::ShiftModifier); }},
        {"Shift+Up at the top edge", [&] { v.Keys(Qt::Key_Up, rows + 1, Qt::ShiftModifier); }},
        {"Page Up with a selection", [&] { v.Key(Qt::Key_PageUp); }},
        {"the bar one row down", [&] { v.ScrollTo(Qt::Vertical, (v->TopLine + 1) * v->RowHeight); }},
        {"the bar three rows up", [&] { v.ScrollTo(Qt::Vertical, (v->TopLine - 3) * v->RowHeight); }},
        {"the bar between rows", [&] { v.ScrollTo(Qt::Vertical, (v->TopLine + 2) * v->RowHeight + 5); }},
        {"the horizontal bar", [&] { v.ScrollTo(Qt::Horizontal, 4 * v->CellWidth); }},
        {"the horizontal bar back", [&] { v.ScrollTo(Qt::Horizontal, 0); }},
        {"a key brings the cursor back", [&] { v.ScrollTo(Qt::Vertical, (v->TopLine + 3) * v->RowHeight); v.Key(Qt::Key_Left); }},
        {"Ctrl+End", [&] { v.Key(Qt::Key_End, Qt::ControlModifier); }},
    };
    for (const auto& [name, step] : steps) {
        SCOPED_TRACE(name);
        step();
        EXPECT_SAME_AS_FULL_REPAINT(v);
    }
    EXPECT_EQ(v->TopLine, 80 - rows + 1) << "Ctrl+End shows the line after the last in the bottom row";
}

// Sideways past the ends of short lines: only the rows that show text from either origin are
// drawn again (a long line, the selection, the caret); the others stay blank.
TEST(ScreenTest, SidewaysScrollsPastShortLinesShowWhatAFullRepaintShows) {
    MemoView v;
    std::vector<std::string> lines = {"short", "\xA1\xD4\xE8 pay", "", "query"};
    lines.push_back(LongLines(1)[0] + LongLines(2)[1]);
    lines.push_back("gym");
    v.SetText(lines);
    const int cols = v->ColCount;
    const std::vector<std::pair<std::string, std::function<void()>>> steps = {
        {"Right past the right edge", [&] { v.Cursor(4, cols - 1); v.Key(Qt::Key_Right); }},
        {"End", [&] { v.Key(Qt::Key_End); }},
        {"typing at the end", [&] { QTest::keyClicks(v->tcm, "xyz"); }},
        {"the bar to the left", [&] { v.ScrollTo(Qt::Horizontal, 2 * v->CellWidth); }},
        {"the bar one column right, over lines seen in part", [&] { v.ScrollTo(Qt::Horizontal, 3 * v->CellWidth); }},
        {"the bar one column left again", [&] { v.ScrollTo(Qt::Horizontal, 2 * v->CellWidth); }},
        {"the bar to the right, caret on a short line", [&] { v.Cursor(1, 2); v.ScrollTo(Qt::Horizontal, 20 * v->CellWidth); }},
        {"the bar to the right, caret past an empty line's end", [&] { v.Cursor(2, 26); v.ScrollTo(Qt::Horizontal, 30 * v->CellWidth); }},
        {"the bar one column right, the caret in view", [&] { v.Cursor(4, v->LeftCol + 6); v.ScrollTo(Qt::Horizontal, (v->LeftCol + 1) * v->CellWidth); }},
        {"the bar one column left, the caret in view", [&] { v.ScrollTo(Qt::Horizontal, (v->LeftCol - 1) * v->CellWidth); }},
        {"a selection over the short lines", [&] { v.Cursor(0, 1); v.Keys(Qt::Key_Down, 3, Qt::ShiftModifier); v.Key(Qt::Key_End, Qt::ShiftModifier); }},
        {"Home", [&] { v.Key(Qt::Key_Home); }},
    };
    for (const auto& [name, step] : steps) {
        SCOPED_TRACE(name);
        step();
        EXPECT_SAME_AS_FULL_REPAINT(v);
    }
}

// Many scrolls in a row, each on the pixels the one before left: nothing accumulates.
TEST(ScreenTest, ScrollsOnScrollsStillShowWhatAFullRepaintShows) {
    MemoView v;
    v.SetText(LongLines(60));
    v.Cursor(2, 5);
    v.Keys(Qt::Key_Down, 3, Qt::ControlModifier);
    v.Key(Qt::Key_Down, Qt::ShiftModifier | Qt::ControlModifier);
    v.ScrollTo(Qt::Vertical, 7 * v->RowHeight);
    v.ScrollTo(Qt::Horizontal, 3 * v->CellWidth);
    v.Key(Qt::Key_Up, Qt::ControlModifier);
    QTest::keyClicks(v->tcm, "xy");
    v.ScrollTo(Qt::Vertical, 2 * v->RowHeight);
    v.Key(Qt::Key_End, Qt::ShiftModifier);
    EXPECT_SAME_AS_FULL_REPAINT(v);
}

TEST(ScreenTest, AKeyHandsTheScreenOnlyTheCellsItChanged) {
    MemoView v;
    v.SetText({"first line", "second line", "the third line of the text", "fourth"});
    v.Cursor(2, 5);
    (void)v.Screen();
    const int w = v->CellWidth, h = v->RowHeight;
    auto cells = [&](int row, int first, int last) { return QRegion(first * w, row * h, (last - first + 1) * w, h); };
    PushedAreas pushed(v.Viewport());
    struct Step {
        const char* name;
        std::function<void()> key;
        QRegion allowed;  // the changed cells and their neighbours (a letter's ink may cross its cell)
    };
    const int length = 26;  // cells of line 2
    const std::vector<Step> steps = {
        {"a character typed in the middle of a line: the cursor to the line's end",
         [&] { QTest::keyClicks(v->tcm, "x"); }, cells(2, 4, length + 2)},
        {"Backspace: the cursor to the line's old end", [&] { v.Key(Qt::Key_Backspace); }, cells(2, 3, length + 2)},
        {"Right: the caret's old and new cells", [&] { v.Key(Qt::Key_Right); }, cells(2, 4, 7)},
        {"Down: the caret's old and new cells", [&] { v.Key(Qt::Key_Down); }, cells(2, 5, 7) + cells(3, 5, 7)},
        {"Ctrl+Left: the caret's old and new cells", [&] { v.Key(Qt::Key_Left, Qt::ControlModifier); },
         cells(3, 5, 7) + cells(3, 0, 1)},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        pushed.region = QRegion();
        step.key();
        const QImage shown = v.Screen();
        EXPECT_FALSE(pushed.region.isEmpty());
        EXPECT_TRUE((pushed.region - step.allowed).isEmpty())
            << "pushed beyond the changed cells: " << (pushed.region - step.allowed).boundingRect().x() << ","
            << (pushed.region - step.allowed).boundingRect().y();
        EXPECT_TRUE(shown == v.FullRepaint());
    }

    // A scroll by one row hands over the row that comes into view and the caret, not the view.
    v.SetText(LongLines(40));
    v.Cursor(3, 2);
    (void)v.Screen();
    pushed.region = QRegion();
    v.Key(Qt::Key_Down, Qt::ControlModifier);
    const QImage shown = v.Screen();
    long long area = 0;
    for (const QRect& r : pushed.region) area += static_cast<long long>(r.width()) * r.height();
    const QSize client = v.Viewport()->size();
    EXPECT_LE(area, 2LL * h * client.width() + 2LL * w * h) << "the rows that stay in view are moved, not pushed";
    EXPECT_TRUE(shown == v.FullRepaint());
}

}  // namespace
