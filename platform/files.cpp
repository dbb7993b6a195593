// Files as bytes, with a safe replace: a failed save never damages the file already on disk.
#include "platform/files.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

std::string ReadFileBytes(const std::string& path) {
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) Fail("Cannot open", path, errno);
    struct stat st;
    if (::fstat(fd.get(), &st) != 0) Fail("Cannot read", path, errno);
    if (S_ISDIR(st.st_mode)) Fail("Cannot read", path, EISDIR);
    std::string data;
    if (st.st_size > 0) data.reserve(static_cast<size_t>(st.st_size));
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd.get(), buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            Fail("Cannot read", path, errno);
        }
        if (n == 0) break;
        data.append(buf, static_cast<size_t>(n));
    }
    return data;
}

void WriteFileBytes(const std::string& path, std::string_view bytes) {
    if (path.empty()) Fail("Cannot create", path, ENOENT);
    const std::string target = ResolveLinks(path);
    const std::string folder = FolderOf(target);

    // Permissions of the file being replaced; a new file gets the usual ones (umask applies).
    struct stat old;
    bool hadOld = ::stat(target.c_str(), &old) == 0;
    if (hadOld && S_ISDIR(old.st_mode)) Fail("Cannot create", path, EISDIR);
    // A file the user may not write stays as it is, although the folder would allow replacing it.
    if (hadOld && ::access(target.c_str(), W_OK) != 0) Fail("Cannot create", path, errno);

    std::string tmpl = (folder == "/" ? std::string() : folder) + "/.mekalon-save-XXXXXX";
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    Fd fd(::mkstemp(name.data()));
    if (fd.get() < 0) Fail("Cannot create", path, errno);
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
    if (::fchmod(fd.get(), mode) != 0) failWith("Cannot write", errno);
    if (hadOld) {
        // Keep the group where allowed; failure to keep the owner is not an error.
        [[maybe_unused]] int ignored = ::fchown(fd.get(), static_cast<uid_t>(-1), old.st_gid);
    }

    const char* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd.get(), p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            failWith("Cannot write", errno);
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    if (::fsync(fd.get()) != 0) failWith("Cannot write", errno);
    int raw = fd.release();
    if (::close(raw) != 0) failWith("Cannot write", errno);
    if (::rename(tmp.c_str(), target.c_str()) != 0) failWith("Cannot write", errno);

    // Make the rename itself durable.
    Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) ::fsync(dir.get());
}

}  // namespace platform
