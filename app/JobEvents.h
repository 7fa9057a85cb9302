#pragma once
// The hand-over between the route job's worker and the UI thread: the latest progress report
// in a mutex-guarded slot, and every finished batch's result in a queue, announced by posted
// window messages. At most one progress message is ever waiting in the queue, so a batch of any
// size cannot fill the thread's message queue (10,000 posts) and crowd out the completion
// message. Results are queued, not replaced: a batch can finish and the next one start and
// finish before the UI thread takes them (a modal loop runs), and each must be logged.

#include <chrono>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "routing/RouteJob.h"

namespace kw {

struct ProgressReport {
    int done = 0;  // while listing: the files found so far
    int total = 0;
    std::string current;
    bool listing = false;  // the batch is still listing dropped folders
};

class JobEvents {
public:
    // Progress is announced at most once per `progressInterval`: the window's frames, drawn by a
    // software rasteriser here, then do not take turns with the worker for every item. A report
    // held back is taken with the next message of any kind (the window keeps a timer of this
    // period while a batch runs).
    static constexpr std::chrono::milliseconds kProgressInterval{250};
    explicit JobEvents(std::chrono::milliseconds progressInterval = kProgressInterval)
        : interval(progressInterval) {}

    // Worker side. Stores the report (replacing one not yet taken); returns true when the
    // caller should post the progress message, false when one is already on its way or the last
    // was posted less than the interval ago.
    bool StoreProgress(int done, int total, std::string current, bool listing = false);
    // The progress message could not be posted: let the next report try again.
    void ProgressPostFailed();
    void StoreResult(RouteJobResult result);

    // UI side: takes whatever is pending, results in the order their batches finished; nothing
    // is pending afterwards.
    struct Taken {
        std::optional<ProgressReport> progress;
        std::vector<RouteJobResult> results;
    };
    Taken Take();

    int MaxQueuedProgressPosts() const;

private:
    mutable std::mutex eventMutex;
    std::optional<ProgressReport> pendingProgress;
    bool progressPosted = false;
    std::chrono::milliseconds interval;
    std::chrono::steady_clock::time_point lastPost{};
    int maxQueued = 0;
    std::deque<RouteJobResult> pendingResults;
};

}  // namespace kw
