// The Windows-874 code page both ways.
#include "platform/cp874.h"

#include <array>

namespace platform {

namespace {

constexpr char32_t kUndefined = 0xFFFD;

// Code points of the bytes 0x80..0xA0; the gaps are undefined.
constexpr std::array<char32_t, 0x21> kHighLatin = [] {
    std::array<char32_t, 0x21> t{};
    for (auto& c : t) c = kUndefined;
    t[0x80 - 0x80] = 0x20AC;  // euro sign
    t[0x85 - 0x80] = 0x2026;  // horizontal ellipsis
    t[0x91 - 0x80] = 0x2018;  // left single quotation mark
    t[0x92 - 0x80] = 0x2019;  // right single quotation mark
    t[0x93 - 0x80] = 0x201C;  // left double quotation mark
    t[0x94 - 0x80] = 0x201D;  // right double quotation mark
    t[0x95 - 0x80] = 0x2022;  // bullet
    t[0x96 - 0x80] = 0x2013;  // en dash
    t[0x97 - 0x80] = 0x2014;  // em dash
    t[0xA0 - 0x80] = 0x00A0;  // no-break space
    return t;
}();

}  // namespace

char32_t Cp874ToUnicode(unsigned char byte) {
    if (byte < 0x80) return byte;
    if (byte <= 0xA0) return kHighLatin[byte - 0x80];
    if (byte <= 0xDA) return 0x0E01 + (byte - 0xA1);  // Thai letters, vowels and marks
    if (byte < 0xDF) return kUndefined;
    if (byte <= 0xFB) return 0x0E3F + (byte - 0xDF);  // baht sign .. Thai digits and signs
    return kUndefined;
}

int UnicodeToCp874(char32_t ch) {
    if (ch < 0x80) return static_cast<int>(ch);
    if (ch >= 0x0E01 && ch <= 0x0E3A) return static_cast<int>(0xA1 + (ch - 0x0E01));
    if (ch >= 0x0E3F && ch <= 0x0E5B) return static_cast<int>(0xDF + (ch - 0x0E3F));
    if (ch == kUndefined) return -1;
    for (int i = 0; i < static_cast<int>(kHighLatin.size()); ++i)
        if (kHighLatin[static_cast<size_t>(i)] == ch) return 0x80 + i;
    return -1;
}

std::u32string DecodeCp874(std::string_view bytes) {
    std::u32string out;
    out.reserve(bytes.size());
    for (char b : bytes) out.push_back(Cp874ToUnicode(static_cast<unsigned char>(b)));
    return out;
}

std::string EncodeCp874(std::u32string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char32_t c : text) {
        int b = UnicodeToCp874(c);
        out.push_back(b < 0 ? '?' : static_cast<char>(b));
    }
    return out;
}

int TypedCharToByte(char32_t ch) {
    if (ch < 0x80) return static_cast<int>(ch);
    if (ch >= 0x0E01 && ch <= 0x0E5B) {
        int b = UnicodeToCp874(ch);
        return b;  // -1 for U+0E3B..U+0E3E, which the code page leaves out
    }
    return -1;
}

}  // namespace platform
