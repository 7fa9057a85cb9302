#pragma once
// Plans a drop on a worker thread of its own (a preview before routing, the Test tab): the
// dropped items are turned into the items a batch would route (folders listed, if asked), and
// each is planned with PlanItem. A drop of many thousands of files, or a path on a share that
// does not answer, must not stop the window: the window only reads the progress and, at the end,
// takes the plans, and it never waits for a worker. A plan replaced or cancelled is told to stop
// and left to end on its own; its thread holds everything it uses, so nothing it touches is
// freed under it. Nothing on disk is changed.

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "model/AppSettings.h"
#include "routing/BatchOptions.h"
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
    // Workers still going are told to stop and let go (they own all they use).
    ~PlanJob();
    PlanJob(const PlanJob&) = delete;
    PlanJob& operator=(const PlanJob&) = delete;

    // Plans `dropped` with a copy of `settings`, carried out as `options` say (a Ctrl drop's plan
    // shows copies), replacing any plan made or in progress.
    // `changed` is called on the worker now and then (at most about ten times a second) and once
    // at the end, to wake the window. Throws std::system_error when no thread can be started.
    void Start(const AppSettings& settings, std::vector<std::filesystem::path> dropped, Prepare prepare,
               std::function<void()> changed, BatchOptions options = {});
    // Stops a plan in progress and forgets any result; returns at once.
    void Cancel();
    Progress Now() const;
    // The finished plans, once; nothing while planning or after they were taken.
    std::optional<std::vector<ItemPlan>> Take();
    // Workers told to stop that have not ended yet (stuck on a drive that does not answer).
    size_t StillEnding();

private:
    struct Run;
    static void Work(const std::shared_ptr<Run>& run, AppSettings settings, BatchOptions options,
                     std::vector<std::filesystem::path> dropped, Prepare prepare, std::function<void()> changed);
    // Joins the workers of earlier plans that have ended (at once: they have).
    void Reap();

    std::shared_ptr<Run> current;
    std::thread worker;
    struct Retired {
        std::shared_ptr<Run> run;
        std::thread thread;
    };
    std::vector<Retired> retired;
};

}  // namespace kw
