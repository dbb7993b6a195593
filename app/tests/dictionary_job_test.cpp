// Long dictionary work through the real windows: opening and appending a dictionary file, and
// Wordlist, let events run, show their progress (the status bar, the results window's caption),
// and stop on Esc pressed in the editor, leaving the dictionary that was there. Every check of the clock reports here (an interval of 0), so a
// test stops a job at a report of its choice on a small dictionary.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>
#include <regex>

#include "app/statusbar.h"
#include "app/tests/app_fixture.h"
#include "app/uergebnis.h"
#include "app/umekalon.h"
#include "dictionary/progress.h"
#include "platform/cancel.h"
#include "testing/bytes.h"

namespace {

class DictionaryJobTest : public AppWindowsTest {
protected:
    void SetUp() override {
        AppWindowsTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        interval = dictionary::Progress::Interval();
        dictionary::Progress::Interval() = std::chrono::nanoseconds(0);
    }
    void TearDown() override {
        dictionary::Progress::Interval() = interval;
        AppWindowsTest::TearDown();
    }
    std::string Path(const char* name) const { return (dir.path() + "/" + name).toStdString(); }
    std::string Title() const { return fmekalon->windowTitle().toStdString(); }
    void PressEsc() { QTest::keyClick(fmekalon->Tm1->tcm, Qt::Key_Escape); }
    // The share the status bar shows for the job, or -1 when it shows none.
    int Shown(const std::string& what) {
        const TStatusLine& status = *fmekalon->statusLine;
        if (status.currentMessage().toStdString() != what + " - ESC to break" || !status.progress->isVisible()) return -1;
        return status.progress->value();
    }
    bool ShowsNoProgress() {
        return fmekalon->statusLine->currentMessage().isEmpty() && !fmekalon->statusLine->progress->isVisible();
    }
    // The share a caption shows, or -1 when it is none.
    static int Shown(const std::string& caption, const std::string& what) {
        std::smatch m;
        if (!std::regex_match(caption, m, std::regex(what + " ([0-9]+)% - ESC to break"))) return -1;
        return std::stoi(m[1]);
    }
    // Lines that the file holds in no sorted order: "w19999 y", ..., "w0 y".
    static std::string Unsorted(int lines) {
        std::string bytes;
        for (int i = lines - 1; i >= 0; --i) bytes += "w" + std::to_string(i) + " y\r\n";
        return bytes;
    }

    QTemporaryDir dir;
    std::chrono::nanoseconds interval{};
};

TEST_F(DictionaryJobTest, EscStopsALoadInEveryPhaseAndKeepsTheDictionaryThatWasThere) {
    testbytes::WriteAll(Path("old.dic"), "old x\r\n");
    services.openAnswers.push_back(Path("old.dic"));
    fmekalon->Opendicsel->trigger();
    ASSERT_EQ(fmekalon->diclist.ToBytes(), "old x\r\n");
    const std::string title = Title();
    testbytes::WriteAll(Path("big.dic"), Unsorted(20000));

    // Reading the file, making the sort keys, sorting, building the list.
    for (int stopAt : {5, 30, 70, 95}) {
        std::vector<int> shown;
        services.onProcessMessages = [&] {
            shown.push_back(Shown("Loading dictionary"));
            EXPECT_FALSE(fmekalon->Dictionary->menuAction()->isEnabled());
            EXPECT_FALSE(fmekalon->Wordlist->isEnabled());
            if (shown.back() >= stopAt && platform::AnyJobRunning()) PressEsc();
        };
        services.openAnswers.push_back(Path("big.dic"));
        fmekalon->Opendicsel->trigger();
        ASSERT_GE(shown.size(), 2u);
        EXPECT_EQ(shown.front(), 0);  // shown as soon as the load starts
        EXPECT_GE(shown.back(), stopAt);
        EXPECT_LT(shown.back(), 100) << "stopped at " << stopAt;
        EXPECT_EQ(fmekalon->diclist.ToBytes(), "old x\r\n") << "stopped at " << stopAt;
        EXPECT_EQ(fmekalon->dicfile, Path("old.dic"));
        EXPECT_EQ(fmekalon->dictname->text().toStdString(), "old.dic");
        EXPECT_EQ(Title(), title);
        EXPECT_TRUE(ShowsNoProgress());
        EXPECT_TRUE(fmekalon->Dictionary->menuAction()->isEnabled());
        EXPECT_TRUE(fmekalon->Wordlist->isEnabled());
        EXPECT_FALSE(platform::AnyJobRunning());
        EXPECT_TRUE(services.errors.empty());
    }

    // Left to run, the same file loads, its progress rising to the end.
    std::vector<int> shown;
    services.onProcessMessages = [&] { shown.push_back(Shown("Loading dictionary")); };
    services.openAnswers.push_back(Path("big.dic"));
    fmekalon->Opendicsel->trigger();
    EXPECT_EQ(fmekalon->diclist.Count(), 20000);
    EXPECT_EQ(fmekalon->dicfile, Path("big.dic"));
    EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
    EXPECT_GE(shown.back(), 90);
    EXPECT_TRUE(ShowsNoProgress());
}

TEST_F(DictionaryJobTest, EscStopsAnAppendAndChangesNothing) {
    fmekalon->diclist.LoadFromBytes(Unsorted(3000));
    fmekalon->dicchanged = false;
    const std::string before = fmekalon->diclist.ToBytes();
    testbytes::WriteAll(Path("more.dic"), "new line\r\n" + Unsorted(20000));
    for (int stopAt : {40, 85}) {  // while the file is read, while it is merged
        services.onProcessMessages = [&] {
            if (Shown("Appending dictionary") >= stopAt && platform::AnyJobRunning()) PressEsc();
        };
        services.openAnswers.push_back(Path("more.dic"));
        fmekalon->Appenddicsel->trigger();
        EXPECT_EQ(fmekalon->diclist.ToBytes(), before) << "stopped at " << stopAt;
        EXPECT_FALSE(fmekalon->dicchanged);
        EXPECT_EQ(fmekalon->dictname->text().toStdString(), "noname.dic");
    }
}

TEST_F(DictionaryJobTest, AFileWithANulByteIsRefusedAndTheDictionaryStays) {
    fmekalon->diclist.Insert("old x");
    fmekalon->dicchanged = false;
    std::string bytes = Unsorted(20000);
    bytes[100] = '\0';
    testbytes::WriteAll(Path("nul.dic"), bytes);
    services.openAnswers.push_back(Path("nul.dic"));
    fmekalon->Opendicsel->trigger();
    ASSERT_EQ(services.errors.size(), 1u);
    EXPECT_NE(services.errors[0].find("NUL"), std::string::npos) << services.errors[0];
    EXPECT_EQ(fmekalon->diclist.ToBytes(), "old x\r\n");
}

TEST_F(DictionaryJobTest, EscStopsAWordlistWhileItScansOrPreparesTheDictionary) {
    // The one line that holds the word sorts last: a search that is not stopped finds it.
    fmekalon->diclist.LoadFromBytes(Unsorted(20000) + "zqx found\r\n");
    fmekalon->Tm1->Lines.Add("");
    fmekalon->Tm1->SetCursor(fmekalon->Tm1->LineCount() - 1, 0);
    // A pattern scans the text; the first whole word builds the index.
    for (const std::string text : {"*qx*", "zqx"}) {
        fmekalon->Tm1->Lines.Set(fmekalon->Tm1->LineCount() - 1, text);
        int reports = 0;
        std::string caption;
        services.onProcessMessages = [&] {
            if (++reports == 2) {
                caption = Fergebnis->windowTitle().toStdString();
                PressEsc();
            }
        };
        fmekalon->Wordlist->trigger();
        EXPECT_EQ(Fergebnis->windowTitle().toStdString(), "No line found...interrupted") << text;
        EXPECT_EQ(Fergebnis->results->LineCount(), 1) << text;
        EXPECT_EQ(fmekalon->Wordlist->text().toStdString(), "&Wordlist");
        EXPECT_FALSE(platform::AnyJobRunning());
        if (text == "zqx") EXPECT_GE(Shown(caption, "Preparing the dictionary"), 0) << caption;

        services.onProcessMessages = nullptr;
        fmekalon->Wordlist->trigger();
        EXPECT_EQ(Fergebnis->windowTitle().toStdString(), "1 line found") << text;
    }
}

}  // namespace
