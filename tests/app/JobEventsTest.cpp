#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "app/JobEvents.h"

namespace kw {
namespace {

TEST(JobEvents, AtMostOneProgressMessageWaitsWhateverTheBatchSize) {
    JobEvents events{std::chrono::milliseconds(0)};
    int posts = 0;
    for (int i = 1; i <= 20000; ++i) {
        std::string name = "f";
        name += std::to_string(i);
        if (events.StoreProgress(i, 20000, std::move(name))) ++posts;
    }
    EXPECT_EQ(posts, 1);
    JobEvents::Taken taken = events.Take();
    ASSERT_TRUE(taken.progress.has_value());
    EXPECT_EQ(taken.progress->done, 20000);  // only the latest report survives
    EXPECT_EQ(taken.progress->current, "f20000");
    EXPECT_TRUE(taken.results.empty());

    // Drained: the next report is announced again.
    EXPECT_TRUE(events.StoreProgress(1, 1, "next"));
    EXPECT_FALSE(events.StoreProgress(1, 1, "next"));
    events.ProgressPostFailed();
    EXPECT_TRUE(events.StoreProgress(1, 1, "retry"));
    EXPECT_EQ(events.MaxQueuedProgressPosts(), 1);

    // Within the interval a report is not announced, but it is not lost either: the next take
    // (the window's timer, any message) has the latest.
    JobEvents paced{std::chrono::hours(1)};
    EXPECT_TRUE(paced.StoreProgress(1, 3, "a"));
    paced.Take();
    EXPECT_FALSE(paced.StoreProgress(2, 3, "b"));
    EXPECT_FALSE(paced.StoreProgress(3, 3, "c"));
    const JobEvents::Taken held = paced.Take();
    ASSERT_TRUE(held.progress.has_value());
    EXPECT_EQ(held.progress->current, "c");
    paced.ProgressPostFailed();  // a post that failed is retried at once
    EXPECT_TRUE(paced.StoreProgress(3, 3, "c"));
}

// Two batches can finish before the UI thread takes anything (while a modal loop runs, say):
// both results come out, in order, and each only once.
TEST(JobEvents, EveryResultIsTakenOnceInTheOrderTheBatchesFinished) {
    JobEvents events;
    for (int batch = 1; batch <= 2; ++batch) {
        RouteJobResult result;
        result.failed = batch;
        events.StoreResult(std::move(result));
    }
    const JobEvents::Taken both = events.Take();
    ASSERT_EQ(both.results.size(), 2u);
    EXPECT_EQ(both.results[0].failed, 1);
    EXPECT_EQ(both.results[1].failed, 2);

    // And with the worker storing while the UI thread takes.
    std::thread worker([&] {
        for (int batch = 1; batch <= 2; ++batch) {
            for (int i = 1; i <= 5000; ++i) events.StoreProgress(i, 5000, "x");
            RouteJobResult result;
            result.moved = batch;
            events.StoreResult(std::move(result));
        }
    });
    std::vector<int> taken;
    while (taken.size() < 2)
        for (const RouteJobResult& result : events.Take().results) taken.push_back(result.moved);
    worker.join();
    EXPECT_EQ(taken, (std::vector<int>{1, 2}));
    EXPECT_TRUE(events.Take().results.empty());
}

}  // namespace
}  // namespace kw
