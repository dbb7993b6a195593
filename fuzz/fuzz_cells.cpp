// The Thai cell functions, the mark rule, wrapping and the caret's line and column, against the
// character classes they are defined by.
//
// Input: the first byte chooses the wrap width, the rest is text. The text's cells are compared with
// the cells the class CombiningMarks defines; the text is then typed byte by byte, marks through
// AttachMark, and every cell typed so holds its marks in the order base, vowel, tone.
#include "fuzz/fuzz_check.h"
#include "script/thai.h"

#include <algorithm>
#include <string>

namespace {

using thai::CombiningMarks;

bool IsMark(unsigned char c) { return CombiningMarks.contains(c); }
unsigned char At(std::string_view t, int pos) { return static_cast<unsigned char>(t[static_cast<size_t>(pos - 1)]); }

// 1-based positions where cells start: the first byte, and every byte that is not a mark.
std::vector<int> CellStarts(std::string_view text) {
    std::vector<int> starts;
    for (int p = 1; p <= static_cast<int>(text.size()); ++p)
        if (p == 1 || !IsMark(At(text, p))) starts.push_back(p);
    return starts;
}

void CheckCells(std::string_view text) {
    const int len = static_cast<int>(text.size());
    const std::vector<int> starts = CellStarts(text);
    const int n = static_cast<int>(starts.size());
    FUZZ_CHECK(thai::CellCount(text) == n);
    // Every function sees the same cells: the first byte opens column 0 even when it is a mark.
    for (int c = 0; c <= n + 1; ++c) {
        const int first = c < n ? starts[static_cast<size_t>(c)] : len + 1;
        const int last = c + 1 < n ? starts[static_cast<size_t>(c) + 1] - 1 : c < n ? len : len + 1;
        FUZZ_CHECK(thai::CellToPos(text, c) == first);
        FUZZ_CHECK(thai::LastOfCell(text, c) == last);
    }
    FUZZ_CHECK(thai::CellToPos(text, -1) == 0);
    int column = -1;
    for (int p = 1; p <= len; ++p) {
        if (std::binary_search(starts.begin(), starts.end(), p)) ++column;
        FUZZ_CHECK(thai::PosToCell(text, p) == column);
    }
    FUZZ_CHECK(thai::PosToCell(text, len + 1) == n);
    FUZZ_CHECK(thai::PosToCell(text, len + 7) == n);
}

// The marks after a typed cell's base: none, a vowel, a tone, a vowel and a tone, or maitaikhu.
bool WellFormedMarks(std::string_view marks) {
    auto vowel = [](unsigned char c) { return thai::VowelMarks.contains(c); };
    auto tone = [](unsigned char c) { return thai::ToneMarks.contains(c); };
    switch (marks.size()) {
    case 0: return true;
    case 1: return true;
    case 2: return vowel(static_cast<unsigned char>(marks[0])) && tone(static_cast<unsigned char>(marks[1]));
    default: return false;
    }
}

// Types the bytes at the end of a text: a mark goes through the mark rule, anything else is added.
std::string Typed(std::string_view bytes) {
    std::string text;
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (!IsMark(b)) {
            text += ch;
            continue;
        }
        if (text.empty()) continue;  // nothing to join
        const int pos = static_cast<int>(text.size()) + 1;
        const int cellStart = thai::CellToPos(text, thai::PosToCell(text, pos - 1));
        const std::string before = text;
        thai::AttachMark(text, pos, b);
        // Only the last cell changes; the mark rule never opens a cell.
        FUZZ_CHECK(text.compare(0, static_cast<size_t>(cellStart - 1), before, 0, static_cast<size_t>(cellStart - 1)) == 0);
        FUZZ_CHECK(thai::CellCount(text) == thai::CellCount(before));
        // One mark more, the same number, or one less (a vowel and tone give way to maitaikhu).
        FUZZ_CHECK(text.size() + 1 >= before.size() && text.size() <= before.size() + 1);
        const auto base = static_cast<unsigned char>(text[static_cast<size_t>(cellStart - 1)]);
        if (!thai::MarkCarriers.contains(base)) FUZZ_CHECK(text == before);
        FUZZ_CHECK(WellFormedMarks(std::string_view(text).substr(static_cast<size_t>(cellStart))));
    }
    return text;
}

void CheckWrap(std::string_view input, int width) {
    // A CR LF separated text ending in CR LF, as the callers hand it over.
    std::string text;
    for (char c : input) {
        if (c == '\r') continue;
        if (c == '\n')
            text += "\r\n";
        else
            text += c;
    }
    text += "\r\n";
    std::string wrapped = text;
    thai::WrapText(wrapped, width);
    width = std::max(width, 3);

    // Only line breaks are added, and a tab may give way to one.
    auto content = [](const std::string& s) {
        std::string out;
        for (char c : s)
            if (c != '\r' && c != '\n' && c != '\t') out += c;
        return out;
    };
    FUZZ_CHECK(content(wrapped) == content(text));
    FUZZ_CHECK(wrapped.size() >= text.size() - static_cast<size_t>(std::count(text.begin(), text.end(), '\t')));
    // Every line holds at most width - 1 cells; at the narrowest widths the cells carried over
    // from the look-back window may make one more. A line that opens with a stray mark shows it as
    // a cell of its own.
    const int most = std::max(width - 1, (width - 1) / 2 + 3) + 1;
    size_t start = 0;
    while (start < wrapped.size()) {
        size_t end = wrapped.find("\r\n", start);
        if (end == std::string::npos) end = wrapped.size();
        FUZZ_CHECK(thai::CellCount(std::string_view(wrapped).substr(start, end - start)) <= most);
        start = end + 2;
    }
}

void CheckLineCol(std::string_view text) {
    const int len = static_cast<int>(text.size());
    int lastBreak = -1;  // 0-based index of the last CR or LF before the caret
    int crs = 0;         // CR bytes before that break
    int crsSoFar = 0;
    for (int k = 0; k <= len; ++k) {
        if (k > 0) {
            const char c = text[static_cast<size_t>(k - 1)];
            if (c == '\r' || c == '\n') {
                lastBreak = k - 1;
                crs = crsSoFar;
            }
            if (c == '\r') ++crsSoFar;
        }
        const thai::LineCol lc = thai::OffsetToLineCol(text, k);
        FUZZ_CHECK(lc.line == (lastBreak < 0 ? 0 : crs));
        FUZZ_CHECK(lc.col == k - 1 - lastBreak);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const int width = data[0] % 130;  // below 3 included: taken as 3
    const std::string_view text = fuzzing::Bytes(data + 1, size - 1);

    CheckCells(text);
    const std::string typed = Typed(text);
    CheckCells(typed);
    for (int c = 0, n = thai::CellCount(typed); c < n; ++c) {
        const int from = thai::CellToPos(typed, c);
        const int to = thai::LastOfCell(typed, c);
        const auto base = static_cast<unsigned char>(typed[static_cast<size_t>(from - 1)]);
        FUZZ_CHECK(!IsMark(base));
        if (to > from) FUZZ_CHECK(thai::MarkCarriers.contains(base));
        FUZZ_CHECK(WellFormedMarks(std::string_view(typed).substr(static_cast<size_t>(from), static_cast<size_t>(to - from))));
    }
    if (text.size() <= 2048) CheckLineCol(text);
    CheckWrap(text, width);
    return 0;
}
