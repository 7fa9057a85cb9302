#pragma once
// What becomes of the item the overwrite policy replaces. Where its volume has a Recycle Bin that
// can take it, it goes there, so that the user (and undo) can bring it back; where none can, it
// is deleted for good, as the policy always did, and the outcome says so.
//
// The old item goes as late as possible: once the new one is ready to take its name (a copy to
// another volume made, flushed and journalled), right before the rename into place. A failure
// before that point leaves both items where they were; a rename that fails after it leaves the
// new item where it was, and the outcome says that the old one is in the Recycle Bin.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "routing/ItemActions.h"

namespace kw {

enum class ReplaceWay {
    recycle,          // to the Recycle Bin, right before the new item takes the name
    deleteForGood,    // no Recycle Bin can take it: deleted before the transfer, as ever
};

struct ReplacedItem {
    ReplaceWay way = ReplaceWay::deleteForGood;
    bool tried = false;  // the Recycle Bin was asked to take it
    RecycleOutcome outcome = RecycleOutcome::failed;
    // Sent: the time just before the shell was asked (UTC file-time ticks) and, for a file, its
    // size, which pick this very deletion out of the bin for undo.
    uint64_t at = 0;
    std::optional<uint64_t> bytes;
    bool InBin() const { return tried && outcome == RecycleOutcome::recycled; }
};

// How the item at `target` would be replaced. Asks the shell: call from a single-threaded
// apartment (see BatchCache::EnterComApartment).
ReplaceWay ReplaceWayFor(const std::filesystem::path& target);

// Sends the item at `target` to the Recycle Bin for the item replacing it, and records the
// outcome in `replaced`; an error when it is still there (ERROR_CANCELLED when the user declined
// to have it deleted for good instead).
std::error_code RecycleReplaced(const std::filesystem::path& target, ReplacedItem& replaced);

// The outcome of a move, copy or rename that replaced an item (`done` is the outcome had there
// been none, "Moved via Docs"): "Replaced via Docs; the old one is in the Recycle Bin", or
// "Moved via Docs — replaced (the old one was deleted for good)".
std::string ReplacedMessage(const std::string& done, bool copy, const std::string& rule, ReplaceWay way);

// The outcome when the Recycle Bin did not take the old item: nothing was replaced.
std::string NotReplacedMessage(const ReplacedItem& replaced);

// Appended to the failure of a transfer after the old item went to the Recycle Bin.
inline constexpr char kOldOneInBin[] = " \xE2\x80\x94 the old one is in the Recycle Bin";

}  // namespace kw
