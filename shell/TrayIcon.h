#pragma once
// The notification-area icon: tooltip, callback message WM_APP + 1 to the main window,
// right-click menu (commands 201-204) and end-of-batch balloons.

#include <windows.h>
#include <shellapi.h>

#include <array>
#include <string>
#include <string_view>

#include "shell/WatchMenu.h"

namespace kw {

constexpr UINT kTrayCallbackMessage = WM_APP + 1;
// Menu commands, sent to the owner as WM_COMMAND.
constexpr UINT kTrayOpenCommand = 201;
constexpr UINT kTrayDropZoneCommand = 202;
constexpr UINT kTraySettingsCommand = 203;
constexpr UINT kTrayExitCommand = 204;

// Registered by the shell: broadcast to every top-level window when the taskbar is created
// again (Explorer restarted), by then without any notification icon.
UINT TaskbarCreatedMessage();

// The lines the tooltip shows under the program's name, top to bottom.
enum class TipLine { watching, missingFolders };

// The longest start of `text` that fits a fixed field of `capacity` units with its NUL,
// never ending in half of a surrogate pair.
std::wstring_view FitToField(std::wstring_view text, size_t capacity);

class TrayIcon {
public:
    TrayIcon();
    ~TrayIcon();  // removes the icon
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // Adds the icon (icon resource 101 of `module`) unless it is already there; a failed add
    // is retried by the next call.
    bool Add(HINSTANCE module, HWND owner);
    void Remove();
    bool IsAdded() const { return added; }
    // For the owner's window procedure: a new taskbar gets the icon again. True when `message`
    // was the taskbar's announcement.
    bool HandleTaskbarCreated(UINT message);
    // Title and text are cut to fit (64 and 256 characters); nothing happens without an icon.
    void ShowBalloon(const std::wstring& title, const std::wstring& text);
    // Sets one line of the tooltip ("" leaves it out); the icon shows the change at once.
    void SetTip(TipLine line, const std::wstring& text);
    // The popup menu at the cursor; the choice arrives at the owner as WM_COMMAND.
    // With `previewPending`, a previewed drop awaits "Route": the menu offers to route or drop it.
    // `queued`: batches wait behind the running one. `undoLabel` says what undo would do ("Undo
    // last batch (6 items, 10:14)"); "" when there is nothing to undo.
    void ShowMenu(bool overlayVisible, bool batchRunning = false, bool previewPending = false, bool queued = false,
                  const std::wstring& undoLabel = {});

    // Whether the menu offers to pause or to resume watching folders.
    void SetWatchMenu(WatchMenu watch) { watchMenu = watch; }

private:
    NOTIFYICONDATAW data;
    WatchMenu watchMenu = WatchMenu::none;
    HINSTANCE module = nullptr;
    HWND owner = nullptr;
    bool wanted = false;  // Add was called and Remove was not
    bool added = false;
    std::array<std::wstring, 2> tipLines;  // by TipLine
    // Writes the tooltip into the icon's data, cut to fit its 127 characters.
    void ApplyTip();
};

}  // namespace kw
