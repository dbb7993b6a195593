// A dictionary of 4 million lines and about 100 MB (bench/large_dictionary.h) through the real
// windows:
// - Open: the whole command (reading the file, sorting, removing duplicates), for the generated
//   file, whose lines come in no order, and for the same dictionary as the program saves it
//   (sorted); wall time and CPU time.
// - Peak memory of a loaded dictionary and of a Wordlist against it, each in a child process of its
//   own that starts the program's windows and then loads (getrusage ru_maxrss, and the resident
//   size before the load from /proc/self/statm), given as multiples of the file size.
// - Esc: a key posted from another thread while a load, the first Wordlist (which builds the
//   search index) or a long listing runs; the time from the key to the end of the command, and the
//   longest time the window went without running its events.
// - The first Wordlist and a later one.
// The data goes to a temporary folder (TMPDIR or /tmp) that is removed at the end.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "app/uergebnis.h"
#include "app/app.h"
#include "app/umekalon.h"
#include "bench/large_dictionary.h"
#include "platform/qt_services.h"

namespace {

// The program's windows while a benchmark runs.
std::unique_ptr<App> windows;
Tfmekalon* Main() { return windows->MainWindow(); }
TFergebnis* Results() { return windows->Tools().Fergebnis; }

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Services that never show a dialog (an error goes to stderr) and that time the event runs of a
// long command.
class BenchServices : public platform::QtServices {
public:
    BenchServices() { platform::Install(this); }
    ~BenchServices() override { platform::Install(nullptr); }
    void ReportError(const std::string& message) override { std::fprintf(stderr, "error: %s\n", message.c_str()); }
    void ShowMessage(const std::string& text) override { std::fprintf(stderr, "message: %s\n", text.c_str()); }
    void ProcessMessages() override {
        const auto now = Clock::now();
        if (last != Clock::time_point{}) longestGap = std::max(longestGap, now - last);
        ++runs;
        QCoreApplication::processEvents();
        last = Clock::now();
    }
    void Start() {
        last = Clock::now();
        longestGap = {};
        runs = 0;
    }
    Clock::time_point last{};
    Clock::duration longestGap{};
    long runs = 0;
};

struct Data {
    std::filesystem::path folder;
    std::string unsorted, sorted, line;  // file paths
    size_t bytes = 0;
    std::string wordlistLine;  // words of the dictionary, Latin and Thai, and some it lacks
    Data() {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp ? tmp : "/tmp") + "/mekalon-bench-XXXXXX";
        if (!mkdtemp(pattern.data())) std::abort();
        folder = pattern;
        const std::string file = bench::LargeDictionaryBytes();
        bytes = file.size();
        unsorted = (folder / "large.dic").string();
        sorted = (folder / "large-sorted.dic").string();
        dictionary::DicList list;
        list.LoadFromBytes(file);
        if (!bench::WriteBytes(unsorted, file) || !bench::WriteBytes(sorted, std::string(list.Bytes()))) std::abort();
        for (int i : {17, 123456, 2000000, 3999999}) {
            std::string_view line = list[i % list.Count()];
            wordlistLine += std::string(line.substr(0, line.find(','))) + " ";
        }
        wordlistLine += "unknownword \xA1\xD2\xC3\xB7\xB4\xCA\xCD\xBA";
        line = (folder / "line.txt").string();
        if (!bench::WriteBytes(line, wordlistLine)) std::abort();
    }
    ~Data() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
};

Data& TheData() {
    static Data data;
    return data;
}

// The program's windows with the services above.
struct Program {
    BenchServices services;
    Program() {
        windows = std::make_unique<App>();
        Main()->show();
        QApplication::processEvents();
    }
    ~Program() {
        Main()->Tm1->Modified = false;
        Main()->dicchanged = false;
        windows.reset();
    }
    void Line(const std::string& text) {
        Main()->Tm1->Lines.Assign({text});
        Main()->Tm1->SetCursor(0, 0);
    }
};

void Open(benchmark::State& state, bool sorted) {
    const Data& data = TheData();
    Program program;
    for (auto _ : state) Main()->OpenDictionary(sorted ? data.sorted : data.unsorted);
    state.counters["lines"] = Main()->diclist.Count();
    state.counters["file_MB"] = static_cast<double>(data.bytes) / 1e6;
}
void BM_OpenLargeDictionary(benchmark::State& state) { Open(state, false); }
void BM_OpenLargeDictionarySorted(benchmark::State& state) { Open(state, true); }
BENCHMARK(BM_OpenLargeDictionary)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_OpenLargeDictionarySorted)->Unit(benchmark::kMillisecond)->Iterations(1);

// Esc posted `after` a command started, from another thread, as a key arrives from the window
// system: the manual time is from the key to the end of the command.
template <typename Command>
void EscAfter(benchmark::State& state, std::chrono::milliseconds after, Program& program, Command command) {
    for (auto _ : state) {
        std::atomic<bool> done{false};
        Clock::time_point posted{};
        program.services.Start();
        std::thread key([&] {
            const auto until = Clock::now() + after;
            while (Clock::now() < until && !done) std::this_thread::sleep_for(std::chrono::milliseconds(1));
            posted = Clock::now();
            QCoreApplication::postEvent(Main()->Tm1->tcm, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        });
        command();
        const auto ended = Clock::now();
        done = true;
        key.join();
        QCoreApplication::processEvents();  // the key, when it came after the end
        state.SetIterationTime(ended > posted ? Seconds(ended - posted) : 0.0);
        state.counters["longest_gap_ms"] = Seconds(program.services.longestGap) * 1e3;
        state.counters["event_runs"] = static_cast<double>(program.services.runs);
    }
}

void BM_EscStopsALoad(benchmark::State& state) {
    const Data& data = TheData();
    Program program;
    Main()->OpenDictionary(data.sorted);
    const int before = Main()->diclist.Count();
    EscAfter(state, std::chrono::milliseconds(state.range(0)), program, [&] { Main()->OpenDictionary(data.unsorted); });
    state.counters["kept_the_old_dictionary"] = Main()->diclist.Count() == before && Main()->dicfile == data.sorted;
}
BENCHMARK(BM_EscStopsALoad)->Arg(300)->Arg(1200)->Arg(2000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_EscStopsTheFirstWordlist(benchmark::State& state) {
    const Data& data = TheData();
    Program program;
    Main()->OpenDictionary(data.sorted);
    program.Line(data.wordlistLine);
    EscAfter(state, std::chrono::milliseconds(500), program, [&] { Main()->Wordlist->trigger(); });
    state.SetLabel(Results()->windowTitle().toStdString());
}
BENCHMARK(BM_EscStopsTheFirstWordlist)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_EscStopsALongListing(benchmark::State& state) {
    const Data& data = TheData();
    Program program;
    Main()->OpenDictionary(data.sorted);
    program.Line("*a*");  // most lines of the dictionary
    EscAfter(state, std::chrono::milliseconds(500), program, [&] { Main()->Wordlist->trigger(); });
    state.SetLabel(Results()->windowTitle().toStdString());
    state.counters["lines_listed"] = Results()->results->LineCount() - 1;
}
BENCHMARK(BM_EscStopsALongListing)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

// The first Wordlist after the load builds the search index; a second one uses it.
void BM_Wordlist(benchmark::State& state) {
    const Data& data = TheData();
    Program program;
    Main()->OpenDictionary(data.sorted);
    program.Line(data.wordlistLine);
    if (state.range(0) == 1) Main()->Wordlist->trigger();  // builds the index
    for (auto _ : state) {
        state.PauseTiming();
        if (state.range(0) == 0) Main()->dictext = dictionary::DicText();  // no index yet
        state.ResumeTiming();
        program.services.Start();
        Main()->Wordlist->trigger();
    }
    state.SetLabel(Results()->windowTitle().toStdString());
    state.counters["longest_gap_ms"] = Seconds(program.services.longestGap) * 1e3;
}
BENCHMARK(BM_Wordlist)->ArgName("indexed")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(2);

// Peak memory, measured in a child process of this program (see main).
long ResidentKb() {
    long pages = 0, resident = 0;
    if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

long PeakKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// In the child: the windows, then the load (and a Wordlist); prints the resident size before, the
// peak after the load and the peak after the Wordlist, in KB.
int MeasureInChild(const std::string& file, const std::string& line) {
    Program program;
    const long before = ResidentKb();
    Main()->OpenDictionary(file);
    const long loaded = PeakKb();
    program.Line(line);
    Main()->Wordlist->trigger();
    std::printf("%ld %ld %ld %ld\n", before, loaded, PeakKb(), ResidentKb());
    return Main()->diclist.Count() > 0 ? 0 : 1;
}

void PeakMemory(benchmark::State& state, bool sorted) {
    const Data& data = TheData();
    long before = 0, loaded = 0, searched = 0, after = 0;
    for (auto _ : state) {
        const std::string command = "'/proc/" + std::to_string(getpid()) + "/exe' --measure-memory '" +
                                    (sorted ? data.sorted : data.unsorted) + "' '" + data.line + "'";
        std::FILE* child = popen(command.c_str(), "r");
        if (!child || std::fscanf(child, "%ld %ld %ld %ld", &before, &loaded, &searched, &after) != 4) {
            state.SkipWithError("the child process failed");
            if (child) pclose(child);
            return;
        }
        pclose(child);
    }
    const double file = static_cast<double>(data.bytes) / 1024.0;
    state.counters["program_MB"] = static_cast<double>(before) / 1024.0;
    state.counters["load_peak_MB"] = static_cast<double>(loaded) / 1024.0;
    state.counters["load_peak_x_file"] = static_cast<double>(loaded) / file;
    state.counters["load_added_x_file"] = static_cast<double>(loaded - before) / file;
    state.counters["wordlist_peak_MB"] = static_cast<double>(searched) / 1024.0;
    state.counters["wordlist_peak_x_file"] = static_cast<double>(searched) / file;
    state.counters["wordlist_added_x_file"] = static_cast<double>(searched - before) / file;
}
void BM_PeakMemory(benchmark::State& state) { PeakMemory(state, false); }
void BM_PeakMemorySorted(benchmark::State& state) { PeakMemory(state, true); }
BENCHMARK(BM_PeakMemory)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_PeakMemorySorted)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    if (argc == 4 && std::string(argv[1]) == "--measure-memory")
        return MeasureInChild(argv[2], bench::ReadFile(argv[3]));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
