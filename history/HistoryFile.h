#pragma once
// history.jsonl has one writer. While the worker appends the running batch's items, the window's
// thread opens the batches queued behind it, marks ended ones logged and, at start-up, trims the
// file: every one of those writes goes through the program's one HistoryFile, through one handle,
// one whole write at a time under its lock. Windows promises nothing about appends made through
// two handles at once staying whole (a stream of watched arrivals tore lines that way, and undo
// could not put their items back), so the program never leans on it.

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string_view>
#include <vector>

#include "history/BatchHistory.h"
#include "model/UniqueFile.h"

namespace kw {

struct HistoryRead {
    std::vector<HistoryBatch> batches;  // oldest first
    size_t damaged = 0;                 // lines that did not parse (torn or cut short): skipped
};

class HistoryFile {
public:
    explicit HistoryFile(std::filesystem::path file);
    HistoryFile(const HistoryFile&) = delete;
    HistoryFile& operator=(const HistoryFile&) = delete;

    const std::filesystem::path& Path() const { return file_; }

    // Appends `lines` (whole lines, each ending in '\n') with one write; false when they did not
    // all reach the file. A line left unfinished (by a kill, a full disk) is ended first, so that
    // it costs only itself.
    bool Append(std::string_view lines);

    // The history, oldest batch first, kept to the newest `maxBatches` batches within `maxBytes`.
    // The file is rewritten (through a temporary file) when it is over a bound or holds damaged
    // lines, which are then gone from it; never when it could not be read to its end.
    HistoryRead Load(size_t maxBatches = 100, uint64_t maxBytes = 20u << 20);

private:
    std::filesystem::path file_;
    std::mutex mutex_;    // orders every write and the rewrite
    UniqueFile handle_;   // opened at the first append, closed while the file is replaced
    bool ended_ = true;   // the file ends with a line break (known once opened)
};

// The history as it stands, oldest batch first, without changing the file; `damaged` counts the
// lines skipped.
std::vector<HistoryBatch> LoadHistory(const std::filesystem::path& file, size_t* damaged = nullptr);

}  // namespace kw
