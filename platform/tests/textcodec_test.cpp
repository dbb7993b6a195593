// Deciding between TIS-620 and UTF-8 on malformed and borderline bytes, and every Windows-874
// character through UTF-8 and back.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "platform/cp874.h"
#include "platform/textcodec.h"
#include "testing/bytes.h"

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

// Long texts are converted many bytes at a time: whatever falls where, at every distance from the
// start, the verdict and the place named are those of a byte-by-byte reading.
TEST(TextCodec, EveryPlaceInALongTextIsReadAlike) {
    const std::string thai = "ภาษาไทย๑๒ ฿กขฃ", thaiBytes = "\xC0\xD2\xC9\xD2\xE4\xB7\xC2\xF1\xF2 \xDF\xA1\xA2\xA3";
    const std::string run = thai + thai + thai, runBytes = thaiBytes + thaiBytes + thaiBytes;
    const int runChars = 3 * 14;
    for (int shift = 0; shift < 40; ++shift) {
        const std::string head(static_cast<size_t>(shift), 'a');
        const std::string column = "line 2, column " + std::to_string(shift + runChars + 1) + " ";
        // Valid throughout, with a Windows-874 character that is not in the Thai block.
        const auto valid = DecodeText("x\n" + head + run + "\xE2\x80\xA6" + run + "\n");
        EXPECT_EQ(valid.bytes, "x\n" + head + runBytes + "\x85" + runBytes + "\n");
        EXPECT_EQ(valid.format, (TextFormat{TextEncoding::Utf8, false, LineEnd::Lf}));
        // And written back, with a byte that has no character anywhere refused by its place.
        const std::string joined = "x\r\n" + head + runBytes + "\x85" + runBytes + "\r\n";
        EXPECT_EQ(EncodeText(joined, valid.format), "x\n" + head + run + "\xE2\x80\xA6" + run + "\n");
        EXPECT_EQ(EncodeText(joined, {TextEncoding::Tis620, false, LineEnd::Cr}), "x\r" + head + runBytes + "\x85" + runBytes + "\r");
        try {
            EncodeText("x\r\n" + head + runBytes + "\xDB" + runBytes + "\r\n", valid.format);
            ADD_FAILURE() << "0xDB written at " << shift;
        } catch (const platform::TextError& e) {
            EXPECT_EQ(std::string(e.what()).find(column + "holds the byte 0xDB"), 0u) << e.what();
        }
        // Not UTF-8 after all (a cut sequence, a lone continuation byte): TIS-620 as it is.
        for (const std::string bad : {"\xE0\xB8", "\xB8", "\xE0\xB8\xC0"}) {
            const std::string bytes = "x\n" + head + run + bad + run;
            const auto text = DecodeText(bytes);
            EXPECT_EQ(text.bytes, bytes);
            EXPECT_EQ(text.format.encoding, TextEncoding::Tis620);
        }
        // Thai-block characters without a byte, next to ones that have one, and one outside the block.
        for (const auto& [unmappable, name] :
             {std::pair<std::string, std::string>{"\xE0\xB8\x80", "U+0E00"}, {"\xE0\xB8\xBB", "U+0E3B"},
              {"\xE0\xB8\xBE", "U+0E3E"}, {"\xE0\xB9\x9C", "U+0E5C"}, {"\xC3\xA9", "U+00E9"}}) {
            try {
                DecodeText("x\n" + head + run + unmappable + run);
                ADD_FAILURE() << name << " at " << shift;
            } catch (const platform::TextError& e) {
                EXPECT_EQ(std::string(e.what()).find(column + "holds the character " + name), 0u) << e.what();
            }
        }
        // A NUL anywhere means no text, also after an invalid sequence or a character without a byte.
        for (const std::string before : {"", "\xE0\xB8\xBB", "\xFF"})
            EXPECT_THROW(DecodeText(head + run + before + run + std::string(1, '\0') + run), platform::TextError);
    }
}

// A file is read and converted in pieces as it comes; what it gives is what the whole of its bytes
// give, wherever the pieces end and whatever turns up late in the file.
TEST(TextCodec, AFileReadInPiecesGivesWhatItsBytesGive) {
    const auto dir = std::filesystem::temp_directory_path() / ("mekalon-codec-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::string line = "ภาษาไทย abc ๑๒๓\n", thai;
    while (thai.size() < 200000) thai += line;
    const std::string tis = "\xC0\xD2\xC9\xD2 abc\r\n";
    const std::string cases[] = {"", "\xEF\xBB\xBF", "\xE0\xB8\x81", "\xFF", "\xC3\xA9", std::string(1, '\0'), "\xE0\xB8"};
    for (int shift = 0; shift < 3; ++shift) {
        const std::string head(static_cast<size_t>(shift), 'a');
        std::vector<std::string> files = {head + thai, "\xEF\xBB\xBF" + head + thai, std::string(200000, 'a') + tis, head};
        for (const std::string& late : cases) files.push_back(head + thai + late + "z");
        for (const std::string& bytes : files) {
            const std::string path = (dir / "text.txt").string();
            testbytes::WriteAll(path, bytes);
            std::string expected, got;
            try {
                const auto text = DecodeText(bytes);
                expected = std::string(platform::EncodingName(text.format.encoding)) + std::to_string(text.format.byteOrderMark) +
                           std::to_string(static_cast<int>(text.format.lineEnd)) + text.bytes;
            } catch (const platform::TextError& e) {
                expected = "Cannot open \"" + path + "\": " + e.what();
            }
            try {
                const auto text = platform::ReadTextFile(path);
                got = std::string(platform::EncodingName(text.format.encoding)) + std::to_string(text.format.byteOrderMark) +
                      std::to_string(static_cast<int>(text.format.lineEnd)) + text.bytes;
            } catch (const std::exception& e) {
                got = e.what();
            }
            EXPECT_TRUE(got == expected) << "file of " << bytes.size() << " bytes ending " << testbytes::Hex(bytes.substr(bytes.size() - std::min<size_t>(bytes.size(), 4)))
                                         << ": " << got.substr(0, 80) << " / " << expected.substr(0, 80);
        }
    }
    std::filesystem::remove_all(dir);
}

// A file is refused as soon as its first NUL byte is read, however it begins: a large file of NUL
// bytes (sparse, so it costs no disk) is not held in memory first. Read in a child process, whose
// peak memory tells how much was held.
TEST(TextCodec, AFileIsRefusedAtItsFirstNulByteWithoutBeingReadWhole) {
    const auto dir = std::filesystem::temp_directory_path() / ("mekalon-nul-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "zeros.txt").string();
    constexpr off_t kSize = off_t{256} << 20;
    const std::string heads[] = {"", "ASCII first\n", "\xE0\xB8\x81\xE0\xB8\x82 UTF-8\n", "\xA1\xA2 TIS-620\n", "\xEF\xBB\xBF"};
    for (const std::string& head : heads) {
        testbytes::WriteAll(path, head);
        ASSERT_EQ(::truncate(path.c_str(), kSize), 0);
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(fds[0]);
            struct rusage before{}, after{};
            ::getrusage(RUSAGE_SELF, &before);
            std::string report;
            try {
                platform::ReadTextFile(path);
                report = "read";
            } catch (const std::exception& e) {
                report = e.what();
            }
            ::getrusage(RUSAGE_SELF, &after);
            report = std::to_string((after.ru_maxrss - before.ru_maxrss) / 1024) + " MB more: " + report;
            [[maybe_unused]] ssize_t n = ::write(fds[1], report.data(), report.size());
            ::_exit(0);
        }
        ::close(fds[1]);
        ::waitpid(pid, nullptr, 0);
        std::string report;
        char buf[512];
        for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;) report.append(buf, static_cast<size_t>(n));
        ::close(fds[0]);
        EXPECT_NE(report.find("it holds NUL bytes"), std::string::npos) << testbytes::Hex(head) << ": " << report;
        EXPECT_LT(std::atoi(report.c_str()), 32) << testbytes::Hex(head) << ": " << report;
    }
    std::filesystem::remove_all(dir);
}
