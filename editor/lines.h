// The text of a Thai control: an ordered list of byte strings (no line-break bytes) that runs
// one change notification per operation.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

class TLines {
public:
    int Count() const { return static_cast<int>(lines_.size()); }
    bool Empty() const { return lines_.empty(); }
    const std::string& operator[](int index) const { return lines_[static_cast<size_t>(index)]; }
    const std::vector<std::string>& All() const { return lines_; }

    void Set(int index, std::string line);       // writes a line (ignored outside 0..Count-1)
    void Insert(int index, std::string line);    // before index (0..Count; clamped to it)
    void Add(std::string line);                  // at the end
    void Delete(int index);                      // ignored outside 0..Count-1
    void Assign(std::vector<std::string> lines); // replaces all lines: one change
    void Clear();                                // a change only when lines were held
    // Replaces lines [at, at + count) (clamped to the list) by `lines`: one change. Returns the
    // lines taken out.
    std::vector<std::string> Splice(int at, int count, std::vector<std::string> lines);

    // Runs once per change, with the byte length of the longest line the change wrote (0 for a
    // deletion); the longest line overall is at most the largest length ever reported since the
    // list was last emptied.
    std::function<void(int longestWritten)> OnChange;
    // When set, runs for every change before OnChange with what it did: lines [at, at + inserted)
    // now stand where `removed` stood. The receiver may take the removed lines.
    std::function<void(int at, std::vector<std::string>& removed, int inserted)> OnRecord;

private:
    void Changed(int longestWritten) {
        if (OnChange) OnChange(longestWritten);
    }
    void Recorded(int at, std::vector<std::string>& removed, int inserted) {
        if (OnRecord) OnRecord(at, removed, inserted);
    }
    std::vector<std::string> lines_;
};

// Splits text into lines: CR, LF or CR LF end a line; LF CR is two breaks; a break at the very
// end adds no empty line; a NUL ends the text.
std::vector<std::string> SplitLines(std::string_view text);
// All lines, each followed by CR LF.
std::string JoinLines(const std::vector<std::string>& lines);
