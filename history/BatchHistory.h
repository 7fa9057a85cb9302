#pragma once
// What every batch did, item by item, in "history.jsonl" in the program's data folder: one JSON object
// per line, appended by the worker as each item completes, so a kill loses at most the item in
// flight (whose move journal covers it). A batch line opens each batch; item lines follow.
// The file is bounded (oldest batches dropped first), and a damaged or half-written line is
// skipped when reading, never fatal.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "history/ItemIdentity.h"
#include "routing/BatchTally.h"
#include "routing/MoveJournal.h"
#include "routing/RouteItemResult.h"

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

std::filesystem::path HistoryFilePath();  // DataFolder().folder / "history.jsonl"

class HistoryFile;

// Appends one batch's lines to the history through the program's one writer of the file. A
// write that fails does not stop the batch (the move itself already happened), but the batch is
// then no longer whole in the history, and undo cannot be offered for it: Failed() says so.
class HistoryWriter {
public:
    HistoryWriter(HistoryFile& file, const HistoryBatch& batch);
    HistoryWriter(const HistoryWriter&) = delete;
    HistoryWriter& operator=(const HistoryWriter&) = delete;

    void Add(const HistoryItem& item);
    bool Failed() const { return failed_; }
    void AddLine(const std::string& line) { Write(line); }

private:
    void Write(const std::string& line);
    HistoryFile& file_;
    bool failed_ = false;
};

// A batch being recorded: the worker adds each item as it completes, to the file and to the
// batch in memory, which the UI thread reads once the batch has ended.
class BatchRecording {
public:
    BatchRecording(std::shared_ptr<HistoryFile> file, HistoryBatch batch);
    void Add(const RouteItemResult& result);
    // The batch stopped with `notRouted` items not reached (after the worker is done with it).
    void Stopped(int notRouted);
    const HistoryBatch& Batch() const { return batch_; }
    const std::filesystem::path& File() const;
    // Every line reached the file: the batch can be undone later, also after a restart.
    bool Recorded() const { return !writer_.Failed(); }

private:
    std::shared_ptr<HistoryFile> file_;
    HistoryBatch batch_;
    HistoryWriter writer_;
    ItemIdentities identities_;
};

// Appends {"logged": id} once the batch's lines are in the activity log.
void MarkBatchLogged(HistoryFile& file, uint64_t batch);

// The record of one routed (or put back) item; what was moved is fingerprinted and identified
// where it now is (a batch passes what it learnt of its folders; see ItemIdentity.h).
HistoryItem RecordOf(uint64_t batch, const RouteItemResult& result, ItemIdentities* identities = nullptr);

}  // namespace kw
