// Send To and the Explorer menu verb, brought in line with the settings: at start (so they name
// the exe that last started, as the Run value does) and whenever the settings are applied again.

#include <utility>

#include "app/App.h"
#include "model/TextEncoding.h"
#include "shell/ExplorerVerb.h"
#include "shell/SendToShortcut.h"
#include "shell/ShellIntegration.h"

namespace kw {

void App::ApplyShellIntegration(bool atStart) {
    const std::filesystem::path exe = ProgramPath();
    std::string problem =
        settings.explorerMenuVerb ? AddExplorerVerb(ClassesKey(), exe) : RemoveExplorerVerb(ClassesKey(), exe);
    const std::filesystem::path folder = SendToFolder();
    if (settings.sendToShortcut) {
        const SendToEntry entry = ReadSendTo(folder, exe);
        if (entry.state == SendToState::absent) {
            const std::string added = AddSendTo(folder, exe);
            if (problem.empty()) problem = added;
        } else if (entry.state == SendToState::otherCopy && atStart) {
            // The folder was moved or copied: the entry still opens the old place. Asked once
            // the window runs.
            foreignSendTo = entry.target.empty() ? L"(a target that cannot be read)" : entry.target.native();
        }
    } else {
        const std::string removed = RemoveSendTo(folder, exe);
        if (problem.empty()) problem = removed;
    }
    if (problem.empty()) return;
    if (atStart) AddLog(problem);
    statusText = problem;
}

void App::OfferSendToUpdate() {
    const std::wstring other = std::exchange(foreignSendTo, std::wstring());
    if (other.empty() || !settings.sendToShortcut) return;
    const std::filesystem::path exe = ProgramPath();
    const std::wstring text = L"The Send To entry \"Kestrane Fileweir\" opens another copy of the program:\n" + other +
                              L"\n\nPoint it at this copy instead?\n" + exe.native();
    if (MessageBoxW(mainWindow, text.c_str(), L"Send To", MB_YESNO | MB_ICONQUESTION) == IDYES) {
        const std::string problem = AddSendTo(SendToFolder(), exe);
        statusText = problem.empty() ? "Send To now opens this copy." : problem;
    } else {
        // The other copy keeps its entry; this copy no longer claims one.
        settings.sendToShortcut = false;
        SaveSettings();
        statusText = "Send To still opens the other copy; \"Add to Send To\" is off here.";
    }
    redrawRequested = true;
}

}  // namespace kw
