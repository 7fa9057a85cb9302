#pragma once
// The system services the settings screens call: dialogs, message boxes, the Run value and
// quitting. The screens reach them only through this record, so tests can stand in for them;
// a default-constructed UiState carries the real ones.

#include <windows.h>

#include <functional>
#include <string>

namespace kw {

struct UiPlatform {
    // The chosen folder, or `current` when nothing was chosen.
    std::function<std::string(HWND owner, const std::string& current)> pickFolder;
    // The chosen backup file as UTF-8, or empty when cancelled.
    std::function<std::string(HWND owner, bool save)> chooseBackupFile;
    // The pressed button (IDYES, IDOK, ...). Text and caption are UTF-8.
    std::function<int(HWND owner, const std::string& text, const std::string& caption, UINT type)> messageBox;
    std::function<void(bool enable)> setStartWithWindows;
    // Send To and the Explorer menu verb: "" once applied, else the reason.
    std::function<std::string(bool enable)> setSendTo;
    std::function<std::string(bool enable)> setExplorerVerb;
    std::function<void()> quit;
};

UiPlatform SystemUiPlatform();

}  // namespace kw
