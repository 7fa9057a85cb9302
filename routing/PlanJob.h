#pragma once
// Plans a drop on a worker thread of its own (a preview before routing): the dropped items are
// turned into the items a batch would route (folders listed, if asked), and each is planned
// with PlanItem. A drop of many thousands of files must not stop the window, so the window only
// reads the progress and, at the end, takes the plans. Nothing on disk is changed.

#include <atomic>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "model/AppSettings.h"
#include "routing/ItemPlan.h"

namespace kw {

// Plans after this many keep only their outcome, not how each rule fared.
inline constexpr size_t kPlansWithReasons = 2000;

class PlanJob {
public:
    // As BatchHooks::prepare: what was dropped into the items to route; may end early at `stop`.
    using Prepare = std::function<std::vector<std::filesystem::path>(std::vector<std::filesystem::path> dropped,
                                                                     const std::atomic<bool>& stop)>;
    struct Progress {
        bool running = false;
        bool listing = false;  // still turning folders into files
        int done = 0;
        int total = 0;
    };

    PlanJob() = default;
    ~PlanJob();  // Cancel
    PlanJob(const PlanJob&) = delete;
    PlanJob& operator=(const PlanJob&) = delete;

    // Plans `dropped` with a copy of `settings`, replacing any plan made or in progress.
    // `changed` is called on the worker now and then (at most about ten times a second) and once
    // at the end, to wake the window. Throws std::system_error when no thread can be started.
    void Start(const AppSettings& settings, std::vector<std::filesystem::path> dropped, Prepare prepare,
               std::function<void()> changed);
    // Stops a plan in progress and forgets any result.
    void Cancel();
    Progress Now() const;
    // The finished plans, once; nothing while planning or after they were taken.
    std::optional<std::vector<ItemPlan>> Take();

private:
    void Run(AppSettings settings, std::vector<std::filesystem::path> dropped, Prepare prepare,
             std::function<void()> changed);

    std::thread worker;
    std::atomic<bool> stop{false};
    mutable std::mutex mutex;  // guards what follows
    Progress progress;
    std::optional<std::vector<ItemPlan>> result;
};

}  // namespace kw
