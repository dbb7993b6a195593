// Crash recovery inside the program: the copy follows the modified text and dictionary and goes
// with a save, New or an unchanged text; at start the copies an ended run left are offered through
// the message box, restored on yes, deleted on no, and copies older than their file are dropped.
#include <gtest/gtest.h>

#include <unistd.h>

#include <QAction>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <filesystem>
#include <fstream>

#include "app/recovery.h"
#include "app/tests/app_fixture.h"
#include "app/umekalon.h"
#include "testing/bytes.h"

namespace {

namespace fs = std::filesystem;
using recovery::Kind;

constexpr long kEndedRun = 2147483000;  // no process has this id

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
    void WriteFile(const std::string& path, const std::string& bytes, std::chrono::minutes age) {
        std::ofstream(path, std::ios::binary) << bytes;
        fs::last_write_time(path, fs::file_time_type::clock::now() - age);
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
    ASSERT_EQ(copyFile, recovery::FileFor(folder, Kind::Text, file, getpid()));
    auto copy = recovery::Read(copyFile);
    ASSERT_TRUE(copy.has_value());
    EXPECT_EQ(copy->kind, Kind::Text);
    EXPECT_EQ(copy->target, file);
    EXPECT_EQ(copy->pid, getpid());
    EXPECT_EQ(copy->bytes, "abcold\r\n");
    EXPECT_EQ(fs::status(copyFile).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);

    // A long command brings the copy up to date first.
    TypeLatin("d");
    fmekalon->Printsel->trigger();
    EXPECT_EQ(recovery::Read(copyFile)->bytes, "abcdold\r\n");

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
    EXPECT_EQ(keeper->TextCopy(), recovery::FileFor(folder, Kind::Text, "", getpid()));
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

TEST_F(RecoveryTest, StartOffersCopiesOfEndedRunsNewerThanTheirFile) {
    const std::string file = Path("story.txt");
    WriteFile(file, "old\r\n", std::chrono::minutes(60));
    const std::string restored = "\xA1\xD2\xC3 abc\r\n\r\nlast\r\n";
    const std::string offered = recovery::Write(folder, {Kind::Text, file, kEndedRun, restored, {}});
    // Not offered: the copy of a run still going, and a copy older than its file (which goes).
    const std::string running = recovery::Write(folder, {Kind::Text, Path("other.txt"), getppid(), "x\r\n", {}});
    const std::string saved = Path("saved.txt");
    const std::string stale = recovery::Write(folder, {Kind::Text, saved, kEndedRun, "y\r\n", {}});
    WriteFile(saved, "saved\r\n", std::chrono::minutes(-1));
    const std::string dictionary = recovery::Write(folder, {Kind::Dictionary, "", kEndedRun, "b x\r\na y\r\n", {}});

    services.modalAnswers = {platform::mrYes, platform::mrYes};
    keeper->OfferAtStart();
    EXPECT_EQ(services.questions,
              (std::vector<std::string>{"Restore unsaved story.txt?", "Restore unsaved noname.dic?"}));
    EXPECT_EQ(fmekalon->Tm1->JoinedText(), restored);
    EXPECT_TRUE(fmekalon->Tm1->Modified);
    EXPECT_EQ(fmekalon->textfile, file);
    EXPECT_EQ(fmekalon->windowTitle().toStdString(), "*story.txt-Mekalon 5.2");  // restored, not saved
    EXPECT_EQ(fmekalon->diclist.ToBytes(), "a y\r\nb x\r\n");
    EXPECT_TRUE(fmekalon->dicchanged);
    EXPECT_EQ(ReadAll(file), "old\r\n");  // the file itself is not touched
    // This run keeps the copies now; the ended run's are gone.
    EXPECT_EQ(recovery::Read(offered)->pid, getpid());
    EXPECT_FALSE(fs::exists(dictionary));
    EXPECT_TRUE(fs::exists(keeper->DictionaryCopy()));
    EXPECT_TRUE(fs::exists(running));
    EXPECT_FALSE(fs::exists(stale));

    // No deletes the copy and changes nothing.
    const std::string refused = recovery::Write(folder, {Kind::Text, "", kEndedRun, "z\r\n", {}});
    services.questions.clear();
    services.modalAnswers = {platform::mrNo};
    keeper->OfferAtStart();
    EXPECT_EQ(services.questions, std::vector<std::string>{"Restore unsaved noname.txt?"});
    EXPECT_FALSE(fs::exists(refused));
    EXPECT_EQ(fmekalon->Tm1->JoinedText(), restored);
}

}  // namespace
