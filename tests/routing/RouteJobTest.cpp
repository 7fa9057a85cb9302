#include <gtest/gtest.h>

#include <objbase.h>

#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>

#include "model/TextEncoding.h"
#include "routing/ItemActions.h"
#include "routing/RouteJob.h"
#include "routing/RouteMessages.h"
#include "support/EditorSave.h"
#include "support/Fixtures.h"
#include "support/HeldFile.h"
#include "support/TempDir.h"

namespace kw {
namespace {
namespace fs = std::filesystem;
using namespace std::chrono_literals;

// A gate the test opens to let a blocked item step continue.
class Gate {
public:
    void Open() {
        std::lock_guard lock(mutex);
        open = true;
        changed.notify_all();
    }
    void Wait() {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return open; });
    }

private:
    std::mutex mutex;
    std::condition_variable changed;
    bool open = false;
};

RouteItemResult Outcome(const fs::path& item, bool ok, bool skipped) {
    return RouteItemResult{PathToUtf8(item), "", "", "done", ok, skipped};
}

// Waits for a batch's result; a worker that died would never deliver one.
RouteJobResult Await(std::future<RouteJobResult>& result) {
    if (result.wait_for(120s) != std::future_status::ready) {
        ADD_FAILURE() << "the batch never completed";
        return {};
    }
    return result.get();
}

TEST(RouteJob, EmptyListCompletesAtOnceWithoutRunning) {
    RouteJob job;
    bool called = false;
    job.Start(AppSettings{}, {}, [&](RouteJobResult r) {
        called = true;
        EXPECT_TRUE(r.items.empty());
        EXPECT_EQ(r.moved + r.skipped + r.failed, 0);
    }, {});
    EXPECT_TRUE(called);
    EXPECT_FALSE(job.IsRunning());
}

TEST(RouteJob, ReportsProgressBeforeEachItemAndKeepsInputOrder) {
    std::mutex mutex;
    std::vector<std::string> events;
    RouteJob job([&](const fs::path& item, BatchCache&) {
        std::lock_guard lock(mutex);
        events.push_back("step " + item.filename().string());
        return Outcome(item, true, false);
    });
    std::promise<RouteJobResult> done;
    auto result = done.get_future();
    int completions = 0;
    job.Start(AppSettings{}, {L"C:\\in\\b.txt", L"C:\\in\\a.txt", L"C:\\in\\b.txt"},
              [&](RouteJobResult r) {
                  ++completions;
                  EXPECT_FALSE(job.IsRunning());
                  done.set_value(std::move(r));
              },
              [&](int index, int total, std::string name) {
                  std::lock_guard lock(mutex);
                  events.push_back("progress " + std::to_string(index) + "/" + std::to_string(total) + " " + name);
              });
    const RouteJobResult r = Await(result);
    EXPECT_EQ(events, (std::vector<std::string>{"progress 1/3 b.txt", "step b.txt", "progress 2/3 a.txt", "step a.txt",
                                                "progress 3/3 b.txt", "step b.txt"}));
    ASSERT_EQ(r.items.size(), 3u);
    EXPECT_EQ(r.items[1].source, "C:\\in\\a.txt");
    EXPECT_EQ(r.moved, 3);
    EXPECT_EQ(completions, 1);
}

// Items may go to the Recycle Bin through the shell, which wants a single-threaded apartment.
// The shell is called from a single-threaded apartment, entered only by a batch that needs one,
// and left with it; batches run one after another on the same thread.
TEST(RouteJob, EntersAnApartmentOnlyWhenAskedAndLeavesItWithTheBatch) {
    std::vector<HRESULT> joined;
    std::vector<std::thread::id> threads;
    RouteJob job([&](const fs::path& item, BatchCache& batch) {
        if (item == L"shell") batch.EnterComApartment();
        const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // S_FALSE: already in one
        if (SUCCEEDED(hr)) CoUninitialize();
        joined.push_back(hr);
        threads.push_back(std::this_thread::get_id());
        return Outcome(item, true, false);
    });
    for (const wchar_t* items : {L"plain", L"shell", L"plain"}) {
        std::promise<RouteJobResult> done;
        auto result = done.get_future();
        job.Start(AppSettings{}, {items}, [&](RouteJobResult r) { done.set_value(std::move(r)); }, {});
        Await(result);
        job.Wait();
    }
    EXPECT_EQ(joined, (std::vector<HRESULT>{S_OK, S_FALSE, S_OK}));
    ASSERT_EQ(threads.size(), 3u);
    EXPECT_TRUE(threads[0] == threads[1] && threads[1] == threads[2]);
}

// Listing dropped folders can take minutes: it is the batch's first phase, on the worker.
template <typename Prepare>
BatchHooks Preparing(Prepare prepare) {
    BatchHooks hooks;
    hooks.prepare = std::move(prepare);
    return hooks;
}

TEST(RouteJob, PreparesItsItemsOnTheWorkerBeforeRoutingThem) {
    std::mutex mutex;
    std::vector<std::string> events;
    std::thread::id preparedOn;
    RouteJob job([&](const fs::path& item, const BatchCache&) {
        std::lock_guard lock(mutex);
        events.push_back("step " + item.filename().string());
        return Outcome(item, true, false);
    });
    std::promise<RouteJobResult> done;
    auto result = done.get_future();
    job.Start(
        AppSettings{}, {L"C:\\in\\Folder"}, [&](RouteJobResult r) { done.set_value(std::move(r)); },
        [&](int index, int total, std::string name) {
            std::lock_guard lock(mutex);
            events.push_back("progress " + std::to_string(index) + "/" + std::to_string(total) + " " + name);
        },
        Preparing([&](std::vector<fs::path> dropped, const std::atomic<bool>&) {
            preparedOn = std::this_thread::get_id();
            std::lock_guard lock(mutex);
            events.push_back("prepare " + dropped.at(0).filename().string());
            return std::vector<fs::path>{dropped[0] / L"x.txt", dropped[0] / L"y.txt"};
        }));
    const RouteJobResult r = Await(result);
    EXPECT_NE(preparedOn, std::this_thread::get_id());
    EXPECT_EQ(events, (std::vector<std::string>{"prepare Folder", "progress 1/2 x.txt", "step x.txt",
                                                "progress 2/2 y.txt", "step y.txt"}));
    EXPECT_EQ(r.moved, 2);

    // A preparation that leaves nothing ends the batch with no items.
    std::promise<RouteJobResult> empty;
    auto emptyResult = empty.get_future();
    job.Start(AppSettings{}, {L"C:\\in\\Empty"}, [&](RouteJobResult r) { empty.set_value(std::move(r)); }, {},
              Preparing([](std::vector<fs::path>, const std::atomic<bool>&) { return std::vector<fs::path>{}; }));
    const RouteJobResult nothing = Await(emptyResult);
    EXPECT_TRUE(nothing.items.empty());
    EXPECT_EQ(nothing.notHandled, 0);
}

TEST(RouteJob, CountsEachKindOfOutcome) {
    int call = 0;
    RouteJob job([&](const fs::path& item, BatchCache&) {
        switch (call++) {
            case 0: return Outcome(item, true, false);   // moved
            case 1: return Outcome(item, true, true);    // left alone
            case 2: return Outcome(item, false, true);   // name conflict
            default: return Outcome(item, false, false); // failed
        }
    });
    std::promise<RouteJobResult> done;
    auto result = done.get_future();
    job.Start(AppSettings{}, {L"a", L"b", L"c", L"d", L"e"}, [&](RouteJobResult r) { done.set_value(std::move(r)); }, {});
    const RouteJobResult r = Await(result);
    EXPECT_EQ(r.moved, 1);
    EXPECT_EQ(r.skipped, 2);
    EXPECT_EQ(r.failed, 2);
}

// Names like a staging folder's that no journal of this installation accounts for (another copy
// of the program's, a user's own) are never deleted: a destination the batch copies into is
// looked at once, and what is there is reported; the folders the items come from are not touched.
TEST(RouteJob, LeavesStagingNamesNoJournalAccountsForAndReportsThoseInItsDestinations) {
    const auto volume = test::SecondVolume();
    if (!volume) GTEST_SKIP() << "needs drive T: on a second file system (run through ctest)";
    test::TempDir dir;
    const fs::path out = *volume / (L"kw-leftovers-" + std::to_wstring(GetCurrentProcessId()));
    test::WriteFile(out / L"~kfpart-0000beef-0003" / L"half.bin", "half");
    test::WriteFile(dir / L"item.txt", "item");
    test::WriteFile(dir / L"second.txt", "second");
    test::WriteFile(dir / L"~kfpart-00c0ffee-0004" / L"remains.txt", "someone's");
    AppSettings s;
    s.noMatchPolicy = NoMatchPolicy::unsorted;
    s.catchAllPath = PathToUtf8(out);
    RouteJob job;
    std::promise<RouteJobResult> done;
    auto result = done.get_future();
    job.Start(s, {dir / L"item.txt", dir / L"second.txt"}, [&](RouteJobResult r) { done.set_value(std::move(r)); }, {});
    const RouteJobResult r = Await(result);
    EXPECT_EQ(r.moved, 2);
    EXPECT_EQ(test::ReadFile(out / L"~kfpart-0000beef-0003" / L"half.bin"), "half");
    EXPECT_EQ(test::ReadFile(dir / L"~kfpart-00c0ffee-0004" / L"remains.txt"), "someone's");
    EXPECT_EQ(test::ReadFile(out / L"item.txt"), "item");
    ASSERT_EQ(r.notes.size(), 1u);
    EXPECT_NE(r.notes[0].find("~kfpart-0000beef-0003 looks like an unfinished copy"), std::string::npos) << r.notes[0];
    test::RemoveTree(out);
}

// Moves across volumes share one journal flush per group, and a source goes only after it: each
// item's outcome is still its own and comes in input order (a source that cannot go fails alone,
// with no copy left at the target), more items than one group hold are all moved, and an item
// listed twice is not copied twice while its first move waits for the group.
TEST(RouteJob, MovesAcrossVolumesInGroupsWithEachOutcomeItsOwn) {
    const auto volume = test::SecondVolume();
    if (!volume) GTEST_SKIP() << "needs drive T: on a second file system (run through ctest)";
    test::TempDir dir;
    const fs::path out = *volume / (L"kw-groups-" + std::to_wstring(GetCurrentProcessId()));
    std::vector<fs::path> items;
    for (int i = 0; i < 100; ++i) {
        items.push_back(dir / (L"f" + std::to_wstring(i) + L".txt"));
        test::WriteFile(items.back(), "item " + std::to_string(i));
    }
    items.insert(items.begin() + 50, items[10]);  // dropped twice
    AppSettings s;
    s.noMatchPolicy = NoMatchPolicy::unsorted;
    s.catchAllPath = PathToUtf8(out);
    test::HeldFile held(dir / L"f30.txt", test::Sharing::readers);
    ASSERT_TRUE(held.Held());
    RouteJob job;
    std::vector<std::string> recorded;
    BatchHooks hooks;
    // While f2 and f3 wait for their group's commit, they are saved: f3 by the user (refused: it
    // is held until its deletion), f2 by a program that had it open for writing before the batch
    // (it stays where it was, with the new text).
    test::OpenForWriting writer(dir / L"f2.txt");
    ASSERT_TRUE(writer.Opened());
    hooks.step = [&](size_t index, const fs::path& item, BatchCache& cache) {
        if (index == 5) {
            EXPECT_FALSE(test::SaveInPlace(dir / L"f3.txt", "saved"));
            writer.SaveAndClose("saved");
        }
        return RouteItem(item, cache);
    };
    hooks.itemDone = [&](const fs::path&, const RouteItemResult& r) { recorded.push_back(r.source + (r.ok ? " ok" : " failed")); };
    std::promise<RouteJobResult> done;
    auto result = done.get_future();
    job.Start(s, items, [&](RouteJobResult r) { done.set_value(std::move(r)); }, {}, std::move(hooks));
    const RouteJobResult r = Await(result);
    held.Release();
    EXPECT_EQ(r.moved, 98);
    EXPECT_EQ(r.failed, 3);  // the held file, f2 (saved meanwhile), the second listing of f10 (already moved)
    EXPECT_EQ(r.items[2].message, kMessageSourceChanged);
    EXPECT_EQ(test::ReadFile(dir / L"f2.txt"), "saved");
    EXPECT_FALSE(fs::exists(out / L"f2.txt"));
    ASSERT_EQ(r.items.size(), items.size());
    ASSERT_EQ(recorded.size(), items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(r.items[i].source, PathToUtf8(items[i]));
        EXPECT_EQ(recorded[i], r.items[i].source + (r.items[i].ok ? " ok" : " failed"));  // the history sees the outcome
    }
    EXPECT_FALSE(r.items[30].ok);
    EXPECT_EQ(test::ReadFile(dir / L"f30.txt"), "item 30");
    EXPECT_FALSE(fs::exists(out / L"f30.txt"));
    EXPECT_FALSE(r.items[50].ok);
    for (int i = 0; i < 100; ++i) {
        if (i == 30 || i == 2) continue;
        EXPECT_EQ(test::ReadFile(out / (L"f" + std::to_wstring(i) + L".txt")), "item " + std::to_string(i));
    }
    EXPECT_EQ(test::EntryCount(out), 98u);  // no second copy, no staging
    EXPECT_EQ(test::EntryCount(dir.Path()), 2u);
    test::RemoveTree(out);
}

// Batches started while one runs wait and run after it, in order, each as a batch of its own;
// those still waiting can be dropped, and say that nothing of them was handled.
TEST(RouteJob, QueuesBatchesStartedWhileOneRunsAndCanDropThem) {
    Gate gate;
    std::promise<void> entered;
    std::atomic<bool> signalled{false};
    std::vector<std::string> order;  // written by the worker only
    RouteJob job([&](const fs::path& item, BatchCache&) {
        if (!signalled.exchange(true)) entered.set_value();
        gate.Wait();
        order.push_back(PathToUtf8(item));
        return Outcome(item, true, false);
    });
    std::promise<RouteJobResult> first, second, third;
    auto firstResult = first.get_future(), secondResult = second.get_future(), thirdResult = third.get_future();
    job.Start(AppSettings{}, {L"a", L"b"}, [&](RouteJobResult r) { first.set_value(std::move(r)); }, {});
    entered.get_future().wait();  // the first batch is in hand
    job.Start(AppSettings{}, {L"c"}, [&](RouteJobResult r) { second.set_value(std::move(r)); }, {});
    job.Start(AppSettings{}, {L"d", L"e"}, [&](RouteJobResult r) { third.set_value(std::move(r)); }, {});
    EXPECT_EQ(job.Queued().batches, 2);
    EXPECT_EQ(job.Queued().items, 3);
    EXPECT_TRUE(job.IsRunning());

    gate.Open();
    EXPECT_EQ(Await(firstResult).moved, 2);
    EXPECT_EQ(Await(secondResult).moved, 1);
    EXPECT_EQ(Await(thirdResult).moved, 2);
    job.Wait();
    EXPECT_EQ(order, (std::vector<std::string>{"a", "b", "c", "d", "e"}));
    EXPECT_FALSE(job.IsRunning());

    // Dropped from the queue: answered after the batch running, in order, nothing handled.
    std::promise<void> inHand;
    std::atomic<bool> told{false};
    RouteJob held([&](const fs::path& item, BatchCache&) {
        if (!told.exchange(true)) inHand.set_value();
        std::this_thread::sleep_for(50ms);
        return Outcome(item, true, false);
    });
    std::promise<RouteJobResult> running, waiting;
    auto runningResult = running.get_future(), waitingResult = waiting.get_future();
    std::vector<int> completed;  // both callbacks run on the worker, one after the other
    held.Start(AppSettings{}, {L"x", L"y"}, [&](RouteJobResult r) {
        completed.push_back(1);
        running.set_value(std::move(r));
    }, {});
    inHand.get_future().wait();
    held.Start(AppSettings{}, {L"z"}, [&](RouteJobResult r) {
        completed.push_back(2);
        waiting.set_value(std::move(r));
    }, {});
    held.DropQueued();
    EXPECT_EQ(held.Queued().batches, 0);
    EXPECT_EQ(Await(runningResult).moved, 2);
    const RouteJobResult dropped = Await(waitingResult);
    EXPECT_TRUE(dropped.items.empty());
    EXPECT_EQ(dropped.notHandled, 1);
    held.Wait();
    EXPECT_EQ(completed, (std::vector<int>{1, 2}));
}

TEST(RouteJob, NextBatchCanStartFromInsideTheCompletionCallback) {
    RouteJob job([](const fs::path& item, BatchCache&) {
        return Outcome(item, true, false);
    });
    std::promise<RouteJobResult> second;
    auto secondResult = second.get_future();
    job.Start(AppSettings{}, {L"first"}, [&](RouteJobResult) {
        job.Start(AppSettings{}, {L"second", L"third"}, [&](RouteJobResult r) { second.set_value(std::move(r)); }, {});
    }, {});
    const RouteJobResult r = Await(secondResult);
    ASSERT_EQ(r.items.size(), 2u);
    EXPECT_EQ(r.items[0].source, "second");

    // And from the starting thread right afterwards.
    std::promise<RouteJobResult> third;
    auto thirdResult = third.get_future();
    while (job.IsRunning()) std::this_thread::sleep_for(1ms);
    job.Start(AppSettings{}, {L"fourth"}, [&](RouteJobResult r) { third.set_value(std::move(r)); }, {});
    EXPECT_EQ(Await(thirdResult).items.size(), 1u);
}

TEST(RouteJob, DestructionWaitsForTheRunningBatch) {
    std::atomic<int> handled{0};
    std::atomic<bool> completed{false};
    {
        RouteJob job([&](const fs::path& item, BatchCache&) {
            std::this_thread::sleep_for(20ms);
            ++handled;
            return Outcome(item, true, false);
        });
        job.Start(AppSettings{}, {L"a", L"b", L"c", L"d"}, [&](RouteJobResult) { completed = true; }, {});
    }
    EXPECT_EQ(handled, 4);
    EXPECT_TRUE(completed);
}

TEST(RouteJob, AnExceptionFailsOnlyItsItem) {
    RouteJob job([](const fs::path& item, BatchCache&) -> RouteItemResult {
        if (item == L"bad") throw std::runtime_error("selection exploded");
        if (item == L"worse") throw 42;
        return Outcome(item, true, false);
    });
    std::promise<RouteJobResult> done;
    auto result = done.get_future();
    std::atomic<int> completions{0};
    job.Start(AppSettings{}, {L"ok1", L"bad", L"worse", L"ok2"}, [&](RouteJobResult r) {
        ++completions;
        done.set_value(std::move(r));
    }, [](int index, int, std::string) {
        if (index == 4) throw std::runtime_error("progress exploded");
    });
    const RouteJobResult r = Await(result);
    ASSERT_EQ(r.items.size(), 4u);
    EXPECT_EQ(r.items[1].message, "selection exploded");
    EXPECT_EQ(r.items[1].source, "bad");
    EXPECT_EQ(r.items[2].message, "Unexpected error.");
    EXPECT_EQ(r.items[3].message, "progress exploded");
    EXPECT_EQ(r.moved, 1);
    EXPECT_EQ(r.failed, 3);
    EXPECT_FALSE(job.IsRunning());
    EXPECT_EQ(completions, 1);
}

// A batch reads what it knows of its destination once; someone else removing the folder, or
// putting a file in its place, between two items still gives each item the right outcome. The
// destination is spelled through another drive letter where there is one, so that "already
// there" is decided by identity from what the batch knows.
TEST(RouteJob, ADestinationChangedMidBatchGivesEachItemTheRightOutcome) {
    test::TempDir dir;
    const fs::path out = dir / L"Out";
    for (const wchar_t* name : {L"a.txt", L"b.txt", L"d.txt"}) test::WriteFile(dir / L"in" / name, "x");
    fs::create_directories(out);
    AppSettings s;
    Rule rule;
    rule.name = "Text";
    rule.clauses[0].extensions = ".txt";
    rule.destination = PathToUtf8(test::ThroughAliasDrive(out).value_or(out));
    s.rules = {rule};
    RouteJob job([&](const fs::path& item, BatchCache& batch) {
        const std::wstring name = item.filename().native();
        if (name == L"b.txt") test::RemoveTree(out);
        if (name == L"c.txt") test::WriteFile(item, "already there");
        if (name == L"d.txt") {
            test::RemoveTree(out);
            test::WriteFile(out, "a file where the folder was");
        }
        return RouteItem(item, batch);
    });
    std::promise<RouteJobResult> done;
    auto result = done.get_future();
    job.Start(s, {dir / L"in" / L"a.txt", dir / L"in" / L"b.txt", out / L"c.txt", dir / L"in" / L"d.txt"},
              [&](RouteJobResult r) { done.set_value(std::move(r)); }, {});
    const RouteJobResult r = Await(result);
    ASSERT_EQ(r.items.size(), 4u);
    EXPECT_EQ(r.items[0].message, "Moved via Text");
    EXPECT_EQ(r.items[1].message, "Moved via Text");  // into the folder made anew
    EXPECT_EQ(r.items[2].message, "Skipped (already in destination folder).");
    EXPECT_FALSE(r.items[3].ok || r.items[3].skipped) << r.items[3].message;
    EXPECT_EQ(test::ReadFile(dir / L"in" / L"d.txt"), "x");
    EXPECT_EQ(test::ReadFile(out), "a file where the folder was");
}

std::string Nested(int depth, const char* inner) {
    return std::string(static_cast<size_t>(depth), '(') + inner + std::string(static_cast<size_t>(depth), ')');
}

// Patterns run on the heap, within fixed bounds, whatever the worker's stack: a pattern nested
// 200 deep on a 250-character name gets its true answer, both ways, and a catastrophic one
// gives up, is no match, and the item's log line says why.
TEST(RouteJob, PatternsGetTheirAnswerOrGiveUpAndSaySo) {
    test::TempDir dir;
    const std::wstring longName = std::wstring(246, L'b') + L".txt";
    const std::wstring slowName = std::wstring(32, L'a') + L"!";
    for (const std::wstring& name : {longName, L"b" + longName + L"x", slowName}) test::WriteFile(dir / name, "x");

    AppSettings s;
    Rule slow;
    slow.name = "Slow";
    slow.destination = PathToUtf8(dir / L"Never");
    slow.clauses[0].type = ConditionType::regex;
    slow.clauses[0].regex = "(a+)+$";
    Rule deep = slow;
    deep.name = "Deep";
    deep.destination = PathToUtf8(dir / L"Matched");
    deep.clauses[0].regex = Nested(200, ".") + "*txt$";
    s.rules = {slow, deep};

    RouteJob job;
    std::promise<RouteJobResult> done;
    auto result = done.get_future();
    job.Start(s, {dir / longName, dir / (L"b" + longName + L"x"), dir / slowName},
              [&](RouteJobResult r) { done.set_value(std::move(r)); }, {});
    const RouteJobResult r = Await(result);
    ASSERT_EQ(r.items.size(), 3u);
    EXPECT_EQ(r.items[0].message, "Moved via Deep");
    EXPECT_TRUE(fs::exists(dir / L"Matched" / longName));
    EXPECT_EQ(r.items[1].message, "Left in place (No matching rule)");
    EXPECT_EQ(r.items[2].message, "Left in place (No matching rule) \xE2\x80\x94 pattern (a+)+$ gave up after "
                                  "10000000 steps (rule Slow)");
    EXPECT_TRUE(fs::exists(dir / slowName));
}

// A stop (the user's cancel) takes effect at the next item boundary: the item in flight finishes
// whole, each finished item is reported as it completes, and the rest are counted as not routed.
TEST(RouteJob, StopEndsAtTheNextItemAndReportsEachFinishedOne) {
    Gate inFlight, release;
    std::vector<std::string> done;
    RouteJob job([&](const fs::path& item, const BatchCache&) {
        if (item == L"C:\\in\\b") {
            inFlight.Open();
            release.Wait();
        }
        return Outcome(item, true, false);
    });
    std::promise<RouteJobResult> promise;
    auto future = promise.get_future();
    BatchHooks hooks;
    hooks.itemDone = [&](const fs::path& item, const RouteItemResult&) { done.push_back(PathToUtf8(item)); };
    job.Start(AppSettings{}, {L"C:\\in\\a", L"C:\\in\\b", L"C:\\in\\c", L"C:\\in\\d"},
              [&](RouteJobResult r) { promise.set_value(std::move(r)); }, {}, hooks);
    inFlight.Wait();
    job.RequestStop();
    release.Open();
    const RouteJobResult r = Await(future);
    ASSERT_EQ(r.items.size(), 2u);
    EXPECT_EQ(r.moved, 2);
    EXPECT_EQ(r.notHandled, 2);
    EXPECT_EQ(done, (std::vector<std::string>{"C:\\in\\a", "C:\\in\\b"}));

    // The next batch starts uncancelled.
    std::promise<RouteJobResult> next;
    auto nextFuture = next.get_future();
    job.Start(AppSettings{}, {L"C:\\in\\e"}, [&](RouteJobResult r2) { next.set_value(std::move(r2)); }, {});
    EXPECT_EQ(Await(nextFuture).moved, 1);
}

}  // namespace
}  // namespace kw
