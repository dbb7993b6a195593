// The line rule: one reader that finds the line breaks eight bytes at a time.
#include "platform/textlines.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace platform {

namespace {

// A mark (the high bit) for each of the eight bytes at p that is CR or LF, the first byte lowest.
inline std::uint64_t BreakBytes(const char* p) {
    constexpr std::uint64_t ones = 0x0101010101010101ULL, high = 0x8080808080808080ULL;
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    // The first byte lowest: the marks above the first CR or LF may be wrong.
    if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
    const std::uint64_t cr = word ^ (ones * '\r'), lf = word ^ (ones * '\n');
    return (((cr - ones) & ~cr) | ((lf - ones) & ~lf)) & high;
}

// The index of the first byte marked in a word of BreakBytes (not 0).
inline int FirstMarked(std::uint64_t marks) { return std::countr_zero(marks) / 8; }

}  // namespace

LineReader::LineReader(std::string_view text) : p_(text.data()), end_(text.data() + text.size()) {
    // A NUL ends the text.
    if (const void* nul = std::memchr(p_, 0, text.size())) end_ = static_cast<const char*>(nul);
}

bool LineReader::Next(std::string_view& line) {
    const char* p = p_;
    // A break at the very end adds no empty line.
    if (p == end_) return false;
    const char* const start = p;
    for (;;) {
        // Eight bytes at a time up to the next CR or LF.
        while (end_ - p >= 8) {
            const std::uint64_t breaks = BreakBytes(p);
            if (breaks) {
                p += FirstMarked(breaks);
                break;
            }
            p += 8;
        }
        if (p == end_) {
            line = std::string_view(start, static_cast<size_t>(p - start));
            p_ = p;
            return true;
        }
        const char c = *p;
        if (c == '\r' || c == '\n') {
            line = std::string_view(start, static_cast<size_t>(p - start));
            // CR LF is one break; LF CR is two.
            p_ = p + ((c == '\r' && p + 1 < end_ && p[1] == '\n') ? 2 : 1);
            return true;
        }
        ++p;
    }
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    LineReader reader(text);
    for (std::string_view line; reader.Next(line);) lines.emplace_back(line);
    return lines;
}

std::vector<std::string_view> SplitLineViews(std::string_view text) {
    std::vector<std::string_view> lines;
    LineReader reader(text);
    for (std::string_view line; reader.Next(line);) lines.push_back(line);
    return lines;
}

}  // namespace platform
