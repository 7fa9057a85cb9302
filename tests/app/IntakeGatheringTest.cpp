#include <gtest/gtest.h>

#include <chrono>

#include "app/IntakeGathering.h"

namespace kw {
namespace {

IntakeRequest FromShell(std::vector<std::wstring> paths, bool preview = false) {
    IntakeRequest request;
    request.paths = std::move(paths);
    request.preview = preview;
    return request;
}

// One process per selected item, each a moment after the last, makes one batch once the
// arrivals pause; a stream that never pauses is still cut into batches; a list from a console,
// or one whose sender waits for the outcome, is a batch of its own at once.
TEST(IntakeGathering, ListsArrivingTogetherBecomeOneBatch) {
    IntakeGathering gathering;
    gathering.Add(FromShell({L"C:\\a"}), 0, 1000);
    gathering.Add(FromShell({L"C:\\b"}), 0, 1600);
    gathering.Add(FromShell({L"C:\\a", L"C:\\c"}), 0, 2200);  // "a" named twice is routed once
    gathering.Add(FromShell({L"C:\\p"}, true), 0, 2250);      // a preview is not merged into a route
    EXPECT_TRUE(gathering.TakeDue(2899).empty());
    EXPECT_EQ(gathering.NextDue(), 2900u);
    std::vector<GatheredBatch> due = gathering.TakeDue(2950);
    ASSERT_EQ(due.size(), 2u);
    EXPECT_EQ(due[0].paths, (std::vector<std::filesystem::path>{L"C:\\a", L"C:\\b", L"C:\\c"}));
    EXPECT_TRUE(due[1].preview);
    EXPECT_FALSE(gathering.NextDue());

    for (uint64_t t = 10000; t <= 15400; t += 600) gathering.Add(FromShell({std::to_wstring(t)}), 0, t);
    due = gathering.TakeDue(15400);
    ASSERT_EQ(due.size(), 1u);
    EXPECT_EQ(due[0].paths.size(), 9u);  // 10000 ... 14800: the first list is 5 s old at 15000
    EXPECT_EQ(gathering.TakeAll().at(0).paths.size(), 1u);  // 15400 began the next batch

    IntakeRequest console = FromShell({L"C:\\x"});
    console.fromConsole = true;
    gathering.Add(console, 0, 20000);
    gathering.Add(FromShell({L"C:\\y"}), 0xBEEF, 20010);
    gathering.Add(FromShell({L"C:\\z"}), 0, 20020);
    due = gathering.TakeDue(20020);
    ASSERT_EQ(due.size(), 2u);
    EXPECT_EQ(due[0].paths, (std::vector<std::filesystem::path>{L"C:\\x"}));
    EXPECT_EQ(due[1].waiters, (std::vector<std::uintptr_t>{0xBEEF}));
    EXPECT_EQ(gathering.TakeAll().size(), 1u);  // "z" still gathering
}

// A script may hand over a hundred thousand paths: each is routed once, in the order first
// named, however it was spelt (letter case, doubled or forward separators), and the gathering
// takes time in proportion to the list (it took tens of seconds when each path was compared with
// every one before it).
TEST(IntakeGathering, RepeatsAreTakenOutInOrderAndInLinearTime) {
    IntakeGathering gathering;
    gathering.Add(FromShell({L"C:\\In\\b.txt", L"C:\\In\\a.txt", L"c:\\in\\B.TXT", L"C:/In//a.txt",
                             L"\\\\server\\share\\x", L"\\\\SERVER\\Share\\X", L"C:\\In\\c.txt"}),
                  0, 1000);
    gathering.Add(FromShell({L"C:\\IN\\C.TXT", L"C:\\In\\d.txt"}), 0, 1100);
    std::vector<GatheredBatch> due = gathering.TakeAll();
    ASSERT_EQ(due.size(), 1u);
    EXPECT_EQ(due[0].paths, (std::vector<std::filesystem::path>{L"C:\\In\\b.txt", L"C:\\In\\a.txt",
                                                                 L"\\\\server\\share\\x", L"C:\\In\\c.txt",
                                                                 L"C:\\In\\d.txt"}));

    std::vector<std::wstring> many;
    for (int i = 0; i < 100000; ++i) many.push_back(L"C:\\Data\\" + std::to_wstring(i % 50000) + L".dat");
    IntakeRequest console = FromShell(many);
    console.fromConsole = true;
    const auto start = std::chrono::steady_clock::now();
    gathering.Add(console, 0, 2000);
    const auto spent = std::chrono::steady_clock::now() - start;
    due = gathering.TakeDue(2000);
    ASSERT_EQ(due.size(), 1u);
    ASSERT_EQ(due[0].paths.size(), 50000u);
    EXPECT_EQ(due[0].paths[49999], std::filesystem::path(L"C:\\Data\\49999.dat"));
    EXPECT_LT(spent, std::chrono::seconds(1));
}

}  // namespace
}  // namespace kw
