// The Windows-874 code page: TIS-620 plus 0x80-0xA0 (euro sign, ellipsis, curly quotes, no-break
// space). Used where bytes meet Unicode: the clipboard, fonts and typed characters.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Unicode code point of a byte; 0xFFFD for the bytes the code page leaves undefined.
char32_t Cp874ToUnicode(unsigned char byte);
// The byte of a code point, or -1 when the code page cannot hold it.
int UnicodeToCp874(char32_t ch);

// Whole strings; a character the code page cannot hold becomes '?'.
std::u32string DecodeCp874(std::string_view bytes);
std::string EncodeCp874(std::u32string_view text);

// A typed character as the controls see it: ASCII as is, Thai U+0E01..U+0E5B as 0xA1..0xFB;
// anything else is not a character of this system (-1).
int TypedCharToByte(char32_t ch);

}  // namespace platform
