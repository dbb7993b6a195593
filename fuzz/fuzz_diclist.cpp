// The dictionary list: load, append, insert, delete and find against a plain map from folded line to
// line, the order (collation key, then folded bytes) strictly rising, no two lines equal once folded,
// and the round trip through the file bytes.
//
// Input, cut at 0xFF bytes: the bytes loaded, the bytes appended, then operations, one a line: "+line"
// inserts, "-line" deletes the line found, "#" and a byte deletes by index, "?line" only finds,
// "*" and bytes inserts the bytes as they are (a CR, LF or NUL cuts the line); any other line inserts
// itself.
#include "dictionary/diclist.h"
#include "fuzz/fuzz_check.h"
#include "platform/textlines.h"

#include <algorithm>
#include <map>
#include <string>

namespace {

using dictionary::DicList;

using Model = std::map<std::string, std::string>;  // folded line -> the line held

std::string_view LinePart(std::string_view line) {
    const size_t cut = line.find_first_of(std::string_view("\r\n\0", 3));
    return cut == std::string_view::npos ? line : line.substr(0, cut);
}

std::vector<std::string> LinesOf(const DicList& list) {
    std::vector<std::string> lines;
    for (int i = 0; i < list.Count(); ++i) lines.emplace_back(list[i]);
    return lines;
}

void CheckAgainst(const DicList& list, const Model& model) {
    FUZZ_CHECK(list.Count() == static_cast<int>(model.size()));
    std::string previousKey, previousFolded;
    for (int i = 0; i < list.Count(); ++i) {
        const std::string line(list[i]);
        FUZZ_CHECK(LinePart(line).size() == line.size());
        const std::string folded = dictionary::FoldCase(line);
        const auto held = model.find(folded);
        FUZZ_CHECK(held != model.end() && held->second == line);
        const std::string key = dictionary::CollationKey(folded);
        if (i > 0) FUZZ_CHECK(previousKey < key || (previousKey == key && previousFolded < folded));
        previousKey = key;
        previousFolded = folded;
    }
}

// Every line is found at its index, also with its Latin letters in capitals.
void CheckFind(const DicList& list) {
    for (int i = 0; i < list.Count(); ++i) {
        FUZZ_CHECK(list.Find(list[i]) == i);
        std::string upper(list[i]);
        for (char& c : upper)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
        FUZZ_CHECK(list.Find(upper) == i);
    }
}

void CheckRoundTrip(const DicList& list) {
    const std::string bytes = list.ToBytes();
    DicList again;
    again.LoadFromBytes(bytes);
    FUZZ_CHECK(again.ToBytes() == bytes);
    // The order is the list's own, whatever order the file had.
    std::vector<std::string> lines = LinesOf(list);
    std::reverse(lines.begin(), lines.end());
    std::string reversed;
    for (const std::string& line : lines) reversed += line + "\n";
    DicList fromReversed;
    fromReversed.LoadFromBytes(reversed);
    FUZZ_CHECK(fromReversed.ToBytes() == bytes);
}

// Adds the lines of the bytes to the model the way the list takes them: the first of equal lines stays.
size_t AddToModel(Model& model, std::string_view bytes) {
    size_t added = 0;
    for (std::string_view line : platform::SplitLineViews(bytes))
        if (model.emplace(dictionary::FoldCase(line), std::string(line)).second) ++added;
    return added;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const std::vector<std::string_view> parts = fuzzing::Parts(fuzzing::Bytes(data, size));
    DicList list;
    int changes = 0;
    list.OnChange = [&] { ++changes; };
    Model model;

    list.LoadFromBytes(parts[0]);
    AddToModel(model, parts[0]);
    FUZZ_CHECK(changes == 1);
    CheckAgainst(list, model);

    if (parts.size() > 1) {
        // Appending is inserting the file's lines one by one.
        DicList oneByOne = list;
        for (std::string_view line : platform::SplitLineViews(parts[1])) oneByOne.Insert(std::string(line));
        changes = 0;
        const std::uint64_t version = list.Version();
        list.AppendFromBytes(parts[1]);
        const size_t added = AddToModel(model, parts[1]);
        FUZZ_CHECK(changes == static_cast<int>(added));
        FUZZ_CHECK(list.Version() == version + added);
        FUZZ_CHECK(LinesOf(list) == LinesOf(oneByOne));
        CheckAgainst(list, model);
    }

    for (size_t p = 2; p < parts.size(); ++p) {
        for (std::string_view op : platform::SplitLineViews(parts[p])) {
            const char code = op.empty() ? 0 : op[0];
            const std::string_view rest = op.empty() ? op : op.substr(1);
            const int before = changes;
            if (code == '-' || code == '?') {
                const int at = list.Find(rest);
                const auto held = model.find(dictionary::FoldCase(rest));
                FUZZ_CHECK((at >= 0) == (held != model.end()));
                if (at >= 0) FUZZ_CHECK(list[at] == held->second);
                if (code == '-' && at >= 0) {
                    list.Delete(at);
                    model.erase(held);
                }
                FUZZ_CHECK(changes - before == (code == '-' && at >= 0 ? 1 : 0));
            } else if (code == '#') {
                const int index = rest.empty() ? -1 : static_cast<unsigned char>(rest[0]) - 8;
                if (index >= 0 && index < list.Count()) model.erase(dictionary::FoldCase(list[index]));
                const bool inside = index >= 0 && index < list.Count();
                list.Delete(index);
                FUZZ_CHECK(changes - before == (inside ? 1 : 0));
            } else {
                // A raw insertion takes NUL, CR and LF from the rest of the part as well.
                std::string line(code == '+' ? rest : op);
                if (code == '*') line = std::string(parts[p].substr(static_cast<size_t>(rest.data() - parts[p].data())));
                const bool inserted = list.Insert(line);
                const std::string_view held(LinePart(line));
                FUZZ_CHECK(inserted == model.emplace(dictionary::FoldCase(held), std::string(held)).second);
                FUZZ_CHECK(changes - before == (inserted ? 1 : 0));
            }
            CheckAgainst(list, model);
        }
    }
    CheckFind(list);
    CheckRoundTrip(list);
    return 0;
}
