// The main window's files on disk: saving the text or the dictionary only over a file that is
// still the one it read (or with the user's word), taking over a name once its file is written,
// and noticing another program's change when the window becomes active again. (The files an
// in-place save killed part way left are offered at start with the recovery copies: recovery.cpp.)
#include <QAction>
#include <filesystem>

#include "app/umekalon.h"
#include "platform/cancel.h"
#include "platform/files.h"
#include "platform/services.h"

namespace {

std::string NamePart(const std::string& path) { return std::filesystem::path(path).filename().string(); }

// Whether `path` names the file that `own` names and `stamp` describes: the same name, or the same
// file on disk under another name.
bool IsOwnFile(const std::string& path, const std::string& own, const platform::FileStamp& stamp) {
    if (path == own) return true;
    if (!stamp.known) return false;
    const platform::FileStamp now = platform::StatStamp(path);
    return now.known && now.device == stamp.device && now.inode == stamp.inode;
}

// The same file, size and time: what a change already told of looks like still.
bool SameStat(const platform::FileStamp& a, const platform::FileStamp& b) {
    return a.known && b.known && a.device == b.device && a.inode == b.inode && a.size == b.size &&
           a.modifiedNs == b.modifiedNs;
}

bool Ask(const std::string& question) { return platform::Current().AskQuestion(question) == platform::mrYes; }

}  // namespace

bool Tfmekalon::AgreeToOverwrite(const std::string& path, const std::string& own, platform::FileStamp& stamp) {
    if (!stamp.known || !IsOwnFile(path, own, stamp)) return true;
    // A file deleted since is written again without a question.
    if (platform::CheckOnDisk(path, stamp) != platform::DiskState::Changed) return true;
    return Ask(NamePart(path) + " was changed on disk by another program since it was opened. Save over it?");
}

bool Tfmekalon::SaveTextAs(const std::string& path, const platform::TextFormat& format) {
    if (!AgreeToOverwrite(path, textfile, Tm1->Document().DiskStamp)) return false;
    const size_t replaced = Tm1->Document().FileReplacements;
    if (replaced > 0 && IsOwnFile(path, textfile, Tm1->Document().DiskStamp)) {
        const std::string what = replaced == 1 ? std::string("the character") : std::to_string(replaced) + " characters";
        if (!Ask("Saving over " + NamePart(path) + " writes " + what + " that TIS-620 lacks as \"?\": " +
                 (replaced == 1 ? "it was" : "they were") + " replaced when it was opened. Save over it?"))
            return false;
    }
    Tm1->SaveFile(path, format);
    textfile = path;
    textNotified_ = {};
    SetTitle();
    return true;
}

bool Tfmekalon::SaveDictionaryAs(const std::string& path, const platform::TextFormat& format) {
    if (!AgreeToOverwrite(path, dicfile, dicstamp)) return false;
    dicstamp = platform::WriteTextFile(path, diclist.ToBytes(), format);
    dicformat = format;
    dicfile = path;
    dicNotified_ = {};
    dicchanged = false;
    return true;
}

void Tfmekalon::ReloadText() { OpenFile(textfile); }

void Tfmekalon::ReloadDictionary() { OpenDictionary(dicfile); }

void Tfmekalon::CheckFileOnDisk(const std::string& path, platform::FileStamp& stamp, platform::FileStamp& notified,
                                bool modified, void (Tfmekalon::*reload)()) {
    if (!stamp.known) return;
    const platform::FileStamp now = platform::StatStamp(path);
    if (SameStat(now, notified)) return;  // told of already
    if (platform::CheckOnDisk(path, stamp) != platform::DiskState::Changed) return;
    notified = now;
    const std::string name = NamePart(path);
    if (!modified) {
        if (Ask(name + " was changed on disk by another program. Reload it?")) (this->*reload)();
        return;
    }
    platform::Current().ShowMessage(name + " was changed on disk by another program. Your changes are kept; saving "
                                    "will ask before writing over the file.");
}

void Tfmekalon::CheckFilesOnDisk() {
    // The questions below reactivate the window when they close: one check at a time. While a
    // long job (Wordlist, a print) lets events run, nothing is reloaded under it: the next
    // activation looks again.
    if (checkingDisk_ || platform::AnyJobRunning()) return;
    checkingDisk_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{checkingDisk_};
    CheckFileOnDisk(textfile, Tm1->Document().DiskStamp, textNotified_, Tm1->Modified, &Tfmekalon::ReloadText);
    CheckFileOnDisk(dicfile, dicstamp, dicNotified_, dicchanged, &Tfmekalon::ReloadDictionary);
}
