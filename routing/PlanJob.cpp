#include "routing/PlanJob.h"

#include <windows.h>

#include "routing/BatchCache.h"
#include "routing/ComApartment.h"

namespace kw {
namespace fs = std::filesystem;

PlanJob::~PlanJob() { Cancel(); }

void PlanJob::Cancel() {
    stop = true;
    if (worker.joinable()) worker.join();
    stop = false;
    std::lock_guard lock(mutex);
    progress = {};
    result.reset();
}

void PlanJob::Start(const AppSettings& settings, std::vector<fs::path> dropped, Prepare prepare,
                    std::function<void()> changed) {
    Cancel();
    {
        std::lock_guard lock(mutex);
        progress = Progress{true, static_cast<bool>(prepare), 0, prepare ? 0 : static_cast<int>(dropped.size())};
    }
    worker = std::thread(&PlanJob::Run, this, settings, std::move(dropped), std::move(prepare), std::move(changed));
}

PlanJob::Progress PlanJob::Now() const {
    std::lock_guard lock(mutex);
    return progress;
}

std::optional<std::vector<ItemPlan>> PlanJob::Take() {
    std::lock_guard lock(mutex);
    std::optional<std::vector<ItemPlan>> taken = std::move(result);
    result.reset();
    return taken;
}

void PlanJob::Run(AppSettings settings, std::vector<fs::path> dropped, Prepare prepare, std::function<void()> changed) {
    const ComApartment apartment;
    ULONGLONG lastWake = 0;
    const auto wake = [&](bool always) {
        const ULONGLONG now = GetTickCount64();
        if (!changed || (!always && now - lastWake < 100)) return;
        lastWake = now;
        changed();
    };
    std::vector<ItemPlan> plans;
    try {
        std::vector<fs::path> items = prepare ? prepare(std::move(dropped), stop) : std::move(dropped);
        {
            std::lock_guard lock(mutex);
            progress.listing = false;
            progress.total = static_cast<int>(items.size());
        }
        wake(true);
        BatchCache batch(settings);
        plans.reserve(items.size());
        for (size_t i = 0; i < items.size() && !stop; ++i) {
            plans.push_back(PlanItem(items[i], batch));
            // How every rule fared takes a kilobyte or two an item: a drop of a hundred thousand
            // files keeps it for the first items only.
            if (i >= kPlansWithReasons) plans.back().trace = {};
            {
                std::lock_guard lock(mutex);
                progress.done = static_cast<int>(i + 1);
            }
            wake(false);
        }
    } catch (const std::exception&) {
        // Out of memory or the like: the plan ends with what it has.
    }
    if (stop) return;
    {
        std::lock_guard lock(mutex);
        progress.running = false;
        result = std::move(plans);
    }
    wake(true);
}

}  // namespace kw
