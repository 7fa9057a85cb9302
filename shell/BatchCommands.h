#pragma once
// Menu commands for the running or last batch (and a previewed drop), offered by the tray menu
// and the drop zone's menu and sent to the main window as WM_COMMAND.

#include <windows.h>

namespace kw {

constexpr UINT kUndoLastBatchCommand = 207;
constexpr UINT kCancelBatchCommand = 208;   // the running batch; what waits behind it goes on
constexpr UINT kCancelQueuedCommand = 211;  // the running batch and every batch waiting
// The drop awaiting "Route" on the Preview tab: route it as shown, or drop it.
constexpr UINT kRoutePreviewCommand = 209;
constexpr UINT kCancelPreviewCommand = 210;

}  // namespace kw
