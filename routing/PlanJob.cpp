#include "routing/PlanJob.h"

#include <windows.h>

#include "routing/BatchCache.h"
#include "routing/ComApartment.h"

namespace kw {
namespace fs = std::filesystem;

// What one plan's worker shares with the window; owned by both, so either may go first.
struct PlanJob::Run {
    std::atomic<bool> stop{false};
    std::atomic<bool> ended{false};  // the worker has returned from its work
    std::mutex mutex;                // guards what follows
    Progress progress;
    std::optional<std::vector<ItemPlan>> result;
};

PlanJob::~PlanJob() {
    Cancel();
    Reap();
    // A worker still inside a call to a drive that does not answer cannot be waited for without
    // stopping whoever destroys this (the window, at exit). It holds its own share of the run, its
    // settings and its items, and touches nothing else: it is let go.
    for (Retired& r : retired) r.thread.detach();
}

void PlanJob::Cancel() {
    if (current) current->stop = true;
    if (worker.joinable()) retired.push_back(Retired{current, std::move(worker)});
    current.reset();
    Reap();
}

void PlanJob::Reap() {
    for (auto it = retired.begin(); it != retired.end();) {
        if (it->run && !it->run->ended) {
            ++it;
            continue;
        }
        if (it->thread.joinable()) it->thread.join();  // at its last instruction already
        it = retired.erase(it);
    }
}

size_t PlanJob::StillEnding() {
    Reap();
    return retired.size();
}

void PlanJob::Start(const AppSettings& settings, std::vector<fs::path> dropped, Prepare prepare,
                    std::function<void()> changed, BatchOptions options) {
    Cancel();
    auto run = std::make_shared<Run>();
    run->progress = Progress{true, static_cast<bool>(prepare), 0, prepare ? 0 : static_cast<int>(dropped.size())};
    worker = std::thread(&PlanJob::Work, run, settings, options, std::move(dropped), std::move(prepare),
                         std::move(changed));
    current = std::move(run);
}

PlanJob::Progress PlanJob::Now() const {
    if (!current) return {};
    std::lock_guard lock(current->mutex);
    return current->progress;
}

std::optional<std::vector<ItemPlan>> PlanJob::Take() {
    if (!current) return std::nullopt;
    std::lock_guard lock(current->mutex);
    std::optional<std::vector<ItemPlan>> taken = std::move(current->result);
    current->result.reset();
    return taken;
}

void PlanJob::Work(const std::shared_ptr<Run>& run, AppSettings settings, BatchOptions options,
                   std::vector<fs::path> dropped, Prepare prepare, std::function<void()> changed) {
    {
        const ComApartment apartment;
        ULONGLONG lastWake = 0;
        const auto wake = [&](bool always) {
            const ULONGLONG now = GetTickCount64();
            if (!changed || run->stop || (!always && now - lastWake < 100)) return;
            lastWake = now;
            changed();
        };
        std::vector<ItemPlan> plans;
        try {
            std::vector<fs::path> items = prepare ? prepare(std::move(dropped), run->stop) : std::move(dropped);
            {
                std::lock_guard lock(run->mutex);
                run->progress.listing = false;
                run->progress.total = static_cast<int>(items.size());
            }
            wake(true);
            BatchCache batch(settings, options);
            plans.reserve(items.size());
            for (size_t i = 0; i < items.size() && !run->stop; ++i) {
                plans.push_back(PlanItem(items[i], batch));
                // How every rule fared takes a kilobyte or two an item: a drop of a hundred
                // thousand files keeps it for the first items only.
                if (i >= kPlansWithReasons) plans.back().trace = {};
                {
                    std::lock_guard lock(run->mutex);
                    run->progress.done = static_cast<int>(i + 1);
                }
                wake(false);
            }
        } catch (const std::exception&) {
            // Out of memory or the like: the plan ends with what it has.
        }
        if (!run->stop) {
            {
                std::lock_guard lock(run->mutex);
                run->progress.running = false;
                run->result = std::move(plans);
            }
            wake(true);
        }
    }
    run->ended = true;
}

}  // namespace kw
