#include "ui/ShellIntegrationSection.h"

#include <imgui.h>

namespace kw {
namespace {

// Applies a switch at once; one that could not be applied goes back off, so the box shows what
// the system has, and the reason goes to the status line.
void Apply(const std::function<std::string(bool)>& apply, bool& value, std::string& statusText) {
    if (!apply) return;
    const std::string problem = apply(value);
    if (problem.empty()) return;
    statusText = problem;
    if (value) value = false;
}

}  // namespace

void DrawShellIntegrationSection(AppSettings& settings, const UiPlatform& platform, bool& settingsChanged,
                                 std::string& statusText) {
    ImGui::Separator();
    ImGui::Text("Explorer and the command line");
    if (ImGui::Checkbox("Add to Send To", &settings.sendToShortcut)) {
        Apply(platform.setSendTo, settings.sendToShortcut, statusText);
        settingsChanged = true;
    }
    if (ImGui::Checkbox("Add \"Route with Kestrane Fileweir\" to Explorer's menu", &settings.explorerMenuVerb)) {
        Apply(platform.setExplorerVerb, settings.explorerMenuVerb, statusText);
        settingsChanged = true;
    }
    if (ImGui::Button("Remove from this PC")) {
        settings.startWithWindows = settings.sendToShortcut = settings.explorerMenuVerb = false;
        if (platform.setStartWithWindows) platform.setStartWithWindows(false);
        std::string problem;
        for (const auto& remove : {platform.setSendTo, platform.setExplorerVerb})
            if (remove && problem.empty()) problem = remove(false);
        statusText = problem.empty() ? "Removed from this PC: Start with Windows, Send To and the Explorer menu entry "
                                       "are off. Deleting this folder now leaves nothing behind."
                                     : problem;
        settingsChanged = true;
    }
    ImGui::TextWrapped(
        "Nothing is written outside this folder unless you turn it on here or with Start with Windows. Remove from "
        "this PC turns all three off in one step.");
}

}  // namespace kw
