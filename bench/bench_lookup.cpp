// The quick lookup window through the real windows, on a dictionary of 100,000 lines of the form
// "latin-word thai-word": one key typed into its field, from the key to the painted result line.
// "FirstKey" is the first key after the window was opened, the dictionary having changed while
// it was closed (a line inserted or deleted, as Insert Line or Delete Line do); "FirstKeyOpen"
// the first key after a change made while the window stays open; "LaterKey" a key typed after
// another. Opening the window, the change and the keys before are not timed. Target: under 5 ms,
// the first key no dearer than a later one.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <string>

#include "app/app.h"
#include "app/umekalon.h"
#include "app/urianthai.h"
#include "bench/dictionary_data.h"
#include "inputfield/thaiedit.h"

namespace {

enum Kind { kFirstKey, kFirstKeyOpen, kLaterKey };

void Lookup(benchmark::State& state, Kind kind) {
    App windows;
    Tfmekalon* fmekalon = windows.MainWindow();
    Tfrianthai* frianthai = windows.Tools().frianthai;
    fmekalon->show();
    std::string bytes;
    for (const std::string& line : bench::LookupDictionaryLines()) bytes += line + "\r\n";
    fmekalon->diclist.LoadFromBytes(bytes);
    QApplication::processEvents();
    const std::string changed = "\xA1\xD2\xC3\xB7\xB4\xCA\xCD\xBA lookup benchmark";
    bool inserted = false;
    auto change = [&] {
        dictionary::DicList& list = fmekalon->diclist;
        if (inserted)
            list.Delete(list.Find(changed));
        else
            list.Insert(changed);
        inserted = !inserted;
    };
    auto type = [frianthai](unsigned char key) {
        frianthai->te1->KeyPress(key);
        QApplication::processEvents();
    };
    if (kind != kFirstKey) {
        frianthai->show();
        QApplication::processEvents();
    }
    for (auto _ : state) {
        state.PauseTiming();
        frianthai->te1->SetText("");
        if (kind == kFirstKey) {
            frianthai->hide();
            change();
            QApplication::processEvents();
            frianthai->show();
        } else if (kind == kFirstKeyOpen) {
            change();
        } else {
            type('g');
        }
        QApplication::processEvents();
        state.ResumeTiming();
        type(kind == kLaterKey ? 'r' : 'g');
    }
    state.counters["dictionary_lines"] = fmekalon->diclist.Count();
    benchmark::DoNotOptimize(frianthai->te1->Text2().size());
    fmekalon->dicchanged = false;
}

void BM_LookupFirstKey(benchmark::State& state) { Lookup(state, kFirstKey); }
void BM_LookupFirstKeyOpen(benchmark::State& state) { Lookup(state, kFirstKeyOpen); }
void BM_LookupLaterKey(benchmark::State& state) { Lookup(state, kLaterKey); }
BENCHMARK(BM_LookupFirstKey)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LookupFirstKeyOpen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LookupLaterKey)->Unit(benchmark::kMillisecond);

}  // namespace
