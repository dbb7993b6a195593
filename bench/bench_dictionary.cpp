// Speed of the dictionary store and the word-list search on a large real dictionary: the
// hunspell-th words plus th-en.dic, in TIS-620.
#include "dictionary/diclist.h"
#include "dictionary/wordlist.h"

#include <benchmark/benchmark.h>

#include "bench/dictionary_data.h"

namespace {

const bench::DictionaryData& TheData() { return bench::TheDictionaryData(); }

const dictionary::DicList& TheList() {
    static const dictionary::DicList list = [] {
        dictionary::DicList l;
        l.LoadFromBytes(TheData().dictionaryBytes);
        return l;
    }();
    return list;
}

const dictionary::DicText& TheText() {
    static const dictionary::DicText text(TheList());
    return text;
}

// The analysis of 1,000 lines of unspaced Thai, all of them per iteration.
void BM_AnalyseThousandUnspacedLines(benchmark::State& state) {
    const auto& data = TheData();
    const auto& dic = TheText();
    if (data.unspaced.empty()) {
        state.SkipWithError("hunspell-th is not installed");
        return;
    }
    size_t bytes = 0;
    for (const auto& l : data.unspaced) bytes += l.size();
    long listed = 0;
    for (auto _ : state) {
        for (const std::string& line : data.unspaced)
            dictionary::SearchText(dic, line, [&](int) { return ++listed, true; });
    }
    state.counters["text_bytes"] = static_cast<double>(bytes);
    state.counters["dictionary_lines"] = TheList().Count();
    state.counters["lines_listed_per_iteration"] = static_cast<double>(listed) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_AnalyseThousandUnspacedLines)->Unit(benchmark::kMillisecond);

// One findwild call that runs through the whole dictionary text (a pattern whose only matches
// lie near the end, found from the start offset), and a full walk through every match.
void Wild(benchmark::State& state, const std::string& pattern) {
    const auto& dic = TheText();
    long matches = 0;
    for (auto _ : state) {
        int from = 0;
        int n = 0;
        while ((from = dictionary::findwild(dic, pattern, from)) > 0) ++n;
        matches = n;
    }
    state.counters["matches"] = static_cast<double>(matches);
    state.counters["calls"] = static_cast<double>(matches + 1);
}
void BM_FindwildPrefixAllMatches(benchmark::State& state) { Wild(state, "\xA4\xC7\xD2\xC1*"); }  // ความ*
void BM_FindwildSuffixAllMatches(benchmark::State& state) { Wild(state, "*\xA1\xD2\xC3"); }      // *การ
void BM_FindwildInnerAllMatches(benchmark::State& state) { Wild(state, "*\xC3\xD1\xA1*"); }      // *รัก*
void BM_FindwildInnerStarAllMatches(benchmark::State& state) { Wild(state, "\xA1*\xC3"); }       // ก*ร
void BM_FindwildNoMatch(benchmark::State& state) { Wild(state, "*zqxj*"); }                      // one call, whole text
BENCHMARK(BM_FindwildPrefixAllMatches)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FindwildSuffixAllMatches)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FindwildInnerAllMatches)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FindwildInnerStarAllMatches)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FindwildNoMatch)->Unit(benchmark::kMicrosecond);

// Reading, sorting and de-duplicating the whole dictionary from its bytes.
void BM_LoadDictionary(benchmark::State& state) {
    const auto& bytes = TheData().dictionaryBytes;
    for (auto _ : state) {
        dictionary::DicList list;
        list.LoadFromBytes(bytes);
        benchmark::DoNotOptimize(list.Count());
    }
    state.counters["bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_LoadDictionary)->Unit(benchmark::kMillisecond);

// Insert of one new line and Delete of it again, in the loaded dictionary.
void BM_InsertAndDeleteOneLine(benchmark::State& state) {
    dictionary::DicList list = TheList();
    const std::string line = "\xA1\xD2\xC3\xB7\xB4\xCA\xCD\xBA benchmark line";
    for (auto _ : state) {
        list.Insert(line);
        list.Delete(list.Find(line));
    }
    state.counters["dictionary_lines"] = list.Count();
}
BENCHMARK(BM_InsertAndDeleteOneLine)->Unit(benchmark::kMicrosecond);

// Bringing the dictionary text up to date after a change, and that with the whole-word index,
// which the first whole-word find builds.
void BM_RefreshDictionaryText(benchmark::State& state) {
    const auto& list = TheList();
    for (auto _ : state) {
        dictionary::DicText text(list);
        benchmark::DoNotOptimize(text.Size());
    }
}
BENCHMARK(BM_RefreshDictionaryText)->Unit(benchmark::kMillisecond);
void BM_RefreshDictionaryTextAndIndex(benchmark::State& state) {
    const auto& list = TheList();
    for (auto _ : state) {
        dictionary::DicText text(list);
        benchmark::DoNotOptimize(dictionary::findword(text, "a", 0));
    }
}
BENCHMARK(BM_RefreshDictionaryTextAndIndex)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// The quick lookup on a dictionary of 100,000 lines of the form "latin-word thai-word": one
// keystroke as the lookup window runs it (bring the dictionary text up to date, find the typed
// text as a whole word and, when there is none, as a prefix from the top). "AfterChange" times
// the first keystroke after the dictionary changed (a line inserted or deleted, untimed): the
// window brings its dictionary text up to date when the dictionary changes (or when it opens),
// not on the key, so that this key costs what any other does; what the change costs the window
// is BM_LookupTextAfterChange. The keystroke never pays for the whole-word index the lookup does
// not use.
const dictionary::DicList& LookupList() {
    static const dictionary::DicList list = [] {
        dictionary::DicList l;
        for (const std::string& line : bench::LookupDictionaryLines()) l.Insert(line);
        return l;
    }();
    return list;
}

void LookupKeystroke(benchmark::State& state, const std::string& typed, bool afterChange) {
    dictionary::DicList list = LookupList();
    dictionary::DicText dic(list);
    const std::string changed = "\xA1\xD2\xC3\xB7\xB4\xCA\xCD\xBA lookup benchmark";
    bool inserted = false;
    for (auto _ : state) {
        if (afterChange) {
            state.PauseTiming();
            if (inserted)
                list.Delete(list.Find(changed));
            else
                list.Insert(changed);
            inserted = !inserted;
            dic.Refresh(list);  // the window, when the dictionary changed
            state.ResumeTiming();
        }
        dic.Refresh(list);
        int r = dictionary::findwild(dic, typed, 0);
        if (r == 0) r = dictionary::findwild(dic, typed + "*", 0);
        benchmark::DoNotOptimize(r);
    }
    state.counters["dictionary_lines"] = list.Count();
}
// A first letter; a prefix that is no whole word; a text found nowhere (two full scans); Thai.
BENCHMARK_CAPTURE(LookupKeystroke, FirstLetter, std::string("g"), false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LookupKeystroke, Prefix, std::string("gra"), false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LookupKeystroke, NotFound, std::string("qzxj"), false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LookupKeystroke, ThaiPrefix, std::string("\xA4\xC7\xD2"), false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LookupKeystroke, FirstLetterAfterChange, std::string("g"), true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LookupKeystroke, PrefixAfterChange, std::string("gra"), true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LookupKeystroke, NotFoundAfterChange, std::string("qzxj"), true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LookupKeystroke, ThaiPrefixAfterChange, std::string("\xA4\xC7\xD2"), true)->Unit(benchmark::kMillisecond);

// What a change of the dictionary (one line inserted or deleted) costs the lookup window: its
// dictionary text made again.
void BM_LookupTextAfterChange(benchmark::State& state) {
    dictionary::DicList list = LookupList();
    dictionary::DicText dic(list);
    const std::string changed = "\xA1\xD2\xC3\xB7\xB4\xCA\xCD\xBA lookup benchmark";
    bool inserted = false;
    for (auto _ : state) {
        state.PauseTiming();
        if (inserted)
            list.Delete(list.Find(changed));
        else
            list.Insert(changed);
        inserted = !inserted;
        state.ResumeTiming();
        benchmark::DoNotOptimize(dic.Refresh(list));
    }
}
BENCHMARK(BM_LookupTextAfterChange)->Unit(benchmark::kMillisecond);

}  // namespace
