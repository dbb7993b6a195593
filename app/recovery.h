// Crash recovery: while the main window's text or dictionary is modified, a copy of its bytes is
// kept in a recovery file under $XDG_STATE_HOME/mekalon/ (~/.local/state/mekalon/ by default), so
// that a program that is killed loses at most the last interval of work (15 s). A clean save, New,
// Open or an unchanged text removes the copy; so does a close that the close questions allowed
// (the work was saved, or the user let it go). Any other end leaves the copies where they are.
//
// Every running program keeps copies of its own: a copy is named after its file and after the
// program that wrote it (process id and start time), so two programs editing one file never
// replace or delete each other's copy. At the next start every copy of a program that no longer
// runs is offered through the message box, newest first, with its time and a word when the file
// on disk changed after it: yes restores the bytes as a modified text (or dictionary) under the
// file's name, no deletes the copy, cancel leaves it and the rest for another start. A copy is
// deleted only on the user's word or once its text is restored and this run's own copy holds it.
// The copies of old bytes that a save writing in place left when it was killed part way
// (platform/files.h) are offered first, in the same way: yes puts the file back.
//
// A copy is written to a temporary file and renamed over the old one, so a copy on disk is always
// whole.
#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "editor/document.h"

class Tfmekalon;

namespace recovery {

enum class Kind { Text, Dictionary };

// A running program: its process id and when it started, so that a later process that got the
// same id is not taken for it.
struct Instance {
    long pid = 0;
    std::string started;  // the boot and the start time in clock ticks; empty when not known
    bool operator==(const Instance&) const = default;
};
// This program.
const Instance& Self();
// The process with this id as it runs now; nothing when there is none.
std::optional<Instance> InstanceOf(long pid);
// Whether the program still runs. One whose start time is not known counts as running while a
// process has its id.
bool Running(const Instance& instance);

struct Copy {
    Kind kind = Kind::Text;
    std::string target;  // absolute path of the text or dictionary file; empty when unnamed
    Instance owner;      // the program that wrote the copy
    std::string bytes;   // the text (every line followed by CR LF) or the dictionary file bytes
    std::string file;    // the recovery file it was read from
};

// The program's state folder (platform::StateFolder): $XDG_STATE_HOME/mekalon, or
// ~/.local/state/mekalon when that is not set to an absolute path.
std::string Folder();
// How often the copies are brought up to date, in milliseconds.
inline constexpr int kIntervalMs = 15000;
// A copy that is due waits until the text has rested this long (or the interval is shorter), and
// at most one more interval: a copy of a large text takes a moment that should not fall between
// two keys.
inline constexpr int kRestMs = 1000;

// The recovery file of a copy in `folder`: one per file and program.
std::string FileFor(const std::string& folder, Kind kind, const std::string& target, const Instance& owner);
// Writes the copy to FileFor(...) atomically; the folder is made when missing (owner only), the
// file is readable by its owner only. Throws platform::FileError.
std::string Write(const std::string& folder, const Copy& copy);
// Reads a recovery file; nothing when it is not one.
std::optional<Copy> Read(const std::string& file);

// A copy that an ended program left.
struct LeftCopy {
    Copy copy;
    std::int64_t at = 0;     // when it was last written, nanoseconds since the epoch
    bool fileNewer = false;  // its file on disk was changed after that
};
// Every copy in `folder` whose program no longer runs, newest first. Nothing is deleted.
std::vector<LeftCopy> LeftBehind(const std::string& folder);

// One thing offered at start: what the user can get back, and the two answers.
struct Offer {
    // A copy of unsaved work, or the copy of a file's old bytes that a save writing in place
    // keeps until it is done, left by a save that was killed part way.
    enum class What { Text, Dictionary, CutOffSave };
    What what = What::Text;
    std::string target;      // the file it belongs to; empty for an unnamed text or dictionary
    std::int64_t at = 0;     // when the copy was made, nanoseconds since the epoch
    bool fileNewer = false;  // the file on disk was changed after the copy was made (unsaved work)
    std::function<void()> restore;  // yes; may throw (the error is reported, the copy stays)
    std::function<void()> discard;  // no
};
// The question the message box asks for an offer.
std::string Question(const Offer& offer);
// The files in-place saves killed part way left in `stateFolder`, as offers: yes puts the file
// back as it was before that save, no drops the copy. A copy whose file still holds its bytes (the
// save was stopped before it wrote anything) goes at once.
std::vector<Offer> CutOffSaveOffers(const std::string& stateFolder);
// Asks about each offer in turn through the message box: yes restores (a failure is reported and
// the offer stays), no discards, cancel keeps this one and the rest and gives false. Once a text
// (a dictionary) is restored, further texts (dictionaries) wait for another start: the window
// holds one of each.
bool AskAbout(std::vector<Offer>& offers);

// Keeps the recovery files of the main window; a child of the window, ending with it.
class TRecovery : public QObject {
public:
    TRecovery(Tfmekalon& window, std::string folder, int intervalMs);
    // Removes this run's copies only when the window's close was allowed (see above).
    ~TRecovery() override;

    // Offers what ended programs left (AskAbout): first what the offer sources give (the
    // cut-off saves in the folder), then texts, then dictionaries, each newest first.
    void OfferAtStart();
    // Adds a source of offers that OfferAtStart asks about before the copies of unsaved work.
    void AddOfferSource(std::function<std::vector<Offer>()> source) { sources_.push_back(std::move(source)); }
    // Brings the copies up to date: writes what changed since the last copy (or a copy that went
    // missing), removes the copy of a text or dictionary that is no longer modified. Runs every
    // interval and before a long command.
    void Flush();

    const std::string& TextCopy() const { return text_.file; }  // the current copy, or empty
    const std::string& DictionaryCopy() const { return dictionary_.file; }

private:
    struct Slot {
        std::string file;  // the copy on disk, empty when there is none
        std::uint64_t version = 0;
    };
    void Keep(Slot& slot, Kind kind, bool modified, const std::string& name, std::uint64_t version);
    // The offers for the copies that ended programs left in the folder.
    std::vector<Offer> CopyOffers();
    // Takes a left copy's bytes into the window as modified work; its file goes once this run's
    // own copy holds them.
    void Restore(const Copy& copy);
    static void Remove(Slot& slot);

    Tfmekalon& window_;
    std::string folder_;
    // The copies fall due every interval (timer_) and are written once the text rests (rest_).
    void Due();
    QTimer timer_, rest_;
    int intervalMs_ = kIntervalMs;
    std::chrono::steady_clock::time_point lastChange_, dueSince_;
    bool due_ = false;
    std::uint64_t textVersion_ = 1;  // grows with every change of the editor's lines
    TextDocument::Watch textWatch_;  // counts them
    Slot text_, dictionary_;
    std::vector<std::function<std::vector<Offer>()>> sources_;
    bool released_ = false;  // the close questions let the work go: the copies may go with it
    bool reported_ = false;  // a failed write is reported once, on stderr
};

// Starts crash recovery for the program's main window: offers what a killed run left, then keeps
// the copies (in Folder(), every `intervalMs`).
void Start(Tfmekalon& window, int intervalMs = kIntervalMs);

}  // namespace recovery
