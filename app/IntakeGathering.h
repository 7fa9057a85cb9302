#pragma once
// Lists handed over by other processes, gathered into batches. The shell starts one process per
// selected item for some verbs, each a moment after the last: what arrives within a short quiet
// spell becomes one batch, as one drop of the whole selection would. A list from `route` in a
// console is complete already and becomes a batch of its own at once. Pure: times are passed in.

#include <cstdint>
#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "shell/IntakeMessage.h"

namespace kw {

struct GatheredBatch {
    std::vector<std::filesystem::path> paths;
    std::vector<std::string> notes;
    bool copy = false;
    bool preview = false;
    std::vector<std::uintptr_t> waiters;  // windows of `route --wait` processes to answer
};

// One item's key among the paths of a batch: the same item named twice has one key, whether its
// separators are doubled or forward, or its letters in another case (Windows' names ignore case).
std::wstring PathKey(const std::wstring& path);

class IntakeGathering {
public:
    // A list becomes due this long after the last one that joined it, and never later than
    // kLongestMs after the first.
    static constexpr uint64_t kQuietMs = 700;
    static constexpr uint64_t kLongestMs = 5000;

    // `waiter` is 0 when nobody waits for the outcome.
    void Add(IntakeRequest request, std::uintptr_t waiter, uint64_t nowMs);
    // When the next batch is due; nothing when none waits.
    std::optional<uint64_t> NextDue() const;
    // The batches due by `nowMs`, in the order their first lists arrived.
    std::vector<GatheredBatch> TakeDue(uint64_t nowMs);
    // Everything still gathering (the program is closing).
    std::vector<GatheredBatch> TakeAll();

private:
    struct Group {
        GatheredBatch batch;
        std::unordered_set<std::wstring> named;  // the paths' keys (PathKey), to find a repeat at once
        bool complete = false;  // from a console: due at once, joined by nothing
        uint64_t first = 0;
        uint64_t last = 0;
        uint64_t Due() const;
    };
    std::deque<Group> groups;
};

}  // namespace kw
