#include "shell/ShellIntegration.h"

#include <windows.h>

#include "shell/ExplorerVerb.h"
#include "shell/SendToShortcut.h"

namespace kw {

std::filesystem::path ProgramPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) return std::filesystem::path(path.substr(0, length));
        if (path.size() >= 0x10000) return {};
        path.resize(path.size() * 2);
    }
}

std::string SetSendTo(bool enable) {
    const std::filesystem::path exe = ProgramPath();
    const std::filesystem::path folder = SendToFolder();
    return enable ? AddSendTo(folder, exe) : RemoveSendTo(folder, exe);
}

std::string SetExplorerVerb(bool enable) {
    const std::filesystem::path exe = ProgramPath();
    return enable ? AddExplorerVerb(ClassesKey(), exe) : RemoveExplorerVerb(ClassesKey(), exe);
}

}  // namespace kw
