// The word-list search: the dictionary text `dictext` with its whole-word index, the whole-word
// find `findword`, the wildcard find `findwild`, and one search for the editor's selected text
// (the pattern step, or the analysis of the text into the longest words the dictionary knows).
//
// The dictionary text is every line of the list followed by CR LF, then one NUL end marker;
// offsets into it are 0-based. A find returns the offset of the CR that ends the dictionary line
// of the first acceptable match at or after the start offset, or 0 when there is none.
//
// Whole words: a match is a whole word when the bytes around it are not "wordish". A whole-word
// match of a word made of wordish bytes is therefore exactly a maximal run of wordish bytes of
// the text, and an index of those runs (case folded, each with its lines in list order) answers
// `findword` without scanning the text.
#pragma once

#include "dictionary/diclist.h"
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

// Candidates of the analysis are at most this many bytes long.
inline constexpr int MaxCandidate = 30;

inline constexpr std::string_view PatternWarning = "- Select only one word with *";

// `dictext` of one state of the list, with its search index. The caller keeps it up to date
// with Refresh before a search; insertions and deletions between searches cost nothing here.
// Refresh rebuilds the text only; the whole-word index follows with the first whole-word find.
class DicText {
public:
    DicText();  // the text of an empty list: the end marker alone
    explicit DicText(const DicList& list);

    // Rebuilds the text and the index when `list` is another list or has changed since the last
    // build; otherwise does nothing. Returns whether it rebuilt.
    bool Refresh(const DicList& list);

    std::string_view Text() const;  // every line followed by CR LF, then one NUL end marker
    int Size() const { return static_cast<int>(text_.size()) - 1; }  // offset of the end marker
    int LineCount() const { return static_cast<int>(lineStarts_.size()) - 1; }
    // Line `index` of the list as it was at the last build (without its CR LF).
    std::string_view Line(int index) const;
    // The line a find result R belongs to: the one that holds the byte at R - 1, its CR LF
    // counted as part of it (what OffsetToLineCol gives for the text and the offset R - 1).
    // -1 when R is not a result (R <= 0 or past the end marker).
    int LineOfResult(int result) const;

private:
    friend int findword(const DicText&, std::string_view, int);
    friend int findwild(const DicText&, std::string_view, int);

    void Build(const DicList& list);  // the text; the index is left for EnsureIndex
    // Builds the whole-word index of the text when the first find needs it.
    void EnsureIndex() const;
    // Id of a folded word in the index, or -1.
    int WordId(std::string_view folded) const;
    int LineEndAtOrAfter(int offset) const;  // first CR at or after offset, or the end marker

    struct Slot {
        std::uint64_t hash = 0;
        std::uint32_t offset = 0;  // the word is folded_[offset, offset + length)
        std::uint32_t length = 0;
        std::int32_t id = -1;  // -1: empty slot
    };
    struct Posting {
        std::int32_t start;    // offset of a maximal wordish run
        std::int32_t lineEnd;  // offset of the CR ending its line
    };

    std::string text_;    // the dictionary text with its end marker
    std::string folded_;  // the same with A-Z folded to a-z
    std::vector<std::int32_t> lineStarts_;  // start of every line, then the end marker offset
    // The whole-word index, built on first use (EnsureIndex) for the text of the moment.
    mutable bool indexed_ = false;
    mutable std::vector<Slot> slots_;  // open-addressing table of the distinct runs
    // Two bits per distinct run, chosen by its hash: most candidates of the analysis are not in
    // the dictionary, and this small table, which stays in the cache, turns them away.
    mutable std::vector<std::uint64_t> filter_;
    mutable std::uint64_t filterMask_ = 0;
    mutable std::vector<std::int32_t> postingBegin_;  // per word id, its postings: [begin[id], begin[id+1])
    mutable std::vector<Posting> postings_;           // per word, in text order

    const DicList* source_ = nullptr;
    std::uint64_t version_ = 0;
};

// Offset of the CR ending the line of the first whole-word match of `word` at or after `from`
// (case of A-Z ignored); 0 when there is none.
int findword(const DicText& dic, std::string_view word, int from);
// The same for a wildcard pattern: a leading "*" drops the word-start boundary, a trailing "*"
// the word-end boundary, an inner "*" matches any one byte. Only stars, or two stars at one end,
// find nothing. Every occurrence is found (the scan resumes one byte after a failed candidate).
int findwild(const DicText& dic, std::string_view pattern, int from);

// The text a search works on: the selected text without its leading bytes up to 0x20.
std::string_view SearchSubject(std::string_view selected);
// The text without every blank that stands directly before a combining mark.
std::string RemoveBlanksBeforeMarks(std::string_view text);
// Shortens the candidate text[start, end) (0-based, end exclusive) by its last display cell and
// then by every byte that cannot end a word; returns the new end (start when nothing is left).
int Shorten(std::string_view text, int start, int end);

struct SearchResult {
    bool searched = false;  // false: the text was empty after its leading blanks; nothing happens
    std::string header;   // ">" and the pattern, or ">" and every word found followed by a blank
    std::string warning;  // empty or PatternWarning
};
// One search for the editor's selected text. listLine(i) is called for every listed line i of the
// list, in order, and returns whether the search goes on (false once it was cancelled while
// pending events ran). A stop ends the running lookup after the line just listed; the analysis still goes on to
// the end of the text, and every further word found still lists its first line.
// `dic` must stay alive while the search runs; when it is refreshed from inside listLine, the
// following finds work on the new text.
SearchResult SearchText(const DicText& dic, std::string_view selected, const std::function<bool(int)>& listLine);

// "No line found", "1 line found", "12 lines found", each followed by the warning text.
std::string CaptionFor(int linesFound, std::string_view warning);

}  // namespace dictionary
