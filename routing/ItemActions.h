#pragma once
// What happens to one dropped item: a fixed order of checks, the routing decision, then leave,
// recycle or move. Every outcome, failures of the file system included, is a result record;
// nothing throws to the caller.

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "model/AppSettings.h"
#include "model/Clock.h"
#include "routing/BatchCache.h"
#include "routing/FileIdentity.h"
#include "routing/RouteItemResult.h"

namespace kw {

// The item step of a route job, with what the batch knows so far.
RouteItemResult RouteItem(const std::filesystem::path& item, BatchCache& batch);

// A move on its own, every fact read afresh.
RouteItemResult MoveItem(const std::filesystem::path& source, const std::filesystem::path& destination,
                         ConflictPolicy conflict, const AutoRenameOptions& autoRename, const std::string& rule,
                         const Clock& clock = SystemClock());
// The transfer of a move: a rename on one volume, else copy (under a staging name, renamed
// into place) then delete. Without `overwrite` nothing at the target is ever replaced: a taken
// name gives ERROR_ALREADY_EXISTS or ERROR_FILE_EXISTS. The source is deleted only after the
// whole copy succeeded.
std::error_code MoveToTarget(const std::filesystem::path& source, const std::filesystem::path& target, bool overwrite);

// Copies in progress live in the destination folder under "~kfpart-XXXXXXXX-XXXX" names, and
// their sources are deleted only after the rename into place; once a copy is whole, a journal
// beside it ("~kfpart-XXXXXXXX-XXXX.journal", see MoveJournal.h) records its source and final
// name. This clears what a process that died left directly in `folder`: a journal whose copy
// was renamed into place has its move finished (the source is deleted only when it and the
// target both still match what was copied; otherwise both stay); a journal whose copy never
// got there has the copy removed and the source kept; staging copies without a journal are
// removed. Nothing else in `folder` is touched, whatever its name. Returns how many staging names were
// cleared. Call only while no move is in progress.
int RemoveStagingLeftovers(const std::filesystem::path& folder);

RouteItemResult RecycleItem(const std::filesystem::path& source, const std::string& rule);
// The shell deletes for good, and says it succeeded, what cannot go to a Recycle Bin; items are
// therefore sent only where a bin exists and the shell can name them exactly, and the
// outcome says which of these stopped it. Nothing but `recycled` deleted anything.
enum class RecycleOutcome { recycled, no_bin, name_not_exact, declined, failed };
RecycleOutcome SendToRecycleBin(const std::filesystem::path& path);
// Everything SendToRecycleBin checks before it asks the shell: `recycled` when it would go ahead.
RecycleOutcome RecycleCheck(const std::filesystem::path& path);

// Both have the same, non-empty root name (drive letter or UNC server), ignoring case.
bool SameVolume(const std::filesystem::path& a, const std::filesystem::path& b);

}  // namespace kw
