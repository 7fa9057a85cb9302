#pragma once
// After a crash or a kill: the worker records each item in history.jsonl as it completes, but
// the activity log gets a batch's lines only when the batch's result reaches the window. A mark
// in the data folder ("session.marker", holding the start time) is written at start and removed
// at a clean exit; found at the next start, it says the last run ended unexpectedly, and the
// batches it started that the history does not mark as logged are logged then.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "history/BatchHistory.h"

namespace kw {

std::filesystem::path SessionMarkerPath();  // DataFolder().folder / "session.marker"

// Reads the mark a previous run left (its start time), then writes this run's. nullopt when
// the last run ended cleanly (or never ran).
std::optional<uint64_t> BeginSession(const std::filesystem::path& marker, uint64_t startedUtcTicks);
// A clean exit: the next start has nothing to recover.
void EndSession(const std::filesystem::path& marker);

// The batches (oldest first) that began at or after `since` and whose items the activity log
// does not hold.
std::vector<HistoryBatch> UnloggedBatches(const std::vector<HistoryBatch>& history, uint64_t since);

}  // namespace kw
