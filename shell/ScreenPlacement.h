#pragma once
// Keeping windows where the user can see them. A rectangle saved while another monitor was
// attached (a laptop undocked, a projector unplugged, another resolution) may lie outside every
// screen today; such a window is brought onto the nearest monitor's work area.

#include <windows.h>

namespace kw {

// `window` unchanged when at least half of it lies on `workArea`; otherwise moved the shortest
// way inside it, and cut to the area's size when larger.
RECT KeepOnWorkArea(const RECT& window, const RECT& workArea);

// Where a window of `size` first goes: the bottom right corner of the work area (above the
// taskbar), `margin` pixels in from its edges, and never beyond its top left.
POINT CornerPlace(const RECT& workArea, SIZE size, int margin);

// The work area of the primary monitor, in physical pixels.
RECT PrimaryWorkArea();

// The work area of the monitor nearest to the window (the primary monitor's without one).
RECT WorkAreaNear(HWND window);

// Applies KeepOnWorkArea to a window with the work area of the monitor nearest to it. Minimised
// and maximised windows are left to the system. True when the window was moved.
bool KeepWindowOnScreen(HWND window);

}  // namespace kw
