#include "dictionary/diclist.h"

#include <thai/thcoll.h>

#include <algorithm>
#include <cstring>

#include "platform/textlines.h"

namespace dictionary {

std::string FoldCase(std::string_view text) {
    std::string folded(text);
    for (char& c : folded) c = static_cast<char>(FoldByte(static_cast<unsigned char>(c)));
    return folded;
}

std::string CollationKey(std::string_view folded) {
    // th_strxfrm reads a NUL-terminated string and, when the buffer is too small, returns the
    // truncated length, so the buffer is grown until the key fits with room to spare. Keys run
    // to about four bytes per input byte and may hold NUL bytes themselves.
    thread_local std::string source;
    source.assign(folded);
    std::string key(4 * folded.size() + 16, '\0');
    for (;;) {
        size_t n = th_strxfrm(reinterpret_cast<thchar_t*>(key.data()),
                              reinterpret_cast<const thchar_t*>(source.c_str()), key.size());
        if (n + 1 < key.size()) {
            key.resize(n);
            return key;
        }
        key.assign(2 * key.size(), '\0');
    }
}

namespace {

// The part of a line before the first CR, LF or NUL.
std::string_view LinePart(std::string_view line) {
    size_t cut = line.find_first_of(std::string_view("\r\n\0", 3));
    return cut == std::string_view::npos ? line : line.substr(0, cut);
}

int CompareBytes(std::string_view a, std::string_view b) {
    size_t n = std::min(a.size(), b.size());
    int r = n ? std::memcmp(a.data(), b.data(), n) : 0;
    if (r != 0) return r < 0 ? -1 : 1;
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

// Compares the folded form of `line` with `folded`.
int CompareFolded(std::string_view line, std::string_view folded) {
    size_t n = std::min(line.size(), folded.size());
    for (size_t i = 0; i < n; ++i) {
        unsigned char a = FoldByte(static_cast<unsigned char>(line[i]));
        unsigned char b = static_cast<unsigned char>(folded[i]);
        if (a != b) return a < b ? -1 : 1;
    }
    return line.size() < folded.size() ? -1 : line.size() > folded.size() ? 1 : 0;
}

}  // namespace

DicList::DicList(const DicList& other) : OnChange(other.OnChange), version_(other.version_) {
    entries_.reserve(other.entries_.size());
    for (const auto& e : other.entries_) entries_.push_back(std::make_unique<Entry>(*e));
}

DicList& DicList::operator=(const DicList& other) {
    if (this != &other) *this = DicList(other);
    return *this;
}

int DicList::Compare(const Entry& entry, std::string_view key, std::string_view folded) {
    if (int r = CompareBytes(entry.key, key)) return r;
    return CompareFolded(entry.line, folded);
}

int DicList::Compare(const Entry& a, const Entry& b) {
    if (int r = CompareBytes(a.key, b.key)) return r;
    // Equal keys: compare the folded bytes of both lines.
    size_t n = std::min(a.line.size(), b.line.size());
    for (size_t i = 0; i < n; ++i) {
        unsigned char x = FoldByte(static_cast<unsigned char>(a.line[i]));
        unsigned char y = FoldByte(static_cast<unsigned char>(b.line[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    return a.line.size() < b.line.size() ? -1 : a.line.size() > b.line.size() ? 1 : 0;
}

size_t DicList::LowerBound(std::string_view key, std::string_view folded) const {
    size_t lo = 0, hi = entries_.size();
    while (lo < hi) {
        size_t mid = lo + (hi - lo) / 2;
        if (Compare(*entries_[mid], key, folded) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

int DicList::Find(std::string_view line) const {
    std::string folded = FoldCase(LinePart(line));
    std::string key = CollationKey(folded);
    size_t at = LowerBound(key, folded);
    if (at < entries_.size() && Compare(*entries_[at], key, folded) == 0) return static_cast<int>(at);
    return -1;
}

bool DicList::Insert(std::string line) {
    line.resize(LinePart(line).size());
    std::string folded = FoldCase(line);
    std::string key = CollationKey(folded);
    size_t at = LowerBound(key, folded);
    if (at < entries_.size() && Compare(*entries_[at], key, folded) == 0) return false;
    entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(at),
                    std::make_unique<Entry>(Entry{std::move(line), std::move(key)}));
    Changed();
    return true;
}

void DicList::Delete(int index) {
    if (index < 0 || index >= Count()) return;
    entries_.erase(entries_.begin() + index);
    Changed();
}

std::vector<std::unique_ptr<DicList::Entry>> DicList::SortedUnique(std::string_view bytes) {
    // The file is cut into lines by the one line rule.
    std::vector<std::string_view> lines = platform::SplitLineViews(bytes);
    std::vector<std::unique_ptr<Entry>> read(lines.size());
    for (size_t i = 0; i < lines.size(); ++i)
        read[i] = std::make_unique<Entry>(Entry{std::string(lines[i]), CollationKey(FoldCase(lines[i]))});
    // A stable sort keeps equal lines in file order, so the first one read survives.
    std::stable_sort(read.begin(), read.end(),
                     [](const std::unique_ptr<Entry>& a, const std::unique_ptr<Entry>& b) { return Compare(*a, *b) < 0; });
    std::vector<std::unique_ptr<Entry>> sorted;
    sorted.reserve(read.size());
    for (auto& e : read) {
        if (!sorted.empty() && Compare(*sorted.back(), *e) == 0) continue;
        sorted.push_back(std::move(e));
    }
    return sorted;
}

void DicList::LoadFromBytes(std::string_view bytes) {
    entries_ = SortedUnique(bytes);
    Changed();
}

void DicList::AppendFromBytes(std::string_view bytes) {
    std::vector<std::unique_ptr<Entry>> incoming = SortedUnique(bytes);
    // Merge the new lines into the list; a line equal to one already held stays out. Inserting
    // the file's lines one by one would give the same list, since an equal line is never
    // inserted and the order is total.
    std::vector<std::unique_ptr<Entry>> merged;
    merged.reserve(entries_.size() + incoming.size());
    size_t i = 0, j = 0, added = 0;
    while (i < entries_.size() || j < incoming.size()) {
        if (j == incoming.size()) {
            merged.push_back(std::move(entries_[i++]));
            continue;
        }
        if (i == entries_.size()) {
            merged.push_back(std::move(incoming[j++]));
            ++added;
            continue;
        }
        int r = Compare(*entries_[i], *incoming[j]);
        if (r <= 0) {
            if (r == 0) ++j;  // already present
            merged.push_back(std::move(entries_[i++]));
        } else {
            merged.push_back(std::move(incoming[j++]));
            ++added;
        }
    }
    entries_ = std::move(merged);
    for (size_t k = 0; k < added; ++k) Changed();
}

std::string DicList::ToBytes() const {
    size_t total = 0;
    for (const auto& e : entries_) total += e->line.size() + 2;
    std::string bytes;
    bytes.reserve(total);
    for (const auto& e : entries_) {
        bytes += e->line;
        bytes += "\r\n";
    }
    return bytes;
}

void DicList::Changed() {
    ++version_;
    if (OnChange) OnChange();
}

}  // namespace dictionary
