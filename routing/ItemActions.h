#pragma once
// What happens to one dropped item: a fixed order of checks, the routing decision, then leave,
// recycle or move. Every outcome, failures of the file system included, is a result record;
// nothing throws to the caller.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "model/AppSettings.h"
#include "model/Clock.h"
#include "routing/BatchCache.h"
#include "routing/FileIdentity.h"
#include "routing/MoveStaging.h"
#include "routing/RouteItemResult.h"

namespace kw {

// The item step of a route job, with what the batch knows so far.
RouteItemResult RouteItem(const std::filesystem::path& item, BatchCache& batch);

// A move on its own, every fact read afresh.
RouteItemResult MoveItem(const std::filesystem::path& source, const std::filesystem::path& destination,
                         ConflictPolicy conflict, const AutoRenameOptions& autoRename, const std::string& rule,
                         const Clock& clock = SystemClock());
// A copy on its own: the item stays, a copy (a folder with all it holds) goes to the destination
// under the same checks and conflict policies as a move.
RouteItemResult CopyItem(const std::filesystem::path& source, const std::filesystem::path& destination,
                         ConflictPolicy conflict, const AutoRenameOptions& autoRename, const std::string& rule,
                         const Clock& clock = SystemClock());
// The transfer of a move: a rename on one volume, else (the rename refused, another volume)
// copy (under a staging name, renamed into place) then delete. Without `overwrite` nothing at the target is ever replaced: a taken
// name gives ERROR_ALREADY_EXISTS or ERROR_FILE_EXISTS. The source is deleted only after the
// whole copy succeeded. A batch passes its staging (see MoveStaging.h); without one the move
// makes and clears its own.
//
// `clear`, when given, takes away what stands at the target (see ReplacedItem.h) once the item is
// ready to take its name: right before the rename into place, after any copy is whole. It is
// called at most once; an error from it ends the transfer with the item where it was.
using ClearTarget = std::function<std::error_code()>;
std::error_code MoveToTarget(const std::filesystem::path& source, const std::filesystem::path& target, bool overwrite,
                             MoveStaging* staging = nullptr, const ClearTarget& clear = {});
// The transfer of a copy: always a copy under a staging name, flushed, then renamed into place;
// the source is never touched. A taken name is refused as by MoveToTarget.
std::error_code CopyToTarget(const std::filesystem::path& source, const std::filesystem::path& target, bool overwrite,
                             MoveStaging* staging = nullptr, const ClearTarget& clear = {});

// Copies in progress live in a batch's staging folder in the destination folder
// ("~kfpart-XXXXXXXX-XXXX", see MoveStaging.h), and their sources are deleted only after the
// rename into place; once a copy is whole, the batch's journal records its source and final
// name. Settling a journal finishes what a process that died left: a recorded copy that was
// renamed into place has its move finished (the source is deleted only when it and the target
// both still match what was copied; otherwise both stay); one that never got there is removed
// and its source kept; the staging folders its sealed area lines name are cleared.
struct SettleScope {
    const std::atomic<bool>* stop = nullptr;  // once set, what is not settled yet is kept for later
    // Items about to be routed: a staging folder that is one of them, holds one or lies inside
    // one is left where it is.
    std::vector<std::filesystem::path> protect;
    // Moves a kill cut short that the settle finished get a log line here.
    std::vector<std::string>* finished = nullptr;
    bool Stopped() const { return stop && stop->load(); }
};
// Settles the journals in `journalFolder` and returns the staging folders that must stay (a copy
// there may be an item's only copy). A journal still being written is left alone.
std::vector<std::filesystem::path> SettleMoveJournals(const std::filesystem::path& journalFolder,
                                                      const SettleScope& scope = {});
// How many journals lie in `journalFolder` (those a batch left for a later one, and any this
// installation cannot honour).
size_t CountMoveJournals(const std::filesystem::path& journalFolder);

// Earlier versions made each copy under a staging name of its own in the destination, with the
// journal of that one move beside it ("~kfpart-XXXXXXXX-XXXX.journal"). This settles such
// journals in `folder` and returns the staging names there that no journal accounts for and
// that are not in `spare`: they are left in place (what a user dropped or keeps there, another
// installation's unfinished copy), for the caller to report. Nothing in `folder` is deleted but
// what a sealed journal names. Call only while no move is in progress.
std::vector<std::filesystem::path> SweepStagingNames(const std::filesystem::path& folder,
                                                     const std::vector<std::filesystem::path>& spare = {});

RouteItemResult RecycleItem(const std::filesystem::path& source, const std::string& rule);
// The shell deletes for good, and says it succeeded, what cannot go to a Recycle Bin; items are
// therefore sent only where a bin exists and the shell can name them exactly, and the
// outcome says which of these stopped it. Nothing but `recycled` deleted anything.
enum class RecycleOutcome { recycled, no_bin, name_not_exact, declined, failed };
RecycleOutcome SendToRecycleBin(const std::filesystem::path& path);
// Everything SendToRecycleBin checks before it asks the shell: `recycled` when it would go ahead.
RecycleOutcome RecycleCheck(const std::filesystem::path& path);
// What picks one deletion out of the Recycle Bin for undo: the time taken just before the shell
// is asked (UTC file-time ticks), which the bin's own deletion time is never earlier than, and a
// file's size. Taken right before SendToRecycleBin.
struct RecycleMark {
    uint64_t at = 0;
    std::optional<uint64_t> bytes;
};
RecycleMark MarkBeforeRecycling(const std::filesystem::path& path);

// Both have the same, non-empty root name (drive letter or UNC server), ignoring case: a rename
// between them is worth trying. It proves nothing about volumes (two shares of one server, a
// volume mounted in a folder); the rename itself refuses to cross one.
bool SameRootName(const std::filesystem::path& a, const std::filesystem::path& b);

}  // namespace kw
