// The message loop: handles messages, hands the worker's reports over, and draws the settings
// window while something it shows has changed and its layout has not yet settled; an idle
// program blocks in GetMessageW. An exit asked for while a batch runs lets the batch finish
// with the window alive.

#include <algorithm>
#include <utility>

#include "app/App.h"
#include "model/TextEncoding.h"
#include "shell/RevealInExplorer.h"

namespace kw {

int64_t NowTicks() {
    LARGE_INTEGER t{};
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

double TicksToMilliseconds(int64_t ticks) {
    LARGE_INTEGER f{};
    QueryPerformanceFrequency(&f);
    return static_cast<double>(ticks) * 1000.0 / static_cast<double>(f.QuadPart);
}

int App::Run(HINSTANCE instance, int showCommand) {
    runStartTicks = NowTicks();
    if (!Init(instance, showCommand)) return 1;
    // Dear ImGui applies at most one mouse-button change per frame, and some widgets (tabs, for
    // one) show a click a frame later; a press and release that arrive together would otherwise
    // wait for the next message. So input is followed by a few more frames.
    constexpr int kFramesAfterInput = 3;
    constexpr DWORD kHoverFrameMs = 15;  // about a frame at 60 Hz
    const auto isInput = [](UINT message) {
        return (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) || (message >= WM_KEYFIRST && message <= WM_KEYLAST);
    };
    int settleFrames = 0;
    // After an exit request a batch still running is seen to its end with the window alive:
    // messages are handled and "Finishing..." is drawn until its result is logged.
    while (running || (routeJob.IsRunning() && IsWindow(mainWindow))) {
        ++stats.wakeups;
        MSG msg{};
        bool hadInput = false;
        // Keys typed faster than frames apply them, and a tooltip's delay, need frames though no
        // message comes; a delay only needs time to pass, so its frames wait for a message a
        // little first.
        const ImGuiAwaits awaits = CanDraw() && renderHost.HasImGui() ? WhatImGuiAwaits() : ImGuiAwaits::nothing;
        const bool wantFrame = redrawRequested || settleFrames > 0 || (CanDraw() && settling.WantsFrame());
        if (!wantFrame && awaits == ImGuiAwaits::hover) {
            // Returns early when a message arrives (MWMO_INPUTAVAILABLE: also one already seen
            // but left in the queue); either way the loop goes on and draws.
            MsgWaitForMultipleObjectsEx(0, nullptr, kHoverFrameMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        } else if (!wantFrame && awaits == ImGuiAwaits::nothing) {
            const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
            if (got == -1) break;
            if (got == 0) {
                RequestExit();
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            hadInput = isInput(msg.message);
        }
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                RequestExit();
                break;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            hadInput = hadInput || isInput(msg.message);
        }
        PumpJobEvents();
        // Every message may change what the window shows (a show, a resize, a status): frames
        // follow until the layout has settled.
        if (redrawRequested) settling.Invalidate();
        else if (progressRedraw) settling.TextChanged();
        progressRedraw = false;
        if (CanDraw() && (settleFrames > 0 || settling.WantsFrame() || awaits != ImGuiAwaits::nothing)) {
            if (routeJob.IsRunning()) {
                const FrameCause cause = settling.WantsFrame()   ? (settling.OneFrame() ? FrameCause::text : FrameCause::change)
                                         : settleFrames > 0       ? FrameCause::input
                                         : awaits == ImGuiAwaits::input ? FrameCause::queuedInput
                                                                   : FrameCause::hover;
                ++stats.batchFrameCauses[static_cast<size_t>(cause)];
            }
            RenderOneFrame();
        }
        redrawRequested = false;
        settleFrames = hadInput ? kFramesAfterInput : std::max(0, settleFrames - 1);
    }
    Shutdown();
    return 0;
}

bool App::CanDraw() const { return mainWindow && IsWindowVisible(mainWindow) && !IsIconic(mainWindow); }

void App::RequestExit() {
    if (running && routeJob.IsRunning()) {
        // What waits behind the running batch is not routed now: its items stay, and say so.
        for (PendingBatch& batch : pendingBatches)
            if (&batch != &pendingBatches.front()) batch.stop = PendingBatch::Stop::exit;
        routeJob.DropQueued();
        statusText = "Finishing the current batch before exit...";
        overlay.SetStatus("Finishing the current batch...", true);
    }
    running = false;
    redrawRequested = true;
}

void App::RenderOneFrame() {
    const int64_t now = NowTicks();
    if (stats.frames == 0) stats.firstFrameMs = TicksToMilliseconds(now - runStartTicks);
    if (routeJob.IsRunning() && lastFrameTicks != 0) {
        const double gap = TicksToMilliseconds(now - lastFrameTicks);
        stats.maxFrameGapMs = std::max(stats.maxFrameGapMs, gap);
        ++stats.framesWhileRouting;
        if (gap > 50) ++stats.gapsOver50Ms;
        if (droppedAwaitingLine) stats.maxListingFrameGapMs = std::max(stats.maxListingFrameGapMs, gap);
        stats.batchMaxGapMs = std::max(stats.batchMaxGapMs, gap);
    }
    lastFrameTicks = now;
    ++stats.frames;
    NoteFrameTexts();
    renderHost.BeginFrame();
    bool settingsChanged = false;
    PumpPreview();
    HistoryLoaded(false);
    TakeFolderCheck();
    TakeWatchEvents();
    const SettingsWindowView view{statusText,    progressDone,         progressTotal, logLines,
                                  activityLog,   hotkey,               folderWarning, &recentBatches,
                                  routeJob.IsRunning(), PreviewShown(), &batchOffers, newestOfThisRun,
                                  routeJob.Queued().items,
                                  WatchShown()};
    const SettingsWindowActions actions{
        [this](unsigned modifiers, unsigned vk, std::string& error) { return ApplyHotkey(modifiers, vk, error); },
        [this] { SaveSettings(); },
        [this](bool visible) { SetOverlayVisible(visible); },
        [this] { ApplyAllSettings(); },
        [this](uint64_t id) { pendingUndo = id; },  // after the frame: it may read the history in
        [this] { CancelBatch(); },
        [this] {
            CancelQueued();
            CancelBatch();
        },
        [](const std::string& path) { RevealInExplorer(PathFromUtf8(path)); },
        [this] { RoutePreview(); },
        [this] { CancelPreview(); },
        [this](bool showBox) { CheckRoutingFolders(showBox); },
        [this](WatchOfferChoice choice) { AnswerWatchOffer(choice); },
    };
    drawingSettings = true;
    DrawSettingsWindow(settings, uiState, settingsChanged, mainWindow, view, actions);
    drawingSettings = false;
    if (settingsChanged) {
        NoteSettingsTexts();
        ApplyColours();
        tray.Add(hInstance, mainWindow);
    }
    if (settingsChanged || saveAfterDraw) SaveSettings();
    if (const std::optional<uint64_t> undo = std::exchange(pendingUndo, std::nullopt)) StartUndo(*undo);
    renderHost.RenderFrame();
    if (settings.overlayAlpha != lastAppliedAlpha) {
        overlay.SetAlpha(settings.overlayAlpha);
        lastAppliedAlpha = settings.overlayAlpha;
    }
    const bool fontSizeChanged = settings.uiFontSize != lastAppliedFontSize;
    if (fontSizeChanged) {
        RequestScaledFonts();
        lastAppliedFontSize = settings.uiFontSize;
        EnsureMinimumSize();
    }
    settling.FrameDrawn();
    if (renderHost.ApplyRequestedFonts() || fontSizeChanged) settling.Invalidate();
    if (routeJob.IsRunning()) {
        ++stats.batchFrames;
        stats.batchDrawMs += TicksToMilliseconds(NowTicks() - now);
    }
}

}  // namespace kw
