#include <gtest/gtest.h>

#include <thread>

#include "app/JobEvents.h"

namespace kw {
namespace {

TEST(JobEvents, AtMostOneProgressMessageWaitsWhateverTheBatchSize) {
    JobEvents events;
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
    EXPECT_FALSE(taken.result.has_value());

    // Drained: the next report is announced again.
    EXPECT_TRUE(events.StoreProgress(1, 1, "next"));
    EXPECT_FALSE(events.StoreProgress(1, 1, "next"));
    events.ProgressPostFailed();
    EXPECT_TRUE(events.StoreProgress(1, 1, "retry"));
    EXPECT_EQ(events.MaxQueuedProgressPosts(), 1);
}

TEST(JobEvents, TheResultIsNeverLostAndComesAfterTheProgress) {
    JobEvents events;
    std::thread worker([&] {
        for (int i = 1; i <= 5000; ++i) events.StoreProgress(i, 5000, "x");
        RouteJobResult result;
        result.moved = 5000;
        events.StoreResult(std::move(result));
    });
    int results = 0;
    while (results == 0) {
        JobEvents::Taken taken = events.Take();
        if (taken.result) {
            ++results;
            EXPECT_EQ(taken.result->moved, 5000);
        }
    }
    worker.join();
    EXPECT_FALSE(events.Take().result.has_value());
}

}  // namespace
}  // namespace kw
