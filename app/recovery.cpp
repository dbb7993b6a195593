// Crash recovery: the recovery files (naming, atomic writing, reading, the pending copies) and
// their upkeep for the main window. See recovery.h.
#include "app/recovery.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QLabel>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/umekalon.h"
#include "app/umsgbox.h"
#include "platform/files.h"
#include "platform/qt_services.h"
#include "platform/textcodec.h"

namespace recovery {

namespace {

namespace fs = std::filesystem;

constexpr const char* kMagic = "MEKALON RECOVERY 1";
constexpr const char* kUnnamedText = "noname.txt";
constexpr const char* kUnnamedDictionary = "noname.dic";

std::uint64_t Hash(const std::string& s) {  // FNV-1a
    std::uint64_t h = 1469598103934665603ull;
    for (unsigned char c : s) h = (h ^ c) * 1099511628211ull;
    return h;
}

// The absolute path of a file name of the window; empty for the unnamed text or dictionary.
std::string Target(const std::string& name, Kind kind) {
    if (name == (kind == Kind::Text ? kUnnamedText : kUnnamedDictionary)) return {};
    std::error_code ec;
    const fs::path absolute = fs::absolute(name, ec);
    return ec ? name : absolute.lexically_normal().string();
}

// Modification time in nanoseconds; nothing when the file is missing.
std::optional<std::int64_t> ModifiedAt(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

bool Running(long pid) {
    if (pid <= 0) return false;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

std::string FileNamePart(const std::string& path) { return fs::path(path).filename().string(); }

}  // namespace

std::string Folder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && state[0] == '/') return std::string(state) + "/mekalon";
    const char* home = std::getenv("HOME");
    return std::string(home && home[0] ? home : "/tmp") + "/.local/state/mekalon";
}

int Interval() {
    if (const char* value = std::getenv("MEKALON_RECOVERY_INTERVAL_MS")) {
        char* end = nullptr;
        const long ms = std::strtol(value, &end, 10);
        if (end != value && *end == '\0' && ms > 0 && ms <= 3600000) return static_cast<int>(ms);
    }
    return 15000;
}

std::string FileFor(const std::string& folder, Kind kind, const std::string& target, long pid) {
    char name[64];
    if (target.empty())
        std::snprintf(name, sizeof name, "%s-noname-%ld.rec", kind == Kind::Text ? "text" : "dic", pid);
    else
        std::snprintf(name, sizeof name, "%s-%016llx.rec", kind == Kind::Text ? "text" : "dic",
                      static_cast<unsigned long long>(Hash(target)));
    return folder + "/" + name;
}

std::string Write(const std::string& folder, const Copy& copy) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) throw platform::FileError("Cannot create the recovery folder " + folder + ": " + ec.message());
    ::chmod(folder.c_str(), 0700);

    std::string data = kMagic;
    data += copy.kind == Kind::Text ? "\ntext\n" : "\ndic\n";
    data += std::to_string(copy.pid) + "\n" + std::to_string(copy.target.size()) + "\n" + copy.target + "\n";
    data += copy.bytes;

    const std::string file = FileFor(folder, copy.kind, copy.target, copy.pid);
    const std::string temporary = file + ".tmp-" + std::to_string(::getpid());
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) throw platform::FileError("Cannot write " + temporary + ": " + std::strerror(errno));
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int error = errno;
            ::close(fd);
            ::unlink(temporary.c_str());
            throw platform::FileError("Cannot write " + temporary + ": " + std::strerror(error));
        }
        done += static_cast<size_t>(n);
    }
    const bool synced = ::fsync(fd) == 0;
    if (::close(fd) != 0 || !synced || ::rename(temporary.c_str(), file.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        throw platform::FileError("Cannot write " + file + ": " + std::strerror(error));
    }
    return file;
}

std::optional<Copy> Read(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::string magic, kind, pid, length;
    if (!std::getline(in, magic) || magic != kMagic || !std::getline(in, kind) || !std::getline(in, pid) ||
        !std::getline(in, length))
        return std::nullopt;
    Copy copy;
    copy.file = file;
    if (kind == "text")
        copy.kind = Kind::Text;
    else if (kind == "dic")
        copy.kind = Kind::Dictionary;
    else
        return std::nullopt;
    char* end = nullptr;
    copy.pid = std::strtol(pid.c_str(), &end, 10);
    if (end == pid.c_str() || *end) return std::nullopt;
    const unsigned long size = std::strtoul(length.c_str(), &end, 10);
    if (end == length.c_str() || *end || size > 65536) return std::nullopt;
    copy.target.resize(size);
    if (!in.read(copy.target.data(), static_cast<std::streamsize>(size)) || in.get() != '\n') return std::nullopt;
    std::ostringstream rest;
    rest << in.rdbuf();
    copy.bytes = rest.str();
    return copy;
}

std::vector<Copy> Pending(const std::string& folder, Kind kind) {
    struct Found {
        Copy copy;
        std::int64_t at;
    };
    std::vector<Found> found;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
        const std::string file = entry.path().string();
        if (entry.path().extension() != ".rec" || !entry.is_regular_file(ec)) continue;
        std::optional<Copy> copy = Read(file);
        if (!copy || copy->kind != kind) continue;
        if (copy->pid == ::getpid() || Running(copy->pid)) continue;
        const auto at = ModifiedAt(file);
        if (!at) continue;
        if (!copy->target.empty()) {
            const auto saved = ModifiedAt(copy->target);
            if (saved && *saved >= *at) {  // saved after the copy was made
                ::unlink(file.c_str());
                continue;
            }
        }
        found.push_back({std::move(*copy), *at});
    }
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) { return a.at > b.at; });
    std::vector<Copy> copies;
    for (Found& f : found) copies.push_back(std::move(f.copy));
    return copies;
}

// ---- The main window's copies ----------------------------------------------------------------

TRecovery::TRecovery(Tfmekalon& window, std::string folder, int intervalMs)
    : QObject(&window), window_(window), folder_(std::move(folder)) {
    // Every change of the editor's lines goes through the line store's notification.
    auto previous = window_.Tm1->Lines.OnChange;
    window_.Tm1->Lines.OnChange = [this, previous](int longestWritten) {
        ++textVersion_;
        if (previous) previous(longestWritten);
    };
    window_.BeforeLongCommand = [this] { Flush(); };
    timer_.setInterval(intervalMs);
    connect(&timer_, &QTimer::timeout, this, [this] { Flush(); });
    timer_.start();
}

TRecovery::~TRecovery() {
    // The window (and its editor) may be gone already: only the files are touched here.
    Remove(text_);
    Remove(dictionary_);
}

void TRecovery::Remove(Slot& slot) {
    if (!slot.file.empty()) ::unlink(slot.file.c_str());
    slot = Slot{};
}

void TRecovery::Keep(Slot& slot, Kind kind, bool modified, const std::string& name, std::uint64_t version) {
    if (!modified) {
        Remove(slot);
        return;
    }
    const std::string target = Target(name, kind);
    const std::string file = FileFor(folder_, kind, target, ::getpid());
    if (file == slot.file && version == slot.version) return;
    try {
        Copy copy{kind, target, static_cast<long>(::getpid()),
                  kind == Kind::Text ? window_.Tm1->JoinedText() : window_.diclist.ToBytes(), {}};
        Write(folder_, copy);
    } catch (const platform::FileError& e) {
        // The user's work is untouched; only the copy is missing. Said once, not every interval.
        if (!reported_) std::fprintf(stderr, "mekalon: no recovery copy: %s\n", e.what());
        reported_ = true;
        return;
    }
    if (!slot.file.empty() && slot.file != file) ::unlink(slot.file.c_str());  // renamed: the old copy goes
    slot.file = file;
    slot.version = version;
}

void TRecovery::Flush() {
    Keep(text_, Kind::Text, window_.Tm1->Modified, window_.textfile, textVersion_);
    Keep(dictionary_, Kind::Dictionary, window_.dicchanged, window_.dicfile, window_.diclist.Version());
}

bool TRecovery::Restore(const Copy& copy, bool& stop) {
    const bool text = copy.kind == Kind::Text;
    const std::string name = copy.target.empty() ? (text ? kUnnamedText : kUnnamedDictionary) : FileNamePart(copy.target);
    fmsgbox->Label1->setText(QString::fromLocal8Bit("Restore unsaved " + name + "?"));
    const int answer = platform::CurrentQt().ShowModal(*fmsgbox);
    if (answer == platform::mrNo) {
        ::unlink(copy.file.c_str());
        return false;
    }
    if (answer != platform::mrYes) {  // cancel: kept for another start, no more questions of this kind
        stop = true;
        return false;
    }
    if (text) {
        TThaimemo& memo = *window_.Tm1;
        memo.Clear();
        memo.Lines.Assign(SplitLines(copy.bytes));
        memo.FileFormat = platform::TextFileFormat(copy.target);  // saved back as its file is written
        memo.Modified = true;
        memo.PaintRows(0, memo.RowCount, 0, memo.ColCount);
        memo.DrawCaret();
        window_.textfile = copy.target.empty() ? kUnnamedText : copy.target;
        window_.SetTitle();
    } else {
        window_.diclist.LoadFromBytes(copy.bytes);
        window_.dicformat = platform::TextFileFormat(copy.target);
        window_.dicfile = copy.target.empty() ? kUnnamedDictionary : copy.target;
        window_.dictname->setText(QString::fromLocal8Bit(name));
        window_.dicchanged = true;
    }
    // This run's copy is there before the old one goes.
    Flush();
    const Slot& slot = text ? text_ : dictionary_;
    if (!slot.file.empty() && slot.file != copy.file) ::unlink(copy.file.c_str());
    stop = true;
    return true;
}

void TRecovery::OfferAtStart() {
    // Files a killed in-place save left part way are put back first, with their old time, so
    // that the copies below still count as newer than their files.
    OfferInterruptedSaves(folder_);
    for (Kind kind : {Kind::Text, Kind::Dictionary}) {
        bool stop = false;
        for (const Copy& copy : Pending(folder_, kind)) {
            Restore(copy, stop);
            if (stop) break;
        }
    }
}

void Start(Tfmekalon& window) {
    auto* keeper = new TRecovery(window, Folder(), Interval());  // owned by the window
    platform::RunCommand([keeper] { keeper->OfferAtStart(); });
}

}  // namespace recovery
