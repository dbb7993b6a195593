// The in-place save: a file that cannot be replaced (it has other hard links, its folder refuses
// new files, its owner could not be kept) is overwritten through its own inode, safely. Before a
// byte of it changes, a complete copy of its old bytes is on disk (beside it, or in the state
// folder where its folder refuses the copy) with a record of it in the state folder, the room for
// the new bytes is reserved and the file-size limit checked; a write that fails puts the old bytes
// back; the copy goes only once the new bytes are flushed to disk. A program that dies part way
// leaves the copy and its record, which the next start finds (StaleInPlaceCopies) and offers.
#include <fcntl.h>
#include <dirent.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

#include "platform/files.h"
#include "platform/files_private.h"

namespace platform {

namespace detail {

namespace {

constexpr const char* kRecordMagic = "MEKALON IN-PLACE SAVE 1";
constexpr size_t kChunk = size_t{1} << 20;

std::uint64_t PathHash(const std::string& s) {  // FNV-1a
    std::uint64_t h = 1469598103934665603ull;
    for (unsigned char c : s) h = (h ^ c) * 1099511628211ull;
    return h;
}

std::string StateName(const std::string& folder, long pid, const std::string& target, const char* extension) {
    char name[80];
    std::snprintf(name, sizeof name, "/inplace-%ld-%016llx.%s", pid, static_cast<unsigned long long>(PathHash(target)),
                  extension);
    return folder + name;
}

std::string BesideName(const std::string& target, long pid) {
    const std::string folder = FolderOf(target);
    return (folder == "/" ? std::string() : folder) + "/." + NameOf(target) + ".mekalon-old-" + std::to_string(pid);
}

// Copies the first `size` bytes of the open file `from` into a new file at `path`, flushed to
// disk. Returns 0 or the error; on an error nothing is left at `path`.
int CopyInto(int from, off_t size, const std::string& path) {
    Fd to(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (to.get() < 0 && errno == EEXIST) {
        // Left by an earlier save of this process id: its record names it no more.
        ::unlink(path.c_str());
        to.reset(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    }
    if (to.get() < 0) return errno;
    auto failed = [&](int err) {
        to.reset();
        ::unlink(path.c_str());
        return err;
    };
    // The room first: a copy that does not fit fails before it is written.
    if (size > 0 && ::posix_fallocate(to.get(), 0, size) == ENOSPC) return failed(ENOSPC);
    off_t in = 0;
    bool plain = false;
    std::vector<char> buf;
    while (in < size) {
        const size_t want = static_cast<size_t>(std::min<off_t>(size - in, static_cast<off_t>(kChunk)));
        if (!plain) {
            off_t out = in;
            const ssize_t n = ::copy_file_range(from, &in, to.get(), &out, want, 0);
            if (n > 0) continue;
            if (n == 0) return failed(EIO);  // the file is shorter than it was
            if (errno == EINTR) continue;
            if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP && errno != EBADF)
                return failed(errno);
            plain = true;
            buf.resize(kChunk);
        }
        const ssize_t n = ::pread(from, buf.data(), want, in);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return failed(n < 0 ? errno : EIO);
        if (int err = WriteAll(to.get(), std::string_view(buf.data(), static_cast<size_t>(n)), in)) return failed(err);
        in += n;
    }
    if (::ftruncate(to.get(), size) != 0) return failed(errno);
    if (::fsync(to.get()) != 0) return failed(errno);
    const int raw = to.release();
    if (::close(raw) != 0) {
        ::unlink(path.c_str());
        return errno;
    }
    SyncFolder(FolderOf(path));
    return 0;
}

// Writes the record of a copy, whole or not at all. Returns 0 or the error.
int WriteRecord(const InPlaceCopy& copy) {
    std::string data = kRecordMagic;
    data += "\n" + std::to_string(copy.pid) + "\n" + std::to_string(copy.modifiedNs) + "\n";
    data += std::to_string(copy.target.size()) + "\n" + copy.target + "\n";
    data += std::to_string(copy.copy.size()) + "\n" + copy.copy + "\n";
    const std::string temporary = copy.record + ".tmp";
    Fd fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
    if (fd.get() < 0) return errno;
    int err = WriteAll(fd.get(), data);
    if (!err && ::fsync(fd.get()) != 0) err = errno;
    fd.reset();
    if (!err && ::rename(temporary.c_str(), copy.record.c_str()) != 0) err = errno;
    if (err) {
        ::unlink(temporary.c_str());
        return err;
    }
    SyncFolder(FolderOf(copy.record));
    return 0;
}

std::optional<InPlaceCopy> ReadRecord(const std::string& record) {
    std::ifstream in(record, std::ios::binary);
    std::string magic, pid, modified;
    if (!std::getline(in, magic) || magic != kRecordMagic || !std::getline(in, pid) || !std::getline(in, modified))
        return std::nullopt;
    InPlaceCopy copy;
    copy.record = record;
    char* end = nullptr;
    copy.pid = std::strtol(pid.c_str(), &end, 10);
    if (end == pid.c_str() || *end) return std::nullopt;
    copy.modifiedNs = std::strtoll(modified.c_str(), &end, 10);
    if (end == modified.c_str() || *end) return std::nullopt;
    for (std::string* field : {&copy.target, &copy.copy}) {
        std::string length;
        if (!std::getline(in, length)) return std::nullopt;
        const unsigned long size = std::strtoul(length.c_str(), &end, 10);
        if (end == length.c_str() || *end || size == 0 || size > 65536) return std::nullopt;
        field->resize(size);
        if (!in.read(field->data(), static_cast<std::streamsize>(size)) || in.get() != '\n') return std::nullopt;
    }
    return copy;
}

// Puts the first `size` bytes of the file at `copyPath` back into the open file `fd`, with the
// modification time `modifiedNs`. Returns 0 or the error.
int PutBack(int fd, const std::string& copyPath, off_t size, std::int64_t modifiedNs) {
    Fd from(::open(copyPath.c_str(), O_RDONLY | O_CLOEXEC));
    if (from.get() < 0) return errno;
    std::vector<char> buf(kChunk);
    off_t at = 0;
    while (at < size) {
        const ssize_t n = ::pread(from.get(), buf.data(), std::min<size_t>(buf.size(), static_cast<size_t>(size - at)), at);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return n < 0 ? errno : EIO;
        if (int err = WriteAll(fd, std::string_view(buf.data(), static_cast<size_t>(n)), at)) return err;
        at += n;
    }
    if (::ftruncate(fd, size) != 0) return errno;
    const struct timespec times[2] = {{0, UTIME_OMIT}, {modifiedNs / 1000000000, modifiedNs % 1000000000}};
    ::futimens(fd, times);
    if (::fsync(fd) != 0) return errno;
    return 0;
}

// Makes the copy of the old bytes and its record: beside the file where its folder allows, else
// in the state folder. Returns 0 or the error of the last place tried.
int MakeCopy(int fd, off_t size, InPlaceCopy& info) {
    const std::string state = StateFolder();
    info.record = StateName(state, info.pid, info.target, "record");
    const bool stateReady = MakeFolders(state);
    int err = 0;
    for (const std::string& place : {BesideName(info.target, info.pid), StateName(state, info.pid, info.target, "old")}) {
        if (place.starts_with(state + "/") && !stateReady) continue;
        err = CopyInto(fd, size, place);
        if (err) continue;
        info.copy = place;
        // Without a record the copy beside the file still protects this save; only a crash would
        // go unnoticed at the next start.
        if (!stateReady || WriteRecord(info) != 0) info.record.clear();
        return 0;
    }
    return err ? err : EACCES;
}

}  // namespace

FileStamp WriteInPlace(const std::string& path, const std::string& target, std::string_view bytes) {
    Fd fd(::open(target.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.get() < 0) Fail("Cannot write", path, errno);
    struct stat st;
    if (::fstat(fd.get(), &st) != 0) Fail("Cannot write", path, errno);
    if (!S_ISREG(st.st_mode)) throw FileError("Cannot write \"" + path + "\": it is not a regular file");
    const off_t oldSize = st.st_size;
    const off_t newSize = static_cast<off_t>(bytes.size());

    InPlaceCopy info;
    info.target = target;
    info.pid = static_cast<long>(::getpid());
    info.modifiedNs = ModifiedNs(st);
    auto unchanged = [&](int err, const char* while_) {
        if (!info.copy.empty()) DiscardInPlaceCopy(info);
        throw FileError("Cannot write \"" + path + "\": " + Reason(err) + while_ + "; the file is unchanged");
    };

    // A size limit that the new bytes (or the copy of the old ones) would pass fails the save now.
    struct rlimit limit;
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        (static_cast<rlim_t>(newSize) > limit.rlim_cur || static_cast<rlim_t>(oldSize) > limit.rlim_cur))
        unchanged(EFBIG, " (beyond the file-size limit)");

    if (int err = MakeCopy(fd.get(), oldSize, info)) unchanged(err, " (while keeping a copy of the old text)");
    if (int err = AtStep(SaveStep::OldBytesCopied)) unchanged(err, "");

    // The room for the new bytes, without changing the file yet. Where the file system cannot
    // reserve it, its free space is checked instead.
    if (newSize > 0 && ::fallocate(fd.get(), FALLOC_FL_KEEP_SIZE, 0, newSize) != 0) {
        int err = errno;
        if (err == EOPNOTSUPP || err == ENOSYS) {
            struct statvfs vfs;
            const off_t more = newSize > oldSize ? newSize - oldSize : 0;
            err = ::fstatvfs(fd.get(), &vfs) == 0 &&
                          static_cast<unsigned long long>(vfs.f_bavail) * vfs.f_frsize < static_cast<unsigned long long>(more)
                      ? ENOSPC
                      : 0;
        }
        if (err) unchanged(err, " (no room for the new text)");
    }
    if (int err = AtStep(SaveStep::SpaceReserved)) unchanged(err, "");

    // From here on the file changes: a failure puts the old bytes back.
    auto putBack = [&](int err) {
        const int restoreError = PutBack(fd.get(), info.copy, oldSize, info.modifiedNs);
        if (restoreError == 0) {
            DiscardInPlaceCopy(info);
            throw FileError("Cannot write \"" + path + "\": " + Reason(err) + "; the file was put back as it was");
        }
        throw FileError("Cannot write \"" + path + "\": " + Reason(err) + "; the file may be incomplete (" +
                        Reason(restoreError) + " while putting it back); its old text is kept in \"" + info.copy + "\"");
    };
    for (off_t at = 0; at < newSize;) {
        const size_t n = std::min(kChunk, static_cast<size_t>(newSize - at));
        if (int err = WriteAll(fd.get(), bytes.substr(static_cast<size_t>(at), n), at)) putBack(err);
        at += static_cast<off_t>(n);
        if (int err = AtStep(SaveStep::InPlaceWriting)) putBack(err);
    }
    if (::ftruncate(fd.get(), newSize) != 0) putBack(errno);
    if (::fsync(fd.get()) != 0) putBack(errno);
    const FileStamp stamp = StampOf(fd.get(), bytes);
    const int raw = fd.release();
    if (::close(raw) != 0) {
        const int err = errno;
        fd.reset(::open(target.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
        if (fd.get() >= 0) putBack(err);
        throw FileError("Cannot write \"" + path + "\": " + Reason(err) + "; its old text is kept in \"" + info.copy + "\"");
    }
    // The new bytes are on disk: the copy has done its work.
    DiscardInPlaceCopy(info);
    return stamp;
}

}  // namespace detail

using namespace detail;

void DiscardInPlaceCopy(const InPlaceCopy& copy) {
    // The copy first: a record without its copy is dropped by the next listing.
    if (!copy.copy.empty()) ::unlink(copy.copy.c_str());
    if (!copy.record.empty()) ::unlink(copy.record.c_str());
}

std::vector<InPlaceCopy> StaleInPlaceCopies(const std::string& stateFolder) {
    std::vector<InPlaceCopy> copies;
    DIR* dir = ::opendir(stateFolder.c_str());
    if (!dir) return copies;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (!name.starts_with("inplace-") || !name.ends_with(".record")) continue;
        const std::string record = stateFolder + "/" + std::string(name);
        std::optional<InPlaceCopy> copy = ReadRecord(record);
        if (!copy || copy->pid == static_cast<long>(::getpid()) || ProcessRunning(copy->pid)) continue;
        struct stat st;
        if (::stat(copy->copy.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
            ::unlink(record.c_str());
            continue;
        }
        if (::stat(record.c_str(), &st) == 0) copy->madeNs = ModifiedNs(st);
        copies.push_back(std::move(*copy));
    }
    ::closedir(dir);
    std::sort(copies.begin(), copies.end(), [](const InPlaceCopy& a, const InPlaceCopy& b) { return a.madeNs < b.madeNs; });
    return copies;
}

bool InPlaceCopyMatchesTarget(const InPlaceCopy& copy) {
    FileStamp old, now;
    try {
        ReadFilePieces(copy.copy, [](std::string_view, size_t) { return true; }, &old);
        ReadFilePieces(copy.target, [](std::string_view, size_t) { return true; }, &now);
    } catch (const FileError&) {
        return false;
    }
    return old.known && now.known && old.size == now.size && old.hash == now.hash;
}

void RestoreInPlaceCopy(const InPlaceCopy& copy) {
    struct stat st;
    if (::stat(copy.copy.c_str(), &st) != 0) Fail("Cannot read", copy.copy, errno);
    mode_t mask = ::umask(0);
    ::umask(mask);
    Fd fd(::open(copy.target.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666 & ~mask));
    if (fd.get() < 0) Fail("Cannot write", copy.target, errno);
    struct stat target;
    if (::fstat(fd.get(), &target) != 0 || !S_ISREG(target.st_mode))
        throw FileError("Cannot write \"" + copy.target + "\": it is not a regular file");
    if (int err = PutBack(fd.get(), copy.copy, st.st_size, copy.modifiedNs)) Fail("Cannot write", copy.target, err);
    DiscardInPlaceCopy(copy);
}

}  // namespace platform
