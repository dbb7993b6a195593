// Settings kept between runs, through the program's own start and end (StartProgram, EndProgram)
// run twice in one test with a settings folder of the test's own: what survives a restart, the
// last dictionary, the recent lists, --no-settings, and settings files that cannot be read.
#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "app/commandline.h"
#include "app/settings.h"
#include "app/startup.h"
#include "app/statusbar.h"
#include "app/tests/app_fixture.h"
#include "app/tests/fake_services.h"
#include "app/uergebnis.h"
#include "app/ufinddlg.h"
#include "app/umekalon.h"
#include "app/urianthai.h"
#include "app/uthaivk.h"
#include "inputfield/thaiedit.h"
#include "testing/bytes.h"

namespace {

namespace fs = std::filesystem;
using testbytes::ReadAll;
using testbytes::WriteAll;

class SettingsTest : public ::testing::Test, protected TestWindows {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        UseConfig("config");
    }
    void TearDown() override {
        if (fmekalon) End();
        EXPECT_FALSE(services.unexpectedModal) << "a question was asked that the test did not expect";
    }
    // The settings folder of the program runs that follow: `name` under the test's folder.
    void UseConfig(const char* name) {
        config = dir.path().toStdString() + "/" + name;
        setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    }
    std::string Conf() const { return config + "/mekalon/mekalon.conf"; }
    std::string Path(const char* name) const { return (dir.path() + "/" + name).toStdString(); }

    void Start(const CommandLine& options = {}) {
        Take(StartProgram(options));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(fmekalon));
    }
    void End() {
        fmekalon->Tm1->Modified = false;
        fmekalon->dicchanged = false;
        EndProgram(std::move(app));
        Take(nullptr);
    }
    // Opens a file through File > Open (or Dictionary > Open) with the dialog answered.
    void Open(QAction* command, const std::string& path) {
        services.openAnswers.push_back(path);
        command->trigger();
    }
    static std::vector<std::string> Tips(QMenu* menu) {
        std::vector<std::string> tips;
        for (QAction* a : menu->actions()) tips.push_back(a->toolTip().toStdString());
        return tips;
    }

    QTemporaryDir dir;
    std::string config;
    ScriptedServices services;
};

TEST_F(SettingsTest, WhatTheUserSetSurvivesARestart) {
    WriteAll(Path("factor.txt"), "1.5E1\r\n");
    WriteAll(Path("words.dic"), "cat \xE1\xC1\xC7\r\ndog \xCB\xC1\xD2\r\n");
    Start();
    services.fontAnswers.push_back(platform::FontChoice{"DejaVu Sans Mono", 20, 1});
    fmekalon->Fixedsys->trigger();
    fmekalon->Largegraphics->trigger();  // glyph size 3; the chosen font stays the window's font
    fmekalon->hardreturn->trigger();     // off
    fmekalon->KeyboardF21->trigger();
    fmekalon->ThaionAZ1->trigger();
    Open(fmekalon->Opendicsel, Path("words.dic"));
    Open(fmekalon->Openfilesel, Path("factor.txt"));
    QTest::keyClick(fmekalon->Tm1->tcm, Qt::Key_End, Qt::ShiftModifier);
    fmekalon->ChangeFactorDivisor->trigger();
    ASSERT_EQ(static_cast<double>(fmekalon->factor), 15.0);
    fmekalon->VirtualKbd1->trigger();
    fmekalon->setGeometry(60, 70, 700, 420);
    const QRect placed = fmekalon->geometry();
    End();
    ASSERT_TRUE(fs::is_regular_file(Conf()));

    Start();
    EXPECT_EQ(fmekalon->Tm1->Graphicsize, 3);
    EXPECT_EQ(Fergebnis->results->Graphicsize, 3);
    EXPECT_EQ(fmekalon->font.name, "DejaVu Sans Mono");
    EXPECT_EQ(fmekalon->font.height, 20);
    EXPECT_EQ(fmekalon->font.style, 1);
    EXPECT_FALSE(fmekalon->Tm1->HardReturn);
    EXPECT_FALSE(fmekalon->hardreturn->isChecked());
    EXPECT_TRUE(fmekalon->Tm1->ThaiKeyboard);
    EXPECT_TRUE(fmekalon->Tm1->ThaiOnAZ);
    EXPECT_TRUE(Finddlg->te1->ThaiOnAZ);
    EXPECT_TRUE(frianthai->te1->ThaiKeyboard);
    EXPECT_EQ(fmekalon->statusLine->mode->text().toStdString(), "A..Z");
    EXPECT_EQ(static_cast<double>(fmekalon->factor), 15.0);
    EXPECT_EQ(fmekalon->Multiplywith->text().toStdString(), "&Multiply with 1.5E1");
    EXPECT_EQ(fmekalon->Divideby->text().toStdString(), "&Divide by 1.5E1");
    // The last dictionary is open again; the text is not, but it heads the recent list.
    EXPECT_EQ(fmekalon->diclist.Count(), 2);
    EXPECT_EQ(fmekalon->dictname->text().toStdString(), "words.dic");
    EXPECT_EQ(fmekalon->statusLine->dictionary->text().toStdString(), "words.dic (2 lines)");
    EXPECT_EQ(fmekalon->Tm1->LineCount(), 0);
    EXPECT_EQ(Tips(fmekalon->RecentFiles), std::vector<std::string>{Path("factor.txt")});
    EXPECT_TRUE(Fthaivk->isVisible());
    EXPECT_EQ(fmekalon->geometry(), placed);
    // Previous Font returns to the font chosen in the first run.
    fmekalon->previousfont->trigger();
    EXPECT_EQ(fmekalon->Tm1->Graphicsize, 0);
    EXPECT_EQ(fmekalon->host->Canvas().FontName(), "DejaVu Sans Mono");
    EXPECT_TRUE(services.errors.empty());
}

TEST_F(SettingsTest, TheLastDictionaryOpensAgainUnlessGoneUnreadableOrAnotherIsNamed) {
    const std::string other = Path("other.dic");
    WriteAll(other, "one\r\n");
    const struct {
        const char* name;
        void (*spoil)(const std::string& dictionary);  // what happens to it between the runs
        bool named;                                    // --dictionary names another one
        int lines;
        const char* message;  // a part of the status bar's message ("" for none)
    } cases[] = {
        {"kept", [](const std::string&) {}, false, 2, ""},
        {"gone", [](const std::string& d) { fs::remove(d); }, false, 0, "no longer exists"},
        {"unreadable",
         [](const std::string& d) {
             fs::remove(d);
             fs::create_directory(d);
         },
         false, 0, "could not be opened"},
        {"another named", [](const std::string&) {}, true, 1, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UseConfig(c.name);
        const std::string dictionary = Path((std::string(c.name) + ".dic").c_str());
        WriteAll(dictionary, "cat \xE1\xC1\xC7\r\ndog \xCB\xC1\xD2\r\n");
        Start();
        Open(fmekalon->Opendicsel, dictionary);
        End();
        c.spoil(dictionary);
        CommandLine options;
        if (c.named) options.dictionary = other;
        Start(options);
        EXPECT_EQ(fmekalon->diclist.Count(), c.lines);
        const std::string shown = fmekalon->statusLine->currentMessage().toStdString();
        if (*c.message)
            EXPECT_NE(shown.find(c.message), std::string::npos) << shown;
        else
            EXPECT_EQ(shown, "");
        End();
        // No error box: the status bar said it.
        EXPECT_TRUE(services.errors.empty());
        EXPECT_TRUE(services.messages.empty());
    }
}

TEST_F(SettingsTest, RecentListsHoldTheLastTenNewestFirstAndDropNamesThatAreGone) {
    Start();
    for (int i = 0; i < 12; ++i) {
        const std::string file = Path(("t" + std::to_string(i) + ".txt").c_str());
        WriteAll(file, "text " + std::to_string(i) + "\r\n");
        Open(fmekalon->Openfilesel, file);
    }
    std::vector<std::string> expected;
    for (int i = 11; i >= 2; --i) expected.push_back(Path(("t" + std::to_string(i) + ".txt").c_str()));
    EXPECT_EQ(Tips(fmekalon->RecentFiles), expected);
    EXPECT_EQ(fmekalon->RecentFiles->actions()[0]->text().toStdString(), "&1 t11.txt");
    EXPECT_EQ(fmekalon->RecentFiles->actions()[9]->text().toStdString(), "1&0 t2.txt");

    // Choosing one opens it and puts it first; a changed text is asked about first.
    fmekalon->Tm1->Modified = true;
    services.modalAnswers.push_back(platform::mrCancel);
    fmekalon->RecentFiles->actions()[5]->trigger();
    EXPECT_EQ(services.questions.size(), 1u);
    EXPECT_EQ(fmekalon->textfile, Path("t11.txt"));
    services.modalAnswers.push_back(platform::mrNo);
    fmekalon->RecentFiles->actions()[5]->trigger();
    EXPECT_EQ(fmekalon->textfile, Path("t6.txt"));
    EXPECT_EQ(fmekalon->Tm1->Lines[0], "text 6");
    EXPECT_EQ(Tips(fmekalon->RecentFiles)[0], Path("t6.txt"));
    EXPECT_EQ(Tips(fmekalon->RecentFiles).size(), 10u);

    // Saving under a new name counts as well: the name goes first.
    services.saveAnswers.push_back(Path("saved.txt"));
    fmekalon->SavefileAssel->trigger();
    EXPECT_EQ(Tips(fmekalon->RecentFiles)[0], Path("saved.txt"));

    // A file that is gone leaves the list with a message; the text stays as it was.
    fs::remove(Path("t9.txt"));
    const auto tips = Tips(fmekalon->RecentFiles);
    const auto gone = std::find(tips.begin(), tips.end(), Path("t9.txt"));
    ASSERT_NE(gone, tips.end());
    fmekalon->RecentFiles->actions()[static_cast<qsizetype>(gone - tips.begin())]->trigger();
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_NE(services.messages[0].find(Path("t9.txt")), std::string::npos);
    EXPECT_EQ(Tips(fmekalon->RecentFiles).size(), 9u);
    EXPECT_EQ(fmekalon->textfile, Path("saved.txt"));

    // The dictionaries have a list of their own, with the same rules.
    WriteAll(Path("a.dic"), "a\r\n");
    WriteAll(Path("b.dic"), "b\r\nbb\r\n");
    Open(fmekalon->Opendicsel, Path("a.dic"));
    Open(fmekalon->Opendicsel, Path("b.dic"));
    EXPECT_EQ(Tips(fmekalon->RecentDictionaries), (std::vector<std::string>{Path("b.dic"), Path("a.dic")}));
    fmekalon->RecentDictionaries->actions()[1]->trigger();
    EXPECT_EQ(fmekalon->diclist.Count(), 1);
    EXPECT_EQ(Tips(fmekalon->RecentDictionaries), (std::vector<std::string>{Path("a.dic"), Path("b.dic")}));
    fs::remove(Path("b.dic"));
    fmekalon->RecentDictionaries->actions()[1]->trigger();
    EXPECT_EQ(services.messages.size(), 2u);
    EXPECT_EQ(Tips(fmekalon->RecentDictionaries), std::vector<std::string>{Path("a.dic")});
    EXPECT_TRUE(services.errors.empty());

    // The lists and their order survive a restart.
    const auto texts = Tips(fmekalon->RecentFiles);
    End();
    Start();
    EXPECT_EQ(Tips(fmekalon->RecentFiles), texts);
    EXPECT_EQ(Tips(fmekalon->RecentDictionaries), std::vector<std::string>{Path("a.dic")});
}

TEST_F(SettingsTest, NoSettingsStartsWithTheDefaultsAndWritesNothing) {
    const char* args[] = {"mekalon", "--no-settings"};
    CommandLine options;
    ASSERT_FALSE(ParseCommandLine(2, const_cast<char**>(args), options));
    ASSERT_TRUE(options.noSettings);

    // Into an empty folder: it stays empty.
    Start(options);
    fmekalon->Largegraphics->trigger();
    fmekalon->KeyboardF21->trigger();
    End();
    EXPECT_TRUE(!fs::exists(config) || fs::is_empty(config));

    // With kept settings: they are not read, and the file stays as it was.
    Start();
    fmekalon->Largegraphics->trigger();
    End();
    const std::string kept = ReadAll(Conf());
    ASSERT_NE(kept, "");
    Start(options);
    EXPECT_EQ(fmekalon->Tm1->Graphicsize, 1);
    EXPECT_FALSE(fmekalon->Tm1->ThaiKeyboard);
    fmekalon->MediumGraphics->trigger();
    End();
    EXPECT_EQ(ReadAll(Conf()), kept);
    EXPECT_EQ(std::distance(fs::directory_iterator(config + "/mekalon"), fs::directory_iterator()), 1);
}

TEST_F(SettingsTest, AnUnreadableSettingsFileIsSetAsideAndTheProgramStartsWithDefaults) {
    const struct {
        const char* name;
        void (*make)(const std::string& conf);
    } cases[] = {
        {"garbage bytes", [](const std::string& c) { WriteAll(c, std::string("\x7F" "ELF\0\x01\xFF\xFE graphicsSize=3", 20)); }},
        {"a folder", [](const std::string& c) { fs::create_directories(c + "/inside"); }},
        {"not a setting", [](const std::string& c) { WriteAll(c, "[view]\ngraphicsSize=3\nthis is no setting\n"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UseConfig(c.name);
        fs::create_directories(config + "/mekalon");
        // Twice: the second time the first set-aside file is already there and stays.
        for (const char* aside : {".bad", ".bad-2"}) {
            c.make(Conf());
            const bool folder = fs::is_directory(Conf());
            const std::string bytes = folder ? "" : ReadAll(Conf());
            testing::internal::CaptureStderr();
            Start();
            const std::string err = testing::internal::GetCapturedStderr();
            EXPECT_NE(err.find("could not be read"), std::string::npos) << err;
            EXPECT_NE(err.find(Conf() + aside), std::string::npos) << err;
            EXPECT_EQ(fmekalon->Tm1->Graphicsize, 1);
            EXPECT_EQ(fs::is_directory(Conf() + aside), folder);
            if (!folder) {
                EXPECT_EQ(ReadAll(Conf() + aside), bytes);
            }
            fmekalon->MediumGraphics->trigger();
            End();
            // The new file is one the next start reads.
            EXPECT_EQ(settings::ProblemWith(Conf()), "");
            fs::remove(Conf());
        }
    }
}

TEST_F(SettingsTest, AValueOutOfRangeGivesItsDefaultAndKeepsTheRest) {
    fs::create_directories(config + "/mekalon");
    WriteAll(Conf(),
             "[view]\ngraphicsSize=7\nfontName=Tlwg Mono\nfontHeight=-3\nhardReturn=maybe\n"
             "[input]\nthaiKeyboard=true\n[convert]\nfactor=abc\nfactorText=abc\n"
             "[files]\nrecentTexts=relative.txt, /abs/one.txt, /abs/one.txt\n");
    testing::internal::CaptureStderr();
    Start();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.find("mekalon:"), std::string::npos) << err;
    EXPECT_EQ(fmekalon->Tm1->Graphicsize, 1);
    EXPECT_EQ(fmekalon->font.name, "Tlwg Mono");
    EXPECT_EQ(fmekalon->font.height, 13);
    EXPECT_TRUE(fmekalon->Tm1->HardReturn);
    EXPECT_TRUE(fmekalon->Tm1->ThaiKeyboard);
    EXPECT_EQ(static_cast<double>(fmekalon->factor), 40.0);
    EXPECT_EQ(fmekalon->Multiplywith->text().toStdString(), "&Multiply with 40");
    EXPECT_EQ(Tips(fmekalon->RecentFiles), std::vector<std::string>{"/abs/one.txt"});
}

}  // namespace
