// Text file encodings: detecting TIS-620 or UTF-8 with the file's byte order mark and line end,
// and converting UTF-8 both ways through the Windows-874 table, fast enough for texts of many
// megabytes (one pass each way).
#include "platform/textcodec.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// One UTF-8 sequence at p with `left` bytes to read: its length, or 0 when it is not valid (no
// overlong forms, no surrogates, nothing beyond U+10FFFF, nothing cut short).
size_t DecodeSequence(const unsigned char* p, size_t left, char32_t& cp) {
    const unsigned char c = p[0];
    if (c < 0x80) {
        cp = c;
        return 1;
    }
    if (c >= 0xC2 && c <= 0xDF) {
        if (left >= 2 && Continuation(p[1])) {
            cp = (static_cast<char32_t>(c & 0x1F) << 6) | (p[1] & 0x3F);
            return 2;
        }
    } else if (c >= 0xE0 && c <= 0xEF) {
        // No overlong forms (E0 A0..) and no surrogates (ED ..9F).
        const unsigned char lo = c == 0xE0 ? 0xA0 : 0x80, hi = c == 0xED ? 0x9F : 0xBF;
        if (left >= 3 && p[1] >= lo && p[1] <= hi && Continuation(p[2])) {
            cp = (static_cast<char32_t>(c & 0x0F) << 12) | (static_cast<char32_t>(p[1] & 0x3F) << 6) | (p[2] & 0x3F);
            return 3;
        }
    } else if (c >= 0xF0 && c <= 0xF4) {
        const unsigned char lo = c == 0xF0 ? 0x90 : 0x80, hi = c == 0xF4 ? 0x8F : 0xBF;
        if (left >= 4 && p[1] >= lo && p[1] <= hi && Continuation(p[2]) && Continuation(p[3])) {
            cp = (static_cast<char32_t>(c & 0x07) << 18) | (static_cast<char32_t>(p[1] & 0x3F) << 12) |
                 (static_cast<char32_t>(p[2] & 0x3F) << 6) | (p[3] & 0x3F);
            return 4;
        }
    }
    return 0;
}

std::uint64_t LoadWord(const unsigned char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    return word;
}

// How many bytes of a word come before its first byte with the high bit set (`high`, not 0).
int AsciiHead(std::uint64_t high) {
    if constexpr (std::endian::native == std::endian::little) return std::countr_zero(high) / 8;
    return std::countl_zero(high) / 8;
}

// Whether a word holds a NUL byte.
bool HasNul(std::uint64_t word) { return ((word - 0x0101010101010101ULL) & ~word & kHighBits) != 0; }

// The outcome of reading bytes as UTF-8.
struct Utf8Scan {
    bool nul = false;  // a NUL byte met: no text at all, and the rest is left as it is
    bool valid = true;
    bool multibyte = false;
    size_t badAt = std::string::npos;         // first invalid sequence (when !valid)
    size_t unmappableAt = std::string::npos;  // first character without a TIS-620 byte
    char32_t unmappable = 0;
    size_t consumed = 0;  // the UTF-8 bytes converted (up to the first character without a byte)
    size_t written = 0;   // the Windows-874 bytes they gave
};

// Checks the UTF-8 bytes from p on without converting them: stops at the first invalid sequence.
void CheckUtf8(const unsigned char* p, const unsigned char* begin, const unsigned char* end, Utf8Scan& scan) {
    while (p < end) {
        while (end - p >= 8) {
            const std::uint64_t word = LoadWord(p);
            if ((word & kHighBits) || HasNul(word)) break;
            p += 8;
        }
        if (p == end) break;
        if (*p == 0) {
            scan.nul = true;
            return;
        }
        char32_t cp;
        const size_t len = DecodeSequence(p, static_cast<size_t>(end - p), cp);
        if (len == 0) {
            scan.valid = false;
            scan.badAt = static_cast<size_t>(p - begin);
            return;
        }
        p += len;
    }
}

#if defined(__x86_64__) && defined(__GNUC__)
#define MEKALON_THAI_BLOCKS 1

// For each set of kept bytes among eight (bit i: byte i kept), the shuffle that packs them to the
// front.
const std::array<std::array<std::uint8_t, 8>, 256>& PackShuffles() {
    static const auto table = [] {
        std::array<std::array<std::uint8_t, 8>, 256> t{};
        for (unsigned mask = 0; mask < 256; ++mask) {
            unsigned n = 0;
            for (unsigned i = 0; i < 8; ++i)
                if (mask & (1u << i)) t[mask][n++] = static_cast<std::uint8_t>(i);
            for (; n < 8; ++n) t[mask][n] = 0x80;
        }
        return t;
    }();
    return table;
}

// Converts sixteen bytes at a time while they are ASCII and characters of the Thai block that have
// a byte (E0 B8 81 .. E0 B9 9B), most of a Thai text: a character's byte is its last UTF-8 byte
// plus 0x20 (after B8) or 0x60 (after B9). Each block converts up to its first byte that is
// anything else (or a character cut by the block's end); it stops where a block converts nothing,
// where fewer than sixteen bytes are left, or where a block's writing could reach bytes not yet
// read, leaving the rest to the byte-wise conversion. Returns whether it met a Thai character.
__attribute__((target("ssse3,popcnt"))) bool ConvertThaiBlocks(const unsigned char*& p, unsigned char*& o,
                                                                const unsigned char* end) {
    const auto& shuffles = PackShuffles();
    const __m128i lead = _mm_set1_epi8(static_cast<char>(0xE0));
    const __m128i b8 = _mm_set1_epi8(static_cast<char>(0xB8));
    const __m128i fe = _mm_set1_epi8(static_cast<char>(0xFE));
    const __m128i c0 = _mm_set1_epi8(static_cast<char>(0xC0));
    const __m128i x80 = _mm_set1_epi8(static_cast<char>(0x80));
    const __m128i x40 = _mm_set1_epi8(0x40);
    const __m128i x60 = _mm_set1_epi8(0x60);
    const __m128i eight = _mm_set1_epi8(8);
    bool thai = false;
    while (end - p >= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        // ASCII without NUL, which is left to the byte-wise conversion to report.
        const unsigned ascii = static_cast<unsigned>(_mm_movemask_epi8(v)) ^ 0xFFFFu ^
                               static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_setzero_si128())));
        const unsigned leads = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lead)));
        const unsigned seconds = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(v, fe), b8)));
        // The byte each last byte becomes, by the byte before it.
        const __m128i before = _mm_slli_si128(v, 1);
        const __m128i add = _mm_sub_epi8(x60, _mm_and_si128(_mm_cmpeq_epi8(before, b8), x40));
        const __m128i mapped = _mm_add_epi8(v, add);
        const __m128i inFirst = _mm_and_si128(_mm_cmpeq_epi8(_mm_max_epu8(mapped, _mm_set1_epi8(static_cast<char>(0xA1))), mapped),
                                              _mm_cmpeq_epi8(_mm_min_epu8(mapped, _mm_set1_epi8(static_cast<char>(0xDA))), mapped));
        const __m128i inSecond = _mm_and_si128(_mm_cmpeq_epi8(_mm_max_epu8(mapped, _mm_set1_epi8(static_cast<char>(0xDF))), mapped),
                                               _mm_cmpeq_epi8(_mm_min_epu8(mapped, _mm_set1_epi8(static_cast<char>(0xFB))), mapped));
        const __m128i last = _mm_and_si128(_mm_cmpeq_epi8(_mm_and_si128(v, c0), x80), _mm_or_si128(inFirst, inSecond));
        const unsigned lasts = static_cast<unsigned>(_mm_movemask_epi8(last));
        const unsigned chars = leads & (seconds >> 1) & (lasts >> 2);
        const unsigned covered = ascii | chars | (chars << 1) | (chars << 2);
        // A character cut by the block's end waits for the next block. Where the next block starts
        // depends on the leads alone when the block is all right, so blocks need not wait for each
        // other's checks.
        const unsigned straddling = leads & 0xC000u;
        int cut = straddling ? std::countr_zero(straddling) : 16;
        const unsigned uncovered = ~covered & ((1u << cut) - 1u);
        if (__builtin_expect(uncovered != 0, 0)) cut = std::countr_zero(uncovered);
        if (cut == 0 || (p - o) + cut < 16) break;
        const unsigned kept = (ascii | (chars << 2)) & ((1u << cut) - 1u);
        const __m128i bytes = _mm_or_si128(_mm_and_si128(_mm_cmplt_epi8(v, _mm_setzero_si128()), mapped),
                                           _mm_andnot_si128(_mm_cmplt_epi8(v, _mm_setzero_si128()), v));
        const unsigned low = kept & 0xFFu, high = kept >> 8;
        const __m128i lowShuffle = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(shuffles[low].data()));
        const __m128i highShuffle =
            _mm_add_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(shuffles[high].data())), eight);
        const int lowCount = std::popcount(low);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(o), _mm_shuffle_epi8(bytes, lowShuffle));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(o + lowCount), _mm_shuffle_epi8(bytes, highShuffle));
        thai |= (chars & ((1u << cut) - 1u)) != 0;
        o += lowCount + std::popcount(high);
        p += cut;
    }
    return thai;
}
#endif

// Converts the UTF-8 bytes of `file` from `from` on to Windows-874 bytes, written over the file
// from its start (a character never gives more bytes than it takes, so the writing never gets
// ahead of the reading), checking them throughout, in one pass. Stops at the first invalid
// sequence, and at a NUL byte. The first character without a byte is noted and the writing stops there, while the
// check goes on: an invalid sequence later still makes the file TIS-620, and RestoreUtf8 gets it
// back.
Utf8Scan ConvertUtf8InPlace(char* file, size_t from, size_t size) {
    Utf8Scan scan;
    const auto& thai = ThaiBlock();
    unsigned char* const out = reinterpret_cast<unsigned char*>(file);
    const unsigned char* const begin = out + from;
    const unsigned char* const end = out + size;
    const unsigned char* p = begin;
    unsigned char* o = out;
#ifdef MEKALON_THAI_BLOCKS
    static const bool blocks = __builtin_cpu_supports("ssse3") && __builtin_cpu_supports("popcnt");
#endif
    while (p < end) {
#ifdef MEKALON_THAI_BLOCKS
        if (blocks && ConvertThaiBlocks(p, o, end)) scan.multibyte = true;
#endif
        // ASCII eight bytes at a time. A word is read whole before it is written, and the writing
        // overwrites only bytes already read: up to the word's end when all of it is ASCII, and,
        // when some of it is not, only where the writing lags at least a word behind.
        while (end - p >= 8) {
            const std::uint64_t word = LoadWord(p);
            const std::uint64_t high = word & kHighBits;
            if (HasNul(word)) break;
            if (high == 0) {
                std::memcpy(o, &word, 8);
                p += 8;
                o += 8;
                continue;
            }
            if (p - o >= 8) {
                const int ascii = AsciiHead(high);
                std::memcpy(o, &word, 8);
                p += ascii;
                o += ascii;
            }
            break;
        }
        if (p == end) break;
        const unsigned char c = *p;
        if (c < 0x80) {
            if (c == 0) {
                scan.nul = true;
                return scan;
            }
            *o++ = c;
            ++p;
            continue;
        }
        // The Thai block U+0E00..U+0E7F (E0 B8 80 .. E0 B9 BF), most of a Thai text, goes first:
        // one test of the three bytes, one look-up.
        if (end - p >= 3) {
            const unsigned key = c | (static_cast<unsigned>(p[1]) << 8) | (static_cast<unsigned>(p[2]) << 16);
            if ((key & 0xC0FEFFu) == 0x80B8E0u) {
                const int b = thai[((key >> 2) & 0x40u) | ((key >> 16) & 0x3Fu)];
                if (b >= 0) {
                    scan.multibyte = true;
                    *o++ = static_cast<unsigned char>(b);
                    p += 3;
                    continue;
                }
            }
        }
        char32_t cp = 0;
        const size_t len = DecodeSequence(p, static_cast<size_t>(end - p), cp);
        if (len == 0) {
            scan.valid = false;
            scan.badAt = static_cast<size_t>(p - begin);
            break;
        }
        scan.multibyte = true;
        const int b = UnicodeToCp874(cp);
        if (b < 0) {
            scan.unmappableAt = static_cast<size_t>(p - begin);
            scan.unmappable = cp;
            scan.consumed = scan.unmappableAt;
            scan.written = static_cast<size_t>(o - out);
            CheckUtf8(p + len, begin, end, scan);
            return scan;
        }
        *o++ = static_cast<unsigned char>(b);
        p += len;
    }
    scan.consumed = static_cast<size_t>(p - begin);
    scan.written = static_cast<size_t>(o - out);
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

// How many bytes at the end of `bytes` (after `from`) begin a UTF-8 sequence that goes on beyond it.
size_t CutSequence(std::string_view bytes, size_t from) {
    for (size_t i = bytes.size(); i > from && bytes.size() - i < 3;) {
        const unsigned char c = static_cast<unsigned char>(bytes[--i]);
        if (Continuation(c)) continue;
        const size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        return bytes.size() - i < length ? bytes.size() - i : 0;
    }
    return 0;
}

constexpr const char* kNulBytes = "it is not a TIS-620 or UTF-8 text (it holds NUL bytes)";

// Reads a text file converting it piece by piece as it comes, so that a UTF-8 file is never held
// twice over: for a file of ASCII, a byte order mark and characters with a TIS-620 byte, which
// every UTF-8 Thai text is, this gives what DecodeText gives for the whole file. A NUL byte
// refuses the file at once. Anything else (a TIS-620 file, a character without a byte) gives
// nothing, and the file is read again whole and decoded so, the first piece or few having been
// read in vain.
std::optional<DecodedText> ReadPlainText(const std::string& path) {
    std::string converted, piece;
    bool plain = true, started = false, bom = false, multibyte = false;
    FileStamp stamp;
    ReadFilePieces(
        path,
        [&](std::string_view bytes, size_t fileSize) {
            piece.append(bytes);  // after what the last piece left over
            size_t from = 0;
            if (!started) {
                if (piece.size() < kBom.size() && piece.size() < fileSize) return plain = false;
                started = true;
                bom = piece.starts_with(kBom);
                from = bom ? kBom.size() : 0;
            }
            const size_t cut = CutSequence(piece, from);
            const Utf8Scan scan = ConvertUtf8InPlace(piece.data(), from, piece.size() - cut);
            if (scan.nul) throw TextError(kNulBytes);
            if (!scan.valid || scan.unmappableAt != std::string::npos) return plain = false;
            multibyte = multibyte || scan.multibyte;
            // Room for the whole text, as far as the first piece tells.
            if (converted.empty() && scan.consumed > 0)
                converted.reserve(std::min(fileSize, (fileSize + fileSize / 16) / scan.consumed * scan.written + bytes.size()));
            converted.append(piece.data(), scan.written);
            piece.erase(0, piece.size() - cut);
            return true;
        },
        &stamp);
    if (!plain || !piece.empty()) return std::nullopt;
    DecodedText result;
    result.bytes = std::move(converted);
    if (bom || multibyte)
        result.format = {TextEncoding::Utf8, bom, FirstLineEnd(result.bytes, LineEnd::Lf)};
    else
        result.format.lineEnd = FirstLineEnd(result.bytes, LineEnd::CrLf);
    result.stamp = stamp;
    return result;
}

// The whole file's bytes, refused at the first piece that holds a NUL.
std::string ReadTextBytes(const std::string& path, FileStamp& stamp) {
    std::string file;
    ReadFilePieces(
        path,
        [&file](std::string_view piece, size_t size) {
            if (std::memchr(piece.data(), 0, piece.size())) throw TextError(kNulBytes);
            if (file.empty()) file.reserve(size);
            file.append(piece);
            return true;
        },
        &stamp);
    return file;
}

// A valid UTF-8 body converted with "?" for every character that has no byte, counted in `found`.
std::string ReplaceUnencodable(std::string_view body, Unencodable& found) {
    std::string out;
    out.reserve(body.size());
    const unsigned char* const begin = reinterpret_cast<const unsigned char*>(body.data());
    for (size_t i = 0; i < body.size();) {
        char32_t cp = 0;
        const size_t len = std::max<size_t>(DecodeSequence(begin + i, body.size() - i, cp), 1);
        const int b = UnicodeToCp874(cp);
        if (b < 0) {
            if (found.count++ == 0) {
                found.first = cp;
                found.place = Place(body, i, true);
            }
            out.push_back('?');
        } else {
            out.push_back(static_cast<char>(b));
        }
        i += len;
    }
    return out;
}

}  // namespace

const char* EncodingName(TextEncoding encoding) { return encoding == TextEncoding::Utf8 ? "UTF-8" : "TIS-620"; }

std::optional<TextEncoding> EncodingFromName(std::string_view name) {
    if (name == "TIS-620") return TextEncoding::Tis620;
    if (name == "UTF-8") return TextEncoding::Utf8;
    return std::nullopt;
}

DecodedText DecodeText(std::string file, bool replaceUnencodable) {
    const bool bom = file.starts_with(kBom);
    const size_t from = bom ? kBom.size() : 0;
    const Utf8Scan scan = ConvertUtf8InPlace(file.data(), from, file.size());
    // The conversion looks for NUL bytes as far as it reads; the rest of the file is looked at here.
    const size_t read = scan.valid ? file.size() : from + scan.badAt;
    if (scan.nul || std::memchr(file.data() + read, 0, file.size() - read))
        throw TextError("it is not a TIS-620 or UTF-8 text (it holds NUL bytes)");
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
    if (scan.unmappableAt != std::string::npos && replaceUnencodable) {
        result.bytes = ReplaceUnencodable(body, result.replaced);
        result.format = {TextEncoding::Utf8, bom, FirstLineEnd(result.bytes, LineEnd::Lf)};
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
    const auto count = [&](size_t i) {
        const Output& out = table[static_cast<unsigned char>(joined[i])];
        if (out.missing) {
            throw TextError(Place(joined, i, false) + " holds the byte 0x" + Hex(static_cast<unsigned char>(joined[i]), 2) +
                            ", which has no character in UTF-8");
        }
        size += out.length;
    };
    size_t i = 0;
#ifdef __SSE2__
    // Sixteen bytes at a time where they are ASCII and Thai letters (three UTF-8 bytes each), less
    // the line end's bytes left out; a block with anything else is counted byte by byte.
    const bool utf8 = format.encoding == TextEncoding::Utf8;
    const bool dropsBytes = format.lineEnd != LineEnd::CrLf;
    const __m128i dropped = _mm_set1_epi8(format.lineEnd == LineEnd::Lf ? '\r' : '\n');
    const __m128i flip = _mm_set1_epi8(static_cast<char>(0x80));
    const __m128i one = _mm_set1_epi8(1), zero = _mm_setzero_si128();
    __m128i thaiCount = zero, droppedCount = zero;  // two sums each
    for (; joined.size() - i >= 16; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(joined.data() + i));
        // Unsigned order as signed order: every byte with its high bit flipped.
        const __m128i s = _mm_xor_si128(v, flip);
        const auto above = [&s](int byte) { return _mm_cmpgt_epi8(s, _mm_set1_epi8(static_cast<char>(byte ^ 0x80))); };
        if (utf8) {
            const __m128i thai = above(0xA0);  // A1..FF
            // 80..A0, and the undefined DB..DE and FC..FF: their own lengths, or no character.
            const __m128i other = _mm_or_si128(_mm_or_si128(_mm_andnot_si128(thai, _mm_cmplt_epi8(v, zero)),
                                                            _mm_andnot_si128(above(0xDE), above(0xDA))),
                                               above(0xFB));
            if (_mm_movemask_epi8(other)) {
                for (size_t k = i; k < i + 16; ++k) count(k);
                continue;
            }
            thaiCount = _mm_add_epi64(thaiCount, _mm_sad_epu8(_mm_and_si128(thai, one), zero));
        }
        if (dropsBytes) droppedCount = _mm_add_epi64(droppedCount, _mm_sad_epu8(_mm_and_si128(_mm_cmpeq_epi8(v, dropped), one), zero));
        size += 16;
    }
    alignas(16) std::uint64_t thaiSums[2], droppedSums[2];
    _mm_store_si128(reinterpret_cast<__m128i*>(thaiSums), thaiCount);
    _mm_store_si128(reinterpret_cast<__m128i*>(droppedSums), droppedCount);
    size += 2 * (thaiSums[0] + thaiSums[1]) - (droppedSums[0] + droppedSums[1]);
#endif
    for (; i < joined.size(); ++i) count(i);
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

DecodedText ReadTextFile(const std::string& path, bool replaceUnencodable) {
    try {
        if (std::optional<DecodedText> text = ReadPlainText(path)) return std::move(*text);
        FileStamp stamp;
        std::string file = ReadTextBytes(path, stamp);
        DecodedText text = DecodeText(std::move(file), replaceUnencodable);
        text.stamp = stamp;
        return text;
    } catch (const TextError& e) {
        throw FileError("Cannot open \"" + path + "\": " + e.what());
    }
}

FileStamp WriteTextFile(const std::string& path, std::string_view joined, const TextFormat& format) {
    // TIS-620 with CR LF: the joined text as it is.
    if (format == TextFormat{}) return WriteFileBytes(path, joined);
    std::string bytes;
    try {
        bytes = EncodeText(joined, format);
    } catch (const TextError& e) {
        throw FileError("Cannot write \"" + path + "\": " + e.what());
    }
    return WriteFileBytes(path, bytes);
}

TextFormat TextFileFormat(const std::string& path) {
    try {
        return ReadTextFile(path).format;
    } catch (const std::exception&) {
        return {};
    }
}

}  // namespace platform
