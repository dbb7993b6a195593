// The document apart from its views: every watcher in its list hears every change, none replaces
// another, and one that lets go hears no more; two controls on one document edit one text; the
// file's identity lives in the document and a failed read tells no one.
#include <gtest/gtest.h>

#include <memory>

#include "editor/tests/model_fixture.h"
#include "platform/files.h"

using modeltest::ReadBytes;
using modeltest::ScratchDir;
using modeltest::WriteBytes;
using Strings = std::vector<std::string>;

namespace {

// A watcher that writes what it hears into a shared log, with its name.
DocumentWatcher Logger(Strings& log, const std::string& name) {
    return {.textChanged = [&log, name](int longest) { log.push_back(name + " text " + std::to_string(longest)); },
            .modifiedChanged = [&log, name] { log.push_back(name + " modified"); },
            .historyChanged = [&log, name] { log.push_back(name + " history"); },
            .fileChanged = [&log, name] { log.push_back(name + " file"); }};
}

}  // namespace

TEST(ModelDocument, EveryWatcherHearsEveryChangeInTheOrderTheyCame) {
    TextDocument doc;
    Strings log;
    TextDocument::Watch a = doc.AddWatcher(Logger(log, "a"));
    TextDocument::Watch b = doc.AddWatcher(Logger(log, "b"));
    doc.Lines.Add("abc");
    // Modified turns on before the change itself is told.
    EXPECT_EQ(log, (Strings{"a modified", "b modified", "a text 3", "b text 3"}));

    log.clear();
    doc.Lines.Set(0, "x");
    EXPECT_EQ(log, (Strings{"a text 1", "b text 1"}));  // Modified was on already

    // One that lets go hears no more; the other still does.
    log.clear();
    a.Reset();
    EXPECT_FALSE(a.Active());
    doc.MarkUnmodified();
    doc.Lines.Delete(0);
    EXPECT_EQ(log, (Strings{"b modified", "b modified", "b text 0"}));
    EXPECT_EQ(doc.WatcherCount(), 1u);

    // A Watch moved keeps the registration; the one moved from holds none.
    TextDocument::Watch moved = std::move(b);
    EXPECT_FALSE(b.Active());
    EXPECT_TRUE(moved.Active());
    doc.MarkUnmodified();
    log.clear();
    doc.Lines.Add("");
    EXPECT_EQ(log, (Strings{"b modified", "b text 0"}));
}

TEST(ModelDocument, WatchersThatComeAndGoWhileTheyAreTold) {
    TextDocument doc;
    Strings log;
    TextDocument::Watch first, second, late;
    // The first takes the second out and brings in a late one, in the middle of one change.
    first = doc.AddWatcher({.textChanged = [&](int) {
        log.push_back("first");
        second.Reset();
        if (!late.Active()) late = doc.AddWatcher({.textChanged = [&](int) { log.push_back("late"); }});
    }});
    second = doc.AddWatcher({.textChanged = [&](int) { log.push_back("second"); }});
    doc.Lines.Add("a");
    EXPECT_EQ(log, (Strings{"first"}));  // the late one hears from the next change on
    log.clear();
    doc.Lines.Add("b");
    EXPECT_EQ(log, (Strings{"first", "late"}));
    EXPECT_EQ(doc.WatcherCount(), 2u);

    // A watcher that lets go of itself while it is told.
    TextDocument::Watch once;
    int heard = 0;
    once = doc.AddWatcher({.textChanged = [&](int) {
        ++heard;
        once.Reset();
    }});
    doc.Lines.Add("c");
    doc.Lines.Add("d");
    EXPECT_EQ(heard, 1);
}

TEST(ModelDocument, AWatchMayOutliveItsDocument) {
    TextDocument::Watch watch;
    {
        TextDocument doc;
        watch = doc.AddWatcher({.textChanged = [](int) {}});
        EXPECT_TRUE(watch.Active());
    }
    EXPECT_FALSE(watch.Active());
    watch.Reset();  // nothing left to take it out of
    // A control given a document lets go of it when it goes: the document goes on alone.
    TextDocument doc;
    {
        TThaimemo memo(doc);
        EXPECT_EQ(doc.WatcherCount(), 1u);
    }
    EXPECT_EQ(doc.WatcherCount(), 0u);
    doc.Lines.Add("after the control");
    EXPECT_TRUE(doc.Modified);
}

TEST(ModelDocument, TwoControlsOnOneDocumentEditOneText) {
    TextDocument doc;
    TThaimemo editor(doc);
    TThailist other(doc);
    modeltest::Fill(editor, {"one", "two"});
    editor.MarkUnmodified();
    other.RowCount = 10;
    other.ColCount = 20;
    // "two" selected in the other control.
    other.Selecting = true;
    other.AnchorLine = other.ExtentLine = 1;
    other.ExtentCol = 3;
    other.AnchorPos = 5, other.ExtentPos = 8;
    ASSERT_EQ(other.SelectedText(), "two");

    editor.SetCursor(0, 3);
    unsigned char key = 'x';
    editor.KeyPress(key);
    // One text: the other control reads it, its selection went with the change and its longest
    // line grew; Modified is the document's.
    EXPECT_EQ(other.Lines[0], "onex");
    EXPECT_FALSE(other.Selecting);
    EXPECT_EQ(other.MaxLineLen, 4);
    EXPECT_TRUE(other.Modified);
    EXPECT_EQ(&other.Lines, &doc.Lines);

    // The history is the document's: the other control takes the step back.
    EXPECT_TRUE(other.Undo());
    EXPECT_EQ(editor.Lines[0], "one");
    EXPECT_FALSE(editor.Modified);
}

TEST(ModelDocument, TheFileBelongsToTheDocumentAndAFailedReadTellsNoOne) {
    ScratchDir dir;
    WriteBytes(dir.File("lf.txt"), "one\ntwo\n");
    TThaimemo memo;
    TextDocument& doc = memo.Document();
    Strings log;
    const TextDocument::Watch watch = doc.AddWatcher(Logger(log, "w"));

    ASSERT_TRUE(memo.LoadFile(dir.File("lf.txt")));
    EXPECT_EQ(doc.FileName, dir.File("lf.txt"));
    EXPECT_EQ(doc.FileFormat.lineEnd, platform::LineEnd::Lf);
    EXPECT_TRUE(doc.DiskStamp.known);
    EXPECT_EQ(log.back(), "w file");

    // Saved elsewhere in another format: the document takes the name and the format.
    log.clear();
    memo.Lines.Set(0, "uno");
    memo.SaveFile(dir.File("crlf.txt"), platform::TextFormat{});
    EXPECT_EQ(ReadBytes(dir.File("crlf.txt")), "uno\r\ntwo\r\n");
    EXPECT_EQ(doc.FileName, dir.File("crlf.txt"));
    EXPECT_EQ(doc.FileFormat.lineEnd, platform::LineEnd::CrLf);
    EXPECT_FALSE(doc.Modified);
    // The change is recorded before it is told; the save clears Modified, then names the file.
    EXPECT_EQ(log, (Strings{"w history", "w modified", "w text 3", "w modified", "w file"}));

    // A file that cannot be read changes nothing and tells no one.
    log.clear();
    EXPECT_THROW(memo.LoadFile(dir.File("missing.txt")), platform::FileError);
    EXPECT_EQ(memo.Lines.All(), (Strings{"uno", "two"}));
    EXPECT_EQ(doc.FileName, dir.File("crlf.txt"));
    EXPECT_TRUE(log.empty());

    // A new text forgets the file.
    memo.Clear();
    EXPECT_TRUE(doc.FileName.empty());
    EXPECT_EQ(doc.FileFormat, platform::TextFormat{});
    EXPECT_FALSE(doc.DiskStamp.known);
}
