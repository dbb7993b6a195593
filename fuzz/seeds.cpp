// Writes the seed corpus of the fuzz targets from real data into a folder of the build tree:
// lines of a dictionary file (th-en.dic) and Thai words of hunspell-th, cut and combined in the
// input layout of each target (see the opening comment of each fuzz_*.cpp); some texts for lines
// are UTF-8 files.
//
// Usage: fuzz_seeds OUTDIR DICTIONARY_FILE
#include "dictionary/diclist.h"
#include "dictionary/tests/support.h"
#include "platform/textcodec.h"
#include "platform/textlines.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

class Seeds {
public:
    Seeds(fs::path folder, std::vector<std::string> lines, std::vector<std::string> thai)
        : folder_(std::move(folder)), lines_(std::move(lines)), thai_(std::move(thai)) {}

    void Write(const std::string& target, int index, const std::string& bytes) {
        const fs::path dir = folder_ / target;
        fs::create_directories(dir);
        std::ofstream(dir / ("seed-" + std::to_string(index)), std::ios::binary) << bytes;
    }
    // `count` consecutive dictionary lines from a random place, each followed by CR LF.
    std::string Chunk(size_t count) {
        std::string out;
        const size_t from = rng_() % lines_.size();
        for (size_t k = 0; k < count; ++k) out += lines_[(from + k) % lines_.size()] + "\r\n";
        return out;
    }
    const std::string& Line() { return lines_[rng_() % lines_.size()]; }
    // A Thai word when hunspell-th is there, a dictionary line's last word otherwise.
    std::string ThaiWord() {
        if (!thai_.empty()) return thai_[rng_() % thai_.size()];
        const std::string& line = Line();
        return line.substr(line.rfind(' ') + 1);
    }
    std::string FirstWord() {
        const std::string& line = Line();
        return line.substr(0, line.find(' '));
    }
    unsigned Next() { return static_cast<unsigned>(rng_()); }

private:
    fs::path folder_;
    std::vector<std::string> lines_;
    std::vector<std::string> thai_;
    std::mt19937 rng_{20261207};
};

std::string Upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s OUTDIR DICTIONARY_FILE\n", argv[0]);
        return 2;
    }
    std::vector<std::string> lines;
    const std::string bytes = dictest::ReadFile(argv[2]);
    for (std::string_view line : platform::SplitLineViews(bytes))
        if (!line.empty()) lines.emplace_back(line);
    if (lines.empty()) {
        std::fprintf(stderr, "%s: no lines in %s\n", argv[0], argv[2]);
        return 1;
    }
    Seeds seeds(argv[1], std::move(lines), dictest::HunspellThaiWords());

    for (int i = 0; i < 48; ++i) {
        std::string text(1, static_cast<char>(3 + (i * 7) % 90));  // the wrap width
        for (int w = 0; w < 12; ++w) {
            text += seeds.ThaiWord();
            const unsigned r = seeds.Next() % 6;
            text += r == 0 ? "\n" : r == 1 ? " " : r == 2 ? "\t" : r == 3 ? "(" : "";
        }
        if (i % 3 == 0) text += seeds.Line();
        seeds.Write("cells", i, text);
    }
    for (int i = 0; i < 24; ++i) {
        std::string text = seeds.Chunk(12);
        if (i % 4 == 1) text += "\r\r\n\n\r" + seeds.Line();
        if (i % 4 == 2) {
            // A UTF-8 text file (some with a byte order mark), whole, with no line store operations.
            try {
                seeds.Write("lines", i, platform::EncodeText(text, {platform::TextEncoding::Utf8, i % 8 == 2, platform::LineEnd::Lf}));
                continue;
            } catch (const platform::TextError&) {
            }
        }
        for (int op = 0; op < 10; ++op) text += '\xFF' + std::string(1, static_cast<char>(seeds.Next() % 256)) + seeds.Line();
        seeds.Write("lines", i, text);
    }
    for (int i = 0; i < 48; ++i) {
        std::string text = seeds.Chunk(30) + '\xFF' + seeds.Chunk(10);
        if (i % 2) text += Upper(seeds.Chunk(5));
        text += '\xFF';
        text += "+" + seeds.Line() + "\r\n-" + seeds.Line() + "\r\n#" + std::string(1, static_cast<char>(8 + i)) + "\r\n";
        text += "?" + Upper(seeds.FirstWord()) + "\r\n" + seeds.ThaiWord() + "\r\n*" + seeds.FirstWord() + "\n" + "\r\n";
        seeds.Write("diclist", i, text);
    }
    for (int i = 0; i < 48; ++i) {
        std::string text = seeds.Chunk(40);
        text += '\xFF' + seeds.FirstWord();
        text += '\xFF' + seeds.ThaiWord() + seeds.ThaiWord() + " " + seeds.ThaiWord();
        const std::string w = seeds.FirstWord();
        text += '\xFF' + w.substr(0, 1 + w.size() / 2) + "*";
        text += "\xFF*" + seeds.ThaiWord().substr(1);
        seeds.Write("wordlist", i, text);
    }
    const char* numbers[] = {"12.5", " +12.5  ", "-0,25", "1.5E1", "2,5", "1e-6000", "1.18973149535723176E+4932",
                             "18446744073709551615", "007", ".", "1,000", "9.995", "-2.5e25", "5\t"};
    int n = 0;
    for (const char* number : numbers) {
        std::string text = number;
        for (int k = 0; k < 12; ++k) text += static_cast<char>(seeds.Next() % 256);  // value and separator
        seeds.Write("currency", n++, text);
    }
    return 0;
}
