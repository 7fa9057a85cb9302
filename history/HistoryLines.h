#pragma once
// The lines of "history.jsonl" (history/BatchHistory.h): what each batch did, item by item, as
// one JSON object per line. Text in, batches out: a line that does not parse, or that is cut
// short by a kill, is skipped and the rest of the history stands.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "routing/BatchTally.h"
#include "routing/MoveJournal.h"

namespace kw {

struct HistoryItem {
    uint64_t batch = 0;
    ItemFate fate = ItemFate::failed;
    std::string source;  // UTF-8, as routed
    std::string target;  // UTF-8: where it went ("Recycle Bin" when recycled)
    std::string rule;
    std::string message;
    // What stood at the target right after the move (or copy): undo takes back only that very item, the
    // same object (volume and file id, as hex) with the same sizes and times.
    TreeFingerprint moved;
    std::string identity;
    // Recycled: when it was sent (UTC file-time ticks; 0 in histories of earlier versions) and,
    // for a file, its size, which pick it out among the bin's items.
    uint64_t recycledAt = 0;
    std::optional<uint64_t> recycledBytes;
    // Moved or copied over an item that went to the Recycle Bin (the overwrite policy): when it
    // was sent and, for a file, its size. Undo restores it once this item is back.
    uint64_t replacedAt = 0;
    std::optional<uint64_t> replacedBytes;
};

struct HistoryBatch {
    uint64_t id = 0;
    uint64_t time = 0;    // UTC file-time ticks
    uint64_t undoOf = 0;  // the batch this one undid, or 0
    std::vector<HistoryItem> items;
    int notRouted = 0;  // items the batch never reached: it was cancelled or stopped
    // Its items have their lines in the activity log: the application says so once it has
    // written them ({"logged": id}); a batch without it was cut short by a crash or a kill.
    bool logged = false;
    // The watched folder whose arrivals the batch routed (UTF-8); empty for a drop, a command
    // line or an undo. Histories of earlier versions have none.
    std::string watchedFolder{};

    int Count(ItemFate fate) const;
    BatchTally Tally() const;  // counted as the status line counts a batch
};

std::string FormatBatchLine(const HistoryBatch& batch);  // without the items
std::string FormatItemLine(const HistoryItem& item);
// Written after a batch's items when it stopped short: {"stopped": id, "notRouted": N}.
std::string FormatStopLine(const HistoryBatch& batch);
std::string FormatLoggedLine(uint64_t batch);
// Batches in file order (oldest first). Lines that do not parse (torn, cut short by a kill) are
// skipped, each alone, and counted in `damaged`; items of a batch whose line is missing are
// skipped too.
std::vector<HistoryBatch> ParseHistory(std::string_view text, size_t* damaged = nullptr);

}  // namespace kw
