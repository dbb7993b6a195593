// Clipboard text as Windows-874 bytes with CR LF line breaks; converted to and from Unicode at
// the edge so that other programs see Thai. The X primary selection (where the platform has one)
// is read the same way and offered by the text controls while they hold a selection.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/textcodec.h"

namespace platform {

// Unicode text from another program in the code page: its bytes, in which every character the
// code page cannot hold became '?', and the first such character (0 when there is none), so that
// the user can be asked before the text is taken with those replacements.
struct IncomingText {
    std::string bytes;
    char32_t firstUnencodable = 0;
    size_t firstUnencodableAt = std::string::npos;  // its '?' in `bytes`
    // The text was larger than a file that can be read (LargestReadableFile()): it was not taken,
    // and `bytes` is empty.
    bool tooLarge = false;
};
IncomingText FromUnicode(std::u32string_view text);
// How the user is told of such a character: "U+00E9 (é)", its code and, unless it is a control
// character or no character at all, itself (UTF-8).
std::string CharacterName(char32_t ch);

// Asks the user, through the platform services, whether a text whose first character without a
// TIS-620 byte is `firstUnencodable` may be pasted with "?" for every such character; true when
// there is none (0) or the user answers Yes. Every paste of another program's text asks this.
bool AgreeToReplacements(char32_t firstUnencodable);
// Whether a text from another program is pasted: not when it was too large (the user is told so),
// and with "?" replacements only when the user agrees (AgreeToReplacements).
bool AgreeToPaste(const IncomingText& text);
// The same question before a UTF-8 file is opened with "?" for the characters TIS-620 lacks: it
// names the first of them, its line and column, and how many there are. True when there are none.
bool AgreeToReplacements(const Unencodable& found, const std::string& path);

// Where pasted text comes from: the clipboard, or the primary selection (a middle click).
enum class ClipSource { Clipboard, Primary };

bool ClipboardHasText(ClipSource source = ClipSource::Clipboard);
IncomingText ClipboardIncomingText(ClipSource source = ClipSource::Clipboard);
std::string ClipboardText(ClipSource source = ClipSource::Clipboard);  // the bytes of ClipboardIncomingText()
void SetClipboardText(std::string_view bytes);

// Whether the platform has a primary selection (X11 has; the offscreen platform has not).
bool HasPrimarySelection();
// Makes `owner`'s selection the primary selection. Its text is asked of `selected` (Windows-874
// bytes, CR LF line breaks) only when it is wanted, and goes out as Unicode with LF line breaks;
// when `selected` gives nothing (the selection has gone) the text last given out stays.
void OfferPrimarySelection(const void* owner, std::function<std::string()> selected);
// Keeps `text` as the primary selection's text, if `owner` offered it, and stops asking `owner`:
// before its selection goes away, or the owner itself.
void KeepPrimarySelection(const void* owner, std::string_view text);
// Whether `owner` offered the primary selection and still holds it.
bool OwnsPrimarySelection(const void* owner);

}  // namespace platform
