// Display cells: the conversions between byte positions and columns, and the character classes
// they rest on.
#include <gtest/gtest.h>

#include <vector>

#include "script/tests/thai_bytes.h"
#include "script/thai.h"

using thaitest::Hex;

namespace {

std::vector<int> CellToPosAll(const std::string& t, int columns) {
    std::vector<int> r;
    for (int c = 0; c < columns; ++c) r.push_back(thai::CellToPos(t, c));
    return r;
}

std::vector<int> PosToCellAll(const std::string& t, int last) {
    std::vector<int> r;
    for (int p = 1; p <= last; ++p) r.push_back(thai::PosToCell(t, p));
    return r;
}

}  // namespace

TEST(ThaiCells, EmptyText) {
    EXPECT_EQ(thai::CellCount(""), 0);
    EXPECT_EQ(thai::CellToPos("", 0), 1);
    EXPECT_EQ(thai::CellToPos("", 5), 1);
    EXPECT_EQ(thai::PosToCell("", 1), 0);
    EXPECT_EQ(thai::PosToCell("", 7), 0);
    EXPECT_EQ(thai::LastOfCell("", 0), 1);
}

TEST(ThaiCells, StackedMarksShareTheirBasesCell) {
    const std::string t = Hex("A1 D4 E8 A2");  // ko kai, sara i, mai ek, kho khai
    EXPECT_EQ(thai::CellCount(t), 2);
    EXPECT_EQ(CellToPosAll(t, 3), (std::vector<int>{1, 4, 5}));
    EXPECT_EQ(PosToCellAll(t, 5), (std::vector<int>{0, 0, 0, 1, 2}));
    EXPECT_EQ(thai::LastOfCell(t, 0), 3);
    EXPECT_EQ(thai::LastOfCell(t, 1), 4);
}

TEST(ThaiCells, LeadingMarkOpensColumnZero) {
    const std::string t = Hex("D4 A1");
    EXPECT_EQ(thai::PosToCell(t, 1), 0);
    EXPECT_EQ(thai::PosToCell(t, 2), 1);
    EXPECT_EQ(thai::CellCount(t), 2);
    // The two conversions agree: the mark is a cell of its own, column 0.
    EXPECT_EQ(thai::CellToPos(t, 0), 1);
    EXPECT_EQ(thai::CellToPos(t, 1), 2);
    EXPECT_EQ(thai::CellToPos(t, 2), 3);
    EXPECT_EQ(thai::LastOfCell(t, 0), 1);
    const std::string two = Hex("D4 E8 A1 E8");  // two leading marks share column 0
    EXPECT_EQ(thai::CellCount(two), 2);
    EXPECT_EQ(CellToPosAll(two, 3), (std::vector<int>{1, 3, 5}));
    EXPECT_EQ(PosToCellAll(two, 5), (std::vector<int>{0, 0, 1, 1, 2}));
}

TEST(ThaiCells, ColumnsOutsideTheText) {
    const std::string t = Hex("A1 D4 A2");
    EXPECT_EQ(thai::CellToPos(t, -1), 0);
    EXPECT_EQ(thai::CellToPos(t, 2), 4);
    EXPECT_EQ(thai::CellToPos(t, 100), 4);
    EXPECT_EQ(thai::PosToCell(t, 4), 2);   // just past the end: the column after the last cell
    EXPECT_EQ(thai::PosToCell(t, 50), 2);
    EXPECT_EQ(thai::PosToCell(t, 0), 0);
    EXPECT_EQ(thai::LastOfCell(t, 1), 3);
    EXPECT_EQ(thai::LastOfCell(t, 9), 4);  // past the end: nothing to delete there
}

TEST(ThaiCells, EveryMarkJoinsTheCellBeforeIt) {
    // Each combining mark behind a base, and a run of all of them, stays in the base's cell;
    // every other byte opens a cell of its own.
    const std::string marks = Hex("D1 D4 D5 D6 D7 D8 D9 E7 E8 E9 EA EB EC");
    for (unsigned char m : marks) {
        const std::string t = std::string("\xA1") + static_cast<char>(m) + "x";
        EXPECT_EQ(thai::CellCount(t), 2) << thaitest::ToHex(t);
        EXPECT_EQ(thai::LastOfCell(t, 0), 2) << thaitest::ToHex(t);
    }
    EXPECT_EQ(thai::CellCount("\xA1" + marks), 1);
    EXPECT_EQ(thai::LastOfCell("\xA1" + marks + "\xA2", 0), 14);
    for (int b = 1; b < 256; ++b) {
        if (thai::CombiningMarks.contains(static_cast<unsigned char>(b))) continue;
        const std::string t = std::string("\xA1") + static_cast<char>(b);
        EXPECT_EQ(thai::CellCount(t), 2) << b;
    }
}

TEST(ThaiCells, BackspaceTakesAWholeCellDeleteItsLastByte) {
    struct Case {
        const char* text;
        int column;
        const char* afterBackspace;
        const char* afterDelete;
        bool cellStays;
    };
    const Case cases[] = {
        {"A1 D4 E8 A2", 0, "A2", "A1 D4 A2", true},  // a base with vowel and tone
        {"A1 D4 E8 A2", 1, "A1 D4 E8", "A1 D4 E8", false},
        {"D4 A1", 0, "A1", "A1", false},  // a leading mark is a cell of its own: the line moves
        {"D4 E8 A1", 0, "A1", "D4 A1", true},
        {"A1", 1, "A1", "A1", false},  // past the end nothing goes
    };
    for (const Case& c : cases) {
        std::string t = Hex(c.text);
        thai::EraseCell(t, c.column);
        EXPECT_EQ(t, Hex(c.afterBackspace)) << c.text << " @" << c.column;
        t = Hex(c.text);
        EXPECT_EQ(thai::EraseLastOfCell(t, c.column), c.cellStays) << c.text << " @" << c.column;
        EXPECT_EQ(t, Hex(c.afterDelete)) << c.text << " @" << c.column;
    }
}

TEST(ThaiCells, ConversionsAgreeOnMixedText) {
    // For every cell of a mixed Thai and Latin line: its first byte maps back to it, and all of
    // its bytes up to LastOfCell do too.
    const std::string t = Hex("E0 A1 E8 D2 A7 20 41 42 A1 D4 E8 C3 D3 2E A4 D8 E9 B3");
    const int cells = thai::CellCount(t);
    EXPECT_EQ(cells, 13);
    int expectedStart = 1;
    for (int c = 0; c < cells; ++c) {
        const int first = thai::CellToPos(t, c);
        const int last = thai::LastOfCell(t, c);
        EXPECT_EQ(first, expectedStart) << c;
        EXPECT_LE(first, last);
        for (int p = first; p <= last; ++p) EXPECT_EQ(thai::PosToCell(t, p), c) << p;
        expectedStart = last + 1;
    }
    EXPECT_EQ(expectedStart, static_cast<int>(t.size()) + 1);
}

TEST(ThaiClasses, MarkSetsAreConsistent) {
    for (int b = 0; b < 256; ++b) {
        const auto c = static_cast<unsigned char>(b);
        const bool mark = thai::VowelMarks.contains(c) || thai::ToneMarks.contains(c) || c == thai::Maitaikhu;
        EXPECT_EQ(thai::CombiningMarks.contains(c), mark) << b;
        if (thai::LowerVowels.contains(c)) {
            EXPECT_TRUE(thai::VowelMarks.contains(c)) << b;
        }
        EXPECT_FALSE(thai::VowelMarks.contains(c) && thai::ToneMarks.contains(c)) << b;
    }
    EXPECT_TRUE(thai::LowerVowels.contains(0xD8));
    EXPECT_TRUE(thai::LowerVowels.contains(0xD9));
    EXPECT_FALSE(thai::LowerVowels.contains(0xD4));
}

TEST(ThaiClasses, MarkCarriersAmongThaiCodePoints) {
    // The Thai code points that carry no mark, listed independently of the class itself.
    const std::string nonCarriers = Hex("C4 CF D0 DA DB DC DD DE DF E0 E1 E2 E3 E4 E5 E6 E7"
                                        " ED EE EF F0 F1 F2 F3 F4 F5 F6 F7 F8 F9 FA FB");
    for (int b = 0xA1; b <= 0xFB; ++b) {
        const bool listed = nonCarriers.find(static_cast<char>(b)) != std::string::npos;
        EXPECT_EQ(thai::MarkCarriers.contains(static_cast<unsigned char>(b)), !listed) << std::hex << b;
    }
    EXPECT_TRUE(thai::MarkCarriers.contains(' '));
    EXPECT_TRUE(thai::MarkCarriers.contains('*'));
    EXPECT_FALSE(thai::MarkCarriers.contains('A'));
    EXPECT_FALSE(thai::MarkCarriers.contains('1'));
    EXPECT_FALSE(thai::MarkCarriers.contains(0xA0));
}

TEST(ThaiClasses, SeparatorsAndBreakSets) {
    const std::string separators = "\t ,.;";
    const std::string before = "\t([{";
    const std::string after = " !&),-./:;\\]_}";
    for (int b = 0; b < 256; ++b) {
        const auto c = static_cast<unsigned char>(b);
        const char ch = static_cast<char>(b);
        EXPECT_EQ(thai::WordSeparators.contains(c), b != 0 && separators.find(ch) != std::string::npos) << b;
        EXPECT_EQ(thai::BreakBefore.contains(c), b != 0 && before.find(ch) != std::string::npos) << b;
        EXPECT_EQ(thai::BreakAfter.contains(c), b != 0 && after.find(ch) != std::string::npos) << b;
        EXPECT_EQ(thai::LeadingVowels.contains(c), b >= 0xE0 && b <= 0xE6) << b;
        EXPECT_EQ(thai::GlyphChars.contains(c), b == 0x20 || b == 0x2A || (b >= 0xA1 && b <= 0xFB)) << b;
        EXPECT_EQ(thai::PrintableChars.contains(c), b >= 0x21 && b <= 0x7E) << b;
    }
}

TEST(ThaiOffsets, CaretLineAndColumn) {
    const std::string t = "ab\r\ncd";
    auto at = [&](int k) {
        const thai::LineCol lc = thai::OffsetToLineCol(t, k);
        return std::pair{lc.line, lc.col};
    };
    EXPECT_EQ(at(5), std::pair(1, 1));
    EXPECT_EQ(at(4), std::pair(1, 0));
    EXPECT_EQ(at(2), std::pair(0, 2));
    EXPECT_EQ(at(0), std::pair(0, 0));
    EXPECT_EQ(at(6), std::pair(1, 2));
    // Offsets outside the text are held to it.
    EXPECT_EQ(at(60), std::pair(1, 2));
    EXPECT_EQ(at(-3), std::pair(0, 0));
}

TEST(ThaiOffsets, ManyLinesCountOnlyTheBreaksBeforeTheCaret) {
    const std::string t = "x\r\n\r\nhello\r\nab";
    EXPECT_EQ(thai::OffsetToLineCol(t, 10).line, 2);
    EXPECT_EQ(thai::OffsetToLineCol(t, 10).col, 5);
    EXPECT_EQ(thai::OffsetToLineCol(t, 5).line, 2);
    EXPECT_EQ(thai::OffsetToLineCol(t, 5).col, 0);
    EXPECT_EQ(thai::OffsetToLineCol(t, 4).line, 1);  // the empty line
    EXPECT_EQ(thai::OffsetToLineCol(t, 4).col, 0);
    EXPECT_EQ(thai::OffsetToLineCol(t, 14).line, 3);
    EXPECT_EQ(thai::OffsetToLineCol(t, 14).col, 2);
    // Columns count bytes, not cells.
    const std::string thaiText = Hex("0D 0A A1 D4 E8 A2");
    EXPECT_EQ(thai::OffsetToLineCol(thaiText, 6).line, 1);
    EXPECT_EQ(thai::OffsetToLineCol(thaiText, 6).col, 4);
}
