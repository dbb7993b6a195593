// Cancelling the running jobs: every registered job is reached once, the latest first, and a job
// that has ended or that another's stop action ended is left alone.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/cancel.h"

namespace {

TEST(RunningJobs, CancellingReachesEveryJobOnceLatestFirstAndEndedOnesNever) {
    EXPECT_FALSE(platform::CancelRunningJobs());
    std::string order;
    auto inner = std::make_unique<platform::RunningJob>([&] { order += "i"; });
    platform::RunningJob outer([&] { order += "o"; });
    // The last job to start ends the one before it when it is stopped.
    platform::RunningJob last([&] {
        order += "l";
        inner.reset();
    });
    {
        platform::RunningJob ended([&] { order += "e"; });
    }
    EXPECT_TRUE(platform::AnyJobRunning());
    EXPECT_TRUE(platform::CancelRunningJobs());
    EXPECT_EQ(order, "lo");
    EXPECT_TRUE(outer.Cancelled());
    EXPECT_FALSE(platform::AnyJobRunning());
    EXPECT_FALSE(platform::CancelRunningJobs());  // nothing is stopped twice
    outer.Cancel();
    EXPECT_EQ(order, "lo");

    // A job polling without a stop action sees the request.
    platform::RunningJob polled;
    EXPECT_FALSE(polled.Cancelled());
    EXPECT_TRUE(platform::AnyJobRunning());
    EXPECT_TRUE(platform::CancelRunningJobs());
    EXPECT_TRUE(polled.Cancelled());
}

}  // namespace
