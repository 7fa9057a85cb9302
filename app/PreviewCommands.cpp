// The preview of a drop: planned off the window's thread, shown on the Preview tab, and routed
// exactly as shown, or dropped without anything moving.

#include "app/App.h"
#include "model/TextEncoding.h"
#include "shell/PathFiltering.h"

namespace kw {

void App::StartPreview(std::vector<std::filesystem::path> items) {
    previewRouteChosen = false;
    AnswerWaiters(previewWaiters, {}, 1, "Replaced by a newer preview; nothing was moved.");
    if (!PlanPreview(std::move(items))) return;
    previewWaiters = std::move(intakeWaiters);  // a `route --preview --wait` hears how it ends
    statusText = "Preview: nothing moves until you choose Route on the Preview tab.";
    overlay.SetStatus("Preview in the settings window", false);
    ShowMainWindow(true);
}

bool App::PlanPreview(std::vector<std::filesystem::path> items) {
    previewDropped = std::move(items);
    previewSettings = settings;
    previewPlans.reset();
    previewActive = true;
    PlanJob::Prepare prepare;
    if (settings.expandFoldersOnDrop)
        prepare = [](std::vector<std::filesystem::path> dropped, const std::atomic<bool>& stop) {
            std::vector<std::filesystem::path> files;
            ListingControl control;
            control.stop = &stop;
            ExpandFolders(dropped, true, files, control);
            return files;
        };
    const HWND window = mainWindow;
    try {
        previewJob.Start(settings, previewDropped, std::move(prepare),
                         [window] { PostMessageW(window, kPreviewChangedMessage, 0, 0); }, previewOptions);
    } catch (const std::exception& e) {
        previewActive = false;
        statusText = std::string("Could not plan the drop: ") + e.what();
        redrawRequested = true;
        return false;
    }
    overlay.SetPreviewPending(true);
    redrawRequested = true;
    return true;
}

void App::PumpPreview() {
    if (!previewActive) return;
    if (std::optional<std::vector<ItemPlan>> plans = previewJob.Take()) {
        for (const ItemPlan& plan : *plans) {
            renderHost.NoteText(PathToUtf8(plan.item));
            renderHost.NoteText(plan.outcome.target);
            renderHost.NoteText(plan.outcome.message);
        }
        previewPlans = std::move(*plans);
    }
    // Rules edited while the preview is open: what is shown must be what Route would do.
    if (!SameRouting(settings, previewSettings)) {
        PlanPreview(std::move(previewDropped));
        return;
    }
    if (previewRouteChosen && previewPlans) RoutePreview();
}

void App::RoutePreview() {
    if (!previewActive) return;
    // Chosen from a menu while the plan is still being made: the choice is kept and carried out
    // once the plan is in (behind a batch still running, as any drop).
    if (!previewPlans) {
        previewRouteChosen = true;
        statusText = "The previewed items are routed as soon as they are planned.";
        redrawRequested = true;
        return;
    }
    std::vector<std::filesystem::path> items;
    items.reserve(previewPlans->size());
    for (const ItemPlan& plan : *previewPlans) items.push_back(plan.item);
    std::vector<HWND> waiters = std::move(previewWaiters);
    previewWaiters.clear();
    CancelPreview();
    intakeWaiters = std::move(waiters);
    // Exactly the items shown: dropped folders were already listed for the plan.
    RouteNow(std::move(items), false, previewOptions);
}

void App::CancelPreview() {
    const bool shown = previewActive;
    previewJob.Cancel();
    previewActive = false;
    previewRouteChosen = false;
    previewPlans.reset();
    previewDropped.clear();
    overlay.SetPreviewPending(false);
    AnswerWaiters(previewWaiters, {}, 1, "Preview closed \xE2\x80\x94 nothing was moved.");
    if (shown) {
        statusText = "Preview closed \xE2\x80\x94 nothing was moved.";
        overlay.SetStatus("Drop files to route them", false);
    }
    redrawRequested = true;
}

PreviewView App::PreviewShown() const {
    PreviewView view;
    view.active = previewActive;
    view.progress = previewJob.Now();
    view.plans = previewPlans ? &*previewPlans : nullptr;
    view.plannedWith = &previewSettings;
    view.batchRunning = routeJob.IsRunning();
    view.routeChosen = previewRouteChosen;
    return view;
}

}  // namespace kw
