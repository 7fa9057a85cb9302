// Drop intake and batch status: how dropped items become a routing batch, and how the
// worker's reports come back to the status line, the drop zone, the log and the tray.

#include <algorithm>
#include <chrono>
#include <thread>

#include "app/App.h"
#include "app/BatchStatus.h"
#include "model/TextEncoding.h"
#include "shell/PathFiltering.h"

namespace kw {
namespace {

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
    logLines.push_front(activityLog.Append(message));
    while (logLines.size() > kMaxLogLines) logLines.pop_back();
}

void App::HandleDroppedFiles(std::vector<std::filesystem::path> items) {
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
    if (routeJob.IsRunning()) {
        statusText = "Already routing a batch...";
        overlay.SetStatus("Busy \xE2\x80\x94 wait for the current batch", true);
        redrawRequested = true;
        return;
    }
    std::vector<std::filesystem::path> batch;
    ExpandFolders(items, settings.expandFoldersOnDrop, batch);
    if (batch.empty()) {
        statusText = "No files to route.";
        overlay.SetStatus("No files to route", false);
        redrawRequested = true;
        return;
    }
    const std::string count = std::to_string(batch.size());
    if (settings.expandFoldersOnDrop && batch.size() != items.size())
        AddLog("Expanded folder drop to " + count + " file(s) for routing.");
    else
        AddLog("Received " + count + " dropped item(s).");
    progressDone = 0;
    progressTotal = static_cast<int>(batch.size());
    statusText = "Routing " + count + " item(s)...";
    overlay.SetStatus(statusText, true);

    const HWND window = mainWindow;
    JobEvents& events = jobEvents;
    auto onComplete = [&events, window](RouteJobResult result) {
        events.StoreResult(std::move(result));
        PostUntilDelivered(window, kJobFinishedMessage);
    };
    auto onProgress = [&events, window](int done, int total, std::string current) {
        if (events.StoreProgress(done, total, std::move(current)) && !PostMessageW(window, kJobProgressMessage, 0, 0))
            events.ProgressPostFailed();
    };
    stats.lastIntakeMs = TicksToMilliseconds(NowTicks() - intakeStart);
    lastFrameTicks = 0;  // frame gaps count from here: the worker has the batch
    try {
        routeJob.Start(settings, std::move(batch), std::move(onComplete), std::move(onProgress));
    } catch (const std::exception& e) {
        statusText = std::string("Could not start routing: ") + e.what();
        overlay.SetStatus("Drop files to route them", false);
        progressDone = progressTotal = 0;
    }
    redrawRequested = true;
}

void App::PumpJobEvents() {
    JobEvents::Taken taken = jobEvents.Take();
    if (const auto& progress = taken.progress) {
        progressDone = progress->done;
        progressTotal = progress->total;
        statusText = ProgressStatusText(progress->done, progress->total, progress->current);
        overlay.SetStatus(statusText, true);
        redrawRequested = true;
    }
    for (const RouteJobResult& result : taken.results) {
        progressDone = result.moved + result.skipped + result.failed;
        progressTotal = static_cast<int>(result.items.size());
        statusText = BatchTallyText(result);
        overlay.SetStatus("Drop files to route them", false);
        // One open of the log for the whole batch: a large batch must not freeze the window
        // with thousands of open-append-close cycles.
        std::vector<std::string> messages;
        messages.reserve(result.items.size());
        for (const RouteItemResult& item : result.items) messages.push_back(ItemLogLine(item));
        for (std::string& line : activityLog.AppendAll(messages)) logLines.push_front(std::move(line));
        while (logLines.size() > kMaxLogLines) logLines.pop_back();
        redrawRequested = true;
        if (BatchNeedsBalloon(result)) tray.ShowBalloon(L"Kestrane Fileweir", ToWide(statusText));
    }
}

}  // namespace kw
