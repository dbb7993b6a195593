// Test helpers: Thai written in UTF-8 in the tests and converted to TIS-620 bytes, the shared
// test data, and a literal, byte-by-byte implementation of the word-list search that the fast
// engine is compared with.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace dictest {

// The slowest tests run on a smaller share of their data under AddressSanitizer
// (scripts/sanitize.sh), where memory checks make them several times slower: one item in kDataStep.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr int kDataStep = 8;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr int kDataStep = 8;
#else
inline constexpr int kDataStep = 1;
#endif
#else
inline constexpr int kDataStep = 1;
#endif

// UTF-8 to TIS-620: ASCII unchanged, Thai U+0E01-U+0E5B to 0xA1-0xFB, anything else "?".
std::string Tis(std::string_view utf8);

// The bytes of a file (empty when it cannot be read).
std::string ReadFile(const std::string& path);
std::string SharedData(const std::string& name);  // a file of the shared test data

// The words of hunspell-th (UTF-8 file, first line a count, "/flags" after a word) as TIS-620,
// without words that hold a character outside TIS-620. Empty when the package is not installed.
std::vector<std::string> HunspellThaiWords();

// The literal engine, written step by step after the description of the search, with 1-based
// positions in the searched text and a full scan of the dictionary text for every find. Latin
// words are looked up whole, and a search lists each line once.
namespace literal {

std::string MakeDicText(const std::vector<std::string>& lines);  // lines + CR LF each, then NUL
int findword(std::string_view word, const std::string& dictext, int from);
int findwild(std::string_view pattern, const std::string& dictext, int from);
// A Latin word stands whole between bytes that are neither wordish nor ASCII digits.
int findlatin(std::string_view word, const std::string& dictext, int from);

struct Result {
    bool searched = false;
    std::string header;
    std::string warning;
    std::vector<int> listed;  // line indices in the order listed
};

class Engine {
public:
    explicit Engine(const std::vector<std::string>& lines);
    // One search; the flag is cleared as soon as `stopAfter` lines have been listed (never when
    // stopAfter is negative).
    Result Search(std::string_view selected, int stopAfter = -1);
    const std::string& Text() const { return dictext_; }

private:
    int LineOf(int found) const;
    // findword from offset `from`; the chains of results are remembered per word, which changes
    // nothing but the time taken (the dictionary text does not change between calls).
    int FindWordCached(const std::string& word, int from);

    std::string dictext_;
    std::map<std::string, std::map<int, int>> memo_;
};

}  // namespace literal

}  // namespace dictest
