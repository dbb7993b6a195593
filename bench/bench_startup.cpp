// The program's start, from nothing to the main window shown and ready for keys, in one process
// on the offscreen platform (the windows are freed between the runs, untimed):
//   AsBefore: the start as it was before settings were kept (the windows, the window shown, an
//     empty command line);
//   NoSettings: the start with --no-settings;
//   KeptSettingsAndLastDictionary: with a settings file of a real run (glyph size, Thai layout,
//     a moved window, ten recent texts) whose last dictionary, th-en.dic, opens again;
//   DictionaryOnTheCommandLine: --dictionary th-en.dic without settings, the way to start with
//     that dictionary before.
// The settings folder and the dictionary are copies in a temporary folder.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/commandline.h"
#include "app/startup.h"
#include "app/app.h"
#include "app/umekalon.h"

namespace {

// The program's windows while a benchmark runs.
std::unique_ptr<App> windows;
Tfmekalon* Main() { return windows->MainWindow(); }

namespace fs = std::filesystem;

struct Scratch {
    QTemporaryDir dir;
    std::string dictionary;
    Scratch() {
        const char* shared = std::getenv("MEKALON_SHARED_DATA");
        dictionary = dir.path().toStdString() + "/th-en.dic";
        fs::copy_file(std::string(shared ? shared : MEKALON_SHARED_DATA) + "/th-en.dic", dictionary);
        const std::string config = dir.path().toStdString() + "/config";
        setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        // A real run leaves the settings: it opens the dictionary and some texts, changes modes.
        windows = StartProgram({});
        Main()->OpenDictionary(dictionary);
        for (int i = 0; i < 10; ++i) {
            const std::string text = dir.path().toStdString() + "/t" + std::to_string(i) + ".txt";
            fs::copy_file(dictionary, text);
            Main()->OpenFile(text);
        }
        Main()->MediumGraphicsClick();
        Main()->KeyboardF21Click();
        Main()->move(40, 50);
        EndProgram(std::move(windows));
    }
};

Scratch& Data() {
    static Scratch scratch;
    return scratch;
}

void Shown() {
    if (!QTest::qWaitForWindowExposed(Main())) std::abort();
    QCoreApplication::processEvents();
}

void Finish(benchmark::State& state) {
    state.PauseTiming();
    Main()->Tm1->Modified = false;
    Main()->dicchanged = false;
    EndProgram(std::move(windows));
    state.ResumeTiming();
}

void BM_Start_AsBefore(benchmark::State& state) {
    Data();
    for (auto _ : state) {
        windows = std::make_unique<App>();
        Main()->show();
        StartWith(*Main(), {});
        Shown();
        Finish(state);
    }
}
BENCHMARK(BM_Start_AsBefore)->Unit(benchmark::kMillisecond);

void BM_Start_NoSettings(benchmark::State& state) {
    Data();
    CommandLine options;
    options.noSettings = true;
    for (auto _ : state) {
        windows = StartProgram(options);
        Shown();
        Finish(state);
    }
}
BENCHMARK(BM_Start_NoSettings)->Unit(benchmark::kMillisecond);

void BM_Start_KeptSettingsAndLastDictionary(benchmark::State& state) {
    Data();
    for (auto _ : state) {
        windows = StartProgram({});
        Shown();
        if (Main()->diclist.Count() == 0) state.SkipWithError("the last dictionary did not open");
        Finish(state);
    }
}
BENCHMARK(BM_Start_KeptSettingsAndLastDictionary)->Unit(benchmark::kMillisecond);

void BM_Start_DictionaryOnTheCommandLine(benchmark::State& state) {
    CommandLine options;
    options.noSettings = true;
    options.dictionary = Data().dictionary;
    for (auto _ : state) {
        windows = StartProgram(options);
        Shown();
        Finish(state);
    }
}
BENCHMARK(BM_Start_DictionaryOnTheCommandLine)->Unit(benchmark::kMillisecond);

}  // namespace
