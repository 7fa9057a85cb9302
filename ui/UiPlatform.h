#pragma once
// The system services the settings screens call: dialogs, message boxes, the Run value and
// quitting. The screens reach them only through this record, so tests can stand in for them;
// a default-constructed UiState carries the real ones.

#include <windows.h>

#include <filesystem>
#include <functional>
#include <string>

#include "model/StarterRules.h"

namespace kw {

struct UiPlatform {
    // The chosen folder, or `current` when nothing was chosen.
    std::function<std::string(HWND owner, const std::string& current)> pickFolder;
    // The chosen backup file as UTF-8, or empty when cancelled.
    std::function<std::string(HWND owner, bool save)> chooseBackupFile;
    // The pressed button (IDYES, IDOK, ...). Text and caption are UTF-8.
    std::function<int(HWND owner, const std::string& text, const std::string& caption, UINT type)> messageBox;
    // Turns start with Windows on or off for this copy; another copy's Run value is left alone.
    std::function<void(bool enable)> setStartWithWindows;
    // The program of another copy that starts with Windows; empty when none does.
    std::function<std::filesystem::path()> otherCopyStartingWithWindows;
    // Makes this copy the one that starts with Windows, in place of another.
    std::function<void()> startThisCopyWithWindows;
    // Send To and the Explorer menu verb: "" once applied, else the reason.
    std::function<std::string(bool enable)> setSendTo;
    std::function<std::string(bool enable)> setExplorerVerb;
    std::function<void()> quit;
    // Opens a file in the program Windows has for it; false when none could be started.
    std::function<bool(const std::filesystem::path& file)> openFile;
    // Puts UTF-8 text on the clipboard.
    std::function<void(const std::string& text)> copyText;
    // The user's Documents, Pictures, ... folders, for the starter rules.
    std::function<UserFolders()> userFolders;
};

UiPlatform SystemUiPlatform();

}  // namespace kw
