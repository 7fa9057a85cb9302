#pragma once
// Putting a batch back: every item it moved returns to its original path, through the same
// safe transfer as routing (a rename on one volume; a staged, journalled copy across volumes).
// Undo never overwrites: an original path that is taken, or an item at the target that is no
// longer the one moved there, is skipped with its reason and left where it is.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "history/BatchHistory.h"
#include "routing/MoveStaging.h"
#include "routing/RouteItemResult.h"

namespace kw {

struct UndoStep {
    std::filesystem::path from;  // where the batch put the item
    std::filesystem::path to;    // where it came from
    TreeFingerprint expected;    // what was put there
    std::string identity;        // and which object it was ("" when unknown)
    bool recycled = false;
    bool copy = false;           // a copy was made at `from` (the item stayed at `to`): undo removes it
    bool copyAgain = false;      // an undo removed the copy at `to` of the item at `from`: its redo copies again
    bool toBin = false;          // an undo brought it out of the Recycle Bin: it goes back there
    uint64_t deletedAfter = 0;   // recycled: the bin's item was deleted no earlier (UTC ticks)
    std::optional<uint64_t> bytes;  // recycled: the file's size, when it was known
    std::string rule;
};

// Takes the item the step recycled out of the Recycle Bin (see RecycleBinMatch.h for which one
// that is); true when it is back at `step.to`. The shell adapter lives outside the core.
using RecycleRestore = std::function<bool(const UndoStep& step)>;

// The steps that undo `batch`, last item first (a later item may depend on an earlier one). An
// item that replaced one the Recycle Bin took is followed by the step that restores that one,
// which finds its name taken, and leaves it in the bin, unless the item went back first.
std::vector<UndoStep> PlanUndo(const HistoryBatch& batch);

// One step; the result's source is where the item was, its target where it went back to. A
// copy's step removes the copy (to the Recycle Bin where its volume has one; the caller's thread
// must then be in a single-threaded apartment) only while it is unchanged and its original is
// still there.
// Without `restore`, a recycled item's line says where to find it. A batch of steps passes its
// staging for moves across volumes (see MoveStaging.h).
// A batch of steps may pass what it learnt of its folders' identities (see ItemIdentity.h).
RouteItemResult UndoItem(const UndoStep& step, const RecycleRestore& restore = {}, MoveStaging* staging = nullptr,
                         ItemIdentities* identities = nullptr);

}  // namespace kw
