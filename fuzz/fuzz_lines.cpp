// Line splitting and the line store: the line rule against a plain byte-by-byte reading, the
// round trip through the joined text, and every line store operation against a plain vector with
// one change notification per change. The whole input is also read as a text file's bytes (TIS-620
// or UTF-8), and the text before the first 0xFF written as UTF-8, each against a byte-by-byte
// reading or writing.
//
// Input: the part before the first 0xFF byte is a text to split; every further part is one line
// store operation, its first byte choosing the operation and the index, the rest the line. After
// each operation the lines, their starts in the joined text and the line of an offset are checked.
#include "editor/lines.h"
#include "fuzz/fuzz_check.h"
#include "platform/cp874.h"
#include "platform/textcodec.h"
#include "platform/textlines.h"

#include <algorithm>
#include <optional>
#include <string>

namespace {

// The line rule read the plain way, a byte at a time.
std::vector<std::string_view> PlainSplit(std::string_view bytes) {
    if (size_t nul = bytes.find('\0'); nul != std::string_view::npos) bytes = bytes.substr(0, nul);
    std::vector<std::string_view> lines;
    size_t start = 0;
    const size_t n = bytes.size();
    while (start < n) {
        size_t end = start;
        while (end < n && bytes[end] != '\r' && bytes[end] != '\n') ++end;
        lines.push_back(bytes.substr(start, end - start));
        if (end < n && bytes[end] == '\r' && end + 1 < n && bytes[end + 1] == '\n') ++end;
        start = end + 1;  // past the line end (or past the text when there was none)
    }
    return lines;
}

void CheckSplit(std::string_view text) {
    const std::vector<std::string> lines = SplitLines(text);
    // The eight-bytes-at-a-time reader against the plain reading; its views are the same lines.
    const std::vector<std::string_view> plain = PlainSplit(text);
    const std::vector<std::string_view> views = platform::SplitLineViews(text);
    FUZZ_CHECK(lines.size() == plain.size() && views.size() == plain.size());
    for (size_t i = 0; i < lines.size(); ++i) FUZZ_CHECK(lines[i] == plain[i] && views[i] == plain[i]);

    // Lines hold no break and no NUL, and together they hold every other byte before the first NUL.
    std::string_view head = text.substr(0, std::min(text.size(), text.find('\0')));
    std::string content;
    for (char c : head)
        if (c != '\r' && c != '\n') content += c;
    std::string joinedContent;
    for (const std::string& line : lines) {
        FUZZ_CHECK(line.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos);
        joinedContent += line;
    }
    FUZZ_CHECK(joinedContent == content);

    // One line per break (CR LF counting once), plus an unfinished last line.
    size_t breaks = 0;
    for (size_t i = 0; i < head.size(); ++i) {
        if (head[i] == '\n' || (head[i] == '\r' && !(i + 1 < head.size() && head[i + 1] == '\n'))) ++breaks;
    }
    const bool tail = !head.empty() && head.back() != '\r' && head.back() != '\n';
    FUZZ_CHECK(lines.size() == breaks + (tail ? 1 : 0));

    // Joined text splits back into the same lines and joins to itself.
    const std::string joined = JoinLines(lines);
    FUZZ_CHECK(SplitLines(joined) == lines);
    FUZZ_CHECK(JoinLines(SplitLines(joined)) == joined);
}

// A UTF-8 sequence read the plain way: its length (0: not valid) and code point.
size_t ReadSequence(std::string_view s, size_t i, char32_t& cp) {
    const auto byte = [&](size_t k) { return k < s.size() ? static_cast<unsigned char>(s[k]) : 0u; };
    const unsigned c = byte(i);
    const size_t length = c < 0x80 ? 1 : c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
    if (length == 0 || i + length > s.size()) return 0;
    cp = length == 1 ? c : c & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    // No overlong forms, no surrogates, nothing beyond U+10FFFF.
    static const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < least[length] || (cp >= 0xD800 && cp < 0xE000) || cp > 0x10FFFF) return 0;
    return length;
}

void CheckDecode(std::string_view file) {
    std::optional<platform::DecodedText> text;
    try {
        text = platform::DecodeText(std::string(file));
    } catch (const platform::TextError&) {
    }
    const bool nul = file.find('\0') != std::string_view::npos;
    const bool bom = file.starts_with("\xEF\xBB\xBF");
    bool valid = true, multibyte = false, unmappable = false;
    std::string converted;
    for (size_t i = bom ? 3 : 0; i < file.size();) {
        char32_t cp = 0;
        const size_t length = ReadSequence(file, i, cp);
        if (length == 0) {
            valid = false;
            break;
        }
        multibyte = multibyte || length > 1;
        const int b = platform::UnicodeToCp874(cp);
        unmappable = unmappable || b < 0;
        converted += static_cast<char>(b);
        i += length;
    }
    const bool utf8 = bom || (valid && multibyte);
    if (nul || (utf8 && (!valid || unmappable))) {
        FUZZ_CHECK(!text);
        return;
    }
    FUZZ_CHECK(text);
    FUZZ_CHECK(text->format.encoding == (utf8 ? platform::TextEncoding::Utf8 : platform::TextEncoding::Tis620));
    FUZZ_CHECK(text->bytes == (utf8 ? std::string_view(converted) : file));
}

// The bytes written as UTF-8 with LF line ends (CR left out), against a byte-by-byte writing.
void CheckEncode(std::string_view joined) {
    std::string expected;
    bool missing = false;
    for (char b : joined) {
        const char32_t cp = platform::Cp874ToUnicode(static_cast<unsigned char>(b));
        missing = missing || cp == 0xFFFD;
        if (b == '\r') continue;
        if (cp < 0x80) {
            expected += static_cast<char>(cp);
        } else if (cp < 0x800) {
            expected += {static_cast<char>(0xC0 | (cp >> 6)), static_cast<char>(0x80 | (cp & 0x3F))};
        } else {
            expected += {static_cast<char>(0xE0 | (cp >> 12)), static_cast<char>(0x80 | ((cp >> 6) & 0x3F)), static_cast<char>(0x80 | (cp & 0x3F))};
        }
    }
    try {
        FUZZ_CHECK(platform::EncodeText(joined, {platform::TextEncoding::Utf8, false, platform::LineEnd::Lf}) == expected);
        FUZZ_CHECK(!missing);
    } catch (const platform::TextError&) {
        FUZZ_CHECK(missing);
    }
}

struct Notified {
    int calls = 0;
    int longest = 0;
};

void CheckStore(const std::vector<std::string_view>& operations) {
    TLines store;
    std::vector<std::string> model;
    Notified seen;
    int largestSinceEmpty = 0;
    store.OnChange = [&](int longestWritten) {
        ++seen.calls;
        seen.longest = longestWritten;
    };
    for (std::string_view op : operations) {
        const unsigned char code = op.empty() ? 0 : static_cast<unsigned char>(op[0]);
        std::string line(op.empty() ? std::string_view() : op.substr(1));
        const int count = store.Count();
        const int index = static_cast<int>(code >> 3) - 2;  // -2 .. 29: outside the list too
        const int len = static_cast<int>(line.size());
        const int callsBefore = seen.calls;
        int expectedCalls = 1, expectedLongest = 0;
        switch (code & 7) {
        case 0:
            store.Add(line);
            model.push_back(line);
            expectedLongest = len;
            break;
        case 1:
            store.Insert(index, line);
            model.insert(model.begin() + std::clamp(index, 0, count), line);
            expectedLongest = len;
            break;
        case 2:
            store.Set(index, line);
            if (index >= 0 && index < count)
                model[static_cast<size_t>(index)] = line;
            else
                expectedCalls = 0;
            expectedLongest = len;
            break;
        case 3:
            store.Delete(index);
            if (index >= 0 && index < count)
                model.erase(model.begin() + index);
            else
                expectedCalls = 0;
            break;
        case 4:
            store.Clear();
            expectedCalls = model.empty() ? 0 : 1;
            model.clear();
            break;
        case 5: {
            // Assign the lines of the operation's text.
            std::vector<std::string> lines = SplitLines(line);
            for (const std::string& s : lines) expectedLongest = std::max(expectedLongest, static_cast<int>(s.size()));
            model = lines;
            store.Assign(std::move(lines));
            break;
        }
        case 6: {
            // Replace a run of lines (its length from the next byte) by the lines of the rest.
            const int run = line.empty() ? 0 : static_cast<unsigned char>(line[0]) % 6 - 1;
            std::vector<std::string> lines = SplitLines(line.empty() ? line : line.substr(1));
            for (const std::string& s : lines) expectedLongest = std::max(expectedLongest, static_cast<int>(s.size()));
            const int from = std::clamp(index, 0, count);
            const int n = std::clamp(run, 0, count - from);
            model.erase(model.begin() + from, model.begin() + from + n);
            model.insert(model.begin() + from, lines.begin(), lines.end());
            store.Replace(index, run, std::move(lines));
            break;
        }
        default:
            // Closing the gap changes nothing a caller sees.
            FUZZ_CHECK(store.All() == model);
            expectedCalls = 0;
            break;
        }
        FUZZ_CHECK(seen.calls - callsBefore == expectedCalls);
        if (expectedCalls) FUZZ_CHECK(seen.longest == expectedLongest);
        FUZZ_CHECK(store.Count() == static_cast<int>(model.size()));
        for (int i = 0; i < store.Count(); ++i) FUZZ_CHECK(store[i] == model[static_cast<size_t>(i)]);
        // The line starts in the joined text, and the line of an offset.
        const int probe = std::clamp(index, 0, store.Count());
        int start = 0;
        for (int i = 0; i < probe; ++i) start += static_cast<int>(model[static_cast<size_t>(i)].size()) + 2;
        FUZZ_CHECK(store.StartOf(probe) == start);
        const int total = store.StartOf(store.Count());
        FUZZ_CHECK(total == static_cast<int>(JoinLines(model).size()));
        if (probe < store.Count()) {
            const int offset = start + static_cast<int>(code) % (static_cast<int>(model[static_cast<size_t>(probe)].size()) + 2);
            FUZZ_CHECK(store.LineOfOffset(offset, static_cast<int>(code) % (store.Count() + 1)) == probe);
        }
        FUZZ_CHECK(store.LineOfOffset(total, 0) == store.Count());
        FUZZ_CHECK(store.LineOfOffset(-1, 0) == 0);
        FUZZ_CHECK(store.Empty() == model.empty());
        // The longest line is never longer than the largest length reported since the list was emptied.
        if (model.empty()) largestSinceEmpty = 0;
        if (expectedCalls) largestSinceEmpty = std::max(largestSinceEmpty, seen.longest);
        for (const std::string& s : model) FUZZ_CHECK(static_cast<int>(s.size()) <= largestSinceEmpty);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const std::vector<std::string_view> parts = fuzzing::Parts(fuzzing::Bytes(data, size));
    CheckSplit(parts[0]);
    CheckDecode(fuzzing::Bytes(data, size));
    CheckEncode(parts[0]);
    CheckStore(std::vector<std::string_view>(parts.begin() + 1, parts.end()));
    return 0;
}
