#pragma once
// How the items of a batch ended, and how that is counted and worded. The status line, the
// balloon, the drop zone and the list of recent batches all count with these, so one batch reads
// the same everywhere ("moved 6, left in place 4", never "skipped 4" in one place and "skipped 0"
// in another).

#include <string>
#include <vector>

#include "routing/RouteItemResult.h"

namespace kw {

// `cancelled`: the batch stopped before it reached the item ("not routed").
// `renamed`: given a new name in its own folder (a move to that name, undone as a move is).
// `uncopied`: an undo removed a copy (`source`) of the item at `target`; its redo copies again.
enum class ItemFate { moved, recycled, left, skipped, failed, cancelled, copied, renamed, uncopied };

// The item (or its copy) went to the target: undo has something there to take back.
constexpr bool PlacedAtTarget(ItemFate fate) {
    return fate == ItemFate::moved || fate == ItemFate::copied || fate == ItemFate::renamed;
}

ItemFate FateOf(const RouteItemResult& result);

struct BatchTally {
    int moved = 0;
    int copied = 0;
    int renamed = 0;
    int recycled = 0;
    int left = 0;  // left in place by a rule, or where it already was: nothing wrong
    int skipped = 0;
    int failed = 0;
    int notRouted = 0;

    void Add(ItemFate fate);
    int Handled() const { return moved + copied + renamed + recycled + left + skipped + failed; }
    int Total() const { return Handled() + notRouted; }
    bool operator==(const BatchTally&) const = default;
};

// `notRouted`: items of the batch it never reached.
BatchTally TallyOf(const std::vector<RouteItemResult>& items, int notRouted = 0);

// "moved 6, copied 2, renamed 1, left in place 4, could not route 1": the outcomes that occurred, in a fixed
// order ("moved 0" when none did). Of an undo: "put back 6 of 10, skipped 3, could not put back 1".
std::string TallyText(const BatchTally& tally, bool undo = false);

}  // namespace kw
