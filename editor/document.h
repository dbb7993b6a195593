// TextDocument: a text as the editor holds it, apart from any view of it: its lines, their undo
// history, the file it was read from or written to (name, encoding, line end, the file on disk as
// it was then) and whether it changed since. Nothing here draws or knows of a cursor.
//
// Whoever needs to know of changes (the views that show the text, crash recovery, the window's
// title and status bar) registers a DocumentWatcher in the document's list and keeps the Watch it
// gets back: the watcher is told until that Watch is reset or destroyed. Watchers are told in the
// order they registered; none replaces or wraps another.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "editor/history.h"
#include "editor/lines.h"
#include "platform/textcodec.h"

// What one watcher of a document is told; any hook may be left empty.
struct DocumentWatcher {
    // Every change of the lines, after Modified was set, with the byte length of the longest line
    // the change wrote (0 for a deletion).
    std::function<void(int longestWritten)> textChanged;
    // Modified turned on or off.
    std::function<void()> modifiedChanged;
    // What can be undone or redone may have changed.
    std::function<void()> historyChanged;
    // The file the text belongs to, or the way it is written, changed: a file was read or written,
    // or the text was cleared.
    std::function<void()> fileChanged;
};

class TextDocument {
    struct Watchers;

public:
    TextDocument();
    ~TextDocument();
    TextDocument(const TextDocument&) = delete;
    TextDocument& operator=(const TextDocument&) = delete;

    TLines Lines;
    // The undo history of Lines; it records once KeepHistory has run (the editor does).
    TextHistory History{Lines};
    // The text changed since it was last loaded or saved. Any change of Lines sets it.
    bool Modified = false;
    // Sets Modified and tells the watchers when it changed.
    void SetModified(bool modified);

    // ---- The joined text (every line followed by CR LF) ---------------------------------------
    std::string JoinedText() const;
    // A byte of the joined text as a line and a 0-based byte column: the columns of a line run up
    // to its length + 1 (its CR, then its LF); (line count, 0) is the end of the text.
    struct TextPoint {
        int line;
        int col;
    };
    // The byte at `offset` (at or past the end: the end). The work is near `hintLine`, a line at
    // or close to the answer.
    TextPoint PointAt(int offset, int hintLine) const;
    // Replaces the bytes [from, to) of the joined text by `text` and splits the result into lines
    // again, as one change of Lines; only the lines the range touches are rebuilt. `text` must
    // not hold a NUL. False when the change was refused (no memory to undo it, and the user said
    // so): the text is as it was.
    bool ReplaceJoined(int from, int to, std::string_view text, int hintLine);

    // ---- The file ---------------------------------------------------------------------------
    // The file the text was last read from or written to; empty for a new text (until its window
    // names it).
    std::string FileName;
    // How the text's file is written: set by a load, used by a save; a new text is TIS-620 with
    // CR LF.
    platform::TextFormat FileFormat;
    // The file as it was when the text was last loaded from it or saved to it (nothing known for
    // a new text): a save checks against it that no other program changed the file since.
    platform::FileStamp DiskStamp;
    // How many characters TIS-620 lacks were read as "?" when the file was loaded (the user
    // agreed); 0 once the text was saved.
    size_t FileReplacements = 0;

    // A file's text read and split into lines, not yet taken into a document.
    struct ReadText {
        std::string name;
        std::vector<std::string> lines;
        platform::TextFormat format;
        platform::FileStamp stamp;
        size_t replacements = 0;
    };
    // Reads a text file. A UTF-8 file with characters TIS-620 lacks is refused, or with
    // `askToReplace` read with "?" for each when the user agrees (declined: nothing). Throws
    // FileError. Changes no document.
    static std::optional<ReadText> ReadFile(const std::string& name, bool askToReplace);
    // Makes a text read by ReadFile the document's text, unmodified, with an empty history.
    void TakeFile(ReadText text);
    // Writes the text to a file in `format`, which the text takes over once the file is written;
    // the text is unmodified then. Throws FileError, and nothing changes.
    void SaveFile(const std::string& name, const platform::TextFormat& format);
    // Empties the text (a change when it held lines, which sets Modified) and forgets its file and
    // its history.
    void Clear();
    // The text counts as unchanged: Modified false, and undo back to here clears it again.
    void MarkUnmodified();

    // ---- History ------------------------------------------------------------------------------
    // Starts recording every change of Lines into History. A change whose record finds no memory
    // drops the older steps first; if that is not enough, the user decides before anything
    // changes.
    void KeepHistory();
    bool KeepsHistory() const { return keepsHistory_; }
    // Changes made outside any step are recorded with the cursor and selection that `view` gives:
    // the view that edits the text, named by `owner` so that only it takes it back.
    void SetHistoryView(const void* owner, std::function<ViewPoint()> view);
    void ForgetHistoryView(const void* owner);

    // ---- Watchers -----------------------------------------------------------------------------
    // A watcher's place in a document's list. Moving it moves the registration; resetting or
    // destroying it takes the watcher out. It may outlive the document (it then does nothing).
    class Watch {
    public:
        Watch() = default;
        ~Watch() { Reset(); }
        Watch(Watch&& other) noexcept;
        Watch& operator=(Watch&& other) noexcept;
        Watch(const Watch&) = delete;
        Watch& operator=(const Watch&) = delete;
        void Reset();
        // Still registered with a document that exists.
        bool Active() const;

    private:
        friend class TextDocument;
        Watch(std::weak_ptr<Watchers> list, std::uint64_t id) : list_(std::move(list)), id_(id) {}
        std::weak_ptr<Watchers> list_;
        std::uint64_t id_ = 0;
    };
    // Registers a watcher at the end of the list. A watcher added while the document tells its
    // watchers of a change hears from the next change on; one taken out then hears no more.
    [[nodiscard]] Watch AddWatcher(DocumentWatcher watcher);
    size_t WatcherCount() const;

private:
    template <class Hook, class... Args>
    void Tell(Hook DocumentWatcher::*hook, Args... args);
    void LinesChanged(int longestWritten);

    std::shared_ptr<Watchers> watchers_;
    bool keepsHistory_ = false;
    const void* historyView_ = nullptr;
};
