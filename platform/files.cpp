// Files as bytes: only regular files of a size that can be held are read; a save replaces the file
// safely (a failed save never damages the file already on disk) or, where that cannot work,
// rewrites it in place.
#include "platform/files.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace platform {

namespace {

std::string Reason(int err) { return std::strerror(err); }

[[noreturn]] void Fail(const std::string& what, const std::string& path, int err) {
    throw FileError(what + " \"" + path + "\": " + Reason(err));
}

// Closes a descriptor on every way out.
class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() { if (fd_ >= 0) ::close(fd_); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    int release() { int f = fd_; fd_ = -1; return f; }
private:
    int fd_;
};

// Follows symbolic links so that a save replaces the file a link points to and keeps the link.
std::string ResolveLinks(const std::string& path) {
    std::string current = path;
    for (int depth = 0; depth < 40; ++depth) {
        struct stat st;
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
        std::vector<char> buf(static_cast<size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1);
        ssize_t n = ::readlink(current.c_str(), buf.data(), buf.size() - 1);
        if (n < 0) return current;
        std::string target(buf.data(), static_cast<size_t>(n));
        if (!target.empty() && target[0] == '/') {
            current = target;
        } else {
            auto slash = current.rfind('/');
            current = (slash == std::string::npos ? std::string() : current.substr(0, slash + 1)) + target;
        }
    }
    errno = ELOOP;
    Fail("Cannot write", path, ELOOP);
}

std::string FolderOf(const std::string& path) {
    auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

}  // namespace

size_t LargestReadableFile() {
    constexpr size_t kCeiling = size_t{2} << 30;  // 2 GB
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) return kCeiling;
    const unsigned long long quarter = static_cast<unsigned long long>(pages) * static_cast<unsigned long long>(pageSize) / 4;
    return static_cast<size_t>(std::min<unsigned long long>(quarter, kCeiling));
}

namespace {

[[noreturn]] void FailTooLarge(const std::string& path, size_t limit) {
    throw FileError("Cannot open \"" + path + "\": the file is larger than the " +
                    std::to_string(limit >> 20) + " MB that can be held");
}

}  // namespace

void ReadFilePieces(const std::string& path, const std::function<bool(std::string_view, size_t)>& piece) {
    // Without blocking: opening a FIFO for reading would otherwise wait for a writer for ever.
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0) Fail("Cannot open", path, errno);
    struct stat st;
    if (::fstat(fd.get(), &st) != 0) Fail("Cannot read", path, errno);
    if (S_ISDIR(st.st_mode)) Fail("Cannot read", path, EISDIR);
    // Only regular files are read: a FIFO, a socket or a device (/dev/zero) has no end to wait for.
    if (!S_ISREG(st.st_mode)) throw FileError("Cannot open \"" + path + "\": it is not a regular file");
    const size_t limit = LargestReadableFile();
    if (st.st_size < 0 || static_cast<unsigned long long>(st.st_size) > limit) FailTooLarge(path, limit);
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags >= 0) ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK);
    size_t total = 0;
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd.get(), buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            Fail("Cannot read", path, errno);
        }
        if (n == 0) break;
        // A file that grows while it is read is held to the same limit.
        total += static_cast<size_t>(n);
        if (total > limit) FailTooLarge(path, limit);
        if (!piece(std::string_view(buf, static_cast<size_t>(n)), static_cast<size_t>(st.st_size))) break;
    }
}

std::string ReadFileBytes(const std::string& path) {
    std::string data;
    ReadFilePieces(path, [&data](std::string_view piece, size_t size) {
        if (data.empty()) data.reserve(size);
        data.append(piece);
        return true;
    });
    return data;
}

void IgnoreFileSizeSignal() {
    struct sigaction now{};
    if (::sigaction(SIGXFSZ, nullptr, &now) == 0 && now.sa_handler == SIG_DFL) {
        struct sigaction ignore{};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        ::sigaction(SIGXFSZ, &ignore, nullptr);
    }
}

namespace {

// Writes all bytes to the descriptor; returns 0 or the error.
int WriteAll(int fd, std::string_view bytes) {
    const char* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    return 0;
}

// Rewrites an existing file through its own inode: truncate, write, flush to disk. Used where a
// replacement cannot be made (a folder that refuses new files) or would do harm (other hard links
// would keep the old text; another owner would lose the file). A failure part way can leave the
// file short, and the message says so.
void WriteInPlace(const std::string& path, const std::string& target, std::string_view bytes) {
    Fd fd(::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.get() < 0) Fail("Cannot write", path, errno);
    struct stat st;
    if (::fstat(fd.get(), &st) != 0) Fail("Cannot write", path, errno);
    if (!S_ISREG(st.st_mode)) throw FileError("Cannot write \"" + path + "\": it is not a regular file");
    auto failed = [&](int err) {
        throw FileError("Cannot write \"" + path + "\": " + Reason(err) +
                        " (the file was being rewritten in place and may now be incomplete)");
    };
    if (::ftruncate(fd.get(), 0) != 0) Fail("Cannot write", path, errno);
    if (int err = WriteAll(fd.get(), bytes)) failed(err);
    if (::fsync(fd.get()) != 0) failed(errno);
    int raw = fd.release();
    if (::close(raw) != 0) failed(errno);
}

}  // namespace

void WriteFileBytes(const std::string& path, std::string_view bytes) {
    // A file-size limit must fail the write with an error, not end the program.
    IgnoreFileSizeSignal();
    if (path.empty()) Fail("Cannot create", path, ENOENT);
    const std::string target = ResolveLinks(path);
    const std::string folder = FolderOf(target);

    // Permissions of the file being replaced; a new file gets the usual ones (umask applies).
    struct stat old;
    bool hadOld = ::stat(target.c_str(), &old) == 0;
    if (hadOld && S_ISDIR(old.st_mode)) Fail("Cannot create", path, EISDIR);
    if (hadOld && !S_ISREG(old.st_mode)) throw FileError("Cannot write \"" + path + "\": it is not a regular file");
    // A file the user may not write stays as it is, although the folder would allow replacing it.
    if (hadOld && ::access(target.c_str(), W_OK) != 0) Fail("Cannot create", path, errno);
    // A replacement would part the file from its other hard links.
    if (hadOld && old.st_nlink > 1) return WriteInPlace(path, target, bytes);

    std::string tmpl = (folder == "/" ? std::string() : folder) + "/.mekalon-save-XXXXXX";
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    Fd fd(::mkstemp(name.data()));
    if (fd.get() < 0) {
        const int err = errno;
        // The folder refuses new files, but the file itself may be written.
        if (hadOld && (err == EACCES || err == EPERM)) return WriteInPlace(path, target, bytes);
        Fail("Cannot create", path, err);
    }
    const std::string tmp(name.data());

    auto failWith = [&](const char* what, int err) {
        ::unlink(tmp.c_str());
        Fail(what, path, err);
    };

    mode_t mode;
    if (hadOld) {
        mode = old.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (hadOld) {
        // The replacement keeps the owner and group. Where the owner cannot be kept (the file
        // belongs to someone else), the file is rewritten in place instead, so that it stays theirs.
        if (::fchown(fd.get(), old.st_uid, old.st_gid) != 0) {
            if (old.st_uid != ::geteuid()) {
                ::unlink(tmp.c_str());
                return WriteInPlace(path, target, bytes);
            }
            [[maybe_unused]] int ignored = ::fchown(fd.get(), static_cast<uid_t>(-1), old.st_gid);
        }
    }
    // After the owner: a change of owner clears the set-id bits.
    if (::fchmod(fd.get(), mode) != 0) failWith("Cannot write", errno);

    if (int err = WriteAll(fd.get(), bytes)) failWith("Cannot write", err);
    if (::fsync(fd.get()) != 0) failWith("Cannot write", errno);
    int raw = fd.release();
    if (::close(raw) != 0) failWith("Cannot write", errno);
    if (::rename(tmp.c_str(), target.c_str()) != 0) failWith("Cannot write", errno);

    // Make the rename itself durable.
    Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) ::fsync(dir.get());
}

}  // namespace platform
