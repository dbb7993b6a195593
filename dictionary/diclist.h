// The dictionary list: the lines of the user's bilingual dictionary, held sorted and free of
// duplicates at all times, and the dictionary file format (one line per entry, CR LF after each).
//
// Order: ASCII A-Z are folded to a-z; the folded lines are compared by their Thai collation keys
// (libthai's th_strxfrm) byte by byte, and where the keys are equal by the folded bytes. Two lines
// are equal exactly when their folded bytes are equal, so lines that differ only in the case of
// Latin letters are duplicates. The order is total and consistent with that equality, and the same
// comparison serves ordering, duplicate removal and lookup.
//
// Store: one byte buffer that holds every line followed by CR LF, in list order, and after them one
// NUL end marker: the dictionary file and the text the search works on at once. Beside it the
// offset of every line's start. A dictionary of millions of lines costs little more than its file;
// collation keys are computed when a comparison needs them and never kept.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "dictionary/progress.h"

namespace dictionary {

// ASCII A-Z to a-z; every other byte, Thai included, unchanged.
inline constexpr unsigned char FoldByte(unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; }
std::string FoldCase(std::string_view text);

// The Thai collation key of an already folded line (th_strxfrm).
std::string CollationKey(std::string_view folded);


// The largest dictionary text held (every line with its CR LF): offsets into it are ints.
inline constexpr std::size_t kLargestDictionary = 0x7FFFFFF0u;

class DicList {
public:
    DicList();

    int Count() const { return static_cast<int>(starts_.size()) - 1; }
    // The line at `index` (0 <= index < Count()), without its CR LF. Valid until the list changes.
    std::string_view operator[](int index) const {
        const size_t i = static_cast<size_t>(index);
        return std::string_view(text_).substr(starts_[i], starts_[i + 1] - starts_[i] - 2);
    }

    // Index of the line equal to `line` (case of A-Z ignored), or -1.
    int Find(std::string_view line) const;
    // Inserts the line at its sorted position. Returns false, and nothing changes, when an equal
    // line is present. A line never holds CR, LF or NUL: anything from the first such byte on is
    // not part of the line. Throws std::length_error when the dictionary would grow too large.
    bool Insert(std::string_view line);
    // Removes the line at `index`; an index outside the list changes nothing.
    void Delete(int index);

    // The lines of file bytes, sorted and without duplicates (of equal lines the one read first
    // stays), as a list of their own; nobody is notified. The work reports to `progress` and
    // stops (JobStopped) when it says so. Throws std::length_error for a text too large to hold.
    static DicList Read(std::string_view bytes, Progress& progress);
    // Takes the whole content of `other` (which is left empty). Notifies once.
    void Replace(DicList&& other);
    // Inserts the lines of `other` by the sorted-insert and duplicate rule: the result is that of
    // inserting them one by one. The merged list is built aside and put in place at the end, so a
    // stopped merge (JobStopped) changes nothing. OnChange is called once for every line that was
    // actually inserted, after all of them are in. Returns how many were.
    int Merge(const DicList& other, Progress& progress);

    // Replaces the whole content by the lines of the file bytes (Read, then Replace).
    void LoadFromBytes(std::string_view bytes);
    // Inserts the lines of the file bytes, in file order (Read, then Merge).
    void AppendFromBytes(std::string_view bytes);
    // The file bytes: every line in list order followed by CR LF.
    std::string_view Bytes() const { return std::string_view(text_).substr(0, text_.size() - 1); }
    std::string ToBytes() const { return std::string(Bytes()); }

    // The dictionary text: the file bytes and one NUL end marker.
    std::string_view Text() const { return text_; }
    // The offset in Text() where line `index` starts; LineStart(Count()) is the end marker's.
    int LineStart(int index) const { return static_cast<int>(starts_[static_cast<size_t>(index)]); }
    // The line that holds the byte at `offset` of Text(), its CR LF counted as part of it; -1 for
    // an offset outside the lines.
    int LineAt(int offset) const;

    // Grows by one with every actual change; lets a derived structure (the search index) see
    // cheaply whether it is still up to date.
    std::uint64_t Version() const { return version_; }

    // Called once per actual change: an insertion, a deletion, a replacement of the whole content.
    std::function<void()> OnChange;

private:
    // First index whose line is not less than the probe, given as its key and folded bytes.
    size_t LowerBound(std::string_view key, std::string_view folded) const;
    void Changed();

    std::string text_;                 // every line + CR LF, then the NUL end marker
    std::vector<std::uint32_t> starts_;  // start of every line, then the end marker's offset
    std::uint64_t version_ = 0;
};

}  // namespace dictionary
