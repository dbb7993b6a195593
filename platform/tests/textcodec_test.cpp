// Deciding between TIS-620 and UTF-8 on malformed and borderline bytes, and every Windows-874
// character through UTF-8 and back.
#include <gtest/gtest.h>

#include "platform/cp874.h"
#include "platform/textcodec.h"

using platform::DecodeText;
using platform::EncodeText;
using platform::LineEnd;
using platform::TextEncoding;
using platform::TextFormat;

TEST(TextCodec, BytesThatAreNotUtf8AreTis620AsTheyAre) {
    const std::string notUtf8[] = {
        "\xC0\x80",          // overlong NUL
        "\xE0\x80\xAF",      // overlong slash
        "\xED\xA0\x80",      // surrogate
        "\xF4\x90\x80\x80",  // beyond U+10FFFF
        "\xE0\xB8",          // cut short at the end
        "\xE0\xB8\x81\xBA",  // a lone continuation byte after a valid sequence
        "plain ASCII\n",     // no multi-byte sequence
        // Converted as UTF-8 for a while, then not UTF-8 after all: the bytes come back whole.
        "ภาษาไทย \xE2\x80\xA6 abc\r\n\xC3\xA9\xC0",
        "ไทย é ไทย\xFF",    // a character without a byte first, an invalid byte later
    };
    for (const std::string& bytes : notUtf8) {
        const auto text = DecodeText(bytes);
        EXPECT_EQ(text.bytes, bytes);
        EXPECT_EQ(text.format.encoding, TextEncoding::Tis620);
    }
    // The first line end decides; none at all: CR LF for TIS-620, LF for UTF-8.
    EXPECT_EQ(DecodeText("a\rb\r\n").format.lineEnd, LineEnd::Cr);
    EXPECT_EQ(DecodeText("\xA1").format.lineEnd, LineEnd::CrLf);
    EXPECT_EQ(DecodeText("ก").format, (TextFormat{TextEncoding::Utf8, false, LineEnd::Lf}));
    EXPECT_EQ(DecodeText("\xEF\xBB\xBF").format, (TextFormat{TextEncoding::Utf8, true, LineEnd::Lf}));
    // A four-byte character is valid UTF-8 but has no byte.
    EXPECT_THROW(DecodeText("x\xF0\x9F\x98\x80"), platform::TextError);
}

TEST(TextCodec, EveryWindows874CharacterCrossesUtf8BothWays) {
    std::string inside;
    for (int b = 1; b < 256; ++b)
        if (b != '\r' && b != '\n' && platform::Cp874ToUnicode(static_cast<unsigned char>(b)) != 0xFFFD)
            inside += static_cast<char>(b);
    inside += "\r\n";
    const std::string body = inside.substr(0, inside.size() - 2);
    const struct {
        TextFormat format;
        std::string lineEnd;
    } cases[] = {{{TextEncoding::Utf8, false, LineEnd::Lf}, "\n"},
                 {{TextEncoding::Utf8, true, LineEnd::CrLf}, "\r\n"},
                 {{TextEncoding::Utf8, false, LineEnd::Cr}, "\r"}};
    for (const auto& c : cases) {
        const auto back = DecodeText(EncodeText(inside, c.format));
        EXPECT_EQ(back.format, c.format);
        EXPECT_EQ(back.bytes, body + c.lineEnd);
    }
}
