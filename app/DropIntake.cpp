// Drop intake and batch status: how dropped items become a routing batch, and how the
// worker's reports come back to the status line, the drop zone, the log and the tray.

#include <algorithm>
#include <chrono>
#include <thread>

#include "app/App.h"
#include "app/BatchPhaseReport.h"
#include "app/BatchStatus.h"
#include "history/MoveIntents.h"
#include "model/DataFolder.h"
#include "model/PathKind.h"
#include "model/TextEncoding.h"
#include "shell/PathFiltering.h"

namespace kw {
namespace {

constexpr size_t kRecentBatches = 20;
constexpr char kUndoHint[] = " \xE2\x80\x94 Ctrl+Z or Undo on the Activity tab puts it back";
// A batch of copies only: its undo takes the copies away, the items never left.
constexpr char kUndoCopiesHint[] = " \xE2\x80\x94 Ctrl+Z or Undo on the Activity tab removes the copies";

// The completion message must arrive, or the result would sit unshown until some other
// message woke the loop. Posting can fail only on a full queue; wait and retry while the
// window lives (the worker thread may wait, the UI thread never waits for it).
void PostUntilDelivered(HWND window, UINT message) {
    for (int attempt = 0; attempt < 1000; ++attempt) {
        if (PostMessageW(window, message, 0, 0) || !IsWindow(window)) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

}  // namespace

void App::AddLog(const std::string& message) {
    // What the last run did without logging it goes first (it is read with the history).
    if (recoveryPending) HistoryLoaded(true);
    logLines.push_front(activityLog.Append(message));
    renderHost.NoteText(logLines.front());
    while (logLines.size() > kMaxLogLines) logLines.pop_back();
}

void App::HandleDroppedFiles(std::vector<std::filesystem::path> items, bool preview, BatchOptions options) {
    if (!running) return;  // exiting: no new batch
    const int64_t intakeStart = NowTicks();
    std::vector<std::filesystem::path> kept;
    int unsupported = 0;
    FilterDroppedPaths(items, kept, &unsupported);
    if (unsupported > 0)
        AddLog("Skipped " + std::to_string(unsupported) + " unsupported item(s) (e.g. Recycle Bin or shell objects).");
    items = std::move(kept);
    if (items.empty()) {
        if (unsupported > 0) {
            statusText = "No compatible files to route.";
            overlay.SetStatus("No compatible files to route", false);
            redrawRequested = true;
        }
        return;
    }
    RouteOrPreview(std::move(items), preview, options);
    stats.lastIntakeMs = TicksToMilliseconds(NowTicks() - intakeStart);
}

void App::RouteOrPreview(std::vector<std::filesystem::path> items, bool preview, BatchOptions options) {
    if (!running) return;  // exiting: no new batch
    if (preview || settings.previewBeforeRouting) {
        previewOptions = options;
        StartPreview(std::move(items));
        return;
    }
    RouteNow(std::move(items), settings.expandFoldersOnDrop, options);
}

void App::RouteNow(std::vector<std::filesystem::path> items, bool listing, BatchOptions options) {
    // Folders are listed on the worker, as the batch's first phase: a drop of a folder holding
    // a hundred thousand files must not stop the window (or the program it came from).
    PendingBatch intake;
    intake.dropped = static_cast<int>(items.size());
    intake.listing = listing;
    intake.options = options;
    intake.startText = listing ? "Listing the dropped folders..." : "Routing " + std::to_string(intake.dropped) + " item(s)...";
    if (!listing) intake.startLine = IntakeLogLine(false, intake.dropped, intake.dropped);
    if (options.copyInsteadOfMove) {
        intake.startText = "Copying " + std::to_string(intake.dropped) + " item(s)...";
        if (!intake.startLine.empty()) intake.startLine += " \xE2\x80\x94 copying instead of moving";
    }
    intake.waiters = std::move(intakeWaiters);
    StartRecordedBatch(std::move(items), 0, {}, std::move(intake));
}

std::string App::QueuedSuffix() {
    const RouteJob::Waiting waiting = routeJob.Queued();
    // The drop zone's menu learns here whether to offer "Cancel queued too".
    overlay.SetQueued(waiting.batches > 0);
    if (waiting.items == 0) return {};
    return " \xE2\x80\x94 Queued: " + std::to_string(waiting.items) + " item(s)";
}

void App::BeginBatch(PendingBatch& batch) {
    batch.begun = true;
    progressDone = 0;
    progressTotal = batch.listing ? 0 : batch.dropped;
    if (batch.listing) droppedAwaitingLine = batch.dropped;
    else droppedAwaitingLine.reset();
    if (!batch.startLine.empty()) AddLog(batch.startLine);
    statusText = batch.startText + QueuedSuffix();
    overlay.SetStatus(statusText, true);
    lastFrameTicks = 0;  // frame gaps count from here: the worker has the batch
    stats.batchFrames = 0;
    stats.batchDrawMs = stats.batchMaxGapMs = 0;
    stats.batchFrameCauses = {};
    stats.batchRedrawMessages = {};
    // Progress is announced at most a few times a second (JobEvents); this takes what was held.
    if (mainWindow) SetTimer(mainWindow, kProgressTimer, static_cast<UINT>(JobEvents::kProgressInterval.count()), nullptr);
    redrawRequested = true;
}

bool App::StartRecordedBatch(std::vector<std::filesystem::path> items, uint64_t undoOf, BatchHooks hooks,
                             PendingBatch intake) {
    HistoryLoaded(true);  // its pruning may rewrite the file this batch appends to
    const HWND window = mainWindow;
    JobEvents& events = jobEvents;
    const auto report = [&events, window](int done, int total, std::string current, bool listingPhase) {
        if (events.StoreProgress(done, total, std::move(current), listingPhase) &&
            !PostMessageW(window, kJobProgressMessage, 0, 0))
            events.ProgressPostFailed();
    };
    auto onComplete = [&events, window](RouteJobResult result) {
        events.StoreResult(std::move(result));
        PostUntilDelivered(window, kJobFinishedMessage);
    };
    auto onProgress = [report](int done, int total, std::string current) { report(done, total, std::move(current), false); };
    if (intake.listing) {
        hooks.prepare = [report](std::vector<std::filesystem::path> droppedItems, const std::atomic<bool>& stop) {
            std::vector<std::filesystem::path> files;
            ListingControl control;
            control.stop = &stop;
            control.reportEvery = 200;  // a report costs a lock; frames follow them, at most one a turn
            control.found = [&report](size_t found) { report(static_cast<int>(found), 0, std::string(), true); };
            ExpandFolders(droppedItems, true, files, control);
            return files;
        };
    }
    // Ids are the time the batch was handed over in file-time ticks, kept increasing should the
    // clock step back.
    HistoryBatch batch;
    batch.time = SystemClock().UtcTicks();
    batch.id = std::max<uint64_t>(batch.time, lastBatchId + 1);
    lastBatchId = batch.id;
    batch.undoOf = undoOf;
    batch.watchedFolder = intake.watchedFolder;
    auto recording = std::make_shared<BatchRecording>(history, std::move(batch));
    // What a batch puts into a watched folder (a move, an undo's put-back) is not routed again
    // from there by the watcher.
    FolderWatcher* watching = watcher ? &*watcher : nullptr;
    hooks.itemDone = [recording, watching](const std::filesystem::path&, const RouteItemResult& result) {
        recording->Add(result);
        if (watching && result.ok && !result.skipped && !result.target.empty())
            watching->NoteOwnItem(PathFromUtf8(result.target));
    };
    // Each move is written down before it happens: a kill never leaves one that nobody can see.
    auto intents = std::make_shared<MoveIntents>(HistoryFilePath().parent_path(), recording->Batch());
    hooks.intent = [intents](const std::filesystem::path& source, const std::filesystem::path& target) {
        intents->Add(source, target);
    };
    intake.recording = std::move(recording);
    const bool waits = !pendingBatches.empty();
    const BatchOptions options = intake.options;
    // Results come back in the order batches were handed over: each finds its entry at the front.
    pendingBatches.push_back(std::move(intake));
    try {
        routeJob.Start(settings, std::move(items), std::move(onComplete), std::move(onProgress), std::move(hooks),
                       options);
    } catch (const std::exception& e) {
        AnswerWaiters(pendingBatches.back().waiters, {}, 1, std::string("Could not start routing: ") + e.what());
        pendingBatches.pop_back();
        if (!waits) EndBatchUnrouted(std::string("Could not start routing: ") + e.what(), "Drop files to route them");
        return false;
    }
    if (!waits) {
        BeginBatch(pendingBatches.front());
    } else {
        // The running batch goes on showing its progress, with what waits behind it.
        const PendingBatch& queued = pendingBatches.back();
        AddLog("Queued " + std::to_string(queued.dropped) + " item(s) behind the running batch.");
        // (The drop zone showed the status line's text, which may be of the listing phase.)
        statusText = statusText.substr(0, statusText.find(" \xE2\x80\x94 Queued: ")) + QueuedSuffix();
        overlay.SetStatus(statusText, true);
    }
    redrawRequested = true;
    return true;
}

void App::CancelQueued() {
    for (PendingBatch& batch : pendingBatches)
        if (&batch != &pendingBatches.front()) batch.stop = PendingBatch::Stop::cancelled;
    routeJob.DropQueued();
    redrawRequested = true;
}

void App::EndBatchUnrouted(const std::string& status, const std::string& dropZoneText) {
    statusText = status;
    overlay.SetStatus(dropZoneText, false);
    progressDone = progressTotal = 0;
    droppedAwaitingLine.reset();
    redrawRequested = true;
}

void App::LogIntakeOnce(int batchSize) {
    if (!droppedAwaitingLine) return;
    AddLog(IntakeLogLine(true, *droppedAwaitingLine, batchSize));
    droppedAwaitingLine.reset();
    redrawRequested = true;  // a new line in the log: more than the progress changed
}

void App::PumpJobEvents() {
    JobEvents::Taken taken = jobEvents.Take();
    // A report taken with a result may be that batch's last or the next one's first: which, it
    // does not say, so it is passed over (the next report is announced again).
    if (const auto& progress = taken.progress; progress && taken.results.empty()) {
        if (progress->listing) {
            statusText = ListingStatusText(progress->done);
        } else {
            LogIntakeOnce(progress->total);
            progressDone = progress->done;
            progressTotal = progress->total;
            // The batch running is the oldest handed over.
            const bool undo = !pendingBatches.empty() && pendingBatches.front().recording &&
                              pendingBatches.front().recording->Batch().undoOf != 0;
            statusText = ProgressStatusText(progress->done, progress->total, progress->current, undo);
        }
        statusText += QueuedSuffix();
        overlay.SetStatus(statusText, true);
        progressRedraw = true;
    }
    for (const RouteJobResult& result : taken.results) {
        PendingBatch ended;
        if (!pendingBatches.empty()) {
            ended = std::move(pendingBatches.front());
            pendingBatches.pop_front();
        }
        if (!ended.begun) BeginBatch(ended);  // dropped from the queue before it ran
        if (!ended.watchedFolder.empty() && watcher) watcher->Finished(ended.watchedItems);
        const std::shared_ptr<BatchRecording>& recording = ended.recording;
        const int batchSize = static_cast<int>(result.items.size()) + result.notHandled;
        if (batchSize == 0) {
            // The dropped folders held no files: the batch ends before it began.
            EndBatchUnrouted("No files to route.", "No files to route");
            AnswerWaiters(ended.waiters, {}, 0, "No files to route.");
            if (!pendingBatches.empty()) BeginBatch(pendingBatches.front());
            continue;
        }
        LogIntakeOnce(batchSize);
        const BatchTally tally = TallyOf(result.items, result.notHandled);
        const bool undo = recording && recording->Batch().undoOf != 0;
        const BatchEnd end = result.notHandled == 0           ? BatchEnd::finished
                             : ended.stop == PendingBatch::Stop::cancelled ? BatchEnd::cancelled
                                                              : BatchEnd::stopped;
        // The share of the batch that was handled: a cancelled batch's bar is not full.
        progressDone = tally.Handled();
        progressTotal = tally.Total();
        statusText = BatchTallyText(tally, end, undo);
        const std::string tallyText = statusText;
        // The drop zone shows the outcome for a while, for whoever watches only the drop zone.
        ShowOutcomeOnDropZone(statusText);
        // The worker is done with the recording: the items it never reached are recorded here.
        if (recording) recording->Stopped(result.notHandled);
        bool unrecorded = false;
        if (recording && !recording->Batch().items.empty()) {
            unrecorded = !recording->Recorded();
            // Kept for this session either way: Ctrl+Z must never reach past it to an older batch.
            recentBatches.insert(recentBatches.begin(), recording->Batch());
            if (recentBatches.size() > kRecentBatches) recentBatches.pop_back();
            newestOfThisRun = recording->Batch().id;
            RefreshOffers();
            // Offered only for a batch the history holds: one it lacks is gone after a restart.
            const int placed = tally.moved + tally.renamed + tally.recycled;
            if (!undo && placed + tally.copied > 0 && !unrecorded) statusText += placed > 0 ? kUndoHint : kUndoCopiesHint;
        }
        statusText += RecordingProblemStatus(unrecorded, result.journalFailed);
        // One open of the log for the whole batch: a large batch must not freeze the window
        // with thousands of open-append-close cycles.
        std::vector<std::string> messages;
        messages.reserve(result.items.size() + 3);
        for (const RouteItemResult& item : result.items) messages.push_back((undo ? "[undo] " : "") + ItemLogLine(item));
        if (result.notHandled > 0)
            messages.push_back(std::string(ended.stop == PendingBatch::Stop::cancelled ? "Cancelled"
                                           : ended.stop == PendingBatch::Stop::exit  ? "Not routed as the program closed"
                                                                                     : "Stopped as the session ended") +
                               ": " + std::to_string(result.notHandled) +
                               " item(s) not routed; they stay where they were.");
        messages.insert(messages.end(), result.notes.begin(), result.notes.end());
        if (unrecorded) messages.push_back(HistoryFailedLogLine(PathToUtf8(recording->File())));
        if (result.journalFailed) messages.push_back(JournalFailedLogLine(PathToUtf8(DataFolder().folder)));
        const int64_t logStart = NowTicks();
        // Only the lines the tab keeps are looked at again: a batch of 100,000 items must not hold
        // the window for every line the tab would drop at once.
        std::vector<std::string> written = activityLog.AppendAll(messages);
        for (size_t i = written.size() - std::min<size_t>(written.size(), kMaxLogLines); i < written.size(); ++i) {
            renderHost.NoteText(written[i]);
            logLines.push_front(std::move(written[i]));
        }
        // A `route --wait` hears the batch's lines once the log has them, and the tally.
        AnswerWaiters(ended.waiters, messages, tally.failed > 0 || result.notHandled > 0 ? 1 : 0, tallyText);
        while (logLines.size() > kMaxLogLines) logLines.pop_back();
        // Only now is the batch in the log: a crash before this line has it logged at the next start.
        if (recording) MarkBatchLogged(*history, recording->Batch().id);
        ReportBatchPhases(result.phases, TicksToMilliseconds(NowTicks() - logStart), stats);
        redrawRequested = true;
        if (BatchNeedsBalloon(tally) && (ended.watchedFolder.empty() || settings.watching.balloons)) tray.ShowBalloon(L"Kestrane Fileweir", ToWide(statusText));
        // A folder that is merely missing is made at the first move; one that could not be made
        // is worth stopping the user for (the box has a thread of its own: routing goes on).
        if (tally.failed > 0) {
            const std::string uncreated = UncreatedFoldersText(UncreatedFolders(result.items, [](const std::string& folder) {
                return KindOf(PathFromUtf8(folder)) == PathKind::folder;
            }));
            if (!uncreated.empty()) folderWarningBox.Show(ToWide(uncreated), L"Folder could not be created", MB_ICONWARNING);
        }
        // The next batch in the queue has begun on the worker.
        if (!pendingBatches.empty()) BeginBatch(pendingBatches.front());
    }
    if (!taken.results.empty() && pendingBatches.empty() && mainWindow) KillTimer(mainWindow, kProgressTimer);
}

void App::ShowOutcomeOnDropZone(const std::string& text) {
    overlay.SetStatus(text, false);
    dropZoneOutcome = ToWide(text);
    dropZoneOutcomeSince = GetTickCount64();
    // SetTimer needs a window of the calling thread (this is the window's thread), and given the
    // id of a timer the window already has it resets it: the outcome stays for the full time
    // after the last batch.
    if (mainWindow) SetTimer(mainWindow, kDropZoneOutcomeTimer, kDropZoneOutcomeMs, nullptr);
}

void App::EndDropZoneOutcome() {
    // Resetting or killing a timer leaves a WM_TIMER already posted in the queue: one that comes
    // early belongs to an outcome replaced since, and the newer one's timer is still running.
    if (GetTickCount64() - dropZoneOutcomeSince + 100 < kDropZoneOutcomeMs) return;
    if (mainWindow) KillTimer(mainWindow, kDropZoneOutcomeTimer);
    // Something newer (a batch, a preview) has the drop zone by now: leave it.
    if (!dropZoneOutcome.empty() && overlay.Status() == dropZoneOutcome && !routeJob.IsRunning())
        overlay.SetStatus("Drop files to route them", false);
    dropZoneOutcome.clear();
}

}  // namespace kw
