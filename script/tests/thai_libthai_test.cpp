// Display cells against libthai's own cell rule, over every word of libthai's word list, and
// the classes of text where the two rules part by design.
#include <gtest/gtest.h>
#include <thai/thcell.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "script/tests/thai_bytes.h"
#include "script/thai.h"

using thaitest::Hex;

namespace {

// 1-based positions where libthai's cells start, with sara am kept whole (not split into
// nikhahit and sara aa).
std::vector<int> LibthaiCellStarts(const std::string& text) {
    std::vector<int> starts;
    size_t done = 0;
    while (done < text.size()) {
        thcell_t cell;
        const size_t used =
            th_next_cell(reinterpret_cast<const thchar_t*>(text.data()) + done, text.size() - done, &cell, 0);
        if (used == 0) break;
        starts.push_back(static_cast<int>(done) + 1);
        done += used;
    }
    return starts;
}

int LibthaiCells(const std::string& text) { return static_cast<int>(LibthaiCellStarts(text).size()); }

// UTF-8 Thai to TIS-620: U+0E01..U+0E5B map to 0xA1..0xFB, ASCII stays. False for anything else.
bool Utf8ToTis620(const std::string& in, std::string& out) {
    out.clear();
    for (size_t i = 0; i < in.size();) {
        const auto c = static_cast<unsigned char>(in[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        if ((c & 0xF0) != 0xE0 || i + 2 >= in.size()) return false;
        const unsigned cp = ((c & 0x0Fu) << 12) | ((static_cast<unsigned char>(in[i + 1]) & 0x3Fu) << 6) |
                            (static_cast<unsigned char>(in[i + 2]) & 0x3Fu);
        if (cp < 0x0E01 || cp > 0x0E5B) return false;
        out += static_cast<char>(cp - 0x0E01 + 0xA1);
        i += 3;
    }
    return true;
}

std::string FindTrietool() {
    for (const char* dir : {"/usr/bin", "/usr/local/bin", "/bin"}) {
        const std::string path = std::string(dir) + "/trietool";
        if (std::filesystem::exists(path)) return path;
    }
    return {};
}

// The words of libthai's dictionary trie, in TIS-620.
std::vector<std::string> LibthaiWords(const std::string& trietool, int& unconverted) {
    std::vector<std::string> words;
    unconverted = 0;
    const std::string command = trietool + " -p /usr/share/libthai thbrk list 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return words;
    std::string line, word;
    char buf[4096];
    while (std::fgets(buf, sizeof buf, pipe)) {
        line += buf;
        if (line.empty() || line.back() != '\n') continue;  // a longer line goes on
        line.pop_back();
        // "word<TAB>data"
        const size_t tab = line.find('\t');
        if (tab != std::string::npos) line.resize(tab);
        if (Utf8ToTis620(line, word))
            words.push_back(word);
        else
            ++unconverted;
        line.clear();
    }
    pclose(pipe);
    return words;
}

}  // namespace

TEST(ThaiLibthai, EveryDictionaryWordHasLibthaisCellCount) {
    const std::string trietool = FindTrietool();
    if (trietool.empty()) GTEST_SKIP() << "trietool (libdatrie1-bin) is not installed";
    ASSERT_TRUE(std::filesystem::exists("/usr/share/libthai/thbrk.tri"));

    int unconverted = 0;
    const std::vector<std::string> words = LibthaiWords(trietool, unconverted);
    ASSERT_GT(words.size(), 20000u) << "the word list could not be read";
    EXPECT_EQ(unconverted, 0);

    int mismatches = 0, withSaraAm = 0;
    for (const std::string& w : words) {
        withSaraAm += w.find('\xD3') != std::string::npos;
        const int ours = thai::CellCount(w);
        const std::vector<int> theirs = LibthaiCellStarts(w);
        bool same = ours == static_cast<int>(theirs.size());
        // The cells also start at the same bytes.
        for (int c = 0; same && c < ours; ++c) same = thai::CellToPos(w, c) == theirs[static_cast<size_t>(c)];
        if (!same && ++mismatches <= 20)
            ADD_FAILURE() << thaitest::ToHex(w) << ": " << ours << " cells, libthai " << theirs.size();
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_GT(withSaraAm, 100);  // sara am is common, so the comparison covers it
}

TEST(ThaiLibthai, WhereTheRulesPartByDesign) {
    // Sara am is a cell of its own, as libthai has it without decomposing it.
    EXPECT_EQ(thai::CellCount(Hex("A1 D3")), 2);
    EXPECT_EQ(LibthaiCells(Hex("A1 D3")), 2);
    EXPECT_EQ(thai::CellCount(Hex("A1 E8 D3")), 2);
    EXPECT_EQ(LibthaiCells(Hex("A1 E8 D3")), 2);

    // Nikhahit, phinthu and yamakkan are not combining marks here (each has a glyph cell of its
    // own); libthai stacks them on the base.
    for (const char* t : {"A1 ED", "A1 DA", "A1 EE"}) {
        EXPECT_EQ(thai::CellCount(Hex(t)), 2) << t;
        EXPECT_EQ(LibthaiCells(Hex(t)), 1) << t;
    }

    // Marks in an order or place typing cannot produce (two vowels, two tones, a mark after a
    // non-carrier) still join the cell before them; libthai opens a new cell for the stray mark.
    for (const char* t : {"A1 D4 D4", "A1 E8 E8", "A1 D8 D4", "A1 E7 E8", "C4 E8", "E0 E8", "61 E8"}) {
        EXPECT_EQ(thai::CellCount(Hex(t)), 1) << t;
        EXPECT_EQ(LibthaiCells(Hex(t)), 2) << t;
    }
}
