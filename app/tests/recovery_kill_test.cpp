// Crash recovery and the close question of the real program: run under an X server of the test's
// own (Xvfb), typed into with xdotool, killed with SIGKILL, closed with the window system's close
// request (WM_DELETE_WINDOW, sent here: no window manager runs). The next start offers the copy and
// "yes" restores the exact bytes (the restored text is what the new run's own copy holds), also
// when another program edited the same file and ended, and when the file was touched after the
// kill. A close asked for while the close question is open changes nothing; "cancel" keeps the
// program and its copy. The program run is the one of testing/quick_recovery_main.cpp, which
// keeps its copies every 100 ms, so that the test need not wait 15 s.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/recovery.h"
#include "app/tests/wm_close.h"
#include "testing/bytes.h"

namespace {

namespace fs = std::filesystem;

// Starts a program with the environment plus `extra` ("NAME=value"). Its stdout goes to `out`
// (or nowhere); `keepFd` stays open in it.
pid_t Spawn(const std::vector<std::string>& args, const std::vector<std::string>& extra, int out = -1,
            int keepFd = -1) {
    const pid_t pid = fork();
    if (pid != 0) return pid;
    for (const std::string& e : extra) putenv(const_cast<char*>(e.c_str()));
    const int null = open("/dev/null", O_RDWR);
    dup2(null, 0);
    dup2(out >= 0 ? out : null, 1);
    dup2(null, 2);
    if (keepFd >= 0) fcntl(keepFd, F_SETFD, 0);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
}

// Reads what a descriptor gives until its end (or its first line: `firstLine`) or until `seconds`
// pass.
std::string ReadFor(int fd, int seconds, bool firstLine = true) {
    std::string text;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    char buffer[256];
    while (std::chrono::steady_clock::now() < until) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 200) <= 0) continue;
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0) break;
        text.append(buffer, static_cast<size_t>(n));
        if (firstLine && text.find('\n') != std::string::npos) break;
    }
    return text;
}

// Runs xdotool to its end; returns its output.
std::string Xdotool(const std::string& display, const std::vector<std::string>& args) {
    int out[2];
    if (pipe(out) != 0) return {};
    std::vector<std::string> all{"xdotool"};
    all.insert(all.end(), args.begin(), args.end());
    const pid_t pid = Spawn(all, {"DISPLAY=" + display}, out[1]);
    close(out[1]);
    std::string text = ReadFor(out[0], 60, false);
    close(out[0]);
    kill(pid, SIGKILL);  // a search for a window that never came stops here
    int status = 0;
    waitpid(pid, &status, 0);
    return text;
}

// Waits, up to a generous limit, until `done` holds.
bool WaitFor(const std::function<bool()>& done) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < until) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return done();
}

void Stop(pid_t pid) {
    if (pid <= 0) return;
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
}

class KilledProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(std::system("command -v Xvfb >/dev/null && command -v xdotool >/dev/null"), 0)
            << "Xvfb and xdotool are needed (scripts/deps.sh installs them)";
        ASSERT_TRUE(dir.isValid());
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        xvfb = Spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1024x768x24", "-nolisten", "tcp"},
                     {}, -1, fds[1]);
        close(fds[1]);
        const std::string number = ReadFor(fds[0], 30);
        close(fds[0]);
        ASSERT_FALSE(number.empty()) << "Xvfb did not start";
        display = ":" + number.substr(0, number.find('\n'));
        state = dir.path().toStdString() + "/state";
        folder = state + "/mekalon";
    }
    void TearDown() override {
        for (pid_t p : programs) Stop(p);
        Stop(xvfb);
    }
    pid_t Start(const std::vector<std::string>& args = {}) {
        std::vector<std::string> all{MEKALON_QUICK_RECOVERY_PROGRAM};
        all.insert(all.end(), args.begin(), args.end());
        const pid_t pid = Spawn(all, {"DISPLAY=" + display, "QT_QPA_PLATFORM=xcb", "XDG_STATE_HOME=" + state,
                                      "LANG=C.UTF-8"});
        programs.push_back(pid);
        return pid;
    }
    // The program's recovery copy of a text.
    std::string CopyOf(pid_t pid, const std::string& target) {
        const auto instance = recovery::InstanceOf(pid);
        EXPECT_TRUE(instance.has_value());
        return recovery::FileFor(folder, recovery::Kind::Text, target, instance.value_or(recovery::Instance{}));
    }
    // The program's visible window last created whose title matches, once it is there (`wait`),
    // or as things stand.
    std::string Window(pid_t pid, const std::string& title, bool wait = true) {
        std::vector<std::string> args{"search", "--all", "--onlyvisible", "--pid", std::to_string(pid), "--name", title};
        if (wait) args.insert(args.begin() + 1, "--sync");
        // A search ends early, finding nothing, when a window it looks at goes away meanwhile
        // (the killed program's windows, a dialog closing): it is made again.
        std::string found;
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        do {
            found = Xdotool(display, args);
        } while (wait && found.empty() && std::chrono::steady_clock::now() < until &&
                 (std::this_thread::sleep_for(std::chrono::milliseconds(100)), true));
        while (!found.empty() && found.back() == '\n') found.pop_back();
        return found.substr(found.rfind('\n') + 1);
    }
    // Clicks a button of the message box: 0 yes, 1 no, 2 cancel. The buttons stand in a row along
    // its bottom edge, which a longer question moves down.
    void Answer(const std::string& box, int button) {
        const std::string geometry = Xdotool(display, {"getwindowgeometry", "--shell", box});
        const size_t at = geometry.find("HEIGHT=");
        ASSERT_NE(at, std::string::npos) << geometry;
        const int height = std::atoi(geometry.c_str() + at + 7);
        Xdotool(display, {"mousemove", "--window", box, std::to_string(41 + 85 * button), std::to_string(height - 18),
                          "click", "1"});
    }
    // Types "a" into the window until its copy shows it, and returns the copy's text once a late
    // key is in it too.
    std::string TypeUntilCopied(const std::string& window, const std::string& copyFile) {
        // Keys count once the editor has the focus: "a" is typed until the copy shows text. The
        // focus is given again each time (no window manager runs here to keep it; another program
        // coming up takes it).
        for (int attempt = 0; attempt < 20 && !recovery::Read(copyFile); ++attempt) {
            Xdotool(display, {"windowfocus", "--sync", window});
            Xdotool(display, {"type", "a"});
            const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
            while (!recovery::Read(copyFile) && std::chrono::steady_clock::now() < until)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        // A late "a" is in the copy once it stays the same for a second.
        std::string last;
        for (int settled = 0; settled < 20; ++settled) {
            std::this_thread::sleep_for(std::chrono::seconds(1));
            const auto copy = recovery::Read(copyFile);
            if (!copy || copy->bytes == last) break;
            last = copy->bytes;
        }
        return last;
    }
    static bool Alive(pid_t pid) { return waitpid(pid, nullptr, WNOHANG) == 0; }
    // Waits for the program's end; its exit status, or -1 when it did not end normally.
    int Ended(pid_t pid) {
        int status = 0;
        if (!WaitFor([&] { return waitpid(pid, &status, WNOHANG) == pid; })) return -1;
        programs.erase(std::remove(programs.begin(), programs.end(), pid), programs.end());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    QTemporaryDir dir;
    std::string display, state, folder;
    pid_t xvfb = -1;
    std::vector<pid_t> programs;
};

TEST_F(KilledProgramTest, TheNextStartOffersTheCopyAndRestoresTheExactBytes) {
    const pid_t program = Start();
    const std::string window = Window(program, "Mekalon 5");
    ASSERT_FALSE(window.empty());
    const std::string first = CopyOf(program, "");
    std::string typed = TypeUntilCopied(window, first);
    ASSERT_FALSE(typed.empty()) << "the typed keys did not reach the editor";
    ASSERT_TRUE(typed.ends_with("a\r\n")) << typed;
    typed = typed.substr(0, typed.size() - 2) + "bc\r\ndef\r\n";
    Xdotool(display, {"type", "--delay", "40", "bc"});
    Xdotool(display, {"key", "--delay", "40", "Return"});
    Xdotool(display, {"type", "--delay", "40", "def"});
    ASSERT_TRUE(WaitFor([&] {
        auto copy = recovery::Read(first);
        return copy && copy->bytes == typed;
    })) << "no copy of the typed text in " << folder;
    Stop(program);
    ASSERT_TRUE(fs::exists(first));

    // The next start asks in the message box; its "yes" button restores.
    const pid_t next = Start();
    const std::string box = Window(next, "^Mekalon$");
    ASSERT_FALSE(box.empty());
    const std::string second = CopyOf(next, "");
    // Clicked again should the box not take the first click yet.
    for (int attempt = 0; attempt < 10 && !fs::exists(second); ++attempt) {
        Answer(box, 0);
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        while (!fs::exists(second) && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_TRUE(WaitFor([&] {
        auto copy = recovery::Read(second);
        return copy && copy->bytes == typed && !fs::exists(first);
    })) << "the restored text is not the typed one";
}

// Two programs edit one file; one ends normally ("no" to the close question), the other is killed,
// and the file is touched before the next start: that start still offers the killed program's text.
TEST_F(KilledProgramTest, TwoProgramsOnOneFileKeepCopiesOfTheirOwn) {
    const std::string file = dir.path().toStdString() + "/story.txt";
    std::ofstream(file, std::ios::binary) << "old\r\n";
    const pid_t killed = Start({file});
    const pid_t ending = Start({file});
    const std::string killedWindow = Window(killed, "story.txt-Mekalon");
    const std::string endingWindow = Window(ending, "story.txt-Mekalon");
    const std::string killedCopy = CopyOf(killed, file), endingCopy = CopyOf(ending, file);
    const std::string typed = TypeUntilCopied(killedWindow, killedCopy);
    ASSERT_TRUE(typed.ends_with("aold\r\n")) << "the typed keys did not reach the editor: " << typed;
    ASSERT_NE(TypeUntilCopied(endingWindow, endingCopy), "");

    ASSERT_TRUE(SendWindowClose(display, endingWindow));
    Answer(Window(ending, "^Mekalon$"), 1);
    EXPECT_EQ(Ended(ending), 0);
    EXPECT_FALSE(fs::exists(endingCopy));
    EXPECT_EQ(recovery::Read(killedCopy)->bytes, typed);

    Stop(killed);
    programs.clear();
    fs::last_write_time(file, fs::file_time_type::clock::now());  // a backup program, a sync, touch

    const pid_t next = Start();
    const std::string nextCopy = CopyOf(next, file);
    const std::string box = Window(next, "^Mekalon$");
    ASSERT_FALSE(box.empty()) << "the killed program's copy was not offered";
    for (int attempt = 0; attempt < 10 && !fs::exists(nextCopy); ++attempt) {
        Answer(box, 0);
        WaitFor([&] { return fs::exists(nextCopy); });
    }
    EXPECT_TRUE(WaitFor([&] {
        auto copy = recovery::Read(nextCopy);
        return copy && copy->bytes == typed && !fs::exists(killedCopy);
    })) << "the killed program's text was not restored";
    EXPECT_EQ(testbytes::ReadAll(file), "old\r\n");
}

// File > Exit asks; a close from the window system while the question is open is refused, and
// "cancel" keeps the program, its window, its text and its copy. "no" then ends it.
TEST_F(KilledProgramTest, ACloseWhileTheCloseQuestionIsOpenChangesNothing) {
    const std::string file = dir.path().toStdString() + "/story.txt";
    std::ofstream(file, std::ios::binary) << "old\r\n";
    const pid_t program = Start({file});
    const std::string window = Window(program, "story.txt-Mekalon");
    const std::string copy = CopyOf(program, file);
    const std::string typed = TypeUntilCopied(window, copy);
    ASSERT_NE(typed, "");

    Xdotool(display, {"key", "--delay", "100", "alt+f", "x"});
    const std::string box = Window(program, "^Mekalon$");
    ASSERT_FALSE(box.empty()) << "File > Exit asked nothing";
    ASSERT_TRUE(SendWindowClose(display, window));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));  // the program takes the request
    EXPECT_EQ(Window(program, "story.txt-Mekalon", false), window);
    Answer(box, 2);
    EXPECT_TRUE(WaitFor([&] { return Window(program, "^Mekalon$", false).empty(); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));  // an end would come now
    ASSERT_TRUE(Alive(program));
    EXPECT_EQ(Window(program, "story.txt-Mekalon", false), window);
    EXPECT_EQ(recovery::Read(copy)->bytes, typed);

    ASSERT_TRUE(SendWindowClose(display, window));
    Answer(Window(program, "^Mekalon$"), 1);
    EXPECT_EQ(Ended(program), 0);
    EXPECT_FALSE(fs::exists(copy));
    EXPECT_EQ(testbytes::ReadAll(file), "old\r\n");
}

}  // namespace
