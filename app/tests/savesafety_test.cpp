// The main window's saves against the file on disk: another program's change asked about before
// it is written over and offered for reloading, a UTF-8 file with characters TIS-620 lacks opened
// and saved back only with the user's word, a failed Save As that takes over nothing, the title's
// mark of unsaved changes, and the start's offer to put back a file whose save was killed.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/recovery.h"
#include "app/tests/app_fixture.h"
#include "app/umekalon.h"
#include "platform/files.h"
#include "testing/bytes.h"

namespace {

using testbytes::ReadAll;
using testbytes::WriteAll;

class SaveSafetyTest : public AppFilesTest {
protected:
    void Open(const std::string& path) {
        services.openAnswers.push_back(path);
        fmekalon->Openfilesel->trigger();
    }
    // Another program writes the file: new bytes and a later time (whatever the clock's step).
    static void ChangeOnDisk(const std::string& path, const std::string& bytes) {
        WriteAll(path, bytes);
        struct timespec later[2] = {{0, UTIME_OMIT}, {2000000000, 0}};
        ::utimensat(AT_FDCWD, path.c_str(), later, 0);
    }
};

TEST_F(SaveSafetyTest, AFileAnotherProgramChangedIsSavedOverOnlyWithTheUsersWord) {
    const std::string file = Path("a.txt");
    WriteAll(file, "one\r\n");
    Open(file);
    TypeLatin("x");
    ChangeOnDisk(file, "theirs\r\n");

    // Save and Save As to the same file ask; no saves nothing and keeps the text modified.
    const std::string question = "a.txt was changed on disk by another program since it was opened. Save over it?";
    services.modalAnswers = {platform::mrNo};
    fmekalon->savefilesel->trigger();
    services.saveAnswers.push_back(file);
    services.modalAnswers.push_back(platform::mrCancel);
    fmekalon->SavefileAssel->trigger();
    EXPECT_EQ(services.questions, (std::vector<std::string>{question, question}));
    EXPECT_EQ(ReadAll(file), "theirs\r\n");
    EXPECT_TRUE(fmekalon->Tm1->Modified);

    services.modalAnswers = {platform::mrYes};
    fmekalon->savefilesel->trigger();
    EXPECT_EQ(ReadAll(file), "xone\r\n");
    EXPECT_FALSE(fmekalon->Tm1->Modified);

    // Saved by us, touched by another program, or deleted: saved without a question.
    TypeLatin("y");
    fmekalon->savefilesel->trigger();
    struct timespec touch[2] = {{0, UTIME_OMIT}, {2100000000, 0}};
    ::utimensat(AT_FDCWD, file.c_str(), touch, 0);
    TypeLatin("z");
    fmekalon->savefilesel->trigger();
    ::unlink(file.c_str());
    TypeLatin("w");
    fmekalon->savefilesel->trigger();
    EXPECT_EQ(services.questions.size(), 3u);
    EXPECT_EQ(ReadAll(file), "xyzwone\r\n");
    EXPECT_TRUE(services.errors.empty());
}

TEST_F(SaveSafetyTest, AChangeOnDiskIsOfferedForReloadingOrToldOfOnce) {
    const std::string text = Path("a.txt"), dic = Path("words.dic");
    WriteAll(text, "one\r\n");
    WriteAll(dic, "cat meow\r\n");
    Open(text);
    fmekalon->OpenDictionary(dic);

    // No unsaved changes: reloading is offered; yes reloads, no is not asked again for that change.
    ChangeOnDisk(text, "two\r\n");
    ChangeOnDisk(dic, "cat meow\r\ndog woof\r\n");
    services.modalAnswers = {platform::mrYes, platform::mrNo};
    fmekalon->FormActivate();  // the check runs once the activation has been handled
    QCoreApplication::processEvents();
    EXPECT_EQ(services.questions, (std::vector<std::string>{"a.txt was changed on disk by another program. Reload it?",
                                                            "words.dic was changed on disk by another program. Reload it?"}));
    EXPECT_EQ(fmekalon->Tm1->Lines[0], "two");
    EXPECT_FALSE(fmekalon->Tm1->Modified);
    EXPECT_EQ(fmekalon->diclist.Count(), 1);
    fmekalon->CheckFilesOnDisk();
    EXPECT_EQ(services.questions.size(), 2u);

    // Unsaved changes: told once, kept; the dictionary's Save As over its file then asks.
    TypeLatin("x");
    ChangeOnDisk(text, "three\r\n");
    fmekalon->CheckFilesOnDisk();
    fmekalon->CheckFilesOnDisk();
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].rfind("a.txt was changed on disk by another program.", 0), 0u) << services.messages[0];
    EXPECT_EQ(fmekalon->Tm1->Lines[0], "xtwo");
    fmekalon->diclist.Insert("eel zap");
    services.saveAnswers.push_back(dic);
    services.modalAnswers = {platform::mrNo};
    fmekalon->Savedicassel->trigger();
    EXPECT_EQ(services.questions.back(), "words.dic was changed on disk by another program since it was opened. Save over it?");
    EXPECT_EQ(ReadAll(dic), "cat meow\r\ndog woof\r\n");
    EXPECT_TRUE(fmekalon->dicchanged);
    EXPECT_TRUE(services.errors.empty());
}

TEST_F(SaveSafetyTest, AUtf8FileWithCharactersTis620LacksOpensAndIsSavedBackOnlyWithTheUsersWord) {
    const std::string file = Path("cafe.txt");
    const std::string bytes = "ไทย\ncafé crème\n";
    WriteAll(file, bytes);
    TypeLatin("kept");

    // The question names the first such character, its place and how many there are.
    services.modalAnswers = {platform::mrCancel};
    fmekalon->OpenFile(file);
    ASSERT_EQ(services.questions.size(), 1u);
    EXPECT_EQ(services.questions[0], "\"cafe.txt\" holds U+00E9 (é) at line 2, column 4, and 1 more characters that "
                                     "TIS-620 lacks. Open it with each of them replaced by \"?\"?");
    EXPECT_EQ(fmekalon->Tm1->Lines[0], "kept");
    EXPECT_EQ(fmekalon->textfile, "noname.txt");

    services.modalAnswers = {platform::mrYes};
    fmekalon->OpenFile(file);
    EXPECT_EQ(fmekalon->Tm1->Lines[1], "caf? cr?me");
    EXPECT_EQ(fmekalon->textfile, file);

    // Saving over the original asks again, naming how many; Save As elsewhere does not.
    TypeLatin("!");
    services.modalAnswers = {platform::mrNo};
    fmekalon->savefilesel->trigger();
    EXPECT_EQ(services.questions.back(), "Saving over cafe.txt writes 2 characters that TIS-620 lacks as \"?\": they "
                                         "were replaced when it was opened. Save over it?");
    EXPECT_EQ(ReadAll(file), bytes);
    EXPECT_TRUE(fmekalon->Tm1->Modified);
    services.modalAnswers = {platform::mrYes};
    fmekalon->savefilesel->trigger();
    EXPECT_EQ(ReadAll(file), "!ไทย\ncaf? cr?me\n");
    TypeLatin("!");
    fmekalon->savefilesel->trigger();
    EXPECT_EQ(services.questions.size(), 4u) << services.questions.back();
    EXPECT_TRUE(services.errors.empty());
}

TEST_F(SaveSafetyTest, AFailedSaveAsKeepsTheNameTheTitleAndTheEncoding) {
    const std::string file = Path("a.txt");
    WriteAll(file, "one\r\n");
    Open(file);
    TypeLatin("x");
    services.saveAnswers.push_back(Path("no/such/folder/b.txt"));
    services.encodingAnswers.push_back("UTF-8");
    fmekalon->SavefileAssel->trigger();
    ASSERT_EQ(services.errors.size(), 1u);
    EXPECT_EQ(fmekalon->textfile, file);
    EXPECT_EQ(Title(), "*a.txt-Mekalon 5.2");
    EXPECT_EQ(fmekalon->Tm1->Document().FileFormat, platform::TextFormat{});
    fmekalon->savefilesel->trigger();
    EXPECT_EQ(ReadAll(file), "xone\r\n");
    EXPECT_EQ(services.errors.size(), 1u);
}

TEST_F(SaveSafetyTest, TheTitleMarksUnsavedChangesAndFollowsUndo) {
    const std::string file = Path("a.txt");
    WriteAll(file, "one\r\n");
    Open(file);
    const std::pair<std::function<void()>, const char*> steps[] = {
        {[] {}, "a.txt-Mekalon 5.2"},
        {[&] { TypeLatin("x"); }, "*a.txt-Mekalon 5.2"},
        {[this] { fmekalon->Undo1->trigger(); }, "a.txt-Mekalon 5.2"},
        {[this] { fmekalon->Redo1->trigger(); }, "*a.txt-Mekalon 5.2"},
        {[this] { fmekalon->savefilesel->trigger(); }, "a.txt-Mekalon 5.2"},
        {[this] { fmekalon->Undo1->trigger(); }, "*a.txt-Mekalon 5.2"},
        {[this] { fmekalon->Redo1->trigger(); }, "a.txt-Mekalon 5.2"},
        {[&] { TypeLatin("y"); }, "*a.txt-Mekalon 5.2"},
    };
    for (const auto& [step, title] : steps) {
        step();
        EXPECT_EQ(Title(), title);
    }
    services.modalAnswers = {platform::mrNo};
    fmekalon->newfilesel->trigger();
    EXPECT_EQ(Title(), "noname.txt-Mekalon 5.2");
}

// A save killed part way through rewriting a file with a second link: the next start offers to
// put the file back; a save killed before it wrote anything only loses its copy.
TEST_F(SaveSafetyTest, TheStartOffersToPutBackAFileWhoseSaveWasKilled) {
    const std::string state = Path("state");
    ::setenv("XDG_STATE_HOME", state.c_str(), 1);
    const std::string file = Path("a.txt"), link = Path("b.txt");
    const std::string old(3 << 20, 'o');
    for (const platform::SaveStep killedAt : {platform::SaveStep::InPlaceWriting, platform::SaveStep::OldBytesCopied}) {
        WriteAll(file, old);
        ::unlink(link.c_str());
        ASSERT_EQ(::link(file.c_str(), link.c_str()), 0);
        const pid_t pid = ::fork();
        if (pid == 0) {
            platform::SetSaveStepHook([killedAt](platform::SaveStep step) {
                if (step == killedAt) ::raise(SIGKILL);
                return 0;
            });
            try {
                platform::WriteFileBytes(file, std::string(4 << 20, 'n'));
            } catch (...) {
            }
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));
        services.modalAnswers = {platform::mrYes};
        std::vector<recovery::Offer> offers = recovery::CutOffSaveOffers(platform::StateFolder());
        recovery::AskAbout(offers);
        EXPECT_EQ(ReadAll(link), old);
        EXPECT_TRUE(platform::StaleInPlaceCopies(platform::StateFolder()).empty());
    }
    ::unsetenv("XDG_STATE_HOME");
    ASSERT_EQ(services.questions.size(), 1u);
    EXPECT_TRUE(services.questions[0].starts_with("Saving " + file + " was interrupted at ")) << services.questions[0];
    EXPECT_TRUE(services.questions[0].ends_with(" and may have left it incomplete. Put back the file as it was before "
                                                "that save?"));
    EXPECT_TRUE(services.errors.empty());
}

}  // namespace
