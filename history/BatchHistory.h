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

#include "history/HistoryLines.h"
#include "history/ItemIdentity.h"
#include "routing/BatchTally.h"
#include "routing/MoveJournal.h"
#include "routing/RouteItemResult.h"

namespace kw {

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
