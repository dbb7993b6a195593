// Clipboard text as Windows-874 bytes with CR LF line breaks; converted to and from Unicode at
// the edge so that other programs see Thai.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Unicode text from another program in the code page: its bytes, in which every character the
// code page cannot hold became '?', and the first such character (0 when there is none), so that
// the user can be asked before the text is taken with those replacements.
struct IncomingText {
    std::string bytes;
    char32_t firstUnencodable = 0;
};
IncomingText FromUnicode(std::u32string_view text);

bool ClipboardHasText();
IncomingText ClipboardIncomingText();
std::string ClipboardText();  // the bytes of ClipboardIncomingText()
void SetClipboardText(std::string_view bytes);

}  // namespace platform
