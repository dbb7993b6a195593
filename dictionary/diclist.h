// The dictionary list: the lines of the user's bilingual dictionary, held sorted and free of
// duplicates at all times, and the dictionary file format (one line per entry, CR LF after each).
//
// Order: ASCII A-Z are folded to a-z; the folded lines are compared by their Thai collation keys
// (libthai's th_strxfrm) byte by byte, and where the keys are equal by the folded bytes. Two lines
// are equal exactly when their folded bytes are equal, so lines that differ only in the case of
// Latin letters are duplicates. The order is total and consistent with that equality, and the same
// comparison serves ordering, duplicate removal and lookup.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace dictionary {

// ASCII A-Z to a-z; every other byte, Thai included, unchanged.
inline constexpr unsigned char FoldByte(unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; }
std::string FoldCase(std::string_view text);

// The Thai collation key of an already folded line (th_strxfrm).
std::string CollationKey(std::string_view folded);

class DicList {
public:
    DicList() = default;
    DicList(const DicList& other);
    DicList& operator=(const DicList& other);
    DicList(DicList&&) noexcept = default;
    DicList& operator=(DicList&&) noexcept = default;

    int Count() const { return static_cast<int>(entries_.size()); }
    // The line at `index` (0 <= index < Count()).
    const std::string& operator[](int index) const { return entries_[static_cast<size_t>(index)]->line; }

    // Index of the line equal to `line` (case of A-Z ignored), or -1.
    int Find(std::string_view line) const;
    // Inserts the line at its sorted position. Returns false, and nothing changes, when an equal
    // line is present. A line never holds CR, LF or NUL: anything from the first such byte on is
    // not part of the line.
    bool Insert(std::string line);
    // Removes the line at `index`; an index outside the list changes nothing.
    void Delete(int index);

    // Replaces the whole content by the lines of the file bytes, sorted and without duplicates
    // (of equal lines the one read first stays). Notifies once, at the end.
    void LoadFromBytes(std::string_view bytes);
    // Inserts the lines of the file bytes, in file order, by the sorted-insert and duplicate rule.
    // The result is that of inserting them one by one; OnChange is called once for every line that
    // was actually inserted, after all of them are in. Lines already present notify nothing.
    void AppendFromBytes(std::string_view bytes);
    // The file bytes: every line in list order followed by CR LF.
    std::string ToBytes() const;

    // Grows by one with every actual change; lets a derived structure (the dictionary text and
    // its search index) see cheaply whether it is still up to date.
    std::uint64_t Version() const { return version_; }

    // Called once per actual change: an insertion, a deletion, a replacement of the whole content.
    std::function<void()> OnChange;

private:
    struct Entry {
        std::string line;
        std::string key;  // CollationKey of the folded line
    };
    // Compares a stored entry with a probe given as key and folded bytes.
    static int Compare(const Entry& entry, std::string_view key, std::string_view folded);
    static int Compare(const Entry& a, const Entry& b);
    // First index whose entry is not less than the probe.
    size_t LowerBound(std::string_view key, std::string_view folded) const;
    // The lines of the bytes as entries, sorted, equal lines reduced to the first one read.
    static std::vector<std::unique_ptr<Entry>> SortedUnique(std::string_view bytes);
    void Changed();

    // Entries are held by pointer so that an insertion or deletion in a large list moves only
    // pointers.
    std::vector<std::unique_ptr<Entry>> entries_;
    std::uint64_t version_ = 0;
};

}  // namespace dictionary
