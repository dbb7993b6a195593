// The command line: the built program run as a user runs it for --help, --version and bad
// arguments, and what a FILE and a --dictionary open at start in the program's windows.
#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>

#include "app/commandline.h"
#include "app/tests/app_fixture.h"

namespace {

struct ProgramRun {
    int exitCode;
    std::string out, err;
};

ProgramRun RunProgram(const QStringList& args) {
    QProcess p;
    p.setProgram(QStringLiteral(MEKALON_PROGRAM));
    p.setArguments(args);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.start();
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return {-1, "", "did not end"};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput().toStdString(),
            p.readAllStandardError().toStdString()};
}

TEST(CommandLine, HelpVersionAndBadArgumentsEndTheProgramWithTheirExitCodes) {
    const struct {
        QStringList args;
        int exitCode;
        const char* out;  // expected on standard output ("" for none)
        const char* err;  // a part of standard error ("" for none)
    } cases[] = {
        {{"--help"}, 0, "Usage: mekalon [options] [FILE]", ""},
        {{"--version"}, 0, "Mekalon 5.2\n", ""},
        {{"--bogus"}, 2, "", "Unknown option 'bogus'"},
        {{"--dictionary"}, 2, "", "Missing value after '--dictionary'"},
        {{"one.txt", "two.txt"}, 2, "", "only one FILE"},
        {{"--size", "2", "one.txt"}, 2, "", "--size and --font go with --pdf"},
    };
    for (const auto& c : cases) {
        const ProgramRun run = RunProgram(c.args);
        const std::string what = c.args.join(' ').toStdString();
        EXPECT_EQ(run.exitCode, c.exitCode) << what << "\n" << run.err;
        if (std::string(c.out).empty()) {
            EXPECT_EQ(run.out, "") << what;
            EXPECT_NE(run.err.find(c.err), std::string::npos) << what << ": " << run.err;
            EXPECT_NE(run.err.find("Usage: mekalon [options] [FILE]"), std::string::npos) << what;
        } else {
            EXPECT_EQ(run.out.substr(0, std::string(c.out).size()), c.out) << what;
            EXPECT_EQ(run.err, "") << what;
        }
    }
    EXPECT_NE(RunProgram({"--help"}).out.find("--dictionary <DICT>"), std::string::npos);
}

class StartTest : public AppWindowsTest {
protected:
    std::string Path(const char* name) const { return (dir.path() + "/" + name).toStdString(); }
    std::string Title() const { return fmekalon->windowTitle().toStdString(); }
    void Write(const char* name, const std::string& bytes) { std::ofstream(Path(name), std::ios::binary) << bytes; }
    QTemporaryDir dir;
};

TEST_F(StartTest, FileAndDictionaryOpenAsTheirMenuCommandsWould) {
    Write("story.txt", "ภาษาไทย\n");
    Write("words.dic", "cat \xE1\xC1\xC7\r\n");
    StartWith(*fmekalon, {Path("story.txt"), Path("words.dic")});
    EXPECT_TRUE(services.errors.empty());
    EXPECT_EQ(Title(), "story.txt-Mekalon 5.2");
    EXPECT_EQ(fmekalon->Tm1->Lines.All(), std::vector<std::string>{"\xC0\xD2\xC9\xD2\xE4\xB7\xC2"});
    EXPECT_FALSE(fmekalon->Tm1->Modified);
    EXPECT_EQ(fmekalon->diclist.Count(), 1);
    EXPECT_EQ(fmekalon->dictname->text().toStdString(), "words.dic");
}

TEST_F(StartTest, AMissingFileIsANewTextThatSaveWritesThere) {
    StartWith(*fmekalon, {Path("new.txt"), std::nullopt});
    EXPECT_EQ(Title(), "new.txt-Mekalon 5.2");
    EXPECT_EQ(fmekalon->Tm1->LineCount(), 0);
    fmekalon->Tm1->Lines.Add("abc");
    fmekalon->savefilesel->trigger();
    EXPECT_TRUE(services.saveRequests.empty());
    std::ifstream in(Path("new.txt"), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "abc\r\n");
}

TEST_F(StartTest, AFileThatCannotBeOpenedReportsAndLeavesNoname) {
    Write("binary.txt", std::string("a\0b", 3));
    std::filesystem::create_directory(Path("folder.txt"));
    for (const char* name : {"binary.txt", "folder.txt"}) {
        StartWith(*fmekalon, {Path(name), std::nullopt});
        EXPECT_EQ(Title(), "noname.txt-Mekalon 5.2") << name;
        EXPECT_EQ(fmekalon->textfile, "noname.txt") << name;
    }
    ASSERT_EQ(services.errors.size(), 2u);
    EXPECT_NE(services.errors[0].find("binary.txt"), std::string::npos);
    EXPECT_NE(services.errors[1].find("folder.txt"), std::string::npos);
}

}  // namespace
