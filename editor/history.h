// The undo history of a line store: what each change removed and inserted, grouped into the
// steps a user thinks of (a run of typed characters, one command), with the cursor and selection
// before and after each step. Nothing here draws; the text control restores the view.
//
// A step keeps only what changed: a change inside one line keeps the replaced bytes, a change of
// whole lines the lines taken out. Undoing a step swaps what it keeps with what the text holds
// now, which turns it into the step that redoes it. The history is bounded by memory; the oldest
// steps go first, and the newest step stays whatever its size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "editor/lines.h"

// Where the cursor and the selection of a text control stand.
struct ViewPoint {
    int cursorLine = 0, cursorCol = 0;
    bool selecting = false;
    int anchorLine = 0, anchorCol = 0, extentLine = 0, extentCol = 0, anchorPos = 0, extentPos = 0;
    bool operator==(const ViewPoint&) const = default;
};

class TextHistory {
public:
    static constexpr size_t kDefaultLimit = 64u << 20;
    // Typed characters more than this many milliseconds apart start a new step.
    static constexpr int64_t kTypingPauseMs = 1000;

    explicit TextHistory(TLines& lines) : lines_(lines) {}
    TextHistory(const TextHistory&) = delete;
    TextHistory& operator=(const TextHistory&) = delete;

    // Milliseconds of a steady clock; tests put their own in.
    std::function<int64_t()> Clock;
    // The control's cursor and selection now; used for changes made outside any step.
    std::function<ViewPoint()> CurrentView;
    // Runs when what can be undone or redone may have changed.
    std::function<void()> OnChange;

    // Opens a step; a nested call joins the step already open. A typed step continues the last
    // one when that was typed too, ended where `before` stands and less than a second ago.
    void Begin(const ViewPoint& before, bool typing = false);
    // Closes the step of the outermost Begin; a step that changed nothing is dropped.
    void End(const ViewPoint& after);
    // Every change of the line store, as it is made: lines [at, at + inserted) now stand where
    // `removed` stood. The history takes the removed lines.
    void Record(int at, std::vector<std::string>& removed, int inserted);

    bool CanUndo() const { return stash_.has_value() || !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    // Takes the last step back (or does the last undone one again) in the line store and returns
    // the view as it was before (after) that step; nothing to do gives no value.
    std::optional<ViewPoint> Undo();
    std::optional<ViewPoint> Redo();
    // Lines from `ChangedFrom` on were rewritten by the last Undo or Redo; up to `ChangedTo`
    // (inclusive) unless the number of lines changed, which moves every line below.
    int ChangedFrom() const { return changedFrom_; }
    int ChangedTo() const { return changedTo_; }
    bool LineCountChanged() const { return countChanged_; }

    // Forgets every step; the present text is the one on disk.
    void Clear();
    // The present text is the one on disk (saved or opened); ends a run of typing.
    void MarkSaved();
    // The text is what was last opened or saved.
    bool AtSaved() const { return !stash_ && TopId() == savedId_; }
    // Ends a run of typing, so the next typed character starts a step of its own.
    void Seal();

    // Memory ran short for the change being made: drops every step kept (the bound would drop
    // them first); false when there was none.
    bool DropOlderSteps();
    // The text changed without a record of it: no step can be taken back or done again (the
    // change being made included), and the text last opened or saved is out of reach.
    void Forget();

    void SetLimit(size_t bytes);
    size_t Limit() const { return limit_; }
    // Memory held by the closed steps, in bytes.
    size_t Bytes() const { return bytes_; }
    size_t UndoCount() const { return undo_.size() + (stash_ ? 1 : 0); }

    // One change as the history keeps it: with `offset` >= 0, bytes [offset, offset + count) of
    // line `line` replaced `bytes`; otherwise lines [line, line + count) replaced `lines`.
    struct Edit {
        int line = 0;
        int offset = -1;
        int count = 0;
        std::string bytes;
        std::vector<std::string> lines;
    };

private:
    struct Open {
        ViewPoint before;
        std::vector<Edit> edits;
        bool typing = false;
    };
    struct Step {
        std::string code;                                // view points and changes within lines
        std::vector<std::vector<std::string>> lineSets;  // the lines of the whole-line changes
        uint64_t id = 0;
        size_t Size() const;
    };

    // A line of the text as the step being closed left it (nullptr past the end).
    using LineAt = std::function<const std::string*(int)>;

    int64_t Now() const;
    uint64_t TopId() const;
    LineAt LinesNow() const;
    void Add(Open& step, int at, std::vector<std::string>& removed, int inserted);
    void Push(Open& step, const ViewPoint& after, const LineAt& lineAt);
    Step Encode(Open& step, const ViewPoint& after, const LineAt& lineAt) const;
    static Step Encode(const ViewPoint& before, const ViewPoint& after, std::vector<Edit>& edits);
    void Decode(Step& step, ViewPoint& before, ViewPoint& after, std::vector<Edit>& edits) const;
    std::optional<ViewPoint> Apply(std::deque<Step>& from, std::deque<Step>& to, bool undo);
    void Trim(bool afterUndo = false);
    void DropRedo();
    void Changed() {
        if (OnChange) OnChange();
    }

    TLines& lines_;
    std::optional<Open> open_;   // the step being made
    std::optional<Open> stash_;  // a run of typing that the next typed character may continue
    ViewPoint stashAfter_;
    int64_t stashTime_ = 0;
    int depth_ = 0;
    bool applying_ = false;
    std::deque<Step> undo_, redo_;
    uint64_t nextId_ = 1;
    uint64_t baseId_ = 0;   // the state below the oldest step kept
    uint64_t savedId_ = 0;  // the state last opened or saved
    size_t bytes_ = 0;
    size_t limit_ = kDefaultLimit;
    int changedFrom_ = 0, changedTo_ = 0;
    bool countChanged_ = false;
};
