#pragma once
// Watches the chosen folders on a thread of its own and hands over, in batches, the items that
// have settled there and that the rules would take. Local folders are watched with change
// notifications; network and removable ones, and folders that are not there, are looked at
// again on a timer. Each folder is listed again after a notification overflow, when watching
// resumes and every hour (date conditions come true with no file event), so nothing that
// arrived meanwhile is missed. The thread blocks while nothing is due: watching idle folders
// costs no processor time.
//
// The header speaks values only; the Win32 side lives in the .cpp.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/AppSettings.h"

namespace kw {

// Settled items of one folder, for one batch.
struct WatchArrival {
    std::string folder;  // UTF-8, as configured
    std::vector<std::filesystem::path> items;
};

// What a folder just added (or turned on) already holds that the rules would take: routed only
// if the user says so.
struct WatchOffer {
    std::string folder;
    std::vector<std::filesystem::path> items;
};

enum class WatchState { off, starting, watching, polling, unavailable, paused };

struct WatchFolderStatus {
    std::string folder;
    WatchState state = WatchState::off;
};

struct WatchTiming {
    int64_t recheckMs = 3600 * 1000;  // every folder listed again for date conditions
    int64_t retryMs = 10 * 1000;      // a folder that is not there is looked for again
};

class FolderWatcher {
public:
    // `changed` is called on the watcher's thread whenever there is something to take (an
    // arrival, an offer, a new status); it must only post a message.
    explicit FolderWatcher(std::function<void()> changed, WatchTiming timing = {});
    ~FolderWatcher();  // stops the thread; pending reads are cancelled and waited for
    FolderWatcher(const FolderWatcher&) = delete;
    FolderWatcher& operator=(const FolderWatcher&) = delete;

    // The folders, the rules and the pause switch, from a copy. The first call is the start:
    // folders whose "already there" choice is on have their items routed, the others keep them.
    // A folder added or turned on by a later call produces an offer instead.
    void Configure(const AppSettings& settings);
    // Every folder listed again now (the machine woke up).
    void Rescan();
    // Ends the thread (at exit); NoteOwnItem and the Take calls still answer.
    void Stop();
    // An item the program put somewhere (a move's target, an undo's put-back): if that is in a
    // watched folder, the watcher leaves it alone. Any thread.
    void NoteOwnItem(const std::filesystem::path& item);
    // Whether NoteOwnItem was told of the item (and has not forgotten it since). Any thread.
    bool IsOwnItem(const std::filesystem::path& item) const;

    // Items handed over are not handed over again until the batch that took them says it is done
    // with them (routed or not): a listing while they wait in the queue finds them still there.
    std::vector<WatchArrival> TakeArrivals();
    void Finished(const std::vector<std::filesystem::path>& items);
    std::vector<WatchOffer> TakeOffers();
    std::vector<WatchFolderStatus> Statuses() const;
    // Items looked at by the listings so far (benchmarks).
    uint64_t ItemsListed() const;

private:
    struct Shared;
    std::shared_ptr<Shared> shared;
    class Worker;
    std::unique_ptr<Worker> worker;
};

}  // namespace kw
