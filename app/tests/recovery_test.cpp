// Crash recovery inside the program: the copy follows the modified text and dictionary and goes
// with a save, New or an unchanged text; it outlives every end but a close the questions allowed,
// and that end takes only this program's copies. At start every copy an ended program left is
// offered through the message box, newest first with its time, restored on yes, deleted on no
// (also when its file is newer), kept with the rest on cancel; other kinds of offers come first.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "app/recovery.h"
#include "app/tests/app_fixture.h"
#include "app/umekalon.h"
#include "platform/files.h"
#include "testing/bytes.h"

namespace {

namespace fs = std::filesystem;
using recovery::Kind;

const recovery::Instance kEndedRun{2147483000, "no such boot 1"};  // no process has this id

using testbytes::ReadAll;

class RecoveryTest : public AppWindowsTest {
protected:
    void SetUp() override {
        AppWindowsTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        folder = (dir.path() + "/state/mekalon").toStdString();
        // The interval is left to the test: it calls Flush where the timer would.
        keeper = new recovery::TRecovery(*fmekalon, folder, 3600 * 1000);
    }
    std::string Path(const char* name) const { return (dir.path() + "/" + name).toStdString(); }
    void TypeLatin(const char* text) { QTest::keyClicks(fmekalon->Tm1->tcm, QString::fromLatin1(text)); }
    static void SetAge(const std::string& path, std::chrono::minutes age) {
        fs::last_write_time(path, fs::file_time_type::clock::now() - age);
    }
    void WriteFile(const std::string& path, const std::string& bytes, std::chrono::minutes age) {
        std::ofstream(path, std::ios::binary) << bytes;
        SetAge(path, age);
    }
    // A copy an ended program left `age` ago.
    std::string LeaveCopy(Kind kind, const std::string& target, const std::string& bytes, std::chrono::minutes age,
                          const recovery::Instance& owner = kEndedRun) {
        const std::string file = recovery::Write(folder, {kind, target, owner, bytes, {}});
        SetAge(file, age);
        return file;
    }
    // The time of a file as the questions give it.
    static std::string Stamp(const std::string& path) {
        struct stat st {};
        EXPECT_EQ(::stat(path.c_str(), &st), 0);
        std::tm local{};
        localtime_r(&st.st_mtim.tv_sec, &local);
        char text[32];
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
        return text;
    }

    QTemporaryDir dir;
    std::string folder;
    recovery::TRecovery* keeper = nullptr;
};

TEST_F(RecoveryTest, TheCopyFollowsTheModifiedTextAndDictionaryAndGoesWithASave) {
    const std::string file = Path("story.txt");
    WriteFile(file, "old\r\n", std::chrono::minutes(0));
    services.openAnswers.push_back(file);
    fmekalon->Openfilesel->trigger();
    keeper->Flush();
    EXPECT_EQ(keeper->TextCopy(), "");

    TypeLatin("abc");
    keeper->Flush();
    const std::string copyFile = keeper->TextCopy();
    ASSERT_EQ(copyFile, recovery::FileFor(folder, Kind::Text, file, recovery::Self()));
    auto copy = recovery::Read(copyFile);
    ASSERT_TRUE(copy.has_value());
    EXPECT_EQ(copy->kind, Kind::Text);
    EXPECT_EQ(copy->target, file);
    EXPECT_EQ(copy->owner, recovery::Self());
    EXPECT_EQ(copy->bytes, "abcold\r\n");
    EXPECT_EQ(fs::status(copyFile).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);

    // A long command brings the copy up to date first.
    TypeLatin("d");
    fmekalon->Printsel->trigger();
    EXPECT_EQ(recovery::Read(copyFile)->bytes, "abcdold\r\n");
    // A copy someone took away comes back at the next interval, unchanged text or not.
    fs::remove(copyFile);
    keeper->Flush();
    EXPECT_EQ(ReadAll(copyFile).substr(ReadAll(copyFile).size() - 9), "abcdold\r\n");

    fmekalon->savefilesel->trigger();
    keeper->Flush();
    EXPECT_FALSE(fs::exists(copyFile));
    EXPECT_EQ(ReadAll(file), "abcdold\r\n");

    // New after "no" to the save question: the copy goes; an unnamed text has a copy of its own.
    TypeLatin("x");
    keeper->Flush();
    EXPECT_TRUE(fs::exists(copyFile));
    services.modalAnswers.push_back(platform::mrNo);
    fmekalon->newfilesel->trigger();
    keeper->Flush();
    EXPECT_FALSE(fs::exists(copyFile));
    TypeLatin("new");
    keeper->Flush();
    EXPECT_EQ(keeper->TextCopy(), recovery::FileFor(folder, Kind::Text, "", recovery::Self()));
    EXPECT_EQ(recovery::Read(keeper->TextCopy())->target, "");

    // The dictionary likewise.
    fmekalon->InsertCursorline->trigger();
    keeper->Flush();
    ASSERT_NE(keeper->DictionaryCopy(), "");
    EXPECT_EQ(recovery::Read(keeper->DictionaryCopy())->bytes, "new\r\n");
    const std::string dic = Path("my.dic");
    services.saveAnswers.push_back(dic);
    const std::string dicCopy = keeper->DictionaryCopy();
    fmekalon->Savedicassel->trigger();
    keeper->Flush();
    EXPECT_FALSE(fs::exists(dicCopy));
    EXPECT_EQ(keeper->DictionaryCopy(), "");
}

// Recovery watches the editor's document beside the window's title and Undo item: each hears every
// change, and a keeper that goes takes only itself out.
TEST_F(RecoveryTest, KeepersAndTheWindowWatchTheTextSideBySide) {
    const std::string otherFolder = (dir.path() + "/other").toStdString();
    auto* second = new recovery::TRecovery(*fmekalon, otherFolder, 3600 * 1000);
    fmekalon->Tm1->History.Clock = [] { return int64_t{0}; };  // all the typing is one step
    TypeLatin("ab");
    keeper->Flush();
    second->Flush();
    EXPECT_EQ(recovery::Read(keeper->TextCopy())->bytes, "ab\r\n");
    EXPECT_EQ(recovery::Read(second->TextCopy())->bytes, "ab\r\n");
    EXPECT_EQ(fmekalon->windowTitle().toStdString(), "*noname.txt-Mekalon 5.2");
    EXPECT_TRUE(fmekalon->Undo1->isEnabled());

    delete second;
    TypeLatin("c");  // heard by those still there only
    keeper->Flush();
    EXPECT_EQ(recovery::Read(keeper->TextCopy())->bytes, "abc\r\n");
    fmekalon->Undo1->trigger();
    EXPECT_EQ(fmekalon->windowTitle().toStdString(), "noname.txt-Mekalon 5.2");
    EXPECT_FALSE(fmekalon->Undo1->isEnabled());
    keeper->Flush();
    EXPECT_EQ(keeper->TextCopy(), "");  // unmodified again: the copy went
}

TEST_F(RecoveryTest, OnlyAnAllowedCloseRemovesTheCopiesAndOnlyThisProgramsOwn) {
    const std::string file = Path("story.txt");
    WriteFile(file, "old\r\n", std::chrono::minutes(0));
    const std::string other = LeaveCopy(Kind::Text, file, "theirs\r\n", std::chrono::minutes(1));
    auto edit = [&] {
        services.openAnswers.push_back(file);
        fmekalon->Openfilesel->trigger();
        TypeLatin("mine");
        keeper->Flush();
    };
    edit();
    const std::string mine = keeper->TextCopy();
    ASSERT_TRUE(fs::exists(mine));
    ASSERT_NE(mine, other);

    // Cancel, or a question that gave no answer, keeps the window, the text and the copy.
    for (int answer : {platform::mrCancel, 0}) {
        services.modalAnswers = {answer};
        EXPECT_FALSE(fmekalon->close());
        EXPECT_TRUE(fmekalon->isVisible());
        keeper->Flush();
        EXPECT_EQ(recovery::Read(mine)->bytes, "mineold\r\n");
    }

    // An end without the close questions keeps the copy for the next start.
    DestroyWindows();
    EXPECT_TRUE(fs::exists(mine));
    CreateWindows();
    fmekalon->show();
    keeper = new recovery::TRecovery(*fmekalon, folder, 3600 * 1000);
    edit();
    ASSERT_EQ(keeper->TextCopy(), mine);

    services.modalAnswers = {platform::mrNo};
    EXPECT_TRUE(fmekalon->close());
    EXPECT_FALSE(fs::exists(mine));
    keeper->Flush();  // too late for a copy: the user let the text go
    EXPECT_FALSE(fs::exists(mine));
    EXPECT_EQ(ReadAll(other).substr(ReadAll(other).size() - 8), "theirs\r\n");
    EXPECT_EQ(ReadAll(file), "old\r\n");
}

TEST_F(RecoveryTest, StartOffersEveryCopyOfEndedProgramsNewestFirstWithItsTime) {
    using std::chrono::minutes;
    const std::string file = Path("story.txt");
    WriteFile(file, "old\r\n", minutes(60));
    const std::string older = LeaveCopy(Kind::Text, file, "first run\r\n", minutes(10), {2147483001, "b 1"});
    const std::string newest = "\xA1\xD2\xC3 abc\r\n\r\nlast\r\n";
    const std::string newer = LeaveCopy(Kind::Text, file, newest, minutes(5));
    // A copy older than its file (a save, a touch or a backup changed the file later) is offered.
    const std::string saved = Path("saved.txt");
    const std::string stale = LeaveCopy(Kind::Text, saved, "y\r\n", minutes(20));
    WriteFile(saved, "saved\r\n", minutes(1));
    // The copy of a program still running is not; the copy of one whose id went to a later
    // program is.
    const auto parent = recovery::InstanceOf(getppid());
    ASSERT_TRUE(parent.has_value());
    const std::string running = LeaveCopy(Kind::Text, Path("other.txt"), "x\r\n", minutes(2), *parent);
    const std::string reused =
        LeaveCopy(Kind::Text, Path("reused.txt"), "r\r\n", minutes(30), {parent->pid, parent->started + "0"});
    const std::string dictionary = LeaveCopy(Kind::Dictionary, "", "b x\r\na y\r\n", minutes(15));
    // A copy larger than a file that can be read is passed over, unread (its size alone is large).
    const std::string huge = LeaveCopy(Kind::Text, Path("huge.txt"), "h\r\n", minutes(3));
    ASSERT_EQ(::truncate(huge.c_str(), static_cast<off_t>(platform::LargestReadableFile()) + 1), 0);

    const std::string stamps[] = {Stamp(newer), Stamp(dictionary), Stamp(older), Stamp(stale), Stamp(reused)};

    services.modalAnswers = {platform::mrYes, platform::mrYes};
    keeper->OfferAtStart();
    // One text and one dictionary fit the window: the other texts wait for another start.
    EXPECT_EQ(services.questions, (std::vector<std::string>{"Restore unsaved story.txt from " + stamps[0] + "?",
                                                            "Restore unsaved noname.dic from " + stamps[1] + "?"}));
    EXPECT_EQ(fmekalon->Tm1->JoinedText(), newest);
    EXPECT_TRUE(fmekalon->Tm1->Modified);
    EXPECT_EQ(fmekalon->textfile, file);
    EXPECT_EQ(fmekalon->windowTitle().toStdString(), "*story.txt-Mekalon 5.2");  // restored, not saved
    EXPECT_EQ(fmekalon->diclist.ToBytes(), "a y\r\nb x\r\n");
    EXPECT_TRUE(fmekalon->dicchanged);
    EXPECT_EQ(ReadAll(file), "old\r\n");  // the file itself is not touched
    // This run keeps the copies now; the restored ones are gone, the others stay.
    EXPECT_EQ(recovery::Read(keeper->TextCopy())->bytes, newest);
    EXPECT_EQ(recovery::Read(keeper->DictionaryCopy())->bytes, "a y\r\nb x\r\n");
    EXPECT_FALSE(fs::exists(newer));
    EXPECT_FALSE(fs::exists(dictionary));
    for (const std::string& kept : {older, stale, running, reused, huge}) EXPECT_TRUE(fs::exists(kept)) << kept;

    // The next start: no deletes a copy, also one older than its file; cancel keeps it and the rest.
    services.questions.clear();
    services.modalAnswers = {platform::mrNo, platform::mrNo, platform::mrCancel};
    keeper->OfferAtStart();
    EXPECT_EQ(services.questions,
              (std::vector<std::string>{"Restore unsaved story.txt from " + stamps[2] + "?",
                                        "Restore unsaved saved.txt from " + stamps[3] + "? The file on disk is newer.",
                                        "Restore unsaved reused.txt from " + stamps[4] + "?"}));
    EXPECT_FALSE(fs::exists(older));
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(reused));
    EXPECT_TRUE(fs::exists(running));
    EXPECT_EQ(fmekalon->Tm1->JoinedText(), newest);
    EXPECT_EQ(ReadAll(saved), "saved\r\n");
}

TEST_F(RecoveryTest, CopiesOfCutOffSavesAreOfferedFirstAndAnsweredThroughTheirActions) {
    using Offer = recovery::Offer;
    const std::string text = LeaveCopy(Kind::Text, "", "t\r\n", std::chrono::minutes(1));
    std::vector<std::string> done;
    auto cutOff = [&](const char* name, std::int64_t at, bool fails) {
        Offer o;
        o.what = Offer::What::CutOffSave;
        o.target = Path(name);
        o.at = at * 1000000000;
        o.restore = [&done, name, fails] {
            if (fails) throw platform::FileError(std::string("Cannot write ") + name);
            done.push_back(std::string("restore ") + name);
        };
        o.discard = [&done, name] { done.push_back(std::string("discard ") + name); };
        return o;
    };
    keeper->AddOfferSource([&] { return std::vector<Offer>{cutOff("a.txt", 1700000300, true), cutOff("b.txt", 1700000100, false)}; });
    keeper->AddOfferSource([&] { return std::vector<Offer>{cutOff("c.txt", 1700000200, false)}; });
    const std::string stamp = Stamp(text);

    services.modalAnswers = {platform::mrYes, platform::mrYes, platform::mrNo, platform::mrYes};
    keeper->OfferAtStart();
    ASSERT_EQ(services.questions.size(), 4u);
    // Newest first, the file named in full.
    const std::string a = services.questions[0];
    EXPECT_EQ(a.substr(0, a.find(" was interrupted at ")), "Saving " + Path("a.txt"));
    EXPECT_TRUE(a.ends_with(" and may have left it incomplete. Put back the file as it was before that save?")) << a;
    EXPECT_EQ(services.questions[1].substr(0, 7 + Path("c.txt").size()), "Saving " + Path("c.txt"));
    EXPECT_EQ(services.questions[3], "Restore unsaved noname.txt from " + stamp + "?");
    // A restore that fails is reported and the offer goes on.
    EXPECT_EQ(services.errors, std::vector<std::string>{"Cannot write a.txt"});
    EXPECT_EQ(done, (std::vector<std::string>{"restore c.txt", "discard b.txt"}));
    EXPECT_EQ(fmekalon->Tm1->JoinedText(), "t\r\n");

    // Cancel at a cut-off save keeps the copies of unsaved work for another start too.
    const std::string left = LeaveCopy(Kind::Text, "", "u\r\n", std::chrono::minutes(1));
    services.questions.clear();
    services.modalAnswers = {platform::mrCancel};
    keeper->OfferAtStart();
    EXPECT_EQ(services.questions.size(), 1u);
    EXPECT_TRUE(fs::exists(left));
}

}  // namespace
