#pragma once
// Dots per inch of the program's windows, with the calls that came with Windows 10 (1607 and
// 1703) looked up at run time: imported by name, they would stop the program from starting on
// the older builds it still supports. Sizes are designed at 96 DPI (100 %) and scaled.

#include <windows.h>

namespace kw {

constexpr UINT kDesignDpi = 96;

// Per-monitor DPI awareness (v2, else v1); false where the system has neither call, or where
// the manifest has set it already.
bool BecomePerMonitorDpiAware();
// The DPI of the monitor the window is on (GetDpiForWindow); without a window, or where that
// call is missing, the system's DPI.
UINT DpiOf(HWND window);
// A 96-DPI length at `dpi`, rounded to the nearest pixel.
int ScaleToDpi(int length, UINT dpi);
float ScaleOf(UINT dpi);
// The window rectangle for a client rectangle at `dpi` (AdjustWindowRectExForDpi, else
// AdjustWindowRectEx, whose frame is the system DPI's).
RECT WindowRectForClient(RECT client, DWORD style, DWORD exStyle, UINT dpi);

}  // namespace kw
