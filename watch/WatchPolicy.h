#pragma once
// The decisions of folder watching that need no file system: which names are never routed,
// when an item has settled, which items the program put there itself, and the words shown.
// The watcher (FolderWatcher) asks these; the tests ask them with made-up values.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/CountText.h"
#include "model/WatchedFolder.h"

namespace kw {

// Partial downloads and temporary files: ".crdownload", ".part", ".partial", ".download",
// ".tmp" (any case) and Office's "~$" owner files. Their final name arrives by a rename, which
// the watcher sees as an arrival of its own.
bool IsPartialOrTemporaryName(std::wstring_view name);
// The above, and hidden or system items (`attributes` as the file system gives them).
bool IsNeverRouted(std::wstring_view name, uint32_t attributes);

// What one look at an item gave.
struct Sighting {
    uint64_t size = 0;
    uint64_t writtenTicks = 0;  // last write, UTC file-time ticks (100 ns)
    bool operator==(const Sighting&) const = default;
};

// An item waiting to settle: the last sighting and when to look again (steady milliseconds).
struct SettleState {
    std::optional<Sighting> seen;
    int64_t dueMs = 0;
};

enum class SettleVerdict { wait, ready };

// Takes a new look. An item is ready once two looks agree and its last write lies `settleMs` in
// the past: a change of size always moves the write time, so an unchanged pair whose write time
// is old enough has not been written for that long. A first or changed sighting waits until its
// write time is `settleMs` old (at least `recheckMs`, so that two looks always agree before it
// counts); the caller then also opens the item without sharing, which no writer allows.
SettleVerdict Observe(SettleState& state, const Sighting& now, int64_t nowMs, uint64_t nowTicks, int64_t settleMs,
                      int64_t recheckMs = 250);

// A 64-bit key of a path as Windows compares names (case-insensitively, \\?\ or not).
uint64_t PathKey(const std::filesystem::path& path);

// PathKey of the items of one folder, the folder's part worked out once: a listing of 100,000
// names must not normalise the folder's path 100,000 times.
class FolderKeys {
public:
    explicit FolderKeys(const std::filesystem::path& folder);
    uint64_t Of(std::wstring_view name) const;  // == PathKey(folder / name) for a plain name

private:
    uint64_t prefix = 0;
};

// Items the program itself put into a watched folder (moved there, or put back there by an
// undo) are not routed again by the watcher: a bounded set of the most recent ones, oldest
// forgotten first. Not thread-safe.
class LoopGuard {
public:
    explicit LoopGuard(size_t capacity = 65536) : capacity(capacity) {}
    void Note(const std::filesystem::path& item);
    bool Holds(const std::filesystem::path& item) const;
    size_t Size() const { return order.size(); }

private:
    size_t capacity;
    std::deque<uint64_t> order;
    std::unordered_map<uint64_t, int> counts;
};

// "[watch] C:\Users\me\Downloads: 3 item(s)" - the line that opens a watched batch in the log.
std::string WatchBatchLine(const std::string& folder, size_t items);
// "Watching Downloads would route 1,234 items that are already there"
std::string ExistingItemsOffer(const std::string& folder, size_t items);
// "Watching 2 folders", "Watching 1 folder", "Paused"; "" when nothing is watched.
std::string WatchingSummary(size_t watched, bool paused);

}  // namespace kw
