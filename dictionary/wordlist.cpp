#include "dictionary/wordlist.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace dictionary {

namespace {

std::uint64_t HashBytes(std::string_view bytes) { return std::hash<std::string_view>{}(bytes); }

bool AllWordish(std::string_view word) {
    for (char c : word)
        if (!IsWordish(static_cast<unsigned char>(c))) return false;
    return true;
}

// Offset of the first occurrence of `needle` in hay[from, to), or -1.
int FindBytes(std::string_view hay, int from, int to, std::string_view needle) {
    if (to - from < static_cast<int>(needle.size())) return -1;
    const void* hit = memmem(hay.data() + from, static_cast<size_t>(to - from), needle.data(), needle.size());
    return hit ? static_cast<int>(static_cast<const char*>(hit) - hay.data()) : -1;
}

}  // namespace

DicText::DicText() : text_(1, '\0'), folded_(1, '\0'), lineStarts_{0} {}

DicText::DicText(const DicList& list) { Build(list); }

bool DicText::Refresh(const DicList& list) {
    if (source_ == &list && version_ == list.Version()) return false;
    Build(list);
    return true;
}

std::string_view DicText::Text() const { return text_; }

std::string_view DicText::Line(int index) const {
    if (index < 0 || index >= LineCount()) return {};
    size_t start = static_cast<size_t>(lineStarts_[static_cast<size_t>(index)]);
    size_t end = static_cast<size_t>(lineStarts_[static_cast<size_t>(index) + 1]) - 2;
    return std::string_view(text_).substr(start, end - start);
}

int DicText::LineOfResult(int result) const {
    if (result <= 0 || result > Size()) return -1;
    auto after = std::upper_bound(lineStarts_.begin(), lineStarts_.end() - 1, result - 1);
    return static_cast<int>(after - lineStarts_.begin()) - 1;
}

int DicText::LineEndAtOrAfter(int offset) const {
    const void* cr = std::memchr(text_.data() + offset, '\r', static_cast<size_t>(Size() - offset));
    return cr ? static_cast<int>(static_cast<const char*>(cr) - text_.data()) : Size();
}

void DicText::Build(const DicList& list) {
    source_ = &list;
    version_ = list.Version();

    const int n = list.Count();
    size_t total = 1;
    for (int i = 0; i < n; ++i) total += list[i].size() + 2;
    text_.clear();
    text_.reserve(total);
    lineStarts_.assign(1, 0);
    lineStarts_.reserve(static_cast<size_t>(n) + 1);
    for (int i = 0; i < n; ++i) {
        text_ += list[i];
        text_ += "\r\n";
        lineStarts_.push_back(static_cast<std::int32_t>(text_.size()));
    }
    text_ += '\0';
    folded_ = FoldCase(text_);
    // The whole-word index waits for the first find that needs it: the quick lookup, which only
    // scans the text, pays nothing for it after a change of the dictionary.
    indexed_ = false;
    slots_.clear();
    filter_.clear();
    postingBegin_.clear();
    postings_.clear();
}

void DicText::EnsureIndex() const {
    if (indexed_) return;
    const int n = LineCount();
    const size_t total = text_.size();

    // Every maximal run of wordish bytes, with the id of its folded content. Runs never cross a
    // line end, since CR and LF are boundaries.
    struct Run {
        std::int32_t start, lineEnd, id;
    };
    std::vector<Run> runs;
    runs.reserve(total / 6);
    size_t capacity = 1024;
    while (capacity < total / 4) capacity <<= 1;
    slots_.assign(capacity, Slot{});
    size_t distinct = 0;
    const unsigned char* f = reinterpret_cast<const unsigned char*>(folded_.data());
    for (int line = 0; line < n; ++line) {
        const std::int32_t lineEnd = lineStarts_[static_cast<size_t>(line) + 1] - 2;
        std::int32_t p = lineStarts_[static_cast<size_t>(line)];
        while (p < lineEnd) {
            if (!IsWordish(f[p])) {
                ++p;
                continue;
            }
            std::int32_t q = p + 1;
            while (q < lineEnd && IsWordish(f[q])) ++q;
            std::string_view word(folded_.data() + p, static_cast<size_t>(q - p));
            const std::uint64_t h = HashBytes(word);
            if (2 * (distinct + 1) > slots_.size()) {
                // Grow the table and re-seat every word.
                std::vector<Slot> old = std::move(slots_);
                slots_.assign(old.size() * 2, Slot{});
                for (const Slot& s : old) {
                    if (s.id < 0) continue;
                    size_t k = s.hash & (slots_.size() - 1);
                    while (slots_[k].id >= 0) k = (k + 1) & (slots_.size() - 1);
                    slots_[k] = s;
                }
            }
            size_t k = h & (slots_.size() - 1);
            std::int32_t id = -1;
            while (slots_[k].id >= 0) {
                const Slot& s = slots_[k];
                if (s.hash == h && s.length == word.size() &&
                    std::memcmp(folded_.data() + s.offset, word.data(), word.size()) == 0) {
                    id = s.id;
                    break;
                }
                k = (k + 1) & (slots_.size() - 1);
            }
            if (id < 0) {
                id = static_cast<std::int32_t>(distinct++);
                slots_[k] = Slot{h, static_cast<std::uint32_t>(p), static_cast<std::uint32_t>(q - p), id};
            }
            runs.push_back(Run{p, lineEnd, id});
            p = q;
        }
    }

    size_t bits = 1024;
    while (bits < 16 * distinct) bits <<= 1;
    filter_.assign(bits / 64, 0);
    filterMask_ = bits - 1;
    for (const Slot& s : slots_) {
        if (s.id < 0) continue;
        for (std::uint64_t bit : {s.hash & filterMask_, (s.hash >> 32) & filterMask_}) filter_[bit >> 6] |= std::uint64_t{1} << (bit & 63);
    }

    // Postings grouped by word, each group in text order (counting sort by id).
    postingBegin_.assign(distinct + 1, 0);
    for (const Run& r : runs) ++postingBegin_[static_cast<size_t>(r.id) + 1];
    for (size_t i = 1; i <= distinct; ++i) postingBegin_[i] += postingBegin_[i - 1];
    postings_.resize(runs.size());
    std::vector<std::int32_t> fill(postingBegin_.begin(), postingBegin_.end() - 1);
    for (const Run& r : runs) postings_[static_cast<size_t>(fill[static_cast<size_t>(r.id)]++)] = Posting{r.start, r.lineEnd};
    indexed_ = true;
}

int DicText::WordId(std::string_view folded) const {
    if (slots_.empty() || filter_.empty()) return -1;
    const std::uint64_t h = HashBytes(folded);
    for (std::uint64_t bit : {h & filterMask_, (h >> 32) & filterMask_})
        if (!((filter_[bit >> 6] >> (bit & 63)) & 1)) return -1;
    size_t k = h & (slots_.size() - 1);
    while (slots_[k].id >= 0) {
        const Slot& s = slots_[k];
        if (s.hash == h && s.length == folded.size() &&
            std::memcmp(folded_.data() + s.offset, folded.data(), folded.size()) == 0)
            return s.id;
        k = (k + 1) & (slots_.size() - 1);
    }
    return -1;
}

int findword(const DicText& dic, std::string_view word, int from) {
    const int size = dic.Size();
    if (from < 0) from = 0;
    if (from >= size) return 0;
    thread_local std::string folded;
    folded.assign(word);
    for (char& c : folded) c = static_cast<char>(FoldByte(static_cast<unsigned char>(c)));

    if (!word.empty() && AllWordish(word)) {
        // A whole-word match is exactly a maximal wordish run: answer from the index.
        dic.EnsureIndex();
        const int id = dic.WordId(folded);
        if (id < 0) return 0;
        auto first = dic.postings_.begin() + dic.postingBegin_[static_cast<size_t>(id)];
        auto last = dic.postings_.begin() + dic.postingBegin_[static_cast<size_t>(id) + 1];
        auto hit = std::lower_bound(first, last, from,
                                    [](const DicText::Posting& p, int offset) { return p.start < offset; });
        return hit == last ? 0 : hit->lineEnd;
    }

    // A word with boundary bytes in it (or no bytes at all): scan the text.
    const unsigned char* t = reinterpret_cast<const unsigned char*>(dic.text_.data());
    const int len = static_cast<int>(folded.size());
    for (int c = from; c < size;) {
        int at = c;
        if (len > 0) {
            at = FindBytes(dic.folded_, c, size, folded);
            if (at < 0) return 0;
        }
        if ((at == 0 || !IsWordish(t[at - 1])) && !IsWordish(t[at + len])) return dic.LineEndAtOrAfter(at + len);
        c = at + 1;
    }
    return 0;
}

int findwild(const DicText& dic, std::string_view pattern, int from) {
    const bool lead = !pattern.empty() && pattern.front() == '*';
    std::string_view core = pattern.substr(lead ? 1 : 0);
    if (core.empty() || core.front() == '*') return 0;
    const bool trail = core.back() == '*';
    if (trail) core.remove_suffix(1);
    if (core.empty() || core.back() == '*') return 0;

    const int size = dic.Size();
    if (from < 0) from = 0;
    if (from >= size) return 0;
    const int len = static_cast<int>(core.size());
    if (len > size) return 0;

    // The core's literal pieces between inner stars (a star matches any one byte). The longest
    // piece anchors the scan; the others are checked at their fixed distances.
    thread_local std::string folded;
    folded.assign(core);
    for (char& c : folded) c = static_cast<char>(FoldByte(static_cast<unsigned char>(c)));
    struct Piece {
        int offset;
        std::string_view bytes;
    };
    thread_local std::vector<Piece> pieces;
    pieces.clear();
    for (int i = 0; i < len;) {
        if (folded[static_cast<size_t>(i)] == '*') {
            ++i;
            continue;
        }
        int j = i;
        while (j < len && folded[static_cast<size_t>(j)] != '*') ++j;
        pieces.push_back(Piece{i, std::string_view(folded).substr(static_cast<size_t>(i), static_cast<size_t>(j - i))});
        i = j;
    }
    size_t anchor = 0;
    for (size_t i = 1; i < pieces.size(); ++i)
        if (pieces[i].bytes.size() > pieces[anchor].bytes.size()) anchor = i;
    const Piece& a = pieces[anchor];

    const unsigned char* t = reinterpret_cast<const unsigned char*>(dic.text_.data());
    const char* f = dic.folded_.data();
    const int lastStart = size - len;  // a match must end before the end marker
    int c = from;
    while (c <= lastStart) {
        const int hit = FindBytes(dic.folded_, c + a.offset, lastStart + a.offset + static_cast<int>(a.bytes.size()), a.bytes);
        if (hit < 0) return 0;
        const int at = hit - a.offset;
        // The boundaries first: they are cheap and reject most candidates inside long words.
        bool ok = (lead || at == 0 || !IsWordish(t[at - 1])) && (trail || !IsWordish(t[at + len]));
        for (size_t i = 0; ok && i < pieces.size(); ++i)
            if (i != anchor) ok = std::memcmp(f + at + pieces[i].offset, pieces[i].bytes.data(), pieces[i].bytes.size()) == 0;
        if (ok) return dic.LineEndAtOrAfter(at + len);
        c = at + 1;
    }
    return 0;
}

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

SearchResult SearchText(const DicText& dic, std::string_view selected, const std::function<bool(int)>& listLine) {
    SearchResult result{false, std::string(), std::string()};
    std::string_view subject = SearchSubject(selected);
    if (subject.empty()) return result;
    result.searched = true;
    result.header = ">";

    const std::string s = RemoveBlanksBeforeMarks(subject);
    bool goOn = true;  // what the last listed line answered: the search was not stopped
    auto list = [&](int found) {
        const int line = dic.LineOfResult(found);
        if (line >= 0) goOn = listLine(line);
    };

    // The pattern step: a text with "*" is one wildcard pattern.
    if (s.find('*') != std::string::npos) {
        for (char c : s)
            if (PatternWarningChars.contains(static_cast<unsigned char>(c))) {
                result.warning = PatternWarning;
                break;
            }
        result.header += s;
        int from = 0;
        do {
            from = findwild(dic, s, from);
            if (from > 0) list(from);
        } while (from != 0 && goOn);
        return result;
    }

    // The analysis: greedy longest match from the left, one display cell at a time.
    auto at = [&](int i) { return static_cast<unsigned char>(s[static_cast<size_t>(i)]); };
    auto lookupword = [&](std::string_view word) {
        bool found = false;
        int from = 0;
        do {
            from = findword(dic, word, from);
            if (from > 0) {
                found = true;
                list(from);
            }
        } while (from != 0 && goOn);
        return found;
    };
    const int length = static_cast<int>(s.size());
    // The first candidate of every start p in a token is the rest of the token, shortened while it
    // is longer than the cap. Shortening step by step from the token end costs the token's length
    // for every start, so a long token would take quadratic time. The ends that the shortening
    // walk from the token end visits do not depend on p as long as they lie above p (a step only
    // ever stops early at p itself), so they are computed once per token; the capped end for p is
    // then the largest of them within the cap, or p when none lies above p.
    std::vector<int> walk;  // ascending: the ends visited from the token end down to its start
    auto capped = [&](int p) {
        auto it = std::upper_bound(walk.begin(), walk.end(), p + MaxCandidate);
        int e = it == walk.begin() ? p : *(it - 1);
        return std::max(e, p);
    };
    int p = 0;
    while (p < length) {
        while (p < length && !StartChars.contains(at(p))) ++p;
        int w = p;
        while (w < length && WordChars.contains(at(w))) ++w;
        walk.clear();
        if (w - p > MaxCandidate) {
            for (int e = w; e > p; e = Shorten(s, p, e)) walk.push_back(e);
            walk.push_back(p);
            std::reverse(walk.begin(), walk.end());
        }
        while (p < w) {
            int e = w;
            while (e > p) {
                if (e - p > MaxCandidate) e = capped(p);
                if (e == p) break;
                std::string_view candidate = std::string_view(s).substr(static_cast<size_t>(p), static_cast<size_t>(e - p));
                if (lookupword(candidate)) {
                    result.header += candidate;
                    result.header += ' ';
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
        p = w;
    }
    return result;
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
