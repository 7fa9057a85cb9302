#pragma once
// Runs one batch of dropped items at a time on a worker thread of its own, so that large
// batches never block the window. A batch cannot be cancelled once started.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "model/AppSettings.h"
#include "routing/BatchCache.h"
#include "routing/ItemActions.h"
#include "routing/RouteItemResult.h"

namespace kw {

struct RouteJobResult {
    std::vector<RouteItemResult> items;  // one per input item, in input order
    int32_t moved = 0;                   // moved or recycled
    int32_t skipped = 0;
    int32_t failed = 0;
};

class RouteJob {
public:
    using CompleteCallback = std::function<void(RouteJobResult)>;
    // index (1-based) of the item about to be handled, total, its file name in UTF-8.
    using ProgressCallback = std::function<void(int, int, std::string)>;
    // The item step gets what the batch knows so far (its settings among it).
    using ItemStep = std::function<RouteItemResult(const std::filesystem::path&, BatchCache&)>;

    RouteJob();
    // For tests: a replacement for the item step.
    explicit RouteJob(ItemStep step);
    // Waits for a running batch to finish.
    ~RouteJob();
    RouteJob(const RouteJob&) = delete;
    RouteJob& operator=(const RouteJob&) = delete;

    // Starts a batch on a copy of `settings`. An empty list, or a batch already running, is
    // answered at once on the calling thread through onComplete. onComplete is called exactly
    // once per accepted batch, on the worker, with IsRunning() already false. Throws
    // std::system_error only when no thread can be started (then no callback is called).
    void Start(const AppSettings& settings, std::vector<std::filesystem::path> items, CompleteCallback onComplete,
               ProgressCallback onProgress);
    bool IsRunning() const { return jobRunning.load(); }
    // Blocks until the current batch (if any) has finished and delivered its result.
    void Wait();

private:
    struct Batch;
    void RunBatch(Batch& batch);
    void JoinFinished();

    ItemStep step;
    std::atomic<bool> jobRunning{false};
    std::mutex threadMutex;  // guards worker and retired
    std::thread worker;
    // A worker that started the next batch from inside its own completion callback cannot join
    // itself; it is parked here and joined by the next Start or the destructor.
    std::thread retired;
};

}  // namespace kw
