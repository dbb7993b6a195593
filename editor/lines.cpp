// The line list of a Thai control and the rules that turn text into lines and back.
#include "editor/lines.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace {

int Length(const std::string& s) { return static_cast<int>(std::min<size_t>(s.size(), 0x7FFFFFFF)); }

}  // namespace

void TLines::Set(int index, std::string line) {
    if (index < 0 || index >= Count()) return;
    const int len = Length(line);
    std::string& slot = lines_[static_cast<size_t>(index)];
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
    const int len = Length(line);
    lines_.insert(lines_.begin() + index, std::move(line));
    std::vector<std::string> none;
    Recorded(index, none, 1);
    Changed(len);
}

void TLines::Add(std::string line) {
    const int len = Length(line);
    lines_.push_back(std::move(line));
    std::vector<std::string> none;
    Recorded(Count() - 1, none, 1);
    Changed(len);
}

void TLines::Delete(int index) {
    if (index < 0 || index >= Count()) return;
    std::vector<std::string> removed;
    if (OnRecord) removed.push_back(std::move(lines_[static_cast<size_t>(index)]));
    lines_.erase(lines_.begin() + index);
    Recorded(index, removed, 0);
    Changed(0);
}

void TLines::Assign(std::vector<std::string> lines) {
    int longest = 0;
    for (const std::string& s : lines) longest = std::max(longest, Length(s));
    if (!OnRecord) {
        lines_ = std::move(lines);
        Changed(longest);
        return;
    }
    // Only the lines between the equal head and the equal tail of the old and new list changed.
    const size_t most = std::min(lines_.size(), lines.size());
    size_t head = 0;
    while (head < most && lines_[head] == lines[head]) ++head;
    size_t tail = 0;
    while (tail < most - head && lines_[lines_.size() - 1 - tail] == lines[lines.size() - 1 - tail]) ++tail;
    std::vector<std::string> removed(std::make_move_iterator(lines_.begin() + static_cast<std::ptrdiff_t>(head)),
                                     std::make_move_iterator(lines_.end() - static_cast<std::ptrdiff_t>(tail)));
    lines_ = std::move(lines);
    Recorded(static_cast<int>(head), removed, static_cast<int>(lines_.size() - head - tail));
    Changed(longest);
}

void TLines::Clear() {
    if (lines_.empty()) return;
    std::vector<std::string> removed;
    removed.swap(lines_);
    Recorded(0, removed, 0);
    Changed(0);
}

std::vector<std::string> TLines::Splice(int at, int count, std::vector<std::string> lines) {
    at = std::clamp(at, 0, Count());
    count = std::clamp(count, 0, Count() - at);
    int longest = 0;
    for (const std::string& s : lines) longest = std::max(longest, Length(s));
    const auto first = lines_.begin() + at;
    std::vector<std::string> removed(std::make_move_iterator(first), std::make_move_iterator(first + count));
    const size_t common = std::min(static_cast<size_t>(count), lines.size());
    // Equal counts are written in place; otherwise the rest is erased or inserted.
    std::move(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(common), first);
    if (lines.size() > common)
        lines_.insert(first + static_cast<std::ptrdiff_t>(common),
                      std::make_move_iterator(lines.begin() + static_cast<std::ptrdiff_t>(common)),
                      std::make_move_iterator(lines.end()));
    else
        lines_.erase(first + static_cast<std::ptrdiff_t>(common), first + count);
    const int inserted = static_cast<int>(lines.size());
    std::vector<std::string> recorded = OnRecord ? removed : std::vector<std::string>();
    Recorded(at, recorded, inserted);
    Changed(longest);
    return removed;
}

std::vector<std::string> SplitLines(std::string_view text) {
    // A NUL ends the text.
    if (const void* nul = std::memchr(text.data(), 0, text.size()))
        text = text.substr(0, static_cast<size_t>(static_cast<const char*>(nul) - text.data()));

    std::vector<std::string> lines;
    const char* p = text.data();
    const char* const end = p + text.size();
    const char* start = p;
    while (p < end) {
        const char c = *p;
        if (c != '\r' && c != '\n') {
            ++p;
            continue;
        }
        lines.emplace_back(start, p);
        // CR LF is one break; LF CR is two.
        p += (c == '\r' && p + 1 < end && p[1] == '\n') ? 2 : 1;
        start = p;
    }
    // A break at the very end adds no empty line.
    if (start < end) lines.emplace_back(start, end);
    return lines;
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
