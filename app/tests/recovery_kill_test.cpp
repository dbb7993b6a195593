// Crash recovery of the real program: run under an X server of the test's own (Xvfb), typed into
// with xdotool, killed with SIGKILL; the next start offers the copy, "yes" restores the exact bytes
// (the restored text is what the new run's own copy holds) and the killed run's copy goes.
// MEKALON_RECOVERY_INTERVAL_MS shortens the interval so that the test need not wait 15 s.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/recovery.h"

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

// Reads what a descriptor gives until its end or until `seconds` pass.
std::string ReadFor(int fd, int seconds) {
    std::string text;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    char buffer[256];
    while (std::chrono::steady_clock::now() < until) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 200) <= 0) continue;
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0) break;
        text.append(buffer, static_cast<size_t>(n));
        if (text.find('\n') != std::string::npos) break;
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
    std::string text = ReadFor(out[0], 60);
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
    }
    void TearDown() override {
        Stop(program);
        Stop(xvfb);
    }
    pid_t Start() {
        return Spawn({MEKALON_PROGRAM},
                     {"DISPLAY=" + display, "QT_QPA_PLATFORM=xcb", "XDG_STATE_HOME=" + state,
                      "MEKALON_RECOVERY_INTERVAL_MS=100", "LANG=C.UTF-8"});
    }
    // The program's visible window last created whose title matches, once it is there.
    std::string Window(pid_t pid, const std::string& title) {
        std::string found = Xdotool(display, {"search", "--sync", "--onlyvisible", "--pid", std::to_string(pid),
                                              "--name", title});
        while (!found.empty() && found.back() == '\n') found.pop_back();
        return found.substr(found.rfind('\n') + 1);
    }

    QTemporaryDir dir;
    std::string display, state;
    pid_t xvfb = -1, program = -1;
};

TEST_F(KilledProgramTest, TheNextStartOffersTheCopyAndRestoresTheExactBytes) {
    const std::string folder = state + "/mekalon";

    program = Start();
    const std::string window = Window(program, "Mekalon 5");
    ASSERT_FALSE(window.empty());
    Xdotool(display, {"windowfocus", "--sync", window});  // no window manager runs here to do it
    const std::string first = recovery::FileFor(folder, recovery::Kind::Text, "", program);
    // Keys count once the editor has the focus: "a" is typed until the copy shows text.
    std::string typed;
    for (int attempt = 0; attempt < 20 && typed.empty(); ++attempt) {
        Xdotool(display, {"type", "a"});
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        while (typed.empty() && std::chrono::steady_clock::now() < until) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            if (auto copy = recovery::Read(first)) typed = copy->bytes;
        }
    }
    ASSERT_FALSE(typed.empty()) << "the typed keys did not reach the editor";
    std::this_thread::sleep_for(std::chrono::seconds(1));  // a late "a" is in the copy by now
    typed = recovery::Read(first)->bytes;
    ASSERT_EQ(typed.substr(typed.size() - 3), "a\r\n");
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
    program = Start();
    const std::string box = Window(program, "^Mekalon$");
    ASSERT_FALSE(box.empty());
    const std::string second = recovery::FileFor(folder, recovery::Kind::Text, "", program);
    // Clicked again should the box not take the first click yet.
    for (int attempt = 0; attempt < 10 && !fs::exists(second); ++attempt) {
        Xdotool(display, {"mousemove", "--window", box, "40", "57", "click", "1"});
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        while (!fs::exists(second) && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_TRUE(WaitFor([&] {
        auto copy = recovery::Read(second);
        return copy && copy->bytes == typed && !fs::exists(first);
    })) << "the restored text is not the typed one";
}

}  // namespace
