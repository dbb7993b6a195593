// The line rule that every text turned into lines follows (a text file, a dictionary file, a
// paste, a wrapped text, a text printed): CR, LF or CR LF end a line (CR LF is one break, LF CR
// two); a break at the very end of the text adds no empty line; a NUL byte ends the text and
// what follows it is dropped. Bytes are taken as they are.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The lines of a text one at a time, without their line breaks; nothing is copied.
class LineReader {
public:
    explicit LineReader(std::string_view text);
    // The next line; false after the last one.
    bool Next(std::string_view& line);

private:
    const char* p_;
    const char* end_;
};

// Every line of a text, as strings of their own (to be kept) or as views into the text.
std::vector<std::string> SplitLines(std::string_view text);
std::vector<std::string_view> SplitLineViews(std::string_view text);

}  // namespace platform
