// The program's windows under a real X server (Xvfb, started here on a free display), driven by
// real key events from xdotool: after a menu opened with Alt+letter is closed with Esc, typing,
// the arrow keys and Ctrl+C reach the editor again; a middle click in an input field pastes the
// primary selection; the virtual keyboard stays above the main window and types into the editor
// without taking the focus. Skipped when Xvfb or xdotool is missing.
#include <fcntl.h>
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
#include <utility>

#include "app/tests/app_fixture.h"
#include "app/tests/fake_services.h"
#include "app/ufinddlg.h"
#include "app/uthaivk.h"
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
        // Not the test's output: a test that dies must not leave ctest waiting on a pipe the
        // orphaned server still holds.
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
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

class KeysAfterMenuTest : public ::testing::Test, protected TestWindows {
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
            if (QTest::qWaitFor([this] { return fmekalon->isActiveWindow(); }, 2000)) break;
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
    // What an X client tool prints about our display (xprop, xwininfo, xdotool).
    static std::string Output(const QString& program, const QStringList& args) {
        QProcess p;
        p.start(program, args);
        if (!p.waitForStarted(5000)) return "<" + program.toStdString() + " did not start>";
        (void)QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, 10000);
        return p.readAllStandardOutput().toStdString();
    }
    // A real click of the left button at a point of a window.
    static void ClickIn(QWidget* w, QPoint at) {
        const QPoint p = w->mapTo(w->window(), at);
        Xdotool({"mousemove", "--window", QString::number(w->window()->winId()), QString::number(p.x()),
                 QString::number(p.y()), "click", "1"});
    }

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

// The virtual keyboard is a tool window of the main window: X is told that it belongs to the main
// window (WM_TRANSIENT_FOR), that it is a utility window and that it takes no input focus, which is
// what makes a window manager keep it above the main window and leave the focus where it is. No
// window manager runs here, so nobody restacks windows; the test checks those hints, that a click
// into the main window leaves the keyboard above it as X stacks them, and that a real click on a
// key where the keyboard covers the editor types into the editor at its cursor, instead of moving
// the cursor, with the X input focus and the editor's keyboard sink keeping the keys.
TEST_F(KeysAfterMenuTest, TheVirtualKeyboardStaysAboveTheMainWindowAndNeverTakesTheFocus) {
    if (QStandardPaths::findExecutable("xprop").isEmpty() || QStandardPaths::findExecutable("xwininfo").isEmpty())
        GTEST_SKIP() << "needs xprop and xwininfo (x11-utils)";
    Type("abc");
    ASSERT_TRUE(LineBecomes("abc"));
    fmekalon->VirtualKbd1->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Fthaivk, 10000));
    // Shown, it leaves the X input focus with the main window.
    const std::string focusOnShow = Output("xdotool", {"getwindowfocus"});
    EXPECT_EQ(std::stoull(focusOnShow.empty() ? "0" : focusOnShow), static_cast<unsigned long long>(fmekalon->winId()));
    EXPECT_TRUE(fmekalon->isActiveWindow());
    // Over the editor's text: a click that went through to the editor would land on line 0.
    QWidget* area = fmekalon->host->viewport();
    Fthaivk->move(area->mapToGlobal(QPoint(0, 0)) - (Fthaivk->Key("ko_kai")->mapTo(Fthaivk, QPoint(0, 0))));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Fthaivk->Key("ko_kai")->mapToGlobal(QPoint(0, 0)) == area->mapToGlobal(QPoint(0, 0)); }, 5000));

    const std::string hints = Output("xprop", {"-id", QString::number(Fthaivk->winId()), "WM_TRANSIENT_FOR",
                                               "_NET_WM_WINDOW_TYPE", "WM_HINTS"});
    const std::string mainId = "0x" + QString::number(fmekalon->winId(), 16).toStdString();
    EXPECT_NE(hints.find("WM_TRANSIENT_FOR(WINDOW): window id # " + mainId), std::string::npos) << hints;
    EXPECT_NE(hints.find("_NET_WM_WINDOW_TYPE_UTILITY"), std::string::npos) << hints;
    EXPECT_NE(hints.find("Client accepts input or input focus: False"), std::string::npos) << hints;

    // A click into the main window (below the keyboard) puts the cursor between a and b.
    ClickIn(area, QPoint(memo->CellWidth + memo->CellWidth / 2, 4 * memo->RowHeight + memo->RowHeight / 2));
    ASSERT_TRUE(QTest::qWaitFor([&] { return memo->CursorLine == 4; }, 5000));
    memo->HideCaret();
    memo->SetCursor(0, 1);
    memo->DrawCaret();
    // xwininfo lists the root's children from the top down: the keyboard stands above the main window.
    const std::string tree = Output("xwininfo", {"-root", "-children"});
    const std::string vkId = "0x" + QString::number(Fthaivk->winId(), 16).toStdString();
    const size_t mainAt = tree.find(mainId + " "), vkAt = tree.find(vkId + " ");
    ASSERT_NE(mainAt, std::string::npos) << tree;
    ASSERT_NE(vkAt, std::string::npos) << tree;
    EXPECT_LT(vkAt, mainAt) << tree;

    // A real click on ko kai types it at the editor's cursor.
    ClickIn(Fthaivk->Key("ko_kai"), QPoint(8, 8));
    EXPECT_TRUE(LineBecomes("a\xA1" "bc")) << "got \"" << (memo->LineCount() ? memo->Lines[0] : std::string()) << "\"";
    EXPECT_EQ(std::pair(memo->CursorLine, memo->CursorCol), std::pair(0, 2));
    QTest::qWait(100);
    EXPECT_TRUE(fmekalon->isActiveWindow());
    EXPECT_TRUE(memo->tcm->hasFocus());
    const std::string focus = Output("xdotool", {"getwindowfocus"});
    EXPECT_EQ(std::stoull(focus.empty() ? "0" : focus), static_cast<unsigned long long>(fmekalon->winId()));
    // The keys typed next still reach the editor.
    Type("x");
    EXPECT_TRUE(LineBecomes("a\xA1xbc"));
}

}  // namespace
