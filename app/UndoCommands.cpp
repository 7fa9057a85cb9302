// Undo and cancel, as the application offers them: from the Activity tab, Ctrl+Z and Esc in the
// settings window, the tray menu and the drop zone's menu.

#include <algorithm>
#include <chrono>
#include <unordered_map>

#include "app/App.h"
#include "history/Undo.h"
#include "shell/RecycleBinRestore.h"

namespace kw {

void App::LoadRecentBatches() {
    // A history of many megabytes takes a noticeable time to read, so it is read beside the
    // start-up, not in its way; the window is woken when it is in.
    const std::filesystem::path file = HistoryFilePath();
    historyLoad = std::async(std::launch::async, [file, this] {
        PruneHistory(file);
        std::vector<HistoryBatch> all = LoadHistory(file);
        std::vector<HistoryBatch> newest(all.rbegin(), all.rend());
        if (newest.size() > 20) newest.resize(20);
        if (const HWND window = historyWindow.load()) PostMessageW(window, kWakeForHistoryMessage, 0, 0);
        return newest;
    });
}

bool App::HistoryLoaded(bool wait) {
    if (!historyLoad.valid()) return true;
    if (!wait && historyLoad.wait_for(std::chrono::seconds(0)) != std::future_status::ready) return false;
    std::vector<HistoryBatch> loaded;
    try {
        loaded = historyLoad.get();
    } catch (const std::exception&) {
        // Unreadable: no earlier batches to show or undo.
    }
    // Batches never start before the history is in (its pruning rewrites the file), so the
    // loaded batches are all there is.
    recentBatches = std::move(loaded);
    if (!recentBatches.empty()) lastBatchId = std::max(lastBatchId, recentBatches.front().id);
    redrawRequested = true;
    return true;
}

void App::StartUndo(uint64_t id) {
    redrawRequested = true;
    HistoryLoaded(true);
    const auto batch = std::find_if(recentBatches.begin(), recentBatches.end(),
                                    [&](const HistoryBatch& b) { return id == 0 || b.id == id; });
    std::vector<UndoStep> steps = batch == recentBatches.end() ? std::vector<UndoStep>{} : PlanUndo(*batch);
    if (steps.empty()) {
        statusText = "Nothing to undo.";
        return;
    }
    std::vector<std::filesystem::path> items;
    BatchHooks hooks;
    for (const UndoStep& step : steps) items.push_back(step.from);
    const uint64_t undoOf = batch->id;
    PendingBatch intake;
    intake.dropped = static_cast<int>(items.size());
    intake.startLine = "Undoing " + std::to_string(steps.size()) + " item(s) of an earlier batch.";
    intake.startText = "Putting back " + std::to_string(items.size()) + " item(s)...";
    hooks.step = [steps = std::move(steps)](size_t index, const std::filesystem::path&, BatchCache& batch) {
        return UndoItem(steps[index], RestoreFromRecycleBin, &batch.Staging());
    };
    StartRecordedBatch(std::move(items), undoOf, std::move(hooks), std::move(intake));
}

void App::CancelBatch() {
    if (!routeJob.IsRunning() || pendingBatches.empty()) return;
    routeJob.RequestStop();
    pendingBatches.front().stopWords = "Cancelled";
    statusText = "Cancelling \xE2\x80\x94 the item in progress finishes first..." + QueuedSuffix();
    redrawRequested = true;
}

}  // namespace kw
