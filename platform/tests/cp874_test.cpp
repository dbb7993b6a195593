// The Windows-874 table both ways and the typed-character rule.
#include <gtest/gtest.h>

#include "platform/cp874.h"

namespace platform {
namespace {

TEST(Cp874, AsciiMapsToItself) {
    for (int b = 0; b < 0x80; ++b) {
        EXPECT_EQ(Cp874ToUnicode(static_cast<unsigned char>(b)), static_cast<char32_t>(b));
        EXPECT_EQ(UnicodeToCp874(static_cast<char32_t>(b)), b);
    }
}

TEST(Cp874, PunctuationOfTheHighHalf) {
    const std::pair<int, char32_t> table[] = {{0x80, 0x20AC}, {0x85, 0x2026}, {0x91, 0x2018}, {0x92, 0x2019},
                                              {0x93, 0x201C}, {0x94, 0x201D}, {0x95, 0x2022}, {0x96, 0x2013},
                                              {0x97, 0x2014}, {0xA0, 0x00A0}};
    for (auto [byte, cp] : table) {
        EXPECT_EQ(Cp874ToUnicode(static_cast<unsigned char>(byte)), cp) << std::hex << byte;
        EXPECT_EQ(UnicodeToCp874(cp), byte) << std::hex << byte;
    }
}

TEST(Cp874, ThaiBlock) {
    EXPECT_EQ(Cp874ToUnicode(0xA1), U'\u0E01');  // ko kai
    EXPECT_EQ(Cp874ToUnicode(0xDA), U'\u0E3A');  // phinthu
    EXPECT_EQ(Cp874ToUnicode(0xDF), U'\u0E3F');  // baht sign
    EXPECT_EQ(Cp874ToUnicode(0xE8), U'\u0E48');  // mai ek
    EXPECT_EQ(Cp874ToUnicode(0xF0), U'\u0E50');  // Thai digit zero
    EXPECT_EQ(Cp874ToUnicode(0xFB), U'\u0E5B');  // khomut
    for (int b = 0xA1; b <= 0xFB; ++b) {
        if (b >= 0xDB && b <= 0xDE) continue;
        char32_t cp = Cp874ToUnicode(static_cast<unsigned char>(b));
        EXPECT_EQ(cp, static_cast<char32_t>(0x0E01 + (b - 0xA1)));
        EXPECT_EQ(UnicodeToCp874(cp), b);
    }
}

TEST(Cp874, UndefinedBytesAndUnknownCharacters) {
    for (int b : {0x81, 0x84, 0x86, 0x8F, 0x90, 0x98, 0x9F, 0xDB, 0xDE, 0xFC, 0xFF})
        EXPECT_EQ(Cp874ToUnicode(static_cast<unsigned char>(b)), U'\uFFFD') << std::hex << b;
    EXPECT_EQ(UnicodeToCp874(U'\uFFFD'), -1);
    EXPECT_EQ(UnicodeToCp874(U'\u00E9'), -1);   // e acute
    EXPECT_EQ(UnicodeToCp874(U'\u0E3B'), -1);   // unassigned gap of the Thai block
    EXPECT_EQ(UnicodeToCp874(U'\U0001F600'), -1);
}

TEST(Cp874, WholeStrings) {
    const std::string bytes = "Hi \xA1\xE8\xD2 \x80\x85\r\n";
    const std::u32string text = U"Hi \u0E01\u0E48\u0E32 \u20AC\u2026\r\n";
    EXPECT_EQ(DecodeCp874(bytes), text);
    EXPECT_EQ(EncodeCp874(text), bytes);
    // What the code page cannot hold becomes '?', also an undefined byte that went through Unicode.
    EXPECT_EQ(EncodeCp874(U"a\u00E9b\u4E2D"), "a?b?");
    EXPECT_EQ(EncodeCp874(DecodeCp874("x\x81y")), "x?y");
    EXPECT_EQ(EncodeCp874(DecodeCp874(std::string("\0z", 2))), std::string("\0z", 2));
}

TEST(Cp874, TypedCharacters) {
    EXPECT_EQ(TypedCharToByte(U'a'), 'a');
    EXPECT_EQ(TypedCharToByte(U'\r'), 13);
    EXPECT_EQ(TypedCharToByte(U'\x7F'), 0x7F);
    EXPECT_EQ(TypedCharToByte(U'\u0E01'), 0xA1);
    EXPECT_EQ(TypedCharToByte(U'\u0E48'), 0xE8);
    EXPECT_EQ(TypedCharToByte(U'\u0E5B'), 0xFB);
    // Not characters of this system, although the code page holds some of them.
    EXPECT_EQ(TypedCharToByte(U'\u20AC'), -1);
    EXPECT_EQ(TypedCharToByte(U'\u00A0'), -1);
    EXPECT_EQ(TypedCharToByte(U'\u0E00'), -1);
    EXPECT_EQ(TypedCharToByte(U'\u0E5C'), -1);
    EXPECT_EQ(TypedCharToByte(U'\u00E4'), -1);
}

}  // namespace
}  // namespace platform
