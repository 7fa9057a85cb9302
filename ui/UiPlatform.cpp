#include "ui/UiPlatform.h"

#include <shellapi.h>

#include "model/TextEncoding.h"
#include "shell/Autostart.h"
#include "shell/Clipboard.h"
#include "shell/KnownFolders.h"
#include "shell/ShellIntegration.h"
#include "ui/FileDialogs.h"

namespace kw {

UiPlatform SystemUiPlatform() {
    UiPlatform platform;
    platform.pickFolder = PickFolder;
    platform.chooseBackupFile = ChooseBackupFile;
    platform.messageBox = [](HWND owner, const std::string& text, const std::string& caption, UINT type) {
        return MessageBoxW(owner, ToWide(text).c_str(), ToWide(caption).c_str(), type);
    };
    platform.setStartWithWindows = SetStartWithWindows;
    platform.otherCopyStartingWithWindows = [] {
        const StartupEntry entry = ReadStartWithWindows(ProgramPath());
        return entry.owner == StartupOwner::otherCopy ? entry.program : std::filesystem::path();
    };
    platform.startThisCopyWithWindows = StartThisCopyWithWindows;
    platform.setSendTo = SetSendTo;
    platform.setExplorerVerb = SetExplorerVerb;
    platform.quit = [] { PostQuitMessage(0); };
    platform.openFile = [](const std::filesystem::path& file) {
        // ShellExecuteW reports success as a value above 32; the window thread has COM
        // initialised, which the shell's handlers may need.
        const auto result = reinterpret_cast<INT_PTR>(
            ShellExecuteW(nullptr, L"open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
        return result > 32;
    };
    // Asked for from a click or a key in the settings window, which is then the thread's
    // active window and owns the text.
    platform.copyText = [](const std::string& text) { CopyTextToClipboard(GetActiveWindow(), text); };
    platform.userFolders = UserKnownFolders;
    return platform;
}

}  // namespace kw
