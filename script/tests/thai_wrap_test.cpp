// Word wrap of CR LF separated text: where the breaks go, and that nothing but breaks (and the
// tabs they replace) changes.
#include <gtest/gtest.h>

#include <thai/thbrk.h>

#include <algorithm>
#include <vector>

#include "script/tests/thai_bytes.h"
#include "script/thai.h"

using thaitest::Hex;
using thaitest::Repeat;
using thaitest::Tis;

namespace {

const std::string Ko = "\xA1";    // ko kai
const std::string SaraE = "\xE0";  // leading vowel
const std::string MaiEk = "\xE8";

std::string Wrapped(std::string text, int width) {
    thai::WrapText(text, width);
    return text;
}

std::vector<std::string> LinesOf(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t p; (p = text.find("\r\n", start)) != std::string::npos; start = p + 2)
        lines.push_back(text.substr(start, p - start));
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

}  // namespace

TEST(ThaiWrap, UnbrokenRunIsCutAfterWidthMinusTwoCells) {
    const std::string text = Repeat(Ko, 20) + "\r\n";
    EXPECT_EQ(LinesOf(Wrapped(text, 10)),
              (std::vector<std::string>{Repeat(Ko, 8), Repeat(Ko, 8), Repeat(Ko, 4)}));
    // The last byte is never examined: a text without a final break wraps the same way.
    EXPECT_EQ(LinesOf(Wrapped(Repeat(Ko, 20), 10)),
              (std::vector<std::string>{Repeat(Ko, 8), Repeat(Ko, 8), Repeat(Ko, 4)}));
}

TEST(ThaiWrap, BreaksAfterASpaceInTheWindow) {
    const std::string text = Repeat(Ko, 5) + " " + Repeat(Ko, 8) + "\r\n";
    EXPECT_EQ(Wrapped(text, 10), Repeat(Ko, 5) + " \r\n" + Repeat(Ko, 8) + "\r\n");
}

TEST(ThaiWrap, LookBackReachesHalfTheColumnPlusOne) {
    // Width 10: the break is sought when the ninth cell is reached, at most 9 / 2 + 1 = 5 bytes back.
    const std::string edge = Repeat("x", 3) + " " + Repeat("x", 10) + "\r\n";
    EXPECT_EQ(LinesOf(Wrapped(edge, 10))[0], Repeat("x", 3) + " ");
    const std::string beyond = Repeat("x", 2) + " " + Repeat("x", 10) + "\r\n";
    EXPECT_EQ(LinesOf(Wrapped(beyond, 10))[0], Repeat("x", 2) + " " + Repeat("x", 5));
}

TEST(ThaiWrap, TabGivesWayToTheBreak) {
    const std::string text = Repeat(Ko, 5) + "\t" + Repeat(Ko, 8) + "\r\n";
    EXPECT_EQ(Wrapped(text, 10), Repeat(Ko, 5) + "\r\n" + Repeat(Ko, 8) + "\r\n");
}

TEST(ThaiWrap, OpeningBracketStartsTheNewLine) {
    // The cells moved onto the new line count there: "(gh" and seven more reach the width again.
    const std::string text = "abcdef(ghijklmno\r\n";
    EXPECT_EQ(Wrapped(text, 10), "abcdef\r\n(ghijklm\r\nno\r\n");
}

TEST(ThaiWrap, PunctuationAnywhereInTheWindowBeatsThaiBreaks) {
    // A space further back wins over a leading vowel nearer to the break point.
    const std::string text = Repeat(Ko, 4) + " " + Repeat(Ko, 2) + SaraE + Repeat(Ko, 6) + "\r\n";
    EXPECT_EQ(LinesOf(Wrapped(text, 10))[0], Repeat(Ko, 4) + " ");
}

// Where libthai's word breaker allows a break in a line of TIS-620 text.
std::vector<size_t> WordBoundaries(const std::string& line) {
    static ThBrk* const breaker = th_brk_new(nullptr);
    std::vector<int> pos(line.size() + 1);
    const int n = th_brk_find_breaks(breaker, reinterpret_cast<const thchar_t*>(line.c_str()), pos.data(), pos.size());
    return std::vector<size_t>(pos.begin(), pos.begin() + std::max(n, 0));
}

TEST(ThaiWrap, UnspacedThaiBreaksOnlyBetweenWords) {
    const std::string sentences[] = {
        Tis("ภาษาไทยเป็นภาษาที่สวยงามมากและมีประวัติศาสตร์ยาวนาน"),
        Tis("ฉันชอบกินข้าวมันไก่ที่ร้านใกล้บ้านทุกวันเพราะอร่อยและราคาไม่แพง"),
        Tis("ผู้ใหญ่บ้านเดินไปที่โรงพยาบาลเพื่อเยี่ยมเจ้าหน้าที่ของมหาวิทยาลัย"),
    };
    ASSERT_FALSE(WordBoundaries(sentences[0]).empty()) << "libthai's word list (libthai-data)";
    for (const std::string& sentence : sentences)
        for (int width = 12; width <= 40; width += 2) {  // every word fits a line
            const auto lines = LinesOf(Wrapped(sentence + "\r\n", width));
            ASSERT_GT(lines.size(), 1u) << width;
            std::string rest = sentence;
            for (size_t k = 0; k + 1 < lines.size(); ++k) {
                SCOPED_TRACE(thaitest::ToHex(lines[k]) + " width " + std::to_string(width));
                ASSERT_EQ(rest.compare(0, lines[k].size(), lines[k]), 0);
                // The break is one the word breaker finds in what follows the line before.
                const auto allowed = WordBoundaries(rest);
                EXPECT_NE(std::find(allowed.begin(), allowed.end(), lines[k].size()), allowed.end());
                EXPECT_LE(thai::CellCount(lines[k]), width - 2);
                rest.erase(0, lines[k].size());
            }
            EXPECT_EQ(lines.back(), rest) << width;
        }
}

TEST(ThaiWrap, AThaiWordLongerThanTheLineIsCutBeforeALeadingVowelOrAfterATone) {
    // Single words for the word breaker: no boundary anywhere in the line.
    EXPECT_EQ(LinesOf(Wrapped(Tis("ประชาธิปไตย\r\n"), 9)), (std::vector<std::string>{Tis("ประชาธิป"), Tis("ไตย")}));
    EXPECT_EQ(LinesOf(Wrapped(Tis("ผู้ใหญ่บ้าน\r\n"), 6)), (std::vector<std::string>{Tis("ผู้ใหญ่"), Tis("บ้าน")}));
    // With an earlier word boundary in the line the word moves on whole, however far back.
    EXPECT_EQ(LinesOf(Wrapped(Tis("ไปประชาธิปไตย\r\n"), 12)), (std::vector<std::string>{Tis("ไป"), Tis("ประชาธิปไตย")}));
}

TEST(ThaiWrap, LatinLinesEndShortOnlyWhereTheNextWordWouldNotFit) {
    const std::string text =
        "It was the best of times, it was the worst of times, it was the age of wisdom, it was the age of "
        "foolishness, it was the epoch of belief, it was the epoch of incredulity, it was the season of "
        "Light, it was the season of Darkness, it was the spring of hope, it was the winter of despair.";
    for (int width = 16; width <= 60; ++width) {
        const auto lines = LinesOf(Wrapped(text + "\r\n", width));
        for (size_t k = 0; k < lines.size(); ++k) {
            SCOPED_TRACE("width " + std::to_string(width) + ": \"" + lines[k] + "\"");
            EXPECT_LE(static_cast<int>(lines[k].size()), width - 1);
            if (k + 1 == lines.size()) continue;
            // The next line's first word, with the blank or punctuation after it.
            const std::string& next = lines[k + 1];
            size_t word = next.find_first_of(" ,.");
            word = word == std::string::npos ? next.size() : word + 1;
            EXPECT_GE(lines[k].size() + word, static_cast<size_t>(width - 1)) << "next: \"" << next << "\"";
        }
    }
}

TEST(ThaiWrap, MarksTakeNoWidth) {
    // Eight cells of base plus vowel plus tone fit a width of 10 and stay one line.
    const std::string cell = Hex("A1 D4 E8");
    EXPECT_EQ(Wrapped(Repeat(cell, 8) + "\r\n", 10), Repeat(cell, 8) + "\r\n");
    // Ten such cells are broken after eight, after the tone and so inside no cell.
    const auto lines = LinesOf(Wrapped(Repeat(cell, 10) + "\r\n", 10));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], Repeat(cell, 8));
    EXPECT_EQ(lines[1], Repeat(cell, 2));
}

TEST(ThaiWrap, ExistingBreaksRestartTheCount) {
    const std::string text = Repeat(Ko, 8) + "\r\n" + Repeat(Ko, 8) + "\r\n" + "\r\n" + Repeat(Ko, 3) + "\r\n";
    EXPECT_EQ(Wrapped(text, 10), text);
    EXPECT_EQ(Wrapped("", 10), "");
}

TEST(ThaiWrap, WrappingAgainNeverJoins) {
    const std::string text = "the quick brown fox jumps over the lazy dog " + Repeat(Ko, 30) + "\r\n";
    const std::string once = Wrapped(text, 12);
    ASSERT_GT(LinesOf(once).size(), 4u);
    for (int width : {12, 7, 20}) {
        const std::string again = Wrapped(once, width);
        EXPECT_GE(LinesOf(again).size(), LinesOf(once).size()) << width;
        // Every old break is still there: the old lines are the new ones regrouped.
        std::string rejoined;
        size_t next = 0;
        const auto oldLines = LinesOf(once);
        for (const std::string& line : LinesOf(again)) {
            rejoined += line;
            if (next < oldLines.size() && rejoined == oldLines[next]) {
                ++next;
                rejoined.clear();
            }
        }
        EXPECT_EQ(next, oldLines.size()) << width;
        EXPECT_TRUE(rejoined.empty()) << width;
    }
}

TEST(ThaiWrap, NarrowWidthsAreTakenAsThree) {
    const std::string text = "ab cd(ef) " + Repeat(Ko, 12) + "\tx\r\n";
    const std::string three = Wrapped(text, 3);
    EXPECT_EQ(Wrapped(text, 2), three);
    EXPECT_EQ(Wrapped(text, 1), three);
    EXPECT_EQ(Wrapped(text, 0), three);
    EXPECT_EQ(Wrapped(text, -7), three);
    EXPECT_GT(LinesOf(three).size(), 5u);
}

TEST(ThaiWrap, OnlyBreaksAreAddedAndLinesStayNarrower) {
    // Random mixed text: removing the inserted breaks gives back the text minus replaced tabs.
    // A line holds at most width - 1 cells; only at the narrowest widths can the cells carried
    // over from the look-back window (at most (width - 1) / 2 + 2) and one more make a longer one.
    const std::string alphabet = Hex("A1 A2 A7 B9 C1 C3 D2 D3 D4 D5 D8 E0 E1 E8 E9 20 20 09 28 29 2C 41 62");
    unsigned seed = 99;
    auto next = [&] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    for (int round = 0; round < 300; ++round) {
        std::string text;
        const int lines = 1 + static_cast<int>(next() % 4);
        for (int l = 0; l < lines; ++l) {
            const int len = static_cast<int>(next() % 60);
            for (int i = 0; i < len; ++i) text += alphabet[next() % alphabet.size()];
            text += "\r\n";
        }
        const int width = 3 + static_cast<int>(next() % 20);
        const std::string out = Wrapped(text, width);

        std::string source = text, result = out;
        std::erase(source, '\t');
        std::erase(result, '\t');
        std::erase(source, '\r');
        std::erase(source, '\n');
        std::erase(result, '\r');
        std::erase(result, '\n');
        EXPECT_EQ(result, source) << "width " << width;

        for (const std::string& line : LinesOf(out)) {
            int bases = 0;
            for (unsigned char c : line) bases += !thai::CombiningMarks.contains(c);
            EXPECT_LE(bases, std::max(width - 1, (width - 1) / 2 + 3)) << thaitest::ToHex(line) << " width " << width;
        }
    }
}
