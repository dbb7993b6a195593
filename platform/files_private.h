// What the two halves of the file layer share: the replacing save and reading (files.cpp) and the
// in-place save with its copies of old bytes (files_inplace.cpp). Not for use elsewhere.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <string_view>

#include "platform/files.h"

namespace platform::detail {

[[noreturn]] void Fail(const std::string& what, const std::string& path, int err);
std::string Reason(int err);

// Closes a descriptor on every way out.
class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { if (fd_ >= 0) ::close(fd_); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    int release() { int f = fd_; fd_ = -1; return f; }
    void reset(int fd = -1) { if (fd_ >= 0) ::close(fd_); fd_ = fd; }
private:
    int fd_;
};

// Writes all bytes at the descriptor's position (or at `offset` when it is not negative);
// returns 0 or the error.
int WriteAll(int fd, std::string_view bytes, off_t offset = -1);
std::string FolderOf(const std::string& path);
std::string NameOf(const std::string& path);
// The stamp of an open file holding `bytes`.
FileStamp StampOf(int fd, std::string_view bytes);
std::int64_t ModifiedNs(const struct stat& st);
// The test hook's answer for a step: 0, or an error to fail it with.
SaveStepHook& Hook();
int AtStep(SaveStep step);
bool ProcessRunning(long pid);
// Makes a folder and those above it, for the owner only where it is made.
bool MakeFolders(const std::string& folder);
void SyncFolder(const std::string& folder);

// Rewrites the existing regular file `target` (named `path` by the user) in place, safely.
FileStamp WriteInPlace(const std::string& path, const std::string& target, std::string_view bytes);

}  // namespace platform::detail
