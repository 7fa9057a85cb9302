#pragma once
// A batch's moves, each written down right before it happens ("intents-<batch>.txt" in the data
// folder), so that a move the process was killed in the middle of, or whose history line was
// still waiting for its group, is never a move nobody can see or undo. The file goes when the
// batch ends; one left behind belongs to a batch that was killed, and the next start completes
// that batch's history from it: every item found at the path it was about to take, and no longer
// where it was, is recorded as moved (and then logged with the batch's recovered lines).
// Writes are not flushed: they are in the system's cache the moment the call returns, which is
// what survives a killed process (a power cut is the move journal's part, see MoveStaging.h).

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "history/BatchHistory.h"
#include "history/HistoryFile.h"

namespace kw {

class MoveIntents {
public:
    // Opens the batch's file in `folder`, headed with the batch's id, time and what it undoes.
    MoveIntents(const std::filesystem::path& folder, const HistoryBatch& batch);
    // The batch ended: its history is whole, and the file goes.
    ~MoveIntents();
    MoveIntents(const MoveIntents&) = delete;
    MoveIntents& operator=(const MoveIntents&) = delete;

    void Add(const std::filesystem::path& source, const std::filesystem::path& target);

private:
    struct Closer {
        void operator()(void* handle) const;
    };
    std::filesystem::path path_;
    std::unique_ptr<void, Closer> file_;  // a HANDLE
};

// The text of an intents file as plain data: its batch, and each move in the order written
// (a line cut short by a kill is left out).
struct IntentsFile {
    HistoryBatch batch;  // id, time and undoOf; no items
    struct Move {
        std::wstring source, target;
    };
    std::vector<Move> moves;
};
std::string FormatIntentsHeader(const HistoryBatch& batch);
std::string FormatIntent(const std::filesystem::path& source, const std::filesystem::path& target);
bool ParseIntents(std::string_view text, IntentsFile& parsed);

// Completes the history from the intents files that killed batches left in `folder`, then
// removes them; files still open (a batch of a running copy) are left alone. Returns how many
// items were added.
size_t CompleteHistoryFromIntents(HistoryFile& history, const std::filesystem::path& folder);

}  // namespace kw
