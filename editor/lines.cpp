// The line list of a Thai control, and the joined text its lines go back to.
#include "editor/lines.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <new>

namespace {

int Length(const std::string& s) { return static_cast<int>(std::min<size_t>(s.size(), 0x7FFFFFFF)); }

}  // namespace

void TLines::MoveGap(int index) const {
    const size_t to = static_cast<size_t>(index);
    if (gapLen_ == 0) {
        gapStart_ = to;
        return;
    }
    auto first = lines_.begin();
    if (to < gapStart_) {
        // The lines [to, gapStart_) move behind the gap.
        std::move_backward(first + static_cast<std::ptrdiff_t>(to), first + static_cast<std::ptrdiff_t>(gapStart_),
                           first + static_cast<std::ptrdiff_t>(gapStart_ + gapLen_));
    } else if (to > gapStart_) {
        // The lines after the gap, up to line `index`, move in front of it.
        std::move(first + static_cast<std::ptrdiff_t>(gapStart_ + gapLen_), first + static_cast<std::ptrdiff_t>(to + gapLen_),
                  first + static_cast<std::ptrdiff_t>(gapStart_));
    }
    gapStart_ = to;
}

void TLines::GrowGap(size_t size) {
    if (gapLen_ >= size) return;
    // Room for many more lines than asked for, so that the lines after the gap move seldom.
    const size_t add = std::max({size - gapLen_, size_t{4096}, lines_.size() / 16});
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(gapStart_ + gapLen_), add, std::string());
    gapLen_ += add;
}

const std::vector<std::string>& TLines::All() const {
    if (gapLen_ > 0) {
        MoveGap(Count());
        lines_.resize(lines_.size() - gapLen_);
        gapLen_ = 0;
    }
    return lines_;
}

void TLines::Set(int index, std::string line) {
    if (index < 0 || index >= Count()) return;
    Touched(index);
    const int len = Length(line);
    std::string& slot = lines_[Slot(index)];
    if (OnRecord) {
        std::vector<std::string> removed(1);
        removed[0] = std::move(slot);
        slot = std::move(line);
        Recorded(index, removed, 1);
    } else {
        slot = std::move(line);
    }
    Changed(len);
}

void TLines::Insert(int index, std::string line) {
    index = std::clamp(index, 0, Count());
    Touched(index);
    const int len = Length(line);
    MoveGap(index);
    GrowGap(1);
    lines_[gapStart_++] = std::move(line);
    --gapLen_;
    std::vector<std::string> none;
    Recorded(index, none, 1);
    Changed(len);
}

void TLines::Add(std::string line) { Insert(Count(), std::move(line)); }

void TLines::Delete(int index) {
    if (index < 0 || index >= Count()) return;
    Touched(index);
    MoveGap(index);
    std::vector<std::string> removed;
    if (OnRecord) removed.push_back(std::move(lines_[gapStart_ + gapLen_]));
    lines_[gapStart_ + gapLen_] = std::string();
    ++gapLen_;
    Recorded(index, removed, 0);
    Changed(0);
}

std::optional<bool> TLines::RoomToRecord(std::vector<std::string>& removed, size_t count) {
    for (int attempt = 0;; ++attempt) {
        try {
            removed.reserve(count);
            return true;
        } catch (const std::bad_alloc&) {
            switch (OnNoRecordMemory ? OnNoRecordMemory(attempt) : NoMemory::Refuse) {
                case NoMemory::Retry: continue;
                case NoMemory::WithoutRecord: return false;
                case NoMemory::Refuse: return std::nullopt;
            }
        }
    }
}

void TLines::Assign(std::vector<std::string> lines) {
    int longest = 0;
    for (const std::string& s : lines) longest = std::max(longest, Length(s));
    std::vector<std::string> removed;
    int at = 0, inserted = static_cast<int>(lines.size());
    bool record = OnRecord != nullptr;
    if (record) {
        // Only the lines between the equal head and the equal tail of the old and new list changed.
        const std::vector<std::string>& old = All();
        const size_t most = std::min(old.size(), lines.size());
        size_t head = 0;
        while (head < most && old[head] == lines[head]) ++head;
        size_t tail = 0;
        while (tail < most - head && old[old.size() - 1 - tail] == lines[lines.size() - 1 - tail]) ++tail;
        const std::optional<bool> room = RoomToRecord(removed, old.size() - head - tail);
        if (!room) return;
        record = *room;
        if (record) {
            removed.insert(removed.end(), std::make_move_iterator(lines_.begin() + static_cast<std::ptrdiff_t>(head)),
                           std::make_move_iterator(lines_.end() - static_cast<std::ptrdiff_t>(tail)));
            at = static_cast<int>(head);
            inserted = static_cast<int>(lines.size() - head - tail);
        }
    }
    Touched(0);
    lines_ = std::move(lines);
    gapStart_ = gapLen_ = 0;
    if (record) Recorded(at, removed, inserted);
    Changed(longest);
}

void TLines::Clear() {
    if (Empty()) return;
    Touched(0);
    std::vector<std::string> removed;
    if (OnRecord) {
        All();
        removed.swap(lines_);
    }
    lines_.clear();
    lines_.shrink_to_fit();
    gapStart_ = gapLen_ = 0;
    Recorded(0, removed, 0);
    Changed(0);
}

void TLines::Clamp(int& index, int& count) const {
    index = std::clamp(index, 0, Count());
    count = std::clamp(count, 0, Count() - index);
}

void TLines::ReplaceRange(int index, int count, std::vector<std::string>& lines, std::vector<std::string>* removed) {
    Touched(index);
    // The replaced lines join the gap; the new ones fill it from its start.
    MoveGap(index);
    for (int k = 0; k < count; ++k) {
        std::string& slot = lines_[gapStart_ + gapLen_ + static_cast<size_t>(k)];
        if (removed) removed->push_back(std::move(slot));
        slot = std::string();
    }
    gapLen_ += static_cast<size_t>(count);
    GrowGap(lines.size());
    for (std::string& s : lines) lines_[gapStart_++] = std::move(s);
    gapLen_ -= lines.size();
}

namespace {

int Longest(const std::vector<std::string>& lines) {
    int longest = 0;
    for (const std::string& s : lines) longest = std::max(longest, Length(s));
    return longest;
}

}  // namespace

bool TLines::Replace(int index, int count, std::vector<std::string> lines) {
    Clamp(index, count);
    std::vector<std::string> removed;
    bool record = OnRecord != nullptr;
    if (record) {
        const std::optional<bool> room = RoomToRecord(removed, static_cast<size_t>(count));
        if (!room) return false;
        record = *room;
    }
    const int longest = Longest(lines);
    const int inserted = static_cast<int>(lines.size());
    ReplaceRange(index, count, lines, record ? &removed : nullptr);
    if (record) Recorded(index, removed, inserted);
    Changed(longest);
    return true;
}

std::vector<std::string> TLines::Splice(int index, int count, std::vector<std::string> lines) {
    Clamp(index, count);
    const int longest = Longest(lines);
    const int inserted = static_cast<int>(lines.size());
    std::vector<std::string> removed;
    removed.reserve(static_cast<size_t>(count));
    ReplaceRange(index, count, lines, &removed);
    if (OnRecord) {
        std::vector<std::string> copy = removed;
        Recorded(index, copy, inserted);
    }
    Changed(longest);
    return removed;
}

int TLines::StartOf(int index) const {
    index = std::clamp(index, 0, Count());
    if (index > startsValid_) {
        if (starts_.size() < static_cast<size_t>(Count()) + 1) starts_.resize(static_cast<size_t>(Count()) + 1);
        for (int i = startsValid_; i < index; ++i)
            starts_[static_cast<size_t>(i) + 1] = starts_[static_cast<size_t>(i)] + static_cast<std::int64_t>((*this)[i].size()) + 2;
        startsValid_ = index;
    }
    return static_cast<int>(std::min<std::int64_t>(starts_[static_cast<size_t>(index)], 0x7FFFFFFF));
}

int TLines::LineOfOffset(int offset, int hint) const {
    if (offset < 0) return 0;
    int line = std::clamp(hint, 0, Count());
    if (offset < StartOf(line)) {
        // Every start up to the hint is known now: search them.
        const auto first = starts_.begin();
        const auto after = std::upper_bound(first, first + line + 1, static_cast<std::int64_t>(offset));
        return static_cast<int>(after - first) - 1;
    }
    // Gallop on from the hint, then search the starts passed; only the lines up to the answer
    // (and as many again at most) get their starts worked out.
    int hi = line + 1;
    for (int step = 1; hi <= Count() && offset >= StartOf(hi); step *= 2) {
        line = hi;
        hi = line + 2 * step;
    }
    if (line == Count()) return line;
    hi = std::min(hi, Count());
    StartOf(hi);
    const auto first = starts_.begin();
    const auto after = std::upper_bound(first + line, first + hi + 1, static_cast<std::int64_t>(offset));
    return static_cast<int>(after - first) - 1;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    size_t total = 0;
    for (const std::string& s : lines) total += s.size() + 2;
    std::string text;
    text.reserve(total);
    for (const std::string& s : lines) {
        text += s;
        text += "\r\n";
    }
    return text;
}
