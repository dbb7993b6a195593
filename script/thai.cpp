#include "script/thai.h"

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

// The text being wrapped, loaded from the source only as far as the scan has reached, so that
// every insertion happens near the end of the buffer and wrapping stays linear in the text size.
class WrapBuffer {
public:
    explicit WrapBuffer(std::string source) : src_(std::move(source)) { buf_.reserve(src_.size() + src_.size() / 8); }
    int Length() const { return static_cast<int>(buf_.size() + (src_.size() - next_)); }
    unsigned char At(int p) {
        Load(p);
        return static_cast<unsigned char>(buf_[static_cast<size_t>(p - 1)]);
    }
    void InsertBreak(int p) {
        Load(p);
        buf_.insert(static_cast<size_t>(p - 1), "\r\n");
    }
    void Erase(int p) {
        Load(p);
        buf_.erase(static_cast<size_t>(p - 1), 1);
    }
    std::string Take() {
        buf_.append(src_, next_, std::string::npos);
        return std::move(buf_);
    }

private:
    void Load(int p) {
        const size_t want = static_cast<size_t>(p);
        if (buf_.size() >= want) return;
        const size_t n = std::min(want - buf_.size(), src_.size() - next_);
        buf_.append(src_, next_, n);
        next_ += n;
    }
    std::string src_;
    size_t next_ = 0;
    std::string buf_;
};

int FindBreak(WrapBuffer& t, int pos, int col) {
    const int limit = col / 2 + 1;
    for (int k = 0; k <= limit && pos - k >= 1; ++k) {
        const unsigned char c = t.At(pos - k);
        if (BreakBefore.contains(c)) {
            if (c == Tab) t.Erase(pos - k);
            return pos - k;
        }
        if (BreakAfter.contains(c)) return pos - k + 1;
    }
    for (int k = 0; k <= limit && pos - k >= 1; ++k) {
        const unsigned char c = t.At(pos - k);
        if (LeadingVowels.contains(c)) return pos - k;
        if (ToneMarks.contains(c)) return pos - k + 1;
    }
    return pos;
}

}  // namespace

void WrapText(std::string& text, int width) {
    if (text.empty()) return;
    width = std::max(width, 3);
    WrapBuffer t(std::move(text));
    int pos = 1;
    int col = 0;
    while (pos < t.Length()) {
        const unsigned char c = t.At(pos);
        if (c == CR) {
            col = 0;
            pos += 2;
            continue;
        }
        if (!IsMark(c)) ++col;
        if (col + 1 >= width) {
            const int b = FindBreak(t, pos, col);
            t.InsertBreak(b);
            col = 0;
            ++pos;
        }
        ++pos;
    }
    text = t.Take();
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
