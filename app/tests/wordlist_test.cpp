// The Wordlist command: the editor's cursor line looked up in the dictionary, the results in the
// word-list window, the caption, and stopping a running search.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <set>
#include <QTest>

#include "app/tests/app_fixture.h"
#include "app/uergebnis.h"
#include "app/umekalon.h"
#include "platform/cancel.h"

namespace {

class WordlistTest : public AppWindowsTest {
protected:
    void EditorLine(const std::string& line) {
        fmekalon->Tm1->Lines.Add(line);
        fmekalon->Tm1->SetCursor(fmekalon->Tm1->LineCount() - 1, 2);
    }
    std::vector<std::string> Results() const {
        std::vector<std::string> out;
        for (int i = 0; i < Fergebnis->results->LineCount(); ++i) out.push_back(Fergebnis->results->Lines[i]);
        return out;
    }
    std::string Caption() const { return Fergebnis->windowTitle().toStdString(); }
};

const std::string kHello = "hello \xCA\xC7\xD1\xCA\xB4\xD5";  // hello สวัสดี
const std::string kWorld = "world \xE2\xC5\xA1";              // world โลก

TEST_F(WordlistTest, ListsTheLinesOfEveryWordOfTheCursorLine) {
    fmekalon->diclist.Insert(kHello);
    fmekalon->diclist.Insert(kWorld);
    fmekalon->diclist.Insert("other line");
    EditorLine("Hello, world");
    fmekalon->Wordlist->trigger();
    EXPECT_TRUE(Fergebnis->isVisible());
    EXPECT_EQ(Results(), (std::vector<std::string>{">Hello world ", kHello, kWorld}));
    EXPECT_EQ(Caption(), "2 lines found");
    EXPECT_EQ(fmekalon->Wordlist->text().toStdString(), "&Wordlist");
    EXPECT_TRUE(fmekalon->fileopt->menuAction()->isEnabled());
    EXPECT_FALSE(platform::AnyJobRunning());
    EXPECT_EQ(Fergebnis->results->CursorLine, 0);
    // The window stands in the middle of the screen, not over the editor's text at the top left.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((Fergebnis->frameGeometry().center() - screen.center()).manhattanLength(), 4);
}

// The results window and the editor are two windows of the program: a word dragged with the right
// button from the results is pasted where the button is released over the editor.
TEST_F(WordlistTest, ARightDragFromTheResultsPastesIntoTheEditor) {
    fmekalon->diclist.Insert(kHello);
    fmekalon->Tm1->Lines.Add("first line");
    EditorLine("hello");
    fmekalon->Wordlist->trigger();
    ASSERT_EQ(Results(), (std::vector<std::string>{">hello ", kHello}));
    // Side by side, so that the release point lies over the editor alone.
    fmekalon->move(0, 0);
    Fergebnis->move(fmekalon->frameGeometry().right() + 20, 0);
    QApplication::processEvents();
    TThailist& list = *Fergebnis->results;
    QWidget* from = Fergebnis->host->viewport();
    const QPoint word((7 - list.LeftCol) * list.CellWidth + list.CellWidth / 2,
                      (1 - list.TopLine) * list.RowHeight + list.RowHeight / 2);
    QTest::mousePress(from, Qt::RightButton, {}, word);
    QTest::mouseRelease(from, Qt::RightButton, {}, word);
    ASSERT_EQ(list.SelectedText(), "\xCA\xC7\xD1\xCA\xB4\xD5");
    QTest::mousePress(from, Qt::RightButton, {}, word);
    // Released over the editor, after "first" on the line above the one looked up.
    TThaimemo& editor = *fmekalon->Tm1;
    QWidget* to = fmekalon->host->viewport();
    const QPoint target = to->mapToGlobal(QPoint(5 * editor.CellWidth + editor.CellWidth / 2, editor.RowHeight / 2));
    QTest::mouseRelease(from, Qt::RightButton, {}, from->mapFromGlobal(target));
    QApplication::processEvents();
    EXPECT_EQ(editor.Lines[0], "first\xCA\xC7\xD1\xCA\xB4\xD5 line");
    EXPECT_FALSE(fmekalon->Tm1->Drag().Dragging);
    EXPECT_EQ(list.Lines[1], kHello);  // the drag copies
}

TEST_F(WordlistTest, UnspacedThaiIsAnalysedIntoTheWordsTheDictionaryKnows) {
    fmekalon->diclist.Insert("I \xC9\xD1\xB9");           // I ฉัน
    fmekalon->diclist.Insert("love \xC3\xD1\xA1");        // love รัก
    fmekalon->diclist.Insert("cat \xE1\xC1\xC7");         // cat แมว
    EditorLine("\xC9\xD1\xB9\xC3\xD1\xA1\xE1\xC1\xC7");   // ฉันรักแมว
    fmekalon->Wordlist->trigger();
    const auto r = Results();
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[0], ">\xC9\xD1\xB9 \xC3\xD1\xA1 \xE1\xC1\xC7 ");
    EXPECT_EQ(Caption(), "3 lines found");
}

TEST_F(WordlistTest, LatinWordsAreLookedUpWholeAndEachLineIsListedOnce) {
    const std::string it = "it \xE4\xCD\xB7\xD5";  // it ไอที
    fmekalon->diclist.Insert(it);
    fmekalon->diclist.Insert("bit \xB9\xD4\xB4");      // bit นิด
    fmekalon->diclist.Insert("with \xA1\xD1\xBA");     // with กับ
    // "it" is no word of with, kitten or bitter, nor "bit" of bitter; the line of "it" holds
    // two words of the text and is listed once.
    EditorLine("I like golf with kitten bitter, it \xE4\xCD\xB7\xD5");
    fmekalon->Wordlist->trigger();
    EXPECT_EQ(Results(), (std::vector<std::string>{">with it \xE4\xCD\xB7\xD5 ", "with \xA1\xD1\xBA", it}));
    EXPECT_EQ(Caption(), "2 lines found");
}

TEST_F(WordlistTest, AWildcardSelectedWithItsTrailingBlankIsOnePattern) {
    fmekalon->diclist.Insert("hydrogen x");
    fmekalon->diclist.Insert("hydroplane y");
    fmekalon->diclist.Insert("water z");
    fmekalon->Tm1->Lines.Add("hydro* power");
    fmekalon->Tm1->SetCursor(fmekalon->Tm1->LineCount() - 1, 0);
    QTest::keyClick(fmekalon->Tm1->tcm, Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_EQ(fmekalon->Tm1->SelectedText(), "hydro* ");
    fmekalon->Wordlist->trigger();
    EXPECT_EQ(Caption(), "2 lines found");
    EXPECT_EQ(Results(), (std::vector<std::string>{">hydro*", "hydrogen x", "hydroplane y"}));
}

TEST_F(WordlistTest, PatternWithSeveralWordsWarnsAndNothingFoundSaysSo) {
    fmekalon->diclist.Insert("gox on");  // the inner star stands for one byte
    EditorLine("go* on");
    fmekalon->Wordlist->trigger();
    EXPECT_EQ(Caption(), "1 line found- Select only one word with *");
    fmekalon->Tm1->Lines.Set(0, "zzz");
    fmekalon->Tm1->SetCursor(0, 0);
    fmekalon->Wordlist->trigger();
    EXPECT_EQ(Results(), (std::vector<std::string>{">"}));
    EXPECT_EQ(Caption(), "No line found");
}

TEST_F(WordlistTest, AnEmptyDictionaryOffersOpenFirstAndAnEmptyLineDoesNothing) {
    EditorLine("hello");
    fmekalon->Wordlist->trigger();  // the open dialog is cancelled
    ASSERT_EQ(services.openRequests.size(), 1u);
    EXPECT_EQ(services.openRequests[0].title, "Open dictionary");
    EXPECT_FALSE(Fergebnis->isVisible());

    fmekalon->diclist.Insert(kHello);
    fmekalon->Tm1->Lines.Set(0, "   ");
    fmekalon->Wordlist->trigger();
    EXPECT_FALSE(Fergebnis->isVisible());
}

TEST_F(WordlistTest, ASecondCommandStopsTheSearchAndRestoresTheMenuAtOnce) {
    for (int i = 0; i < 50; ++i) fmekalon->diclist.Insert("word " + std::to_string(1000 + i));
    fmekalon->diclist.Insert(kWorld);
    EditorLine("word world");
    int events = 0;
    services.onProcessMessages = [&] {
        if (++events == 3) {
            EXPECT_EQ(fmekalon->Wordlist->text().toStdString(), "&W..Stop");
            EXPECT_FALSE(fmekalon->Dictionary->menuAction()->isEnabled());
            fmekalon->Wordlist->trigger();  // the stop request
            EXPECT_EQ(fmekalon->Wordlist->text().toStdString(), "&Wordlist");
            EXPECT_TRUE(fmekalon->Dictionary->menuAction()->isEnabled());
        }
    };
    fmekalon->Wordlist->trigger();
    // The lookup of "word" ends after the third line; "world" still lists its first line.
    const auto r = Results();
    ASSERT_EQ(r.size(), 5u);
    EXPECT_EQ(r[0], ">word world ");
    EXPECT_EQ(r[4], kWorld);
    EXPECT_EQ(Caption(), "4 lines found...interrupted");
}

TEST_F(WordlistTest, ASearchThatFailsPartWayRestoresTheMenus) {
    for (int i = 0; i < 5; ++i) fmekalon->diclist.Insert("word " + std::to_string(1000 + i));
    EditorLine("word");
    services.onProcessMessages = [] { throw std::runtime_error("out of memory"); };
    fmekalon->Wordlist->trigger();
    ASSERT_EQ(services.errors.size(), 1u);
    EXPECT_TRUE(fmekalon->fileopt->menuAction()->isEnabled());
    EXPECT_TRUE(fmekalon->Dictionary->menuAction()->isEnabled());
    EXPECT_EQ(fmekalon->Wordlist->text().toStdString(), "&Wordlist");
    // The next command searches again instead of taking itself for a stop request.
    services.onProcessMessages = nullptr;
    fmekalon->Wordlist->trigger();
    EXPECT_EQ(Caption(), "5 lines found");
}

TEST_F(WordlistTest, EscInTheEditorStopsTheSearch) {
    for (int i = 0; i < 20; ++i) fmekalon->diclist.Insert("word " + std::to_string(1000 + i));
    EditorLine("word");
    services.onProcessMessages = [&] {
        int key = 27;
        fmekalon->Tm1->KeyDown(key, {});
    };
    fmekalon->Wordlist->trigger();
    EXPECT_EQ(Results().size(), 2u);
    EXPECT_EQ(Caption(), "1 line found...interrupted");
}

TEST_F(WordlistTest, ClosingTheResultsWindowStopsAndClears) {
    for (int i = 0; i < 20; ++i) fmekalon->diclist.Insert("word " + std::to_string(1000 + i));
    EditorLine("word");
    services.onProcessMessages = [&] { Fergebnis->close(); };
    fmekalon->Wordlist->trigger();
    EXPECT_EQ(Results(), (std::vector<std::string>{">word "}));  // nothing listed after the close
    EXPECT_FALSE(platform::AnyJobRunning());
    EXPECT_FALSE(Fergebnis->isVisible());
}

TEST_F(WordlistTest, ADictionaryChangedWhileAStoppedSearchWindsDownIsSafe) {
    for (int i = 0; i < 20; ++i) fmekalon->diclist.Insert("word " + std::to_string(1000 + i));
    fmekalon->diclist.Insert(kWorld);
    EditorLine("word world");
    int events = 0;
    services.onProcessMessages = [&] {
        if (++events == 2) {
            fmekalon->Wordlist->trigger();  // stop
            for (int i = 0; i < 20; ++i) fmekalon->diclist.Delete(0);
            fmekalon->diclist.Insert("a world apart");
        }
    };
    fmekalon->Wordlist->trigger();
    // The search ends where the dictionary changed: it lists no line of another dictionary.
    EXPECT_EQ(Results(), (std::vector<std::string>{">word ", "word 1000", "word 1001"}));
    EXPECT_EQ(Caption(), "2 lines found...interrupted");
}

}  // namespace

namespace {

// The scroll range follows the listed lines in steps, not line by line (setting it repaints the
// scroll bars); when the search ends it covers every line.
TEST_F(WordlistTest, TheScrollRangeIsNotSetForEveryListedLine) {
    for (int i = 0; i < 300; ++i) fmekalon->diclist.Insert("word " + std::to_string(1000 + i));
    EditorLine("word");
    std::set<int> ranges;
    int listed = 0;
    services.onProcessMessages = [&] {
        ++listed;
        ranges.insert(Fergebnis->host->ScrollRange(platform::ScrollBar::Vertical));
    };
    fmekalon->Wordlist->trigger();
    EXPECT_EQ(listed, 300);
    EXPECT_LT(ranges.size(), 100u);
    TThailist& r = *Fergebnis->results;
    EXPECT_EQ(Fergebnis->host->ScrollRange(platform::ScrollBar::Vertical), (301 + r.RowCount + 1) * r.RowHeight);
}

}  // namespace
