// The mark rule: what a typed vowel or tone mark does to the cell before the cursor.
#include <gtest/gtest.h>

#include "script/keytables.h"
#include "script/tests/thai_bytes.h"
#include "script/thai.h"

using thaitest::Hex;
using thaitest::ToHex;

namespace {

// Types mark `m` with the cursor just past the end of `text` (given as hex); returns the result as hex.
std::string TypeAtEnd(std::string_view text, unsigned char m) {
    std::string t = Hex(text);
    thai::AttachMark(t, static_cast<int>(t.size()) + 1, m);
    return ToHex(t);
}

constexpr unsigned char MaiEk = 0xE8, MaiTho = 0xE9, MaiTri = 0xEA, Karan = 0xEC;
constexpr unsigned char SaraI = 0xD4, SaraIi = 0xD5, SaraU = 0xD8, Maihanakat = 0xD1;
constexpr unsigned char Maitaikhu = 0xE7;

}  // namespace

TEST(ThaiMarks, OnABaseTheMarkIsInserted) {          // case 1
    EXPECT_EQ(TypeAtEnd("A1", MaiEk), "A1 E8");
    EXPECT_EQ(TypeAtEnd("A1", SaraU), "A1 D8");
    EXPECT_EQ(TypeAtEnd("A1", Maitaikhu), "A1 E7");
    EXPECT_EQ(TypeAtEnd("20", MaiTho), "20 E9");     // space and asterisk carry marks too
    EXPECT_EQ(TypeAtEnd("2A", SaraI), "2A D4");
    EXPECT_EQ(TypeAtEnd("D2", MaiEk), "D2 E8");      // sara aa
    EXPECT_EQ(TypeAtEnd("D3", MaiEk), "D3 E8");      // sara am
    EXPECT_EQ(TypeAtEnd("CE", Karan), "CE EC");      // ho nokhuk, the last consonant
    EXPECT_EQ(TypeAtEnd("C5", SaraI), "C5 D4");      // lo ling, right after ru
}

TEST(ThaiMarks, AfterANonCarrierTheMarkIsRefused) {  // case 2
    const char* refused[] = {"41", "7A", "31", "F1", "E0", "C4", "CF", "D0", "E6", "DF", "A1 0D"};
    for (const char* text : refused) {
        for (unsigned char m : {MaiEk, SaraI, Maitaikhu}) {
            EXPECT_EQ(TypeAtEnd(text, m), ToHex(Hex(text))) << text << " + " << int(m);
        }
    }
}

TEST(ThaiMarks, MaitaikhuIsReplacedByAnyMark) {       // case 3
    EXPECT_EQ(TypeAtEnd("A1 E7", MaiEk), "A1 E8");
    EXPECT_EQ(TypeAtEnd("A1 E7", SaraI), "A1 D4");
    EXPECT_EQ(TypeAtEnd("A1 E7", Maitaikhu), "A1 E7");
}

TEST(ThaiMarks, ToneFollowsAVowel) {                  // case 4
    EXPECT_EQ(TypeAtEnd("A1 D4", MaiEk), "A1 D4 E8");
    EXPECT_EQ(TypeAtEnd("A1 D8", Karan), "A1 D8 EC");
    EXPECT_EQ(TypeAtEnd("A1 D1", MaiTho), "A1 D1 E9");
}

TEST(ThaiMarks, ToneReplacesATone) {                  // case 5
    EXPECT_EQ(TypeAtEnd("A1 E8", MaiTho), "A1 E9");
    EXPECT_EQ(TypeAtEnd("A1 D4 E8", MaiTri), "A1 D4 EA");
}

TEST(ThaiMarks, VowelReplacesAVowel) {                // case 6
    EXPECT_EQ(TypeAtEnd("A1 D4", SaraIi), "A1 D5");
    EXPECT_EQ(TypeAtEnd("A1 D4", Maitaikhu), "A1 E7");
    EXPECT_EQ(TypeAtEnd("A1 D8", Maihanakat), "A1 D1");
}

TEST(ThaiMarks, VowelAfterAToneGoesInFrontOfIt) {     // case 7
    EXPECT_EQ(TypeAtEnd("A1 E8", SaraI), "A1 D4 E8");
    EXPECT_EQ(TypeAtEnd("A1 D4 E8", SaraU), "A1 D8 E8");  // the old vowel goes
    EXPECT_EQ(TypeAtEnd("A1 D4 E8", Maitaikhu), "A1 E7");  // maitaikhu takes the tone's place
    EXPECT_EQ(TypeAtEnd("A1 E9", Maitaikhu), "A1 E7");
    // A tone at the start of the text has nothing before it to inspect.
    EXPECT_EQ(TypeAtEnd("E8", SaraI), "D4 E8");
}

TEST(ThaiMarks, TypingInsideALineTouchesOnlyTheCellBeforeTheCursor) {
    std::string t = Hex("A1 A2 A3");
    thai::AttachMark(t, 2, MaiEk);  // cursor on A2
    EXPECT_EQ(ToHex(t), "A1 E8 A2 A3");
    thai::AttachMark(t, 3, SaraI);  // cursor on A2, now at position 3
    EXPECT_EQ(ToHex(t), "A1 D4 E8 A2 A3");
    thai::AttachMark(t, 4, SaraU);  // replaces the vowel in front of the tone
    EXPECT_EQ(ToHex(t), "A1 D8 E8 A2 A3");
    thai::AttachMark(t, 5, MaiTho);  // cursor on A3: A2 takes the tone
    EXPECT_EQ(ToHex(t), "A1 D8 E8 A2 E9 A3");
}

TEST(ThaiMarks, TypedSequencesKeepBaseVowelToneOrder) {
    // Whatever order the marks are typed in, a cell ends up as base, at most one vowel, at most
    // one tone (or a lone maitaikhu).
    const unsigned char marks[] = {0xD1, 0xD4, 0xD5, 0xD6, 0xD7, 0xD8, 0xD9, 0xE7, 0xE8, 0xE9, 0xEA, 0xEB, 0xEC};
    unsigned seed = 12345;
    for (int round = 0; round < 2000; ++round) {
        std::string t = "\xA1";
        for (int k = 0; k < 6; ++k) {
            seed = seed * 1103515245u + 12345u;
            thai::AttachMark(t, static_cast<int>(t.size()) + 1, marks[(seed >> 16) % 13]);
        }
        ASSERT_GE(t.size(), 2u);
        ASSERT_LE(t.size(), 3u) << ToHex(t);
        const auto m1 = static_cast<unsigned char>(t[1]);
        if (t.size() == 3) {
            const auto m2 = static_cast<unsigned char>(t[2]);
            EXPECT_TRUE(thai::VowelMarks.contains(m1)) << ToHex(t);
            EXPECT_TRUE(thai::ToneMarks.contains(m2)) << ToHex(t);
        } else {
            EXPECT_TRUE(thai::CombiningMarks.contains(m1)) << ToHex(t);
        }
    }
}

TEST(ThaiMarks, CallsOutsideTheRulesChangeNothing) {
    std::string t = Hex("A1 A2");
    thai::AttachMark(t, 1, MaiEk);   // no byte before the cursor
    thai::AttachMark(t, 0, MaiEk);
    thai::AttachMark(t, 9, MaiEk);   // past the end
    thai::AttachMark(t, 2, 'a');     // not a mark
    thai::AttachMark(t, 2, 0xD2);    // sara aa is a carrier, not a combining mark
    EXPECT_EQ(ToHex(t), "A1 A2");
    std::string empty;
    thai::AttachMark(empty, 2, MaiEk);
    EXPECT_TRUE(empty.empty());
}

// A byte typed into a line, as the editor and the input field both type it: the gap to a cursor
// right of the end is filled with spaces, a mark with a cell before the cursor goes by the mark
// rule, anything else goes in at the cursor, and the line never ends in spaces.
TEST(ThaiMarks, TypeByteIsTheTypingOfEveryThaiControl) {
    using thai::Typed;
    struct Case {
        const char* line;
        int col;
        unsigned char key;
        const char* expected;
        Typed typed;
    };
    const Case cases[] = {
        {"", 0, 'a', "61", Typed::Inserted},
        {"61 62", 1, 'x', "61 78 62", Typed::Inserted},
        {"61", 3, 'b', "61 20 20 62", Typed::Inserted},       // the gap is filled
        {"61", 3, ' ', "61", Typed::Inserted},                // a space at the end only moves on
        {"A1", 1, MaiEk, "A1 E8", Typed::Joined},
        {"A1 E8 A2", 1, SaraI, "A1 D4 E8 A2", Typed::Joined},  // the vowel goes in front of the tone
        {"41", 1, MaiEk, "41", Typed::Joined},                // refused by the mark rule
        {"A1", 0, MaiEk, "E8 A1", Typed::Inserted},           // column 0 has no cell before it
        {"61", 1, 0x07, "61", Typed::Refused},
        {"61", 1, 0xFC, "61", Typed::Refused},
    };
    for (const Case& c : cases) {
        std::string line = Hex(c.line);
        EXPECT_EQ(thai::TypeByte(line, c.col, c.key), c.typed) << c.line << " + " << int(c.key);
        EXPECT_EQ(ToHex(line), c.expected) << c.line << " + " << int(c.key);
    }
}
