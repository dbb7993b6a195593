// Reading and safely replacing files on disk.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <set>

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
    std::string dir_;
};

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

TEST_F(FilesTest, ReadOnlyFolderLeavesTheOldFile) {
    if (IsRoot()) GTEST_SKIP() << "root may write into a read-only folder";
    WriteRaw(Path("keep.txt"), "old text");
    ::chmod(dir_.c_str(), 0500);
    try {
        WriteFileBytes(Path("keep.txt"), "new text");
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find(Path("keep.txt")), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("Permission denied"), std::string::npos) << e.what();
    }
    ::chmod(dir_.c_str(), 0700);
    EXPECT_EQ(ReadFileBytes(Path("keep.txt")), "old text");
    EXPECT_EQ(Entries(dir_), std::set<std::string>{"keep.txt"});
}

TEST_F(FilesTest, FailedWriteLeavesOldFileWholeAndNoTemporary) {
    WriteRaw(Path("old.txt"), "precious");

    // The bytes cannot be written: a file-size limit makes write() fail half-way.
    struct rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit tight = saved;
    tight.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tight), 0);
    std::string message;
    try {
        WriteFileBytes(Path("old.txt"), std::string(100000, 'n'));
    } catch (const FileError& e) {
        message = e.what();
    }
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_NE(message.find(Path("old.txt")), std::string::npos) << message;
    EXPECT_NE(message.find("too large"), std::string::npos) << message;
    EXPECT_EQ(ReadFileBytes(Path("old.txt")), "precious");
    EXPECT_EQ(Entries(dir_), std::set<std::string>{"old.txt"});

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

TEST_F(FilesTest, ReadOnlyFileIsNotReplaced) {
    if (IsRoot()) GTEST_SKIP() << "root may write any file";
    WriteRaw(Path("ro.txt"), "keep me");
    ::chmod(Path("ro.txt").c_str(), 0444);
    EXPECT_THROW(WriteFileBytes(Path("ro.txt"), "new"), FileError);
    EXPECT_EQ(ReadFileBytes(Path("ro.txt")), "keep me");
    EXPECT_EQ(Entries(dir_), std::set<std::string>{"ro.txt"});
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
