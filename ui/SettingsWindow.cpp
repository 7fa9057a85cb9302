#include "ui/SettingsWindow.h"

#include "ui/ActivityTab.h"
#include "ui/ReadableColour.h"

#include <imgui.h>

#include "model/PathKind.h"
#include "shell/Dpi.h"
#include "model/TextEncoding.h"
#include "ui/RoutingSummary.h"
#include "ui/RulesTab.h"
#include "ui/SettingsTab.h"

namespace kw {
namespace {

constexpr float kRowMargin = 14.0f;
constexpr float kEditorMargin = 8.0f;
constexpr float kNearestRowMaxDistanceSquared = 120.0f * 120.0f;

bool Inside(float x, float y, float left, float top, float right, float bottom, float margin) {
    return x >= left - margin && x <= right + margin && y >= top - margin && y <= bottom + margin;
}

// The point lies in the rectangle grown by `margin`, also when one of the two was measured
// at a different display scale.
bool PointInRectDpiTolerant(POINT point, const UiRect& r, float margin, float scale) {
    const float x = static_cast<float>(point.x), y = static_cast<float>(point.y);
    if (Inside(x, y, r.left, r.top, r.right, r.bottom, margin)) return true;
    if (scale - 1.0f >= 0.02f || 1.0f - scale >= 0.02f) {
        if (Inside(x, y, r.left * scale, r.top * scale, r.right * scale, r.bottom * scale, margin)) return true;
        if (Inside(x, y, r.left / scale, r.top / scale, r.right / scale, r.bottom / scale, margin)) return true;
    }
    return false;
}

float WindowScale(HWND window) { return window ? ScaleOf(DpiOf(window)) : 1.0f; }

// The application's actions as the tabs see them: those that free, replace or reorder what the
// frame draws (the plan of a drop, the recent batches) are recorded and run after the frame.
SettingsWindowActions AfterTheFrame(const SettingsWindowActions& actions, AfterFrame& after) {
    SettingsWindowActions later = actions;
    const auto defer = [&after](const std::function<void()>& action) -> std::function<void()> {
        if (!action) return nullptr;
        return [&after, action] { after.Add(action); };
    };
    later.cancelBatch = defer(actions.cancelBatch);
    later.routePreview = defer(actions.routePreview);
    later.cancelPreview = defer(actions.cancelPreview);
    if (actions.undoBatch)
        later.undoBatch = [&after, undo = actions.undoBatch](uint64_t id) { after.Add([undo, id] { undo(id); }); };
    if (actions.reveal)
        later.reveal = [&after, reveal = actions.reveal](const std::string& path) { after.Add([reveal, path] { reveal(path); }); };
    return later;
}

void DrawAboutTab() {
    ImGui::Dummy(ImVec2(0.0f, 12.0f));
    ImGui::Text("Kestrane Fileweir");
    ImGui::Separator();
    ImGui::Spacing();
    ImGui::TextWrapped(
        "A portable, highly customizable file-routing utility. Drag files onto the floating drop zone and they are "
        "moved to destination folders based on your rules \xE2\x80\x94 extension, size, name, date, keyword, or "
        "regex.");
    ImGui::Spacing();
    ImGui::TextWrapped(
        "The overlay can be toggled with a global hotkey. Routing runs off the UI thread so large batch moves stay "
        "responsive.");
    ImGui::Spacing();
    ImGui::Separator();
    ImGui::TextDisabled("Kestrane Fileweir \xE2\x80\x94 made by the Kestrane Fileweir team.");
}

}  // namespace

std::optional<std::filesystem::path> FirstFolder(const std::vector<std::filesystem::path>& paths) {
    for (const std::filesystem::path& p : paths)
        if (KindOf(p) == PathKind::folder) return p;
    return std::nullopt;
}

const PathRowTarget* FindPathTarget(POINT point, const std::vector<PathRowTarget>& targets, float scale) {
    const PathRowTarget* nearest = nullptr;
    float best = 1e9f;
    for (const PathRowTarget& t : targets) {
        if (!t.path) continue;
        if (PointInRectDpiTolerant(point, UiRect{t.left, t.top, t.right, t.bottom}, kRowMargin, scale)) return &t;
        const float dx = static_cast<float>(point.x) - (t.left + t.right) / 2;
        const float dy = static_cast<float>(point.y) - (t.top + t.bottom) / 2;
        if (dx * dx + dy * dy < best) {
            best = dx * dx + dy * dy;
            nearest = &t;
        }
    }
    return best <= kNearestRowMaxDistanceSquared ? nearest : nullptr;
}

bool ApplyFolderDrop(UiState& ui, std::vector<Rule>& rules, HWND window, POINT point,
                     const std::filesystem::path& folder, bool& settingsChanged) {
    // Rows are registered in client coordinates of the main window.
    if (window) ScreenToClient(window, &point);
    const float scale = WindowScale(window);
    std::string* target = ui.hoveredPathTarget;
    if (!target) {
        const PathRowTarget* row = FindPathTarget(point, ui.previousPathTargets, scale);
        if (!row) row = FindPathTarget(point, ui.pathTargets, scale);
        if (row) target = row->path;
    }
    if (!target && ui.editorRectValid && ui.editorRule >= 0 && ui.editorRule < static_cast<int>(rules.size()) &&
        PointInRectDpiTolerant(point, ui.editorRect, kEditorMargin, scale) &&
        rules[static_cast<size_t>(ui.editorRule)].action == RuleAction::move)
        target = &rules[static_cast<size_t>(ui.editorRule)].destination;
    if (!target && ui.previousPathTargets.size() == 1) target = ui.previousPathTargets.front().path;
    if (!target) return false;
    *target = PathToUtf8(folder);
    settingsChanged = true;
    return true;
}

void DrawSettingsWindow(AppSettings& settings, UiState& ui, bool& settingsChanged, HWND mainWindow,
                        const SettingsWindowView& view, const SettingsWindowActions& appActions) {
    const SettingsWindowActions actions = AfterTheFrame(appActions, ui.afterFrame);
    const ImGuiViewport* viewport = ImGui::GetMainViewport();
    ImGui::SetNextWindowPos(viewport->WorkPos, ImGuiCond_Always, ImVec2(0, 0));
    ImGui::SetNextWindowSize(viewport->WorkSize, ImGuiCond_Always);
    ImGui::Begin("Kestrane Fileweir", nullptr,
                 ImGuiWindowFlags_NoTitleBar | ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove |
                     ImGuiWindowFlags_NoScrollbar | ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_NoSavedSettings |
                     ImGuiWindowFlags_NoBringToFrontOnFocus);

    ui.hoveredPathTarget = nullptr;
    ui.editorRectValid = false;

    if (ui.pendingDrop && !ui.pendingDropHandled) {
        if (const auto folder = FirstFolder(ui.pendingDropPaths);
            folder && ApplyFolderDrop(ui, settings.rules, mainWindow, ui.pendingDropPoint, *folder, settingsChanged)) {
            ui.pendingDropHandled = true;
            view.statusText = "Folder path updated.";
        }
    }
    ui.pathTargets.clear();

    ImGui::Text("Kestrane Fileweir");
    ImGui::SameLine();
    ImGui::TextDisabled("portable file routing");
    ImGui::SameLine();
    bool overlayVisible = settings.overlayVisible;
    if (ImGui::Checkbox("Show drop zone", &overlayVisible)) {
        settings.overlayVisible = overlayVisible;
        settingsChanged = true;
        if (actions.setOverlayVisible) actions.setOverlayVisible(overlayVisible);
    }
    if (!view.statusText.empty()) {
        ImGui::PushTextWrapPos(ImGui::GetCursorPosX() + ImGui::GetContentRegionAvail().x);
        ImGui::TextColored(Readable(ImVec4(0.40f, 0.85f, 1.00f, 1.00f)), "%s", view.statusText.c_str());
        ImGui::PopTextWrapPos();
    }
    ImGui::Separator();

    if (ImGui::BeginTabBar("main_tabs")) {
        if (ImGui::BeginTabItem("Rules")) {
            DrawRulesTab(settings, ui, mainWindow, settingsChanged);
            ImGui::EndTabItem();
        }
        // The plan of a drop comes to the front when it appears.
        const bool previewAppeared = view.preview.active && !ui.previewWasActive;
        ui.previewWasActive = view.preview.active;
        if (view.preview.active &&
            ImGui::BeginTabItem("Preview", nullptr, previewAppeared ? ImGuiTabItemFlags_SetSelected : 0)) {
            DrawPreviewTab(view.preview, actions.routePreview, actions.cancelPreview);
            ImGui::EndTabItem();
        }
        ui.testerTabShown = false;
        if (ImGui::BeginTabItem("Test", nullptr, ui.openTesterTab ? ImGuiTabItemFlags_SetSelected : 0)) {
            ui.openTesterTab = false;
            ui.testerTabShown = true;
            DrawTesterTab(settings, ui.tester);
            ImGui::EndTabItem();
        }
        if (ImGui::BeginTabItem("Summary", nullptr, ui.openSummaryTab ? ImGuiTabItemFlags_SetSelected : 0)) {
            ui.openSummaryTab = false;
            DrawSummaryTab(settings, ui.ruleWarnings.For(settings, ui.folderProbe, ImGui::GetTime()));
            ImGui::EndTabItem();
        }
        if (ImGui::BeginTabItem("Settings")) {
            // Taller than the window at the larger font sizes: the tab scrolls on its own, so its
            // last rows (backup, restore, exit) stay reachable and the scroll bar shows there is more.
            ImGui::BeginChild("settings_scroll", ImVec2(0, 0));
            DrawSettingsTab(settings, ui, mainWindow, settingsChanged, view, actions);
            ImGui::EndChild();
            ImGui::EndTabItem();
        }
        if (ImGui::BeginTabItem("Activity")) {
            DrawActivityTab(ui, view, actions);
            ImGui::EndTabItem();
        }
        if (ImGui::BeginTabItem("About")) {
            DrawAboutTab();
            ImGui::EndTabItem();
        }
        ImGui::EndTabBar();
    }
    ui.previousPathTargets = ui.pathTargets;

    if (ui.pendingDrop) {
        if (!ui.pendingDropHandled)
            view.statusText = FirstFolder(ui.pendingDropPaths)
                                  ? "Drop the folder on the Destination or Unsorted path row. Use the drop zone to "
                                    "route files."
                                  : "Drop a folder (not a file) onto the Destination path row.";
        ui.pendingDrop = false;
        ui.pendingDropHandled = false;
        ui.pendingDropPaths.clear();
    }
    ImGui::End();
    ui.afterFrame.Run();
}

}  // namespace kw
