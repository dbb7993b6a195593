#include "dictionary/progress.h"

#include <algorithm>

namespace dictionary {

std::chrono::nanoseconds& Progress::Interval() {
    // About 40 reports a second: the window answers at once, and letting events run costs the
    // job little.
    static std::chrono::nanoseconds interval = std::chrono::milliseconds(25);
    return interval;
}

Progress::Progress(Report report) : report_(std::move(report)), last_(std::chrono::steady_clock::now()) {}

void Progress::Within(int from, int to) {
    spanFrom_ = from;
    spanTo_ = std::max(from, to);
}

void Progress::Phase(int from, int to, std::uint64_t steps) {
    auto map = [this](int share) { return spanFrom_ + (spanTo_ - spanFrom_) * share / 1000; };
    from_ = map(from);
    to_ = std::max(from_, map(to));
    steps_ = std::max<std::uint64_t>(steps, 1);
    done_ = 0;
}

int Progress::Share() const {
    const std::uint64_t done = std::min(done_, steps_);
    return from_ + static_cast<int>(static_cast<double>(to_ - from_) * static_cast<double>(done) / static_cast<double>(steps_));
}

void Progress::ReportNow() {
    if (!report_) return;
    last_ = std::chrono::steady_clock::now();
    pending_ = 0;
    if (!report_(Share())) throw JobStopped{};
}

void Progress::Check() {
    pending_ = 0;
    if (!report_) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - last_ < Interval()) return;
    last_ = now;
    if (!report_(Share())) throw JobStopped{};
    // The report may have run for a while (events): the next interval starts after it.
    last_ = std::chrono::steady_clock::now();
}

}  // namespace dictionary
