#pragma once
// The floating drop zone: a borderless, always-on-top, semi-transparent tool window with
// rounded corners, drawn per pixel (shell/DropZoneImage). It shows the icon and the product
// name, one status line and the last batch's tally, turns its border orange while a batch runs, moves when dragged anywhere inside, resizes from a 12-pixel border, and hands
// everything dropped on it to one callback.

#include <windows.h>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "shell/FileDropReceiver.h"
#include "shell/WatchMenu.h"

namespace kw {

constexpr UINT kOverlayDoubleClickMessage = WM_APP + 4;
constexpr int kOverlayBorderBand = 12;
constexpr int kOverlayMinWidth = 180, kOverlayMinHeight = 120;
constexpr UINT kCommandOpenMainWindow = 206, kCommandCloseDropZone = 205;

// Where a point of the window counts: corners and edges of the border band (12 pixels at 96
// DPI) resize, the rest moves the window (HTCAPTION).
LRESULT OverlayHitTest(POINT cursor, const RECT& window, int band = kOverlayBorderBand);

// 80..255, so that the drop zone never becomes invisible.
int ClampOverlayAlpha(int alpha);

class OverlayWindow {
public:
    // The dropped paths and the modifier keys held (MK_SHIFT: preview the drop).
    using DropCallback = std::function<void(std::vector<std::filesystem::path>, DWORD keys)>;

    OverlayWindow() = default;
    ~OverlayWindow();  // Destroy
    OverlayWindow(const OverlayWindow&) = delete;
    OverlayWindow& operator=(const OverlayWindow&) = delete;

    bool Create(HINSTANCE instance, HWND owner, DropCallback onDrop);
    void Destroy();

    void SetStatus(const std::string& utf8Text, bool busy);
    // The tally of the last batch, on the bottom line ("" for none).
    void SetLastBatch(const std::string& utf8Text);
    void SetTheme(int theme);  // 0 dark, 1 light
    void SetAlpha(int alpha);
    // Position in screen pixels, size at 96 DPI (scaled to the DPI of the drop zone's monitor).
    void SetPosition(int x, int y, int width, int height);
    void GetRect(int& x, int& y, int& width, int& height) const;
    void Show(bool show);

    bool IsVisible() const { return visible; }
    HWND Handle() const { return hwnd; }
    const std::wstring& Status() const { return status; }
    const std::wstring& LastBatch() const { return lastBatch; }
    bool IsBusy() const { return busy; }
    // Batches wait behind the running one: the menu offers to cancel them too.
    void SetQueued(bool waiting) { queued = waiting; }
    // A previewed drop awaits "Route": the menu offers to route or drop it.
    void SetPreviewPending(bool pending) { previewPending = pending; }
    // What the menu's undo entry says ("Undo last batch (6 items, 10:14)"); "" greys it out.
    void SetUndoLabel(std::wstring label) { undoLabel = std::move(label); }
    // Whether the menu offers to pause or to resume watching folders.
    void SetWatchMenu(WatchMenu watch) { watchMenu = watch; }

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Draws the whole picture and hands it to the system (UpdateLayeredWindow).
    void Render();
    void ShowContextMenu(POINT screen);

    HINSTANCE hInstance = nullptr;
    HWND hwnd = nullptr;
    HWND owner = nullptr;
    DropCallback onDrop;
    bool visible = true;
    int theme = 0;
    std::wstring status = L"Drop files to route them";
    bool busy = false;
    std::wstring lastBatch;
    std::wstring undoLabel;
    bool queued = false;
    bool previewPending = false;
    WatchMenu watchMenu = WatchMenu::none;
    int alpha = 230;
    FileDropReceiver drops;
};

}  // namespace kw
