// TextDocument: the text, its history, its file and the list of watchers told of every change.
#include "editor/document.h"

#include <algorithm>
#include <utility>

#include "platform/clipboard.h"
#include "platform/services.h"

// The list of watchers. Entries are held by pointer, so that a watcher that registers another one
// while it is told of a change (the vector then grows) is not moved while it runs; one taken out
// while the list is being told is only marked, and goes once the telling is over.
struct TextDocument::Watchers {
    struct Entry {
        std::uint64_t id;
        DocumentWatcher watcher;
    };
    std::vector<std::unique_ptr<Entry>> entries;
    std::uint64_t nextId = 1;
    int telling = 0;
    bool marked = false;

    void Remove(std::uint64_t id) {
        for (auto& e : entries) {
            if (!e || e->id != id) continue;
            if (telling > 0) {
                e->id = 0;
                marked = true;
            } else {
                e.reset();
                std::erase(entries, nullptr);
            }
            return;
        }
    }
    void Sweep() {
        if (telling > 0 || !marked) return;
        std::erase_if(entries, [](const std::unique_ptr<Entry>& e) { return e->id == 0; });
        marked = false;
    }
};

TextDocument::TextDocument() : watchers_(std::make_shared<Watchers>()) {
    Lines.OnChange = [this](int longestWritten) { LinesChanged(longestWritten); };
    History.OnChange = [this] { Tell(&DocumentWatcher::historyChanged); };
}

TextDocument::~TextDocument() {
    Lines.OnChange = nullptr;
    History.OnChange = nullptr;
}

template <class Hook, class... Args>
void TextDocument::Tell(Hook DocumentWatcher::*hook, Args... args) {
    // The list stays while it is told, even if the last Watch of a watcher goes meanwhile.
    const std::shared_ptr<Watchers> list = watchers_;
    ++list->telling;
    const size_t count = list->entries.size();  // those added meanwhile wait for the next change
    for (size_t i = 0; i < count; ++i) {
        Watchers::Entry& e = *list->entries[i];
        if (e.id != 0 && e.watcher.*hook) (e.watcher.*hook)(args...);
    }
    --list->telling;
    list->Sweep();
}

void TextDocument::LinesChanged(int longestWritten) {
    SetModified(true);
    Tell(&DocumentWatcher::textChanged, longestWritten);
}

void TextDocument::SetModified(bool modified) {
    if (modified == Modified) return;
    Modified = modified;
    Tell(&DocumentWatcher::modifiedChanged);
}

// ---- The joined text -------------------------------------------------------------------------

std::string TextDocument::JoinedText() const { return JoinLines(Lines.All()); }

TextDocument::TextPoint TextDocument::PointAt(int offset, int hintLine) const {
    const int line = Lines.LineOfOffset(offset, hintLine);
    if (line >= Lines.Count()) return {Lines.Count(), 0};
    return {line, std::max(offset, 0) - Lines.StartOf(line)};
}

bool TextDocument::ReplaceJoined(int from, int to, std::string_view text, int hintLine) {
    const TextPoint a = PointAt(from, hintLine);
    const TextPoint b = to <= from ? a : PointAt(to, a.line);
    // The bytes from the start of a's line to a, the new text, and the bytes from b to the end
    // of b's line with its line break: split, they replace the lines from a's to b's. The lines
    // around them end and start with a whole line break, so they split as they were.
    std::string piece;
    if (a.line < Lines.Count()) {
        const std::string& t = Lines[a.line];
        piece.assign(t, 0, std::min(static_cast<size_t>(a.col), t.size()));
        if (static_cast<size_t>(a.col) > t.size()) piece += '\r';
    }
    piece += text;
    int last = Lines.Count();
    if (b.line < Lines.Count()) {
        const std::string& t = Lines[b.line];
        if (static_cast<size_t>(b.col) <= t.size()) {
            piece.append(t, static_cast<size_t>(b.col));
            piece += "\r\n";
        } else {
            piece += '\n';
        }
        last = b.line + 1;
    }
    return Lines.Replace(a.line, last - a.line, SplitLines(piece));
}

// ---- The file -------------------------------------------------------------------------------

std::optional<TextDocument::ReadText> TextDocument::ReadFile(const std::string& name, bool askToReplace) {
    platform::DecodedText text = platform::ReadTextFile(name, askToReplace);
    if (text.replaced.count > 0 && !platform::AgreeToReplacements(text.replaced, name)) return std::nullopt;
    ReadText read{name, SplitLines(text.bytes), text.format, text.stamp, text.replaced.count};
    return read;
}

void TextDocument::TakeFile(ReadText text) {
    FileName = std::move(text.name);
    FileFormat = text.format;
    DiskStamp = text.stamp;
    FileReplacements = text.replacements;
    Lines.Assign(std::move(text.lines));
    History.Clear();
    SetModified(false);
    Tell(&DocumentWatcher::fileChanged);
}

void TextDocument::SaveFile(const std::string& name, const platform::TextFormat& format) {
    DiskStamp = platform::WriteTextFile(name, JoinedText(), format);
    FileName = name;
    FileFormat = format;
    FileReplacements = 0;
    MarkUnmodified();
    Tell(&DocumentWatcher::fileChanged);
}

void TextDocument::Clear() {
    FileName.clear();
    FileFormat = {};
    DiskStamp = {};
    FileReplacements = 0;
    Lines.Clear();
    History.Clear();
    Tell(&DocumentWatcher::fileChanged);
}

void TextDocument::MarkUnmodified() {
    SetModified(false);
    History.MarkSaved();
}

// ---- History --------------------------------------------------------------------------------

void TextDocument::KeepHistory() {
    keepsHistory_ = true;
    Lines.OnRecord = [this](int at, std::vector<std::string>& removed, int inserted) {
        History.Record(at, removed, inserted);
    };
    // A change whose record finds no memory: the older steps go first, as the bound would drop
    // them; if that is not enough, the user decides before anything changes.
    Lines.OnNoRecordMemory = [this](int attempt) {
        if (attempt == 0 && History.DropOlderSteps()) return TLines::NoMemory::Retry;
        if (platform::Current().AskQuestion("Not enough memory to undo this change. Make it anyway?") !=
            platform::mrYes)
            return TLines::NoMemory::Refuse;
        History.Forget();
        return TLines::NoMemory::WithoutRecord;
    };
}

void TextDocument::SetHistoryView(const void* owner, std::function<ViewPoint()> view) {
    historyView_ = owner;
    History.CurrentView = std::move(view);
}

void TextDocument::ForgetHistoryView(const void* owner) {
    if (owner != historyView_) return;
    historyView_ = nullptr;
    History.CurrentView = nullptr;
}

// ---- Watchers -------------------------------------------------------------------------------

TextDocument::Watch TextDocument::AddWatcher(DocumentWatcher watcher) {
    const std::uint64_t id = watchers_->nextId++;
    watchers_->entries.push_back(std::make_unique<Watchers::Entry>(Watchers::Entry{id, std::move(watcher)}));
    return Watch(watchers_, id);
}

size_t TextDocument::WatcherCount() const {
    return static_cast<size_t>(std::count_if(watchers_->entries.begin(), watchers_->entries.end(),
                                             [](const std::unique_ptr<Watchers::Entry>& e) { return e->id != 0; }));
}

TextDocument::Watch::Watch(Watch&& other) noexcept
    : list_(std::move(other.list_)), id_(std::exchange(other.id_, 0)) {}

TextDocument::Watch& TextDocument::Watch::operator=(Watch&& other) noexcept {
    if (this != &other) {
        Reset();
        list_ = std::move(other.list_);
        id_ = std::exchange(other.id_, 0);
    }
    return *this;
}

void TextDocument::Watch::Reset() {
    if (const std::shared_ptr<Watchers> list = list_.lock(); list && id_ != 0) list->Remove(id_);
    list_.reset();
    id_ = 0;
}

bool TextDocument::Watch::Active() const { return id_ != 0 && !list_.expired(); }
