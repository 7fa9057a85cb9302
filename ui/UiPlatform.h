#pragma once
// The system services the settings screens call: dialogs, message boxes, the Run value and
// quitting. The screens reach them only through this record, so tests can stand in for them;
// a default-constructed UiState carries the real ones.

#include <windows.h>

#include <filesystem>
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
    std::function<void()> quit;
    // Opens a file in the program Windows has for it; false when none could be started.
    std::function<bool(const std::filesystem::path& file)> openFile;
    // Puts UTF-8 text on the clipboard.
    std::function<void(const std::string& text)> copyText;
};

UiPlatform SystemUiPlatform();

}  // namespace kw
