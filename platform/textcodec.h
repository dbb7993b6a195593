// Text files at the edge: which encoding a file is written in (TIS-620 or UTF-8), with or without
// a byte order mark, and which line end it uses; the conversion between UTF-8 and the TIS-620
// bytes held inside, through the Windows-874 table. Nothing is replaced silently: a character
// that has no byte (or a byte that has no character) refuses the whole file, naming its place.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace platform {

enum class TextEncoding { Tis620, Utf8 };
enum class LineEnd { CrLf, Lf, Cr };

// How a text file is written. New texts are TIS-620 with CR LF.
struct TextFormat {
    TextEncoding encoding = TextEncoding::Tis620;
    bool byteOrderMark = false;  // UTF-8 only
    LineEnd lineEnd = LineEnd::CrLf;
    friend bool operator==(const TextFormat&, const TextFormat&) = default;
};

// The names a save dialog offers as file types: "TIS-620" and "UTF-8".
const char* EncodingName(TextEncoding encoding);
std::optional<TextEncoding> EncodingFromName(std::string_view name);

// Bytes that are not a text of this system, or a character that cannot cross the edge. The
// message says where ("line 3, column 7 holds U+00E9, ...") but not which file.
class TextError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct DecodedText {
    std::string bytes;  // TIS-620, line ends as in the file
    TextFormat format;
};

// Reads file bytes: a NUL byte means no text at all; a file that starts with the UTF-8 byte order
// mark, or is valid UTF-8 throughout with at least one multi-byte sequence, is UTF-8 and is
// converted; anything else is TIS-620 as it is. The line end is the file's first one (none: CR LF
// for TIS-620, LF for UTF-8). Throws TextError.
DecodedText DecodeText(std::string file);

// Writes a text held as TIS-620 lines each followed by CR LF (a joined text) in the given format.
// Throws TextError for a byte that has no character in UTF-8.
std::string EncodeText(std::string_view joined, const TextFormat& format);

// A text file read and decoded, or encoded and written (files.h); a FileError names the file.
DecodedText ReadTextFile(const std::string& path);
void WriteTextFile(const std::string& path, std::string_view joined, const TextFormat& format);
// How a text file is written, as ReadTextFile finds it; a file that cannot be read, or is no
// text, gives the format of a new text.
TextFormat TextFileFormat(const std::string& path);

}  // namespace platform
