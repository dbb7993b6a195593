// Text file encodings: detecting TIS-620 or UTF-8 with the file's byte order mark and line end,
// and converting UTF-8 both ways through the Windows-874 table, fast enough for texts of many
// megabytes (one pass each way).
#include "platform/textcodec.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/cp874.h"
#include "platform/files.h"

namespace platform {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

// The byte of each code point U+0E00..U+0E7F, the Thai block (-1: none).
const std::array<std::int16_t, 0x80>& ThaiBlock() {
    static const auto table = [] {
        std::array<std::int16_t, 0x80> t{};
        for (int i = 0; i < 0x80; ++i) t[static_cast<size_t>(i)] = static_cast<std::int16_t>(UnicodeToCp874(0x0E00 + static_cast<char32_t>(i)));
        return t;
    }();
    return table;
}

bool Continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// The outcome of reading bytes as UTF-8.
struct Utf8Scan {
    bool valid = true;
    bool multibyte = false;
    size_t badAt = std::string::npos;         // first invalid sequence (when !valid)
    size_t unmappableAt = std::string::npos;  // first character without a TIS-620 byte
    char32_t unmappable = 0;
    size_t consumed = 0;  // the UTF-8 bytes converted (up to the first character without a byte)
    size_t written = 0;   // the Windows-874 bytes they gave
};

// Converts the UTF-8 bytes of `file` from `from` on to Windows-874 bytes, written over the file
// from its start (a character never gives more bytes than it takes, so the writing never reaches
// bytes still to be read), checking them throughout. Stops at the first invalid sequence. The
// first character without a byte is noted and the writing stops there, while the check goes on:
// an invalid sequence later still makes the file TIS-620, and RestoreUtf8 gets it back.
Utf8Scan ConvertUtf8InPlace(std::string& file, size_t from) {
    Utf8Scan scan;
    const auto& thai = ThaiBlock();
    unsigned char* const begin = reinterpret_cast<unsigned char*>(file.data()) + from;
    unsigned char* const end = reinterpret_cast<unsigned char*>(file.data()) + file.size();
    const unsigned char* p = begin;
    char* o = file.data();
    char* stop = nullptr;  // where the writing stopped, at the first character without a byte
    while (p < end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            if (!stop) *o++ = static_cast<char>(c);
            ++p;
            continue;
        }
        const size_t left = static_cast<size_t>(end - p);
        // The Thai block U+0E00..U+0E7F (E0 B8 80 .. E0 B9 BF), most of a Thai text, goes first.
        if (c == 0xE0 && left >= 3 && (p[1] & 0xFE) == 0xB8 && Continuation(p[2])) {
            const unsigned index = ((p[1] & 1u) << 6) | (p[2] & 0x3Fu);
            const int b = thai[index];
            if (b >= 0) {
                scan.multibyte = true;
                if (!stop) *o++ = static_cast<char>(b);
                p += 3;
                continue;
            }
        }
        char32_t cp = 0;
        size_t len = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            if (left >= 2 && Continuation(p[1])) {
                cp = (static_cast<char32_t>(c & 0x1F) << 6) | (p[1] & 0x3F);
                len = 2;
            }
        } else if (c >= 0xE0 && c <= 0xEF) {
            // No overlong forms (E0 A0..) and no surrogates (ED ..9F).
            const unsigned char lo = c == 0xE0 ? 0xA0 : 0x80, hi = c == 0xED ? 0x9F : 0xBF;
            if (left >= 3 && p[1] >= lo && p[1] <= hi && Continuation(p[2])) {
                cp = (static_cast<char32_t>(c & 0x0F) << 12) | (static_cast<char32_t>(p[1] & 0x3F) << 6) | (p[2] & 0x3F);
                len = 3;
            }
        } else if (c >= 0xF0 && c <= 0xF4) {
            const unsigned char lo = c == 0xF0 ? 0x90 : 0x80, hi = c == 0xF4 ? 0x8F : 0xBF;
            if (left >= 4 && p[1] >= lo && p[1] <= hi && Continuation(p[2]) && Continuation(p[3])) {
                cp = (static_cast<char32_t>(c & 0x07) << 18) | (static_cast<char32_t>(p[1] & 0x3F) << 12) |
                     (static_cast<char32_t>(p[2] & 0x3F) << 6) | (p[3] & 0x3F);
                len = 4;
            }
        }
        if (len == 0) {
            scan.valid = false;
            scan.badAt = static_cast<size_t>(p - begin);
            break;
        }
        scan.multibyte = true;
        const int b = (cp >= 0x0E00 && cp < 0x0E80) ? thai[cp - 0x0E00] : UnicodeToCp874(cp);
        if (b < 0 && !stop) {
            scan.unmappableAt = static_cast<size_t>(p - begin);
            scan.unmappable = cp;
            stop = o;
            scan.consumed = scan.unmappableAt;
        }
        if (!stop) *o++ = static_cast<char>(b);
        p += len;
    }
    if (!stop) scan.consumed = static_cast<size_t>(p - begin);
    scan.written = static_cast<size_t>(o - file.data());
    return scan;
}

// Puts back the UTF-8 bytes (and the byte order mark before `from`) that a conversion wrote over:
// the bytes written are characters that each came from exactly one UTF-8 sequence.
void RestoreUtf8(std::string& file, size_t from, const Utf8Scan& scan) {
    const std::string original =
        EncodeText(std::string_view(file.data(), scan.written), {TextEncoding::Utf8, false, LineEnd::CrLf});
    std::memcpy(file.data() + from, original.data(), std::min(original.size(), scan.consumed));
    std::memcpy(file.data(), kBom.data(), from);
}

// "line L, column C" of a byte offset: lines split as the controls split them (CR, LF or CR LF
// end a line), columns count characters (UTF-8 sequences) from 1.
std::string Place(std::string_view text, size_t at, bool utf8) {
    size_t line = 1, column = 1;
    for (size_t i = 0; i < at && i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < at && text[i + 1] == '\n') ++i;
            ++line;
            column = 1;
        } else if (!utf8 || !Continuation(static_cast<unsigned char>(c))) {
            ++column;
        }
    }
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

std::string Hex(unsigned value, int digits) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*X", digits, value);
    return buf;
}

LineEnd FirstLineEnd(std::string_view text, LineEnd none) {
    const size_t at = text.find_first_of("\r\n");
    if (at == std::string_view::npos) return none;
    if (text[at] == '\n') return LineEnd::Lf;
    return at + 1 < text.size() && text[at + 1] == '\n' ? LineEnd::CrLf : LineEnd::Cr;
}

// What one inside byte becomes in a file: up to three bytes, or nothing for the CR or LF of a
// joined text's CR LF that the line end leaves out.
struct Output {
    std::array<char, 4> bytes{};
    std::uint8_t length = 0;
    bool missing = false;  // a byte without a character
};

std::array<Output, 256> OutputTable(const TextFormat& format) {
    std::array<Output, 256> table{};
    for (int i = 0; i < 256; ++i) {
        Output& out = table[static_cast<size_t>(i)];
        const char32_t cp = format.encoding == TextEncoding::Utf8 ? Cp874ToUnicode(static_cast<unsigned char>(i)) : static_cast<char32_t>(i);
        if (cp == 0xFFFD) {
            out.missing = true;
        } else if (cp < 0x80 || format.encoding == TextEncoding::Tis620) {
            out.bytes[0] = static_cast<char>(cp);
            out.length = 1;
        } else if (cp < 0x800) {
            out.bytes = {static_cast<char>(0xC0 | (cp >> 6)), static_cast<char>(0x80 | (cp & 0x3F)), 0, 0};
            out.length = 2;
        } else {
            out.bytes = {static_cast<char>(0xE0 | (cp >> 12)), static_cast<char>(0x80 | ((cp >> 6) & 0x3F)),
                         static_cast<char>(0x80 | (cp & 0x3F)), 0};
            out.length = 3;
        }
    }
    // A joined text ends every line with CR LF; the line end keeps one or both.
    table['\r'].length = format.lineEnd == LineEnd::Lf ? 0 : 1;
    table['\n'].length = format.lineEnd == LineEnd::Cr ? 0 : 1;
    return table;
}

}  // namespace

const char* EncodingName(TextEncoding encoding) { return encoding == TextEncoding::Utf8 ? "UTF-8" : "TIS-620"; }

std::optional<TextEncoding> EncodingFromName(std::string_view name) {
    if (name == "TIS-620") return TextEncoding::Tis620;
    if (name == "UTF-8") return TextEncoding::Utf8;
    return std::nullopt;
}

DecodedText DecodeText(std::string file) {
    if (std::memchr(file.data(), 0, file.size()))
        throw TextError("it is not a TIS-620 or UTF-8 text (it holds NUL bytes)");
    const bool bom = file.starts_with(kBom);
    const size_t from = bom ? kBom.size() : 0;
    const Utf8Scan scan = ConvertUtf8InPlace(file, from);
    const bool utf8 = bom || (scan.valid && scan.multibyte);
    if (!utf8 || !scan.valid || scan.unmappableAt != std::string::npos) RestoreUtf8(file, from, scan);
    const std::string_view body = std::string_view(file).substr(from);
    if (!scan.valid && bom)
        throw TextError("it begins as UTF-8, but " + Place(body, scan.badAt, true) + " is not valid UTF-8");
    DecodedText result;
    if (!utf8) {
        result.bytes = std::move(file);
        result.format.lineEnd = FirstLineEnd(result.bytes, LineEnd::CrLf);
        return result;
    }
    if (scan.unmappableAt != std::string::npos)
        throw TextError(Place(body, scan.unmappableAt, true) + " holds the character U+" +
                        Hex(static_cast<unsigned>(scan.unmappable), 4) + ", which TIS-620 cannot hold");
    file.resize(scan.written);
    result.bytes = std::move(file);
    result.format = {TextEncoding::Utf8, bom, FirstLineEnd(result.bytes, LineEnd::Lf)};
    return result;
}

std::string EncodeText(std::string_view joined, const TextFormat& format) {
    if (format.encoding == TextEncoding::Tis620 && format.lineEnd == LineEnd::CrLf) return std::string(joined);
    const std::array<Output, 256> table = OutputTable(format);
    const bool bom = format.encoding == TextEncoding::Utf8 && format.byteOrderMark;

    // First the size, and any byte that cannot be written.
    size_t size = bom ? kBom.size() : 0;
    for (size_t i = 0; i < joined.size(); ++i) {
        const Output& out = table[static_cast<unsigned char>(joined[i])];
        if (out.missing) {
            throw TextError(Place(joined, i, false) + " holds the byte 0x" + Hex(static_cast<unsigned char>(joined[i]), 2) +
                            ", which has no character in UTF-8");
        }
        size += out.length;
    }
    // Then the bytes; every byte writes four and moves on by its length, so the buffer has room
    // for three more.
    std::string file(size + 3, '\0');
    char* o = file.data();
    if (bom) {
        std::memcpy(o, kBom.data(), kBom.size());
        o += kBom.size();
    }
    const unsigned char* p = reinterpret_cast<const unsigned char*>(joined.data());
    const unsigned char* const end = p + joined.size();
    const bool asciiAsIs = format.lineEnd == LineEnd::CrLf;
    while (p < end) {
        if (asciiAsIs) {
            while (end - p >= 8) {
                std::uint64_t word;
                std::memcpy(&word, p, 8);
                if (word & kHighBits) break;
                std::memcpy(o, p, 8);
                p += 8;
                o += 8;
            }
            if (p == end) break;
        }
        const Output& out = table[*p++];
        std::memcpy(o, out.bytes.data(), 4);
        o += out.length;
    }
    file.resize(size);
    return file;
}

DecodedText ReadTextFile(const std::string& path) {
    std::string bytes = ReadFileBytes(path);
    try {
        return DecodeText(std::move(bytes));
    } catch (const TextError& e) {
        throw FileError("Cannot open \"" + path + "\": " + e.what());
    }
}

void WriteTextFile(const std::string& path, std::string_view joined, const TextFormat& format) {
    if (format == TextFormat{}) {
        WriteFileBytes(path, joined);  // TIS-620 with CR LF: the joined text as it is
        return;
    }
    std::string bytes;
    try {
        bytes = EncodeText(joined, format);
    } catch (const TextError& e) {
        throw FileError("Cannot write \"" + path + "\": " + e.what());
    }
    WriteFileBytes(path, bytes);
}

TextFormat TextFileFormat(const std::string& path) {
    try {
        return ReadTextFile(path).format;
    } catch (const std::exception&) {
        return {};
    }
}

}  // namespace platform
