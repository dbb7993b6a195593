// Undo and redo in the editor, driven through its keyboard sink and mouse: every kind of change
// comes back byte for byte with its cursor and selection, typed runs group into steps by a
// clock the test controls, Modified follows the history, and the memory bound drops the oldest
// steps but keeps the newest, however large.
#include <functional>
#include <sstream>

#include "editor/tests/keys_mouse_fixture.h"
#include "platform/clipboard.h"

namespace keystest {
namespace {

struct Snapshot {
    std::vector<std::string> text;
    ViewPoint view;
    bool operator==(const Snapshot&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Snapshot& s) {
    for (const std::string& line : s.text) out << '[' << line << ']';
    const ViewPoint& v = s.view;
    out << " cursor " << v.cursorLine << ',' << v.cursorCol;
    if (v.selecting)
        out << " selection " << v.anchorLine << ',' << v.anchorCol << '(' << v.anchorPos << ")-" << v.extentLine << ','
            << v.extentCol << '(' << v.extentPos << ')';
    return out;
}

class UndoTest : public ::testing::Test {
protected:
    void SetUp() override {
        view->History.Clock = [this] { return now; };
        Load({"alpha beta", "gamma", "delta " + std::string(30, 'e') + " " + std::string(60, 'f')});
    }
    void Load(const std::vector<std::string>& lines) {
        view.SetText(lines);
        view->History.Clear();
        view->MarkUnmodified();
    }
    Snapshot Take() { return {view->Lines.All(), view->View()}; }
    void Type(const char* keys) { QTest::keyClicks(view->tcm, QString::fromLatin1(keys)); }
    void Undo() { view.Key(Qt::Key_Z, Qt::ControlModifier); }
    void Redo() { view.Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier); }

    MemoView view;
    int64_t now = 100000;
};

// One change of each kind, made after `prepare` (which sets the stage: cursor, selection, mode).
struct Change {
    const char* name;
    std::function<void(MemoView&)> prepare;
    std::function<void(MemoView&)> act;
};

TEST_F(UndoTest, EveryKindOfChangeIsUndoneAndRedoneExactly) {
    auto at = [](int line, int col) { return [=](MemoView& v) { v.Cursor(line, col); }; };
    auto selecting = [](int line, int col, Qt::Key key, int times) {
        return [=](MemoView& v) {
            v.Cursor(line, col);
            v.Keys(key, times, Qt::ShiftModifier);
        };
    };
    auto key = [](Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        return [=](MemoView& v) { v.Key(k, mods); };
    };
    auto typing = [](const char* keys) {
        return [=](MemoView& v) { QTest::keyClicks(v->tcm, QString::fromLatin1(keys)); };
    };
    const Change changes[] = {
        {"typed run", at(0, 5), typing("XYZ")},
        {"typed past the line end", at(1, 9), typing("q")},
        {"typed below the last line", at(5, 2), typing("q")},
        {"Thai layout, attached and replaced marks", [](MemoView& v) {
             v.Cursor(1, 2);
             v->SetThaiKeyboard(true);
         }, typing("djb6")},
        {"Thai on A..Z", [](MemoView& v) {
             v.Cursor(0, 0);
             v->SetThaiOnAZ(true);
         }, typing("kk g")},
        {"Return splits", at(0, 5), key(Qt::Key_Return)},
        {"Ctrl+Return splits", at(2, 3), key(Qt::Key_Return, Qt::ControlModifier)},
        {"Backspace joins", at(1, 0), key(Qt::Key_Backspace)},
        {"Backspace in a line", at(0, 3), key(Qt::Key_Backspace)},
        {"Delete a character", at(1, 1), key(Qt::Key_Delete)},
        {"Ctrl+Y deletes the line", at(1, 3), key(Qt::Key_Y, Qt::ControlModifier)},
        {"Ctrl+N inserts a line", at(1, 3), key(Qt::Key_N, Qt::ControlModifier)},
        {"Delete of a selection across lines", selecting(0, 6, Qt::Key_Down, 1), key(Qt::Key_Delete)},
        {"Delete of a backward selection", selecting(1, 4, Qt::Key_Left, 3), key(Qt::Key_Delete)},
        {"Cut", selecting(0, 2, Qt::Key_Right, 4), [](MemoView& v) { v->CutSelection(); }},
        {"Paste of lines", [](MemoView& v) {
             platform::SetClipboardText("one\r\ntwo\r\nthr");
             v.Cursor(1, 2);
         }, [](MemoView& v) { v->Paste(); }},
        {"Paste right of the line end", [](MemoView& v) {
             platform::SetClipboardText("p");
             v.Cursor(1, 8);
         }, [](MemoView& v) { v->Paste(); }},
        {"Drop of a dragged word", [](MemoView& v) {
             v.Press(Qt::RightButton, 0, 7);
             v.Release(Qt::RightButton, 0, 7);
         }, [](MemoView& v) {
             v.Press(Qt::RightButton, 0, 7);
             v.Release(Qt::RightButton, 1, 2);
         }},
        {"Word wrap", at(1, 1), [](MemoView& v) { v->WordWrap(); }},
        {"Replace the selection", selecting(0, 0, Qt::Key_Right, 5),
         [](MemoView& v) { v->ReplaceSelection("12.50"); }},
        {"typed over a selection across lines", selecting(0, 6, Qt::Key_Down, 1), typing("XY")},
        {"the whole text typed over", [](MemoView& v) { v->SelectAll(); }, typing("z")},
        {"a mark typed over a selection", [](MemoView& v) {
             v->Lines.Set(0, "\xA1\xD2 beta");  // as if opened so
             v->History.Clear();
             v->Modified = false;
             v.Cursor(0, 1);
             v.Keys(Qt::Key_Right, 3, Qt::ShiftModifier);
             v->SetThaiKeyboard(true);
         }, typing("j")},
        {"Paste over a selection", [](MemoView& v) {
             platform::SetClipboardText("one\r\ntwo");
             v.Cursor(1, 1);
             v.Keys(Qt::Key_Down, 1, Qt::ShiftModifier);
         }, [](MemoView& v) { v->Paste(); }},
        {"Replace of the found text", [](MemoView& v) { v->FindNext("a"); },
         [](MemoView& v) { v->ReplaceNext("a", "\xA1\xE8"); }},
        {"Replace all", at(2, 0), [](MemoView& v) { EXPECT_EQ(v->ReplaceAll("e", ""), 32); }},
        {"Replace all across lines", at(0, 0), [](MemoView& v) { EXPECT_EQ(v->ReplaceAll("a", "A\r\n"), 6); }},
    };
    for (const Change& c : changes) {
        SCOPED_TRACE(c.name);
        Load({"alpha beta", "gamma", "delta " + std::string(30, 'e') + " " + std::string(60, 'f')});
        view->SetThaiKeyboard(false);
        view->SetThaiOnAZ(false);
        c.prepare(view);
        const Snapshot before = Take();
        c.act(view);
        const Snapshot after = Take();
        ASSERT_NE(before.text, after.text);
        EXPECT_TRUE(view->Modified);

        Undo();
        EXPECT_EQ(Take(), before);
        EXPECT_FALSE(view->Modified);
        EXPECT_SAME_AS_FULL_REPAINT(view);

        Redo();
        EXPECT_EQ(Take(), after);
        EXPECT_TRUE(view->Modified);
        EXPECT_SAME_AS_FULL_REPAINT(view);

        // Undone once more, then nothing is left to undo: one change, one step.
        Undo();
        EXPECT_EQ(Take(), before);
        EXPECT_FALSE(view->History.CanUndo());
    }
}

TEST_F(UndoTest, TypedRunsGroupUntilAPauseAMoveOrAnotherLine) {
    Load({});
    Type("ab");
    now += 900;
    Type("cd");  // within a second of the last key: the same step
    now += 1500;
    Type("ef");  // after a pause: a step of its own
    view.Key(Qt::Key_Left);
    Type("g");  // after the cursor moved by a key
    view.Press(Qt::LeftButton, 0, 2);
    view.Release(Qt::LeftButton, 0, 2);
    Type("h");  // after a click
    view.Key(Qt::Key_End);
    view.Key(Qt::Key_Return);
    Type("ij");  // on the next line, after Return
    view.Key(Qt::Key_Backspace);
    ASSERT_EQ(Text(*view), (std::vector<std::string>{"abhcdegf", "i"}));

    const std::vector<std::vector<std::string>> steps = {
        {"abhcdegf", "ij"}, {"abhcdegf", ""}, {"abhcdegf"}, {"abcdegf"}, {"abcdef"}, {"abcd"}, {}};
    for (const auto& expected : steps) {
        Undo();
        EXPECT_EQ(Text(*view), expected);
    }
    EXPECT_FALSE(view->History.CanUndo());
    // Typing after an undo starts afresh: nothing is left to redo.
    Redo();
    Type("z");
    EXPECT_FALSE(view->History.CanRedo());
}

TEST_F(UndoTest, ModifiedFollowsTheSavedState) {
    Type("ab");
    view->MarkUnmodified();  // as saving does
    Type("c");
    EXPECT_TRUE(view->Modified);
    Undo();
    EXPECT_FALSE(view->Modified);
    Undo();  // before the saved state
    EXPECT_TRUE(view->Modified);
    Redo();
    EXPECT_FALSE(view->Modified);
    Redo();
    EXPECT_TRUE(view->Modified);
    // Clearing the text (New, Open) forgets every step.
    view->Clear();
    EXPECT_FALSE(view->History.CanUndo());
    EXPECT_FALSE(view->History.CanRedo());
}

TEST_F(UndoTest, UndoScrollsTheCursorIntoView) {
    Load(std::vector<std::string>(200, "line"));
    view.Cursor(150, 2);
    Type("x");
    view.Key(Qt::Key_Home, Qt::ControlModifier);
    ASSERT_EQ(view->TopLine, 0);
    Undo();
    EXPECT_EQ(view->Lines[150], "line");
    EXPECT_EQ(view->CursorLine, 150);
    EXPECT_LE(view->TopLine, 150);
    EXPECT_GT(view->TopLine + view->RowCount, 150);
    EXPECT_SAME_AS_FULL_REPAINT(view);
}

TEST_F(UndoTest, TheMemoryBoundDropsTheOldestSteps) {
    Load({"x"});
    view.Cursor(0, 0);
    view.Key(Qt::Key_N, Qt::ControlModifier);
    const size_t oneStep = view->History.Bytes();
    ASSERT_GT(oneStep, 0u);
    ASSERT_LT(oneStep, 200u);
    for (int i = 0; i < 4; ++i) view.Key(Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(view->History.UndoCount(), 5u);
    view->History.SetLimit(2 * oneStep);
    EXPECT_EQ(view->History.UndoCount(), 2u);
    EXPECT_LE(view->History.Bytes(), 2 * oneStep);
    Undo();
    EXPECT_EQ(view->LineCount(), 5);
    while (view->History.CanUndo()) Undo();
    EXPECT_GE(view->LineCount(), 4);  // the three oldest empty lines can no longer be taken back
    EXPECT_TRUE(view->Modified);      // and the saved state is out of reach
}

TEST_F(UndoTest, TheNewestStepStaysWhateverItsSize) {
    std::vector<std::string> lines;
    for (int i = 0; i < 2000; ++i) lines.push_back("line " + std::to_string(i) + std::string(40, 'x'));
    Load(lines);
    view.Cursor(0, 0);
    view.Key(Qt::Key_N, Qt::ControlModifier);  // an older step
    lines.insert(lines.begin(), "");
    view->History.SetLimit(4096);
    view->SelectAll();
    view.Key(Qt::Key_Delete);
    ASSERT_LE(view->LineCount(), 1);
    EXPECT_GT(view->History.Bytes(), 4096u);
    EXPECT_EQ(view->History.UndoCount(), 1u);  // the older step made room

    for (int round = 0; round < 2; ++round) {
        Undo();
        EXPECT_EQ(view->Lines.All(), lines);
        EXPECT_SAME_AS_FULL_REPAINT(view);
        EXPECT_TRUE(view->History.CanRedo());
        Redo();
        EXPECT_LE(view->LineCount(), 1);
    }
    Undo();
    EXPECT_FALSE(view->History.CanUndo());
    EXPECT_TRUE(view->Modified);  // the state before the dropped step is out of reach
}

}  // namespace
}  // namespace keystest
