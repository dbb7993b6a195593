// The data of the dictionary benchmarks: the hunspell-th words plus th-en.dic in TIS-620, and
// 1,000 lines of unspaced Thai made from those words.
#pragma once

#include <cstdlib>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace bench {

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// UTF-8 Thai to TIS-620; empty when the text holds a character TIS-620 lacks.
inline std::string ToTis(std::string_view utf8) {
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
        } else if ((c & 0xF0) == 0xE0 && i + 2 < utf8.size()) {
            unsigned cp = ((c & 0x0Fu) << 12) | ((static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu) << 6) |
                          (static_cast<unsigned char>(utf8[i + 2]) & 0x3Fu);
            if (cp < 0x0E01 || cp > 0x0E5B) return {};
            out += static_cast<char>(cp - 0x0E01 + 0xA1);
            i += 3;
        } else {
            return {};
        }
    }
    return out;
}

struct DictionaryData {
    std::vector<std::string> thaiWords;
    std::string dictionaryBytes;  // hunspell words, then th-en.dic
    std::vector<std::string> unspaced;  // 1,000 lines of unspaced Thai, about 75 KB
    DictionaryData() {
        std::istringstream in(ReadFile("/usr/share/hunspell/th_TH.dic"));
        std::string line;
        std::getline(in, line);  // the word count
        while (std::getline(in, line)) {
            if (size_t slash = line.find('/'); slash != std::string::npos) line.resize(slash);
            std::string tis = ToTis(line);
            if (tis.empty()) continue;
            thaiWords.push_back(tis);
            dictionaryBytes += tis + "\r\n";
        }
        // The shared data folder may be given at run time (a checkout that does not sit beside it).
        const char* shared = std::getenv("MEKALON_SHARED_DATA");
        dictionaryBytes += ReadFile(std::string(shared ? shared : MEKALON_SHARED_DATA) + "/th-en.dic");
        std::mt19937 rng(1);
        for (int i = 0; i < 1000 && !thaiWords.empty(); ++i) {
            std::string text;
            while (text.size() < 75) text += thaiWords[rng() % thaiWords.size()];
            unspaced.push_back(text);
        }
    }
};

inline const DictionaryData& TheDictionaryData() {
    static const DictionaryData data;
    return data;
}

// The lines of the quick-lookup benchmarks: 100,000 distinct lines of the form "latin-word
// thai-word" (a random Latin word of 3 to 10 letters, a Thai word of hunspell-th), unsorted.
inline const std::vector<std::string>& LookupDictionaryLines() {
    static const std::vector<std::string> lines = [] {
        const auto& thai = TheDictionaryData().thaiWords;
        std::mt19937 rng(7);
        std::vector<std::string> out;
        std::set<std::string> seen;
        while (out.size() < 100000) {
            std::string line;
            const int letters = 3 + static_cast<int>(rng() % 8);
            for (int i = 0; i < letters; ++i) line += static_cast<char>('a' + rng() % 26);
            line += ' ';
            line += thai.empty() ? std::string("\xA1\xD2\xC3") : thai[rng() % thai.size()];
            if (seen.insert(line).second) out.push_back(line);
        }
        return out;
    }();
    return lines;
}

}  // namespace bench
