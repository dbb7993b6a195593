// The Wordlist command through the real windows: one editor line of 1,000 unspaced Thai lines
// (about 80 KB) against the hunspell-th words plus th-en.dic, from the command until the results
// window shows its last line. Target: under 150 ms. The counters give the lines listed and the
// paint events the results window received during one command.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/uergebnis.h"
#include "app/app.h"
#include "app/umekalon.h"
#include "bench/dictionary_data.h"

namespace {

// The program's windows while a benchmark runs.
std::unique_ptr<App> windows;
Tfmekalon* Main() { return windows->MainWindow(); }
TFergebnis* Results() { return windows->Tools().Fergebnis; }

// Counts the paint events of one window and its children.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* window) : window_(window) { qApp->installEventFilter(this); }
    ~PaintCounter() override { qApp->removeEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched->isWidgetType()) {
            auto* w = static_cast<QWidget*>(watched);
            if (w == window_ || window_->isAncestorOf(w)) ++count;
        }
        return false;
    }

private:
    QWidget* window_;
};

void BM_WordlistThousandUnspacedLines(benchmark::State& state) {
    const auto& data = bench::TheDictionaryData();
    if (data.unspaced.empty()) {
        state.SkipWithError("hunspell-th is not installed");
        return;
    }
    windows = std::make_unique<App>();
    Main()->show();
    Main()->diclist.LoadFromBytes(data.dictionaryBytes);
    std::string line;
    for (const std::string& l : data.unspaced) line += l;
    Main()->Tm1->Lines.Assign({line});
    Main()->Tm1->SetCursor(0, 0);
    QApplication::processEvents();

    int listed = 0;
    int paints = 0;
    for (auto _ : state) {
        PaintCounter counter(Results());
        Main()->Wordlist->trigger();
        QApplication::processEvents();  // the window shows the view from the top
        listed = Results()->results->LineCount() - 1;
        paints = counter.count;
    }
    state.counters["text_bytes"] = static_cast<double>(line.size());
    state.counters["dictionary_lines"] = Main()->diclist.Count();
    state.counters["lines_listed"] = listed;
    state.counters["paints"] = paints;
    Main()->Tm1->Modified = false;
    Main()->dicchanged = false;
    windows.reset();
}
BENCHMARK(BM_WordlistThousandUnspacedLines)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
