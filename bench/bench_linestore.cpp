// The line store on a large text: 400,000 lines, about 20 MB of TIS-620, loaded, saved, typed
// into and selected whole; the same text loaded and saved as a UTF-8 file with LF line ends.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "bench/large_text.h"
#include "editor/thailist.h"
#include "platform/textcodec.h"
#include "script/thai.h"

namespace {

constexpr int kLines = bench::kLargeLines;

const std::string& GeneratedText() { return bench::LargeText(); }

// The generated text as a file, written once per run and removed at exit.
class TextFile {
public:
    TextFile() {
        dir_ = std::filesystem::temp_directory_path() / ("mekalon-bench-linestore-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_);
        // The records of in-place saves go to a state folder of the benchmark's own.
        ::setenv("XDG_STATE_HOME", (dir_ / "state").c_str(), 1);
        path_ = (dir_ / "big.txt").string();
        const std::string& text = GeneratedText();
        std::ofstream(path_, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
        utf8Path_ = (dir_ / "big-utf8.txt").string();
        const std::string utf8 = platform::EncodeText(text, Utf8Lf());
        utf8Size_ = utf8.size();
        std::ofstream(utf8Path_, std::ios::binary).write(utf8.data(), static_cast<std::streamsize>(utf8.size()));
    }
    static platform::TextFormat Utf8Lf() {
        return {platform::TextEncoding::Utf8, false, platform::LineEnd::Lf};
    }
    ~TextFile() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    const std::string& Path() const { return path_; }
    const std::string& Utf8Path() const { return utf8Path_; }
    size_t Utf8Size() const { return utf8Size_; }
    std::string Other(const char* name) const { return (dir_ / name).string(); }

private:
    std::filesystem::path dir_;
    std::string path_;
    std::string utf8Path_;
    size_t utf8Size_ = 0;
};

const TextFile& File() {
    static const TextFile file;
    return file;
}

// A control holding the generated text with a view of 40 rows of 100 cells.
std::unique_ptr<TThailist> LoadedList(const std::string& path = File().Path()) {
    auto list = std::make_unique<TThailist>();
    list->RowCount = 40;
    list->ColCount = 100;
    list->LoadFile(path);
    return list;
}

// Loading the file at `path` into a control, read as `encoding`; bytes processed count the
// 20 MB text.
void LoadFile(benchmark::State& state, const std::string& path, platform::TextEncoding encoding) {
    TThailist list;
    for (auto _ : state) {
        list.LoadFile(path);
        benchmark::DoNotOptimize(list.LineCount());
    }
    if (list.LineCount() != kLines || list.Document().FileFormat.encoding != encoding) state.SkipWithError("not read right");
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(GeneratedText().size()));
}

// Saving the text read from `path` (in the encoding and line ends it was read with) as `name`,
// which must come out `size` bytes long.
void SaveFile(benchmark::State& state, const std::string& path, const char* name, std::uintmax_t size) {
    const auto list = LoadedList(path);
    const std::string out = File().Other(name);
    for (auto _ : state) list->SaveFile(out);
    if (std::filesystem::file_size(out) != size) state.SkipWithError("saved size differs");
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(GeneratedText().size()));
}

// The same save over a file with a second hard link, which is rewritten in place: a copy of its
// old bytes first, the room for the new ones reserved, then the bytes written over it.
void BM_SaveFileInPlace(benchmark::State& state) {
    const auto list = LoadedList();
    const std::string out = File().Other("linked.txt"), second = File().Other("second-link.txt");
    list->SaveFile(out);
    std::filesystem::remove(second);
    std::filesystem::create_hard_link(out, second);
    for (auto _ : state) list->SaveFile(out);
    if (std::filesystem::file_size(second) != GeneratedText().size() || std::filesystem::hard_link_count(out) != 2)
        state.SkipWithError("not saved in place");
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(GeneratedText().size()));
}
BENCHMARK(BM_SaveFileInPlace)->Unit(benchmark::kMillisecond);

void BM_LoadFile(benchmark::State& state) { LoadFile(state, File().Path(), platform::TextEncoding::Tis620); }
BENCHMARK(BM_LoadFile)->Unit(benchmark::kMillisecond);

void BM_SaveFile(benchmark::State& state) { SaveFile(state, File().Path(), "saved.txt", GeneratedText().size()); }
BENCHMARK(BM_SaveFile)->Unit(benchmark::kMillisecond);

// The same text as a UTF-8 file with LF line ends (about 38 MB): detected, converted, split.
void BM_LoadFileUtf8(benchmark::State& state) { LoadFile(state, File().Utf8Path(), platform::TextEncoding::Utf8); }
BENCHMARK(BM_LoadFileUtf8)->Unit(benchmark::kMillisecond);

void BM_SaveFileUtf8(benchmark::State& state) {
    SaveFile(state, File().Utf8Path(), "saved-utf8.txt", File().Utf8Size());
}
BENCHMARK(BM_SaveFileUtf8)->Unit(benchmark::kMillisecond);

// One typed character in the middle of the text, as the editor inserts it: read the cursor line,
// insert the byte at the cursor cell, write the line back (its change notification included).
// Every other iteration takes the byte out again, as Backspace would, so the line keeps its size.
void BM_TypeCharacter(benchmark::State& state) {
    const auto list = LoadedList();
    const int line = kLines / 2;
    list->SetCursor(line, 10);
    bool inserted = false;
    for (auto _ : state) {
        std::string text = list->Lines[list->CursorLine];
        const size_t at = static_cast<size_t>(thai::CellToPos(text, list->CursorCol) - 1);
        if (inserted)
            text.erase(at, 1);
        else
            text.insert(at, 1, '\xA1');
        inserted = !inserted;
        list->Lines.Set(list->CursorLine, std::move(text));
    }
    benchmark::DoNotOptimize(list->Modified);
}
BENCHMARK(BM_TypeCharacter)->Unit(benchmark::kMicrosecond);

void BM_SelectAllText(benchmark::State& state) {
    const auto list = LoadedList();
    size_t size = 0;
    for (auto _ : state) {
        list->SetCursor(0, 0);
        list->StartSelection();
        list->SetCursor(list->LineCount(), 0);
        list->ExtendSelection();
        const std::string selected = list->SelectedText();
        size = selected.size();
        list->ClearSelection();
    }
    if (size != GeneratedText().size()) state.SkipWithError("selection incomplete");
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(GeneratedText().size()));
}
BENCHMARK(BM_SelectAllText)->Unit(benchmark::kMillisecond);

// Deleting a selection of a few lines in the middle: only the lines it touches are rebuilt.
void BM_DeleteSmallSelection(benchmark::State& state) {
    const auto list = LoadedList();
    for (auto _ : state) {
        state.PauseTiming();
        list->Lines.Insert(kLines / 2, "a line to delete");
        state.ResumeTiming();
        list->SetCursor(kLines / 2, 0);
        list->StartSelection();
        list->SetCursor(kLines / 2 + 1, 0);
        list->ExtendSelection();
        list->DeleteSelection();
    }
    if (list->LineCount() != kLines) state.SkipWithError("wrong line count");
}
BENCHMARK(BM_DeleteSmallSelection)->Unit(benchmark::kMillisecond);

}  // namespace
