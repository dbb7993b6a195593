#include "script/thai.h"

#include <thai/thbrk.h>

#include <algorithm>

namespace thai {

namespace {

constexpr unsigned char CR = 0x0D;
constexpr unsigned char LF = 0x0A;
constexpr unsigned char Tab = 0x09;

// Byte at 1-based position p.
inline unsigned char At(std::string_view t, int p) { return static_cast<unsigned char>(t[p - 1]); }

inline bool IsMark(unsigned char c) { return CombiningMarks.contains(c); }

}  // namespace

int CellToPos(std::string_view text, int column) {
    const int len = static_cast<int>(text.size());
    int pos = 0;
    int cells = 0;
    // The first byte opens column 0 even when it is a mark, as PosToCell counts it: a line that
    // starts with marks shows them as a cell of their own, and every later cell one column on.
    while (cells <= column && pos + 1 <= len) {
        ++pos;
        if (pos == 1 || !IsMark(At(text, pos))) ++cells;
    }
    return cells <= column ? len + 1 : pos;
}

int PosToCell(std::string_view text, int pos) {
    const int len = static_cast<int>(text.size());
    if (len == 0) return 0;
    int i = 1;
    int n = 0;
    const int stop = std::min(len, pos);
    while (i < stop) {
        ++i;
        if (!IsMark(At(text, i))) ++n;
    }
    if (pos > len) ++n;
    return n;
}

int CellCount(std::string_view text) {
    if (text.empty()) return 0;
    return PosToCell(text, static_cast<int>(text.size()) + 1);
}

int LastOfCell(std::string_view text, int column) {
    const int len = static_cast<int>(text.size());
    int p = CellToPos(text, column);
    while (p >= 0 && p + 1 <= len && IsMark(At(text, p + 1))) ++p;
    return p;
}

void EraseCell(std::string& text, int column) {
    const size_t at = static_cast<size_t>(CellToPos(text, column) - 1);
    if (at >= text.size()) return;
    text.erase(at, 1);
    for (int k = 0; k < 2; ++k)
        if (at < text.size() && IsMark(static_cast<unsigned char>(text[at]))) text.erase(at, 1);
}

bool EraseLastOfCell(std::string& text, int column) {
    const int first = CellToPos(text, column);
    const int p = LastOfCell(text, column);
    if (first < 1 || p > static_cast<int>(text.size())) return false;
    text.erase(static_cast<size_t>(p - 1), 1);
    // A mark behind the cell's first byte: the cell stays. The cell's only byte (a base, or a
    // mark that opens a line) takes the whole cell, and the rest of the line moves left.
    return p > first;
}

void AttachMark(std::string& text, int pos, unsigned char mark) {
    const int len = static_cast<int>(text.size());
    if (pos < 2 || pos > len + 1 || !IsMark(mark)) return;
    const unsigned char prev = At(text, pos - 1);
    const char m = static_cast<char>(mark);
    auto insertAt = [&](int p) { text.insert(static_cast<size_t>(p - 1), 1, m); };
    auto replaceAt = [&](int p) { text[static_cast<size_t>(p - 1)] = m; };

    if (!IsMark(prev)) {
        if (MarkCarriers.contains(prev)) insertAt(pos);  // 1: the mark joins its base
        return;                                          // 2: refused
    }
    if (prev == Maitaikhu) {  // 3
        replaceAt(pos - 1);
        return;
    }
    const bool markIsTone = ToneMarks.contains(mark);
    const bool markIsVowelLike = VowelMarks.contains(mark) || mark == Maitaikhu;
    if (VowelMarks.contains(prev)) {
        if (markIsTone)
            insertAt(pos);  // 4: the tone follows the vowel
        else if (markIsVowelLike)
            replaceAt(pos - 1);  // 6
        return;
    }
    // prev is a tone mark.
    if (markIsTone) {  // 5
        replaceAt(pos - 1);
        return;
    }
    if (markIsVowelLike) {  // 7: a vowel typed after a tone goes in front of the tone
        if (pos - 2 >= 1 && VowelMarks.contains(At(text, pos - 2))) {
            text.erase(static_cast<size_t>(pos - 3), 1);
            --pos;
        }
        if (mark == Maitaikhu)
            replaceAt(pos - 1);
        else
            insertAt(pos - 1);
    }
}

namespace {

inline bool IsBlank(unsigned char c) { return c == 0x20 || c == Tab; }
inline bool IsThai(unsigned char c) { return c >= 0xA1 && c <= 0xFB; }

// libthai's word breaker with its dictionary, made on first use; null where the dictionary cannot
// be loaded (Thai then breaks before leading vowels and after tone marks only).
ThBrk* WordBreaker() {
    static ThBrk* const breaker = th_brk_new(nullptr);
    return breaker;
}

// How far past the current byte the words of unspaced Thai are read, so that the word breaker sees
// the whole word it stands in.
constexpr size_t kWordLookAhead = 64;

}  // namespace

LineWrapper::LineWrapper(std::string_view line, int width, bool examineLast)
    : line_(line), width_(std::max(width, 3)), end_(examineLast || line.empty() ? line.size() : line.size() - 1) {}

// The word boundaries that libthai finds in the line from its current start to the end of the word
// at `pos` (positions in the line; each one is a place where a new line may begin).
void LineWrapper::ThaiBoundaries(size_t pos) {
    boundaries_.clear();
    ThBrk* breaker = WordBreaker();
    if (!breaker) return;
    size_t stop = pos + 1;
    while (stop < line_.size() && stop < pos + kWordLookAhead && !IsBlank(static_cast<unsigned char>(line_[stop])) &&
           line_[stop] != '\0')
        ++stop;
    std::string piece(line_.substr(start_, stop - start_));
    if (const size_t nul = piece.find('\0'); nul != std::string::npos) piece.resize(nul);
    breaks_.resize(piece.size() + 1);
    const int n = th_brk_find_breaks(breaker, reinterpret_cast<const thchar_t*>(piece.c_str()), breaks_.data(),
                                     breaks_.size());
    for (int k = 0; k < n; ++k)
        if (breaks_[static_cast<size_t>(k)] > 0) boundaries_.push_back(start_ + static_cast<size_t>(breaks_[static_cast<size_t>(k)]));
}

// Where the line that reached the width at `pos` (holding `col` cells) is broken: the position that
// begins the next line, always after the current line's first byte. A tab found as the break is
// dropped (`dropTab`).
size_t LineWrapper::FindBreak(size_t pos, int col, bool& dropTab) {
    dropTab = false;
    const size_t limit = static_cast<size_t>(col / 2 + 1);
    const size_t from = pos - std::min(limit, pos - start_);  // the look-back window: from..pos
    auto at = [&](size_t p) { return static_cast<unsigned char>(line_[p]); };

    bool blank = false, thai = false;
    for (size_t p = from; p <= pos; ++p) {
        blank = blank || IsBlank(at(p));
        thai = thai || IsThai(at(p));
    }
    if (thai && !blank) {
        // Unspaced Thai: the last word boundary in the window, else the last one earlier in the
        // line, so that no word is cut where the line can hold it whole.
        ThaiBoundaries(pos);
        size_t best = 0;
        for (size_t b : boundaries_)
            if (b > start_ && b <= pos) best = b;
        if (best) return best;
    }
    for (size_t p = pos + 1; p-- > from;) {
        const unsigned char c = at(p);
        if (BreakBefore.contains(c)) {
            if (p == start_) continue;  // a break there would leave an empty line
            dropTab = c == Tab;
            return p;
        }
        if (BreakAfter.contains(c)) return p + 1;
    }
    for (size_t p = pos + 1; p-- > from;) {
        const unsigned char c = at(p);
        if (LeadingVowels.contains(c) && p > start_) return p;
        if (ToneMarks.contains(c)) return p + 1;
    }
    return pos;
}

bool LineWrapper::Next(std::string_view& piece) {
    if (done_) return false;
    while (pos_ < end_) {
        const size_t pos = pos_;
        if (!IsMark(static_cast<unsigned char>(line_[pos]))) ++col_;
        ++pos_;
        if (col_ + 1 < width_) continue;
        bool dropTab = false;
        const size_t b = FindBreak(pos, col_, dropTab);
        piece = line_.substr(start_, b - start_);
        start_ = dropTab ? b + 1 : b;
        // The new line holds what lies between the break and the byte that reached the width.
        col_ = 0;
        for (size_t p = start_; p <= pos && p < line_.size(); ++p)
            if (!IsMark(static_cast<unsigned char>(line_[p]))) ++col_;
        pos_ = std::max(pos_, start_);
        return true;
    }
    piece = line_.substr(start_);
    done_ = true;
    return true;
}

void WrapText(std::string& text, int width) {
    if (text.empty()) return;
    // Each run of bytes up to a CR is wrapped on its own; the CR and the byte after it (its LF)
    // stay as they are. The text's very last byte is never examined.
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    const std::string_view all(text);
    size_t start = 0;
    while (start < all.size()) {
        const size_t cr = all.find('\r', start);
        const size_t stop = cr == std::string_view::npos || cr + 1 >= all.size() ? all.size() : cr;
        const bool last = stop == all.size();
        LineWrapper wrapper(all.substr(start, stop - start), width, !last);
        std::string_view piece;
        bool first = true;
        while (wrapper.Next(piece)) {
            if (!first) out += "\r\n";
            out += piece;
            first = false;
        }
        if (last) break;
        out.append(all.substr(stop, 2));
        start = stop + 2;
    }
    text = std::move(out);
}

LineCol OffsetToLineCol(std::string_view text, int offset) {
    const int len = static_cast<int>(text.size());
    int col = 0;
    int j = std::min(offset, len);
    while (j > 0) {
        const unsigned char c = At(text, j);
        if (c == CR || c == LF) {
            const int line = static_cast<int>(std::count(text.begin(), text.begin() + (j - 1), '\r'));
            return {line, col};
        }
        ++col;
        --j;
    }
    return {0, col};
}

}  // namespace thai
