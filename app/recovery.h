// Crash recovery: while the main window's text or dictionary is modified, a copy of its bytes is
// kept in a recovery file under $XDG_STATE_HOME/mekalon/ (~/.local/state/mekalon/ by default), so
// that a program that is killed loses at most the last interval of work (15 s). A clean save, New,
// Open or an unchanged text removes the copy; a normal end removes this run's copies. At the next
// start the copies that a program no longer running left behind, and that are newer than their
// file, are offered through the message box: yes restores the bytes as a modified text (or
// dictionary) under the file's name, no deletes the copy, cancel leaves it for another start.
//
// One copy per file, named after a hash of the file's absolute path; an unnamed text or
// dictionary has one per process. A copy is written to a temporary file and renamed over the
// old one, so a copy on disk is always whole.
#pragma once

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class Tfmekalon;

namespace recovery {

enum class Kind { Text, Dictionary };

struct Copy {
    Kind kind = Kind::Text;
    std::string target;  // absolute path of the text or dictionary file; empty when unnamed
    long pid = 0;        // the process that wrote the copy
    std::string bytes;   // the text (every line followed by CR LF) or the dictionary file bytes
    std::string file;    // the recovery file it was read from
};

// $XDG_STATE_HOME/mekalon, or ~/.local/state/mekalon when that is not set to an absolute path.
std::string Folder();
// The idle interval in milliseconds: MEKALON_RECOVERY_INTERVAL_MS when set to a positive number
// (for tests), 15000 otherwise.
int Interval();

// The recovery file of a copy in `folder`.
std::string FileFor(const std::string& folder, Kind kind, const std::string& target, long pid);
// Writes the copy to FileFor(...) atomically; the folder is made when missing (owner only), the
// file is readable by its owner only. Throws platform::FileError.
std::string Write(const std::string& folder, const Copy& copy);
// Reads a recovery file; nothing when it is not one.
std::optional<Copy> Read(const std::string& file);
// The copies of one kind that a program no longer running left in `folder` and that are newer
// than their file (or whose file is unnamed or gone), newest first. Copies older than their file
// are out of date (the file was saved after them) and are removed.
std::vector<Copy> Pending(const std::string& folder, Kind kind);

// Keeps the recovery files of the main window; a child of the window, ending with it.
class TRecovery : public QObject {
public:
    TRecovery(Tfmekalon& window, std::string folder, int intervalMs);
    ~TRecovery() override;  // a normal end: this run's copies go

    // Offers the pending copies, text first, then dictionary; one question each until one of a
    // kind is restored.
    void OfferAtStart();
    // Brings the copies up to date: writes what changed since the last copy, removes the copy of
    // a text or dictionary that is no longer modified. Runs every interval and before a long
    // command.
    void Flush();

    const std::string& TextCopy() const { return text_.file; }  // the current copy, or empty
    const std::string& DictionaryCopy() const { return dictionary_.file; }

private:
    struct Slot {
        std::string file;  // the copy on disk, empty when there is none
        std::uint64_t version = 0;
    };
    void Keep(Slot& slot, Kind kind, bool modified, const std::string& name, std::uint64_t version);
    // Asks about one copy and restores it on yes; `stop` is set when no more copies of its kind
    // are to be offered (one was restored, or the question was cancelled).
    bool Restore(const Copy& copy, bool& stop);
    static void Remove(Slot& slot);

    Tfmekalon& window_;
    std::string folder_;
    QTimer timer_;
    std::uint64_t textVersion_ = 1;  // grows with every change of the editor's lines
    Slot text_, dictionary_;
    bool reported_ = false;  // a failed write is reported once, on stderr
};

// Starts crash recovery for the program's main window: offers what a killed run left, then keeps
// the copies (in Folder(), every Interval()).
void Start(Tfmekalon& window);

}  // namespace recovery
