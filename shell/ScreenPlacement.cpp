#include "shell/ScreenPlacement.h"

#include <algorithm>

namespace kw {
namespace {

long long Area(const RECT& r) {
    return static_cast<long long>(std::max(0L, r.right - r.left)) * std::max(0L, r.bottom - r.top);
}

// The start of a span of `length` inside [low, high): where it was if it fits there already,
// else against the nearer edge.
LONG Inside(LONG start, LONG length, LONG low, LONG high) {
    return std::max(low, std::min(start, high - length));
}

}  // namespace

RECT KeepOnWorkArea(const RECT& window, const RECT& workArea) {
    RECT overlap{};
    const long long shown = IntersectRect(&overlap, &window, &workArea) ? Area(overlap) : 0;
    if (Area(window) > 0 && shown * 2 >= Area(window)) return window;
    const LONG width = std::min(window.right - window.left, workArea.right - workArea.left);
    const LONG height = std::min(window.bottom - window.top, workArea.bottom - workArea.top);
    const LONG left = Inside(window.left, width, workArea.left, workArea.right);
    const LONG top = Inside(window.top, height, workArea.top, workArea.bottom);
    return RECT{left, top, left + width, top + height};
}

RECT WorkAreaNear(HWND window) {
    const HMONITOR monitor = window ? MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST)
                                    : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(monitor, &info)) return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return info.rcWork;
}

bool KeepWindowOnScreen(HWND window) {
    if (!window || IsIconic(window) || IsZoomed(window)) return false;
    RECT current{};
    if (!GetWindowRect(window, &current)) return false;
    // The monitor with the largest share of the window, or the nearest one when it is on none.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoW(MonitorFromRect(&current, MONITOR_DEFAULTTONEAREST), &monitor)) return false;
    const RECT placed = KeepOnWorkArea(current, monitor.rcWork);
    if (EqualRect(&placed, &current)) return false;
    return SetWindowPos(window, nullptr, placed.left, placed.top, placed.right - placed.left,
                        placed.bottom - placed.top, SWP_NOZORDER | SWP_NOACTIVATE) != FALSE;
}

POINT CornerPlace(const RECT& workArea, SIZE size, int margin) {
    return POINT{std::max(workArea.left, workArea.right - size.cx - margin),
                 std::max(workArea.top, workArea.bottom - size.cy - margin)};
}

RECT PrimaryWorkArea() {
    // SPI_GETWORKAREA: the primary display monitor's work area, in physical pixels for a
    // per-monitor DPI aware process; the whole primary screen should the call fail.
    RECT area{};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0))
        area = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return area;
}

}  // namespace kw
