#include "support.h"

#include "script/thai.h"

#include <fstream>
#include <set>
#include <sstream>

namespace dictest {

std::string Tis(std::string_view utf8) {
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        std::uint32_t cp;
        int n;
        if (c < 0x80) {
            cp = c;
            n = 1;
        } else if ((c & 0xE0) == 0xC0) {
            cp = c & 0x1F;
            n = 2;
        } else if ((c & 0xF0) == 0xE0) {
            cp = c & 0x0F;
            n = 3;
        } else {
            cp = c & 0x07;
            n = 4;
        }
        for (int k = 1; k < n && i + static_cast<size_t>(k) < utf8.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + static_cast<size_t>(k)]) & 0x3F);
        i += static_cast<size_t>(n);
        if (cp < 0x80)
            out += static_cast<char>(cp);
        else if (cp >= 0x0E01 && cp <= 0x0E5B)
            out += static_cast<char>(cp - 0x0E01 + 0xA1);
        else
            out += '?';
    }
    return out;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string SharedData(const std::string& name) { return ReadFile(std::string(MEKALON_SHARED_DATA) + "/" + name); }

std::vector<std::string> HunspellThaiWords() {
    std::string all = ReadFile("/usr/share/hunspell/th_TH.dic");
    std::vector<std::string> words;
    std::istringstream in(all);
    std::string line;
    bool first = true;
    while (std::getline(in, line)) {
        if (first) {  // the word count
            first = false;
            continue;
        }
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (size_t slash = line.find('/'); slash != std::string::npos) line.resize(slash);
        std::string tis = Tis(line);
        if (tis.empty() || tis.find('?') != std::string::npos) continue;
        words.push_back(tis);
    }
    return words;
}

namespace literal {

namespace {

const unsigned char kEndMarker = 0;

unsigned char Fold(char c) {
    unsigned char b = static_cast<unsigned char>(c);
    return b >= 0x41 && b <= 0x5A ? b + 0x20 : b;
}

bool Wordish(char c) {
    unsigned char b = static_cast<unsigned char>(c);
    return b == 0x27 || b == 0x2D || (b >= 0x3F && b != 0xA0);
}

bool In(std::initializer_list<std::pair<int, int>> ranges, char c) {
    int b = static_cast<unsigned char>(c);
    for (auto [lo, hi] : ranges)
        if (b >= lo && b <= hi) return true;
    return false;
}
bool Mark(char c) { return In({{0xD1, 0xD1}, {0xD4, 0xD9}, {0xE7, 0xEC}}, c); }
bool StartChar(char c) { return In({{0x3F, 0x7E}, {0xA1, 0xCF}, {0xE0, 0xE4}, {0xE6, 0xE6}}, c); }
bool WordChar(char c) { return In({{0x27, 0x27}, {0x2D, 0x2D}, {0x3F, 0x7E}, {0xA1, 0xEF}}, c); }
bool EndChar(char c) { return In({{0x3F, 0x7E}, {0xA1, 0xD9}, {0xE6, 0xEC}}, c); }
bool WarningChar(char c) { return In({{0x20, 0x29}, {0x2B, 0x3E}}, c); }
bool Letter(char c) { return In({{'a', 'z'}, {'A', 'Z'}}, c); }
bool Digit(char c) { return In({{'0', '9'}}, c); }
bool LetterOrDigit(char c) { return Letter(c) || Digit(c); }
bool Joiner(char c) { return c == '\'' || c == '-' || c == '_'; }

// The first CR (or the end marker) at or after offset r.
int LineEnd(const std::string& text, int r) {
    while (static_cast<unsigned char>(text[static_cast<size_t>(r)]) != kEndMarker && text[static_cast<size_t>(r)] != '\r') ++r;
    return r;
}

}  // namespace

std::string MakeDicText(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    text += '\0';
    return text;
}

int findword(std::string_view word, const std::string& text, int from) {
    const int len = static_cast<int>(word.size());
    for (int c = from; static_cast<unsigned char>(text[static_cast<size_t>(c)]) != kEndMarker; ++c) {
        bool match = true;
        for (int k = 0; k < len && match; ++k) {
            if (c + k >= static_cast<int>(text.size()) - 1) match = false;  // the end marker matches nothing
            else match = Fold(word[static_cast<size_t>(k)]) == Fold(text[static_cast<size_t>(c + k)]);
        }
        if (!match) continue;
        bool whole = (c == 0 || !Wordish(text[static_cast<size_t>(c - 1)])) && !Wordish(text[static_cast<size_t>(c + len)]);
        if (!whole) continue;
        return LineEnd(text, c + len);
    }
    return 0;
}

int findlatin(std::string_view word, const std::string& text, int from) {
    const int len = static_cast<int>(word.size());
    if (len == 0) return 0;
    auto boundary = [&](int i) { return !Wordish(text[static_cast<size_t>(i)]) && !Digit(text[static_cast<size_t>(i)]); };
    for (int c = from; static_cast<unsigned char>(text[static_cast<size_t>(c)]) != kEndMarker; ++c) {
        bool match = true;
        for (int k = 0; k < len && match; ++k) {
            if (c + k >= static_cast<int>(text.size()) - 1) match = false;  // the end marker matches nothing
            else match = Fold(word[static_cast<size_t>(k)]) == Fold(text[static_cast<size_t>(c + k)]);
        }
        if (!match) continue;
        if ((c == 0 || boundary(c - 1)) && boundary(c + len)) return LineEnd(text, c + len);
    }
    return 0;
}

int findwild(std::string_view pattern, const std::string& text, int from) {
    const bool lead = !pattern.empty() && pattern[0] == '*';
    std::string core(pattern.substr(lead ? 1 : 0));
    if (core.empty() || core[0] == '*') return 0;
    const bool trail = core.back() == '*';
    if (trail) core.pop_back();
    if (core.empty() || core.back() == '*') return 0;
    const int len = static_cast<int>(core.size());
    for (int c = from; static_cast<unsigned char>(text[static_cast<size_t>(c)]) != kEndMarker; ++c) {
        bool match = true;
        for (int k = 0; k < len && match; ++k) {
            char t = text[static_cast<size_t>(c + k)];
            if (static_cast<unsigned char>(t) == kEndMarker && c + k == static_cast<int>(text.size()) - 1)
                return 0;  // the candidate reaches the end marker: the scan ends
            if (core[static_cast<size_t>(k)] != '*') match = Fold(core[static_cast<size_t>(k)]) == Fold(t);
        }
        if (!match) continue;  // restart at c + 1
        if (!lead && c > 0 && Wordish(text[static_cast<size_t>(c - 1)])) continue;
        if (!trail && Wordish(text[static_cast<size_t>(c + len)])) continue;
        return LineEnd(text, c + len);
    }
    return 0;
}

Engine::Engine(const std::vector<std::string>& lines) : dictext_(MakeDicText(lines)) {}

int Engine::LineOf(int found) const { return thai::OffsetToLineCol(dictext_, found - 1).line; }

int Engine::FindWordCached(const std::string& word, int from) {
    auto& chain = memo_[word];
    if (auto it = chain.find(from); it != chain.end()) return it->second;
    int r = findword(word, dictext_, from);
    chain[from] = r;
    return r;
}

Result Engine::Search(std::string_view selected, int stopAfter) {
    Result result;
    // S with its leading bytes up to 0x20 removed; positions 1-based through S[i] below.
    std::string S(selected);
    while (!S.empty() && static_cast<unsigned char>(S[0]) <= 0x20) S.erase(0, 1);
    if (S.empty()) return result;
    result.searched = true;
    bool searching = true;
    auto at = [&](int pos) { return S[static_cast<size_t>(pos - 1)]; };
    std::set<int> listed;  // each line is listed once per search
    auto list = [&](int found) {
        if (!listed.insert(LineOf(found)).second) return;
        result.listed.push_back(LineOf(found));
        if (stopAfter >= 0 && static_cast<int>(result.listed.size()) >= stopAfter) searching = false;
    };
    result.header = ">";

    // findpattern, step 1: blanks before combining marks.
    for (int P = 1; P < static_cast<int>(S.size()); ++P)
        if (at(P) == ' ' && Mark(at(P + 1))) S.erase(static_cast<size_t>(P - 1), 1);
    if (S.find('*') != std::string::npos) {
        // Blanks around the selection are not part of the pattern.
        while (!S.empty() && static_cast<unsigned char>(S.back()) <= 0x20) S.pop_back();
        for (char c : S)
            if (WarningChar(c)) result.warning = "- Select only one word with *";
        result.header += S;
        int from = 0;
        do {
            from = findwild(S, dictext_, from);
            if (from > 0) list(from);
        } while (from != 0 && searching);
        return result;
    }

    // analyse
    int L = static_cast<int>(S.size());
    int P = 1, E = 0, W = 0;
    auto shorten = [&] {
        while (E > P && Mark(at(E - 1))) E = E - 1;
        E = E - 1;
        while (E > P && !EndChar(at(E - 1))) E = E - 1;
    };
    auto lookupword = [&] {
        bool found = false;
        int from = 0;
        std::string word = S.substr(static_cast<size_t>(P - 1), static_cast<size_t>(E - P));
        do {
            from = FindWordCached(word, from);
            if (from > 0) {
                found = true;
                list(from);
            }
        } while (from != 0 && searching);
        return found;
    };
    // A Latin word (letters and digits, joined by an apostrophe, hyphen or underscore between two
    // of them) is looked up whole, with findlatin; joined words the dictionary lacks part by part.
    auto latinword = [&](int from, int to) {  // S[from..to-1]
        std::string word = S.substr(static_cast<size_t>(from - 1), static_cast<size_t>(to - from));
        bool found = false;
        int r = 0;
        do {
            r = findlatin(word, dictext_, r);
            if (r > 0) {
                found = true;
                list(r);
            }
        } while (r != 0 && searching);
        return found;
    };
    auto hasLetter = [&](int from, int to) {
        for (int i = from; i < to; ++i)
            if (Letter(at(i))) return true;
        return false;
    };
    while (P <= L) {
        if (LetterOrDigit(at(P))) {
            int Q = P;
            for (;;) {
                while (Q <= L && LetterOrDigit(at(Q))) Q = Q + 1;
                if (Q + 1 <= L && Joiner(at(Q)) && LetterOrDigit(at(Q + 1)))
                    Q = Q + 1;
                else
                    break;
            }
            if (hasLetter(P, Q)) {
                bool joined = false;
                for (int i = P; i < Q; ++i) joined = joined || Joiner(at(i));
                if (latinword(P, Q)) {
                    result.header += S.substr(static_cast<size_t>(P - 1), static_cast<size_t>(Q - P)) + " ";
                } else if (joined) {
                    for (int A = P; A < Q;) {
                        int B = A;
                        while (B < Q && !Joiner(at(B))) B = B + 1;
                        if (hasLetter(A, B) && latinword(A, B))
                            result.header += S.substr(static_cast<size_t>(A - 1), static_cast<size_t>(B - A)) + " ";
                        A = B + 1;
                    }
                }
            }
            P = Q;
            continue;
        }
        if (!StartChar(at(P))) {
            P = P + 1;
            continue;
        }
        W = P;
        while (W <= L && WordChar(at(W)) && !LetterOrDigit(at(W))) W = W + 1;
        while (P < W) {
            E = W;
            while (E > P) {
                while (E - P > 30) shorten();
                if (E == P) break;
                if (lookupword()) {
                    result.header += S.substr(static_cast<size_t>(P - 1), static_cast<size_t>(E - P)) + " ";
                    P = E;
                    E = W;
                } else {
                    shorten();
                }
            }
            P = P + 1;
            while (P <= L && !StartChar(at(P))) P = P + 1;
        }
        P = W;
    }
    return result;
}

}  // namespace literal

}  // namespace dictest
