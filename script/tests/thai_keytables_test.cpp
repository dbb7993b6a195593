// The keyboard tables checked entry by entry. Both tables are written out here a second time in
// a different form (the typed keys beside the Thai they give, as Unicode text) and converted to
// TIS-620 through libthai, so a slip in either transcription shows up as a mismatch.
#include <gtest/gtest.h>
#include <thai/thwchar.h>

#include <set>
#include <string>

#include "script/keytables.h"

namespace {

std::string ToTis(std::wstring_view text) {
    std::string out;
    for (wchar_t wc : text) out += static_cast<char>(th_uni2tis(static_cast<thwchar_t>(wc)));
    return out;
}

std::string Hex(unsigned char c) {
    static const char* digits = "0123456789ABCDEF";
    return std::string{digits[c >> 4], digits[c & 15]};
}

// Typed keys and, in the same order, what the Thai layout gives for them.
struct LayoutRow {
    const char* typed;
    const wchar_t* thai;
};
const LayoutRow kLayoutRows[] = {
    {"1234567890-=", L"ๅ/-ภถุึคตจขช"},
    {"qwertyuiop[]\\", L"ๆไำพะัีรนยบลฃ"},
    {"asdfghjkl;'", L"ฟหกดเ้่าสวง"},
    {"zxcvbnm,./", L"ผปแอิืทมใฝ"},
    {"!@#$%^&*()_+", L"+๑๒๓๔ู฿๕๖๗๘๙"},
    {"QWERTYUIOP{}|", L"๐\"ฎฑธํ๊ณฯญฐ,ฅ"},
    {"ASDFGHJKL:\"", L"ฤฆฏโฌ็๋ษศซ."},
    {"ZXCVBNM<>?", L"()ฉฮฺ์?ฒฬฦ"},
    {"`~", L"-%"},
};

TEST(ThaiLayoutTable, EveryPrintableKeyGivesItsThaiCharacter) {
    std::set<int> seen;
    for (const LayoutRow& row : kLayoutRows) {
        const std::string typed = row.typed;
        const std::string expected = ToTis(row.thai);
        ASSERT_EQ(typed.size(), expected.size()) << typed;
        for (size_t i = 0; i < typed.size(); ++i) {
            const auto key = static_cast<unsigned char>(typed[i]);
            EXPECT_TRUE(seen.insert(key).second) << "key listed twice: " << typed[i];
            EXPECT_EQ(Hex(thai::ThaiLayoutTable.at(key - 0x20u)), Hex(static_cast<unsigned char>(expected[i])))
                << "typed '" << typed[i] << "'";
        }
    }
    // Every printable ASCII key was checked, each once.
    EXPECT_EQ(seen.size(), 0x7Eu - 0x21u + 1u);
    EXPECT_EQ(*seen.begin(), 0x21);
    EXPECT_EQ(*seen.rbegin(), 0x7E);
}

TEST(ThaiLayoutTable, SpaceAndDeleteMapToThemselves) {
    ASSERT_EQ(thai::ThaiLayoutTable.size(), 96u);
    EXPECT_EQ(thai::ThaiLayoutTable[0], 0x20);
    EXPECT_EQ(thai::ThaiLayoutTable[95], 0x7F);
}

TEST(ThaiLayoutTable, SpotChecksByCode) {
    // The three keys of the everyday example: d, j, k give ko kai, mai ek, sara aa.
    EXPECT_EQ(thai::ThaiLayoutTable['d' - 0x20], 0xA1);
    EXPECT_EQ(thai::ThaiLayoutTable['j' - 0x20], 0xE8);
    EXPECT_EQ(thai::ThaiLayoutTable['k' - 0x20], 0xD2);
    // Shifted keys that stay in ASCII.
    EXPECT_EQ(thai::ThaiLayoutTable['M' - 0x20], '?');
    EXPECT_EQ(thai::ThaiLayoutTable['W' - 0x20], '"');
    EXPECT_EQ(thai::ThaiLayoutTable['}' - 0x20], ',');
    EXPECT_EQ(thai::ThaiLayoutTable['Y' - 0x20], 0xED);  // nikhahit
    EXPECT_EQ(thai::ThaiLayoutTable['&' - 0x20], 0xDF);  // baht sign
}

// The letters offered under each Latin letter, in slot order.
const wchar_t* const kChoiceRows[26] = {
    /* A */ L"าัะำใไ",
    /* B */ L"บ",
    /* C */ L"จชฉฌ",
    /* D */ L"ดฎ",
    /* E */ L"เแ",
    /* F */ L"ฟฝ",
    /* G */ L"ก",
    /* H */ L"หฮ",
    /* I */ L"ิีึื",
    /* J */ L"จชฉฌ",
    /* K */ L"คขฆฃฅ",
    /* L */ L"ลฬฦ",
    /* M */ L"มำ",
    /* N */ L"นงณ",
    /* O */ L"อโ",
    /* P */ L"ปพผภ",
    /* Q */ L"",
    /* R */ L"รฤ",
    /* S */ L"สศซษ",
    /* T */ L"ทตถธฒฏฐฑ",
    /* U */ L"ุู",
    /* V */ L"ว",
    /* W */ L"ว",
    /* X */ L"ฯๆๅฺ๏๛฿",
    /* Y */ L"ยญ",
    /* Z */ L"่้๊๋็์",
};

TEST(ChoiceLists, EachRowOffersItsLettersThenEmptySlots) {
    ASSERT_EQ(thai::ChoiceLists.size(), 26u);
    for (int letter = 0; letter < 26; ++letter) {
        const std::string expected = ToTis(kChoiceRows[letter]);
        const char name = static_cast<char>('A' + letter);
        ASSERT_LE(expected.size(), 8u) << name;
        for (size_t slot = 0; slot < 8; ++slot) {
            const unsigned char want =
                slot < expected.size() ? static_cast<unsigned char>(expected[slot]) : thai::EmptyChoice;
            EXPECT_EQ(Hex(thai::ChoiceLists[letter][slot]), Hex(want)) << "row " << name << " slot " << slot + 1;
        }
    }
}

TEST(ChoiceLists, SpotChecksByCode) {
    EXPECT_EQ(thai::EmptyChoice, 0xA0);
    EXPECT_EQ(thai::ChoiceLists['K' - 'A'][0], 0xA4);
    EXPECT_EQ(thai::ChoiceLists['K' - 'A'][1], 0xA2);
    EXPECT_EQ(thai::ChoiceLists['T' - 'A'][7], 0xB1);  // the only full row ends with tho montho
    EXPECT_EQ(thai::ChoiceLists['X' - 'A'][6], 0xDF);
    EXPECT_EQ(thai::ChoiceLists['X' - 'A'][7], 0xA0);
    for (unsigned char c : thai::ChoiceLists['Q' - 'A']) EXPECT_EQ(c, 0xA0);
}

}  // namespace
