// The word-list search: the dictionary text and its whole-word index against the literal engine of
// the tests (a byte-by-byte scan of the dictionary text for every find): the fast finds (whole
// word, Latin word, wildcard) from any offset, the line of a result, and whole searches with and without a stop part way; then the same
// after the list changed and the text was refreshed.
//
// Input, cut at 0xFF bytes: the dictionary file bytes, then texts to search (words, wildcard
// patterns, unspaced Thai), one a part.
#include "dictionary/tests/support.h"
#include "dictionary/wordlist.h"
#include "fuzz/fuzz_check.h"
#include "script/thai.h"

#include <string>

namespace {

using dictionary::DicList;
using dictionary::DicText;

std::vector<std::string> LinesOf(const DicList& list) {
    std::vector<std::string> lines;
    for (int i = 0; i < list.Count(); ++i) lines.emplace_back(list[i]);
    return lines;
}

void CheckFinds(const DicText& dic, const std::string& text, std::string_view query) {
    const int size = dic.Size();
    const int seed = query.empty() ? 0 : static_cast<unsigned char>(query[0]);
    for (int from : {0, size, seed * (size + 1) / 256, (seed * 7 + 3) % (size + 1)}) {
        const int word = dictionary::findword(dic, query, from);
        FUZZ_CHECK(word == dictest::literal::findword(query, text, from));
        const int wild = dictionary::findwild(dic, query, from);
        FUZZ_CHECK(wild == dictest::literal::findwild(query, text, from));
        const int latin = dictionary::findlatin(dic, query, from);
        FUZZ_CHECK(latin == dictest::literal::findlatin(query, text, from));
        for (int r : {word, wild, latin}) {
            if (r == 0) continue;
            // The CR ending a line, or the end marker when the query itself reaches the last CR LF.
            FUZZ_CHECK(r >= from && (text[static_cast<size_t>(r)] == '\r' || r == size));
            FUZZ_CHECK(dic.LineOfResult(r) == thai::OffsetToLineCol(text, r - 1).line);
        }
    }
    FUZZ_CHECK(dictionary::findword(dic, query, -5) == dictionary::findword(dic, query, 0));
    FUZZ_CHECK(dictionary::findword(dic, query, size + 3) == 0);
    FUZZ_CHECK(dictionary::findwild(dic, query, size + 3) == 0);
}

void CheckSearch(const DicText& dic, dictest::literal::Engine& literal, std::string_view selected) {
    for (int stopAfter : {-1, 1, 2}) {
        const dictest::literal::Result want = literal.Search(selected, stopAfter);
        std::vector<int> listed;
        const dictionary::SearchResult got = dictionary::SearchText(dic, selected, [&](int i) {
            listed.push_back(i);
            return stopAfter < 0 || static_cast<int>(listed.size()) < stopAfter;
        });
        FUZZ_CHECK(got.searched == want.searched);
        FUZZ_CHECK(got.header == want.header);
        FUZZ_CHECK(got.warning == want.warning);
        FUZZ_CHECK(listed == want.listed);
        for (int i : listed) FUZZ_CHECK(i >= 0 && i < dic.LineCount());
    }
}

void CheckAll(const DicList& list, const DicText& dic, const std::vector<std::string_view>& queries) {
    const std::vector<std::string> lines = LinesOf(list);
    const std::string text = dictest::literal::MakeDicText(lines);
    FUZZ_CHECK(dic.Text() == text);
    FUZZ_CHECK(dic.LineCount() == list.Count());
    for (int i = 0; i < list.Count(); ++i) FUZZ_CHECK(dic.Line(i) == lines[static_cast<size_t>(i)]);
    dictest::literal::Engine literal(lines);
    for (std::string_view query : queries) {
        CheckFinds(dic, text, query);
        // The literal analysis scans the whole text for every candidate: short texts keep it quick.
        CheckSearch(dic, literal, query.substr(0, 48));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const std::vector<std::string_view> parts = fuzzing::Parts(fuzzing::Bytes(data, size));
    const std::vector<std::string_view> queries(parts.begin() + 1, parts.end());
    DicList list;
    list.LoadFromBytes(parts[0]);
    DicText dic(list);
    FUZZ_CHECK(!dic.Refresh(list));
    CheckAll(list, dic, queries);

    // Changes between searches: every query becomes a line, the first line goes; the text follows.
    if (queries.empty()) return 0;
    for (std::string_view query : queries) list.Insert(std::string(query));
    if (list.Count() > 0) list.Delete(0);
    FUZZ_CHECK(dic.Refresh(list));
    CheckAll(list, dic, queries);
    return 0;
}
