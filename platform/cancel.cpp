// The register of running jobs and their cancellation.
#include "platform/cancel.h"

#include <algorithm>
#include <vector>

namespace platform {

namespace {

// The jobs that run now, in the order they started (a job may start while another one lets
// events run: a print command during a search).
std::vector<RunningJob*>& Running() {
    static std::vector<RunningJob*> jobs;
    return jobs;
}

}  // namespace

RunningJob::RunningJob(std::function<void()> onCancel) : onCancel_(std::move(onCancel)) {
    Running().push_back(this);
}

RunningJob::~RunningJob() {
    auto& jobs = Running();
    jobs.erase(std::remove(jobs.begin(), jobs.end(), this), jobs.end());
}

void RunningJob::Cancel() {
    if (cancelled_) return;
    cancelled_ = true;
    if (onCancel_) onCancel_();
}

bool CancelRunningJobs() {
    bool any = false;
    // A stop action may end other jobs: each one is looked up again before it is cancelled.
    const std::vector<RunningJob*> snapshot = Running();
    for (auto it = snapshot.rbegin(); it != snapshot.rend(); ++it) {
        const auto& jobs = Running();
        if (std::find(jobs.begin(), jobs.end(), *it) == jobs.end() || (*it)->Cancelled()) continue;
        (*it)->Cancel();
        any = true;
    }
    return any;
}

bool AnyJobRunning() {
    const auto& jobs = Running();
    return std::any_of(jobs.begin(), jobs.end(), [](const RunningJob* job) { return !job->Cancelled(); });
}

}  // namespace platform
