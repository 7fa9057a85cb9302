// Watched folders: the watcher's arrivals become batches of the one route job (they wait their
// turn behind drops and drops behind them), its offers and states reach the settings window,
// and the tray and drop-zone menus pause and resume it.

#include "app/App.h"
#include "model/TextEncoding.h"
#include "routing/ItemActions.h"
#include "routing/RouteMessages.h"
#include "watch/WatchPolicy.h"

namespace kw {

void App::StartWatching() {
    watcher.emplace([window = mainWindow] { PostMessageW(window, kWatchMessage, 0, 0); });
    ConfigureWatching();
}

void App::ConfigureWatching() {
    if (watcher) watcher->Configure(settings);
    ShowWatchingState();
}

void App::ShowWatchingState() {
    size_t watched = 0;
    for (const WatchedFolder& folder : settings.watching.folders) watched += folder.enabled ? 1 : 0;
    const WatchMenu menu = watched == 0 ? WatchMenu::none : settings.watching.paused ? WatchMenu::resume : WatchMenu::pause;
    tray.SetWatchMenu(menu);
    overlay.SetWatchMenu(menu);
    const std::string summary = WatchingSummary(watched, settings.watching.paused);
    tray.SetTip(TipLine::watching, ToWide(summary));
}

void App::SetWatchingPaused(bool paused) {
    if (settings.watching.paused == paused) return;
    settings.watching.paused = paused;
    AddLog(paused ? "Watching paused." : "Watching resumed.");
    SaveSettings();  // configures the watcher anew
    redrawRequested = true;
}

void App::TakeWatchEvents() {
    if (!watcher) return;
    watchStatuses = watcher->Statuses();
    std::vector<WatchOffer> offers = watcher->TakeOffers();
    // The answer is asked for on the Settings tab, where the folder was just added.
    if (!offers.empty() && mainWindow && !IsWindowVisible(mainWindow)) ShowMainWindow(true);
    for (WatchOffer& offer : offers) watchOffers.push_back(std::move(offer));
    if (!running) return;  // exiting: what settles now is routed at the next start
    for (WatchArrival& arrival : watcher->TakeArrivals())
        StartWatchBatch(arrival.folder, std::move(arrival.items));
    redrawRequested = true;
}

void App::StartWatchBatch(const std::string& folder, std::vector<std::filesystem::path> items) {
    if (items.empty()) return;
    PendingBatch intake;
    intake.dropped = static_cast<int>(items.size());
    intake.watchedFolder = folder;
    intake.watchedItems = items;
    const std::vector<std::filesystem::path> copy = items;
    intake.startText = "Routing " + std::to_string(intake.dropped) + " item(s) from " + folder + "...";
    intake.startLine = WatchBatchLine(folder, items.size());
    BatchHooks hooks;
    if (watcher) {
        // An item an earlier batch put here (renamed in place, moved in) while this one waited
        // its turn is the program's own, even when the watcher handed it over first: a rename
        // such as "{name}_x" must never rename its own result again.
        hooks.step = [watching = &*watcher](size_t, const std::filesystem::path& item, BatchCache& cache) {
            if (!watching->IsOwnItem(item)) return RouteItem(item, cache);
            RouteItemResult r;
            r.source = PathToUtf8(item);
            r.ok = r.skipped = true;
            r.message = kMessageOwnItem;
            return r;
        };
    }
    // Not started (no thread): the watcher may hand them over again later.
    if (!StartRecordedBatch(std::move(items), 0, std::move(hooks), std::move(intake)) && watcher)
        watcher->Finished(copy);
}

void App::AnswerWatchOffer(WatchOfferChoice choice) {
    if (watchOffers.empty()) return;
    WatchOffer offer = std::move(watchOffers.front());
    watchOffers.erase(watchOffers.begin());
    switch (choice) {
        case WatchOfferChoice::preview:
            previewOptions = {};  // moved as the rules say, whatever an earlier drop asked
            StartPreview(std::move(offer.items));
            break;
        case WatchOfferChoice::route: StartWatchBatch(offer.folder, std::move(offer.items)); break;
        case WatchOfferChoice::onlyNew:
            AddLog("Watching " + offer.folder + ": the " + GroupedCount(offer.items.size()) +
                   " item(s) already there stay where they are.");
            break;
    }
    redrawRequested = true;
}

WatchView App::WatchShown() const {
    WatchView view;
    view.statuses = watchStatuses;
    if (!watchOffers.empty()) view.offer = ExistingItemsOffer(watchOffers.front().folder, watchOffers.front().items.size());
    return view;
}

}  // namespace kw
