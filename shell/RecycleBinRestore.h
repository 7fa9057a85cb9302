#pragma once
// Takes items back out of the Recycle Bin, through the shell's own Recycle Bin folder and its
// "undelete" verb. One index serves a whole undo: the bin is listed once, at the first item to
// restore (a full bin holds thousands of items, and each item's details are a call into the
// shell), and every item of the batch is looked up in that list; which entry is the one a batch
// sent is decided by PickBinRecord (history/RecycleBinMatch.h).
//
// Used from one thread, the one that restores through it: it enters a COM apartment there at the
// first restore and leaves it when destroyed, so it must be destroyed on that thread too.

#include <memory>

#include "history/Undo.h"

namespace kw {

class RecycleBinIndex {
public:
    RecycleBinIndex();
    ~RecycleBinIndex();
    RecycleBinIndex(const RecycleBinIndex&) = delete;
    RecycleBinIndex& operator=(const RecycleBinIndex&) = delete;

    // True when the item `step` recycled is back at step.to. False when no such item is in the
    // bin, the shell cannot say (Wine's Recycle Bin folder answers no details), or the restore
    // did not happen.
    bool Restore(const UndoStep& step);

private:
    struct Listing;
    std::unique_ptr<Listing> listing;
    bool listed = false;
};

}  // namespace kw
