// The watcher on real folders under Wine: change notifications, listings, settling and the
// exclusive open all go through the system.

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <map>
#include <thread>

#include "model/UniqueFile.h"
#include "support/TempDir.h"
#include "watch/FolderWatcher.h"

namespace kw {
namespace {

using namespace std::chrono_literals;
using test::TempDir;
using test::WriteFile;

AppSettings Watching(const std::vector<std::filesystem::path>& folders, const std::filesystem::path& destination) {
    AppSettings s;
    Rule r;
    r.name = "Binaries";
    r.clauses[0].type = ConditionType::extension;
    r.clauses[0].extensions = "bin";
    r.destination = destination.string();
    s.rules = {r};
    for (const auto& folder : folders) {
        WatchedFolder w;
        w.path = folder.string();
        w.settleSeconds = 1;
        s.watching.folders.push_back(w);
    }
    return s;
}

// Every item handed over until `until` holds or the time is up, counted by file name.
std::map<std::wstring, int> Collect(FolderWatcher& watcher, std::chrono::milliseconds limit,
                                    const std::function<bool(const std::map<std::wstring, int>&)>& until) {
    std::map<std::wstring, int> seen;
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end && !until(seen)) {
        for (const WatchArrival& a : watcher.TakeArrivals())
            for (const auto& item : a.items) ++seen[item.filename().native()];
        std::this_thread::sleep_for(50ms);
    }
    return seen;
}

WatchState StateOf(const FolderWatcher& watcher, const std::filesystem::path& folder) {
    for (const WatchFolderStatus& s : watcher.Statuses())
        if (s.folder == folder.string()) return s.state;
    return WatchState::off;
}

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit = 5000ms) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

TEST(FolderWatcher, AFileBeingWrittenIsHandedOverOnlyOnceItIsComplete) {
    TempDir dir;
    std::filesystem::create_directories(dir / "In");
    FolderWatcher watcher([] {});
    watcher.Configure(Watching({dir / "In"}, dir / "Out"));
    ASSERT_TRUE(WaitFor([&] { return StateOf(watcher, dir / "In") == WatchState::watching; }));

    // Written as a browser does: open with read sharing only, a chunk every 400 ms for 3.2 s;
    // a second download under a partial name, renamed when done.
    UniqueFile file = OwnFile(CreateFileW((dir / "In" / "big.bin").c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                          CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file);
    const std::string chunk(64 * 1024, 'x');
    for (int i = 0; i < 8; ++i) {
        DWORD written = 0;
        ASSERT_TRUE(::WriteFile(file.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &written, nullptr));
        if (i == 4) test::WriteFile(dir / "In" / "movie.bin.part", "partial");
        for (const WatchArrival& a : watcher.TakeArrivals()) ADD_FAILURE() << "handed over while written: " << a.items[0];
        std::this_thread::sleep_for(400ms);
    }
    file.reset();
    std::filesystem::rename(dir / "In" / "movie.bin.part", dir / "In" / "movie.bin");
    const auto closed = std::chrono::steady_clock::now();
    const auto seen = Collect(watcher, 6000ms, [](const auto& s) { return s.size() == 2; });
    const auto latency = std::chrono::steady_clock::now() - closed;
    EXPECT_EQ(seen, (std::map<std::wstring, int>{{L"big.bin", 1}, {L"movie.bin", 1}}));
    EXPECT_LT(latency, 2500ms) << "settle time (1 s) plus at most a second or so";
    EXPECT_EQ(std::filesystem::file_size(dir / "In" / "big.bin"), 8 * chunk.size());
}

TEST(FolderWatcher, EveryArrivalOnceAndNothingThatWasThereOrIsTheProgramsOwn) {
    TempDir dir;
    std::filesystem::create_directories(dir / "In");
    WriteFile(dir / "In" / "before.bin", "there at the start");
    FolderWatcher watcher([] {});
    watcher.Configure(Watching({dir / "In"}, dir / "Out"));
    ASSERT_TRUE(WaitFor([&] { return StateOf(watcher, dir / "In") == WatchState::watching; }));

    watcher.NoteOwnItem(dir / "In" / "PUT-BACK.BIN");  // an undo puts an item back here
    WriteFile(dir / "In" / "put-back.bin", "moved here by the program");
    WriteFile(dir / "In" / "hidden.bin", "hidden");
    SetFileAttributesW((dir / "In" / "hidden.bin").c_str(), FILE_ATTRIBUTE_HIDDEN);
    WriteFile(dir / "In" / "left.txt", "no rule takes it");
    // A burst far beyond what one notification buffer holds.
    constexpr int kBurst = 3000;
    for (int i = 0; i < kBurst; ++i) WriteFile(dir / "In" / (L"f" + std::to_wstring(i)).append(L".bin"), "x");
    const auto seen = Collect(watcher, 60000ms, [&](const auto& s) { return s.size() >= kBurst; });
    std::this_thread::sleep_for(1500ms);  // anything handed twice would come by now
    std::map<std::wstring, int> all = seen;
    for (const WatchArrival& a : watcher.TakeArrivals())
        for (const auto& item : a.items) ++all[item.filename().native()];
    EXPECT_EQ(all.size(), static_cast<size_t>(kBurst));
    for (const auto& [name, count] : all) {
        EXPECT_EQ(count, 1) << name;
        EXPECT_EQ(name.rfind(L"f", 0), 0u) << name << " should have been left alone";
    }
}

TEST(FolderWatcher, AFolderAddedLaterIsOfferedAndAMissingOneIsWatchedOnceItIsThere) {
    TempDir dir;
    std::filesystem::create_directories(dir / "A");
    std::filesystem::create_directories(dir / "B");
    WriteFile(dir / "B" / "one.bin", "1");
    WriteFile(dir / "B" / "two.bin", "2");
    WriteFile(dir / "B" / "three.txt", "3");
    WatchTiming timing;
    timing.retryMs = 300;
    FolderWatcher watcher([] {}, timing);
    watcher.Configure(Watching({dir / "A"}, dir / "Out"));
    ASSERT_TRUE(WaitFor([&] { return StateOf(watcher, dir / "A") == WatchState::watching; }));

    watcher.Configure(Watching({dir / "A", dir / "B", dir / "C"}, dir / "Out"));
    std::vector<WatchOffer> offers;
    ASSERT_TRUE(WaitFor([&] {
        for (WatchOffer& o : watcher.TakeOffers()) offers.push_back(std::move(o));
        return !offers.empty() && StateOf(watcher, dir / "C") == WatchState::unavailable;
    }));
    ASSERT_EQ(offers.size(), 1u);
    EXPECT_EQ(offers[0].folder, (dir / "B").string());
    EXPECT_EQ(offers[0].items.size(), 2u) << "what the rules would take, never routed unasked";

    std::filesystem::create_directories(dir / "C");
    ASSERT_TRUE(WaitFor([&] { return StateOf(watcher, dir / "C") == WatchState::watching; }));
    WriteFile(dir / "C" / "new.bin", "arrived");
    const auto seen = Collect(watcher, 5000ms, [](const auto& s) { return !s.empty(); });
    EXPECT_EQ(seen, (std::map<std::wstring, int>{{L"new.bin", 1}})) << "B's items stay until the offer is taken";

    // Paused: nothing is watched; resumed, what arrived meanwhile is handed over.
    AppSettings paused = Watching({dir / "A"}, dir / "Out");
    paused.watching.paused = true;
    watcher.Configure(paused);
    ASSERT_TRUE(WaitFor([&] { return StateOf(watcher, dir / "A") == WatchState::paused; }));
    WriteFile(dir / "A" / "meanwhile.bin", "while paused");
    std::this_thread::sleep_for(1500ms);
    EXPECT_TRUE(watcher.TakeArrivals().empty());
    watcher.Configure(Watching({dir / "A"}, dir / "Out"));
    const auto resumed = Collect(watcher, 5000ms, [](const auto& s) { return !s.empty(); });
    EXPECT_EQ(resumed, (std::map<std::wstring, int>{{L"meanwhile.bin", 1}}));
}

}  // namespace
}  // namespace kw
