// Stopping a long job: a word-list search or a print job runs on the event thread and lets
// pending window events run between its steps, so that a key (Esc), a command or a closed window
// seen there can stop it.
//
// A job registers itself for as long as it runs by keeping a RunningJob. Cancelling it marks it
// cancelled and calls the stop action the job gave, if any (a print job aborts the printer at
// once); a job without one polls Cancelled() between its steps. CancelRunningJobs cancels every
// registered job, whoever started it: that is what Esc does. Everything here runs on the event
// thread.
#pragma once

#include <functional>

namespace platform {

class RunningJob {
public:
    // Registers the job; `onCancel` (may be empty) is called once, when the job is cancelled.
    explicit RunningJob(std::function<void()> onCancel = nullptr);
    // Unregisters the job, however it ends.
    ~RunningJob();
    RunningJob(const RunningJob&) = delete;
    RunningJob& operator=(const RunningJob&) = delete;

    // Marks the job cancelled and runs its stop action; a second call does nothing.
    void Cancel();
    bool Cancelled() const { return cancelled_; }

private:
    std::function<void()> onCancel_;
    bool cancelled_ = false;
};

// Cancels every registered job, the latest first. Returns whether one was still going on.
bool CancelRunningJobs();
// Whether any registered job has not been cancelled.
bool AnyJobRunning();

}  // namespace platform
