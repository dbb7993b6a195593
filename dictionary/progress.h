// The link between a long job of the dictionary (reading a large file into the list, building the
// search index, a search) and the window that started it, so that the window keeps answering and
// a key can stop the job.
//
// The job calls Tick at fixed points of its work, after every small step (a line split off, two
// lines compared, a word indexed). Every so many steps Tick looks at the clock, and once the
// interval has passed since the last report it hands the share of the job done to the report.
// The report lets pending window events run and says whether the job goes on; when it does not,
// Tick throws JobStopped, which unwinds the job. A job builds its result aside and puts it in
// place only at its end, so a stopped job leaves everything as it was.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

namespace dictionary {

// Thrown by Progress::Tick when the report asked the job to stop.
struct JobStopped {};

class Progress {
public:
    // Called with the share of the job done, in thousandths; returns false to stop the job.
    using Report = std::function<bool(int permille)>;

    Progress() = default;  // a job nobody watches: it never reports and never stops
    explicit Progress(Report report);

    // The steps from here on make up the thousandths [from, to) of the job, `steps` of them.
    void Phase(int from, int to, std::uint64_t steps);
    // A job that is part of a larger one: its thousandths [0, 1000) are the thousandths [from, to)
    // of the larger job's report.
    void Within(int from, int to);
    // `steps` small steps done (0: a small step that the share does not count). Throws
    // JobStopped.
    void Tick(std::uint64_t steps = 1) {
        done_ += steps;
        pending_ += steps ? steps : 1;
        if (pending_ >= kStepsPerCheck) Check();
    }
    // Reports at once, whatever the time: a job shows its progress as soon as it starts. Throws
    // JobStopped.
    void ReportNow();
    bool Watched() const { return static_cast<bool>(report_); }

    // The least time between two reports. At 0 every check of the clock reports (every
    // kStepsPerCheck steps), which lets a test stop a job part way at a chosen report.
    static std::chrono::nanoseconds& Interval();
    static constexpr std::uint64_t kStepsPerCheck = 1024;

private:
    void Check();
    int Share() const;

    Report report_;
    std::chrono::steady_clock::time_point last_{};
    std::uint64_t done_ = 0;
    std::uint64_t pending_ = 0;  // steps since the clock was last looked at
    std::uint64_t steps_ = 1;
    int from_ = 0, to_ = 1000;
    int spanFrom_ = 0, spanTo_ = 1000;
};

// Gives the memory of a vector back at once (assigning {} keeps it).
template <typename Vector>
void Release(Vector& v) {
    Vector().swap(v);
}

}  // namespace dictionary
