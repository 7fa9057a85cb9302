#include "ui/UiPlatform.h"

#include "model/TextEncoding.h"
#include "shell/Autostart.h"
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
    platform.setSendTo = SetSendTo;
    platform.setExplorerVerb = SetExplorerVerb;
    platform.quit = [] { PostQuitMessage(0); };
    return platform;
}

}  // namespace kw
