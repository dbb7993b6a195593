// Line splitting and the line store: the split rule against the dictionary file's split rule, the
// round trip through the joined text, and every line store operation against a plain vector with
// one change notification per change.
//
// Input: the part before the first 0xFF byte is a text to split; every further part is one line
// store operation, its first byte choosing the operation and the index, the rest the line.
#include "dictionary/diclist.h"
#include "editor/lines.h"
#include "fuzz/fuzz_check.h"

#include <algorithm>
#include <string>

namespace {

void CheckSplit(std::string_view text) {
    const std::vector<std::string> lines = SplitLines(text);
    // The dictionary file is cut by the same rule.
    const std::vector<std::string_view> dicLines = dictionary::SplitLines(text);
    FUZZ_CHECK(lines.size() == dicLines.size());
    for (size_t i = 0; i < lines.size(); ++i) FUZZ_CHECK(lines[i] == dicLines[i]);

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
        default: {
            // Assign the lines of the operation's text.
            std::vector<std::string> lines = SplitLines(line);
            for (const std::string& s : lines) expectedLongest = std::max(expectedLongest, static_cast<int>(s.size()));
            model = lines;
            store.Assign(std::move(lines));
            break;
        }
        }
        FUZZ_CHECK(seen.calls - callsBefore == expectedCalls);
        if (expectedCalls) FUZZ_CHECK(seen.longest == expectedLongest);
        FUZZ_CHECK(store.All() == model);
        FUZZ_CHECK(store.Count() == static_cast<int>(model.size()));
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
    CheckStore(std::vector<std::string_view>(parts.begin() + 1, parts.end()));
    return 0;
}
