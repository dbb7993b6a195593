// The quick lookup window driven as a user drives it: keys typed into its input field, F3 and the
// Clear command, the virtual keyboard, an empty dictionary, and the pixels of the second line.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <fstream>

#include "app/tests/app_fixture.h"
#include "app/umekalon.h"
#include "app/urianthai.h"
#include "app/uthaivk.h"
#include "dictionary/wordlist.h"
#include "inputfield/thaiedit.h"
#include "platform/files.h"
#include "script/thai.h"

namespace {

const std::string kCat = "cat \xE1\xC1\xC7";                             // cat แมว
const std::string kCategory = "category \xCB\xC1\xC7\xB4\xCB\xC1\xD9\xE8";  // category หมวดหมู่
const std::string kDog = "dog \xCA\xD8\xB9\xD1\xA2";                      // dog สุนัข

class LookupTest : public AppWindowsTest {
protected:
    void Dictionary(std::initializer_list<std::string> lines) {
        for (const auto& l : lines) fmekalon->diclist.Insert(l);
        fmekalon->dicchanged = false;
    }
    // Opens the window with the main window's command and waits until it takes the keys.
    void Open() {
        fmekalon->Lookup1->trigger();
        frianthai->activateWindow();
        const bool active = QTest::qWaitForWindowActive(frianthai);
        ASSERT_TRUE(active) << (QApplication::activeWindow() ? QApplication::activeWindow()->objectName().toStdString() : std::string("none"));
    }
    TThaiedit& Field() { return *frianthai->te1; }
    void Type(const char* text) { QTest::keyClicks(Field().tce, QString::fromLatin1(text)); }
    void Key(Qt::Key key) { QTest::keyClick(Field().tce, key); }
    // F3 as the user presses it: the shortcut of "&Next F3" in the active lookup window.
    void F3() { QTest::keyClick(Field().tce, Qt::Key_F3); }
    std::string Shown() { return Field().Text2(); }
    bool NextEnabled() const { return frianthai->Next1->isEnabled(); }
    // The given dictionary lines in the order the list keeps them.
    std::vector<std::string> InListOrder(std::vector<std::string> lines) {
        std::sort(lines.begin(), lines.end(), [this](const std::string& a, const std::string& b) {
            return fmekalon->diclist.Find(a) < fmekalon->diclist.Find(b);
        });
        return lines;
    }
    // The line shown now and every line F3 shows after it, until "&Next F3" goes off; the last
    // line must then stay.
    std::vector<std::string> WalkWithF3() {
        std::vector<std::string> seen{Shown()};
        while (NextEnabled() && seen.size() < 100) {
            F3();
            if (NextEnabled())
                seen.push_back(Shown());
            else
                EXPECT_EQ(Shown(), seen.back());
        }
        return seen;
    }
    // Dark pixels in the band of line 2 (below line 1 and the 8-pixel gap): as drawn into the
    // field's image, and as the window shows it on the screen.
    int InkOnLine2() { return InkBelowLine1(Field().BackingImage()); }
    int InkOnScreenLine2() { return InkBelowLine1(FieldOnScreen()); }
    // Whether the screen shows exactly what the field has drawn.
    bool ScreenShowsField() {
        const QImage shown = FieldOnScreen().convertToFormat(QImage::Format_RGB32);
        const QImage drawn = Field().BackingImage().convertToFormat(QImage::Format_RGB32);
        return shown == drawn;
    }
    // The field as the window system shows it now: what its paint events have put on the screen
    // after pending events ran (no repaint is forced, so a missing repaint leaves old pixels). The
    // field's host hands what was drawn to the screen on the event loop's next turn, and the
    // screen paints it on the turn after.
    QImage FieldOnScreen() {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        const QImage window = frianthai->screen()->grabWindow(frianthai->winId()).toImage();
        return window.copy(QRect(Field().mapTo(frianthai, QPoint(0, 0)), Field().size()));
    }
    int InkBelowLine1(const QImage& img) {
        int ink = 0;
        for (int y = Field().RowHeight + 8; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (qGray(img.pixel(x, y)) < 128) ++ink;
        return ink;
    }

};

TEST_F(LookupTest, WindowIsBuiltHiddenWithATwoLineFieldAndNextDisabled) {
    EXPECT_FALSE(frianthai->isVisible());
    EXPECT_EQ(frianthai->windowTitle().toStdString(), "Quick lookup in dictionary");
    const QList<QAction*> items = frianthai->menuBar()->actions();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0]->text().toStdString(), "&Clear");
    EXPECT_EQ(items[1]->text().toStdString(), "");
    EXPECT_EQ(items[2]->text().toStdString(), "&Next F3");
    EXPECT_EQ(items[2]->shortcut(), QKeySequence(Qt::Key_F3));
    EXPECT_FALSE(NextEnabled());
    EXPECT_EQ(Field().Text(), "");
    EXPECT_EQ(Shown(), " ");
    EXPECT_TRUE(Field().TwoLine);

    Open();
    EXPECT_TRUE(frianthai->isVisible());
    // The client area is 624 pixels wide and exactly as high as the two-line field.
    const QWidget* client = frianthai->centralWidget();
    EXPECT_EQ(client->width(), 624);
    EXPECT_EQ(Field().width(), 624);
    EXPECT_EQ(Field().VisibleCols, 624 / Field().CellWidth);
    EXPECT_EQ(Field().height(), 2 * Field().RowHeight + 8);
    EXPECT_EQ(client->height(), Field().height());
    EXPECT_EQ(Field().pos(), QPoint(0, 0));
    EXPECT_EQ(frianthai->minimumSize(), frianthai->maximumSize()) << "the window must not be resizable";

    // The window follows the field's height when the field changes its metrics.
    const int before = frianthai->height();
    Field().SetGraphicsize(2);
    QCoreApplication::processEvents();
    EXPECT_EQ(Field().height(), 2 * Field().RowHeight + 8);
    EXPECT_EQ(client->height(), Field().height());
    EXPECT_GT(frianthai->height(), before);
    EXPECT_EQ(frianthai->height(), frianthai->menuBar()->height() + client->height());
    EXPECT_EQ(frianthai->minimumSize(), frianthai->maximumSize());
}

TEST_F(LookupTest, TypingShowsTheFirstMatchAtOnceAndF3WalksWholeWordsThenPrefixes) {
    Dictionary({kCat, kCategory, kDog});
    const std::vector<std::string> prefixed = InListOrder({kCat, kCategory});  // lines with a word ca...
    Open();
    Type("c");  // no whole word c: the prefix search shows the first line with a word c...
    EXPECT_EQ(Shown(), prefixed[0]);
    EXPECT_TRUE(ScreenShowsField());
    EXPECT_EQ(frianthai->searchword, "c*");
    Type("a");
    EXPECT_EQ(frianthai->searchword, "ca*");
    EXPECT_EQ(Shown(), prefixed[0]);
    Type("t");
    EXPECT_EQ(Field().Text(), "cat");
    EXPECT_EQ(frianthai->searchword, "cat");
    EXPECT_EQ(Shown(), kCat);  // the whole word first, wherever its line stands
    EXPECT_TRUE(NextEnabled());
    EXPECT_GT(InkOnLine2(), 0);
    EXPECT_EQ(InkOnScreenLine2(), InkOnLine2());

    F3();  // no further whole word: cat* from the top, which shows the whole-word line again
    EXPECT_EQ(frianthai->searchword, "cat*");
    EXPECT_EQ(Shown(), prefixed[0]);
    F3();
    EXPECT_EQ(Shown(), prefixed[1]);
    EXPECT_TRUE(NextEnabled());
    EXPECT_TRUE(ScreenShowsField());
    F3();  // nothing more: Next goes off, the last line stays
    EXPECT_EQ(Shown(), prefixed[1]);
    EXPECT_FALSE(NextEnabled());
    EXPECT_EQ(frianthai->lastpos, 0);
    F3();  // a disabled command does nothing
    EXPECT_EQ(Shown(), prefixed[1]);
    EXPECT_EQ(frianthai->searchword, "cat*");

    // Backspace is a change too: the search starts anew with "ca".
    Key(Qt::Key_Backspace);
    EXPECT_EQ(Field().Text(), "ca");
    EXPECT_EQ(frianthai->searchword, "ca*");
    EXPECT_EQ(Shown(), prefixed[0]);
    EXPECT_TRUE(NextEnabled());
}

TEST_F(LookupTest, CaseOfLatinLettersIsIgnoredAndStarsMarkPatterns) {
    Dictionary({kCat, kCategory, kDog});
    Open();
    Type("cat");
    const std::vector<std::string> lower = WalkWithF3();
    EXPECT_EQ(lower, (std::vector<std::string>{kCat, InListOrder({kCat, kCategory})[0], InListOrder({kCat, kCategory})[1]}));
    Field().SetText("");
    Type("Cat");
    EXPECT_EQ(WalkWithF3(), lower);

    Field().SetText("");
    Type("*gory");
    EXPECT_EQ(Shown(), kCategory);
    F3();  // *gory* from the top finds the same line once more, then nothing
    EXPECT_EQ(frianthai->searchword, "*gory*");
    EXPECT_EQ(Shown(), kCategory);
    F3();
    EXPECT_FALSE(NextEnabled());

    // A text that already ends with a star gets no second pass.
    Field().SetText("");
    Type("do*");
    EXPECT_EQ(Shown(), kDog);
    F3();
    EXPECT_FALSE(NextEnabled());
    EXPECT_EQ(frianthai->searchword, "do*");
    EXPECT_EQ(Shown(), kDog);

    // An inner star stands for one byte.
    Field().SetText("");
    Type("c*t");
    EXPECT_EQ(Shown(), kCat);

    // Only stars, or two at one end, find nothing: Next goes off, the line shown stays.
    Field().SetText("");
    Type("**");
    EXPECT_FALSE(NextEnabled());
    EXPECT_EQ(Shown(), kCat);
}

TEST_F(LookupTest, BlanksAroundTheTextAreIgnoredAndBlanksAloneStopTheSearch) {
    Dictionary({kCat, kCategory, kDog, "go to \xE4\xBB"});  // go to ไป
    Open();
    Type("  dog ");
    EXPECT_EQ(frianthai->searchword, "dog");
    EXPECT_EQ(Shown(), kDog);
    EXPECT_TRUE(NextEnabled());

    Field().SetText("");
    Type("   ");
    EXPECT_EQ(frianthai->searchword, "");
    EXPECT_FALSE(NextEnabled());
    EXPECT_EQ(Shown(), kDog);

    // A phrase stands as a whole in the line.
    Field().SetText("");
    Type("go to");
    EXPECT_EQ(Shown(), "go to \xE4\xBB");
    // A word that is no whole word and no word start finds nothing.
    Field().SetText("");
    Type("og");
    EXPECT_FALSE(NextEnabled());
    EXPECT_EQ(Shown(), "go to \xE4\xBB");
}

TEST_F(LookupTest, ClearEmptiesTheFieldButF3GoesOnWithThePreviousSearch) {
    Dictionary({kCat, kCategory, kDog});
    Open();
    Type("cat");
    ASSERT_EQ(Shown(), kCat);
    frianthai->clear->trigger();
    EXPECT_EQ(Field().Text(), "");
    EXPECT_EQ(Shown(), "");
    EXPECT_EQ(InkOnLine2(), 0);
    EXPECT_EQ(InkOnScreenLine2(), 0);
    EXPECT_TRUE(NextEnabled());
    EXPECT_EQ(frianthai->searchword, "cat");

    const std::vector<std::string> prefixed = InListOrder({kCat, kCategory});
    F3();  // the second pass, cat* from the top
    EXPECT_EQ(Shown(), prefixed[0]);
    EXPECT_EQ(Field().Text(), "");
    EXPECT_GT(InkOnLine2(), 0);
    F3();
    EXPECT_EQ(Shown(), prefixed[1]);
}

TEST_F(LookupTest, ThaiFromTheVirtualKeyboardFindsThaiWords) {
    Dictionary({kCat, kCategory, kDog});
    Open();
    // The window became active: the virtual keyboard types into its field.
    for (unsigned char b : {0xE1, 0xC1, 0xC7}) Fthaivk->SendChar(b);  // แมว
    EXPECT_EQ(Field().Text(), "\xE1\xC1\xC7");
    EXPECT_EQ(Shown(), kCat);
    // A key-down from the virtual keyboard reaches the field too.
    int backspace = 8;
    Fthaivk->OnKeyDown(backspace, platform::ShiftState{});
    EXPECT_EQ(Field().Text(), "\xE1\xC1");
    EXPECT_EQ(Shown(), kCat);  // แม* from the top: แมว
    EXPECT_EQ(frianthai->searchword, "\xE1\xC1*");

    // Once the main window is active again, the virtual keyboard types into the editor.
    fmekalon->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(fmekalon));
    Fthaivk->SendChar(0xA1);
    EXPECT_EQ(Field().Text(), "\xE1\xC1");
    ASSERT_EQ(fmekalon->Tm1->LineCount(), 1);
    EXPECT_EQ(fmekalon->Tm1->Lines[0], "\xA1");
}

TEST_F(LookupTest, LeavingTheWindowWithdrawsAThaiOnAZOffer) {
    Dictionary({kCat});
    Open();
    Field().SetThaiOnAZ(true);
    Type("k");
    EXPECT_NE(Field().PendingLetter, 0);
    fmekalon->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(fmekalon));
    EXPECT_EQ(Field().PendingLetter, 0);
    EXPECT_EQ(Field().ChoiceIndex, 0);
}

TEST_F(LookupTest, AnEmptyDictionaryOffersOpenAndCancellingClosesTheWindow) {
    Open();
    Type("c");
    ASSERT_EQ(services.openRequests.size(), 1u);
    EXPECT_EQ(services.openRequests[0].title, "Open dictionary");
    EXPECT_EQ(services.openRequests[0].filterIndex, 2);
    EXPECT_FALSE(frianthai->isVisible());
    EXPECT_FALSE(NextEnabled());
    // The text typed stays in the field for the next time the window shows.
    EXPECT_EQ(Field().Text(), "c");
}

TEST_F(LookupTest, AnEmptyDictionaryLoadedFromTheOpenDialogIsSearchedAtOnce) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string path = (dir.path() + "/small.dic").toStdString();
    std::ofstream(path, std::ios::binary) << kDog << "\r\n" << kCat << "\r\n";
    services.openAnswers.push_back(path);
    Open();
    Type("d");
    EXPECT_EQ(fmekalon->diclist.Count(), 2);
    EXPECT_TRUE(frianthai->isVisible());
    EXPECT_EQ(Shown(), kDog);
    EXPECT_TRUE(NextEnabled());

    // An empty file loads nothing: the window closes.
    fmekalon->diclist.LoadFromBytes("");
    fmekalon->dicchanged = false;
    const std::string empty = (dir.path() + "/empty.dic").toStdString();
    std::ofstream(empty, std::ios::binary).flush();
    services.openAnswers.push_back(empty);
    Type("o");
    EXPECT_EQ(services.openRequests.size(), 2u);
    EXPECT_FALSE(frianthai->isVisible());
}

TEST_F(LookupTest, AFileThatCannotBeReadIsReportedAndTheWindowCloses) {
    services.openAnswers.push_back(std::string("/nonexistent/folder/none.dic"));
    Open();
    Type("x");
    EXPECT_EQ(services.errors.size(), 1u);
    EXPECT_EQ(fmekalon->diclist.Count(), 0);
    EXPECT_FALSE(frianthai->isVisible());
    EXPECT_EQ(Field().Text(), "x");
}

TEST_F(LookupTest, AChangedDictionaryIsAskedAboutBeforeOpen) {
    // A dictionary emptied by deleting its lines has changed: Open asks first; cancel keeps it.
    Dictionary({kCat});
    fmekalon->diclist.Delete(0);
    ASSERT_TRUE(fmekalon->dicchanged);
    services.modalAnswers.push_back(platform::mrCancel);
    Open();
    Type("c");
    ASSERT_EQ(services.questions.size(), 1u);
    EXPECT_EQ(services.questions[0], "Dictionary has changed. Save it?");
    EXPECT_TRUE(services.openRequests.empty());
    EXPECT_FALSE(frianthai->isVisible());
}

TEST_F(LookupTest, ADictionaryChangedBetweenStepsIsSearchedAsItIsNow) {
    Dictionary({kCat, kCategory, kDog});
    Open();
    Type("dog");
    ASSERT_EQ(Shown(), kDog);
    // The line shown last is gone and the text is shorter than the offset of the last find.
    fmekalon->diclist.Delete(fmekalon->diclist.Find(kDog));
    fmekalon->diclist.Delete(fmekalon->diclist.Find(kCategory));
    F3();  // dog* from the top of the new text finds nothing
    EXPECT_FALSE(NextEnabled());
    EXPECT_EQ(Shown(), kDog);
    // A line added later is found by the next change of the text.
    fmekalon->diclist.Insert("dogma \xC5\xD1\xB7\xB8\xD4");
    Type("m");
    EXPECT_EQ(Shown(), "dogma \xC5\xD1\xB7\xB8\xD4");
}

// The dictionary text the keys search is made before the first key: when the window opens, and
// once a change of the dictionary made while it is open has been done.
TEST_F(LookupTest, TheTextToSearchIsReadyBeforeTheFirstKey) {
    Dictionary({kCat, kCategory});
    const dictionary::DicText& text = fmekalon->dictext;
    EXPECT_EQ(text.LineCount(), 0) << "nothing is made while the window is closed";
    Open();
    EXPECT_EQ(text.LineCount(), 2);
    fmekalon->diclist.Insert(kDog);
    fmekalon->diclist.Delete(fmekalon->diclist.Find(kCat));
    QApplication::processEvents();
    ASSERT_EQ(text.LineCount(), 2);
    EXPECT_EQ(text.Line(1), kDog);
    Type("dog");
    EXPECT_EQ(Shown(), kDog);
    // A change made while the window is closed is there when it opens again.
    frianthai->close();
    fmekalon->diclist.Insert(kCat);
    QApplication::processEvents();
    Open();
    EXPECT_EQ(text.LineCount(), 3);
    Field().SetText("");
    Type("cat");
    EXPECT_EQ(Shown(), kCat);
}

// The line shown for a find is the line that holds the caret just before the find's result in
// the dictionary text, as OffsetToLineCol counts lines; checked over a real dictionary.
TEST_F(LookupTest, EveryLineShownIsTheLineOfTheCaretBeforeTheResult) {
    fmekalon->diclist.LoadFromBytes(platform::ReadFileBytes(MEKALON_SHARED_DATA "/th-en.dic"));
    fmekalon->dicchanged = false;
    ASSERT_GT(fmekalon->diclist.Count(), 3000);
    Open();
    for (const char* typed : {"gr", "*ite", "green", "*o*"}) {
        Field().SetText("");
        Type(typed);
        int steps = 0;
        while (NextEnabled() && steps < 5000) {
            const int r = frianthai->lastpos;
            const std::string_view text = fmekalon->dictext.Text();
            ASSERT_GT(r, 0);
            ASSERT_LE(r, static_cast<int>(text.size()) - 1);
            const thai::LineCol caret = thai::OffsetToLineCol(text, r - 1);
            ASSERT_EQ(Shown(), fmekalon->diclist[caret.line]) << typed << " at " << r;
            // The caret stands within the line's own bytes.
            EXPECT_LE(caret.col, static_cast<int>(Shown().size())) << typed;
            F3();
            ++steps;
        }
        EXPECT_GT(steps, 1) << typed;
        EXPECT_LT(steps, 5000) << typed << ": the walk through the matches did not end";
    }
}

}  // namespace
