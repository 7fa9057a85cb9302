#include "app/App.h"

#include <algorithm>

#include <dwmapi.h>
#include <shellapi.h>

#include "app/BatchPhaseReport.h"
#include "app/BatchStatus.h"
#include "app/DataFolderNotice.h"
#include "model/DataFolder.h"
#include "history/CrashRecovery.h"
#include "model/MissingFolders.h"
#include "model/TextEncoding.h"
#include "render/ThemeColours.h"
#include "routing/JournalSeal.h"
#include "shell/Autostart.h"
#include "shell/BatchCommands.h"
#include "shell/RevealInExplorer.h"
#include "shell/OwnerWindowProc.h"
#include "shell/PathFiltering.h"
#include "shell/Dpi.h"
#include "shell/ScreenPlacement.h"
#include "shell/SystemTheme.h"

namespace kw {
namespace {

constexpr wchar_t kWindowTitle[] = L"Kestrane Fileweir";
constexpr int kAppIconId = 101;
constexpr UINT_PTR kSettingsRetryTimer = 1;
constexpr UINT kSettingsRetryMs = 2000;

constexpr char kStillRunningText[] = "Kestrane Fileweir is still running \xE2\x80\x94 find it in the tray";
constexpr int kDropZoneMargin = 16;  // from the work area's edges, at 96 DPI

// The tray's tooltip while routing folders are missing: the folders themselves are listed on
// the Settings tab.
std::string MissingFoldersTip(size_t count) {
    return std::to_string(count) +
           (count == 1 ? " folder will be created at the first move" : " folders will be created at the first move");
}

enum Command : UINT {
    kOpen = 201,
    kToggleDropZone = 202,
    kSettings = 203,
    kExit = 204,
};

}  // namespace

SIZE ClientSizeFor(UiFontSize size) {
    switch (size) {
        case UiFontSize::large: return {1080, 840};
        case UiFontSize::larger: return {1180, 980};
        default: return {980, 760};
    }
}

float FontPixelSize(UiFontSize size) {
    switch (size) {
        case UiFontSize::large: return 20.0f;
        case UiFontSize::larger: return 26.0f;
        default: return 16.0f;
    }
}

App& App::Instance() {
    static App app;
    return app;
}

void App::ApplyColours() {
    const bool dark = UsesDarkColours(settings.theme, SystemAppsUseLightTheme());
    if (renderHost.HasImGui()) renderHost.ApplyTheme(dark, UiScale());
    overlay.SetTheme(dark ? 0 : 1);
    // Not every system has the immersive dark title bar (Wine ignores it); cosmetic only.
    const BOOL darkTitle = dark;
    if (mainWindow) DwmSetWindowAttribute(mainWindow, 20 /* DWMWA_USE_IMMERSIVE_DARK_MODE */, &darkTitle, sizeof darkTitle);
}

bool App::Init(HINSTANCE instance, int showCommand) {
    hInstance = instance;
    uiState.shortcutsFromMessages = true;
    const StoreResult loaded = settingsStore.Load(settings);
    // Where the history, the journals and their key are kept is settled before anything reads
    // them; the log stays beside the program wherever it can still be written there.
    const DataFolderChoice& data = DataFolder();
    std::filesystem::path logFolder;
    if (!activityLog.CanAppend(data.besideProgram && data.writable)) {
        logFolder = data.besideProgram ? LocalDataFolder() : data.folder;
        if (!logFolder.empty()) activityLog = ActivityLog(logFolder / L"activity.log");
    }
    const std::vector<std::string> notices =
        DataFolderNotices(data, logFolder, InstallationKey(), CountMoveJournals(data.folder));

    std::vector<std::string> tail;
    activityLog.LoadTail(tail, kMaxLogLines);
    history = std::make_shared<HistoryFile>(HistoryFilePath());
    BeginRun();
    LoadRecentBatches();
    logLines.assign(tail.rbegin(), tail.rend());
    for (const std::string& line : logLines) renderHost.NoteText(line);

    SetStartWithWindows(settings.startWithWindows);
    ApplyShellIntegration(true);

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_CLASSDC;
    wc.lpfnWndProc = OwnerWindowProc<App, &App::mainWindow, &App::HandleMessage>;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(kAppIconId));
    wc.hIconSm = wc.hIcon;
    wc.lpszClassName = kMainWindowClass;
    RegisterClassExW(&wc);

    const SIZE size = ComputeWindowSize(settings.uiFontSize);
    CreateWindowExW(kMainWindowExStyle, kMainWindowClass, kWindowTitle, kMainWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT, size.cx,
                    size.cy, nullptr, nullptr, instance, this);
    if (!mainWindow) return false;
    // A second copy wakes this one; run elevated, this window would not hear a normal one
    // without letting the message through UIPI.
    ChangeWindowMessageFilterEx(mainWindow, kWakeMessage, MSGFLT_ALLOW, nullptr);
    // WM_COPYDATA (lists of items to route) is deliberately not let through: run as
    // administrator, this copy would otherwise move files for any program of lower rights. The
    // sender is told (access denied) and says so.
    TakeStoreResult(loaded);
    NoteSettingsTexts();
    for (const std::string& notice : notices) {
        AddLog(notice);
        statusText += (statusText.empty() ? "" : " ") + notice;
    }


    // The history being read since start-up wakes the window when it is in; if it already is,
    // this message takes it.
    historyWindow = mainWindow;
    intakeWindow = mainWindow;
    PostMessageW(mainWindow, kWakeForHistoryMessage, 0, 0);
    folderCheck.emplace([window = mainWindow] { PostMessageW(window, kFolderCheckMessage, 0, 0); });
    // The Test tab plans on a thread of its own and wakes the window when its plans are ready.
    uiState.tester.wake = [window = mainWindow] { PostMessageW(window, kPreviewChangedMessage, 0, 0); };
    uiState.activity.search.SetWake([window = mainWindow] { PostMessageW(window, kLogSearchMessage, 0, 0); });
    mainDrops.Attach(mainWindow, [this](std::vector<std::filesystem::path> paths, POINT point, DWORD) {
        OnMainWindowDrop(std::move(paths), point);
    });

    if (!renderHost.CreateDevice(mainWindow)) return false;
    renderHost.OnGlyphsReady([window = mainWindow] { PostMessageW(window, kGlyphsReadyMessage, 0, 0); });
    RequestScaledFonts();
    lastAppliedFontSize = settings.uiFontSize;
    lastAppliedAlpha = settings.overlayAlpha;
    ApplyColours();

    if (!overlay.Create(instance, mainWindow,
                        [this](std::vector<std::filesystem::path> paths, DWORD keys) {
                            // Explorer's convention: Ctrl held as the items are let go copies them.
                            HandleDroppedFiles(std::move(paths), (keys & MK_SHIFT) != 0,
                                               BatchOptions{(keys & MK_CONTROL) != 0});
                        }))
        return false;
    overlay.SetAlpha(settings.overlayAlpha);
    overlay.SetPosition(settings.overlayX, settings.overlayY, settings.overlayW, settings.overlayH);
    if (!settings.overlayPlaced) PlaceDropZoneFirst();
    KeepWindowOnScreen(overlay.Handle());
    overlay.Show(settings.overlayVisible);

    EnsureMinimumSize();
    KeepWindowOnScreen(mainWindow);
    tray.Add(instance, mainWindow);

    std::string error;
    if (!ApplyHotkey(settings.hotkeyModifiers, settings.hotkeyVk, error)) {
        hotkey.error = error;
        AddLog(error);
    }

    if (settings.startMinimized || showCommand == SW_SHOWMINIMIZED) {
        ShowWindow(mainWindow, SW_HIDE);
    } else {
        ShowWindow(mainWindow, SW_SHOWDEFAULT);
        UpdateWindow(mainWindow);
    }
    // Missing folders are only told in the window and the tray's tooltip: they are made at the
    // first move, nothing to stop the user for at every start.
    CheckRoutingFolders(false);
    StartWatching();
    // Items on this copy's own command line, and lists handed over while it started, are routed
    // from here on.
    initDone = true;
    ArmCommandLineTimer();
    if (!foreignSendTo.empty()) PostMessageW(mainWindow, kShellOfferMessage, 0, 0);
    redrawRequested = true;
    return true;
}

void App::PlaceDropZoneFirst() {
    // Near the bottom right of the primary monitor, above the taskbar, where it covers nothing
    // of the settings window (which the system places from the top left). Put on that monitor
    // first, so that its size is that monitor's DPI.
    const RECT area = PrimaryWorkArea();
    overlay.SetPosition(area.left, area.top, settings.overlayW, settings.overlayH);
    RECT r{};
    if (!GetWindowRect(overlay.Handle(), &r)) return;
    const POINT corner = CornerPlace(area, SIZE{r.right - r.left, r.bottom - r.top},
                                     ScaleToDpi(kDropZoneMargin, DpiOf(overlay.Handle())));
    overlay.SetPosition(corner.x, corner.y, settings.overlayW, settings.overlayH);
    overlay.GetRect(settings.overlayX, settings.overlayY, settings.overlayW, settings.overlayH);
    // Kept with the next save (at the latest at exit): a start from a folder that cannot be
    // written must not open with "Settings not saved" over what the start has to say.
    settings.overlayPlaced = true;
}

void App::Shutdown() {
    // Normally the loop has seen the batch to its end. When the window went first, the batch
    // still finishes and its outcome is logged: nothing the program did goes unrecorded, and no
    // callback can reach a torn-down window. Nothing new is watched for meanwhile.
    if (watcher) watcher->Stop();
    routeJob.Wait();
    PumpJobEvents();
    EndCommandLines();
    previewJob.Cancel();
    uiState.tester.job->Cancel();
    HistoryLoaded(true);

    folderWarningBox.Close();
    SaveSettings();
    if (mainWindow) UnregisterHotKey(mainWindow, kHotkeyId);
    tray.Remove();
    overlay.Destroy();
    renderHost.Shutdown();
    mainDrops.Detach();
    if (mainWindow) {
        HWND window = mainWindow;
        DestroyWindow(window);
        mainWindow = nullptr;
    }
    EndSession(SessionMarkerPath());  // everything is logged and saved
    waiterReplies.Finish();  // the last answers reach the consoles that wait
}

void App::ShowMainWindow(bool restore) {
    ShowWindow(mainWindow, restore ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(mainWindow);
    redrawRequested = true;
}

void App::SetOverlayVisible(bool visible) {
    overlay.Show(visible);
    settings.overlayVisible = visible;
    SaveSettings();
    redrawRequested = true;
}

void App::SaveSettings() {
    if (drawingSettings && settingsStore.Held()) {
        saveAfterDraw = true;
        return;
    }
    saveAfterDraw = false;
    int x = settings.overlayX, y = settings.overlayY, w = settings.overlayW, h = settings.overlayH;
    overlay.GetRect(x, y, w, h);
    settings.overlayX = x;
    settings.overlayY = y;
    settings.overlayW = w;
    settings.overlayH = h;
    TakeStoreResult(settingsStore.Save(settings));
    CheckRoutingFolders(false);
    ConfigureWatching();
}

void App::TakeStoreResult(const StoreResult& result) {
    if (!result.message.empty()) statusText = result.message;
    if (result.replaced) {
        // Taken up from config.json: edits made before are not turned back onto it.
        uiState.edits.Reset(settings);
        // The path rows' pointers lead into the settings just replaced; the next frame registers
        // the rows anew.
        uiState.pathTargets.clear();
        uiState.previousPathTargets.clear();
        uiState.hoveredPathTarget = nullptr;
        ApplyAllSettings();
    }
    // While config.json is held, it is tried again every few seconds as well as at each save, so
    // the user's rules come back even if nothing is changed.
    if (!mainWindow || settingsStore.Held() == settingsRetryTimer) return;
    if (settingsStore.Held()) {
        settingsRetryTimer = SetTimer(mainWindow, kSettingsRetryTimer, kSettingsRetryMs, nullptr) != 0;
    } else {
        KillTimer(mainWindow, kSettingsRetryTimer);
        settingsRetryTimer = false;
    }
}

void App::ApplyAllSettings() {
    NoteSettingsTexts();
    SetStartWithWindows(settings.startWithWindows);
    ApplyShellIntegration(false);
    ApplyColours();
    tray.Add(hInstance, mainWindow);
    std::string error;
    if (ApplyHotkey(settings.hotkeyModifiers, settings.hotkeyVk, error)) hotkey.error.clear();
    else hotkey.error = error;
    EnsureMinimumSize();
    overlay.SetAlpha(settings.overlayAlpha);
    overlay.SetPosition(settings.overlayX, settings.overlayY, settings.overlayW, settings.overlayH);
    KeepWindowOnScreen(overlay.Handle());
    overlay.Show(settings.overlayVisible);
    lastAppliedAlpha = settings.overlayAlpha;
    // Called during a frame (a restore, or a save that adopted config.json) the fonts are
    // rebuilt after it.
    RequestScaledFonts();
    lastAppliedFontSize = settings.uiFontSize;
    redrawRequested = true;
}

void App::CheckRoutingFolders(bool showBox) {
    if (folderCheck) folderCheck->Ask(settings, showBox);
}

void App::TakeFolderCheck() {
    const std::optional<RoutingFolderCheck::Answer> answer = folderCheck ? folderCheck->Take() : std::nullopt;
    if (!answer) return;
    folderWarning = FolderWarningText(answer->missing);
    tray.SetTip(TipLine::missingFolders,
                answer->missing.empty() ? std::wstring() : ToWide(MissingFoldersTip(answer->missing.size())));
    redrawRequested = true;
    // The box runs on a thread of its own, so drops go on being routed and logged while it is open.
    if (answer->showBox && mainWindow && !folderWarning.empty())
        folderWarningBox.Show(ToWide(folderWarning), L"Routing folders missing", MB_ICONWARNING);
}

bool App::ApplyHotkey(unsigned modifiers, unsigned vk, std::string& error) {
    return kw::ApplyHotkey(mainWindow, settings, modifiers, vk, error);
}

void App::CaptureHotkeyKey(unsigned vk) {
    const bool applied = kw::CaptureHotkeyKey(vk, hotkey, SystemKeyState(),
                                              [this](unsigned modifiers, unsigned key, std::string& error) {
                                                  return ApplyHotkey(modifiers, key, error);
                                              });
    if (applied) SaveSettings();
}

LRESULT App::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // Hit tests and cursor queries (while the pointer rests over the window) and the system's
    // caret-blink timer (WM_SYSTIMER, 0x0118) come several times a second and change nothing the
    // window shows; a batch's progress (its message, its timer) says itself what it changed (see
    // PumpJobEvents); every other message may change anything.
    const bool progress = message == kJobProgressMessage || (message == WM_TIMER && wParam == kProgressTimer);
    // WM_NULL does nothing by definition (another program asking whether the window answers).
    // WM_PAINT says the picture was uncovered (the drop zone above it redrawn, say): one frame of
    // the same layout restores it.
    if (message == WM_PAINT) progressRedraw = true;
    else if (message != WM_NULL && message != WM_NCHITTEST && message != WM_SETCURSOR && message != 0x0118 && !progress) {
        redrawRequested = true;
        if (routeJob.IsRunning()) CountRedrawMessage(stats, message);
    }
    if (mainDrops.HandleMessage(message, wParam, lParam)) return 0;
    if (tray.HandleTaskbarCreated(message)) return 0;
    if (hotkey.capturing && (message == WM_KEYDOWN || message == WM_SYSKEYDOWN)) {
        CaptureHotkeyKey(static_cast<unsigned>(wParam));
        return 0;
    }
    // Ctrl+Z, Ctrl+Y and Ctrl+Shift+Z go to the settings window's next frame, which knows the tab
    // shown (rules and settings there, batches on the Activity tab); Esc cancels a running batch.
    // Not while a text field has the keyboard: it has an undo of its own. Taken here from the key
    // messages themselves: a quick Ctrl+Z can come and go between two frames.
    if (message == WM_KEYDOWN && !(lParam & (1 << 30)) && !renderHost.TextFieldActive()) {
        if (GetKeyState(VK_CONTROL) < 0 && (wParam == 'Z' || wParam == 'Y'))
            uiState.shortcut = wParam == 'Y' || GetKeyState(VK_SHIFT) < 0 ? 1 : -1;
        // Esc stops a running batch; with none running, it drops a preview.
        if (wParam == VK_ESCAPE) {
            if (routeJob.IsRunning()) CancelBatch();
            else if (previewActive) CancelPreview();
        }
    }
    if (message == WM_CHAR) NoteTypedCharacter(static_cast<wchar_t>(wParam));
    if (renderHost.HasImGui()) RenderHost::ForwardMessage(mainWindow, message, wParam, lParam);

    switch (message) {
        case WM_SIZE:
            if (wParam != SIZE_MINIMIZED && renderHost.HasSwapChain())
                renderHost.ResizeBuffers(LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps{};
            BeginPaint(mainWindow, &ps);
            EndPaint(mainWindow, &ps);
            return 0;
        }
        case kWakeForHistoryMessage:
            if (!drawingSettings) HistoryLoaded(false);
            return 0;
        case kFolderCheckMessage:
            // Inside a frame the warning text is referenced by the Settings tab: taken after it.
            if (!drawingSettings) TakeFolderCheck();
            redrawRequested = true;
            return 0;
        case kPreviewChangedMessage:
            if (!drawingSettings) PumpPreview();
            redrawRequested = true;
            return 0;
        case kGlyphsReadyMessage:
            redrawRequested = true;  // the next frame swaps the grown atlas in and draws with it
            return 0;
        case kLogSearchMessage:
            redrawRequested = true;  // the Activity tab takes the lines in its next frame
            return 0;
        case kJobProgressMessage:
        case kJobFinishedMessage:
            // Also dispatched inside modal loops (a menu, a dialog), where the loop's own pump does
            // not run. Inside a frame widgets hold references into what it changes: there the
            // pump after the frame takes it.
            if (!drawingSettings) PumpJobEvents();
            return 0;
        case kOverlayDoubleClickMessage:
            return 0;
        case WM_COPYDATA:
            return OnCopyData(reinterpret_cast<HWND>(wParam), reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        case kIntakeArrivedMessage:
            TakeArrivedLists();
            return 0;
        case kShellOfferMessage:
            OfferSendToUpdate();
            return 0;
        case WM_CLOSE:
            if (settings.minimizeToTray) {
                ShowWindow(mainWindow, SW_HIDE);
                if (!settings.trayHintShown && tray.IsAdded()) {
                    tray.ShowBalloon(L"Kestrane Fileweir", ToWide(kStillRunningText));
                    settings.trayHintShown = true;
                    SaveSettings();
                }
            } else {
                RequestExit();
            }
            return 0;
        case WM_QUERYENDSESSION:
            return OnQueryEndSession() ? TRUE : FALSE;
        case WM_ENDSESSION:
            OnEndSession(wParam != FALSE);
            return 0;
        case WM_DESTROY:
            running = false;
            PostQuitMessage(0);
            return 0;
        case WM_GETMINMAXINFO: {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMinTrackSize = POINT{minTrackWidth, minTrackHeight};
            return 0;
        }
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == SC_MINIMIZE) {
                ShowWindow(mainWindow, settings.minimizeToTray ? SW_HIDE : SW_MINIMIZE);
                return 0;
            }
            return DefWindowProcW(mainWindow, message, wParam, lParam);
        case WM_DPICHANGED:
            OnDpiChanged(*reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_SETTINGCHANGE:
            // The user switched Windows between light and dark while the theme follows it.
            if (settings.theme == Theme::system && IsColourModeChange(lParam)) {
                ApplyColours();
                redrawRequested = true;
            }
            return DefWindowProcW(mainWindow, message, wParam, lParam);
        case WM_DISPLAYCHANGE:
            KeepWindowOnScreen(overlay.Handle());
            KeepWindowOnScreen(mainWindow);
            return 0;
        case WM_EXITSIZEMOVE:
            overlay.GetRect(settings.overlayX, settings.overlayY, settings.overlayW, settings.overlayH);
            return 0;
        case WM_HOTKEY:
            if (wParam == kHotkeyId) SetOverlayVisible(!overlay.IsVisible());
            return 0;
        case WM_TIMER:
            if (wParam == kDropZoneOutcomeTimer) EndDropZoneOutcome();
            // Inside a frame (a dialog the settings window opened) the intake waits for its end.
            if (wParam == kCommandLineTimer) {
                if (drawingSettings) SetTimer(mainWindow, kCommandLineTimer, 100, nullptr);
                else RouteDueCommandLines();
            }
            if (wParam == kSettingsRetryTimer && !drawingSettings) {
                const StoreResult result = settingsStore.Retry(settings);
                TakeStoreResult(result);
                if (result.replaced) CheckRoutingFolders(false);
            }
            return 0;
        case WM_COMMAND:
            OnCommand(LOWORD(wParam));
            return 0;
        case kTrayCallbackMessage:
            switch (LOWORD(lParam)) {
                case WM_CONTEXTMENU:
                case WM_RBUTTONUP:
                    HistoryLoaded(true);  // the menu names the batch it would undo
                    tray.ShowMenu(overlay.IsVisible(), routeJob.IsRunning(), previewActive, routeJob.Queued().batches > 0,
                                  UndoMenuLabel());
                    break;
                case WM_LBUTTONUP:
                case NIN_SELECT: ShowMainWindow(true); break;
                default: break;
            }
            return 0;
        case kWakeMessage:
            ShowMainWindow(true);
            return 0;
        case kWatchMessage:
            // Inside a frame the offer and the states are referenced by the Settings tab.
            if (!drawingSettings) TakeWatchEvents();
            return 0;
        case WM_POWERBROADCAST:
            // Date conditions may have come true while the machine slept, and notifications of
            // what arrived meanwhile may be lost: every watched folder is looked at again.
            if (wParam == PBT_APMRESUMEAUTOMATIC && watcher) watcher->Rescan();
            return TRUE;
        default:
            return DefWindowProcW(mainWindow, message, wParam, lParam);
    }
}

void App::OnCommand(UINT id) {
    switch (id) {
        case kOpen:
        case kSettings:
        case kCommandOpenMainWindow: ShowMainWindow(true); break;
        case kToggleDropZone: SetOverlayVisible(!overlay.IsVisible()); break;
        case kExit: RequestExit(); break;
        case kCommandCloseDropZone: SetOverlayVisible(false); break;
        case kUndoLastBatchCommand: StartUndo(0); break;
        case kCancelBatchCommand: CancelBatch(); break;
        case kCancelQueuedCommand:
            CancelQueued();
            CancelBatch();
            break;
        case kRoutePreviewCommand: RoutePreview(); break;
        case kCancelPreviewCommand: CancelPreview(); break;
        case kPauseWatchingCommand: SetWatchingPaused(true); break;
        case kResumeWatchingCommand: SetWatchingPaused(false); break;
        default: break;
    }
}

void App::OnMainWindowDrop(std::vector<std::filesystem::path> paths, POINT screen) {
    // Drops on the settings window set folder paths, or are tried on the Test tab; routing
    // happens on the drop zone.
    std::vector<std::filesystem::path> kept;
    for (std::filesystem::path& p : paths)
        if (!IsShellPath(p.native())) kept.push_back(std::move(p));
    redrawRequested = true;
    if (kept.empty()) {
        statusText = "That drop could not be used as a folder path.";
        return;
    }
    if (uiState.testerTabShown) {
        for (const std::filesystem::path& item : kept) renderHost.NoteText(PathToUtf8(item));
        AddTesterItems(uiState.tester, kept, settings.expandFoldersOnDrop);
        statusText = "Added to the tester: nothing was moved.";
        return;
    }
    const auto folder = FirstFolder(kept);
    if (!folder) {
        statusText = "Drop a folder (not a file) onto the Destination path row.";
        return;
    }
    bool changed = false;
    if (ApplyFolderDrop(uiState, settings.rules, mainWindow, screen, *folder, changed)) {
        statusText = "Folder path updated.";
        if (changed) SaveSettings();
        return;
    }
    uiState.pendingDropPaths = std::move(kept);
    uiState.pendingDropPoint = screen;
    uiState.pendingDrop = true;
}

}  // namespace kw
