// Printing. `mekalon --pdf` of a 1 MB text (the first 20,000 lines of the large text): the time of
// the whole export, with the pages it made and the size of the file. Esc during the Print command
// on a 100 MB selection, through the real main window into a PDF file: the time from the command
// to the first moment the window answers again, the longest the window then goes without
// answering, and the time from Esc to the command's end (targets: the last two under 100 ms).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPrinter>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/pdfexport.h"
#include "app/app.h"
#include "app/umekalon.h"
#include "bench/large_text.h"
#include "editor/lines.h"
#include "platform/qt_printer.h"
#include "platform/services.h"

namespace {

// The program's windows while a benchmark runs.
std::unique_ptr<App> windows;
Tfmekalon* Main() { return windows->MainWindow(); }

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// The first `bytes` of the large text, whole lines.
std::string Text(size_t bytes) {
    const std::string& all = bench::LargeText();
    std::string out;
    while (out.size() < bytes) {
        const size_t room = bytes - out.size();
        if (room >= all.size()) {
            out += all;
        } else {
            const size_t cut = all.rfind("\r\n", room);
            out.append(all, 0, cut == std::string::npos ? room : cut + 2);
            break;
        }
    }
    return out;
}

void BM_PdfExportOneMegabyte(benchmark::State& state) {
    QTemporaryDir dir;
    const QString input = dir.filePath("text.txt"), output = dir.filePath("text.pdf");
    {
        const std::string text = Text(1 << 20);
        std::ofstream(input.toStdString(), std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    QStringList arguments{"mekalon", "--pdf", output};
    if (state.range(0) == 0)  // font mode with Loma; otherwise that glyph size
        arguments << "--font" << "Loma";
    else
        arguments << "--size" << QString::number(state.range(0));
    arguments << input;
    for (auto _ : state) {
        if (pdfexport::Export(arguments) != 0) state.SkipWithError("the export failed");
    }
    state.counters["pdf_MB"] = static_cast<double>(QFileInfo(output).size()) / (1 << 20);
}
BENCHMARK(BM_PdfExportOneMegabyte)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(1);

// Services that answer the print dialog and, while printing lets events run, press Esc in the
// editor once the job has run for a while; they record when the window got to answer.
class EscServices : public platform::Services {
public:
    bool PrintDialog() override { return true; }
    void ShowMessage(const std::string&) override {}
    void ShowWarning(const std::string&) override {}
    void ReportError(const std::string& message) override { error = message; }
    void ProcessMessages() override {
        const Clock::time_point now = Clock::now();
        if (polls++ == 0)
            firstPoll = now;
        else
            longestGap = std::max(longestGap, Ms(lastPoll, now));
        lastPoll = now;
        if (!escSent && Ms(firstPoll, now) >= 1000) {
            escSent = true;
            esc = now;
            QCoreApplication::postEvent(Main()->Tm1->tcm, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        }
        QCoreApplication::processEvents();
    }
    Clock::time_point lastPoll, firstPoll, esc;
    double longestGap = 0;
    long polls = 0;
    bool escSent = false;
    std::string error;
};

void BM_EscDuringPrintOfHundredMegabytes(benchmark::State& state) {
    QTemporaryDir dir;
    windows = std::make_unique<App>();
    Main()->show();
    Main()->Tm1->Lines.Assign(SplitLines(Text(100u << 20)));
    Main()->textfile = dir.filePath("text.txt").toStdString();
    QPrinter& printer = platform::SystemPrinter();
    printer.setOutputFormat(QPrinter::PdfFormat);  // into text.pdf, whatever printers there are
    QApplication::processEvents();
    EscServices services;
    platform::Install(&services);
    double first = 0, esc = 0;
    for (auto _ : state) {
        Main()->SelectAll->trigger();
        services.polls = 0;
        services.longestGap = 0;
        services.escSent = false;
        const Clock::time_point start = Clock::now();
        services.lastPoll = start;
        Main()->Printsel->trigger();
        const Clock::time_point end = Clock::now();
        first = Ms(start, services.firstPoll);
        esc = Ms(services.esc, end);
        if (!services.escSent) state.SkipWithError("printing ended before Esc");
    }
    platform::Install(nullptr);
    if (!services.error.empty()) state.SkipWithError(services.error.c_str());
    state.counters["text_MB"] = static_cast<double>(Main()->Tm1->JoinedText().size()) / (1 << 20);
    state.counters["first_answer_ms"] = first;
    state.counters["longest_gap_ms"] = services.longestGap;
    state.counters["esc_to_end_ms"] = esc;
    Main()->Tm1->Modified = false;
    windows.reset();
}
BENCHMARK(BM_EscDuringPrintOfHundredMegabytes)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
