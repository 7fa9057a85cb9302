// Undo and cancel, as the application offers them: from the Activity tab, Ctrl+Z and Esc in the
// settings window, the tray menu and the drop zone's menu.

#include <algorithm>
#include <utility>
#include <chrono>
#include <unordered_map>

#include "app/App.h"
#include "app/BatchStatus.h"
#include "history/CrashRecovery.h"
#include "history/MoveIntents.h"
#include "history/Undo.h"
#include "model/Clock.h"
#include "model/TextEncoding.h"
#include "routing/BatchTally.h"
#include "shell/RecycleBinRestore.h"

namespace kw {

void App::LoadRecentBatches() {
    // A history of many megabytes takes a noticeable time to read, so it is read beside the
    // start-up, not in its way; the window is woken when it is in.
    historyLoad = std::async(std::launch::async, [file = history, this, since = previousRunStart] {
        // What a killed batch moved but had not recorded yet is recorded first.
        CompleteHistoryFromIntents(*file, file->Path().parent_path());
        HistoryRead read = file->Load();
        std::vector<HistoryBatch>& all = read.batches;
        LoadedHistory loaded;
        loaded.damaged = read.damaged;
        if (since) loaded.unlogged = UnloggedBatches(all, *since);
        loaded.newest.assign(all.rbegin(), all.rend());
        if (loaded.newest.size() > 20) loaded.newest.resize(20);
        if (const HWND window = historyWindow.load()) PostMessageW(window, kWakeForHistoryMessage, 0, 0);
        return loaded;
    });
}

bool App::HistoryLoaded(bool wait) {
    if (!historyLoad.valid()) return true;
    if (!wait && historyLoad.wait_for(std::chrono::seconds(0)) != std::future_status::ready) return false;
    LoadedHistory loaded;
    try {
        loaded = historyLoad.get();
    } catch (const std::exception&) {
        // Unreadable: no earlier batches to show or undo.
    }
    // Batches never start before the history is in (its pruning rewrites the file), so the
    // loaded batches are all there is.
    recentBatches = std::move(loaded.newest);
    if (std::exchange(recoveryPending, false)) LogRecovered(loaded.unlogged);
    if (loaded.damaged > 0) AddLog(HistoryDamagedLogLine(loaded.damaged, PathToUtf8(history->Path())));
    if (!recentBatches.empty()) lastBatchId = std::max(lastBatchId, recentBatches.front().id);
    RefreshOffers();
    redrawRequested = true;
    return true;
}

void App::RefreshOffers() {
    batchOffers = OffersFor(recentBatches);
    overlay.SetUndoLabel(UndoMenuLabel());
    // The drop zone keeps the newest batch's tally (of this run or an earlier one) on its last line.
    if (recentBatches.empty()) {
        overlay.SetLastBatch("");
    } else {
        const HistoryBatch& last = recentBatches.front();
        overlay.SetLastBatch("Last batch " + LocalClockText(last.time) + " \xE2\x80\x94 " +
                             TallyText(last.Tally(), last.undoOf != 0));
    }
}

std::wstring App::UndoMenuLabel() const {
    const UndoOffer& offer = batchOffers.last;
    if (offer.kind != UndoKind::undo && offer.kind != UndoKind::finish && offer.kind != UndoKind::redo) return {};
    return ToWide(LastBatchLabel(offer, LocalClockText(offer.time)));
}

void App::StartUndo(uint64_t id) {
    redrawRequested = true;
    HistoryLoaded(true);
    // 0 is "Undo last batch": the newest batch, or the rest of an undo that was cut short. While a
    // batch runs, the undo waits behind it in the queue, as it was asked for now.
    UndoOffer offer = batchOffers.last;
    if (id != 0) {
        offer = {};
        for (size_t i = 0; i < recentBatches.size() && i < batchOffers.rows.size(); ++i)
            if (recentBatches[i].id == id) offer = batchOffers.rows[i];
    }
    std::vector<UndoStep> steps = PlanOffer(offer, recentBatches);
    if (steps.empty()) {
        statusText = offer.kind == UndoKind::undone ? "That batch is already undone." : "Nothing to undo.";
        return;
    }
    std::vector<std::filesystem::path> items;
    BatchHooks hooks;
    for (const UndoStep& step : steps) items.push_back(step.from);
    const std::string count = std::to_string(steps.size());
    const std::string when = LocalClockText(offer.time);
    PendingBatch intake;
    intake.dropped = static_cast<int>(items.size());
    switch (offer.kind) {
        case UndoKind::finish:
            intake.startLine = "Putting back the other " + count + " item(s) of the batch at " + when +
                               " (its undo was cut short).";
            break;
        case UndoKind::redo: intake.startLine = "Redoing: moving " + count + " item(s) out again (put back at " + when + ")."; break;
        default: intake.startLine = "Undoing " + count + " item(s) of the batch at " + when + "."; break;
    }
    intake.startText = (offer.kind == UndoKind::redo ? "Moving " : "Putting back ") + count + " item(s)...";
    // One listing of the Recycle Bin for the whole undo, made on the worker at the first item
    // that needs it, and gone with the batch's step on that same thread.
    hooks.step = [steps = std::move(steps), bin = std::make_shared<RecycleBinIndex>(),
                  identities = std::make_shared<ItemIdentities>()](size_t index, const std::filesystem::path&,
                                                                    BatchCache& batch) {
        if (steps[index].copy || steps[index].toBin) batch.EnterComApartment();  // to the Recycle Bin
        return UndoItem(steps[index], [&](const UndoStep& step) { return bin->Restore(step); }, &batch.Staging(),
                        identities.get());
    };
    StartRecordedBatch(std::move(items), offer.batch, std::move(hooks), std::move(intake));
}

void App::CancelBatch() {
    if (!routeJob.IsRunning() || pendingBatches.empty()) return;
    routeJob.RequestStop();
    pendingBatches.front().stop = PendingBatch::Stop::cancelled;
    statusText = "Cancelling \xE2\x80\x94 the item in progress finishes first..." + QueuedSuffix();
    redrawRequested = true;
}

}  // namespace kw
