// Crash recovery: the recovery files (naming, atomic writing, reading, the copies ended programs
// left), the offer at start, and the upkeep of the main window's copies. See recovery.h.
#include "app/recovery.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/umekalon.h"
#include "platform/files.h"
#include "platform/qt_events.h"
#include "platform/services.h"
#include "platform/textcodec.h"

namespace recovery {

namespace {

namespace fs = std::filesystem;

// Version 1 copies (still read) named the program by its process id alone.
constexpr const char* kMagic1 = "MEKALON RECOVERY 1";
constexpr const char* kMagic = "MEKALON RECOVERY 2";
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

std::string FirstLineOf(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

// When a process started: the boot it runs in and its start in clock ticks after that boot
// (the 22nd field of /proc/PID/stat; the command name before it may hold spaces and brackets).
std::string StartedOf(long pid) {
    static const std::string boot = FirstLineOf("/proc/sys/kernel/random/boot_id");
    const std::string stat = FirstLineOf("/proc/" + std::to_string(pid) + "/stat");
    const size_t name = stat.rfind(')');
    if (boot.empty() || name == std::string::npos) return {};
    std::istringstream fields(stat.substr(name + 1));
    std::string field;
    for (int i = 3; i <= 22 && fields >> field; ++i)
        if (i == 22) return boot + " " + field;
    return {};
}

bool ProcessExists(long pid) {
    if (pid <= 0) return false;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

std::string FileNamePart(const std::string& path) { return fs::path(path).filename().string(); }

std::string TimeText(std::int64_t nanoseconds) {
    const std::time_t seconds = static_cast<std::time_t>(nanoseconds / 1000000000);
    std::tm local {};
    char text[32] = "";
    if (::localtime_r(&seconds, &local)) std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

}  // namespace

// ---- Programs --------------------------------------------------------------------------------

const Instance& Self() {
    static const Instance self{static_cast<long>(::getpid()), StartedOf(::getpid())};
    return self;
}

std::optional<Instance> InstanceOf(long pid) {
    if (!ProcessExists(pid)) return std::nullopt;
    return Instance{pid, StartedOf(pid)};
}

bool Running(const Instance& instance) {
    const std::optional<Instance> now = InstanceOf(instance.pid);
    if (!now) return false;
    // The same id with another start time is another program that got the id later.
    return instance.started.empty() || now->started.empty() || now->started == instance.started;
}

// ---- Recovery files --------------------------------------------------------------------------

std::string Folder() { return platform::StateFolder(); }

std::string FileFor(const std::string& folder, Kind kind, const std::string& target, const Instance& owner) {
    char name[96];
    const char* prefix = kind == Kind::Text ? "text" : "dic";
    const auto started = static_cast<unsigned>(Hash(owner.started) & 0xFFFFFFFFu);
    if (target.empty())
        std::snprintf(name, sizeof name, "%s-noname-%ld-%08x.rec", prefix, owner.pid, started);
    else
        std::snprintf(name, sizeof name, "%s-%016llx-%ld-%08x.rec", prefix,
                      static_cast<unsigned long long>(Hash(target)), owner.pid, started);
    return folder + "/" + name;
}

std::string Write(const std::string& folder, const Copy& copy) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) throw platform::FileError("Cannot create the recovery folder " + folder + ": " + ec.message());
    ::chmod(folder.c_str(), 0700);

    std::string data = kMagic;
    data += copy.kind == Kind::Text ? "\ntext\n" : "\ndic\n";
    data += std::to_string(copy.owner.pid) + "\n" + copy.owner.started + "\n";
    data += std::to_string(copy.target.size()) + "\n" + copy.target + "\n";
    data += copy.bytes;

    // Written as a save is: whole or not at all, and readable by its owner only. A copy that could
    // not be read back is not written.
    const std::string file = FileFor(folder, copy.kind, copy.target, copy.owner);
    if (data.size() > platform::LargestReadableFile())
        throw platform::FileError("Cannot write " + file + ": the copy would be " + platform::TooLargeReason());
    platform::WriteFileBytes(file, data, 0600);
    return file;
}

std::optional<Copy> Read(const std::string& file) {
    std::string data;
    try {
        data = platform::ReadFileBytes(file);
    } catch (const platform::FileError&) {
        return std::nullopt;
    }
    // The header's lines, each up to its LF.
    size_t at = 0;
    auto line = [&](std::string& out) {
        if (at >= data.size()) return false;
        const size_t end = std::min(data.find('\n', at), data.size());
        out.assign(data, at, end - at);
        at = end + 1;
        return true;
    };
    std::string magic, kind, pid, length;
    if (!line(magic) || (magic != kMagic && magic != kMagic1) || !line(kind) || !line(pid)) return std::nullopt;
    Copy copy;
    copy.file = file;
    if (magic == kMagic && !line(copy.owner.started)) return std::nullopt;
    if (!line(length)) return std::nullopt;
    if (kind == "text")
        copy.kind = Kind::Text;
    else if (kind == "dic")
        copy.kind = Kind::Dictionary;
    else
        return std::nullopt;
    char* end = nullptr;
    copy.owner.pid = std::strtol(pid.c_str(), &end, 10);
    if (end == pid.c_str() || *end) return std::nullopt;
    const unsigned long size = std::strtoul(length.c_str(), &end, 10);
    if (end == length.c_str() || *end || size > 65536) return std::nullopt;
    if (at > data.size() || data.size() - at < size + 1 || data[at + size] != '\n') return std::nullopt;
    copy.target.assign(data, at, size);
    data.erase(0, at + size + 1);
    copy.bytes = std::move(data);
    return copy;
}

std::vector<LeftCopy> LeftBehind(const std::string& folder) {
    std::vector<LeftCopy> found;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
        const std::string file = entry.path().string();
        if (entry.path().extension() != ".rec" || !entry.is_regular_file(ec)) continue;
        std::optional<Copy> copy = Read(file);
        if (!copy || copy->owner == Self() || Running(copy->owner)) continue;
        const auto at = ModifiedAt(file);
        if (!at) continue;
        LeftCopy left{std::move(*copy), *at, false};
        if (!left.copy.target.empty()) {
            const auto changed = ModifiedAt(left.copy.target);
            left.fileNewer = changed && *changed > *at;
        }
        found.push_back(std::move(left));
    }
    std::sort(found.begin(), found.end(), [](const LeftCopy& a, const LeftCopy& b) { return a.at > b.at; });
    return found;
}

// ---- The offer at start ----------------------------------------------------------------------

std::string Question(const Offer& offer) {
    const bool dictionary = offer.what == Offer::What::Dictionary;
    const std::string name =
        offer.target.empty() ? (dictionary ? kUnnamedDictionary : kUnnamedText) : FileNamePart(offer.target);
    // A file a save left part way is named in full: it is the file on disk that is asked about.
    std::string text = offer.what == Offer::What::CutOffSave
                           ? "Saving " + offer.target + " was interrupted at " + TimeText(offer.at) +
                                 " and may have left it incomplete. Put back the file as it was before that save?"
                           : "Restore unsaved " + name + " from " + TimeText(offer.at) + "?";
    if (offer.fileNewer && offer.what != Offer::What::CutOffSave) text += " The file on disk is newer.";
    return text;
}

std::vector<Offer> CutOffSaveOffers(const std::string& stateFolder) {
    std::vector<Offer> offers;
    for (const platform::InPlaceCopy& copy : platform::StaleInPlaceCopies(stateFolder)) {
        if (platform::InPlaceCopyMatchesTarget(copy)) {  // stopped before it wrote anything
            platform::DiscardInPlaceCopy(copy);
            continue;
        }
        Offer offer;
        offer.what = Offer::What::CutOffSave;
        offer.target = copy.target;
        offer.at = copy.madeNs;
        offer.restore = [copy] { platform::RestoreInPlaceCopy(copy); };
        offer.discard = [copy] { platform::DiscardInPlaceCopy(copy); };
        offers.push_back(std::move(offer));
    }
    return offers;
}

bool AskAbout(std::vector<Offer>& offers) {
    bool textTaken = false, dictionaryTaken = false;
    for (Offer& offer : offers) {
        bool* taken = offer.what == Offer::What::Text         ? &textTaken
                      : offer.what == Offer::What::Dictionary ? &dictionaryTaken
                                                              : nullptr;
        if (taken && *taken) continue;  // the window holds one: this one waits for another start
        const int answer = platform::Current().AskQuestion(Question(offer));
        if (answer == platform::mrNo) {
            if (offer.discard) platform::RunCommand(offer.discard);
        } else if (answer == platform::mrYes) {
            bool restored = false;
            platform::RunCommand([&] {  // a restore that fails is reported; its copy stays
                if (offer.restore) offer.restore();
                restored = true;
            });
            if (taken) *taken = restored;
        } else {
            return false;  // cancel: this one and the rest stay for another start
        }
    }
    return true;
}

// ---- The main window's copies ----------------------------------------------------------------

TRecovery::TRecovery(Tfmekalon& window, std::string folder, int intervalMs)
    : QObject(&window), window_(window), folder_(std::move(folder)) {
    // Every change of the editor's text is told to the document's watchers.
    textWatch_ = window_.Tm1->Document().AddWatcher({.textChanged = [this](int) {
        ++textVersion_;
        lastChange_ = std::chrono::steady_clock::now();
    }});
    window_.BeforeLongCommand = [this] { Flush(); };
    // The close questions were answered: the work was saved or the user let it go.
    window_.AfterCloseAllowed = [this] {
        timer_.stop();
        rest_.stop();
        Remove(text_);
        Remove(dictionary_);
        released_ = true;
    };
    // The copies of old bytes that in-place saves keep in the same folder.
    AddOfferSource([folder = folder_] { return CutOffSaveOffers(folder); });
    intervalMs_ = intervalMs;
    timer_.setInterval(intervalMs);
    platform::OnTimeout(timer_, this, [this] { Due(); });
    timer_.start();
    rest_.setSingleShot(true);
    platform::OnTimeout(rest_, this, [this] { Due(); });
}

void TRecovery::Due() {
    using std::chrono::milliseconds;
    const auto now = std::chrono::steady_clock::now();
    if (!due_) {
        due_ = true;
        dueSince_ = now;
    }
    const milliseconds rest(std::min(kRestMs, intervalMs_));
    const auto rested = now - lastChange_;
    if (rested >= rest || now - dueSince_ >= milliseconds(intervalMs_)) {
        due_ = false;
        rest_.stop();
        Flush();
        return;
    }
    rest_.start(static_cast<int>(std::chrono::duration_cast<milliseconds>(rest - rested).count()) + 1);
}

TRecovery::~TRecovery() {
    // The window (and its editor) may be gone already: only the files are touched here. A run that
    // ends without the close questions keeps its copies for the next start.
    if (!released_) return;
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
    const std::string file = FileFor(folder_, kind, target, Self());
    // Written again when it changed, and when someone took the copy away.
    if (file == slot.file && version == slot.version && ModifiedAt(file)) return;
    try {
        Copy copy{kind, target, Self(), kind == Kind::Text ? window_.Tm1->JoinedText() : window_.diclist.ToBytes(), {}};
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
    if (released_) return;
    Keep(text_, Kind::Text, window_.Tm1->Modified, window_.textfile, textVersion_);
    Keep(dictionary_, Kind::Dictionary, window_.dicchanged, window_.dicfile, window_.diclist.Version());
}

void TRecovery::Restore(const Copy& copy) {
    const bool text = copy.kind == Kind::Text;
    if (text) {
        TThaimemo& memo = *window_.Tm1;
        memo.Clear();
        memo.Lines.Assign(SplitLines(copy.bytes));
        memo.Document().FileFormat = platform::TextFileFormat(copy.target);  // saved back as its file is written
        // Another program's change from now on is noticed as for an opened file.
        memo.Document().DiskStamp = copy.target.empty() ? platform::FileStamp{} : platform::StatStamp(copy.target);
        memo.Modified = true;
        memo.PaintRows(0, memo.RowCount, 0, memo.ColCount);
        memo.DrawCaret();
        window_.textfile = copy.target.empty() ? kUnnamedText : copy.target;
        window_.SetTitle();
    } else {
        window_.diclist.LoadFromBytes(copy.bytes);
        window_.dicformat = platform::TextFileFormat(copy.target);
        window_.dicstamp = copy.target.empty() ? platform::FileStamp{} : platform::StatStamp(copy.target);
        window_.dicfile = copy.target.empty() ? kUnnamedDictionary : copy.target;
        window_.dictname->setText(
            QString::fromLocal8Bit(copy.target.empty() ? kUnnamedDictionary : FileNamePart(copy.target)));
        window_.dicchanged = true;
    }
    window_.ShowStatus();
    // This run's copy is there before the old one goes.
    Flush();
    const Slot& slot = text ? text_ : dictionary_;
    if (!slot.file.empty() && slot.file != copy.file) ::unlink(copy.file.c_str());
}

std::vector<Offer> TRecovery::CopyOffers() {
    std::vector<Offer> offers;
    for (LeftCopy& left : LeftBehind(folder_)) {
        Offer offer;
        offer.what = left.copy.kind == Kind::Text ? Offer::What::Text : Offer::What::Dictionary;
        offer.target = left.copy.target;
        offer.at = left.at;
        offer.fileNewer = left.fileNewer;
        offer.discard = [file = left.copy.file] { ::unlink(file.c_str()); };
        offer.restore = [this, copy = std::move(left.copy)] { Restore(copy); };
        offers.push_back(std::move(offer));
    }
    return offers;
}

void TRecovery::OfferAtStart() {
    // Files a killed in-place save left part way are put back first: the copies of unsaved work
    // below are then told against the files as they will stay.
    std::vector<Offer> first;
    for (const auto& source : sources_)
        for (Offer& offer : source()) first.push_back(std::move(offer));
    std::stable_sort(first.begin(), first.end(), [](const Offer& a, const Offer& b) { return a.at > b.at; });
    if (!AskAbout(first)) return;
    // Then texts, then dictionaries, each newest first.
    std::vector<Offer> copies = CopyOffers();
    std::stable_sort(copies.begin(), copies.end(), [](const Offer& a, const Offer& b) {
        return a.what == Offer::What::Text && b.what != Offer::What::Text;
    });
    AskAbout(copies);
}

void Start(Tfmekalon& window, int intervalMs) {
    auto* keeper = new TRecovery(window, Folder(), intervalMs);  // owned by the window
    platform::RunCommand([keeper] { keeper->OfferAtStart(); });
}

}  // namespace recovery
