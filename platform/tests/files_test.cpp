// Reading and safely replacing files on disk.
#include <gtest/gtest.h>

#include <dirent.h>
#include <grp.h>
#include <sys/wait.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <optional>
#include <set>
#include <vector>

#include "platform/files.h"

namespace platform {
namespace {

class FilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/mekalon-files-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
    }
    void TearDown() override {
        ::chmod(dir_.c_str(), 0700);
        std::system(("rm -rf '" + dir_ + "'").c_str());
    }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }
    std::set<std::string> Entries(const std::string& folder) const {
        std::set<std::string> names;
        if (DIR* d = ::opendir(folder.c_str())) {
            while (dirent* e = ::readdir(d)) {
                std::string n = e->d_name;
                if (n != "." && n != "..") names.insert(n);
            }
            ::closedir(d);
        }
        return names;
    }
    static void WriteRaw(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static mode_t Mode(const std::string& path) {
        struct stat st{};
        ::stat(path.c_str(), &st);
        return st.st_mode & 07777;
    }
    static bool IsRoot() { return ::geteuid() == 0; }
    static ino_t Inode(const std::string& path) {
        struct stat st{};
        ::stat(path.c_str(), &st);
        return st.st_ino;
    }
    std::string dir_;
};

// What a check run in a child process did: finished within its deadline or not, killed by a
// signal or not, and the text it reported.
struct ChildRun {
    bool finished = false;
    int signal = 0;
    std::string report;
};

// Runs `check` in a child process, as the user `uid` when given (the parent must then be root),
// and waits at most `seconds` for it: a check that hangs is killed and reported unfinished.
ChildRun RunInChild(const std::function<std::string()>& check, std::optional<uid_t> uid = std::nullopt,
                    int seconds = 10) {
    int fds[2];
    if (::pipe(fds) != 0) return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        if (uid && (::setgroups(0, nullptr) != 0 || ::setgid(*uid) != 0 || ::setuid(*uid) != 0)) ::_exit(3);
        const std::string report = check();
        [[maybe_unused]] ssize_t n = ::write(fds[1], report.data(), report.size());
        ::_exit(0);
    }
    ::close(fds[1]);
    ChildRun run;
    int status = 0;
    for (int waited = 0; waited < seconds * 100; ++waited) {
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            run.finished = true;
            break;
        }
        ::usleep(10000);
    }
    if (!run.finished) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
    } else if (WIFSIGNALED(status)) {
        run.signal = WTERMSIG(status);
    }
    char buf[4096];
    for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;) run.report.append(buf, static_cast<size_t>(n));
    ::close(fds[0]);
    return run;
}

// The message of the FileError that `action` raises, or "no error".
std::string ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const FileError& e) {
        return e.what();
    }
    return "no error";
}

// An ordinary user for the checks that root would pass by its privileges.
constexpr uid_t kOrdinaryUser = 65534;

TEST_F(FilesTest, RoundTripKeepsEveryByte) {
    std::string bytes;
    for (int i = 0; i < 256; ++i) bytes.push_back(static_cast<char>(i));
    bytes += "\r\nline\n\r";
    WriteFileBytes(Path("a.txt"), bytes);
    EXPECT_EQ(ReadFileBytes(Path("a.txt")), bytes);
    // Replacing with a shorter text leaves nothing of the old one.
    WriteFileBytes(Path("a.txt"), "ab");
    EXPECT_EQ(ReadFileBytes(Path("a.txt")), "ab");
    WriteFileBytes(Path("empty"), "");
    EXPECT_EQ(ReadFileBytes(Path("empty")), "");
    EXPECT_EQ(Entries(dir_), (std::set<std::string>{"a.txt", "empty"}));
}

TEST_F(FilesTest, LargeFileRoundTrip) {
    std::string big(3 * 1024 * 1024 + 17, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>((i * 131) >> 3);
    WriteFileBytes(Path("big"), big);
    EXPECT_EQ(ReadFileBytes(Path("big")), big);
}

TEST_F(FilesTest, ReadsTheSharedDictionary) {
    const std::string data = ReadFileBytes(std::string(MEKALON_SHARED_DATA) + "/th-en.dic");
    ASSERT_GT(data.size(), 10000u);
    EXPECT_NE(data.find("\r\n"), std::string::npos);
    // TIS-620 Thai bytes are there, untouched.
    EXPECT_NE(data.find_first_of("\xA1\xA2\xA3"), std::string::npos);
}

TEST_F(FilesTest, MissingOrUnreadableFileRaisesWithPathAndReason) {
    try {
        ReadFileBytes(Path("nope.txt"));
        FAIL() << "no error";
    } catch (const FileError& e) {
        std::string m = e.what();
        EXPECT_NE(m.find(Path("nope.txt")), std::string::npos) << m;
        EXPECT_NE(m.find("No such file"), std::string::npos) << m;
    }
    EXPECT_THROW(ReadFileBytes(dir_), FileError);  // a folder is no file
    if (!IsRoot()) {
        WriteRaw(Path("secret"), "x");
        ::chmod(Path("secret").c_str(), 0);
        try {
            ReadFileBytes(Path("secret"));
            FAIL() << "no error";
        } catch (const FileError& e) {
            EXPECT_NE(std::string(e.what()).find("Permission denied"), std::string::npos) << e.what();
        }
    }
}

TEST_F(FilesTest, UnwritableFolderRaises) {
    // No one may create files in /proc, not even root.
    try {
        WriteFileBytes("/proc/mekalon-save-test.txt", "x");
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find("/proc/mekalon-save-test.txt"), std::string::npos) << e.what();
    }
    EXPECT_THROW(WriteFileBytes(Path("no/such/folder/x.txt"), "x"), FileError);
    EXPECT_THROW(WriteFileBytes("", "x"), FileError);
}

TEST_F(FilesTest, OnlyRegularFilesOfASizeThatCanBeHeldAreReadAndAtOnce) {
    ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
    WriteRaw(Path("big"), "");
    ASSERT_EQ(::truncate(Path("big").c_str(), static_cast<off_t>(LargestReadableFile()) + 1), 0);
    const std::pair<std::string, const char*> cases[] = {
        {Path("fifo"), "not a regular file"},
        {"/dev/zero", "not a regular file"},
        {dir_, "Is a directory"},
        {Path("big"), "MB that can be held"},
    };
    for (const auto& [path, expected] : cases) {
        const ChildRun run = RunInChild([&] { return ErrorOf([&] { ReadFileBytes(path); }); });
        ASSERT_TRUE(run.finished) << path << ": reading did not end";
        EXPECT_NE(run.report.find(path), std::string::npos) << run.report;
        EXPECT_NE(run.report.find(expected), std::string::npos) << run.report;
    }
}

TEST_F(FilesTest, AFileSizeLimitFailsTheSaveWithAnErrorAndLeavesNoTemporary) {
    WriteRaw(Path("old.txt"), "precious");
    WriteRaw(Path("linked.txt"), "shared");
    ASSERT_EQ(::link(Path("linked.txt").c_str(), Path("other-link.txt").c_str()), 0);
    for (const char* name : {"old.txt", "linked.txt"}) {
        const ChildRun run = RunInChild([&] {
            std::signal(SIGXFSZ, SIG_DFL);  // as a program starts: the signal would end it
            struct rlimit tight{4096, RLIM_INFINITY};
            if (::setrlimit(RLIMIT_FSIZE, &tight) != 0) return std::string("no limit");
            return ErrorOf([&] { WriteFileBytes(Path(name), std::string(100000, 'n')); });
        });
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.signal, 0) << name << ": the save ended the program";
        EXPECT_NE(run.report.find(Path(name)), std::string::npos) << run.report;
        EXPECT_NE(run.report.find("too large"), std::string::npos) << run.report;
        EXPECT_EQ(run.report.find("incomplete") != std::string::npos, name == std::string("linked.txt")) << run.report;
    }
    // The replaced file is whole; the one rewritten in place (it has another link) may not be.
    EXPECT_EQ(ReadFileBytes(Path("old.txt")), "precious");
    EXPECT_EQ(Entries(dir_), (std::set<std::string>{"old.txt", "linked.txt", "other-link.txt"}));
}

// A save where the folder refuses new files, over a file with another hard link, and over a file
// of another user: as root and as an ordinary user (root's rights dropped in a child process; a
// developer who is not root runs as such a user already and skips the file of another user).
TEST_F(FilesTest, WhereAReplacementCannotWorkTheFileIsRewrittenInPlace) {
    struct Run {
        const char* who;
        std::optional<uid_t> uid;  // the user the save runs as; nullopt: this process's user
    };
    ::chmod(dir_.c_str(), 0755);  // the ordinary user reaches its folder inside
    std::vector<Run> runs{{IsRoot() ? "root" : "an ordinary user", std::nullopt}};
    if (IsRoot()) runs.push_back({"an ordinary user", kOrdinaryUser});
    for (const Run& r : runs) {
        const bool ordinary = r.uid || !IsRoot();
        const uid_t owner = r.uid.value_or(::geteuid());
        const gid_t group = r.uid ? static_cast<gid_t>(*r.uid) : ::getegid();
        const std::string folder = Path(r.uid ? "user" : "self");
        ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
        ASSERT_EQ(::chown(folder.c_str(), owner, group), 0) << r.who;
        auto in = [&](const std::string& name) { return folder + "/" + name; };
        auto make = [&](const std::string& name, mode_t mode, uid_t uid, gid_t gid) {
            WriteRaw(in(name), "old " + name);
            ::chmod(in(name).c_str(), mode);
            ASSERT_EQ(::chown(in(name).c_str(), uid, gid), 0);
        };
        make("plain.txt", 0644, owner, group);
        make("linked.txt", 0644, owner, group);
        ASSERT_EQ(::link(in("linked.txt").c_str(), in("second-name.txt").c_str()), 0);
        make("readonly.txt", 0444, owner, group);
        // A file of the other user that this one may write; only root can make one.
        const bool theirs = IsRoot();
        const uid_t other = owner == 0 ? kOrdinaryUser : 0;
        if (theirs) make("theirs.txt", 0666, other, static_cast<gid_t>(other));
        const ino_t plainInode = Inode(in("plain.txt")), linkedInode = Inode(in("linked.txt"));
        ::chmod(folder.c_str(), 0555);

        const ChildRun run = RunInChild(
            [&] {
                std::string report;
                for (const std::string name : {"plain.txt", "linked.txt", "readonly.txt", "theirs.txt"})
                    report += name + ": " + ErrorOf([&] { WriteFileBytes(in(name), "new " + name); }) + "\n";
                return report;
            },
            r.uid);
        ::chmod(folder.c_str(), 0755);
        ASSERT_TRUE(run.finished) << r.who;
        SCOPED_TRACE(std::string("as ") + r.who + ":\n" + run.report);
        EXPECT_NE(run.report.find("plain.txt: no error"), std::string::npos);
        EXPECT_NE(run.report.find("linked.txt: no error"), std::string::npos);
        EXPECT_EQ(ReadFileBytes(in("plain.txt")), "new plain.txt");
        EXPECT_EQ(ReadFileBytes(in("linked.txt")), "new linked.txt");
        EXPECT_EQ(ReadFileBytes(in("second-name.txt")), "new linked.txt");
        EXPECT_EQ(Inode(in("linked.txt")), linkedInode);
        if (ordinary) {
            EXPECT_EQ(Inode(in("plain.txt")), plainInode) << "the folder refuses a replacement";
            EXPECT_EQ(ReadFileBytes(in("readonly.txt")), "old readonly.txt");
            EXPECT_NE(run.report.find("readonly.txt: Cannot create"), std::string::npos);
        }
        std::set<std::string> expected{"plain.txt", "linked.txt", "second-name.txt", "readonly.txt"};
        if (theirs) {
            expected.insert("theirs.txt");
            EXPECT_EQ(ReadFileBytes(in("theirs.txt")), "new theirs.txt");
            struct stat st{};
            ::stat(in("theirs.txt").c_str(), &st);
            EXPECT_EQ(st.st_uid, other) << "the file changed its owner";
        }
        EXPECT_EQ(Entries(folder), expected);
    }
}

TEST_F(FilesTest, FailedWriteLeavesOldFileWholeAndNoTemporary) {
    WriteRaw(Path("old.txt"), "precious");
    // The target cannot be replaced: it is a folder. The rename fails after the bytes were written.
    ASSERT_EQ(::mkdir(Path("dir.txt").c_str(), 0700), 0);
    EXPECT_THROW(WriteFileBytes(Path("dir.txt"), "bytes"), FileError);
    EXPECT_EQ(Entries(dir_), (std::set<std::string>{"old.txt", "dir.txt"}));
    EXPECT_EQ(ReadFileBytes(Path("old.txt")), "precious");
}

TEST_F(FilesTest, SymbolicLinkKeptAndItsTargetReplaced) {
    ASSERT_EQ(::mkdir(Path("real").c_str(), 0700), 0);
    WriteRaw(Path("real/target.txt"), "before");
    ASSERT_EQ(::symlink("real/target.txt", Path("link.txt").c_str()), 0);
    WriteFileBytes(Path("link.txt"), "after");
    struct stat st{};
    ASSERT_EQ(::lstat(Path("link.txt").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(ReadFileBytes(Path("real/target.txt")), "after");
    // The temporary lived beside the target and is gone.
    EXPECT_EQ(Entries(Path("real")), std::set<std::string>{"target.txt"});
    EXPECT_EQ(Entries(dir_), (std::set<std::string>{"real", "link.txt"}));

    // A link whose target does not exist yet: the target is created, the link stays.
    ASSERT_EQ(::symlink("real/new.txt", Path("dangling").c_str()), 0);
    WriteFileBytes(Path("dangling"), "made");
    EXPECT_EQ(ReadFileBytes(Path("real/new.txt")), "made");
    ASSERT_EQ(::lstat(Path("dangling").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
}

TEST_F(FilesTest, PermissionsOfTheOldFileKept) {
    WriteRaw(Path("p.txt"), "x");
    ::chmod(Path("p.txt").c_str(), 0640);
    WriteFileBytes(Path("p.txt"), "y");
    EXPECT_EQ(Mode(Path("p.txt")), 0640u);
    ::chmod(Path("p.txt").c_str(), 0604);
    WriteFileBytes(Path("p.txt"), "z");
    EXPECT_EQ(Mode(Path("p.txt")), 0604u);
    // A new file gets the usual permissions under the umask, not the temporary file's 0600.
    mode_t mask = ::umask(022);
    WriteFileBytes(Path("fresh.txt"), "n");
    ::umask(mask);
    EXPECT_EQ(Mode(Path("fresh.txt")), 0644u);
}

}  // namespace
}  // namespace platform
