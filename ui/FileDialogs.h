#pragma once
// The shell's own pickers: a folder for a path row, a JSON file for backup and restore.

#include <windows.h>

#include <string>

namespace kw {

// The folder chosen in the shell's folder dialog (starting in `current` when it exists), or
// `current` when the dialog was cancelled or could not be shown.
std::string PickFolder(HWND owner, const std::string& current);

// The save (`save` true) or open dialog for a settings backup; the path as UTF-8, or empty
// when cancelled or failed.
std::string ChooseBackupFile(HWND owner, bool save);

}  // namespace kw
