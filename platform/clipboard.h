// Clipboard text as Windows-874 bytes with CR LF line breaks; converted to and from Unicode at
// the edge so that other programs see Thai.
#pragma once

#include <string>
#include <string_view>

namespace platform {

bool ClipboardHasText();
std::string ClipboardText();
void SetClipboardText(std::string_view bytes);

}  // namespace platform
