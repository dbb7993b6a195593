// The text of a Thai control: an ordered list of byte strings (no line-break bytes) that runs
// one change notification per operation, and an index of where each line starts in the joined
// text (every line followed by CR LF), kept up to date lazily from the first changed line on.
//
// The lines are held in a gap buffer: a run of unused slots stands where lines were last inserted
// or deleted, so that editing near the same place moves no other lines, however long the text.
#pragma once

#include <cstdint>
#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/textlines.h"

class TLines {
public:
    int Count() const { return static_cast<int>(lines_.size() - gapLen_); }
    bool Empty() const { return Count() == 0; }
    const std::string& operator[](int index) const { return lines_[Slot(index)]; }
    // Every line in order (closes the gap first, which moves the lines after it once).
    const std::vector<std::string>& All() const;

    void Set(int index, std::string line);       // writes a line (ignored outside 0..Count-1)
    void Insert(int index, std::string line);    // before index (0..Count; clamped to it)
    void Add(std::string line);                  // at the end
    void Delete(int index);                      // ignored outside 0..Count-1
    void Assign(std::vector<std::string> lines); // replaces all lines: one change
    void Clear();                                // a change only when lines were held
    // Replaces the lines [index, index + count) by `lines` (index and count clamped to the list):
    // one change, also when nothing differs afterwards. False when it was refused (OnNoRecordMemory).
    bool Replace(int index, int count, std::vector<std::string> lines);
    // The same, returning the lines taken out (the undo history swaps lines with it).
    std::vector<std::string> Splice(int index, int count, std::vector<std::string> lines);

    // Offset in the joined text of line `index`'s first byte; Count() (or more) gives the length
    // of the joined text. Costs nothing for lines before the first one changed since the last
    // call, and one step per line after it.
    int StartOf(int index) const;
    // The line that holds byte `offset` of the joined text, its CR LF counted as part of it;
    // Count() for an offset at or past the end, 0 for a negative one. `hint` is a line where the
    // search starts (the answer is usually at it or near it).
    int LineOfOffset(int offset, int hint) const;

    // Runs once per change, with the byte length of the longest line the change wrote (0 for a
    // deletion); the longest line overall is at most the largest length ever reported since the
    // list was last emptied.
    std::function<void(int longestWritten)> OnChange;
    // When set, runs for every change before OnChange with what it did: lines [at, at + inserted)
    // now stand where `removed` stood. The receiver may take the removed lines.
    std::function<void(int at, std::vector<std::string>& removed, int inserted)> OnRecord;
    // What to do when the memory to hand a change's removed lines to OnRecord cannot be had. It is
    // asked before anything changes (`attempt` counts the calls for one change, from 0): Retry
    // (memory was freed), WithoutRecord (the change is made and OnRecord is not told of it: its
    // receiver has let go of what it kept) or Refuse (the text stays as it was, the default).
    enum class NoMemory { Retry, WithoutRecord, Refuse };
    std::function<NoMemory(int attempt)> OnNoRecordMemory;

private:
    void Changed(int longestWritten) {
        if (OnChange) OnChange(longestWritten);
    }
    void Recorded(int at, std::vector<std::string>& removed, int inserted) {
        if (OnRecord) OnRecord(at, removed, inserted);
    }
    // Replace without notifications; the lines taken out go to `removed` when it is given (room
    // for them made beforehand, see RoomToRecord). Index and count must be clamped already.
    void ReplaceRange(int index, int count, std::vector<std::string>& lines, std::vector<std::string>* removed);
    void Clamp(int& index, int& count) const;
    // Makes room in `removed` for `count` lines before a change that OnRecord is to be told of:
    // true when it will be told, false when the change goes on without it; nothing when the
    // change is refused.
    std::optional<bool> RoomToRecord(std::vector<std::string>& removed, size_t count);
    // Line starts before `index` stay valid; the later ones are worked out again when asked for.
    void Touched(int index) { startsValid_ = std::min(startsValid_, std::max(index, 0)); }
    size_t Slot(int index) const {
        const size_t i = static_cast<size_t>(index);
        return i < gapStart_ ? i : i + gapLen_;
    }
    // Moves the gap to stand before line `index`, and makes it at least `size` slots long.
    void MoveGap(int index) const;
    void GrowGap(size_t size);
    // The lines, with gapLen_ unused (empty) slots from gapStart_ on. All() closes the gap, which
    // leaves the order of the lines as it was: hence mutable.
    mutable std::vector<std::string> lines_;
    mutable size_t gapStart_ = 0;
    mutable size_t gapLen_ = 0;
    mutable std::vector<std::int64_t> starts_{0};  // starts_[i] is valid for i <= startsValid_
    mutable int startsValid_ = 0;
};

// Text is split into lines by the one line rule (platform/textlines.h).
using platform::SplitLines;
// All lines, each followed by CR LF.
std::string JoinLines(const std::vector<std::string>& lines);
