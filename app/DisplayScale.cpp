// The settings window at the DPI of the monitor it is on: its client sizes, font sizes and
// ImGui's spacing are designed at 96 DPI and scaled. Moved to a monitor of another DPI
// (WM_DPICHANGED), it takes the rectangle the system suggests and rebuilds its fonts after
// the frame.

#include <algorithm>

#include "app/App.h"
#include "shell/Dpi.h"
#include "shell/ScreenPlacement.h"

namespace kw {

SIZE App::ComputeWindowSize(UiFontSize size) const { return WindowSizeFor(ClientSizeFor(size)); }

SIZE App::WindowSizeFor(SIZE client) const {
    const UINT dpi = DpiOf(mainWindow);
    const RECT r = WindowRectForClient(RECT{0, 0, ScaleToDpi(client.cx, dpi), ScaleToDpi(client.cy, dpi)},
                                       kMainWindowStyle, kMainWindowExStyle, dpi);
    // At 150 % the window for the largest font is taller than a 1080-pixel screen: it is never
    // made larger than the work area (the Settings tab scrolls).
    const RECT area = WorkAreaNear(mainWindow);
    return SIZE{std::min<LONG>(r.right - r.left, area.right - area.left),
                std::min<LONG>(r.bottom - r.top, area.bottom - area.top)};
}

void App::EnsureMinimumSize() {
    const SIZE minimum = WindowSizeFor(MinimumClientSize());
    minTrackWidth = minimum.cx;
    minTrackHeight = minimum.cy;
    if (!mainWindow) return;
    RECT r{};
    GetWindowRect(mainWindow, &r);
    const int width = std::max<int>(r.right - r.left, minimum.cx);
    const int height = std::max<int>(r.bottom - r.top, minimum.cy);
    SetWindowPos(mainWindow, nullptr, r.left, r.top, width, height, SWP_NOACTIVATE | SWP_NOZORDER);
}

float App::UiScale() const { return ScaleOf(DpiOf(mainWindow)); }

void App::RequestScaledFonts() {
    renderHost.RequestFonts(hInstance, FontPixelSize(settings.uiFontSize) * UiScale());
}

void App::OnDpiChanged(const RECT& suggested) {
    // The minimum at the new DPI first: the move below is held to the minimum in force.
    const SIZE minimum = WindowSizeFor(MinimumClientSize());
    minTrackWidth = minimum.cx;
    minTrackHeight = minimum.cy;
    SetWindowPos(mainWindow, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    ApplyColours();
    RequestScaledFonts();  // inside a frame (a modal move loop) it waits for the frame's end
    EnsureMinimumSize();
    KeepWindowOnScreen(mainWindow);
    settling.Invalidate();
    redrawRequested = true;
}

}  // namespace kw
