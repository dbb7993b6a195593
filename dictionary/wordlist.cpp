// One search for the editor's selected text: the pattern step, or the analysis of the text into
// whole Latin words and the longest Thai words the dictionary knows.
#include "dictionary/wordlist.h"

#include <algorithm>
#include <vector>

namespace dictionary {

std::string_view SearchSubject(std::string_view selected) {
    size_t i = 0;
    while (i < selected.size() && static_cast<unsigned char>(selected[i]) <= 0x20) ++i;
    return selected.substr(i);
}

std::string RemoveBlanksBeforeMarks(std::string_view text) {
    // Scanning from the left, a blank is dropped when the byte after it is a combining mark. A
    // dropped blank is always followed by a mark, which is kept, so the neighbour a blank sees is
    // always its neighbour in the original text.
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == ' ' && i + 1 < text.size() && thai::CombiningMarks.contains(static_cast<unsigned char>(text[i + 1])))
            continue;
        out += text[i];
    }
    return out;
}

int Shorten(std::string_view text, int start, int end) {
    auto at = [&](int i) { return static_cast<unsigned char>(text[static_cast<size_t>(i)]); };
    while (end > start && thai::CombiningMarks.contains(at(end - 1))) --end;
    if (end > start) --end;  // the base byte of the last cell
    while (end > start && !EndChars.contains(at(end - 1))) --end;
    return end;
}

namespace {

bool LatinOrDigit(unsigned char b) { return IsLatinLetter(b) || IsAsciiDigit(b); }

}  // namespace

int LatinWordEnd(std::string_view text, int start) {
    auto at = [&](int i) { return static_cast<unsigned char>(text[static_cast<size_t>(i)]); };
    const int n = static_cast<int>(text.size());
    int end = start;
    for (;;) {
        while (end < n && LatinOrDigit(at(end))) ++end;
        if (end + 1 < n && end > start && IsLatinJoiner(at(end)) && LatinOrDigit(at(end + 1)))
            ++end;
        else
            return end;
    }
}

SearchResult SearchText(const DicText& dic, std::string_view selected, const std::function<bool(int)>& listLine,
                        Progress& progress) {
    SearchResult result{false, std::string(), std::string()};
    std::string_view subject = SearchSubject(selected);
    if (subject.empty()) return result;
    result.searched = true;
    result.header = ">";

    std::string s = RemoveBlanksBeforeMarks(subject);
    const std::uint64_t version = dic.Version();
    std::vector<bool> listed(static_cast<size_t>(dic.LineCount()));
    bool goOn = true;  // what the last listed line answered: the search was not stopped
    // Set when the list changed under the search (from inside listLine or a report): the lines
    // it would go on listing would be those of another dictionary, so it finds nothing more.
    bool ended = false;
    // Lists the line of a find result, unless this search listed it already.
    auto list = [&](int found) {
        const int line = dic.LineOfResult(found);
        if (line < 0 || listed[static_cast<size_t>(line)]) return;
        listed[static_cast<size_t>(line)] = true;
        goOn = listLine(line);
        ended = ended || dic.Version() != version;
    };
    // Every line of the word that `find` finds; whether there was one.
    auto lookup = [&](auto find, std::string_view word) {
        bool found = false;
        int from = 0;
        do {
            progress.Tick();
            ended = ended || dic.Version() != version;
            if (ended) break;
            from = find(dic, word, from, progress);
            if (from > 0) {
                found = true;
                list(from);
            }
        } while (from != 0 && goOn && !ended);
        return found;
    };
    auto lookupword = [&](std::string_view word) {
        return lookup([](const DicText& d, std::string_view w, int f, Progress& p) { return findword(d, w, f, p); }, word);
    };
    auto lookuplatin = [&](std::string_view word) {
        return lookup([](const DicText& d, std::string_view w, int f, Progress& p) { return findlatin(d, w, f, p); }, word);
    };

    try {
        // The pattern step: a text with "*" is one wildcard pattern. Blanks around the selection
        // are not part of it.
        if (s.find('*') != std::string::npos) {
            while (!s.empty() && static_cast<unsigned char>(s.back()) <= 0x20) s.pop_back();
            for (char c : s)
                if (PatternWarningChars.contains(static_cast<unsigned char>(c))) {
                    result.warning = PatternWarning;
                    break;
                }
            result.header += s;
            int from = 0;
            do {
                from = findwild(dic, s, from, progress);
                if (from > 0) list(from);
            } while (from != 0 && goOn && !ended);
            return result;
        }

        auto at = [&](int i) { return static_cast<unsigned char>(s[static_cast<size_t>(i)]); };
        const int length = static_cast<int>(s.size());
        auto found = [&](int p, int e) {
            result.header.append(s, static_cast<size_t>(p), static_cast<size_t>(e - p));
            result.header += ' ';
        };

        // A Latin word is looked up whole. One joined from several runs that the dictionary lacks
        // is looked up run by run.
        auto latin = [&](int p, int q) {
            const std::string_view word = std::string_view(s).substr(static_cast<size_t>(p), static_cast<size_t>(q - p));
            if (lookuplatin(word)) {
                found(p, q);
                return;
            }
            if (std::none_of(word.begin(), word.end(), [](char c) { return IsLatinJoiner(static_cast<unsigned char>(c)); }))
                return;
            for (int a = p; a < q && !ended;) {
                int b = a;
                while (b < q && LatinOrDigit(at(b))) ++b;
                const std::string_view part = std::string_view(s).substr(static_cast<size_t>(a), static_cast<size_t>(b - a));
                if (std::any_of(part.begin(), part.end(), [](char c) { return IsLatinLetter(static_cast<unsigned char>(c)); }) &&
                    lookuplatin(part))
                    found(a, b);
                a = b + 1;  // past the joiner
            }
        };

        // Any other token (Thai, and the ASCII signs that may start a word): greedy longest match
        // from the left, one display cell at a time.
        // The first candidate of every start p in a token is the rest of the token, shortened while
        // it is longer than the cap. Shortening step by step from the token end costs the token's
        // length for every start, so a long token would take quadratic time. The ends that the
        // shortening walk from the token end visits do not depend on p as long as they lie above p
        // (a step only ever stops early at p itself), so they are computed once per token; the
        // capped end for p is then the largest of them within the cap, or p when none lies above p.
        std::vector<int> walk;  // ascending: the ends visited from the token end down to its start
        auto capped = [&](int p) {
            auto it = std::upper_bound(walk.begin(), walk.end(), p + MaxCandidate);
            int e = it == walk.begin() ? p : *(it - 1);
            return std::max(e, p);
        };
        auto analyse = [&](int p, int w) {
            walk.clear();
            if (w - p > MaxCandidate) {
                for (int e = w; e > p; e = Shorten(s, p, e)) walk.push_back(e);
                walk.push_back(p);
                std::reverse(walk.begin(), walk.end());
            }
            while (p < w && !ended) {
                int e = w;
                while (e > p && !ended) {
                    if (e - p > MaxCandidate) e = capped(p);
                    if (e == p) break;
                    if (lookupword(std::string_view(s).substr(static_cast<size_t>(p), static_cast<size_t>(e - p)))) {
                        found(p, e);
                        p = e;
                        e = w;
                    } else {
                        e = Shorten(s, p, e);
                    }
                }
                // No (further) word starts at p.
                ++p;
                while (p < length && !StartChars.contains(at(p))) ++p;
            }
        };

        for (int p = 0; p < length && !ended;) {
            const unsigned char c = at(p);
            if (LatinOrDigit(c)) {
                // A Latin word, or a number, which is no word.
                const int q = LatinWordEnd(s, p);
                if (std::any_of(s.begin() + p, s.begin() + q, [](char b) { return IsLatinLetter(static_cast<unsigned char>(b)); }))
                    latin(p, q);
                p = q;
            } else if (!StartChars.contains(c)) {
                ++p;
            } else {
                int w = p;
                while (w < length && WordChars.contains(at(w)) && !LatinOrDigit(at(w))) ++w;
                analyse(p, w);
                p = w;
            }
        }
    } catch (const JobStopped&) {
        // Stopped while it let events run: it ends with what it found.
    }
    return result;
}

SearchResult SearchText(const DicText& dic, std::string_view selected, const std::function<bool(int)>& listLine) {
    Progress silent;
    return SearchText(dic, selected, listLine, silent);
}

std::string CaptionFor(int linesFound, std::string_view warning) {
    std::string caption;
    if (linesFound == 0)
        caption = "No line found";
    else if (linesFound == 1)
        caption = "1 line found";
    else
        caption = std::to_string(linesFound) + " lines found";
    caption += warning;
    return caption;
}

}  // namespace dictionary
