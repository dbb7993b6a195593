// The word-list search: the dictionary text `dictext` with its whole-word index, the whole-word
// find `findword`, the wildcard find `findwild`, and one search for the editor's selected text
// (the pattern step, or the analysis of the text into the words the dictionary knows).
//
// The dictionary text is every line of the list followed by CR LF, then one NUL end marker;
// offsets into it are 0-based. A find returns the offset of the CR that ends the dictionary line
// of the first acceptable match at or after the start offset, or 0 when there is none.
//
// Whole words: a match is a whole word when the bytes around it are not "wordish". A whole-word
// match of a word made of wordish bytes is therefore exactly a maximal run of wordish bytes of
// the text, and an index of those runs (case folded, each with its places in text order) answers
// `findword` without scanning the text.
#pragma once

#include "dictionary/buffer.h"
#include "dictionary/diclist.h"
#include "dictionary/progress.h"
#include "script/thai.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace dictionary {

// A word may begin with these bytes: ASCII ? to ~, the Thai consonants, paiyannoi, the leading
// vowels sara e to sara ai maimalai, maiyamok.
inline constexpr thai::CharSet StartChars{{0x3F, 0x7E}, {0xA1, 0xCF}, {0xE0, 0xE4}, {0xE6, 0xE6}};
// A token of the searched text consists of these bytes; everything else separates tokens.
inline constexpr thai::CharSet WordChars{{0x27, 0x27}, {0x2D, 0x2D}, {0x3F, 0x7E}, {0xA1, 0xEF}};
// A shortened candidate must end with one of these bytes.
inline constexpr thai::CharSet EndChars{{0x3F, 0x7E}, {0xA1, 0xD9}, {0xE6, 0xEC}};
// One of these in a "*" pattern means more than one word was selected: the warning is shown.
inline constexpr thai::CharSet PatternWarningChars{{0x20, 0x29}, {0x2B, 0x3E}};

// Word boundaries on the dictionary side: apostrophe, hyphen and every byte from 0x3F up except
// 0xA0 belong to a word; everything else (blank, comma, full stop, digits, brackets, CR, LF, the
// end marker, 0xA0) is a boundary. Square brackets and the underscore belong to words.
inline constexpr bool IsWordish(unsigned char b) { return b == 0x27 || b == 0x2D || (b >= 0x3F && b != 0xA0); }

// Latin words. Thai is written without blanks and is analysed into the words the dictionary
// knows; a Latin word is written whole and is looked up whole. A Latin word of the searched text
// is a run of ASCII letters and digits that holds at least one letter; an apostrophe, hyphen or
// underscore between two letters or digits joins the runs on either side into one word ("it's",
// "co-op", "how_are_you"). In the dictionary text a Latin word stands whole when neither of the
// bytes around it is wordish or an ASCII digit.
inline constexpr bool IsLatinLetter(unsigned char b) { return (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z'); }
inline constexpr bool IsAsciiDigit(unsigned char b) { return b >= '0' && b <= '9'; }
inline constexpr bool IsLatinJoiner(unsigned char b) { return b == '\'' || b == '-' || b == '_'; }

// Candidates of the analysis are at most this many bytes long.
inline constexpr int MaxCandidate = 30;

inline constexpr std::string_view PatternWarning = "- Select only one word with *";

// `dictext` of a list: the list's own text (the list holds its lines that way), with the
// whole-word index of it, built when the first whole-word find needs it and built again after
// the list changed.
class DicText {
public:
    DicText();  // the text of an empty list: the end marker alone
    explicit DicText(const DicList& list);

    // Follows `list` from now on. Returns whether the text is another than at the last Refresh
    // (another list, or the list changed since).
    bool Refresh(const DicList& list);

    std::string_view Text() const;  // every line followed by CR LF, then one NUL end marker
    int Size() const { return static_cast<int>(Text().size()) - 1; }  // offset of the end marker
    int LineCount() const;
    // Line `index` of the list (without its CR LF).
    std::string_view Line(int index) const;
    // The line a find result R belongs to: the one that holds the byte at R - 1, its CR LF
    // counted as part of it (what OffsetToLineCol gives for the text and the offset R - 1).
    // -1 when R is not a result (R <= 0 or past the end marker).
    int LineOfResult(int result) const;
    // The version of the list the text is (0 for none): a search sees by it that the list changed.
    std::uint64_t Version() const;

    // Builds the whole-word index of the text as it is now, unless it is built already. A large
    // dictionary takes a while: the work reports to `progress`, and a stop (JobStopped) leaves no
    // index behind.
    void BuildIndex(Progress& progress) const;
    bool Indexed() const;

private:
    friend int findword(const DicText&, std::string_view, int, Progress&);
    friend int findlatin(const DicText&, std::string_view, int, Progress&);

    // The entry of a word (case of A-Z ignored) in the index, or -1. The index must be built.
    int WordEntry(std::string_view word) const;
    // The places of the word with that entry, in text order.
    const std::int32_t* PlacesBegin(int entry) const { return postings_.data() + entry + 1; }
    const std::int32_t* PlacesEnd(int entry) const { return PlacesBegin(entry) + postings_[static_cast<size_t>(entry)]; }
    void DropIndex() const;

    const DicList* source_ = nullptr;
    std::uint64_t version_ = 0;  // of the source at the last Refresh

    // The whole-word index, for the source's version indexVersion_. Every distinct word (maximal
    // run of wordish bytes, folded) has an entry in postings_: the number of its places, then the
    // places (offsets in the text) in text order. The table holds, per word, the top 32 bits of
    // its hash and its entry + 1 (0: an empty slot); the word's bytes are those of its first place.
    mutable bool indexed_ = false;
    mutable std::uint64_t indexVersion_ = 0;
    mutable Buffer<std::uint64_t> slots_;
    // Two bits per distinct word, chosen by its hash: most candidates of the analysis are not in
    // the dictionary, and this small table, which stays in the cache, turns them away.
    mutable Buffer<std::uint64_t> filter_;
    mutable std::uint64_t filterMask_ = 0;
    mutable Buffer<std::int32_t> postings_;
};

// Offset of the CR ending the line of the first whole-word match of `word` at or after `from`
// (case of A-Z ignored); 0 when there is none. A scan of the text (a word with boundary bytes in
// it) reports to `progress`.
int findword(const DicText& dic, std::string_view word, int from, Progress& progress);
int findword(const DicText& dic, std::string_view word, int from);
// The same for a Latin word of the searched text, which stands whole only between bytes that are
// neither wordish nor ASCII digits.
int findlatin(const DicText& dic, std::string_view word, int from, Progress& progress);
int findlatin(const DicText& dic, std::string_view word, int from);
// The same for a wildcard pattern: a leading "*" drops the word-start boundary, a trailing "*"
// the word-end boundary, an inner "*" matches any one byte. Only stars, or two stars at one end,
// find nothing. Every occurrence is found (the scan resumes one byte after a failed candidate).
int findwild(const DicText& dic, std::string_view pattern, int from, Progress& progress);
int findwild(const DicText& dic, std::string_view pattern, int from);

// The text a search works on: the selected text without its leading bytes up to 0x20.
std::string_view SearchSubject(std::string_view selected);
// The text without every blank that stands directly before a combining mark.
std::string RemoveBlanksBeforeMarks(std::string_view text);
// Shortens the candidate text[start, end) (0-based, end exclusive) by its last display cell and
// then by every byte that cannot end a word; returns the new end (start when nothing is left).
int Shorten(std::string_view text, int start, int end);
// The end of the Latin word (or run of digits) that starts at `start` (an ASCII letter or digit):
// letters and digits, and joiners that stand between two of them.
int LatinWordEnd(std::string_view text, int start);

struct SearchResult {
    bool searched = false;  // false: the text was empty after its leading blanks; nothing happens
    std::string header;   // ">" and the pattern, or ">" and every word found followed by a blank
    std::string warning;  // empty or PatternWarning
};
// One search for the editor's selected text. listLine(i) is called for every listed line i of the
// list, each line at most once per search, in the order first found, and returns whether the
// search goes on (false once it was stopped while pending events ran). A stop ends the running
// lookup after the line just listed; the analysis still goes on to the end of the text, and every
// further word found still lists its first line not listed yet. The search reports to `progress`;
// when that stops it (JobStopped), the search ends at once with what it found so far. It also
// ends at once when the list changes under it (from inside listLine or the report).
// `dic` must stay alive while the search runs.
SearchResult SearchText(const DicText& dic, std::string_view selected, const std::function<bool(int)>& listLine,
                        Progress& progress);
SearchResult SearchText(const DicText& dic, std::string_view selected, const std::function<bool(int)>& listLine);

// "No line found", "1 line found", "12 lines found", each followed by the warning text.
std::string CaptionFor(int linesFound, std::string_view warning);

}  // namespace dictionary
