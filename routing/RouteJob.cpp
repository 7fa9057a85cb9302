#include "routing/RouteJob.h"

#include <chrono>
#include <memory>
#include <system_error>
#include <vector>

#include "model/DataFolder.h"
#include "model/TextEncoding.h"
#include "routing/ReplacedItem.h"
#include "routing/RouteMessages.h"
#include "routing/SourceDeletion.h"

namespace kw {

namespace {

// A group of moves across volumes shares one flush of the journal (MoveStaging::GroupCommits):
// at most this many, or this long after its first, so the window's progress and the history
// trail the moves by a fraction of a second, and a kill leaves at most one group to finish.
constexpr size_t kGroupMoves = 64;
constexpr std::chrono::milliseconds kGroupTime{100};

}  // namespace

struct RouteJob::Batch {
    AppSettings settings;
    std::vector<std::filesystem::path> items;
    CompleteCallback onComplete;
    ProgressCallback onProgress;
    BatchHooks hooks;
    BatchOptions options;
    bool dropped = false;  // taken out of the queue: completes with nothing handled, in its turn
};

RouteJob::RouteJob() : RouteJob(ItemStep(RouteItem)) {}

RouteJob::RouteJob(ItemStep itemStep) : step(std::move(itemStep)) {}

RouteJob::~RouteJob() {
    Wait();
    {
        std::lock_guard lock(mutex);
        ending = true;
    }
    wake.notify_all();
    if (worker.joinable()) worker.join();
}

void RouteJob::Wait() {
    std::unique_lock lock(mutex);
    // From inside a completion callback (on the worker) there is nothing left to wait for: the
    // batch has ended, and the next one runs only once the callback returns.
    if (worker.joinable() && worker.get_id() == std::this_thread::get_id()) return;
    idle.wait(lock, [&] { return queue.empty() && !delivering; });
}

RouteJob::Waiting RouteJob::Queued() const {
    std::lock_guard lock(mutex);
    Waiting waiting;
    for (const std::unique_ptr<Batch>& batch : queue) {
        if (batch->dropped) continue;
        ++waiting.batches;
        waiting.items += static_cast<int>(batch->items.size());
    }
    return waiting;
}

void RouteJob::RequestStop() {
    std::lock_guard lock(mutex);
    if (delivering) stopRequested = true;
}

void RouteJob::DropQueued() {
    // Each completes in its turn on the worker, not here: the callers match results to batches
    // by their order, so a dropped batch must not answer before the one running.
    std::lock_guard lock(mutex);
    for (const std::unique_ptr<Batch>& batch : queue) batch->dropped = true;
}

void RouteJob::WorkerLoop() {
    std::unique_lock lock(mutex);
    for (;;) {
        wake.wait(lock, [&] { return !queue.empty() || ending; });
        if (queue.empty()) return;
        std::unique_ptr<Batch> batch = std::move(queue.front());
        queue.pop_front();
        delivering = true;
        stopRequested = false;  // a stop asked for an earlier batch is not this one's
        lock.unlock();
        RunBatch(*batch);
        batch.reset();  // its callbacks and what they hold go before the batch counts as delivered
        lock.lock();
        delivering = false;
        idle.notify_all();
    }
}

void RouteJob::Start(const AppSettings& settings, std::vector<std::filesystem::path> items,
                     CompleteCallback onComplete, ProgressCallback onProgress, BatchHooks hooks,
                     BatchOptions options) {
    if (items.empty()) {
        if (onComplete) onComplete(RouteJobResult{});
        return;
    }
    std::lock_guard lock(mutex);
    queue.push_back(std::make_unique<Batch>(
        Batch{settings, std::move(items), std::move(onComplete), std::move(onProgress), std::move(hooks), options}));
    jobRunning = true;
    if (!worker.joinable()) {
        try {
            worker = std::thread([this] { WorkerLoop(); });
        } catch (...) {
            queue.pop_back();
            jobRunning = false;
            throw;
        }
    }
    wake.notify_one();
}

void RouteJob::RunBatch(Batch& batch) {
    RouteJobResult result;
    if (batch.dropped) {
        result.notHandled = static_cast<int32_t>(batch.items.size());
        Deliver(batch, std::move(result));
        return;
    }
    try {
        PhaseClock clock;
        if (batch.hooks.prepare) batch.items = batch.hooks.prepare(std::move(batch.items), stopRequested);
        BatchCache cache(batch.settings, batch.options);
        BatchPhases& phases = cache.Phases();
        clock.Stop(phases.listing);
        // A batch of this process never overlaps another (one instance, one batch at a time), so
        // journals found now were left by a run that was killed: the moves they record are
        // finished or undone first, and the staging folders they name cleared. Once per job, and
        // again only after a batch that could not clear its own. The items about to be routed
        // are never cleared under them, and a stop (a cancel, a log-off) is honoured between
        // records: a record that names an offline share must not hold a one-file drop.
        if (!journalsSettled) {
            spare = SettleMoveJournals(DataFolder().folder, SettleScope{&stopRequested, batch.items, &result.notes});
            journalsSettled = !stopRequested;
        }
        // A destination is looked at for what earlier versions left (journals of single moves)
        // when the batch first copies into it, and only then: a batch touches no folder it does
        // not use, and one on another volume only when it goes there. What no journal of ours
        // accounts for is left in place and reported once.
        cache.Staging().BeforeFirstCopyInto([&](const std::filesystem::path& folder) {
            if (!swept.insert(folder.native()).second) return;
            for (const std::filesystem::path& left : SweepStagingNames(folder, spare))
                result.notes.push_back("Left in place: " + PathToUtf8(left) +
                                       " looks like an unfinished copy, but no journal of this program accounts for "
                                       "it; nothing in it was deleted.");
        });
        const int total = static_cast<int>(batch.items.size());
        result.items.reserve(batch.items.size());
        MoveStaging& staging = cache.Staging();
        staging.GroupCommits(true);
        staging.OnIntent(batch.hooks.intent);
        // Items whose outcome waits for their group's commit (moves across volumes), and those
        // after them: handed on in order once the group is committed.
        struct Held {
            const std::filesystem::path* item;
            RouteItemResult result;
            bool waits;
        };
        std::vector<Held> held;
        BatchPhases::Clock::time_point groupStart{};
        const auto handOn = [&](const std::filesystem::path& item, RouteItemResult r) {
            PhaseClock recording;
            if (batch.hooks.itemDone) {
                try {
                    batch.hooks.itemDone(item, r);
                } catch (...) {
                    // The record of an item is a convenience; the item itself is done.
                }
            }
            recording.Stop(phases.record);
            ++phases.items;
            if (r.skipped) ++result.skipped;
            else if (r.ok) ++result.moved;
            else ++result.failed;
            result.items.push_back(std::move(r));
        };
        const auto commit = [&] {
            if (held.empty()) return;
            PhaseClock committing;
            const std::vector<std::error_code> outcomes = staging.Commit();
            committing.Stop(phases.move);
            size_t next = 0;
            for (Held& h : held) {
                if (!h.waits) continue;
                const std::error_code ec = next < outcomes.size() ? outcomes[next++] : std::error_code();
                if (IsSourceChanged(ec)) {
                    h.result.ok = h.result.skipped = false;
                    h.result.message = kMessageSourceChanged;
                    if (h.result.replacedAt) h.result.message += kOldOneInBin;
                } else if (ec) {
                    h.result.ok = h.result.skipped = false;
                    h.result.message = std::system_category().message(ec.value());
                }
            }
            for (Held& h : held) handOn(*h.item, std::move(h.result));
            held.clear();
        };
        for (int index = 1; index <= total; ++index) {
            if (stopRequested) {
                result.notHandled = total - index + 1;
                break;
            }
            const std::filesystem::path& item = batch.items[static_cast<size_t>(index - 1)];
            // Routed again while its earlier move waits, a source would be copied twice.
            if (staging.PendingWithin(item)) commit();
            RouteItemResult r;
            const size_t pendingBefore = staging.Pending();
            try {
                clock = PhaseClock();
                if (batch.onProgress) batch.onProgress(index, total, ToUtf8(item.filename().native()));
                clock.Stop(phases.progress);
                const BatchPhases::Clock::duration selected = phases.selection;
                r = batch.hooks.step ? batch.hooks.step(static_cast<size_t>(index - 1), item, cache) : step(item, cache);
                clock.Stop(phases.move);
                phases.move -= phases.selection - selected;
            } catch (const std::exception& e) {
                r = RouteItemResult{PathToUtf8(item), "", "", e.what(), false, false};
            } catch (...) {
                r = RouteItemResult{PathToUtf8(item), "", "", "Unexpected error.", false, false};
            }
            const bool waits = staging.Pending() > pendingBefore;
            if (held.empty() && !waits) {
                handOn(item, std::move(r));
                continue;
            }
            if (held.empty()) groupStart = BatchPhases::Clock::now();
            held.push_back({&item, std::move(r), waits});
            if (staging.Pending() >= kGroupMoves || BatchPhases::Clock::now() - groupStart >= kGroupTime) commit();
        }
        commit();
        result.phases = phases;
        result.journalFailed = staging.RecordsLost();
        if (!staging.Close()) journalsSettled = false;
    } catch (...) {
        // Out of memory for the result itself: report what was handled; the batch still ends.
    }
    Deliver(batch, std::move(result));
}

void RouteJob::Deliver(Batch& batch, RouteJobResult result) {
    {
        std::lock_guard lock(mutex);
        if (queue.empty()) jobRunning = false;
    }
    if (batch.onComplete) {
        try {
            batch.onComplete(std::move(result));
        } catch (...) {
            // A throwing callback must not take the process down from a worker thread.
        }
    }
}

}  // namespace kw
