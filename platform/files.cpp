// Files as bytes: only regular files of a size that can be held are read; a save replaces the file
// through a temporary file (a failed or killed save never damages the file already on disk) or,
// where that cannot work, rewrites it in place through files_inplace.cpp. Also the stamps that tell
// whether another program changed a file since it was read or written.
#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include "platform/files_private.h"

namespace platform {

namespace detail {

std::string Reason(int err) { return std::strerror(err); }

void Fail(const std::string& what, const std::string& path, int err) {
    throw FileError(what + " \"" + path + "\": " + Reason(err));
}

int WriteAll(int fd, std::string_view bytes, off_t offset) {
    const char* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = offset < 0 ? ::write(fd, p, left) : ::pwrite(fd, p, left, offset);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) return EIO;
        p += n;
        left -= static_cast<size_t>(n);
        if (offset >= 0) offset += n;
    }
    return 0;
}

std::string FolderOf(const std::string& path) {
    auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::int64_t ModifiedNs(const struct stat& st) {
    return static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

FileStamp StampOf(int fd, std::string_view bytes) {
    FileStamp stamp;
    struct stat st;
    if (::fstat(fd, &st) != 0) return stamp;
    ByteHash hash;
    hash.Add(bytes);
    stamp.known = true;
    stamp.device = st.st_dev;
    stamp.inode = st.st_ino;
    stamp.size = static_cast<std::uint64_t>(st.st_size);
    stamp.modifiedNs = ModifiedNs(st);
    stamp.hash = hash.Value();
    return stamp;
}

SaveStepHook& Hook() {
    static SaveStepHook hook;
    return hook;
}

int AtStep(SaveStep step) {
    const SaveStepHook& hook = Hook();
    return hook ? hook(step) : 0;
}

bool ProcessRunning(long pid) {
    if (pid <= 0) return false;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

bool MakeFolders(const std::string& folder) {
    struct stat st;
    if (::stat(folder.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    const std::string parent = FolderOf(folder);
    if (parent != folder && parent != "." && !MakeFolders(parent)) return false;
    return ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

void SyncFolder(const std::string& folder) {
    Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) ::fsync(dir.get());
}

}  // namespace detail

using namespace detail;

void SetSaveStepHook(SaveStepHook hook) { detail::Hook() = std::move(hook); }

// ---- Hashing -----------------------------------------------------------------------------------

namespace {

constexpr std::uint64_t kPrime1 = 0x9E3779B185EBCA87ull;
constexpr std::uint64_t kPrime2 = 0xC2B2AE3D27D4EB4Full;

std::uint64_t Mix(std::uint64_t lane, std::uint64_t word) {
    lane += word * kPrime2;
    lane = (lane << 31) | (lane >> 33);
    return lane * kPrime1;
}

}  // namespace

void ByteHash::Add(std::string_view bytes) {
    total_ += bytes.size();
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data());
    size_t left = bytes.size();
    auto block = [this](const unsigned char* b) {
        for (int i = 0; i < 4; ++i) {
            std::uint64_t w;
            std::memcpy(&w, b + 8 * i, 8);
            lanes_[i] = Mix(lanes_[i], w);
        }
    };
    if (tailSize_ > 0) {
        const size_t take = std::min(left, sizeof tail_ - tailSize_);
        if (take > 0) std::memcpy(tail_ + tailSize_, p, take);
        tailSize_ += take;
        p += take;
        left -= take;
        if (tailSize_ < sizeof tail_) return;
        block(tail_);
        tailSize_ = 0;
    }
    for (; left >= sizeof tail_; p += sizeof tail_, left -= sizeof tail_) block(p);
    if (left > 0) std::memcpy(tail_, p, left);
    tailSize_ = left;
}

std::uint64_t ByteHash::Value() const {
    std::uint64_t h = total_ * kPrime1;
    for (std::uint64_t lane : lanes_) h = Mix(h ^ lane, lane);
    for (size_t i = 0; i < tailSize_; ++i) h = (h ^ tail_[i]) * 0x100000001B3ull;
    h ^= h >> 33;
    h *= kPrime2;
    h ^= h >> 29;
    return h;
}

// ---- Reading -----------------------------------------------------------------------------------

size_t LargestReadableFile() {
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) return kReadCeiling;
    const unsigned long long quarter = static_cast<unsigned long long>(pages) * static_cast<unsigned long long>(pageSize) / 4;
    return static_cast<size_t>(std::min<unsigned long long>(quarter, kReadCeiling));
}

std::string TooLargeReason() {
    return "larger than the " + std::to_string(LargestReadableFile() >> 20) + " MB that can be held";
}

namespace {

[[noreturn]] void FailTooLarge(const std::string& path) {
    throw FileError("Cannot open \"" + path + "\": the file is " + TooLargeReason());
}

}  // namespace

void ReadFilePieces(const std::string& path, const std::function<bool(std::string_view, size_t)>& piece,
                    FileStamp* stamp) {
    // Without blocking: opening a FIFO for reading would otherwise wait for a writer for ever.
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0) Fail("Cannot open", path, errno);
    struct stat st;
    if (::fstat(fd.get(), &st) != 0) Fail("Cannot read", path, errno);
    if (S_ISDIR(st.st_mode)) Fail("Cannot read", path, EISDIR);
    // Only regular files are read: a FIFO, a socket or a device (/dev/zero) has no end to wait for.
    if (!S_ISREG(st.st_mode)) throw FileError("Cannot open \"" + path + "\": it is not a regular file");
    const size_t limit = LargestReadableFile();
    if (st.st_size < 0 || static_cast<unsigned long long>(st.st_size) > limit) FailTooLarge(path);
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags >= 0) ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK);
    size_t total = 0;
    ByteHash hash;
    std::vector<char> buf(65536);
    bool atEnd = false;
    while (!atEnd) {
        // Each piece is whole (64 KB) unless it is the last, whatever the reads return.
        size_t filled = 0;
        while (filled < buf.size()) {
            ssize_t n = ::read(fd.get(), buf.data() + filled, buf.size() - filled);
            if (n < 0) {
                if (errno == EINTR) continue;
                Fail("Cannot read", path, errno);
            }
            if (n == 0) {
                atEnd = true;
                break;
            }
            filled += static_cast<size_t>(n);
        }
        if (filled == 0) break;
        // A file that grows while it is read is held to the same limit.
        total += filled;
        if (total > limit) FailTooLarge(path);
        const std::string_view bytes(buf.data(), filled);
        if (stamp) hash.Add(bytes);
        if (!piece(bytes, static_cast<size_t>(st.st_size))) return;
    }
    if (stamp) {
        stamp->known = true;
        stamp->device = st.st_dev;
        stamp->inode = st.st_ino;
        stamp->size = total;
        stamp->modifiedNs = ModifiedNs(st);
        stamp->hash = hash.Value();
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

// ---- A file on disk against its stamp ------------------------------------------------------------

FileStamp StatStamp(const std::string& path) {
    FileStamp stamp;
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return stamp;
    stamp.known = true;
    stamp.device = st.st_dev;
    stamp.inode = st.st_ino;
    stamp.size = static_cast<std::uint64_t>(st.st_size);
    stamp.modifiedNs = ModifiedNs(st);
    return stamp;
}

DiskState CheckOnDisk(const std::string& path, FileStamp& known) {
    const FileStamp now = StatStamp(path);
    if (!now.known) return DiskState::Gone;
    if (now.device != known.device || now.inode != known.inode || now.size != known.size) return DiskState::Changed;
    if (now.modifiedNs == known.modifiedNs) return DiskState::Same;
    // Touched, or rewritten with bytes of the same length: the bytes tell.
    FileStamp read;
    try {
        ReadFilePieces(path, [](std::string_view, size_t) { return true; }, &read);
    } catch (const FileError&) {
        return DiskState::Changed;
    }
    if (!read.known || read.hash != known.hash || read.size != known.size) return DiskState::Changed;
    known.modifiedNs = read.modifiedNs;
    return DiskState::Same;
}

std::string StateFolder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && state[0] == '/') return std::string(state) + "/mekalon";
    const char* home = std::getenv("HOME");
    return std::string(home && home[0] ? home : "/tmp") + "/.local/state/mekalon";
}

// ---- Saving by replacement -----------------------------------------------------------------------

namespace {

constexpr std::string_view kTemporaryPrefix = ".mekalon-save-";

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
    Fail("Cannot write", path, ELOOP);
}

std::string InFolder(const std::string& folder, std::string_view name) {
    return (folder == "/" ? std::string() : folder) + "/" + std::string(name);
}

// Removes the temporary files that saves of processes no longer running left in `folder`:
// ".mekalon-save-PID-XXXXXX" of a PID that is gone, and those of older versions without a PID
// (".mekalon-save-XXXXXX") once they are an hour old.
void RemoveStaleTemporaries(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    const long self = static_cast<long>(::getpid());
    const time_t now = ::time(nullptr);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (!name.starts_with(kTemporaryPrefix)) continue;
        const std::string_view rest = name.substr(kTemporaryPrefix.size());
        const size_t dash = rest.find('-');
        bool stale = false;
        struct stat st;
        if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) continue;
        if (dash == std::string_view::npos) {
            stale = rest.size() == 6 && now - st.st_mtime > 3600;
        } else {
            const std::string digits(rest.substr(0, dash));
            char* end = nullptr;
            const long pid = std::strtol(digits.c_str(), &end, 10);
            stale = !digits.empty() && *end == '\0' && pid > 0 && pid != self && !ProcessRunning(pid);
        }
        if (stale) ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

// A name for a temporary file of this process in `folder` that does not exist yet.
std::string TemporaryName(const std::string& folder, unsigned attempt) {
    static unsigned counter = 0;
    struct timespec ts;
    ::clock_gettime(CLOCK_REALTIME, &ts);
    const unsigned long mixed = static_cast<unsigned long>(ts.tv_nsec) ^ (++counter * 2654435761u) ^ (attempt * 40503u);
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::string suffix;
    unsigned long v = mixed;
    for (int i = 0; i < 6; ++i, v /= 62) suffix.push_back(digits[v % 62]);
    return InFolder(folder, std::string(kTemporaryPrefix) + std::to_string(::getpid()) + "-" + suffix);
}

// Gives the unnamed file a name in its folder; returns 0 or the error.
int LinkUnnamed(int fd, const std::string& folder, std::string& name) {
    const std::string proc = "/proc/self/fd/" + std::to_string(fd);
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        name = TemporaryName(folder, attempt);
        // AT_EMPTY_PATH needs a privilege; the /proc path works for everyone who has /proc.
        if (::linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0) return 0;
        if (errno != EEXIST) {
            if (::linkat(AT_FDCWD, proc.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return 0;
        }
        if (errno != EEXIST) return errno;
    }
    return EEXIST;
}

}  // namespace

FileStamp WriteFileBytes(const std::string& path, std::string_view bytes, unsigned newFileMode) {
    // A file-size limit must fail the write with an error, not end the program.
    IgnoreFileSizeSignal();
    if (path.empty()) Fail("Cannot create", path, ENOENT);
    const std::string target = ResolveLinks(path);
    const std::string folder = FolderOf(target);

    // Permissions of the file being replaced; a new file gets the ones asked for (umask applies).
    struct stat old;
    bool hadOld = ::stat(target.c_str(), &old) == 0;
    if (hadOld && S_ISDIR(old.st_mode)) Fail("Cannot create", path, EISDIR);
    if (hadOld && !S_ISREG(old.st_mode)) throw FileError("Cannot write \"" + path + "\": it is not a regular file");
    // A file the user may not write stays as it is, although the folder would allow replacing it.
    if (hadOld && ::access(target.c_str(), W_OK) != 0) Fail("Cannot create", path, errno);
    // A replacement would part the file from its other hard links.
    if (hadOld && old.st_nlink > 1) return WriteInPlace(path, target, bytes);

    // What killed saves left here goes before this one adds its own.
    RemoveStaleTemporaries(folder);

    // An unnamed temporary file vanishes by itself if the program dies before it is complete.
    bool unnamed = true;
    Fd fd(::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
    std::string tmp;
    if (fd.get() < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL || errno == ENOENT)) {
        // The file system has no unnamed files: a named one, with this process's id in its name.
        unnamed = false;
        std::string tmpl = TemporaryName(folder, 0);
        tmpl.replace(tmpl.size() - 6, 6, "XXXXXX");
        std::vector<char> name(tmpl.begin(), tmpl.end());
        name.push_back('\0');
        fd.reset(::mkstemp(name.data()));
        if (fd.get() >= 0) tmp = name.data();
    }
    if (fd.get() < 0) {
        const int err = errno;
        // The folder refuses new files, but the file itself may be written.
        if (hadOld && (err == EACCES || err == EPERM)) return WriteInPlace(path, target, bytes);
        Fail("Cannot create", path, err);
    }

    auto failWith = [&](const char* what, int err) {
        if (!tmp.empty()) ::unlink(tmp.c_str());
        Fail(what, path, err);
    };

    mode_t mode;
    if (hadOld) {
        mode = old.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = static_cast<mode_t>(newFileMode & 0777) & ~mask;
    }
    if (hadOld) {
        // The replacement keeps the owner and group. Where the owner cannot be kept (the file
        // belongs to someone else), the file is rewritten in place instead, so that it stays theirs.
        if (::fchown(fd.get(), old.st_uid, old.st_gid) != 0) {
            if (old.st_uid != ::geteuid()) {
                if (!tmp.empty()) ::unlink(tmp.c_str());
                fd.reset();
                return WriteInPlace(path, target, bytes);
            }
            [[maybe_unused]] int ignored = ::fchown(fd.get(), static_cast<uid_t>(-1), old.st_gid);
        }
    }
    // After the owner: a change of owner clears the set-id bits.
    if (::fchmod(fd.get(), mode) != 0) failWith("Cannot write", errno);

    // The bytes in two parts, so that a test can stop the save with some of them written.
    const size_t half = bytes.size() / 2;
    if (int err = WriteAll(fd.get(), bytes.substr(0, half))) failWith("Cannot write", err);
    if (int err = AtStep(SaveStep::TemporaryWritten)) failWith("Cannot write", err);
    if (int err = WriteAll(fd.get(), bytes.substr(half))) failWith("Cannot write", err);
    if (::fsync(fd.get()) != 0) failWith("Cannot write", errno);
    const FileStamp stamp = StampOf(fd.get(), bytes);
    if (unnamed) {
        if (int err = LinkUnnamed(fd.get(), folder, tmp)) {
            tmp.clear();
            failWith("Cannot write", err);
        }
    }
    int raw = fd.release();
    if (::close(raw) != 0) failWith("Cannot write", errno);
    if (::rename(tmp.c_str(), target.c_str()) != 0) failWith("Cannot write", errno);

    // Make the rename itself durable.
    SyncFolder(folder);
    return stamp;
}

}  // namespace platform
