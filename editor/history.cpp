// The undo history of a line store: recording and grouping the changes, the compact form of a
// closed step, undo and redo, and the bound on memory.
#include "editor/history.h"

#include <algorithm>
#include <chrono>
#include <iterator>
#include <new>

namespace {

// ---- A closed step is a short byte string of variable-length numbers ------------------------

void PutUnsigned(std::string& out, uint64_t v) {
    while (v >= 0x80) {
        out += static_cast<char>((v & 0x7F) | 0x80);
        v >>= 7;
    }
    out += static_cast<char>(v);
}

void PutSigned(std::string& out, int64_t v) {
    PutUnsigned(out, (static_cast<uint64_t>(v) << 1) ^ static_cast<uint64_t>(v >> 63));
}

class Reader {
public:
    explicit Reader(const std::string& s) : s_(s) {}
    uint64_t Unsigned() {
        uint64_t v = 0;
        for (int shift = 0; pos_ < s_.size(); shift += 7) {
            const auto b = static_cast<unsigned char>(s_[pos_++]);
            v |= static_cast<uint64_t>(b & 0x7F) << shift;
            if (!(b & 0x80)) break;
        }
        return v;
    }
    int64_t Signed() {
        const uint64_t v = Unsigned();
        return static_cast<int64_t>(v >> 1) ^ -static_cast<int64_t>(v & 1);
    }
    int Int() { return static_cast<int>(Unsigned()); }
    std::string Bytes(size_t n) {
        n = std::min(n, s_.size() - pos_);
        std::string b = s_.substr(pos_, n);
        pos_ += n;
        return b;
    }

private:
    const std::string& s_;
    size_t pos_ = 0;
};

void PutView(std::string& out, const ViewPoint& v, int baseLine) {
    PutSigned(out, v.cursorLine - baseLine);
    PutUnsigned(out, static_cast<uint64_t>(std::max(v.cursorCol, 0)));
    out += static_cast<char>(v.selecting ? 1 : 0);
    if (!v.selecting) return;
    for (int n : {v.anchorLine, v.anchorCol, v.extentLine, v.extentCol, v.anchorPos, v.extentPos})
        PutUnsigned(out, static_cast<uint64_t>(std::max(n, 0)));
}

ViewPoint GetView(Reader& in, int baseLine) {
    ViewPoint v;
    v.cursorLine = static_cast<int>(in.Signed() + baseLine);
    v.cursorCol = in.Int();
    v.selecting = in.Unsigned() != 0;
    if (v.selecting) {
        for (int* n : {&v.anchorLine, &v.anchorCol, &v.extentLine, &v.extentCol, &v.anchorPos, &v.extentPos})
            *n = in.Int();
    }
    return v;
}

// Heap bytes of a string beyond its own object (short strings live inside it).
size_t HeapOf(const std::string& s) { return s.capacity() > 15 ? s.capacity() + 1 : 0; }

size_t HeapOf(const std::vector<std::string>& lines) {
    size_t n = lines.capacity() * sizeof(std::string);
    for (const std::string& s : lines) n += HeapOf(s);
    return n;
}

}  // namespace

size_t TextHistory::Step::Size() const {
    size_t n = sizeof(Step) + HeapOf(code) + lineSets.capacity() * sizeof(std::vector<std::string>);
    for (const auto& set : lineSets) n += HeapOf(set);
    return n;
}

int64_t TextHistory::Now() const {
    if (Clock) return Clock();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

uint64_t TextHistory::TopId() const { return undo_.empty() ? baseId_ : undo_.back().id; }

// ---- Recording ----------------------------------------------------------------------------

void TextHistory::Begin(const ViewPoint& before, bool typing) {
    if (depth_++ > 0) return;
    if (stash_ && typing) {
        if (before == stashAfter_ && Now() - stashTime_ < kTypingPauseMs) {
            open_ = std::move(stash_);
            stash_.reset();
            return;
        }
        Seal();
    }
    open_ = Open{before, {}, typing};
}

void TextHistory::End(const ViewPoint& after) {
    if (depth_ == 0 || --depth_ > 0) return;
    Open step = std::move(*open_);
    open_.reset();
    if (step.edits.empty()) {
        // A command that moved the cursor or the selection ends a run of typing.
        if (!step.typing && !(after == step.before)) Seal();
        return;
    }
    if (step.typing) {
        stash_ = std::move(step);
        stashAfter_ = after;
        stashTime_ = Now();
        Changed();
        return;
    }
    Push(step, after, LinesNow());
}

void TextHistory::Record(int at, std::vector<std::string>& removed, int inserted) {
    if (applying_) return;
    DropRedo();  // a new change: what was undone can no longer be redone
    if (depth_ == 0) {
        // A change outside any command is a step of its own.
        const ViewPoint now = CurrentView ? CurrentView() : ViewPoint{};
        Begin(now);
        Record(at, removed, inserted);
        End(now);
        return;
    }
    if (stash_) {
        // A command changes the text after a run of typing: the run becomes a step first, told
        // how its lines read before this change.
        Open run = std::move(*stash_);
        stash_.reset();
        const int r = static_cast<int>(removed.size());
        Push(run, stashAfter_, [&](int i) -> const std::string* {
            if (i < 0) return nullptr;
            if (i < at) return i < lines_.Count() ? &lines_[i] : nullptr;
            if (i < at + r) return &removed[static_cast<size_t>(i - at)];
            const int j = i - r + inserted;
            return j < lines_.Count() ? &lines_[j] : nullptr;
        });
    }
    try {
        Add(*open_, at, removed, inserted);
    } catch (const std::bad_alloc&) {
        Forget();  // the change is made: a history without it would take the wrong lines back
    }
}

// Adds a change to a step being made: joined to its last change when the two touch, which keeps
// a run of typing on one line as one change of that line.
void TextHistory::Add(Open& step, int at, std::vector<std::string>& removed, int inserted) {
    const int r2 = static_cast<int>(removed.size());
    if (!step.edits.empty()) {
        Edit& last = step.edits.back();
        const int a1 = last.line, i1 = last.count;
        if (last.offset < 0 && at <= a1 + i1 && at + r2 >= a1) {
            const int lo = std::min(a1, at);
            const int hi = std::max(a1 + i1, at + r2);
            std::vector<std::string> merged;
            merged.reserve(static_cast<size_t>(std::max(a1 - at, 0)) + last.lines.size() +
                           static_cast<size_t>(std::max(at + r2 - a1 - i1, 0)));
            for (int k = 0; k < a1 - at; ++k) merged.push_back(std::move(removed[static_cast<size_t>(k)]));
            for (std::string& s : last.lines) merged.push_back(std::move(s));
            for (int k = std::max(a1 + i1 - at, 0); k < r2; ++k) merged.push_back(std::move(removed[static_cast<size_t>(k)]));
            last.line = lo;
            last.count = hi - lo - r2 + inserted;
            last.lines = std::move(merged);
            return;
        }
    }
    Edit e;
    e.line = at;
    e.count = inserted;
    e.lines = std::move(removed);
    step.edits.push_back(std::move(e));
}

// ---- Closing a step -------------------------------------------------------------------------

void TextHistory::DropRedo() {
    for (const Step& s : redo_) bytes_ -= s.Size();
    redo_.clear();
}

void TextHistory::Push(Open& step, const ViewPoint& after, const LineAt& lineAt) {
    DropRedo();
    try {
        Step closed = Encode(step, after, lineAt);
        closed.id = nextId_++;
        const size_t size = closed.Size();
        undo_.push_back(std::move(closed));
        bytes_ += size;
    } catch (const std::bad_alloc&) {
        // The text has changed already; without the step the others no longer fit it.
        Forget();
        return;
    }
    Trim();
    Changed();
}

void TextHistory::Seal() {
    if (!stash_) return;
    Open run = std::move(*stash_);
    stash_.reset();
    Push(run, stashAfter_, LinesNow());
}

TextHistory::LineAt TextHistory::LinesNow() const {
    return [this](int i) -> const std::string* { return i >= 0 && i < lines_.Count() ? &lines_[i] : nullptr; };
}

// The compact form. A change of one line that is the last change of its step is kept as the
// bytes it replaced: the line as it is now tells what was inserted. Earlier changes stay whole
// lines, as later ones may have moved or rewritten them.
TextHistory::Step TextHistory::Encode(Open& step, const ViewPoint& after, const LineAt& lineAt) const {
    if (!step.edits.empty()) {
        Edit& e = step.edits.back();
        const std::string* now = e.offset < 0 && e.count == 1 && e.lines.size() == 1 ? lineAt(e.line) : nullptr;
        if (now) {
            const std::string& was = e.lines[0];
            size_t head = 0;
            while (head < now->size() && head < was.size() && (*now)[head] == was[head]) ++head;
            size_t tail = 0;
            while (tail < now->size() - head && tail < was.size() - head &&
                   (*now)[now->size() - 1 - tail] == was[was.size() - 1 - tail])
                ++tail;
            e.offset = static_cast<int>(head);
            e.count = static_cast<int>(now->size() - head - tail);
            e.bytes = was.substr(head, was.size() - head - tail);
            e.lines = {};
        }
    }
    return Encode(step.before, after, step.edits);
}

TextHistory::Step TextHistory::Encode(const ViewPoint& before, const ViewPoint& after, std::vector<Edit>& edits) {
    Step out;
    const int base = before.cursorLine;
    PutView(out.code, before, 0);
    PutView(out.code, after, base);
    PutUnsigned(out.code, edits.size());
    for (Edit& e : edits) {
        PutSigned(out.code, e.line - base);
        if (e.offset >= 0) {
            PutUnsigned(out.code, static_cast<uint64_t>(e.count) * 2 + 1);
            PutUnsigned(out.code, static_cast<uint64_t>(e.offset));
            PutUnsigned(out.code, e.bytes.size());
            out.code += e.bytes;
        } else {
            PutUnsigned(out.code, static_cast<uint64_t>(e.count) * 2);
            e.lines.shrink_to_fit();
            out.lineSets.push_back(std::move(e.lines));
        }
    }
    out.code.shrink_to_fit();
    return out;
}

void TextHistory::Decode(Step& step, ViewPoint& before, ViewPoint& after, std::vector<Edit>& edits) const {
    Reader in(step.code);
    before = GetView(in, 0);
    const int base = before.cursorLine;
    after = GetView(in, base);
    const size_t n = in.Unsigned();
    size_t set = 0;
    edits.resize(n);
    for (Edit& e : edits) {
        e.line = static_cast<int>(in.Signed() + base);
        const uint64_t kind = in.Unsigned();
        e.count = static_cast<int>(kind >> 1);
        if (kind & 1) {
            e.offset = in.Int();
            e.bytes = in.Bytes(in.Unsigned());
        } else if (set < step.lineSets.size()) {
            e.lines = std::move(step.lineSets[set++]);
        }
    }
}

// ---- Undo and redo --------------------------------------------------------------------------

std::optional<ViewPoint> TextHistory::Undo() { return Apply(undo_, redo_, true); }

std::optional<ViewPoint> TextHistory::Redo() { return Apply(redo_, undo_, false); }

// Swaps each change of the step with what the text holds in its place, last change first for an
// undo, and moves the step, now the one that reverses this, to the other stack.
std::optional<ViewPoint> TextHistory::Apply(std::deque<Step>& from, std::deque<Step>& to, bool undo) {
    Seal();
    // Not in the middle of a change: only a step that has changed nothing yet may be open.
    if (from.empty() || (open_ && !open_->edits.empty())) return std::nullopt;
    Step step = std::move(from.back());
    from.pop_back();
    bytes_ -= step.Size();
    ViewPoint before, after;
    std::vector<Edit> edits;
    Decode(step, before, after, edits);

    // The swaps are not changes to record.
    applying_ = true;
    auto recorder = std::move(lines_.OnRecord);
    lines_.OnRecord = nullptr;
    changedFrom_ = lines_.Count();
    changedTo_ = 0;
    countChanged_ = false;
    const size_t n = edits.size();
    for (size_t i = 0; i < n; ++i) {
        Edit& e = edits[undo ? n - 1 - i : i];
        changedFrom_ = std::min(changedFrom_, e.line);
        if (e.offset >= 0) {
            if (e.line < 0 || e.line >= lines_.Count()) continue;
            std::string line = lines_[e.line];
            const size_t at = std::min(static_cast<size_t>(e.offset), line.size());
            std::string taken = line.substr(at, static_cast<size_t>(e.count));
            line.replace(at, taken.size(), e.bytes);
            e.count = static_cast<int>(e.bytes.size());
            e.bytes = std::move(taken);
            lines_.Set(e.line, std::move(line));
            changedTo_ = std::max(changedTo_, e.line);
        } else {
            const int count = static_cast<int>(e.lines.size());
            countChanged_ = countChanged_ || count != e.count;
            std::vector<std::string> taken = lines_.Splice(e.line, e.count, std::move(e.lines));
            e.count = count;
            e.lines = std::move(taken);
            changedTo_ = std::max(changedTo_, e.line + count - 1);
        }
    }
    lines_.OnRecord = std::move(recorder);
    applying_ = false;
    changedFrom_ = std::max(changedFrom_, 0);

    // The step in its new direction keeps the same views and its place in the sequence of states.
    Step back = Encode(before, after, edits);
    back.id = step.id;
    bytes_ += back.Size();
    to.push_back(std::move(back));
    Trim(undo);
    Changed();
    return undo ? before : after;
}

// ---- State, memory ----------------------------------------------------------------------------

void TextHistory::Clear() {
    open_.reset();
    stash_.reset();
    depth_ = 0;
    undo_.clear();
    redo_.clear();
    bytes_ = 0;
    baseId_ = savedId_ = nextId_++;
    Changed();
}

void TextHistory::MarkSaved() {
    Seal();
    savedId_ = TopId();
}

bool TextHistory::DropOlderSteps() {
    if (undo_.empty() && redo_.empty()) return false;
    baseId_ = TopId();
    undo_.clear();
    redo_.clear();
    bytes_ = 0;
    Changed();
    return true;
}

void TextHistory::Forget() {
    stash_.reset();
    if (open_) open_->edits.clear();
    undo_.clear();
    redo_.clear();
    bytes_ = 0;
    baseId_ = nextId_++;  // a state no step leads to: not the saved one
    Changed();
}

void TextHistory::SetLimit(size_t bytes) {
    limit_ = bytes;
    Trim();
    Changed();
}

// The oldest steps go first; then, if still too much, the undone steps farthest from the text.
// Right after an undo the undone steps farthest away go first, so that undoing on stays possible.
// The newest step stays whatever its size: the last one made or done again, or right after an
// undo the step just undone.
void TextHistory::Trim(bool afterUndo) {
    auto dropRedo = [this](size_t keep) {
        while (bytes_ > limit_ && redo_.size() > keep) {
            bytes_ -= redo_.front().Size();
            redo_.pop_front();
        }
    };
    if (afterUndo) dropRedo(1);
    while (bytes_ > limit_ && undo_.size() > (afterUndo ? 0u : 1u)) {
        bytes_ -= undo_.front().Size();
        baseId_ = undo_.front().id;
        undo_.pop_front();
    }
    dropRedo(afterUndo ? 1 : 0);
}
