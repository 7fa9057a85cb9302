#pragma once
// Runs batches of dropped items one at a time, in the order they came, on a worker thread of its
// own, so that large batches never block the window. It is the one intake of routing work: a
// batch started while another runs waits in its queue (a drop during a batch, an undo, later the
// watched folders and the command line) and runs after the ones before it. The thread is
// started with the first batch and kept for the next ones: starting a thread costs most of a
// millisecond under Wine, a tenth of what moving a hundred files costs. A batch can be asked to
// stop (a user's cancel, a log-off): it then ends after the item in hand, and every item it
// handled is in its result; the batches waiting can be dropped with it.

#include <atomic>
#include <condition_variable>
#include <deque>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "model/AppSettings.h"
#include "routing/BatchCache.h"
#include "routing/BatchPhases.h"
#include "routing/ItemActions.h"
#include "routing/RouteItemResult.h"

namespace kw {

struct RouteJobResult {
    std::vector<RouteItemResult> items;  // one per item handled, in input order
    int32_t moved = 0;                   // moved or recycled
    int32_t skipped = 0;
    int32_t failed = 0;
    int32_t notHandled = 0;  // items left untouched because the batch was asked to stop
    bool journalFailed = false;  // a move across volumes went ahead without its journal record
    std::vector<std::string> notes;  // what the batch found and left alone, for the log
    BatchPhases phases;              // where the batch's time went
};

// What a batch may do besides routing, each part optional.
struct BatchHooks {
    // The batch's first phase, on the worker: turns what was dropped into the items to route
    // (folders into the files inside them). It should end early once `stop` is set.
    std::function<std::vector<std::filesystem::path>(std::vector<std::filesystem::path> dropped,
                                                     const std::atomic<bool>& stop)>
        prepare;
    // A step of its own instead of routing (an undo); index from 0. It gets what the batch holds
    // (the staging of its moves across volumes among it).
    std::function<RouteItemResult(size_t index, const std::filesystem::path&, BatchCache&)> step;
    // Each move about to happen, on the worker: the item and the path it is about to take (see
    // MoveStaging::OnIntent).
    std::function<void(const std::filesystem::path& source, const std::filesystem::path& target)> intent;
    // Each item as it completes, on the worker (the history records it there, so that a kill
    // loses at most the item in flight).
    std::function<void(const std::filesystem::path&, const RouteItemResult&)> itemDone;
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
    // Waits for a running batch to finish. Not to be destroyed from inside its own callbacks.
    ~RouteJob();
    RouteJob(const RouteJob&) = delete;
    RouteJob& operator=(const RouteJob&) = delete;

    // Queues a batch on a copy of `settings`; it starts once the batches before it have ended.
    // An empty list is answered at once on the calling thread through onComplete. onComplete is
    // called exactly once per accepted batch, on the worker, once the batch is no longer in the
    // queue (IsRunning() is false when no other batch waits); a batch whose preparation leaves
    // nothing completes with no items (see DropQueued for one that never ran). Throws std::system_error only when no thread can be started (then no callback
    // is called and nothing is queued).
    // `options`: how the batch is carried out (copies instead of moves), see BatchOptions.h.
    void Start(const AppSettings& settings, std::vector<std::filesystem::path> items, CompleteCallback onComplete,
               ProgressCallback onProgress, BatchHooks hooks = {}, BatchOptions options = {});
    // A batch is running or waiting.
    bool IsRunning() const { return jobRunning.load(); }
    // The batches waiting behind the one running, and how many items they hold (as dropped:
    // folders not yet listed count as one).
    struct Waiting {
        int batches = 0;
        int items = 0;
    };
    Waiting Queued() const;
    // The running batch (if any) stops before its next item (or ends its preparation early).
    void RequestStop();
    // The batches waiting are dropped: each completes in its turn, on the worker, with every
    // item not handled (results keep the order batches were started in).
    void DropQueued();
    // Blocks until every batch (running and waiting) has finished and delivered its result.
    void Wait();

private:
    struct Batch;
    void RunBatch(Batch& batch);
    // The batch's result to its caller; the job counts as idle once nothing waits.
    void Deliver(Batch& batch, RouteJobResult result);
    void WorkerLoop();

    ItemStep step;
    std::atomic<bool> jobRunning{false};
    std::atomic<bool> stopRequested{false};
    mutable std::mutex mutex;      // guards everything below
    std::condition_variable wake;  // a batch is queued, or the job ends
    std::condition_variable idle;  // a batch has delivered its result
    std::deque<std::unique_ptr<Batch>> queue;  // waiting, oldest first
    bool delivering = false;       // a batch taken by the worker has not delivered its result yet
    bool ending = false;
    std::thread worker;
    // The worker's own: what earlier batches of this job already settled.
    bool journalsSettled = false;
    std::vector<std::filesystem::path> spare;  // staging folders the journals keep
    std::set<std::wstring> swept;              // destinations looked at for staging names, as spelled
};

}  // namespace kw
