// The line list of a Thai control and the rules that turn text into lines and back.
#include "editor/lines.h"

#include <algorithm>
#include <cstring>

namespace {

int Length(const std::string& s) { return static_cast<int>(std::min<size_t>(s.size(), 0x7FFFFFFF)); }

}  // namespace

void TLines::Set(int index, std::string line) {
    if (index < 0 || index >= Count()) return;
    const int len = Length(line);
    lines_[static_cast<size_t>(index)] = std::move(line);
    Changed(len);
}

void TLines::Insert(int index, std::string line) {
    index = std::clamp(index, 0, Count());
    const int len = Length(line);
    lines_.insert(lines_.begin() + index, std::move(line));
    Changed(len);
}

void TLines::Add(std::string line) {
    const int len = Length(line);
    lines_.push_back(std::move(line));
    Changed(len);
}

void TLines::Delete(int index) {
    if (index < 0 || index >= Count()) return;
    lines_.erase(lines_.begin() + index);
    Changed(0);
}

void TLines::Assign(std::vector<std::string> lines) {
    int longest = 0;
    for (const std::string& s : lines) longest = std::max(longest, Length(s));
    lines_ = std::move(lines);
    Changed(longest);
}

void TLines::Clear() {
    if (lines_.empty()) return;
    lines_.clear();
    lines_.shrink_to_fit();
    Changed(0);
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
