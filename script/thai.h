// The Thai character model: character classes of TIS-620, display cells, the mark rule and
// the line-break rule. Pure functions over byte strings; no state, no drawing.
//
// Conventions: a position is a 1-based byte index (length + 1 is just past the end); a column
// is a 0-based display-cell index. A display cell is a byte that is not a combining mark plus
// every combining mark directly following it; the first byte always opens column 0.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace thai {

// A set over the 256 byte values.
class CharSet {
public:
    struct Range {
        unsigned char first, last;
    };
    constexpr CharSet(std::initializer_list<Range> ranges) {
        for (Range r : ranges)
            for (int c = r.first; c <= r.last; ++c) words_[c >> 6] |= std::uint64_t{1} << (c & 63);
    }
    constexpr bool contains(unsigned char c) const { return (words_[c >> 6] >> (c & 63)) & 1u; }

private:
    std::uint64_t words_[4] = {0, 0, 0, 0};
};

// Bytes with a built-in glyph image: space, asterisk and every Thai code point.
inline constexpr CharSet GlyphChars{{0x20, 0x20}, {0x2A, 0x2A}, {0xA1, 0xFB}};
// Printable ASCII without the space.
inline constexpr CharSet PrintableChars{{0x21, 0x7E}};
// Vowel and tone marks stacked above or below their base.
inline constexpr CharSet CombiningMarks{{0xD1, 0xD1}, {0xD4, 0xD9}, {0xE7, 0xEC}};
inline constexpr CharSet VowelMarks{{0xD1, 0xD1}, {0xD4, 0xD9}};
inline constexpr CharSet LowerVowels{{0xD8, 0xD9}};
inline constexpr CharSet ToneMarks{{0xE8, 0xEC}};
// Bytes a mark may follow.
inline constexpr CharSet MarkCarriers{{0x20, 0x20}, {0x2A, 0x2A}, {0xA1, 0xC3}, {0xC5, 0xCE},
                                      {0xD1, 0xD9}, {0xE8, 0xEC}};
// Word boundaries of word movement and word selection: tab, space, comma, full stop, semicolon.
inline constexpr CharSet WordSeparators{{0x09, 0x09}, {0x20, 0x20}, {0x2C, 0x2C}, {0x2E, 0x2E}, {0x3B, 0x3B}};
// Line breaks go before these: tab ( [ {
inline constexpr CharSet BreakBefore{{0x09, 0x09}, {0x28, 0x28}, {0x5B, 0x5B}, {0x7B, 0x7B}};
// Line breaks go after these: space ! & ) , - . / : ; \ ] _ }
inline constexpr CharSet BreakAfter{{0x20, 0x21}, {0x26, 0x26}, {0x29, 0x29}, {0x2C, 0x2F}, {0x3A, 0x3B},
                                    {0x5C, 0x5D}, {0x5F, 0x5F}, {0x7D, 0x7D}};
// Leading vowels, lakkhangyao and maiyamok: line breaks go before these.
inline constexpr CharSet LeadingVowels{{0xE0, 0xE6}};

inline constexpr unsigned char Maitaikhu = 0xE7;

// Position of the first byte of cell `column`; length + 1 when the column is at or past the end.
int CellToPos(std::string_view text, int column);
// Column of the cell holding position `pos`; past the end, the column just past the last cell.
int PosToCell(std::string_view text, int pos);
// Number of display cells.
int CellCount(std::string_view text);
// Position of the last byte of cell `column` (its last mark, or its base when it has none).
int LastOfCell(std::string_view text, int column);

// Backspace on a cell: removes the byte that opens cell `column` and up to two combining marks
// after it. A column at or past the end removes nothing.
void EraseCell(std::string& text, int column);
// Delete on a cell: removes the last byte of cell `column`, so a cell loses its marks one by one
// before its base. Returns whether the cell is still there (a mark behind its first byte went,
// nothing after it moved); false when the whole cell went or the column is at or past the end
// (nothing removed).
bool EraseLastOfCell(std::string& text, int column);

// Applies a typed combining mark to the cell that ends just before position `pos`: inserts it,
// replaces a mark, reorders vowel and tone, or refuses it (text unchanged). `pos` is at least 2.
void AttachMark(std::string& text, int pos, unsigned char mark);

// Inserts CR LF into a CR LF separated text so that no line reaches `width` cells. A line is
// broken at a blank, punctuation or a bracket in the look-back window (the last half of the
// line); where the window holds Thai but no blank, at the last word boundary that libthai's word
// breaker finds, in the window or else earlier in the line; otherwise before a leading vowel or
// after a tone mark, and as a last resort before the cell that reached the width. A tab where the
// line breaks gives way to the break. A width below 3 is taken as 3. The text's last byte is never
// examined (the callers' texts end in CR LF).
void WrapText(std::string& text, int width);

// Wraps one line (without its line end) a piece at a time, exactly as WrapText wraps it when a line
// end follows it (`examineLast`; otherwise its last byte is not examined, as at the very end of a
// text): each Next gives the next piece, a view into the line, and false once the line is done.
// A long text can so be wrapped line by line while other work goes on.
class LineWrapper {
public:
    LineWrapper(std::string_view line, int width, bool examineLast = true);
    bool Next(std::string_view& piece);

private:
    size_t FindBreak(size_t pos, int col, bool& dropTab);
    void ThaiBoundaries(size_t pos);
    std::string_view line_;
    int width_;
    size_t end_;        // bytes before this are examined
    size_t start_ = 0;  // where the current piece begins
    size_t pos_ = 0;    // the next byte to examine
    int col_ = 0;       // cells of the current piece up to pos_
    bool done_ = false;
    std::vector<size_t> boundaries_;
    std::vector<int> breaks_;
};

struct LineCol {
    int line;
    int col;
};
// Line (0-based) and byte column (0-based) of the caret that follows the first `offset` bytes
// of a CR LF separated text.
LineCol OffsetToLineCol(std::string_view text, int offset);

}  // namespace thai
