// Reading and safely replacing files on disk.
#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <sys/wait.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <csignal>
#include <ctime>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <optional>
#include <set>
#include <vector>

#include "platform/files.h"
#include "platform/textcodec.h"
#include "platform/textlines.h"

namespace platform {
namespace {

class FilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/mekalon-files-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        // The copies of in-place saves go to a state folder of the test's own.
        const char* state = std::getenv("XDG_STATE_HOME");
        if (state) oldState_ = state;
        ::setenv("XDG_STATE_HOME", (dir_ + "/state").c_str(), 1);
        state_ = dir_ + "/state/mekalon";
    }
    void TearDown() override {
        if (oldState_)
            ::setenv("XDG_STATE_HOME", oldState_->c_str(), 1);
        else
            ::unsetenv("XDG_STATE_HOME");
        SetSaveStepHook(nullptr);
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
    // Bytes that differ from place to place (and from seed to seed).
    static std::string Pattern(size_t size, unsigned seed) {
        std::string bytes(size, '\0');
        for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>('A' + (i * 7 + seed * 13 + i / 97) % 26);
        return bytes;
    }
    static ino_t Inode(const std::string& path) {
        struct stat st{};
        ::stat(path.c_str(), &st);
        return st.st_ino;
    }
    std::string dir_;
    std::string state_;  // the state folder: $XDG_STATE_HOME/mekalon
    std::optional<std::string> oldState_;
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
    const std::string limit = "larger than the " + std::to_string(LargestReadableFile() >> 20) + " MB that can be held";
    const std::pair<std::string, std::string> cases[] = {
        {Path("fifo"), "not a regular file"},
        {"/dev/zero", "not a regular file"},
        {dir_, "Is a directory"},
        {Path("big"), limit},
    };
    for (const auto& [path, expected] : cases) {
        const ChildRun run = RunInChild([&] { return ErrorOf([&] { ReadFileBytes(path); }); });
        ASSERT_TRUE(run.finished) << path << ": reading did not end";
        EXPECT_NE(run.report.find(path), std::string::npos) << run.report;
        EXPECT_NE(run.report.find(expected), std::string::npos) << run.report;
    }
    // At the limit a file is read (its first piece is taken here); one byte more and it is refused
    // before a byte is read. Both files are sparse: only their size is large.
    WriteRaw(Path("largest"), "");
    ASSERT_EQ(::truncate(Path("largest").c_str(), static_cast<off_t>(LargestReadableFile())), 0);
    for (const auto& [name, readable] : {std::pair{"largest", true}, std::pair{"big", false}}) {
        size_t pieces = 0, size = 0;
        const std::string error = ErrorOf([&, &name = name] {
            ReadFilePieces(Path(name), [&](std::string_view, size_t fileSize) {
                ++pieces;
                size = fileSize;
                return false;
            });
        });
        EXPECT_EQ(pieces, readable ? 1u : 0u) << name;
        EXPECT_EQ(size, readable ? LargestReadableFile() : 0u) << name;
        EXPECT_EQ(error.find(limit) != std::string::npos, !readable) << name << ": " << error;
    }
}

// Reading makes a text at most twice as long and two bytes more: in the joined text every line is
// followed by CR LF (a file of line breaks alone doubles; a last line without its break gains
// two), the dictionary text adds its end marker, UTF-8 only shrinks into TIS-620. The worst cases
// reach that bound, and by it the largest file read stays within the int offsets of the text.
TEST_F(FilesTest, TheLargestFileReadStaysAddressableByIntOnceItsLinesAreJoined) {
    const std::string thai = "\xE0\xB8\x81\xE0\xB8\xB2\xE0\xB8\xA3";  // three Thai letters, 9 bytes of UTF-8
    std::string lfcr, crlf;
    for (int i = 0; i < 500; ++i) lfcr += "\n\r", crlf += "\r\n";
    const std::string files[] = {
        std::string(1000, '\n'), std::string(1000, '\r'), lfcr, crlf, "a", "a\nb", std::string(999, '\n') + "a",
        "\xEF\xBB\xBF" + thai + "\n" + thai,
    };
    size_t tight = 0;
    for (const std::string& file : files) {
        WriteRaw(Path("t.txt"), file);
        const std::vector<std::string> lines = SplitLines(ReadTextFile(Path("t.txt")).bytes);
        size_t held = 1;  // the dictionary text's end marker
        for (const std::string& line : lines) held += line.size() + 2;
        EXPECT_LE(held, 2 * file.size() + 2) << testing::PrintToString(file);
        if (held == 2 * file.size() + 2) ++tight;
    }
    EXPECT_GT(tight, 0u);
    EXPECT_LE(2 * LargestReadableFile() + 2, static_cast<size_t>(INT_MAX));
}

TEST_F(FilesTest, AFileSizeLimitFailsTheSaveWithAnErrorAndLeavesNoTemporary) {
    WriteRaw(Path("old.txt"), "precious");
    // 78 KB with a second link: rewritten in place, where the limit once cut it to nothing.
    const std::string shared = Pattern(78 * 1024, 3);
    WriteRaw(Path("linked.txt"), shared);
    ASSERT_EQ(::link(Path("linked.txt").c_str(), Path("other-link.txt").c_str()), 0);
    for (const char* name : {"old.txt", "linked.txt"}) {
        const ChildRun run = RunInChild([&] {
            std::signal(SIGXFSZ, SIG_DFL);  // as a program starts: the signal would end it
            struct rlimit tight{200 * 1024, RLIM_INFINITY};  // ulimit -f 200
            if (::setrlimit(RLIMIT_FSIZE, &tight) != 0) return std::string("no limit");
            return ErrorOf([&] { WriteFileBytes(Path(name), std::string(300000, 'n')); });
        });
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.signal, 0) << name << ": the save ended the program";
        EXPECT_NE(run.report.find(Path(name)), std::string::npos) << run.report;
        EXPECT_NE(run.report.find("too large"), std::string::npos) << run.report;
        EXPECT_EQ(run.report.find("unchanged") != std::string::npos, name == std::string("linked.txt")) << run.report;
    }
    // Both files are whole, and nothing else is left.
    EXPECT_EQ(ReadFileBytes(Path("old.txt")), "precious");
    EXPECT_EQ(ReadFileBytes(Path("linked.txt")), shared);
    EXPECT_EQ(ReadFileBytes(Path("other-link.txt")), shared);
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
        // The copy of the old bytes goes to the user's state folder where the folder refuses it.
        ASSERT_EQ(std::system(("mkdir -p '" + state_ + "'").c_str()), 0);
        ASSERT_EQ(::chown(state_.c_str(), owner, group), 0);
        ::chmod((dir_ + "/state").c_str(), 0755);
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

// A small file system of its own that fills up: a tmpfs, where the test may mount one.
class SmallDisk {
public:
    SmallDisk(const std::string& at, const char* size) : at_(at) {
        ::mkdir(at.c_str(), 0700);
        mounted_ = std::system(("mount -t tmpfs -o size=" + std::string(size) + " mekalon-test '" + at + "' 2>/dev/null").c_str()) == 0;
    }
    ~SmallDisk() {
        if (mounted_) std::system(("umount -l '" + at_ + "'").c_str());
    }
    bool Mounted() const { return mounted_; }

private:
    std::string at_;
    bool mounted_ = false;
};

// A file with a second hard link on a full disk: the save fails before anything is overwritten,
// or, where the copy of the old bytes fits only in the state folder, goes through.
TEST_F(FilesTest, AnInPlaceSaveOnAFullDiskLeavesTheFileWhole) {
    const std::string disk = Path("disk");
    const SmallDisk small(disk, "1m");
    if (!small.Mounted()) GTEST_SKIP() << "cannot mount a small tmpfs here (needs mount permission)";
    const std::string file = disk + "/text.txt", link = disk + "/second-name.txt";
    const std::string old = Pattern(600 * 1024, 1);
    WriteRaw(file, old);
    ASSERT_EQ(::link(file.c_str(), link.c_str()), 0);

    // The new text does not fit: nothing changes, nothing is left.
    const std::string error = ErrorOf([&] { WriteFileBytes(file, Pattern(1100 * 1024, 2)); });
    EXPECT_NE(error.find("No space left"), std::string::npos) << error;
    EXPECT_NE(error.find("the file is unchanged"), std::string::npos) << error;
    EXPECT_EQ(ReadFileBytes(file), old);
    EXPECT_EQ(Inode(file), Inode(link));
    EXPECT_EQ(Entries(disk), (std::set<std::string>{"text.txt", "second-name.txt"}));
    EXPECT_TRUE(StaleInPlaceCopies(state_).empty());

    // A shorter text fits where the old one was; its copy found room only in the state folder.
    const std::string shorter = Pattern(500 * 1024, 3);
    bool copiedToState = false;
    SetSaveStepHook([&](SaveStep step) {
        if (step == SaveStep::OldBytesCopied)
            copiedToState = Entries(state_).size() == 2 && Entries(disk).size() == 2;  // a record and a copy
        return 0;
    });
    EXPECT_EQ(ErrorOf([&] { WriteFileBytes(file, shorter); }), "no error");
    EXPECT_TRUE(copiedToState);
    EXPECT_EQ(ReadFileBytes(link), shorter);
    EXPECT_EQ(Entries(disk), (std::set<std::string>{"text.txt", "second-name.txt"}));
    EXPECT_TRUE(Entries(state_).empty());
}

// Before a byte of the file changes, its old bytes are on disk beside it with a record in the
// state folder; a write that fails then puts them back; one that succeeds removes the copy.
TEST_F(FilesTest, AnInPlaceWriteThatFailsPartWayPutsTheOldBytesBack) {
    const std::string old = Pattern(3 << 20, 4), fresh = Pattern((3 << 20) + 5000, 5);
    WriteRaw(Path("a.txt"), old);
    ASSERT_EQ(::link(Path("a.txt").c_str(), Path("b.txt").c_str()), 0);
    struct timespec longAgo[2] = {{0, UTIME_OMIT}, {1000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, Path("a.txt").c_str(), longAgo, 0), 0);
    const std::string beside = Path(".a.txt.mekalon-old-" + std::to_string(::getpid()));
    bool copyBeforeWriting = false;
    SetSaveStepHook([&](SaveStep step) {
        if (step == SaveStep::SpaceReserved)
            copyBeforeWriting = ReadFileBytes(beside) == old && Entries(state_).size() == 1;
        return step == SaveStep::InPlaceWriting ? ENOSPC : 0;
    });
    const std::string error = ErrorOf([&] { WriteFileBytes(Path("a.txt"), fresh); });
    EXPECT_TRUE(copyBeforeWriting);
    EXPECT_NE(error.find("No space left on device; the file was put back as it was"), std::string::npos) << error;
    EXPECT_EQ(ReadFileBytes(Path("b.txt")), old);
    struct stat st{};
    ::stat(Path("a.txt").c_str(), &st);
    EXPECT_EQ(st.st_mtim.tv_sec, 1000000000) << "the old time was not put back";
    EXPECT_EQ(Entries(dir_), (std::set<std::string>{"a.txt", "b.txt", "state"}));
    EXPECT_TRUE(Entries(state_).empty());

    SetSaveStepHook(nullptr);
    EXPECT_EQ(ErrorOf([&] { WriteFileBytes(Path("a.txt"), fresh); }), "no error");
    EXPECT_EQ(ReadFileBytes(Path("b.txt")), fresh);
    EXPECT_EQ(Entries(dir_), (std::set<std::string>{"a.txt", "b.txt", "state"}));
    EXPECT_TRUE(Entries(state_).empty());
}

// A program killed during an in-place save leaves the copy; the next start finds it (only once
// that program is gone) and puts the file back, links and time included.
TEST_F(FilesTest, AnInPlaceSaveKilledPartWayLeavesACopyThatPutsTheFileBack) {
    const std::string old = Pattern(3 << 20, 6), fresh = Pattern(4 << 20, 7);
    struct Case {
        SaveStep killedAt;
        bool fileDamaged;
    };
    for (const Case c : {Case{SaveStep::InPlaceWriting, true}, Case{SaveStep::OldBytesCopied, false}}) {
        WriteRaw(Path("a.txt"), old);
        ::unlink(Path("b.txt").c_str());
        ASSERT_EQ(::link(Path("a.txt").c_str(), Path("b.txt").c_str()), 0);
        struct stat before{};
        ::stat(Path("a.txt").c_str(), &before);
        const ChildRun run = RunInChild([&] {
            SetSaveStepHook([&](SaveStep step) {
                if (step == c.killedAt) ::raise(SIGKILL);
                return 0;
            });
            return ErrorOf([&] { WriteFileBytes(Path("a.txt"), fresh); });
        });
        ASSERT_EQ(run.signal, SIGKILL);
        EXPECT_EQ(ReadFileBytes(Path("b.txt")) != old, c.fileDamaged);
        const std::vector<InPlaceCopy> copies = StaleInPlaceCopies(state_);
        ASSERT_EQ(copies.size(), 1u);
        EXPECT_EQ(copies[0].target, Path("a.txt"));
        EXPECT_EQ(InPlaceCopyMatchesTarget(copies[0]), !c.fileDamaged);
        RestoreInPlaceCopy(copies[0]);
        EXPECT_EQ(ReadFileBytes(Path("b.txt")), old);
        EXPECT_EQ(Inode(Path("a.txt")), Inode(Path("b.txt")));
        struct stat after{};
        ::stat(Path("a.txt").c_str(), &after);
        EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
        EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
        EXPECT_EQ(Entries(dir_), (std::set<std::string>{"a.txt", "b.txt", "state"}));
        EXPECT_TRUE(Entries(state_).empty());
    }
}

// A save killed part way leaves no temporary file; named temporary files of processes that no
// longer run (and unnamed-by-process ones of older versions, an hour old) go at the next save
// in their folder, those of running processes stay.
TEST_F(FilesTest, AKilledSaveLeavesNoTemporaryFileBehind) {
    WriteRaw(Path("a.txt"), "old");
    const ChildRun run = RunInChild([&] {
        SetSaveStepHook([](SaveStep step) {
            if (step == SaveStep::TemporaryWritten) ::raise(SIGKILL);
            return 0;
        });
        return ErrorOf([&] { WriteFileBytes(Path("a.txt"), std::string(4 << 20, 'n')); });
    });
    ASSERT_EQ(run.signal, SIGKILL);
    EXPECT_EQ(ReadFileBytes(Path("a.txt")), "old");
    EXPECT_EQ(Entries(dir_), std::set<std::string>{"a.txt"});

    const pid_t gone = ::fork();
    if (gone == 0) ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    const std::string dead = ".mekalon-save-" + std::to_string(gone) + "-Xy12Zw";
    const std::string alive = ".mekalon-save-" + std::to_string(::getpid()) + "-Ab34Cd";
    for (const std::string& name : {dead, alive, std::string(".mekalon-save-Old123"), std::string(".mekalon-save-New456")})
        WriteRaw(Path(name), "left over");
    struct timespec twoHoursAgo[2] = {{0, UTIME_OMIT}, {::time(nullptr) - 7200, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, Path(".mekalon-save-Old123").c_str(), twoHoursAgo, 0), 0);
    WriteFileBytes(Path("a.txt"), "new");
    EXPECT_EQ(Entries(dir_), (std::set<std::string>{"a.txt", alive, ".mekalon-save-New456"}));
}

// What was read or written is told apart from another program's change; a touch is no change.
TEST_F(FilesTest, ACheckOnDiskTellsAnotherProgramsChangeFromATouch) {
    const FileStamp written = WriteFileBytes(Path("a.txt"), "first text");
    FileStamp read;
    ReadFilePieces(Path("a.txt"), [](std::string_view, size_t) { return true; }, &read);
    EXPECT_EQ(read, written);
    struct timespec later[2] = {{0, UTIME_OMIT}, {2000000000, 5}};
    const std::pair<const char*, std::function<void()>> changes[] = {
        {"nothing", [] {}},
        {"touched", [&] { ::utimensat(AT_FDCWD, Path("a.txt").c_str(), later, 0); }},
        {"rewritten, same size", [&] {
             WriteRaw(Path("a.txt"), "other text");
             ::utimensat(AT_FDCWD, Path("a.txt").c_str(), later, 0);  // a later time, whatever the clock's step
         }},
        {"longer", [&] { WriteRaw(Path("a.txt"), "first text!"); }},
        {"replaced by another file", [&] {
             WriteRaw(Path("b.txt"), "first text");
             ::rename(Path("b.txt").c_str(), Path("a.txt").c_str());
         }},
        {"deleted", [&] { ::unlink(Path("a.txt").c_str()); }},
    };
    const DiskState expected[] = {DiskState::Same, DiskState::Same, DiskState::Changed,
                                  DiskState::Changed, DiskState::Changed, DiskState::Gone};
    for (size_t i = 0; i < std::size(changes); ++i) {
        FileStamp known = WriteFileBytes(Path("a.txt"), "first text");
        changes[i].second();
        EXPECT_EQ(CheckOnDisk(Path("a.txt"), known), expected[i]) << changes[i].first;
    }
}

}  // namespace
}  // namespace platform
