// The word-list search through its real interface: a dictionary list, its dictionary text, and
// one search for a selected text, checking the listed lines, the header line and the warning.
#include "dictionary/wordlist.h"
#include "support.h"

#include <gtest/gtest.h>

#include <algorithm>

using dictionary::DicList;
using dictionary::DicText;
using dictionary::SearchText;
using dictest::Tis;

namespace {

DicList ListOf(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& l : lines) bytes += l + "\r\n";
    DicList list;
    list.LoadFromBytes(bytes);
    return list;
}

struct Outcome {
    dictionary::SearchResult result;
    std::vector<std::string> listed;  // the listed lines, in order
};

// One search; the search is told to stop once `stopAfter` lines have been listed.
Outcome Search(const DicList& list, std::string_view selected, int stopAfter = -1) {
    DicText dic(list);
    Outcome out;
    out.result = SearchText(dic, selected, [&](int i) {
        out.listed.emplace_back(list[i]);
        return stopAfter < 0 || static_cast<int>(out.listed.size()) < stopAfter;
    });
    return out;
}

using Lines = std::vector<std::string>;

// The given lines of the list in the list's own order (Thai collation: blanks and punctuation
// weigh less than letters, so "abc123def" sorts before "abc one").
Lines Ordered(const DicList& list, Lines lines) {
    std::sort(lines.begin(), lines.end(),
              [&](const std::string& a, const std::string& b) { return list.Find(a) < list.Find(b); });
    return lines;
}

Lines Concat(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

TEST(WordlistWords, LatinWordsSeparatedByBlanksAndCommasIgnoringCase) {
    DicList list = ListOf({"hello " + Tis("สวัสดี"), "world " + Tis("โลก"), "word " + Tis("คำ")});
    Outcome o = Search(list, "Hello, world");
    EXPECT_TRUE(o.result.searched);
    EXPECT_EQ(o.listed, (Lines{"hello " + Tis("สวัสดี"), "world " + Tis("โลก")}));
    EXPECT_EQ(o.result.header, ">Hello world ");
    EXPECT_EQ(o.result.warning, "");
    EXPECT_EQ(dictionary::CaptionFor(static_cast<int>(o.listed.size()), o.result.warning), "2 lines found");
}

TEST(WordlistWords, BracketsAndUnderscoresJoinWordsOnTheDictionarySide) {
    DicList list = ListOf({"[to] " + Tis("ถึง"), "how_are_you " + Tis("สบายดีไหม"), "go to " + Tis("ไป")});
    Outcome o = Search(list, "to be");
    EXPECT_EQ(o.listed, (Lines{"go to " + Tis("ไป")}));
    EXPECT_EQ(o.result.header, ">to ");

    o = Search(list, "how are you");
    EXPECT_TRUE(o.listed.empty());
    EXPECT_EQ(o.result.header, ">");
    EXPECT_EQ(dictionary::CaptionFor(0, o.result.warning), "No line found");

    o = Search(list, "how_are_you");
    EXPECT_EQ(o.listed, (Lines{"how_are_you " + Tis("สบายดีไหม")}));
    // In the text the brackets stand around the Latin word "to", which is looked up whole.
    o = Search(list, "[to]");
    EXPECT_EQ(o.listed, (Lines{"go to " + Tis("ไป")}));
}

TEST(WordlistWords, ThaiWithoutGapsIsAnalysedIntoTheLongestKnownWords) {
    DicList list = ListOf({Tis("ฉัน") + " I", "love, " + Tis("รัก"), "cat " + Tis("แมว"), Tis("ฉ") + " letter"});
    Outcome o = Search(list, Tis("ฉันรักแมว"));
    EXPECT_EQ(o.result.header, ">" + Tis("ฉัน รัก แมว "));
    EXPECT_EQ(o.listed, (Lines{Tis("ฉัน") + " I", "love, " + Tis("รัก"), "cat " + Tis("แมว")}));
}

TEST(WordlistWords, LongerWordWinsWithoutBacktracking) {
    // The greedy match takes ko kai, kho khai at the start, so kho khai, kho khwai is never tried
    // from the second byte.
    const std::string k = "\xA1", kh = "\xA2", khw = "\xA4";
    DicList list = ListOf({k + kh + " first", k + " letter", kh + khw + " second", khw + " third"});
    Outcome o = Search(list, k + kh + khw);
    EXPECT_EQ(o.result.header, ">" + k + kh + " " + khw + " ");
    EXPECT_EQ(o.listed, (Lines{k + kh + " first", khw + " third"}));
}

TEST(WordlistWords, CandidatesAreCappedAtThirtyBytesOnACellBoundary) {
    const std::string kho29(29, '\xA2');                  // 29 x kho khai
    const std::string token = kho29 + "\xA1\xD4" + std::string(9, '\xA2');  // ko kai with sara i at 30-31
    ASSERT_EQ(token.size(), 40u);
    DicList list = ListOf({kho29 + "\xA1 cut inside a cell", kho29 + " twenty-nine"});
    Outcome o = Search(list, token);
    EXPECT_EQ(o.listed, (Lines{kho29 + " twenty-nine"}));
    EXPECT_EQ(o.result.header, ">" + kho29 + " ");

    // A Latin word is looked up whole, however long.
    const std::string latin = "abcdefghijklmnopqrstuvwxyzabcdefghijklmn";
    list = ListOf({latin.substr(0, 31) + " long", latin.substr(0, 30) + " thirty", latin + " whole"});
    o = Search(list, latin);
    EXPECT_EQ(o.listed, (Lines{latin + " whole"}));
}

TEST(WordlistWords, LeadingVowelBeforeThirtyHyphensGivesNoCandidate) {
    const std::string e = "\xE0";  // sara e
    DicList list = ListOf({e + " vowel", e + "- dash", "ab found"});
    Outcome o = Search(list, e + std::string(30, '-') + "ab");
    EXPECT_EQ(o.listed, (Lines{"ab found"}));
    EXPECT_EQ(o.result.header, ">ab ");
}

TEST(WordlistWords, ShorteningRemovesCellsAndBytesThatCannotEndAWord) {
    const std::string kaa = Tis("ก่า");  // ko kai, mai ek, sara aa
    EXPECT_EQ(dictionary::Shorten(kaa, 0, 3), 2);
    EXPECT_EQ(dictionary::Shorten(kaa, 0, 2), 0);
    const std::string kmae = Tis("กแม");
    EXPECT_EQ(dictionary::Shorten(kmae, 0, 3), 1);
    EXPECT_EQ(dictionary::Shorten("you", 0, 3), 2);
    EXPECT_EQ(dictionary::Shorten("a-'b", 0, 4), 1);

    // ko kai alone is never tried from the start of ko kai, mai ek, sara aa.
    Outcome o = Search(ListOf({Tis("ก") + " ko"}), kaa);
    EXPECT_TRUE(o.listed.empty());
    o = Search(ListOf({Tis("ก") + " ko", Tis("ก่") + " ko ek"}), kaa);
    EXPECT_EQ(o.listed, (Lines{Tis("ก่") + " ko ek"}));
    EXPECT_EQ(o.result.header, ">" + Tis("ก่") + " ");
    // The candidate after removing the last cell of ko kai, sara ae, mo ma is ko kai.
    o = Search(ListOf({Tis("กแ") + " no", Tis("ก") + " ko"}), kmae);
    EXPECT_EQ(o.listed, (Lines{Tis("ก") + " ko"}));
}

TEST(WordlistWords, LatinWordsAreLookedUpWhole) {
    // Within Latin words nothing is shortened or split: "it" is not listed for "with", "kitten" or
    // "bitter", nor "bit" for "bitter".
    DicList list = ListOf({"it " + Tis("มัน"), "bit " + Tis("นิด"), "with " + Tis("กับ"), "golf " + Tis("กอล์ฟ")});
    Outcome o = Search(list, "I like golf with kitten bitter");
    EXPECT_EQ(o.result.header, ">golf with ");
    EXPECT_EQ(o.listed, (Lines{"golf " + Tis("กอล์ฟ"), "with " + Tis("กับ")}));
    o = Search(ListOf({"y letter", "yellow " + Tis("สีเหลือง")}), "you");
    EXPECT_TRUE(o.listed.empty());
    EXPECT_EQ(o.result.header, ">");

    // Letters and digits make one word; a number alone is none. Whole means between bytes that
    // are neither wordish nor digits, so mp3 is not found in mp34, nor abc in abc1.
    list = ListOf({"abc one", "abc123def three", "def two", "mp34 four", "mp3 " + Tis("เพลง"), "2 two"});
    o = Search(list, "abc123def 2 mp3");
    EXPECT_EQ(o.result.header, ">abc123def mp3 ");
    EXPECT_EQ(o.listed, (Lines{"abc123def three", "mp3 " + Tis("เพลง")}));
    EXPECT_EQ(Search(ListOf({"abc1 x", "abc y"}), "abc").listed, (Lines{"abc y"}));

    // A word joined by an apostrophe, hyphen or underscore is looked up whole, and part by part
    // when the dictionary lacks it.
    list = ListOf({"co-op z", "co x", "op y", "it's w", "s letter"});
    EXPECT_EQ(Search(list, "co-op").listed, (Lines{"co-op z"}));
    o = Search(list, "re-op it's");
    EXPECT_EQ(o.result.header, ">op it's ");
    EXPECT_EQ(o.listed, (Lines{"op y", "it's w"}));

    // Thai next to a Latin word is analysed on its own.
    list = ListOf({"golf " + Tis("กอล์ฟ"), Tis("เล่น") + " play"});
    o = Search(list, Tis("เล่น") + "golf");
    EXPECT_EQ(o.result.header, ">" + Tis("เล่น") + " golf ");
}

TEST(WordlistWords, ALineIsListedOncePerSearchInTheOrderFirstFound) {
    DicList list = ListOf({"go go " + Tis("ไป"), "went " + Tis("ไป"), "it " + Tis("ไอที")});
    Outcome o = Search(list, "go");
    EXPECT_EQ(o.listed, (Lines{"go go " + Tis("ไป")}));
    o = Search(list, "go go");
    EXPECT_EQ(o.listed, (Lines{"go go " + Tis("ไป")}));
    EXPECT_EQ(o.result.header, ">go go ");
    // The line holds two words of the text: it is listed for the first.
    o = Search(list, "it went " + Tis("ไป") + " go it");
    EXPECT_EQ(o.listed, Concat({"it " + Tis("ไอที"), "went " + Tis("ไป")}, {"go go " + Tis("ไป")}));
    EXPECT_EQ(o.result.header, ">it went " + Tis("ไป") + " go it ");
}

TEST(WordlistWords, BlankBeforeACombiningMarkIsIgnored) {
    DicList list = ListOf({Tis("กิน") + " eat"});
    Outcome o = Search(list, Tis("ก ิน"));
    EXPECT_EQ(o.listed, (Lines{Tis("กิน") + " eat"}));
    EXPECT_EQ(o.result.header, ">" + Tis("กิน") + " ");
}

TEST(WordlistWords, LeadingBlanksAndAnEmptyTextMeanNoSearch) {
    DicList list = ListOf({"word x"});
    int calls = 0;
    DicText dic(list);
    auto r = SearchText(dic, " \t\r\n ", [&](int) { return ++calls, true; });
    EXPECT_FALSE(r.searched);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(r.header, "");
    Outcome o = Search(list, "  \t word");
    EXPECT_TRUE(o.result.searched);
    EXPECT_EQ(o.result.header, ">word ");
    EXPECT_EQ(o.listed, (Lines{"word x"}));
}

TEST(WordlistPatterns, TheFourFormsAndRejectedPatterns) {
    DicList list = ListOf({"walking " + Tis("เดิน"), "singer", "ingot", "ink", "abc x", "a c y", "abbc z", "ab"});
    EXPECT_EQ(Search(list, "*ing").listed, (Lines{"walking " + Tis("เดิน")}));
    EXPECT_EQ(Search(list, "ing*").listed, (Lines{"ingot"}));
    EXPECT_EQ(Search(list, "*ING*").listed, Ordered(list, {"ingot", "singer", "walking " + Tis("เดิน")}));
    EXPECT_EQ(Search(list, "a*c").listed, Ordered(list, {"a c y", "abc x"}));
    EXPECT_EQ(Search(list, "a**c").listed, (Lines{"abbc z"}));
    for (const char* rejected : {"*", "**", "***", "**ab", "ab**", "*ab**"}) {
        Outcome o = Search(list, rejected);
        EXPECT_TRUE(o.listed.empty()) << rejected;
        EXPECT_EQ(o.result.header, std::string(">") + rejected);
        EXPECT_EQ(o.result.warning, "");
    }
    Outcome o = Search(list, "ing*");
    EXPECT_EQ(o.result.header, ">ing*");
    EXPECT_EQ(dictionary::CaptionFor(1, o.result.warning), "1 line found");
}

TEST(WordlistPatterns, MoreThanOneWordWithAStarWarnsButStillRuns) {
    DicList list = ListOf({"good morning", "goods morning", "goodbye", "good"});
    Outcome o = Search(list, "good* morning");
    EXPECT_EQ(o.result.warning, "- Select only one word with *");
    EXPECT_EQ(o.listed, (Lines{"goods morning"}));  // the inner star stands for exactly one byte
    EXPECT_EQ(o.result.header, ">good* morning");
    EXPECT_EQ(dictionary::CaptionFor(12, o.result.warning), "12 lines found- Select only one word with *");
    EXPECT_EQ(Search(list, "good1*").result.warning, dictionary::PatternWarning);
    EXPECT_EQ(Search(list, "go*d").result.warning, "");
    EXPECT_EQ(Search(list, "go*d").listed, Ordered(list, {"good", "good morning"}));
}

TEST(WordlistStop, AStopEndsTheLookupButTheAnalysisGoesOn) {
    DicList list = ListOf({"cat 1", "cat 2", "cat 3", "cat 4", "dog 1", "dog 2", "emu 1", "emu 2"});
    Outcome o = Search(list, "cat dog emu", 2);
    EXPECT_EQ(o.listed, (Lines{"cat 1", "cat 2", "dog 1", "emu 1"}));
    EXPECT_EQ(o.result.header, ">cat dog emu ");
    o = Search(list, "*a*", 1);
    EXPECT_EQ(o.listed, (Lines{"cat 1"}));
}

TEST(WordlistFind, ResultsAreLineEndsAndMapToListIndices) {
    DicList list = ListOf({"cat " + Tis("แมว"), "category " + Tis("หมวดหมู่"), "dog " + Tis("สุนัข")});
    DicText dic(list);
    // The Thai collation puts category before cat and its Thai word.
    ASSERT_EQ(list[0], "category " + Tis("หมวดหมู่"));
    ASSERT_EQ(list[1], "cat " + Tis("แมว"));
    const std::string_view text = dic.Text();
    ASSERT_EQ(text.size(), list[0].size() + list[1].size() + list[2].size() + 7);
    ASSERT_EQ(text.back(), '\0');
    const int catStart = static_cast<int>(list[0].size()) + 2;
    ASSERT_EQ(text.substr(static_cast<size_t>(catStart), 9), "cat \xE1\xC1\xC7\r\n");

    int r = dictionary::findword(dic, "CAT", 0);
    EXPECT_EQ(r, catStart + 7);
    EXPECT_EQ(text[static_cast<size_t>(r)], '\r');
    EXPECT_EQ(dic.LineOfResult(r), 1);
    EXPECT_EQ(dictionary::findword(dic, "cat", r), 0);
    EXPECT_EQ(dictionary::findword(dic, "cat", catStart + 1), 0);  // from inside the word: no word start
    EXPECT_EQ(dictionary::findword(dic, "cat", catStart), r);
    EXPECT_EQ(dic.LineOfResult(dictionary::findword(dic, Tis("สุนัข"), 0)), 2);
    EXPECT_EQ(dictionary::findword(dic, "cat", -5), r);
    EXPECT_EQ(dictionary::findword(dic, "cat", 100000), 0);
    EXPECT_EQ(dic.Line(0), "category " + Tis("หมวดหมู่"));
    EXPECT_EQ(dic.LineCount(), 3);

    // The quick lookup's walk: whole words first, then the same text as a prefix.
    r = dictionary::findwild(dic, "cat", 0);
    EXPECT_EQ(dic.LineOfResult(r), 1);
    EXPECT_EQ(dictionary::findwild(dic, "cat", r), 0);
    r = dictionary::findwild(dic, "Cat*", 0);
    EXPECT_EQ(dic.LineOfResult(r), 0);
    r = dictionary::findwild(dic, "cat*", r);
    EXPECT_EQ(dic.LineOfResult(r), 1);
    EXPECT_EQ(dictionary::findwild(dic, "cat*", r), 0);
    EXPECT_EQ(dic.LineOfResult(dictionary::findwild(dic, "*gory", 0)), 0);
    EXPECT_EQ(dictionary::findwild(dic, "ca", 0), 0);
    // A phrase with a blank stands as a whole phrase.
    EXPECT_EQ(dic.LineOfResult(dictionary::findwild(dic, "category " + Tis("หมวด*"), 0)), 0);
    EXPECT_EQ(dictionary::findwild(dic, "category " + Tis("หมวด"), 0), 0);
    EXPECT_EQ(dic.LineOfResult(dictionary::findword(dic, "dog " + Tis("สุนัข"), 0)), 2);
}

TEST(WordlistFind, WildcardFindsOverlappingOccurrences) {
    // Resuming one byte after a failed candidate finds the word in baab for *ab.
    DicList list = ListOf({"baab one", "x aaab two"});
    DicText dic(list);
    EXPECT_EQ(dic.LineOfResult(dictionary::findwild(dic, "*ab", 0)), 0);
    int r = dictionary::findwild(dic, "*ab", 0);
    EXPECT_EQ(dic.LineOfResult(dictionary::findwild(dic, "*ab", r)), 1);
    EXPECT_EQ(dic.LineOfResult(dictionary::findwild(dic, "*aab", 0)), 0);
}

TEST(WordlistIndex, RefreshFollowsTheListOnlyWhenItChanged) {
    DicList list = ListOf({"alpha", "beta"});
    DicText dic(list);
    EXPECT_FALSE(dic.Refresh(list));
    EXPECT_EQ(dictionary::findword(dic, "gamma", 0), 0);
    list.Insert("gamma ray");
    list.Insert("GAMMA");  // a duplicate: no change
    // The text is the list's own: the index follows its change at the next find.
    EXPECT_EQ(dic.LineOfResult(dictionary::findword(dic, "gamma", 0)), 2);
    EXPECT_TRUE(dic.Refresh(list));
    EXPECT_FALSE(dic.Refresh(list));
    EXPECT_EQ(dic.LineOfResult(dictionary::findword(dic, "gamma", 0)), 2);
    list.Delete(0);
    EXPECT_TRUE(dic.Refresh(list));
    EXPECT_EQ(dic.LineOfResult(dictionary::findword(dic, "gamma", 0)), 1);
    EXPECT_EQ(dictionary::findword(dic, "alpha", 0), 0);

    DicList other = ListOf({"alpha"});
    EXPECT_TRUE(dic.Refresh(other));
    EXPECT_EQ(dic.LineOfResult(dictionary::findword(dic, "alpha", 0)), 0);

    DicText empty;
    EXPECT_EQ(empty.Text(), std::string_view("\0", 1));
    EXPECT_EQ(dictionary::findword(empty, "a", 0), 0);
    EXPECT_EQ(dictionary::findwild(empty, "a*", 0), 0);
}

TEST(WordlistIndex, DictionaryChangedWhileTheSearchRunsEndsIt) {
    // A listed line's pending events may change the dictionary: the search ends there, before it
    // would list a line of another dictionary.
    DicList list = ListOf({"a 1", "a 2", "a 3", "b 1", "b 2"});
    DicText dic(list);
    std::vector<std::string> listed;
    auto r = SearchText(dic, "a b", [&](int i) {
        listed.push_back(std::string(dic.Line(i)));
        while (list.Count() > 2) list.Delete(0);
        return true;
    });
    EXPECT_EQ(listed, (Lines{"a 1"}));
    EXPECT_EQ(r.header, ">a ");
}

TEST(WordlistBadInput, HugeLinesHighBytesAndStarsOnly) {
    std::string huge;
    for (int i = 0; huge.size() < (1u << 20); ++i) huge += (i % 3) ? "\xA1\xD2" : "\xE0\xA1\xE8\xD2";
    std::string high;
    for (int b = 0x80; b <= 0xFF; ++b) high += static_cast<char>(b);
    DicList list = ListOf({huge, high, "a a a a a", std::string(200000, 'a'), Tis("กา") + " crow"});
    DicText dic(list);
    int listed = 0;
    auto count = [&](int) { return ++listed, true; };

    auto r = SearchText(dic, huge, count);  // a megabyte of unspaced Thai as the selected text
    EXPECT_TRUE(r.searched);
    EXPECT_GT(listed, 0);
    listed = 0;
    r = SearchText(dic, high + high, count);
    EXPECT_TRUE(r.searched);
    listed = 0;
    std::string dashes;  // one long token where no shortened candidate can end
    for (int i = 0; i < 300000; ++i) dashes += "\xE0-";
    r = SearchText(dic, dashes, count);
    EXPECT_EQ(r.header, ">");
    EXPECT_EQ(listed, 0);
    r = SearchText(dic, std::string(1 << 20, '*'), count);
    EXPECT_EQ(listed, 0);
    r = SearchText(dic, "a" + std::string(500, '*') + "a", count);  // two stars at an end: rejected
    EXPECT_EQ(listed, 0);
    std::string inner = "a";
    for (int i = 0; i < 300; ++i) inner += "*a";
    r = SearchText(dic, inner, count);
    EXPECT_EQ(listed, 0);
    EXPECT_EQ(dictionary::findwild(dic, "*a a*", 0) > 0, true);
    EXPECT_EQ(dictionary::findword(dic, std::string(200000, 'A'), 0) > 0, true);
}
