#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "routing/PlanJob.h"
#include "support/TempDir.h"

namespace kw {
namespace {
namespace fs = std::filesystem;
using namespace std::chrono;

// A plan whose listing is stuck (a share that does not answer) is replaced and cancelled without
// anyone waiting for it: the next plan is made meanwhile, and the stuck one ends on its own once
// its drive answers, its late result never taken for the new one's.
TEST(PlanJob, NeverWaitsForAStuckPlan) {
    test::TempDir dir;
    test::WriteFile(dir / L"a.pdf", "a");
    std::mutex mutex;
    std::condition_variable answered;
    bool shareAnswers = false, listingStarted = false;
    const PlanJob::Prepare stuck = [&](std::vector<fs::path> dropped, const std::atomic<bool>&) {
        std::unique_lock lock(mutex);
        listingStarted = true;
        answered.notify_all();
        answered.wait(lock, [&] { return shareAnswers; });
        return dropped;
    };
    PlanJob job;
    AppSettings settings;
    job.Start(settings, {L"\\\\server\\share\\gone.pdf"}, stuck, nullptr);
    {
        std::unique_lock lock(mutex);
        answered.wait(lock, [&] { return listingStarted; });
    }
    const auto before = steady_clock::now();
    job.Start(settings, {dir / L"a.pdf"}, nullptr, nullptr);
    job.Cancel();
    job.Start(settings, {dir / L"a.pdf"}, nullptr, nullptr);
    EXPECT_LT(steady_clock::now() - before, milliseconds(500)) << "the window waited for a stuck plan";
    std::optional<std::vector<ItemPlan>> plans;
    for (int i = 0; i < 500 && !plans; ++i) {
        std::this_thread::sleep_for(milliseconds(10));
        plans = job.Take();
    }
    ASSERT_TRUE(plans);
    ASSERT_EQ(plans->size(), 1u);
    EXPECT_EQ(plans->front().item, dir / L"a.pdf");
    EXPECT_EQ(job.StillEnding(), 1u);

    {
        std::lock_guard lock(mutex);
        shareAnswers = true;
    }
    answered.notify_all();
    for (int i = 0; i < 500 && job.StillEnding() > 0; ++i) std::this_thread::sleep_for(milliseconds(10));
    EXPECT_EQ(job.StillEnding(), 0u);
    EXPECT_FALSE(job.Take()) << "a plan taken twice, or the stuck plan's result taken";
}

}  // namespace
}  // namespace kw
