#pragma once
// Menu commands for the running or last batch, offered by the tray menu and the drop zone's
// menu alike and sent to the main window as WM_COMMAND.

#include <windows.h>

namespace kw {

constexpr UINT kUndoLastBatchCommand = 207;
constexpr UINT kCancelBatchCommand = 208;

}  // namespace kw
