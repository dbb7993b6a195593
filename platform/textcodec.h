// Text files at the edge: which encoding a file is written in (TIS-620 or UTF-8), with or without
// a byte order mark, and which line end it uses; the conversion between UTF-8 and the TIS-620
// bytes held inside, through the Windows-874 table. Nothing is replaced silently: a character
// that has no byte (or a byte that has no character) refuses the whole file, naming its place.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/files.h"

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

// The characters of a UTF-8 file that TIS-620 lacks, where they were read as "?": the first, its
// place ("line 3, column 7") and how many there were.
struct Unencodable {
    char32_t first = 0;
    std::string place;
    size_t count = 0;
};

struct DecodedText {
    std::string bytes;  // TIS-620, line ends as in the file
    TextFormat format;
    Unencodable replaced;  // count 0 unless replacements were allowed and made
    FileStamp stamp;       // the file read (ReadTextFile only)
};

// Reads file bytes: a NUL byte means no text at all; a file that starts with the UTF-8 byte order
// mark, or is valid UTF-8 throughout with at least one multi-byte sequence, is UTF-8 and is
// converted; anything else is TIS-620 as it is. The line end is the file's first one (none: CR LF
// for TIS-620, LF for UTF-8). Throws TextError; a UTF-8 character that TIS-620 lacks refuses the
// text unless `replaceUnencodable`, which reads every such character as "?" and counts them.
DecodedText DecodeText(std::string file, bool replaceUnencodable = false);

// Writes a text held as TIS-620 lines each followed by CR LF (a joined text) in the given format.
// Throws TextError for a byte that has no character in UTF-8.
std::string EncodeText(std::string_view joined, const TextFormat& format);

// A text file read and decoded, or encoded and written (files.h); a FileError names the file. A
// file is refused as soon as its first NUL byte is read.
DecodedText ReadTextFile(const std::string& path, bool replaceUnencodable = false);
FileStamp WriteTextFile(const std::string& path, std::string_view joined, const TextFormat& format);
// How a text file is written, as ReadTextFile finds it; a file that cannot be read, or is no
// text, gives the format of a new text.
TextFormat TextFileFormat(const std::string& path);

}  // namespace platform
