// The dictionary list: order, duplicates, line ends, change notifications, Find, Insert, Delete,
// and the file bytes in both directions.
#include "dictionary/diclist.h"
#include "platform/textlines.h"
#include "support.h"

#include <gtest/gtest.h>
#include <thai/thcoll.h>

#include <algorithm>
#include <random>
#include <set>

using dictionary::DicList;
using dictest::Tis;

namespace {

std::vector<std::string> Lines(const DicList& list) {
    std::vector<std::string> lines;
    for (int i = 0; i < list.Count(); ++i) lines.emplace_back(list[i]);
    return lines;
}

struct Counted {
    DicList list;
    int changes = 0;
    Counted() {
        list.OnChange = [this] { ++changes; };
    }
};

// The order the list must keep: folded collation keys, then folded bytes.
bool Before(std::string_view a, std::string_view b) {
    std::string fa = dictionary::FoldCase(a), fb = dictionary::FoldCase(b);
    std::string ka = dictionary::CollationKey(fa), kb = dictionary::CollationKey(fb);
    if (ka != kb) return ka < kb;
    return fa < fb;
}

void ExpectSortedAndUnique(const DicList& list) {
    for (int i = 1; i < list.Count(); ++i) {
        ASSERT_TRUE(Before(list[i - 1], list[i])) << "lines " << i - 1 << " and " << i << " out of order";
    }
}

}  // namespace

TEST(DicListOrder, ReadingSortsAndDropsCaseDuplicatesKeepingTheFirstForm) {
    Counted c;
    c.list.LoadFromBytes("b\r\na\r\nB\r\na\r\n\r\n");
    EXPECT_EQ(Lines(c.list), (std::vector<std::string>{"", "a", "b"}));
    EXPECT_EQ(c.changes, 1);

    c.list.LoadFromBytes("Apple\r\napple\r\nAPPLE\r\n");
    EXPECT_EQ(Lines(c.list), (std::vector<std::string>{"Apple"}));
    EXPECT_EQ(c.changes, 2);
}

TEST(DicListOrder, ThaiLinesFollowTheThaiDictionaryOrder) {
    // kho khai, ko kai with sara aa, ko kai: libthai orders ko kai words before kho khai words,
    // and a leading vowel sorts by the consonant after it.
    const std::string kai = Tis("ไก่"), ka = Tis("กา"), khai = Tis("ขาย"), kon = Tis("ก่อน"), ko = Tis("ก");
    DicList list;
    list.LoadFromBytes(khai + "\n" + kai + "\n" + ka + "\n" + kon + "\n" + ko + "\n");
    ASSERT_EQ(list.Count(), 5);
    ExpectSortedAndUnique(list);
    EXPECT_EQ(list[0], ko);
    EXPECT_EQ(list[4], khai);
    // Same as the collation libthai gives for these words.
    for (int i = 1; i < list.Count(); ++i)
        EXPECT_LT(th_strcoll(reinterpret_cast<const thchar_t*>(std::string(list[i - 1]).c_str()),
                            reinterpret_cast<const thchar_t*>(std::string(list[i]).c_str())),
                  0);
}

TEST(DicListOrder, RealDictionaryIsSortedUniqueAndEveryLineIsFound) {
    std::string bytes = dictest::SharedData("th-en.dic");
    ASSERT_GT(bytes.size(), 10000u);
    DicList list;
    list.LoadFromBytes(bytes);
    std::vector<std::string_view> read = platform::SplitLineViews(bytes);
    ASSERT_EQ(read.size(), 3867u);
    std::set<std::string> distinct;
    for (auto line : read) distinct.insert(dictionary::FoldCase(line));
    EXPECT_EQ(list.Count(), static_cast<int>(distinct.size()));
    ExpectSortedAndUnique(list);
    for (auto line : read) {
        int at = list.Find(line);
        ASSERT_GE(at, 0) << "line not found";
        EXPECT_EQ(dictionary::FoldCase(list[at]), dictionary::FoldCase(line));
    }
    // Inserting the lines one by one in a shuffled order gives the same list.
    std::vector<std::string_view> shuffled = read;
    std::mt19937 rng(7);
    std::shuffle(shuffled.begin(), shuffled.end(), rng);
    DicList one;
    for (auto line : shuffled) one.Insert(std::string(line));
    ASSERT_EQ(one.Count(), list.Count());
    for (int i = 0; i < list.Count(); ++i) EXPECT_EQ(dictionary::FoldCase(one[i]), dictionary::FoldCase(list[i]));
}

TEST(DicListOrder, OrderIsTotalOnArbitraryBytes) {
    // Random lines of all non-line-end bytes, many near-duplicates and case variants: the list
    // stays strictly increasing and finds each line it holds, whatever the insertion order.
    std::mt19937 rng(11);
    const std::string alphabet = "aAbB -_[]0\xA1\xA2\xD2\xD4\xE8\xE0\xC3\x80\xA0\xFF\xFB\x7F\x01";
    std::vector<std::string> lines;
    for (int i = 0; i < 3000; ++i) {
        std::string s;
        int n = static_cast<int>(rng() % 7);
        for (int k = 0; k < n; ++k) s += alphabet[rng() % alphabet.size()];
        lines.push_back(s);
    }
    DicList list;
    std::set<std::string> folded;
    for (const std::string& s : lines) {
        bool fresh = folded.insert(dictionary::FoldCase(s)).second;
        EXPECT_EQ(list.Insert(s), fresh);
    }
    ASSERT_EQ(list.Count(), static_cast<int>(folded.size()));
    ExpectSortedAndUnique(list);
    for (const std::string& s : lines) ASSERT_GE(list.Find(s), 0);
}

TEST(DicListOrder, ReadingSortsLinesThatShareALongBeginning) {
    // Lines alike in their first many key bytes are told apart by their whole keys, made again
    // and kept a few at a time while the sort compares them: a file of such lines in random order
    // comes out sorted and free of duplicates.
    std::mt19937 rng(5);
    const std::string alphabet = "abAB \xA1\xA2\xD2\xE8-";
    std::string bytes;
    std::set<std::string> folded;
    for (int i = 0; i < 3000; ++i) {
        std::string s = "the same long beginning of a line ";
        for (int k = static_cast<int>(rng() % 12); k > 0; --k) s += alphabet[rng() % alphabet.size()];
        folded.insert(dictionary::FoldCase(s));
        bytes += s + "\r\n";
    }
    DicList list;
    list.LoadFromBytes(bytes);
    ASSERT_EQ(list.Count(), static_cast<int>(folded.size()));
    ExpectSortedAndUnique(list);
}

TEST(DicListFile, LineEndsAndTheEndOfTheText) {
    DicList crlf, lf, cr, bare;
    crlf.LoadFromBytes("one\r\ntwo\r\nthree\r\n");
    lf.LoadFromBytes("one\ntwo\nthree\n");
    cr.LoadFromBytes("one\rtwo\rthree\r");
    bare.LoadFromBytes("one\r\ntwo\r\nthree");
    EXPECT_EQ(Lines(crlf), (std::vector<std::string>{"one", "three", "two"}));
    EXPECT_EQ(Lines(lf), Lines(crlf));
    EXPECT_EQ(Lines(cr), Lines(crlf));
    EXPECT_EQ(Lines(bare), Lines(crlf));

    DicList mixed;  // a, LF, CR, b: the LF ends a; the CR is an empty line of its own
    mixed.LoadFromBytes("a\n\rb");
    EXPECT_EQ(Lines(mixed), (std::vector<std::string>{"", "a", "b"}));

    DicList twoEnds;
    twoEnds.LoadFromBytes("x\r\n\r\ny");
    EXPECT_EQ(Lines(twoEnds), (std::vector<std::string>{"", "x", "y"}));

    DicList nul;
    nul.LoadFromBytes(std::string("one\r\ntwo\0three\r\nfour\r\n", 22));
    EXPECT_EQ(Lines(nul), (std::vector<std::string>{"one", "two"}));

    DicList empty;
    empty.LoadFromBytes("");
    EXPECT_EQ(empty.Count(), 0);
    EXPECT_EQ(empty.ToBytes(), "");
}

TEST(DicListFile, WritingPutsCrLfAfterEveryLineInListOrder) {
    DicList list;
    list.LoadFromBytes("zeta\nalpha\n\nBeta");
    EXPECT_EQ(list.ToBytes(), "\r\nalpha\r\nBeta\r\nzeta\r\n");
    DicList again;
    again.LoadFromBytes(list.ToBytes());
    EXPECT_EQ(Lines(again), Lines(list));
}

TEST(DicListEdit, InsertAndDeleteIgnoreTheCaseOfLatinLetters) {
    Counted c;
    c.list.LoadFromBytes("hello world\r\n");
    c.changes = 0;
    EXPECT_EQ(c.list.Find("HELLO World"), 0);
    EXPECT_FALSE(c.list.Insert("Hello World"));
    EXPECT_EQ(c.changes, 0);
    EXPECT_EQ(Lines(c.list), (std::vector<std::string>{"hello world"}));

    // Thai bytes are never folded: a Thai line differing in one letter is a new line.
    EXPECT_TRUE(c.list.Insert(Tis("กา")));
    EXPECT_TRUE(c.list.Insert(Tis("ขา")));
    EXPECT_EQ(c.changes, 2);
    EXPECT_EQ(c.list.Count(), 3);

    int at = c.list.Find("Hello WORLD");
    ASSERT_GE(at, 0);
    c.list.Delete(at);
    EXPECT_EQ(c.changes, 3);
    EXPECT_EQ(c.list.Find("hello world"), -1);
    EXPECT_EQ(Lines(c.list), (std::vector<std::string>{Tis("กา"), Tis("ขา")}));

    c.list.Delete(-1);
    c.list.Delete(2);
    EXPECT_EQ(c.changes, 3);
    EXPECT_EQ(c.list.Count(), 2);
}

TEST(DicListEdit, EmptyLineIsInsertedOnceAndSortsFirst) {
    Counted c;
    c.list.LoadFromBytes("b\r\na\r\n");
    EXPECT_TRUE(c.list.Insert(""));
    EXPECT_FALSE(c.list.Insert(""));
    EXPECT_EQ(c.list[0], "");
    EXPECT_EQ(c.list.Find(""), 0);
}

TEST(DicListEdit, LineEndBytesNeverEnterALine) {
    DicList list;
    EXPECT_TRUE(list.Insert("word\r\nother"));
    EXPECT_EQ(Lines(list), (std::vector<std::string>{"word"}));
    EXPECT_FALSE(list.Insert(std::string("word\0x", 6)));
    EXPECT_EQ(list.Find("word\nthing"), 0);
    EXPECT_EQ(list.ToBytes(), "word\r\n");
}

TEST(DicListEdit, AppendInsertsNewLinesInFileOrderAndNotifiesPerInsertion) {
    Counted c;
    c.list.LoadFromBytes("cat\r\ndog\r\n");
    std::uint64_t version = c.list.Version();
    c.changes = 0;

    c.list.AppendFromBytes("DOG\r\ncat\r\ndog\r\n");
    EXPECT_EQ(c.changes, 0);  // only known lines: nothing happens
    EXPECT_EQ(c.list.Version(), version);
    EXPECT_EQ(Lines(c.list), (std::vector<std::string>{"cat", "dog"}));

    // Within the appended file the first form read stays, and known lines keep their stored form.
    c.list.AppendFromBytes("Bird\nCAT\nbird\nant\n");
    EXPECT_EQ(c.changes, 2);
    EXPECT_EQ(Lines(c.list), (std::vector<std::string>{"ant", "Bird", "cat", "dog"}));
    EXPECT_GT(c.list.Version(), version);

    // The list seen by the notification is already complete.
    std::vector<int> seen;
    c.list.OnChange = [&] { seen.push_back(c.list.Count()); };
    c.list.AppendFromBytes("eel\nfox\n");
    EXPECT_EQ(seen, (std::vector<int>{6, 6}));
}

TEST(DicListEdit, VersionGrowsWithEveryChangeOnly) {
    DicList list;
    std::uint64_t v0 = list.Version();
    list.Insert("a");
    std::uint64_t v1 = list.Version();
    EXPECT_GT(v1, v0);
    list.Insert("A");
    EXPECT_EQ(list.Version(), v1);
    list.Delete(5);
    EXPECT_EQ(list.Version(), v1);
    list.Delete(0);
    EXPECT_GT(list.Version(), v1);
}

TEST(DicListBadInput, MegabyteLineAndHighBytes) {
    std::string huge(1 << 20, '\xA1');
    for (size_t i = 0; i < huge.size(); i += 7) huge[i] = static_cast<char>(0x80 + i % 128);
    std::string high;
    for (int b = 0x80; b <= 0xFF; ++b) high += static_cast<char>(b);
    DicList list;
    list.LoadFromBytes(huge + "\r\n" + high + "\r\nplain\r\n" + high + "\r\n");
    ASSERT_EQ(list.Count(), 3);
    ExpectSortedAndUnique(list);
    EXPECT_GE(list.Find(huge), 0);
    EXPECT_GE(list.Find(high), 0);
    EXPECT_FALSE(list.Insert(huge));
    EXPECT_EQ(list.ToBytes().size(), huge.size() + high.size() + 5 + 6);
}

TEST(DicListBadInput, MillionLineDictionary) {
    std::string bytes;
    const int lines = 1'000'000 / dictest::kDataStep;
    bytes.reserve(static_cast<size_t>(lines) * 14);
    std::mt19937 rng(3);
    for (int i = 0; i < lines; ++i) {
        bytes += "w";
        bytes += std::to_string(rng() % 900'000);  // about a third are repeats
        bytes += (i % 2) ? " \xA1\xD2\r\n" : "\n";
    }
    DicList list;
    list.LoadFromBytes(bytes);
    EXPECT_GT(list.Count(), lines / 2);
    EXPECT_LT(list.Count(), lines);
    for (int i = 1; i < list.Count(); i += 997) ASSERT_TRUE(Before(list[i - 1], list[i]));
    EXPECT_TRUE(list.Insert("a new line"));
    EXPECT_GE(list.Find("A NEW LINE"), 0);
}
