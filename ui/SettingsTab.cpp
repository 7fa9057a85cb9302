#include "ui/SettingsTab.h"
#include "ui/ReadableColour.h"

#include <imgui.h>

#include <algorithm>
#include <cstring>
#include <iterator>

#include "model/SettingsFile.h"
#include "model/TextEncoding.h"
#include "ui/PathRow.h"
#include "ui/RuleEditor.h"
#include "ui/ShellIntegrationSection.h"
#include "ui/WatchedFolders.h"

namespace kw {
namespace {

constexpr int kMinOverlayAlpha = 80;  // a fainter drop zone is hard to find again

// The drop zone's opacity is kept as a window alpha (0-255) and shown as a percentage.
int OpacityPercent(int alpha) { return (alpha * 100 + 127) / 255; }
int OverlayAlphaFor(int percent) { return std::clamp((percent * 255 + 50) / 100, kMinOverlayAlpha, 255); }

void RecomputeFolderWarning(const SettingsWindowActions& actions, bool showBox = false) {
    if (actions.checkRoutingFolders) actions.checkRoutingFolders(showBox);
}

bool EditText256(const char* label, std::string& value) {
    char buffer[256];
    const std::string cut = TruncateUtf8(value, sizeof buffer - 1);
    std::memcpy(buffer, cut.c_str(), cut.size() + 1);
    if (!ImGui::InputText(label, buffer, sizeof buffer)) return false;
    value = buffer;
    return true;
}

int ShowMessage(const UiState& ui, HWND owner, const std::string& text, const char* caption, UINT type) {
    return ui.platform.messageBox ? ui.platform.messageBox(owner, text, caption, type) : 0;
}

void DrawHotkeySection(const AppSettings& settings, const SettingsWindowView& view) {
    ImGui::Text("Global hotkey (toggle drop zone)");
    ImGui::Text("Current: %s", HotkeyText(settings.hotkeyModifiers, settings.hotkeyVk).c_str());
    HotkeyCaptureState& hotkey = view.hotkey;
    if (!hotkey.capturing) {
        if (ImGui::Button("Remap hotkey")) {
            hotkey.capturing = true;
            hotkey.error.clear();
            hotkey.status = "Press a key combination now (include Ctrl/Alt/Shift/Win). Esc cancels.";
        }
    } else {
        ImGui::TextColored(Readable(ImVec4(1.00f, 0.85f, 0.20f, 1.00f)), "%s", hotkey.status.c_str());
        if (ImGui::Button("Cancel remap")) {
            hotkey.capturing = false;
            hotkey.status.clear();
        }
    }
    if (!hotkey.error.empty()) ImGui::TextColored(Readable(ImVec4(1.00f, 0.35f, 0.35f, 1.00f)), "%s", hotkey.error.c_str());
}

void Backup(const AppSettings& settings, UiState& ui, HWND owner, const SettingsWindowView& view) {
    const std::string path = ui.platform.chooseBackupFile ? ui.platform.chooseBackupFile(owner, true) : std::string();
    if (path.empty()) return;
    std::string error;
    if (BackupSettingsFile(PathFromUtf8(path), settings, error))
        view.statusText = "Settings backed up.";
    else
        ShowMessage(ui, owner, error, "Backup failed", MB_ICONERROR);
}

void Restore(AppSettings& settings, UiState& ui, HWND owner, bool& settingsChanged, const SettingsWindowView& view,
             const SettingsWindowActions& actions) {
    const std::string path = ui.platform.chooseBackupFile ? ui.platform.chooseBackupFile(owner, false) : std::string();
    if (path.empty()) return;
    if (ShowMessage(ui, owner, "This replaces all current rules and settings with the chosen backup file. Continue?",
                    "Restore settings", MB_YESNO | MB_ICONWARNING) != IDYES)
        return;
    // Fields the backup lacks take their defaults, not the values in use now.
    AppSettings restored;
    std::string error;
    if (!RestoreSettingsFile(PathFromUtf8(path), restored, error)) {
        ShowMessage(ui, owner, error, "Restore failed", MB_ICONERROR);
        return;
    }
    settings = std::move(restored);
    settingsChanged = true;
    if (actions.saveSettings) actions.saveSettings();
    RecomputeFolderWarning(actions);
    if (actions.applyAllSettings) actions.applyAllSettings();
    view.statusText = "Settings restored from backup.";
}

}  // namespace

void DrawSettingsTab(AppSettings& settings, UiState& ui, HWND owner, bool& settingsChanged,
                     const SettingsWindowView& view, const SettingsWindowActions& actions) {
    // Not a fault: folders are made when the first file goes there.
    if (!view.folderWarning.empty()) {
        ImGui::TextDisabled("%s", view.folderWarning.c_str());
        ImGui::Separator();
    }

    // In the order of Theme's values.
    static const char* const kThemes[] = {"Dark", "Light", "Use the system setting"};
    int theme = static_cast<int>(settings.theme);
    ImGui::SetNextItemWidth(ImGui::GetFontSize() * 14);
    if (ImGui::Combo("Theme", &theme, kThemes, static_cast<int>(std::size(kThemes)))) {
        settings.theme = static_cast<Theme>(theme);
        settingsChanged = true;
    }
    if (ImGui::Checkbox("Minimize to tray (otherwise taskbar)", &settings.minimizeToTray)) {
        settings.minimizeTarget = settings.minimizeToTray ? MinimizeTarget::tray : MinimizeTarget::taskbar;
        settingsChanged = true;
    }
    if (ImGui::Checkbox("Start minimized", &settings.startMinimized)) settingsChanged = true;
    if (ImGui::Checkbox("Start with Windows", &settings.startWithWindows)) {
        if (ui.platform.setStartWithWindows) ui.platform.setStartWithWindows(settings.startWithWindows);
        settingsChanged = true;
    }
    // One copy starts at log-on (an installed one, say, while this one runs from a stick): which,
    // only the user changes.
    const std::filesystem::path otherCopy =
        ui.platform.otherCopyStartingWithWindows ? ui.platform.otherCopyStartingWithWindows() : std::filesystem::path();
    if (!otherCopy.empty()) {
        ImGui::Indent();
        ImGui::TextWrapped("Another copy starts with Windows: %s", PathToUtf8(otherCopy).c_str());
        if (ImGui::Button("Start this copy with Windows instead") && ui.platform.startThisCopyWithWindows) {
            ui.platform.startThisCopyWithWindows();
            settings.startWithWindows = true;
            view.statusText = "This copy now starts with Windows; the other copy no longer does.";
            settingsChanged = true;
        }
        ImGui::Unindent();
    }
    int opacity = OpacityPercent(settings.overlayAlpha);
    if (ImGui::SliderInt("Drop zone opacity", &opacity, OpacityPercent(kMinOverlayAlpha), 100, "%d %%")) {
        settings.overlayAlpha = OverlayAlphaFor(opacity);
        settingsChanged = true;
    }

    ImGui::Separator();
    ImGui::Text("Dropped folders");
    if (ImGui::Checkbox("Expand folders and route each file inside", &settings.expandFoldersOnDrop))
        settingsChanged = true;
    ImGui::TextWrapped(
        "Off (default): a dropped folder is one item; rules match the folder name and the whole folder moves "
        "together.");
    ImGui::TextWrapped("On: nested folders are ignored; every file inside is routed separately by your rules.");

    ImGui::Separator();
    ImGui::Text("Before routing");
    if (ImGui::Checkbox("Preview before routing", &settings.previewBeforeRouting)) settingsChanged = true;
    ImGui::TextWrapped(
        "On: a drop first shows what would happen to each item, and nothing moves until you choose Route. Holding "
        "Shift while dropping previews that one drop either way.");

    ImGui::Separator();
    DrawWatchedFolders(settings, ui, owner, settingsChanged, view, actions);

    ImGui::Separator();
    static constexpr const char* kFontLabels[] = {"Medium (default)", "Large", "Larger"};
    int font = static_cast<int>(settings.uiFontSize);
    if (ImGui::Combo("Font size", &font, kFontLabels, 3)) {
        settings.uiFontSize = static_cast<UiFontSize>(font);
        settingsChanged = true;
    }

    ImGui::Separator();
    ImGui::Text("Auto-rename (when conflict = Auto-rename)");
    int mode = static_cast<int>(settings.autoRename.mode);
    if (ImGui::Combo("Rename style", &mode, kAutoRenameModeLabels.data(), static_cast<int>(kAutoRenameModeLabels.size()))) {
        settings.autoRename.mode = static_cast<AutoRenameMode>(mode);
        settingsChanged = true;
    }
    if (EditText256("Rename prefix", settings.autoRename.customPrefix)) settingsChanged = true;
    if (EditText256("Rename suffix", settings.autoRename.customSuffix)) settingsChanged = true;
    ImGui::TextDisabled("Prefix/suffix apply to the numbered rename styles.");

    ImGui::Separator();
    DrawHotkeySection(settings, view);

    ImGui::Separator();
    ImGui::Text("When no rule matches");
    static constexpr const char* kNoMatchLabels[] = {"Leave files in place (default)", "Move to Unsorted folder"};
    int policy = settings.noMatchPolicy == NoMatchPolicy::leave_in_place ? 0 : 1;
    if (ImGui::Combo("No-match behavior", &policy, kNoMatchLabels, 2)) {
        settings.noMatchPolicy = policy == 1 ? NoMatchPolicy::unsorted : NoMatchPolicy::leave_in_place;
        settingsChanged = true;
        RecomputeFolderWarning(actions);
    }
    ImGui::TextWrapped(
        "Unsorted is used only when no-match behavior is Move to Unsorted. Exclude specific files with a Leave in "
        "place rule higher in the list.");

    ImGui::Separator();
    ImGui::Text("Catch-all fallback (Unsorted)");
    if (settings.noMatchPolicy != NoMatchPolicy::leave_in_place) {
        DrawPathRow("Unsorted folder", settings.catchAllPath, ui, owner, settingsChanged, "Browse##catch");
        RecomputeFolderWarning(actions);  // asked again only when the folders changed
        if (DrawConflictCombo("catchall", settings.catchAllConflict)) settingsChanged = true;
    } else {
        ImGui::TextDisabled("Unsorted folder is not used while no-match behavior is Leave in place.");
    }

    DrawShellIntegrationSection(settings, ui.platform, settingsChanged, view.statusText);

    ImGui::Separator();
    ImGui::Text("Backup and restore");
    ImGui::TextWrapped("Save all your rules and settings to a file, or bring them back from one (on this PC or another).");
    if (ImGui::Button("Backup settings...")) Backup(settings, ui, owner, view);
    ImGui::SameLine();
    if (ImGui::Button("Restore settings...")) Restore(settings, ui, owner, settingsChanged, view, actions);

    ImGui::Separator();
    if (ImGui::Button("Exit application") && ui.platform.quit) ui.platform.quit();
}

}  // namespace kw
