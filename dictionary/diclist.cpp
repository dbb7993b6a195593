#include "dictionary/diclist.h"

#include "dictionary/buffer.h"

#include <thai/thcoll.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <stdexcept>

#include "platform/textlines.h"

namespace dictionary {

std::string FoldCase(std::string_view text) {
    std::string folded(text);
    for (char& c : folded) c = static_cast<char>(FoldByte(static_cast<unsigned char>(c)));
    return folded;
}

namespace {

// Makes collation keys into buffers of its own, so that a key costs no allocation once the
// buffers have grown. th_strxfrm reads a NUL-terminated string and, when the buffer is too small,
// returns the truncated length, so the buffer is grown until the key fits with room to spare.
// Keys run to about four bytes per input byte and may hold NUL bytes themselves.
class KeyMaker {
public:
    // The key of `line`, folded first unless it is folded already. Valid until the next call.
    std::string_view Of(std::string_view line) {
        source_.resize(line.size());
        for (size_t i = 0; i < line.size(); ++i) source_[i] = static_cast<char>(FoldByte(static_cast<unsigned char>(line[i])));
        if (key_.size() < 4 * line.size() + 16) key_.resize(4 * line.size() + 16);
        for (;;) {
            const size_t n = th_strxfrm(reinterpret_cast<thchar_t*>(key_.data()),
                                        reinterpret_cast<const thchar_t*>(source_.c_str()), key_.size());
            if (n + 1 < key_.size()) return std::string_view(key_.data(), n);
            key_.resize(2 * key_.size());
        }
    }

private:
    std::string source_, key_;
};

KeyMaker& SharedKeys() {
    thread_local KeyMaker keys;
    return keys;
}

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

// Compares the folded forms of two lines.
int CompareFolded(std::string_view a, std::string_view b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        unsigned char x = FoldByte(static_cast<unsigned char>(a[i]));
        unsigned char y = FoldByte(static_cast<unsigned char>(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

bool EqualFolded(std::string_view a, std::string_view b) { return a.size() == b.size() && CompareFolded(a, b) == 0; }

// The end of the line that starts at `at` (the first CR or LF, or the end of the bytes).
size_t LineEnd(std::string_view bytes, size_t at) {
    const char* p = bytes.data() + at;
    const char* const end = bytes.data() + bytes.size();
    while (p < end && *p != '\r' && *p != '\n') ++p;
    return static_cast<size_t>(p - bytes.data());
}

// One line of file bytes while they are sorted: the first sixteen bytes of its collation key
// (zeros after a shorter key) in four big-endian parts, and where it starts. Sixteen key bytes tell
// nearly all lines of a dictionary apart; twenty bytes a line cost little beside the file.
struct __attribute__((packed)) Record {
    std::uint64_t high, low;
    std::uint32_t offset;
};
static_assert(sizeof(Record) == 20);

std::uint64_t BigEndian(const unsigned char* p) {
    std::uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v = (v << 8) | p[i];
    return v;
}

Record MakeRecord(std::string_view key, size_t offset) {
    unsigned char bytes[16] = {};
    std::memcpy(bytes, key.data(), std::min<size_t>(16, key.size()));
    return Record{BigEndian(bytes), BigEndian(bytes + 8), static_cast<std::uint32_t>(offset)};
}

// Orders the lines of file bytes by the list's comparison, and file order among equal ones. Most
// lines differ in the first sixteen key bytes; the others have their whole keys made again, the
// last few kept, since a sort compares one line (its pivot) with many.
class RecordOrder {
public:
    RecordOrder(std::string_view bytes, Progress& progress) : bytes_(bytes), progress_(progress) {}

    bool Less(const Record& a, const Record& b) {
        progress_.Tick();
        if (a.high != b.high) return a.high < b.high;
        if (a.low != b.low) return a.low < b.low;
        return CompareWhole(a, b) < 0;
    }

    int Compare(const Record& a, const Record& b) {
        progress_.Tick();
        if (a.high != b.high) return a.high < b.high ? -1 : 1;
        if (a.low != b.low) return a.low < b.low ? -1 : 1;
        return CompareWhole(a, b);
    }

    // Two lines whose first sixteen key bytes are equal.
    int CompareWhole(const Record& a, const Record& b) {
        if (a.offset == b.offset) return 0;
        const std::string_view la = Line(a), lb = Line(b);
        // b's key must not take the slot that holds a's.
        const std::string_view ka = Key(a.offset, la);
        if (int r = CompareBytes(ka, Key(b.offset, lb, ka.data()))) return r;
        if (int r = CompareFolded(la, lb)) return r;
        return a.offset < b.offset ? -1 : 1;
    }

    std::string_view Line(const Record& r) const { return LineFrom(r.offset); }
    std::string_view LineFrom(size_t offset) const { return bytes_.substr(offset, LineEnd(bytes_, offset) - offset); }

private:
    // The key of the line at `offset`, from the last few kept; a new one never replaces the key
    // whose bytes are at `keep`.
    std::string_view Key(std::uint32_t offset, std::string_view line, const char* keep = nullptr) {
        for (const Cached& c : cache_)
            if (c.offset == offset && c.valid) return c.key;
        Cached* pick = &cache_[next_++ % cache_.size()];
        if (pick->key.data() == keep) pick = &cache_[next_++ % cache_.size()];
        Cached& slot = *pick;
        slot.key.assign(SharedKeys().Of(line));
        slot.offset = offset;
        slot.valid = true;
        return slot.key;
    }

    struct Cached {
        std::uint32_t offset = 0;
        bool valid = false;
        std::string key;
    };
    std::string_view bytes_;
    Progress& progress_;
    std::array<Cached, 4> cache_;
    size_t next_ = 0;
};

void CheckSize(size_t size) {
    if (size > kLargestDictionary) throw std::length_error("The dictionary is too large: it holds more than 2 GB");
}

}  // namespace

std::string CollationKey(std::string_view folded) { return std::string(SharedKeys().Of(folded)); }

DicList::DicList() : text_(1, '\0'), starts_{0} {}

int DicList::LineAt(int offset) const {
    if (offset < 0 || offset >= LineStart(Count())) return -1;
    auto after = std::upper_bound(starts_.begin(), starts_.end(), static_cast<std::uint32_t>(offset));
    return static_cast<int>(after - starts_.begin()) - 1;
}

size_t DicList::LowerBound(std::string_view key, std::string_view folded) const {
    KeyMaker& keys = SharedKeys();
    size_t lo = 0, hi = static_cast<size_t>(Count());
    while (lo < hi) {
        const size_t mid = lo + (hi - lo) / 2;
        const std::string_view line = (*this)[static_cast<int>(mid)];
        int r = CompareBytes(keys.Of(line), key);
        if (r == 0) r = CompareFolded(line, folded);
        if (r < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

int DicList::Find(std::string_view line) const {
    const std::string folded = FoldCase(LinePart(line));
    const std::string key = CollationKey(folded);
    const size_t at = LowerBound(key, folded);
    if (at < static_cast<size_t>(Count()) && EqualFolded((*this)[static_cast<int>(at)], folded)) return static_cast<int>(at);
    return -1;
}

bool DicList::Insert(std::string_view line) {
    line = LinePart(line);
    const std::string folded = FoldCase(line);
    const std::string key = CollationKey(folded);
    const size_t at = LowerBound(key, folded);
    if (at < static_cast<size_t>(Count()) && EqualFolded((*this)[static_cast<int>(at)], folded)) return false;
    const size_t added = line.size() + 2;
    CheckSize(text_.size() + added);
    const size_t pos = starts_[at];
    text_.insert(pos, added, '\n');
    std::memcpy(text_.data() + pos, line.data(), line.size());
    text_[pos + line.size()] = '\r';
    // The new line takes the start of the line it goes before; that line and all after it move on.
    const std::uint32_t start = starts_[at];
    starts_.insert(starts_.begin() + static_cast<std::ptrdiff_t>(at) + 1, start);
    for (size_t i = at + 1; i < starts_.size(); ++i) starts_[i] += static_cast<std::uint32_t>(added);
    Changed();
    return true;
}

void DicList::Delete(int index) {
    if (index < 0 || index >= Count()) return;
    const size_t i = static_cast<size_t>(index);
    const std::uint32_t removed = starts_[i + 1] - starts_[i];
    text_.erase(starts_[i], removed);
    starts_.erase(starts_.begin() + static_cast<std::ptrdiff_t>(i));
    for (size_t k = i; k < starts_.size(); ++k) starts_[k] -= removed;
    Changed();
}

DicList DicList::Read(std::string_view bytes, Progress& progress) {
    if (size_t nul = bytes.find('\0'); nul != std::string_view::npos) bytes = bytes.substr(0, nul);
    CheckSize(bytes.size());

    // Count the lines first, so that their records take exactly the room they need.
    progress.Phase(0, 50, bytes.size() / 24 + 1);  // lines of about 24 bytes
    size_t count = 0;
    platform::LineReader counter(bytes);
    for (std::string_view line; counter.Next(line); ++count) progress.Tick();

    // Every line with the first bytes of its key.
    auto records = Buffer<Record>::Unset(count);
    progress.Phase(50, 600, count);
    KeyMaker& keys = SharedKeys();
    platform::LineReader reader(bytes);
    std::string_view line;
    for (size_t i = 0; i < count && reader.Next(line); ++i) {
        records[i] = MakeRecord(keys.Of(line), static_cast<size_t>(line.data() - bytes.data()));
        progress.Tick();
    }

    // A file the program wrote is sorted and free of duplicates already: one look at every pair
    // of neighbours tells, and the sort is left out.
    RecordOrder order(bytes, progress);
    progress.Phase(600, 650, count);
    bool sorted = true;
    for (size_t i = 1; i < count && sorted; ++i) sorted = order.Compare(records[i - 1], records[i]) < 0;
    if (!sorted) {
        // About 1.2 log2(count) comparisons a line.
        size_t depth = 1;
        while ((size_t{1} << depth) < count) ++depth;
        progress.Phase(650, 900, count * depth * 6 / 5);
        std::sort(records.begin(), records.end(), [&order](const Record& a, const Record& b) { return order.Less(a, b); });
    }
    // From here on only where each line starts is needed.
    auto offsets = Buffer<std::uint32_t>::Unset(count);
    for (size_t i = 0; i < count; ++i) {
        offsets[i] = records[i].offset;
        progress.Tick(0);
    }
    Release(records);

    // Equal lines stand together, the one read first at their head: keep that one. The lines
    // are fetched in sorted order, from all over the bytes: a few ahead of time.
    DicList list;
    progress.Phase(900, 1000, count);
    // Room for every line with CR LF (a lone CR or LF grows by one byte); what stays unused is
    // never touched and costs no memory.
    list.text_.clear();
    list.text_.reserve(bytes.size() + count + 2);
    list.starts_.clear();
    list.starts_.reserve(count + 1);
    constexpr size_t kAhead = 64;
    std::string_view last;
    for (size_t i = 0; i < count; ++i) {
        if (i + kAhead < count) __builtin_prefetch(bytes.data() + offsets[i + kAhead]);
        const std::string_view line = order.LineFrom(offsets[i]);
        progress.Tick();
        if (i > 0 && EqualFolded(last, line)) continue;
        CheckSize(list.text_.size() + line.size() + 3);
        list.starts_.push_back(static_cast<std::uint32_t>(list.text_.size()));
        list.text_.append(line);
        list.text_.append("\r\n", 2);
        last = std::string_view(list.text_).substr(list.starts_.back(), line.size());
    }
    list.starts_.push_back(static_cast<std::uint32_t>(list.text_.size()));
    list.text_.push_back('\0');
    return list;
}

void DicList::Replace(DicList&& other) {
    text_.swap(other.text_);
    starts_.swap(other.starts_);
    other.text_.assign(1, '\0');
    other.starts_.assign(1, 0);
    Changed();
}

int DicList::Merge(const DicList& other, Progress& progress) {
    // Both lists are sorted and free of duplicates: one pass over both, each line's key made
    // once. A line equal to one already held stays out.
    const int n = Count(), m = other.Count();
    progress.Phase(0, 1000, static_cast<std::uint64_t>(n) + static_cast<std::uint64_t>(m));
    KeyMaker mine, theirs;
    std::string text;
    std::vector<std::uint32_t> starts;
    text.reserve(text_.size() + other.text_.size());
    starts.reserve(static_cast<size_t>(n) + static_cast<size_t>(m) + 1);
    auto take = [&](std::string_view line) {
        CheckSize(text.size() + line.size() + 3);
        starts.push_back(static_cast<std::uint32_t>(text.size()));
        text.append(line);
        text.append("\r\n");
        progress.Tick();
    };
    int i = 0, j = 0, added = 0;
    std::string_view keyA, keyB;
    if (i < n) keyA = mine.Of((*this)[i]);
    if (j < m) keyB = theirs.Of(other[j]);
    while (i < n || j < m) {
        int r;
        if (j == m)
            r = -1;
        else if (i == n)
            r = 1;
        else if ((r = CompareBytes(keyA, keyB)) == 0)
            r = CompareFolded((*this)[i], other[j]);
        if (r <= 0) {
            take((*this)[i]);
            if (++i < n) keyA = mine.Of((*this)[i]);
            if (r == 0 && ++j < m) keyB = theirs.Of(other[j]);  // already present
        } else {
            take(other[j]);
            ++added;
            if (++j < m) keyB = theirs.Of(other[j]);
        }
    }
    starts.push_back(static_cast<std::uint32_t>(text.size()));
    text.push_back('\0');
    text_.swap(text);
    starts_.swap(starts);
    for (int k = 0; k < added; ++k) Changed();
    return added;
}

void DicList::LoadFromBytes(std::string_view bytes) {
    Progress silent;
    Replace(Read(bytes, silent));
}

void DicList::AppendFromBytes(std::string_view bytes) {
    Progress silent;
    Merge(Read(bytes, silent), silent);
}

void DicList::Changed() {
    ++version_;
    if (OnChange) OnChange();
}

}  // namespace dictionary
