// A generated dictionary file of about 100 MB and 4 million lines, for the benchmarks of loading a
// large dictionary and searching it. Each line is an entry as a user's own file holds them: a
// made-up Latin word (syllables, so that most words are distinct, as in a large real word list),
// now and then a second word joined by "_" or a comment in square brackets, a blank, and one or two
// Thai words of hunspell-th separated by ", ". Lines come in no order (as a file collected from
// several sources), with a few repeated ones; CR LF ends every line. The same seed gives the same
// bytes.
#pragma once

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "bench/dictionary_data.h"

namespace bench {

inline constexpr int kLargeDictionaryLines = 4'000'000;

// A made-up Latin word of two to four syllables.
inline std::string MadeUpWord(std::mt19937& rng) {
    static const char* const onsets[] = {"b", "c", "d", "f", "g", "h", "j", "k", "l", "m", "n", "p", "r", "s", "t",
                                         "v", "w", "z", "br", "ch", "cl", "dr", "fl", "gr", "pl", "pr", "sh", "st", "th", "tr"};
    static const char* const vowels[] = {"a", "e", "i", "o", "u", "ai", "ea", "ee", "io", "ou", "y"};
    std::string word;
    const int syllables = 2 + static_cast<int>(rng() % 3);
    for (int s = 0; s < syllables; ++s) {
        word += onsets[rng() % std::size(onsets)];
        word += vowels[rng() % std::size(vowels)];
    }
    if (rng() % 3 == 0) word += "nrstl"[rng() % 5];
    return word;
}

// The file bytes (TIS-620, CR LF). `lines` lines, of which about one in 200 repeats an earlier one.
inline std::string LargeDictionaryBytes(int lines = kLargeDictionaryLines, unsigned seed = 25) {
    const auto& thai = TheDictionaryData().thaiWords;
    std::mt19937 rng(seed);
    std::string bytes;
    bytes.reserve(static_cast<size_t>(lines) * 26);
    std::vector<size_t> starts;
    starts.reserve(static_cast<size_t>(lines));
    for (int n = 0; n < lines; ++n) {
        const size_t start = bytes.size();
        if (n > 0 && rng() % 200 == 0) {  // a line seen before
            const size_t from = starts[rng() % starts.size()];
            const size_t end = bytes.find('\r', from);
            bytes.append(bytes, from, end - from + 2);
            starts.push_back(start);
            continue;
        }
        starts.push_back(start);
        bytes += MadeUpWord(rng);
        switch (rng() % 12) {
        case 0: bytes += '_' + MadeUpWord(rng); break;
        case 1: bytes += " [" + MadeUpWord(rng) + "]"; break;
        default: break;
        }
        bytes += ' ';
        bytes += thai.empty() ? std::string("\xA1\xD2\xC3") : thai[rng() % thai.size()];
        if (rng() % 4 == 0) bytes += ", " + (thai.empty() ? std::string("\xA4\xC7\xD2\xC1") : thai[rng() % thai.size()]);
        bytes += "\r\n";
    }
    return bytes;
}

// Writes the bytes to `path`; false when that failed.
inline bool WriteBytes(const std::string& path, const std::string& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace bench
