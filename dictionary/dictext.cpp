// The dictionary text and its whole-word index, and the finds in it: `findword` (from the index,
// or by a scan for a word with boundary bytes), `findlatin` and `findwild` (a scan).
#include "dictionary/wordlist.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <stdexcept>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace dictionary {

namespace {

constexpr std::string_view kEmptyText("\0", 1);

constexpr std::array<bool, 256> kWordish = [] {
    std::array<bool, 256> t{};
    for (int b = 0; b < 256; ++b) t[static_cast<size_t>(b)] = IsWordish(static_cast<unsigned char>(b));
    return t;
}();

bool Wordish(unsigned char b) { return kWordish[b]; }
// A byte around a whole Latin word.
bool LatinBoundary(unsigned char b) { return !kWordish[b] && !IsAsciiDigit(b); }

bool AllWordish(std::string_view word) {
    for (char c : word)
        if (!Wordish(static_cast<unsigned char>(c))) return false;
    return true;
}

std::string& FoldInto(std::string& out, std::string_view text) {
    out.assign(text);
    for (char& c : out) c = static_cast<char>(FoldByte(static_cast<unsigned char>(c)));
    return out;
}

std::uint64_t Load8(const unsigned char* p) {
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    return w;
}

// Eight bytes with A-Z folded to a-z: a byte below 0x80 between 0x41 and 0x5A gains 0x20.
std::uint64_t Fold8(std::uint64_t w) {
    constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL, kHigh = 0x8080808080808080ULL;
    const std::uint64_t x = w & kLow7;
    const std::uint64_t atLeastA = x + 0x3F3F3F3F3F3F3F3FULL;   // bit 7 set from 0x41 on
    const std::uint64_t pastZ = x + 0x2525252525252525ULL;      // bit 7 set from 0x5B on
    const std::uint64_t upper = atLeastA & ~pastZ & ~w & kHigh;
    return w | (upper >> 2);
}

std::uint64_t Mix(std::uint64_t h) {
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDULL;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ULL;
    h ^= h >> 33;
    return h;
}

// The hash of bytes with A-Z folded: the same for a word of the text and the folded query.
std::uint64_t HashFolded(const unsigned char* p, size_t n) {
    std::uint64_t h = 0x9E3779B97F4A7C15ULL ^ n;
    size_t i = 0;
    for (; i + 8 <= n; i += 8) h = (h ^ Fold8(Load8(p + i))) * 0x100000001B3ULL + (h >> 29);
    if (i < n) {
        unsigned char tail[8] = {};
        std::memcpy(tail, p + i, n - i);
        h = (h ^ Fold8(Load8(tail))) * 0x100000001B3ULL + (h >> 29);
    }
    return Mix(h);
}

// Whether text[at, at + folded.size()) equals the folded bytes, the text folded.
bool EqualsFoldedAt(const unsigned char* text, size_t at, std::string_view folded) {
    for (size_t k = 0; k < folded.size(); ++k)
        if (FoldByte(text[at + k]) != static_cast<unsigned char>(folded[k])) return false;
    return true;
}

// Whether text[at, at + word.size()) equals the word, both folded.
bool EqualsFolding(const unsigned char* text, size_t at, std::string_view word) {
    for (size_t k = 0; k < word.size(); ++k)
        if (FoldByte(text[at + k]) != FoldByte(static_cast<unsigned char>(word[k]))) return false;
    return true;
}

#if defined(__SSE2__)
// Per byte of v, all ones where the byte is wordish.
__m128i WordishBytes(__m128i v) {
    const __m128i atLeast3F = _mm_cmpeq_epi8(_mm_max_epu8(v, _mm_set1_epi8(0x3F)), v);
    const __m128i a0 = _mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(0xA0)));
    const __m128i signs = _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(0x27)), _mm_cmpeq_epi8(v, _mm_set1_epi8(0x2D)));
    return _mm_or_si128(_mm_andnot_si128(a0, atLeast3F), signs);
}
#endif

// Offset of the first place in text[from, to) where the folded needle (not empty) starts, the
// text folded, and that `accept` takes; or -1. With `wordStart`, only places after a byte that is
// not wordish (or at the start of the text) are candidates: a whole-word find skips the inside of
// words at once. Scans in pieces, ticking `progress` after each one: a scan of a large dictionary
// lets the window answer and can be stopped.
template <typename Accept>
int FindFolded(const unsigned char* text, int from, int to, std::string_view needle, bool wordStart, Progress& progress,
               Accept&& accept) {
    const int len = static_cast<int>(needle.size());
    constexpr int kPiece = 1 << 16;
    const unsigned char first = static_cast<unsigned char>(needle.front());
    const unsigned char last = static_cast<unsigned char>(needle.back());
    // Each of the two bytes compared folded where it is a letter, exactly otherwise.
    const unsigned char firstMask = IsLatinLetter(first) ? 0x20 : 0, lastMask = IsLatinLetter(last) ? 0x20 : 0;
    int c = from;
    while (c + len <= to) {
        const int pieceEnd = std::min(to - len + 1, c + kPiece);  // candidate starts in [c, pieceEnd)
#if defined(__SSE2__)
        const __m128i vFirst = _mm_set1_epi8(static_cast<char>(first)), vLast = _mm_set1_epi8(static_cast<char>(last));
        const __m128i mFirst = _mm_set1_epi8(static_cast<char>(firstMask)), mLast = _mm_set1_epi8(static_cast<char>(lastMask));
        if (c == 0 && wordStart && c < pieceEnd) {
            // The first byte of the text has no byte before it.
            if ((text[0] | firstMask) == first && EqualsFoldedAt(text, 0, needle) && accept(0)) return 0;
            ++c;
        }
        for (; c + 16 <= pieceEnd; c += 16) {
            const __m128i a = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(text + c)), mFirst);
            __m128i match = _mm_cmpeq_epi8(a, vFirst);
            if (len > 1) {
                const __m128i b = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(text + c + len - 1)), mLast);
                match = _mm_and_si128(match, _mm_cmpeq_epi8(b, vLast));
            }
            if (wordStart)
                match = _mm_andnot_si128(WordishBytes(_mm_loadu_si128(reinterpret_cast<const __m128i*>(text + c - 1))), match);
            unsigned hits = static_cast<unsigned>(_mm_movemask_epi8(match));
            while (hits) {
                const int at = c + __builtin_ctz(hits);
                if (EqualsFoldedAt(text, static_cast<size_t>(at), needle) && accept(at)) return at;
                hits &= hits - 1;
            }
        }
#endif
        for (; c < pieceEnd; ++c)
            if ((text[c] | firstMask) == first && (!wordStart || c == 0 || !Wordish(text[c - 1])) &&
                EqualsFoldedAt(text, static_cast<size_t>(c), needle) && accept(c))
                return c;
        progress.Tick(Progress::kStepsPerCheck);
    }
    return -1;
}

// The first CR at or after `offset`, or the end marker.
int LineEndAtOrAfter(std::string_view text, int offset) {
    const void* cr = std::memchr(text.data() + offset, '\r', text.size() - 1 - static_cast<size_t>(offset));
    return cr ? static_cast<int>(static_cast<const char*>(cr) - text.data()) : static_cast<int>(text.size()) - 1;
}

}  // namespace

DicText::DicText() = default;

DicText::DicText(const DicList& list) { Refresh(list); }

bool DicText::Refresh(const DicList& list) {
    if (source_ == &list && version_ == list.Version()) return false;
    if (source_ != &list) DropIndex();
    source_ = &list;
    version_ = list.Version();
    return true;
}

std::string_view DicText::Text() const { return source_ ? source_->Text() : kEmptyText; }
int DicText::LineCount() const { return source_ ? source_->Count() : 0; }
std::uint64_t DicText::Version() const { return source_ ? source_->Version() : 0; }

std::string_view DicText::Line(int index) const {
    if (index < 0 || index >= LineCount()) return {};
    return (*source_)[index];
}

int DicText::LineOfResult(int result) const {
    if (!source_ || result <= 0 || result > Size()) return -1;
    return source_->LineAt(result - 1);
}

bool DicText::Indexed() const { return indexed_ && indexVersion_ == Version() && source_; }

void DicText::DropIndex() const {
    indexed_ = false;
    Release(slots_);
    Release(filter_);
    Release(postings_);
}

void DicText::BuildIndex(Progress& progress) const {
    if (Indexed()) return;
    DropIndex();
    if (!source_) return;
    const std::string_view text = Text();
    const unsigned char* t = reinterpret_cast<const unsigned char*>(text.data());
    const int size = Size();
    auto runEnd = [t, size](int p) { return static_cast<int>(std::find_if(t + p + 1, t + size, [](unsigned char b) { return !Wordish(b); }) - t); };

    // Every maximal run of wordish bytes of the text (runs never cross a line end, since CR and
    // LF are boundaries), first counted, then given the id of its folded content, then placed.
    progress.Phase(0, 50, static_cast<std::uint64_t>(size) / 16 + 1);
    size_t runs = 0;
    for (int p = 0; p < size;) {
        if (!Wordish(t[p])) {
            ++p;
            continue;
        }
        ++runs;
        p = runEnd(p);
        progress.Tick();
    }
    if (runs >= 0x7FFFFFFF) throw std::length_error("The dictionary holds too many words to search");

    auto ids = Buffer<std::int32_t>::Unset(runs);  // the id of every run, in text order
    std::vector<std::int32_t> count;                 // places per id
    std::vector<std::int32_t> first;                 // the first place of every id: its bytes
    size_t capacity = 1024;
    while (2 * capacity < runs) capacity <<= 1;  // grows when the words are mostly distinct
    auto slots = Buffer<std::uint64_t>::Zeroed(capacity);
    // The filter is sized for as many distinct words as there are runs, at most.
    size_t bits = 1024;
    while (bits < 12 * runs) bits <<= 1;
    auto filter = Buffer<std::uint64_t>::Zeroed(bits / 64);
    const std::uint64_t filterMask = bits - 1;
    const auto home = [](std::uint64_t hash, size_t mask) { return static_cast<size_t>((hash >> 32) * 0x9E3779B1u) & mask; };

    // Runs go in batches: the slots of a whole batch are fetched into the cache together, instead
    // of waiting for each one in turn.
    struct Pending {
        int start, end;
        std::uint64_t hash;
    };
    constexpr size_t kBatch = 32;
    Pending batch[kBatch];
    size_t k = 0;
    auto seat = [&](const Pending& r) {
        const size_t len = static_cast<size_t>(r.end - r.start);
        const std::uint32_t tag = static_cast<std::uint32_t>(r.hash >> 32);
        size_t mask = slots.size() - 1;
        size_t at = home(r.hash, mask);
        std::int32_t id = -1;
        while (slots[at] != 0) {
            if (static_cast<std::uint32_t>(slots[at] >> 32) == tag) {
                const std::int32_t other = static_cast<std::int32_t>(static_cast<std::uint32_t>(slots[at])) - 1;
                const size_t o = static_cast<size_t>(first[static_cast<size_t>(other)]);
                // o lies before the run, so the bytes compared lie inside the text.
                if (std::equal(t + r.start, t + r.end, t + o, [](unsigned char a, unsigned char b) { return FoldByte(a) == FoldByte(b); }) &&
                    !Wordish(t[o + len])) {
                    id = other;
                    break;
                }
            }
            at = (at + 1) & mask;
        }
        if (id < 0) {
            id = static_cast<std::int32_t>(count.size());
            count.push_back(0);
            first.push_back(r.start);
            slots[at] = (std::uint64_t{tag} << 32) | static_cast<std::uint32_t>(id + 1);
            for (std::uint64_t bit : {r.hash & filterMask, (r.hash >> 32) & filterMask}) filter[bit >> 6] |= std::uint64_t{1} << (bit & 63);
            if (4 * count.size() > 3 * slots.size()) {
                // Three quarters full: twice the room, every word seated again by its tag.
                auto grown = Buffer<std::uint64_t>::Zeroed(slots.size() * 2);
                mask = grown.size() - 1;
                for (std::uint64_t s : slots) {
                    if (s == 0) continue;
                    size_t a = home(s, mask);
                    while (grown[a] != 0) a = (a + 1) & mask;
                    grown[a] = s;
                    progress.Tick(0);  // a check of the clock now and then, the share unchanged
                }
                slots.swap(grown);
            }
        }
        ++count[static_cast<size_t>(id)];
        ids[k++] = id;
    };
    progress.Phase(50, 850, runs);
    for (int p = 0; p < size;) {
        size_t n = 0;
        while (n < kBatch && p < size) {
            if (!Wordish(t[p])) {
                ++p;
                continue;
            }
            const int q = runEnd(p);
            const std::uint64_t h = HashFolded(t + p, static_cast<size_t>(q - p));
            __builtin_prefetch(&slots[home(h, slots.size() - 1)]);
            batch[n++] = Pending{p, q, h};
            p = q;
        }
        for (size_t i = 0; i < n; ++i) seat(batch[i]);
        progress.Tick(n);
    }
    Release(first);

    // Every word's entry: the number of its places, then the places in text order. The table
    // then names each word by its entry instead of its id.
    const size_t distinct = count.size();
    progress.Phase(850, 1000, runs + distinct + slots.size() / 8);
    // The counts become where each word's next place goes.
    std::vector<std::int32_t>& next = count;
    size_t entries = 0;
    auto postings = Buffer<std::int32_t>::Unset(runs + distinct);
    for (size_t i = 0; i < distinct; ++i) {
        postings[entries] = count[i];
        next[i] = static_cast<std::int32_t>(entries + 1);
        entries += 1 + static_cast<size_t>(postings[entries]);
        progress.Tick();
    }
    for (size_t i = 0; i < slots.size(); ++i) {
        std::uint64_t& slot = slots[i];
        if (slot != 0) {
            const size_t id = static_cast<std::uint32_t>(slot) - 1;
            slot = (slot & 0xFFFFFFFF00000000ULL) | static_cast<std::uint32_t>(next[id]);  // entry + 1
        }
        if ((i & 7) == 0) progress.Tick();
    }
    k = 0;
    for (int p = 0; p < size;) {
        if (!Wordish(t[p])) {
            ++p;
            continue;
        }
        postings[static_cast<size_t>(next[static_cast<size_t>(ids[k++])]++)] = p;
        p = runEnd(p);
        progress.Tick();
    }
    Release(ids);
    Release(count);

    slots_.swap(slots);
    filter_.swap(filter);
    filterMask_ = filterMask;
    postings_.swap(postings);
    indexed_ = true;
    indexVersion_ = Version();
}

int DicText::WordEntry(std::string_view word) const {
    if (slots_.empty() || word.empty()) return -1;
    const unsigned char* w = reinterpret_cast<const unsigned char*>(word.data());
    const std::uint64_t h = HashFolded(w, word.size());
    for (std::uint64_t bit : {h & filterMask_, (h >> 32) & filterMask_})
        if (!((filter_[bit >> 6] >> (bit & 63)) & 1)) return -1;
    const unsigned char* t = reinterpret_cast<const unsigned char*>(Text().data());
    const std::uint32_t tag = static_cast<std::uint32_t>(h >> 32);
    const size_t mask = slots_.size() - 1;
    size_t at = static_cast<size_t>((h >> 32) * 0x9E3779B1u) & mask;
    while (slots_[at] != 0) {
        if (static_cast<std::uint32_t>(slots_[at] >> 32) == tag) {
            const int entry = static_cast<int>(static_cast<std::uint32_t>(slots_[at])) - 1;
            const size_t o = static_cast<size_t>(*PlacesBegin(entry));
            // The bytes first: a mismatch stops at the end of the word there at the latest.
            if (EqualsFolding(t, o, word) && !Wordish(t[o + word.size()])) return entry;
        }
        at = (at + 1) & mask;
    }
    return -1;
}

namespace {

// A whole-word find by scanning: the folded word (not empty) at or after `from` where the byte
// before and the byte after it are boundaries.
template <typename Boundary>
int ScanWholeWord(std::string_view text, std::string_view folded, int from, Boundary boundary, Progress& progress) {
    const unsigned char* t = reinterpret_cast<const unsigned char*>(text.data());
    const int size = static_cast<int>(text.size()) - 1;
    const int len = static_cast<int>(folded.size());
    // A boundary byte is never wordish: the scan leaves out places inside words.
    const int at = FindFolded(t, from, size, folded, true, progress,
                              [&](int c) { return (c == 0 || boundary(t[c - 1])) && boundary(t[c + len]); });
    return at < 0 ? 0 : LineEndAtOrAfter(text, at + len);
}

}  // namespace

int findword(const DicText& dic, std::string_view word, int from, Progress& progress) {
    const int size = dic.Size();
    if (from < 0) from = 0;
    if (from >= size) return 0;

    if (!word.empty() && AllWordish(word)) {
        // A whole-word match is exactly a maximal wordish run: answer from the index.
        dic.BuildIndex(progress);
        const int entry = dic.WordEntry(word);
        if (entry < 0) return 0;
        const std::int32_t* hit = std::lower_bound(dic.PlacesBegin(entry), dic.PlacesEnd(entry), from);
        return hit == dic.PlacesEnd(entry) ? 0 : LineEndAtOrAfter(dic.Text(), *hit + static_cast<int>(word.size()));
    }
    if (word.empty()) {
        // The empty word matches between two boundary bytes.
        const std::string_view text = dic.Text();
        const unsigned char* t = reinterpret_cast<const unsigned char*>(text.data());
        for (int c = from; c < size; ++c)
            if ((c == 0 || !Wordish(t[c - 1])) && !Wordish(t[c])) return LineEndAtOrAfter(text, c);
        return 0;
    }
    // A word with boundary bytes in it: scan the text.
    thread_local std::string folded;
    FoldInto(folded, word);
    return ScanWholeWord(dic.Text(), folded, from, [](unsigned char b) { return !Wordish(b); }, progress);
}

int findlatin(const DicText& dic, std::string_view word, int from, Progress& progress) {
    const int size = dic.Size();
    if (from < 0) from = 0;
    if (from >= size || word.empty()) return 0;
    const std::string_view text = dic.Text();
    const unsigned char* t = reinterpret_cast<const unsigned char*>(text.data());
    const int len = static_cast<int>(word.size());
    if (AllWordish(word)) {
        // Its whole-word places from the index, less those beside a digit.
        dic.BuildIndex(progress);
        const int entry = dic.WordEntry(word);
        if (entry < 0) return 0;
        for (const std::int32_t* hit = std::lower_bound(dic.PlacesBegin(entry), dic.PlacesEnd(entry), from); hit != dic.PlacesEnd(entry); ++hit) {
            if ((*hit == 0 || !IsAsciiDigit(t[*hit - 1])) && !IsAsciiDigit(t[*hit + len])) return LineEndAtOrAfter(text, *hit + len);
            progress.Tick();
        }
        return 0;
    }
    thread_local std::string folded;
    FoldInto(folded, word);
    return ScanWholeWord(text, folded, from, LatinBoundary, progress);
}

int findwild(const DicText& dic, std::string_view pattern, int from, Progress& progress) {
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
    FoldInto(folded, core);
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

    const std::string_view text = dic.Text();
    const unsigned char* t = reinterpret_cast<const unsigned char*>(text.data());
    const int lastStart = size - len;  // a match must end before the end marker
    if (from > lastStart) return 0;
    // Candidates by the anchor; the boundaries first: they are cheap and reject most candidates
    // inside long words.
    // Without a leading star, an anchor at the start of the pattern must start a word.
    const bool wordStart = !lead && a.offset == 0;
    const int hit = FindFolded(t, from + a.offset, lastStart + a.offset + static_cast<int>(a.bytes.size()), a.bytes, wordStart, progress, [&](int h) {
        const int at = h - a.offset;
        if (!(lead || at == 0 || !Wordish(t[at - 1])) || !(trail || !Wordish(t[at + len]))) return false;
        for (size_t i = 0; i < pieces.size(); ++i)
            if (i != anchor && !EqualsFoldedAt(t, static_cast<size_t>(at + pieces[i].offset), pieces[i].bytes)) return false;
        return true;
    });
    return hit < 0 ? 0 : LineEndAtOrAfter(text, hit - a.offset + len);
}

int findword(const DicText& dic, std::string_view word, int from) {
    Progress silent;
    return findword(dic, word, from, silent);
}

int findlatin(const DicText& dic, std::string_view word, int from) {
    Progress silent;
    return findlatin(dic, word, from, silent);
}

int findwild(const DicText& dic, std::string_view pattern, int from) {
    Progress silent;
    return findwild(dic, pattern, from, silent);
}

}  // namespace dictionary
