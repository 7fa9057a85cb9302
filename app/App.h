#pragma once
// The process-wide application object: owns the live settings, the windows, the drop zone,
// the tray icon, the hotkey, the render host and the route job, and runs the message loop on
// the UI thread. The worker thread reaches it only through the hand-over slots below.

#include <windows.h>
#include <wrl/client.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <filesystem>
#include <future>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/IntakeGathering.h"
#include "app/IntakeInbox.h"
#include "app/JobEvents.h"
#include "history/BatchHistory.h"
#include "history/HistoryFile.h"
#include "history/UndoOffer.h"
#include "model/AppFolder.h"
#include "model/AppSettings.h"
#include "model/SettingsStore.h"
#include "render/RenderHost.h"
#include "routing/ActivityLog.h"
#include "routing/PlanJob.h"
#include "routing/RouteJob.h"
#include "app/RoutingFolderCheck.h"
#include "app/WaiterReplies.h"
#include "shell/BackgroundMessageBox.h"
#include "shell/FileDropReceiver.h"
#include "shell/Hotkey.h"
#include "shell/OverlayWindow.h"
#include "shell/TrayIcon.h"
#include "ui/FrameSettling.h"
#include "ui/SettingsWindow.h"
#include "watch/FolderWatcher.h"

namespace kw {

constexpr UINT kJobProgressMessage = WM_APP + 2;
constexpr UINT kJobFinishedMessage = WM_APP + 3;
constexpr UINT kWakeMessage = WM_APP + 5;
constexpr UINT kWakeForHistoryMessage = WM_APP + 7;  // the history was read
constexpr UINT kFolderCheckMessage = WM_APP + 8;  // the routing folders were looked at
constexpr UINT kPreviewChangedMessage = WM_APP + 6;  // the plan of a drop, or the tester's, moved on
constexpr UINT kWatchMessage = WM_APP + 12;  // the folder watcher has something to hand over
constexpr UINT kIntakeArrivedMessage = WM_APP + 13;  // a list handed over by another process was read
constexpr UINT kLogSearchMessage = WM_APP + 24;  // the search of the log found lines or ended
constexpr UINT kGlyphsReadyMessage = WM_APP + 25;  // glyphs the window's texts need were added
constexpr wchar_t kMainWindowClass[] = L"KestraneFileweirMain";
constexpr wchar_t kInstanceMutexName[] = L"Local\\KestraneFileweir.SingleInstance.v1";
constexpr DWORD kMainWindowStyle = WS_OVERLAPPEDWINDOW;
constexpr DWORD kMainWindowExStyle = WS_EX_APPWINDOW | WS_EX_ACCEPTFILES;
constexpr UINT_PTR kDropZoneOutcomeTimer = 2;  // the drop zone goes back to its idle text
constexpr UINT kDropZoneOutcomeMs = 6000;
constexpr UINT_PTR kCommandLineTimer = 3;  // lists from other processes are due
constexpr UINT kShellOfferMessage = WM_APP + 9;  // ask about a Send To entry of another copy
constexpr UINT_PTR kProgressTimer = 4;  // while a batch runs: takes a progress report held back

// Client size of the main window for a font size at 96 DPI: 980 x 760, 1080 x 840, 1180 x 980.
SIZE ClientSizeFor(UiFontSize size);
// The smallest client size at 96 DPI, for every font size: every tab lays out again down to it
// (lists shrink, the rule editor and the Settings tab scroll), so that the window fits small
// screens at any scaling.
inline SIZE MinimumClientSize() { return SIZE{640, 480}; }
// 16, 20 or 26 pixels at 96 DPI.
float FontPixelSize(UiFontSize size);

// What the message loop did, for benchmarks and diagnostics (cheap counters, always on).
struct LoopStats {
    uint64_t wakeups = 0;           // loop iterations
    uint64_t frames = 0;            // frames rendered
    double firstFrameMs = 0;        // from Run to the first presented frame
    double maxFrameGapMs = 0;       // longest gap between two frames while a batch ran
    uint64_t framesWhileRouting = 0;
    uint64_t gapsOver50Ms = 0;      // of those frames, how many came more than 50 ms after the last
    double maxListingFrameGapMs = 0;  // the same while dropped folders were being listed
    double lastIntakeMs = 0;        // time the last drop spent on the UI thread before routing
    // The batch running (or the last one): its frames, the time they took, the largest gap.
    uint64_t batchFrames = 0;
    double batchDrawMs = 0;
    double batchMaxGapMs = 0;
    // Why the batch's frames were drawn, by FrameCause; and the messages that asked for a full
    // redraw while it ran (message id and count, the first few distinct ids).
    std::array<uint32_t, 5> batchFrameCauses{};
    std::array<std::pair<UINT, uint32_t>, 6> batchRedrawMessages{};
};

// Why a frame was drawn: a change that settles over frames, one frame for a text (progress), the
// frames after input, input Dear ImGui has queued, a hover delay running.
enum class FrameCause { change, text, input, queuedInput, hover };

// A monotonic clock for the loop's own statistics.
int64_t NowTicks();
double TicksToMilliseconds(int64_t ticks);

class App {
public:
    static App& Instance();
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    // Exit code: 1 when start-up failed, else 0.
    int Run(HINSTANCE instance, int showCommand);

    // Drop intake: the one way dropped items become a routing batch. With `preview` (Shift held
    // as they were dropped), or the setting, they are planned and shown first instead. `options`
    // say how the batch is carried out (copies instead of moves: Ctrl held, or the command line).
    void HandleDroppedFiles(std::vector<std::filesystem::path> items, bool preview = false, BatchOptions options = {});
    // Items named on a command line (this copy's own, or handed over by another process): they
    // are gathered for a moment and then routed as a drop (CommandLineIntake.cpp).
    void TakeCommandLine(IntakeRequest request, std::uintptr_t waiter = 0);
    // Appends to the activity log and to the recent lines (newest first, at most 500).
    void AddLog(const std::string& message);
    // Moves the latest progress and the final result out of the hand-over slots into the
    // status texts, the drop zone, the log and a balloon.
    void PumpJobEvents();

    // Puts back what batch `id` moved (0: the newest batch), as a batch of its own.
    void StartUndo(uint64_t id = 0);
    // Stops the running batch at the next item boundary.
    void CancelBatch();
    // The preview of a drop (PreviewCommands.cpp): planned on a worker, shown on the Preview
    // tab, routed exactly as shown or dropped. Planned again when the rules change meanwhile.
    void StartPreview(std::vector<std::filesystem::path> items);
    bool PlanPreview(std::vector<std::filesystem::path> items);  // false when it could not start
    void PumpPreview();
    void RoutePreview();
    void CancelPreview();
    PreviewView PreviewShown() const;

    const LoopStats& Stats() const { return stats; }
    // Progress messages that were ever waiting in the queue at once (1 at most).
    int MaxQueuedProgressPosts() const { return jobEvents.MaxQueuedProgressPosts(); }
    HWND MainWindow() const { return mainWindow; }
    HWND OverlayHandle() const { return overlay.Handle(); }
    // What the status line, the progress pair and the drop zone show (UI thread).
    const std::string& StatusText() const { return statusText; }
    const std::deque<std::string>& LogLines() const { return logLines; }
    std::pair<int, int> Progress() const { return {progressDone, progressTotal}; }
    const OverlayWindow& DropZone() const { return overlay; }
    // What the undo entry of the tray and drop-zone menus says; "" when there is nothing to undo.
    std::wstring UndoMenuLabel() const;
    // The pixel size of the settings window's font as built (UI thread).
    float FontPixels() const { return renderHost.FontPixels(); }
    const RenderHost::GlyphFigures& Glyphs() const { return renderHost.Glyphs(); }
    bool GlyphsPending() { return renderHost.GlyphsPending(); }

private:
    App() = default;

    bool Init(HINSTANCE instance, int showCommand);
    // Ends the loop once no batch is running (the window stays live until then).
    void RequestExit();
    void Shutdown();
    void RenderOneFrame();
    bool CanDraw() const;  // the settings window is shown and not minimised

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCommand(UINT id);
    void OnMainWindowDrop(std::vector<std::filesystem::path> paths, POINT screen);

    void ShowMainWindow(bool restore);
    // The drop zone's first place, at the first start.
    void PlaceDropZoneFirst();
    void SetOverlayVisible(bool visible);
    void SaveSettings();
    void TakeStoreResult(const StoreResult& result);
    void ApplyAllSettings();
    void CheckRoutingFolders(bool showBox);
    // Sizes at the DPI of the window's monitor (DisplayScale.cpp).
    SIZE ComputeWindowSize(UiFontSize size) const;
    SIZE WindowSizeFor(SIZE client) const;  // the window around a 96-DPI client size, within the work area
    void EnsureMinimumSize();
    float UiScale() const;
    void RequestScaledFonts();
    void OnDpiChanged(const RECT& suggested);
    bool ApplyHotkey(unsigned modifiers, unsigned vk, std::string& error);
    void CaptureHotkeyKey(unsigned vk);
    void ApplyColours();
    // Drop intake (DropIntake.cpp): a batch that ends without routing anything clears its
    // progress; the line that opens a batch in the log waits until its items are counted.
    void EndBatchUnrouted(const std::string& status, const std::string& dropZoneText);
    void LogIntakeOnce(int batchSize);
    // The drop zone shows a batch's outcome for a few seconds, then its idle text.
    void ShowOutcomeOnDropZone(const std::string& text);
    void EndDropZoneOutcome();
    std::wstring dropZoneOutcome;  // the outcome the drop zone shows, until the timer ends it
    ULONGLONG dropZoneOutcomeSince = 0;
    // Routes items that passed intake; with `listing`, dropped folders are listed first. While a
    // batch runs the new one waits in the route job's queue.
    void RouteNow(std::vector<std::filesystem::path> items, bool listing, BatchOptions options = {});
    // Items already looked at (shell objects and missing paths taken out): planned first, or
    // routed.
    void RouteOrPreview(std::vector<std::filesystem::path> items, bool preview, BatchOptions options);
    // A batch handed to the route job, running or waiting, until its result is taken; the one
    // running is the oldest.
    struct PendingBatch {
        std::shared_ptr<BatchRecording> recording;
        int dropped = 0;        // items as handed over (folders not yet listed count as one)
        bool listing = false;   // its folders are listed as its first phase
        BatchOptions options;   // copies instead of moves
        std::string startText;  // the status line as it starts
        std::string startLine;  // its opening log line, when known before it runs
        bool begun = false;     // its start was shown and logged
        std::vector<HWND> waiters;  // `route --wait` processes told its outcome
        // Who stops it, should it be stopped: a log-off unless the user cancels or exits.
        enum class Stop { sessionEnd, cancelled, exit } stop = Stop::sessionEnd;
        std::string watchedFolder;  // the watched folder its items arrived in; empty for a drop
        std::vector<std::filesystem::path> watchedItems;  // given back to the watcher once it ends
    };
    std::deque<PendingBatch> pendingBatches;
    void BeginBatch(PendingBatch& batch);
    // " — Queued: N item(s)" while batches wait behind the running one, else "".
    std::string QueuedSuffix();
    void CancelQueued();
    // Command-line intake (CommandLineIntake.cpp): lists from other processes arrive as
    // WM_COPYDATA, are read off this thread by `inbox` and wait there until due; `intakeWaiters`
    // are handed to the batch (or preview) the next intake starts, and told its outcome when it
    // ends.
    LRESULT OnCopyData(HWND sender, const COPYDATASTRUCT* data);
    void ArmCommandLineTimer();
    void RouteDueCommandLines();
    void RouteCommandLineBatch(GatheredBatch batch);
    void AnswerWaiters(std::vector<HWND>& waiters, const std::vector<std::string>& lines, int exitCode,
                       const std::string& text);
    void EndCommandLines();  // at exit: what still waits is logged and its waiters told
    void TakeArrivedLists();  // kIntakeArrivedMessage
    std::atomic<HWND> intakeWindow{nullptr};  // told when a list was read
    IntakeInbox inbox{[this] {
        if (const HWND window = intakeWindow.load()) PostMessageW(window, kIntakeArrivedMessage, 0, 0);
    }};
    WaiterReplies waiterReplies;
    bool initDone = false;
    std::vector<HWND> intakeWaiters;
    std::vector<HWND> previewWaiters;
    std::vector<std::string> refusedLists;  // why lists were refused, logged outside a frame
    // Send To, the Explorer menu verb (ShellIntegration.cpp): brought in line with the settings
    // at start and after a restore; a Send To entry of another copy is offered to be updated.
    void ApplyShellIntegration(bool atStart);
    void OfferSendToUpdate();
    std::wstring foreignSendTo;  // the other copy a Send To entry points at, while offered

    // Log-off and shutdown (SessionEnd.cpp).
    bool OnQueryEndSession();
    void OnEndSession(bool ending);

    HINSTANCE hInstance = nullptr;
    HWND mainWindow = nullptr;
    bool running = true;
    bool redrawRequested = true;
    AppSettings settings;
    SettingsStore settingsStore{ConfigPath()};
    bool settingsRetryTimer = false;  // set while config.json is held, so it is tried again
    // While the settings window draws (and any modal dialog it opens runs), widgets hold
    // references into `settings`: taking up config.json, which replaces them, waits until after.
    bool drawingSettings = false;
    bool saveAfterDraw = false;
    UiState uiState;
    FrameSettling settling;  // frames until the layout has settled after a change
    bool progressRedraw = false;  // only the progress changed, or the window was uncovered: one frame shows it
    HotkeyCaptureState hotkey;  // capture mode, its error text and prompt
    std::string statusText;
    int progressDone = 0;
    int progressTotal = 0;
    std::optional<int> droppedAwaitingLine;  // items dropped for a batch still listing its folders
    std::deque<std::string> logLines;
    std::string folderWarning;
    // Texts of the user's names, noted for the render host as they are set (WindowTexts.cpp), so
    // that characters beyond the embedded font are drawn with the system's fonts.
    void NoteSettingsTexts();
    void NoteFrameTexts();  // before each frame: the status line and what came in since
    void NoteTypedCharacter(wchar_t unit);
    wchar_t typedHighSurrogate = 0;
    size_t notedSearchLines = 0;  // of uiState.activity.found
    BackgroundMessageBox folderWarningBox;  // folders a batch could not create (routing goes on)
    std::optional<RoutingFolderCheck> folderCheck;  // made with the main window, which it wakes
    void TakeFolderCheck();
    ActivityLog activityLog;
    RenderHost renderHost;
    OverlayWindow overlay;
    TrayIcon tray;
    int lastAppliedAlpha = -1;
    UiFontSize lastAppliedFontSize = UiFontSize::medium;
    int minTrackWidth = 640;
    int minTrackHeight = 480;
    FileDropReceiver mainDrops;  // folders dropped on the settings window

    LoopStats stats;
    int64_t runStartTicks = 0;
    int64_t lastFrameTicks = 0;

    // Recent batches from the history, newest first, for the Activity tab and undo; the one
    // running is being recorded by the worker and joins them when its result arrives.
    std::vector<HistoryBatch> recentBatches;
    BatchOffers batchOffers;  // what undo offers for them, worked out each time they change
    uint64_t newestOfThisRun = 0;  // the batch that ended last in this run: Ctrl+Z undoes it unasked
    std::optional<uint64_t> pendingUndo;  // asked for by the settings window during a frame
    void RefreshOffers();
    uint64_t lastBatchId = 0;
    // The one writer of history.jsonl (every batch's lines, the logged marks, the trimming at
    // start), made once the data folder is settled; each batch's recording holds it too.
    std::shared_ptr<HistoryFile> history;
    // The history is read on a thread of its own from start-up (UndoCommands.cpp);
    // HistoryLoaded takes it in once read (with `wait`, waiting for it) and says whether it is.
    void LoadRecentBatches();
    bool HistoryLoaded(bool wait);
    struct LoadedHistory {
        std::vector<HistoryBatch> newest;    // newest first, at most 20
        std::vector<HistoryBatch> unlogged;  // of the last run, when it ended unexpectedly
        size_t damaged = 0;                  // lines of the file that could not be read
    };
    std::future<LoadedHistory> historyLoad;
    // After a crash or a kill (CrashRecovery.cpp): the last run's start time, the crash report it
    // left, and whether its unlogged batches still wait to be logged.
    std::optional<uint64_t> previousRunStart;
    std::optional<std::filesystem::path> crashReport;
    bool recoveryPending = false;
    void BeginRun();
    void LogRecovered(const std::vector<HistoryBatch>& unlogged);
    std::atomic<HWND> historyWindow{nullptr};  // woken when the history is in
    // The route job's start with the batch recorded in the history (with `listFolders`, dropped
    // folders are listed on the worker first); false when it could not start.
    bool StartRecordedBatch(std::vector<std::filesystem::path> items, uint64_t undoOf, BatchHooks hooks,
                            PendingBatch intake);

    // Watched folders (WatchCommands.cpp): the watcher runs on a thread of its own and posts
    // kWatchMessage; its settled arrivals become batches of the one route job.
    std::optional<FolderWatcher> watcher;
    std::vector<WatchOffer> watchOffers;  // the oldest is shown until answered
    std::vector<WatchFolderStatus> watchStatuses;
    void StartWatching();
    void ConfigureWatching();
    void TakeWatchEvents();
    void StartWatchBatch(const std::string& folder, std::vector<std::filesystem::path> items);
    void SetWatchingPaused(bool paused);
    void AnswerWatchOffer(WatchOfferChoice choice);
    void ShowWatchingState();
    WatchView WatchShown() const;

    // Hand-over slots between the worker's callbacks and PumpJobEvents.
    JobEvents jobEvents;

    // The drop being previewed: what was dropped, the settings it is planned with, the plans.
    std::vector<std::filesystem::path> previewDropped;
    BatchOptions previewOptions;  // how the previewed drop is carried out once routed
    AppSettings previewSettings;
    std::optional<std::vector<ItemPlan>> previewPlans;
    bool previewActive = false;
    bool previewRouteChosen = false;  // Route was chosen before the plan was in
    PlanJob previewJob;

    // Last: destroyed first at process exit, so a batch still running is waited for while
    // everything its callbacks touch still exists.
    RouteJob routeJob;
};

}  // namespace kw
