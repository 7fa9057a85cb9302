// Undo and cancel, as the application offers them: from the Activity tab, Ctrl+Z and Esc in the
// settings window, the tray menu and the drop zone's menu.

#include <unordered_map>

#include "app/App.h"
#include "history/Undo.h"
#include "shell/RecycleBinRestore.h"

namespace kw {

void App::LoadRecentBatches() {
    const std::filesystem::path file = HistoryFilePath();
    PruneHistory(file);
    std::vector<HistoryBatch> all = LoadHistory(file);
    recentBatches.assign(all.rbegin(), all.rend());
    if (recentBatches.size() > 20) recentBatches.resize(20);
    if (!recentBatches.empty()) lastBatchId = recentBatches.front().id;
}

void App::StartUndo(uint64_t id) {
    redrawRequested = true;
    if (routeJob.IsRunning()) {
        statusText = "Already routing a batch...";
        return;
    }
    const auto batch = std::find_if(recentBatches.begin(), recentBatches.end(),
                                    [&](const HistoryBatch& b) { return id == 0 || b.id == id; });
    std::vector<UndoStep> steps = batch == recentBatches.end() ? std::vector<UndoStep>{} : PlanUndo(*batch);
    if (steps.empty()) {
        statusText = "Nothing to undo.";
        return;
    }
    std::vector<std::filesystem::path> items;
    BatchHooks hooks;
    for (const UndoStep& step : steps) {
        items.push_back(step.from);
        hooks.alsoSettle.push_back(step.to.parent_path());
    }
    const uint64_t undoOf = batch->id;
    AddLog("Undoing " + std::to_string(steps.size()) + " item(s) of an earlier batch.");
    progressDone = 0;
    progressTotal = static_cast<int>(items.size());
    statusText = "Putting back " + std::to_string(items.size()) + " item(s)...";
    overlay.SetStatus(statusText, true);
    hooks.step = [steps = std::move(steps)](size_t index, const std::filesystem::path&) {
        return UndoItem(steps[index], RestoreFromRecycleBin);
    };
    StartRecordedBatch(std::move(items), undoOf, std::move(hooks));
}

void App::CancelBatch() {
    if (!routeJob.IsRunning()) return;
    routeJob.RequestStop();
    userCancelled = true;
    statusText = "Cancelling \xE2\x80\x94 the item in progress finishes first...";
    redrawRequested = true;
}

}  // namespace kw
