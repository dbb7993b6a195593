// The program's windows under a real X server (Xvfb, started here on a free display), driven by
// real key events from xdotool: after a menu opened with Alt+letter is closed with Esc, typing,
// the arrow keys and Ctrl+C reach the editor again; a middle click in an input field pastes the
// primary selection. Skipped when Xvfb or xdotool is missing.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QClipboard>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <cstdlib>
#include <string>

#include "app/tests/fake_services.h"
#include "app/ufinddlg.h"
#include "app/umekalon.h"
#include "editor/thaimemo.h"
#include "platform/clipboard.h"

extern char** environ;

namespace {

// One Xvfb for the test suite; -displayfd lets it choose a free display and tell us which.
class XServer {
public:
    ~XServer() { Stop(); }
    // Which of the tools is missing, empty when both are there.
    static std::string Missing() {
        if (QStandardPaths::findExecutable("Xvfb").isEmpty()) return "Xvfb is not installed";
        if (QStandardPaths::findExecutable("xdotool").isEmpty()) return "xdotool is not installed";
        return {};
    }
    // Empty on success, otherwise why the server did not start.
    std::string Start() {
        const QString xvfb = QStandardPaths::findExecutable("Xvfb");
        int fds[2];
        if (pipe(fds) != 0) return "no pipe";
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        const std::string path = xvfb.toStdString(), fd = std::to_string(fds[1]);
        const char* argv[] = {path.c_str(), "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                              nullptr};
        const int rc = posix_spawn(&pid_, path.c_str(), &actions, nullptr, const_cast<char**>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        if (rc != 0) {
            close(fds[0]);
            pid_ = 0;
            return "Xvfb did not start";
        }
        // The display number arrives followed by a newline once the server accepts clients.
        std::string number;
        pollfd p{fds[0], POLLIN, 0};
        while (number.find('\n') == std::string::npos && poll(&p, 1, 20000) > 0) {
            char buf[32];
            const ssize_t n = read(fds[0], buf, sizeof buf);
            if (n <= 0) break;
            number.append(buf, static_cast<size_t>(n));
        }
        close(fds[0]);
        if (number.find('\n') == std::string::npos) return "Xvfb gave no display number";
        number.erase(number.find('\n'));
        setenv("DISPLAY", (":" + number).c_str(), 1);
        return {};
    }
    void Stop() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        pid_ = 0;
    }

private:
    pid_t pid_ = 0;
};

class KeysAfterMenuTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        missing = XServer::Missing();
        if (!missing.empty()) return;
        server = new XServer;
        startError = server->Start();
        if (!startError.empty()) return;
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        static int argc = 1;
        static char name[] = "app_x11_tests";
        static char* argv[] = {name, nullptr};
        app = new QApplication(argc, argv);
    }
    static void TearDownTestSuite() {
        delete app;
        app = nullptr;
        delete server;
        server = nullptr;
    }
    void SetUp() override {
        if (!missing.empty()) GTEST_SKIP() << "needs a real X server: " << missing;
        ASSERT_TRUE(startError.empty()) << startError;
        CreateWindows();
        memo = fmekalon->Tm1.get();
        fmekalon->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(fmekalon, 10000));
        // No window manager runs: the X input focus is given to the window directly.
        for (int attempt = 0; attempt < 5 && !fmekalon->isActiveWindow(); ++attempt) {
            Xdotool({"windowfocus", "--sync", QString::number(fmekalon->winId())});
            fmekalon->activateWindow();
            if (QTest::qWaitFor([] { return fmekalon->isActiveWindow(); }, 2000)) break;
        }
        ASSERT_TRUE(fmekalon->isActiveWindow());
        memo->tcm->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([this] { return memo->tcm->hasFocus(); }, 2000));
    }
    void TearDown() override {
        if (!fmekalon) return;
        memo->Modified = false;
        DestroyWindows();
    }

    // Runs xdotool against our display and lets the program take the events as they come.
    static void Xdotool(const QStringList& args) {
        QProcess p;
        p.start("xdotool", args);
        ASSERT_TRUE(p.waitForStarted(5000));
        ASSERT_TRUE(QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, 10000)) << "xdotool hangs";
        QApplication::processEvents();
    }
    void Key(const char* keys) { Xdotool({"key", "--delay", "30", QString::fromLatin1(keys)}); }
    void Type(const char* text) { Xdotool({"type", "--delay", "30", QString::fromLatin1(text)}); }
    bool LineBecomes(const std::string& text) {
        return QTest::qWaitFor([&] { return memo->LineCount() > 0 && memo->Lines[0] == text; }, 5000);
    }
    static bool MenuOpen() { return QApplication::activePopupWidget() != nullptr; }

    static inline XServer* server = nullptr;
    static inline QApplication* app = nullptr;
    static inline std::string missing, startError;
    ScriptedServices services;
    TThaimemo* memo = nullptr;
};

TEST_F(KeysAfterMenuTest, EscClosingAMenuHandsTheKeyboardBackToTheEditor) {
    Type("ab");
    ASSERT_TRUE(LineBecomes("ab")) << "keys do not reach the editor at all";
    for (const char* menu : {"alt+f", "alt+e"}) {
        Key(menu);
        ASSERT_TRUE(QTest::qWaitFor(MenuOpen, 5000)) << menu << " opened no menu";
        Key("Escape");
        ASSERT_TRUE(QTest::qWaitFor([] { return !MenuOpen(); }, 5000)) << menu;
    }
    // Typing, an arrow key and typing again.
    Type("cd");
    Key("Left");
    Type("x");
    EXPECT_TRUE(LineBecomes("abcxd")) << "got \"" << (memo->LineCount() ? memo->Lines[0] : std::string()) << "\"";

    // Once more through a menu, then Ctrl+C copies what Shift+Home selected (the Edit menu was
    // last open with nothing selected).
    platform::SetClipboardText("none");
    Key("alt+o");
    ASSERT_TRUE(QTest::qWaitFor(MenuOpen, 5000));
    Key("Escape");
    ASSERT_TRUE(QTest::qWaitFor([] { return !MenuOpen(); }, 5000));
    Key("shift+Home");
    Key("ctrl+c");
    EXPECT_TRUE(QTest::qWaitFor([] { return platform::ClipboardText() == "abcx"; }, 5000))
        << "clipboard holds \"" << platform::ClipboardText() << "\"";
}

// A real middle click in the find dialog's field pastes the primary selection's first line at the
// clicked cell.
TEST_F(KeysAfterMenuTest, AMiddleClickInAnInputFieldPastesThePrimarySelection) {
    fmekalon->searchesClick();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Finddlg, 10000));
    TThaiedit* field = Finddlg->te1;
    field->SetText("abcd");
    QGuiApplication::clipboard()->setText(QString::fromUtf8("ไทย\nmore"), QClipboard::Selection);
    const QPoint at = field->mapTo(Finddlg, QPoint(field->CellWidth + 1, field->RowHeight / 2));
    Xdotool({"mousemove", "--window", QString::number(Finddlg->winId()), QString::number(at.x()), QString::number(at.y()),
             "click", "2"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return field->Text() == "a\xE4\xB7\xC2" "bcd"; }, 5000))
        << "the field holds \"" << field->Text() << "\"";
    EXPECT_EQ(field->CursorCol, 4);
}

}  // namespace
