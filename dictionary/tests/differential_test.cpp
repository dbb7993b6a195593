// The fast engine against the literal one: identical header lines, listed lines (indices and
// order), warnings and find results, on the real dictionary and on generated texts and patterns,
// with and without a stop requested part way.
#include "dictionary/wordlist.h"
#include "platform/textlines.h"
#include "support.h"

#include <gtest/gtest.h>

#include <random>

using dictionary::DicList;
using dictionary::DicText;

namespace {

std::vector<std::string> LinesOf(const DicList& list) {
    std::vector<std::string> lines;
    for (int i = 0; i < list.Count(); ++i) lines.emplace_back(list[i]);
    return lines;
}

dictest::literal::Result Fast(const DicText& dic, std::string_view selected, int stopAfter) {
    dictest::literal::Result out;
    auto r = dictionary::SearchText(dic, selected, [&](int i) {
        out.listed.push_back(i);
        return stopAfter < 0 || static_cast<int>(out.listed.size()) < stopAfter;
    });
    out.searched = r.searched;
    out.header = r.header;
    out.warning = r.warning;
    return out;
}

// Compares one search; returns the number of lines the literal engine listed.
size_t Compare(const DicText& dic, dictest::literal::Engine& literal, const std::string& selected, int stopAfter = -1) {
    dictest::literal::Result want = literal.Search(selected, stopAfter);
    dictest::literal::Result got = Fast(dic, selected, stopAfter);
    EXPECT_EQ(got.searched, want.searched) << "text: " << selected;
    EXPECT_EQ(got.header, want.header) << "text: " << selected;
    EXPECT_EQ(got.warning, want.warning) << "text: " << selected;
    EXPECT_EQ(got.listed, want.listed) << "text: " << selected << " stop after " << stopAfter;
    return want.listed.size();
}

class Differential : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        bytes_ = new std::string(dictest::SharedData("th-en.dic"));
        ASSERT_FALSE(bytes_->empty());
        for (auto line : platform::SplitLineViews(*bytes_)) {
            fileLines_.emplace_back(line);
            if (size_t blank = line.find(' '); blank != std::string::npos) {
                english_.emplace_back(line.substr(0, blank));
                thai_.emplace_back(line.substr(blank + 1));
            }
        }
    }
    static void TearDownTestSuite() { delete bytes_; }

    static std::string* bytes_;
    static std::vector<std::string> fileLines_, english_, thai_;
};
std::string* Differential::bytes_ = nullptr;
std::vector<std::string> Differential::fileLines_, Differential::english_, Differential::thai_;

TEST_F(Differential, EveryDictionaryLineAsTheSelectedText) {
    DicList list;
    list.LoadFromBytes(*bytes_);
    DicText dic(list);
    dictest::literal::Engine literal(LinesOf(list));
    ASSERT_EQ(literal.Text(), dic.Text());
    size_t listed = 0;
    int stopped = 0;
    size_t searched = 0;
    for (size_t i = 0; i < fileLines_.size(); i += dictest::kDataStep, ++searched) {
        const std::string& line = fileLines_[i];
        size_t n = Compare(dic, literal, line);
        listed += n;
        if (n >= 2) {
            Compare(dic, literal, line, 1);
            ++stopped;
        }
        if (HasFailure()) break;
    }
    EXPECT_GT(listed, searched);  // every line lists at least itself, most more
    EXPECT_GT(stopped, 100 / dictest::kDataStep);
}

TEST_F(Differential, GeneratedUnspacedThaiAndMixedText) {
    // A smaller dictionary keeps the literal engine quick: every eighth line of the file and some
    // Thai words on lines of their own, so that most generated texts hold known and unknown words.
    std::mt19937 rng(2024);
    DicList list;
    std::string small;
    for (size_t i = 0; i < fileLines_.size(); i += 8) small += fileLines_[i] + "\r\n";
    for (size_t i = 1; i < thai_.size(); i += 16) small += thai_[i] + "\r\n";
    small += "[note] x\r\nhow_are_you y\r\nco-op z\r\nit's w\r\n";
    // Long unspaced tokens whose first 26 to 33 bytes the dictionary knows: the cap of 30 bytes
    // and the cell boundaries decide which of them is found.
    std::vector<std::string> longTexts;
    for (int i = 0; i < 300; ++i) {
        std::string text;
        while (text.size() < 45) text += thai_[rng() % thai_.size()];
        longTexts.push_back(text);
        small += text.substr(0, 26 + rng() % 8) + " cut\r\n";
    }
    list.LoadFromBytes(small);
    DicText dic(list);
    dictest::literal::Engine literal(LinesOf(list));

    auto pick = [&](const std::vector<std::string>& v) -> const std::string& { return v[rng() % v.size()]; };
    const std::string marks = "\xD1\xD4\xD5\xD6\xD7\xD8\xD9\xE7\xE8\xE9\xEA\xEB\xEC";
    const std::string odd = " ,.;:-'_[](){}!?0123456789\t\xA0\x80\x9F\xF0\xF5\xDA\xDF\xE5\xED\xEE\xEF*";

    // Thai words are drawn mostly from those the dictionary holds, so that the analysis finds
    // words and goes on after them, and sometimes from all the others.
    std::vector<std::string> known;
    for (size_t i = 0; i < thai_.size(); i += 8) known.push_back(thai_[i]);
    for (int i = 0; i < 1500 / dictest::kDataStep; ++i) {
        std::string text;
        int words = 2 + static_cast<int>(rng() % 5);
        for (int k = 0; k < words; ++k) {
            text += rng() % 4 ? pick(known) : pick(thai_);
            switch (rng() % 10) {
            case 0: text += static_cast<char>(0xA1 + rng() % 46); break;    // a stray consonant
            case 1: text += marks[rng() % marks.size()]; break;              // a stray mark
            case 2: text += std::string(" ") + marks[rng() % marks.size()]; break;  // blank before a mark
            default: break;
            }
        }
        size_t n = Compare(dic, literal, text);
        if (n >= 2 && i % 3 == 0) Compare(dic, literal, text, 1 + static_cast<int>(rng() % (n - 1)));
        if (HasFailure()) return;
    }
    for (size_t i = 0; i < longTexts.size(); i += dictest::kDataStep) {
        Compare(dic, literal, longTexts[i]);
        if (HasFailure()) return;
    }
    for (int i = 0; i < 800 / dictest::kDataStep; ++i) {
        std::string text;
        if (rng() % 4 == 0) text += std::string(1 + rng() % 3, ' ');
        int pieces = 1 + static_cast<int>(rng() % 8);
        for (int k = 0; k < pieces; ++k) {
            std::string piece;
            switch (rng() % 6) {
            case 0: piece = pick(english_); break;
            case 1: piece = pick(thai_); break;
            case 2: piece = pick(english_) + pick(english_) + pick(thai_); break;  // a long token
            case 3: piece = std::string(1, odd[rng() % odd.size()]); break;
            case 4: piece = std::to_string(rng() % 1000); break;
            default: piece = pick(english_) + "_" + pick(english_); break;
            }
            if (rng() % 3 == 0)
                for (char& c : piece)
                    if (c >= 'a' && c <= 'z' && rng() % 2) c = static_cast<char>(c - 32);
            text += piece;
            if (rng() % 2) text += odd[rng() % 6];
        }
        if (text.find('*') != std::string::npos && rng() % 2) text.erase(text.find('*'), 1);
        size_t n = Compare(dic, literal, text);
        if (n >= 2 && i % 3 == 0) Compare(dic, literal, text, 1 + static_cast<int>(rng() % (n - 1)));
        if (HasFailure()) return;
    }
}

TEST_F(Differential, WildcardPatternsOfEveryForm) {
    DicList list;
    list.LoadFromBytes(*bytes_);
    DicText dic(list);
    dictest::literal::Engine literal(LinesOf(list));
    std::mt19937 rng(99);
    auto pick = [&](const std::vector<std::string>& v) -> const std::string& { return v[rng() % v.size()]; };

    std::vector<std::string> patterns = {"*", "**", "***", "* *", "*a", "a*", "*a*", "**a", "a**", "*a**",
                                         "a*b", "a**b", "*-*", "*_*", "co-op*", "*'s", "1*", "*1", "a b*",
                                         "good* morning", "*\xA1\xD2", "\xA1*\xD2*", "*\xE8*", "x*", "X*"};
    for (int i = 0; i < 600 / dictest::kDataStep; ++i) {
        const std::string& w = rng() % 2 ? pick(english_) : pick(thai_);
        if (w.size() < 3) continue;
        size_t cut = 1 + rng() % (w.size() - 1);
        switch (i % 10) {
        case 0: patterns.push_back("*" + w.substr(cut)); break;                          // suffix
        case 1: patterns.push_back(w.substr(0, cut) + "*"); break;                        // prefix
        case 2: patterns.push_back("*" + w.substr(cut / 2, 2) + "*"); break;              // inner
        case 3: {
            std::string p = w;                                                            // inner stars
            for (size_t k = 1; k + 1 < p.size(); ++k)
                if (rng() % 3 == 0) p[k] = '*';
            patterns.push_back(p);
            break;
        }
        case 4: patterns.push_back("**" + w); break;
        case 5: patterns.push_back(w + "**"); break;
        case 6: patterns.push_back(w.substr(0, cut) + "* " + pick(english_)); break;     // with a blank
        case 7: patterns.push_back(w.substr(0, cut) + std::to_string(rng() % 10) + "*"); break;  // a digit
        case 8: {
            std::string p = "*" + w + "*";
            for (char& c : p)
                if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
            patterns.push_back(p);
            break;
        }
        default: patterns.push_back(std::string(1 + rng() % 4, '*')); break;               // stars alone
        }
    }
    const int size = dic.Size();
    for (size_t i = 0; i < patterns.size(); ++i) {
        const std::string& p = patterns[i];
        size_t n = Compare(dic, literal, p);
        if (n >= 2) Compare(dic, literal, p, 1 + static_cast<int>(i % (n - 1)));
        // Raw finds from arbitrary offsets, inside words and lines included.
        for (int k = 0; k < 4; ++k) {
            int from = static_cast<int>(rng() % static_cast<unsigned>(size + 1));
            ASSERT_EQ(dictionary::findwild(dic, p, from), dictest::literal::findwild(p, literal.Text(), from))
                << "pattern " << p << " from " << from;
        }
        EXPECT_EQ(dictionary::findwild(dic, p, -3), dictionary::findwild(dic, p, 0));
        EXPECT_EQ(dictionary::findwild(dic, p, size + 5), 0);
        if (HasFailure()) return;
    }
}

TEST_F(Differential, WholeWordFindFromAnyOffset) {
    DicList list;
    list.LoadFromBytes(*bytes_);
    DicText dic(list);
    const std::string& text = std::string(dic.Text());
    std::mt19937 rng(5);
    auto pick = [&](const std::vector<std::string>& v) -> const std::string& { return v[rng() % v.size()]; };
    std::vector<std::string> words = {"", " ", "a", "A", "_", "[", "]", "'", "-", "co", "the", "a b", "x,y",
                                      "\xA1", "\xA0", "1", "\r", "\r\n"};
    for (int i = 0; i < 400 / dictest::kDataStep; ++i) {
        std::string w = rng() % 2 ? pick(english_) : pick(thai_);
        switch (i % 5) {
        case 0: w = w.substr(0, 1 + rng() % w.size()); break;
        case 1:
            for (char& c : w)
                if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
            break;
        case 2: w = pick(fileLines_); break;  // a whole line, blank inside
        default: break;
        }
        words.push_back(w);
    }
    const int size = dic.Size();
    for (const std::string& w : words) {
        int from = 0;
        for (int step = 0; step < 50; ++step) {  // walk the matches as the search does
            int want = dictest::literal::findword(w, text, from);
            ASSERT_EQ(dictionary::findword(dic, w, from), want) << "word [" << w << "] from " << from;
            if (want == 0) break;
            from = want;
        }
        for (int k = 0; k < 5; ++k) {
            int at = static_cast<int>(rng() % static_cast<unsigned>(size + 1));
            ASSERT_EQ(dictionary::findword(dic, w, at), dictest::literal::findword(w, text, at)) << "word [" << w << "] from " << at;
        }
    }
}

}  // namespace
