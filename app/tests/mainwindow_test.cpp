// The main window driven through its menu commands, with dialogs and questions answered by a
// script: start-up, the file commands, the changed-text and close questions, the Edit menu.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QPushButton>
#include <atomic>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <fstream>

#include "app/tests/app_fixture.h"
#include "app/uabout.h"
#include "app/uergebnis.h"
#include "app/ufinddlg.h"
#include "app/umekalon.h"
#include "app/umsgbox.h"
#include "app/urianthai.h"
#include "app/uthaivk.h"
#include "testing/bytes.h"
#include "platform/clipboard.h"
#include "testing/host_paint.h"

namespace {

using testbytes::ReadAll;
using testbytes::WriteAll;

class MainWindowTest : public AppFilesTest {
protected:
    void Trigger(QAction* a) { a->trigger(); }
};

const std::string kThai = "\xA1\xD2\xC3\xE0\xC3\xD5\xC2\xB9 abc\r\n\xB9\xE9\xD3\r\n";  // two lines of TIS-620

TEST_F(MainWindowTest, StartsWithTitleWindowsInOrderAndOnlyTheMainWindowShown) {
    EXPECT_EQ(Title(), "noname.txt-Mekalon 5.2");
    EXPECT_EQ(fmekalon->textfile, "noname.txt");
    EXPECT_EQ(fmekalon->dicfile, "noname.dic");
    EXPECT_FALSE(fmekalon->dicchanged);
    EXPECT_EQ(static_cast<double>(fmekalon->factor), 40.0);
    ASSERT_EQ(app->Windows().size(), 7u);
    const char* order[] = {"fmekalon", "Fthaivk", "fmsgbox", "Finddlg", "Fergebnis", "frianthai", "fabout"};
    for (size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(app->Windows()[i]->objectName().toStdString(), order[i]);
        EXPECT_EQ(app->Windows()[i]->isVisible(), i == 0) << order[i];
    }
    EXPECT_EQ(fmekalon->Tm1->Graphicsize, 1);
    EXPECT_EQ(fmekalon->Tm1->LineCount(), 0);
    EXPECT_FALSE(fmekalon->Tm1->Modified);
    EXPECT_TRUE(services.questions.empty());
    EXPECT_EQ(fmsgbox->windowTitle().toStdString(), "Mekalon");
}

TEST_F(MainWindowTest, MenuBarHoldsEveryItemWithCaptionsAndShortcuts) {
    struct Item {
        const char* name;
        const char* caption;
        const char* shortcut;
    };
    const Item items[] = {
        {"newfilesel", "&New", ""}, {"Openfilesel", "&Open...", "Ctrl+O"}, {"savefilesel", "&Save", "Ctrl+S"},
        {"SavefileAssel", "Save &As...", "Ctrl+Shift+S"}, {"Printsel", "&Print...", "Ctrl+P"}, {"Exit1", "E&xit", "Ctrl+Q"},
        {"Undo1", "&Undo", "Ctrl+Z"}, {"Redo1", "&Redo", "Ctrl+Shift+Z"}, {"Cutsel", "Cu&t", "Ctrl+X"}, {"Copysel", "&Copy", "Ctrl+C"}, {"Pastesel", "&Paste", "Ctrl+V"},
        {"Deletesel", "Delete", ""}, {"SelectWord1", "Select &Word", ""}, {"SelectLine1", "Select &Line", ""},
        {"SelectAll", "Select &All", "Ctrl+A"}, {"Wordwrap1", "Wordwra&p", ""}, {"nrlines", "0", ""},
        {"VirtualKbd1", "&Virtual Kbd", ""}, {"KeyboardF21", "&Kbd F2", "F2"}, {"ThaionAZ1", "&Thai on A..Z", ""},
        {"searches", "&Search F3", ""}, {"Fixedsys", "&Select Font ...", ""}, {"previousfont", "&Previous Font", ""},
        {"Smallgraphics", "&Small Graphics", ""}, {"MediumGraphics", "&Medium Graphics", ""},
        {"Largegraphics", "&Large Graphics", ""}, {"hardreturn", "&Hard Return", ""},
        {"Opendicsel", "&Open...", ""}, {"Appenddicsel", "&Append...", ""}, {"Savedicassel", "&Save As ...", ""},
        {"InsertCursorline", "&Insert Line in dictionary", ""},
        {"DeleteLineindictionary1", "&Delete Line in dictionary", ""}, {"dictname", "noname.dic", ""},
        {"nrdiclines", "0", ""}, {"Wordlist", "&Wordlist", ""}, {"Lookup1", "&Lookup", ""},
        {"Multiplywith", "&Multiply with 40", ""}, {"Divideby", "&Divide by 40", ""},
        {"ChangeFactorDivisor", "&Change Factor/Divisor", ""}, {"About1", "&About ...", ""},
    };
    for (const Item& it : items) {
        auto* a = fmekalon->findChild<QAction*>(it.name);
        ASSERT_NE(a, nullptr) << it.name;
        EXPECT_EQ(a->text().toStdString(), it.caption) << it.name;
        EXPECT_EQ(a->shortcut().toString().toStdString(), it.shortcut) << it.name;
    }
    QStringList bar;
    for (QAction* a : fmekalon->menuBar()->actions()) bar << a->text();
    EXPECT_EQ(bar.join("|").toStdString(),
              "&File|&Edit|&Virtual Kbd|&Kbd F2|&Thai on A..Z|&Search F3|&Options|&Dictionary|&Wordlist|&Lookup|&Convert|&About ...");
    EXPECT_TRUE(fmekalon->Smallgraphics->isChecked());
}

TEST_F(MainWindowTest, OpenEditSaveAndSaveAsRoundTripTheBytes) {
    const std::string file = Path("story.txt");
    WriteAll(file, kThai);
    services.openAnswers.push_back(file);
    Trigger(fmekalon->Openfilesel);
    ASSERT_TRUE(services.errors.empty());
    EXPECT_EQ(Title(), "story.txt-Mekalon 5.2");
    EXPECT_EQ(fmekalon->textfile, file);
    ASSERT_EQ(services.openRequests.size(), 1u);
    EXPECT_EQ(services.openRequests[0].title, "Open file");
    EXPECT_EQ(services.openRequests[0].filterIndex, 1);
    EXPECT_EQ(services.openRequests[0].fileName, "*.txt");
    EXPECT_EQ(services.openRequests[0].filter, "Textfiles|*.txt|Dictionaries|*.dic|Documents|*.doc|All files|*");
    ASSERT_EQ(fmekalon->Tm1->LineCount(), 2);
    EXPECT_FALSE(fmekalon->Tm1->Modified);

    // Save writes to the full path without a dialog.
    fmekalon->Tm1->Lines.Set(1, fmekalon->Tm1->Lines[1] + "x");
    EXPECT_TRUE(fmekalon->Tm1->Modified);
    Trigger(fmekalon->savefilesel);
    EXPECT_TRUE(services.saveRequests.empty());
    EXPECT_FALSE(fmekalon->Tm1->Modified);
    EXPECT_EQ(ReadAll(file), "\xA1\xD2\xC3\xE0\xC3\xD5\xC2\xB9 abc\r\n\xB9\xE9\xD3x\r\n");

    // Save As asks for a name preset to the current one, then saves there.
    const std::string copy = Path("copy.txt");
    services.saveAnswers.push_back(copy);
    Trigger(fmekalon->SavefileAssel);
    ASSERT_EQ(services.saveRequests.size(), 1u);
    EXPECT_EQ(services.saveRequests[0].title, "Save file as");
    EXPECT_EQ(services.saveRequests[0].fileName, file);
    EXPECT_EQ(services.saveRequests[0].defaultExt, "txt");
    EXPECT_TRUE(services.saveRequests[0].overwritePrompt);
    EXPECT_EQ(ReadAll(copy), ReadAll(file));
    EXPECT_EQ(Title(), "copy.txt-Mekalon 5.2");

    // A cancelled Save As changes nothing.
    Trigger(fmekalon->SavefileAssel);
    EXPECT_EQ(fmekalon->textfile, copy);
}

TEST_F(MainWindowTest, ASaveBeyondTheFileSizeLimitIsReportedAndTheTextStaysModified) {
    const std::string file = Path("story.txt");
    WriteAll(file, kThai);
    services.openAnswers.push_back(file);
    Trigger(fmekalon->Openfilesel);
    fmekalon->Tm1->Lines.Add(std::string(100000, 'x'));

    std::signal(SIGXFSZ, SIG_DFL);  // as the program starts: unhandled, the signal would end it
    struct rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit tight = saved;
    tight.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tight), 0);
    Trigger(fmekalon->savefilesel);
    ::setrlimit(RLIMIT_FSIZE, &saved);

    ASSERT_EQ(services.errors.size(), 1u);
    EXPECT_NE(services.errors[0].find("too large"), std::string::npos) << services.errors[0];
    EXPECT_TRUE(fmekalon->Tm1->Modified);
    EXPECT_EQ(ReadAll(file), kThai);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path().toStdString()), {}), 1);
}

TEST_F(MainWindowTest, OpeningAFifoAsTextOrDictionaryIsRefusedAtOnce) {
    const std::string fifo = Path("pipe.txt");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // Should an open wait for a writer, a writer comes every ten seconds and the checks below fail.
    std::atomic<bool> done = false;
    std::thread deadline([&] {
        while (!done) {
            for (int i = 0; i < 1000 && !done; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (!done) ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK));
        }
    });
    fmekalon->Tm1->Lines.Add("keep me");
    fmekalon->Tm1->MarkUnmodified();
    fmekalon->diclist.Insert("word");
    fmekalon->dicchanged = false;
    services.openAnswers = {fifo, fifo};
    Trigger(fmekalon->Openfilesel);
    Trigger(fmekalon->Opendicsel);
    done = true;
    deadline.join();
    ASSERT_EQ(services.errors.size(), 2u);
    for (const std::string& e : services.errors) EXPECT_NE(e.find("not a regular file"), std::string::npos) << e;
    EXPECT_EQ(fmekalon->Tm1->Lines[0], "keep me");
    EXPECT_EQ(Title(), "noname.txt-Mekalon 5.2");
    EXPECT_EQ(fmekalon->diclist.ToBytes(), "word\r\n");
    EXPECT_EQ(fmekalon->dictname->text().toStdString(), "noname.dic");
}

TEST_F(MainWindowTest, SaveOfANewTextAsksForANameInsteadOfWritingIntoTheWorkingFolder) {
    fmekalon->Tm1->Lines.Add("abc");
    Trigger(fmekalon->savefilesel);  // cancelled dialog
    ASSERT_EQ(services.saveRequests.size(), 1u);
    EXPECT_TRUE(fmekalon->Tm1->Modified);
    EXPECT_FALSE(std::filesystem::exists("noname.txt"));
    const std::string target = Path("new.txt");
    services.saveAnswers.push_back(target);
    Trigger(fmekalon->savefilesel);
    EXPECT_EQ(ReadAll(target), "abc\r\n");
    EXPECT_FALSE(fmekalon->Tm1->Modified);
    EXPECT_EQ(Title(), "new.txt-Mekalon 5.2");
}

TEST_F(MainWindowTest, OpenOfAnUnreadableFileKeepsTextNameAndTitleAndShowsTheError) {
    fmekalon->Tm1->Lines.Add("keep me");
    fmekalon->Tm1->MarkUnmodified();
    services.openAnswers.push_back(Path("missing.txt"));
    Trigger(fmekalon->Openfilesel);
    ASSERT_EQ(services.errors.size(), 1u);
    EXPECT_NE(services.errors[0].find("missing.txt"), std::string::npos);
    EXPECT_EQ(fmekalon->Tm1->LineCount(), 1);
    EXPECT_EQ(fmekalon->Tm1->Lines[0], "keep me");
    EXPECT_EQ(fmekalon->textfile, "noname.txt");
    EXPECT_EQ(Title(), "noname.txt-Mekalon 5.2");
}

TEST_F(MainWindowTest, ChangedTextQuestionYesWithCancelledSaveKeepsEverything) {
    fmekalon->Tm1->Lines.Add("changed");
    services.modalAnswers.push_back(platform::mrYes);
    Trigger(fmekalon->newfilesel);  // the save dialog is cancelled
    ASSERT_EQ(services.questions.size(), 1u);
    EXPECT_EQ(services.questions[0], "Textfile has changed. Save it?");
    ASSERT_EQ(services.saveRequests.size(), 1u);  // Save As always shows its dialog
    EXPECT_EQ(fmekalon->Tm1->LineCount(), 1);
    EXPECT_TRUE(fmekalon->Tm1->Modified);
}

TEST_F(MainWindowTest, ChangedTextQuestionYesSavesThenGoesOn) {
    fmekalon->Tm1->Lines.Add("changed");
    services.modalAnswers.push_back(platform::mrYes);
    services.saveAnswers.push_back(Path("saved.txt"));
    Trigger(fmekalon->newfilesel);
    EXPECT_EQ(ReadAll(Path("saved.txt")), "changed\r\n");
    EXPECT_EQ(fmekalon->Tm1->LineCount(), 0);
    EXPECT_EQ(Title(), "noname.txt-Mekalon 5.2");
}

TEST_F(MainWindowTest, ChangedTextQuestionNoDiscardsAndCancelStops) {
    fmekalon->Tm1->Lines.Add("changed");
    services.modalAnswers.push_back(platform::mrCancel);
    Trigger(fmekalon->newfilesel);
    EXPECT_EQ(fmekalon->Tm1->LineCount(), 1);
    EXPECT_TRUE(fmekalon->Tm1->Modified);

    services.modalAnswers.push_back(platform::mrNo);
    Trigger(fmekalon->newfilesel);
    EXPECT_EQ(fmekalon->Tm1->LineCount(), 0);
    EXPECT_FALSE(fmekalon->Tm1->Modified);
    EXPECT_EQ(Title(), "noname.txt-Mekalon 5.2");
    Trigger(fmekalon->newfilesel);  // nothing changed: no question
    EXPECT_EQ(services.questions.size(), 2u);

    // Open asks too, and cancel there shows no open dialog.
    fmekalon->Tm1->Lines.Add("again");
    services.modalAnswers.push_back(platform::mrCancel);
    Trigger(fmekalon->Openfilesel);
    EXPECT_TRUE(services.openRequests.empty());
}

TEST_F(MainWindowTest, CloseQueryAsksAboutTextThenDictionaryAndCancelKeepsTheWindow) {
    fmekalon->Tm1->Lines.Add("changed");
    fmekalon->diclist.Insert("hello x");
    ASSERT_TRUE(fmekalon->dicchanged);

    services.modalAnswers.push_back(platform::mrCancel);
    EXPECT_FALSE(fmekalon->close());
    EXPECT_TRUE(fmekalon->isVisible());
    ASSERT_EQ(services.questions.size(), 1u);

    services.modalAnswers = {platform::mrNo, platform::mrCancel};
    EXPECT_FALSE(fmekalon->close());
    ASSERT_EQ(services.questions.size(), 3u);
    EXPECT_EQ(services.questions[1], "Textfile has changed. Save it?");
    EXPECT_EQ(services.questions[2], "Dictionary has changed. Save it?");
    EXPECT_TRUE(fmekalon->isVisible());

    // Yes on the dictionary with a cancelled save dialog keeps the window open too.
    services.modalAnswers = {platform::mrNo, platform::mrYes};
    EXPECT_FALSE(fmekalon->close());
    EXPECT_EQ(services.saveRequests.back().title, "Save dictionary as");
    EXPECT_TRUE(fmekalon->isVisible());

    // Saving the dictionary lets the window close.
    services.modalAnswers = {platform::mrNo, platform::mrYes};
    services.saveAnswers.push_back(Path("words.dic"));
    EXPECT_TRUE(fmekalon->close());
    EXPECT_EQ(ReadAll(Path("words.dic")), "hello x\r\n");
}

TEST_F(MainWindowTest, ExitAsksTheSameQuestionsAsClosing) {
    fmekalon->Tm1->Lines.Add("changed");
    services.modalAnswers.push_back(platform::mrCancel);
    Trigger(fmekalon->Exit1);
    EXPECT_TRUE(fmekalon->isVisible());
    EXPECT_EQ(services.questions.size(), 1u);
}

TEST_F(MainWindowTest, EditMenuEnablesBySelectionAndClipboardAndCountsLines) {
    fmekalon->editoptClick();
    EXPECT_EQ(fmekalon->nrlines->text().toStdString(), "0 lines");
    EXPECT_FALSE(fmekalon->Cutsel->isEnabled());
    EXPECT_FALSE(fmekalon->Copysel->isEnabled());
    EXPECT_FALSE(fmekalon->Deletesel->isEnabled());

    platform::SetClipboardText("clip");
    fmekalon->Tm1->Lines.Add("one");
    fmekalon->Tm1->Lines.Add("two");
    fmekalon->Tm1->SetCursor(0, 0);
    fmekalon->Tm1->StartSelection();
    fmekalon->Tm1->SetCursor(0, 2);
    fmekalon->Tm1->ExtendSelection();
    fmekalon->editoptClick();
    EXPECT_EQ(fmekalon->nrlines->text().toStdString(), "2 lines");
    EXPECT_TRUE(fmekalon->Cutsel->isEnabled());
    EXPECT_TRUE(fmekalon->Copysel->isEnabled());
    EXPECT_TRUE(fmekalon->Deletesel->isEnabled());
    EXPECT_TRUE(fmekalon->Pastesel->isEnabled());
}

TEST_F(MainWindowTest, CutCopyPasteShortcutsActWhateverTheEditMenuLastSaw) {
    fmekalon->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(fmekalon));
    auto openAndCloseEditMenu = [&] {
        fmekalon->editopt->popup(fmekalon->mapToGlobal(QPoint(0, 0)));
        fmekalon->editopt->hide();
    };
    // The menu sees no selection and an empty clipboard.
    QGuiApplication::clipboard()->clear();
    fmekalon->Tm1->Lines.Add("abc");
    openAndCloseEditMenu();

    fmekalon->Tm1->SetCursor(0, 0);
    fmekalon->Tm1->StartSelection();
    fmekalon->Tm1->SetCursor(0, 2);
    fmekalon->Tm1->ExtendSelection();
    QTest::keyClick(fmekalon->Tm1->tcm, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(platform::ClipboardText(), "ab");
    QTest::keyClick(fmekalon->Tm1->tcm, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(fmekalon->Tm1->Lines[0], "c");
    QTest::keyClick(fmekalon->Tm1->tcm, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(fmekalon->Tm1->Lines[0], "abc");
}

TEST_F(MainWindowTest, PasteOfCharactersOutsideTis620AsksInTheMessageBoxFirst) {
    fmekalon->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(fmekalon));
    fmekalon->Tm1->Lines.Add("ab");
    fmekalon->Tm1->Modified = false;
    fmekalon->Tm1->SetCursor(0, 1);
    QGuiApplication::clipboard()->setText(QString::fromUtf8("caf\u00e9 \U0001F600"));
    services.modalAnswers = {platform::mrNo, platform::mrYes};
    QTest::keyClick(fmekalon->Tm1->tcm, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(fmekalon->Tm1->Lines[0], "ab");
    EXPECT_FALSE(fmekalon->Tm1->Modified);
    fmekalon->Pastesel->trigger();
    EXPECT_EQ(fmekalon->Tm1->Lines[0], "acaf? ?b");
    ASSERT_EQ(services.questions.size(), 2u);
    EXPECT_THAT(services.questions[0], ::testing::StartsWith("U+00E9 (\u00e9) and "));
    // The long question wraps in a taller window instead of being cut off.
    EXPECT_TRUE(fmsgbox->Label1->wordWrap());
    EXPECT_GE(fmsgbox->Label1->height(), fmsgbox->Label1->heightForWidth(fmsgbox->Label1->width()));
    EXPECT_GE(fmsgbox->btnyes->y(), fmsgbox->Label1->geometry().bottom());
    EXPECT_EQ(fmsgbox->btnyes->geometry().bottom() + 1 + 5, fmsgbox->height());
    // A short question shown afterwards has the box at its own size again.
    fmsgbox->Label1->setText("Textfile has changed. Save it?");
    platform::Install(nullptr);  // the real modal run
    QTimer::singleShot(0, [&] {
        EXPECT_EQ(fmsgbox->size(), QSize(252, 75));
        EXPECT_EQ(fmsgbox->btnyes->y(), 44);
        fmsgbox->btncancel->click();
    });
    EXPECT_EQ(platform::CurrentQt().ShowModal(*fmsgbox), platform::mrCancel);
    platform::Install(&services);
}

TEST_F(MainWindowTest, PrintWithoutSelectionSaysSoAndFindTakesTheSelection) {
    Trigger(fmekalon->Printsel);
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0], "Select the text to print!");

    fmekalon->Tm1->Lines.Add("find me");
    fmekalon->Tm1->SetCursor(0, 5);
    fmekalon->Tm1->StartSelection();
    fmekalon->Tm1->SetCursor(0, 7);
    fmekalon->Tm1->ExtendSelection();
    Trigger(fmekalon->searches);
    EXPECT_EQ(Finddlg->InitialText, "me");
    EXPECT_FALSE(fmekalon->Tm1->Selecting);
    EXPECT_TRUE(Finddlg->isVisible());
    Finddlg->hide();
}

TEST_F(MainWindowTest, DictionaryCommandsInsertDeleteAndCountLines) {
    fmekalon->DictionaryClick();
    EXPECT_EQ(fmekalon->nrdiclines->text().toStdString(), "0 lines");
    EXPECT_FALSE(fmekalon->Appenddicsel->isEnabled());
    EXPECT_FALSE(fmekalon->Savedicassel->isEnabled());

    // An empty or blank cursor line is no entry: refused, nothing added.
    for (const char* blank : {"", "  \t "}) {
        fmekalon->Tm1->Lines.Assign({blank});
        fmekalon->Tm1->SetCursor(0, 0);
        Trigger(fmekalon->InsertCursorline);
        EXPECT_EQ(services.messages.back(), "Line is empty: nothing added to dictionary");
        EXPECT_EQ(fmekalon->diclist.Count(), 0);
        EXPECT_FALSE(fmekalon->dicchanged);
    }

    fmekalon->Tm1->Lines.Assign({"Hello world"});
    fmekalon->Tm1->SetCursor(0, 3);
    Trigger(fmekalon->InsertCursorline);
    EXPECT_EQ(services.messages.back(), "Line has been added");
    Trigger(fmekalon->InsertCursorline);
    EXPECT_EQ(services.messages.back(), "Line is already in dictionary");
    fmekalon->Tm1->Lines.Set(0, "hello WORLD");
    fmekalon->Tm1->SetCursor(0, 0);
    Trigger(fmekalon->DeleteLineindictionary1);
    EXPECT_EQ(services.messages.back(), "Line has been deleted in dictionary");
    EXPECT_EQ(fmekalon->diclist.Count(), 0);
    Trigger(fmekalon->DeleteLineindictionary1);
    EXPECT_EQ(services.messages.back(), "Line not Found in dictionary");
    EXPECT_TRUE(fmekalon->dicchanged);
}

TEST_F(MainWindowTest, DictionaryOpenAppendAndSave) {
    WriteAll(Path("a.dic"), "b\r\na\r\nB\r\na\r\n\r\n");
    WriteAll(Path("b.dic"), "c\nb\n");
    services.openAnswers.push_back(Path("a.dic"));
    Trigger(fmekalon->Opendicsel);
    EXPECT_EQ(services.openRequests.back().title, "Open dictionary");
    EXPECT_EQ(services.openRequests.back().filterIndex, 2);
    EXPECT_EQ(fmekalon->diclist.ToBytes(), "\r\na\r\nb\r\n");
    EXPECT_FALSE(fmekalon->dicchanged);
    EXPECT_EQ(fmekalon->dictname->text().toStdString(), "a.dic");

    services.openAnswers.push_back(Path("b.dic"));
    Trigger(fmekalon->Appenddicsel);
    EXPECT_EQ(fmekalon->dictname->text().toStdString(), "a.dic+b.dic");
    EXPECT_EQ(fmekalon->diclist.Count(), 4);
    EXPECT_TRUE(fmekalon->dicchanged);

    services.modalAnswers.push_back(platform::mrCancel);  // the open question: keep the changes
    Trigger(fmekalon->Opendicsel);
    EXPECT_EQ(fmekalon->diclist.Count(), 4);

    services.saveAnswers.push_back(Path("all.dic"));
    Trigger(fmekalon->Savedicassel);
    EXPECT_EQ(ReadAll(Path("all.dic")), "\r\na\r\nb\r\nc\r\n");
    EXPECT_FALSE(fmekalon->dicchanged);

    // A dictionary that cannot be read changes nothing and its error is shown.
    services.openAnswers.push_back(Path("nothere.dic"));
    Trigger(fmekalon->Opendicsel);
    EXPECT_EQ(services.errors.size(), 1u);
    EXPECT_EQ(fmekalon->diclist.Count(), 4);
}

TEST_F(MainWindowTest, AFailedDictionaryFileKeepsTheNameTheMenuAndTheSaveAsDefault) {
    WriteAll(Path("a.dic"), "a\r\n");
    services.openAnswers.push_back(Path("a.dic"));
    Trigger(fmekalon->Opendicsel);
    ASSERT_EQ(fmekalon->dicfile, Path("a.dic"));

    services.openAnswers = {Path("nothere.dic"), Path("gone.dic")};
    Trigger(fmekalon->Opendicsel);
    Trigger(fmekalon->Appenddicsel);
    // Save As into a folder that does not exist fails too.
    services.saveAnswers.push_back(Path("no/such/folder/b.dic"));
    Trigger(fmekalon->Savedicassel);
    EXPECT_EQ(services.errors.size(), 3u);
    EXPECT_EQ(fmekalon->dicfile, Path("a.dic"));
    EXPECT_EQ(fmekalon->dictname->text().toStdString(), "a.dic");
    EXPECT_EQ(fmekalon->diclist.ToBytes(), "a\r\n");
    EXPECT_EQ(ReadAll(Path("a.dic")), "a\r\n");
    services.saveAnswers.push_back(std::nullopt);
    Trigger(fmekalon->Savedicassel);
    EXPECT_EQ(services.saveRequests.back().fileName, Path("a.dic"));
}

TEST_F(MainWindowTest, MessageBoxAnswersYesNoCancelAndIgnoresEsc) {
    platform::Install(nullptr);  // the real modal run
    int result = -1;
    QTimer::singleShot(0, [&] {
        QTest::keyClick(fmsgbox, Qt::Key_Escape);
        EXPECT_TRUE(fmsgbox->isVisible());
        fmsgbox->btnno->click();
    });
    result = platform::CurrentQt().ShowModal(*fmsgbox);
    EXPECT_EQ(result, platform::mrNo);
    QTimer::singleShot(0, [&] { fmsgbox->btncancel->click(); });
    EXPECT_EQ(platform::CurrentQt().ShowModal(*fmsgbox), platform::mrCancel);
    QTimer::singleShot(0, [&] { fmsgbox->btnyes->click(); });
    EXPECT_EQ(platform::CurrentQt().ShowModal(*fmsgbox), platform::mrYes);
    EXPECT_EQ(fmsgbox->btnyes->text().toStdString(), "yes");
    EXPECT_EQ(fmsgbox->btnno->text().toStdString(), "no");
    EXPECT_EQ(fmsgbox->btncancel->text().toStdString(), "cancel");

    // Return presses the button that has the focus: "yes" at first, the others after Tab.
    const int answers[] = {platform::mrYes, platform::mrNo, platform::mrCancel};
    for (int tabs : {0, 1, 2}) {
        QTimer::singleShot(0, [&] {
            for (int i = 0; i < tabs; ++i) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            if (fmsgbox->isVisible()) fmsgbox->done(-1);
        });
        EXPECT_EQ(platform::CurrentQt().ShowModal(*fmsgbox), answers[tabs]) << tabs << " tabs";
    }
    platform::Install(&services);
}

}  // namespace

namespace {

TEST_F(MainWindowTest, SelectAllThenDeleteLeavesAnEmptyView) {
    fmekalon->Tm1->Lines.Assign({"abc", "\xA1\xD4\xE8"});
    fmekalon->Tm1->ResetView();
    testhost::PaintPending(*fmekalon->host);
    fmekalon->SelectAll->trigger();
    fmekalon->Deletesel->trigger();
    EXPECT_EQ(fmekalon->Tm1->LineCount(), 0);
    const QImage& image = fmekalon->host->BackingImage();
    int dark = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 12; x < 200; ++x)  // right of the caret cell
            if ((image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF) ++dark;
    EXPECT_EQ(dark, 0) << "the deleted text is still drawn";
}

}  // namespace
