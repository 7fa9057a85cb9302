#include "ui/SettingsWindow.h"

#include "render/VisualOrder.h"
#include "ui/AboutTab.h"
#include "ui/ActivityTab.h"
#include "ui/ReadableColour.h"

#include <imgui.h>

#include <algorithm>
#include <utility>

#include "model/Clock.h"
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
    later.cancelQueued = defer(actions.cancelQueued);
    later.routePreview = defer(actions.routePreview);
    later.cancelPreview = defer(actions.cancelPreview);
    if (actions.undoBatch)
        later.undoBatch = [&after, undo = actions.undoBatch](uint64_t id) { after.Add([undo, id] { undo(id); }); };
    if (actions.reveal)
        later.reveal = [&after, reveal = actions.reveal](const std::string& path) { after.Add([reveal, path] { reveal(path); }); };
    return later;
}

// The status line, in a bar of one line at the bottom of the window: a message coming or going
// never moves the tabs. A message longer than the bar is cut with "..." and shown whole in a tooltip.
void DrawStatusBar(const std::string& text) {
    ImGui::Separator();
    if (text.empty()) {
        ImGui::TextDisabled("Ready.");
        return;
    }
    const float room = ImGui::GetContentRegionAvail().x;
    std::string shown = text.substr(0, text.find('\n'));
    if (shown.size() < text.size() || ImGui::CalcTextSize(shown.c_str()).x > room) {
        const float ellipsis = ImGui::CalcTextSize("\xE2\x80\xA6").x;
        size_t low = 0, high = shown.size();
        while (low < high) {  // the longest start of the text that fits beside the ellipsis
            const size_t mid = (low + high + 1) / 2;
            if (ImGui::CalcTextSize(TruncateUtf8(shown, mid).c_str()).x + ellipsis <= room) low = mid;
            else high = mid - 1;
        }
        shown = TruncateUtf8(shown, low) + "\xE2\x80\xA6";
    }
    ImGui::TextColored(Readable(ImVec4(0.40f, 0.85f, 1.00f, 1.00f)), "%s", VisualOrder(shown).c_str());
    if (shown != text && ImGui::BeginItemTooltip()) {
        ImGui::PushTextWrapPos(ImGui::GetFontSize() * 36.0f);
        ImGui::TextUnformatted(VisualOrder(text).c_str());
        ImGui::PopTextWrapPos();
        ImGui::EndTooltip();
    }
}

float StatusBarHeight() {
    return ImGui::GetTextLineHeight() + ImGui::GetStyle().ItemSpacing.y * 2.0f + 1.0f;
}

// Carries out the Ctrl+Z or Ctrl+Y asked for in the last frame, before anything of this one is
// drawn: nothing on screen holds on to the rules it replaces.
void TurnEdit(AppSettings& settings, UiState& ui, bool& settingsChanged, const SettingsWindowView& view,
              const SettingsWindowActions& actions) {
    const int turn = std::exchange(ui.editTurn, 0);
    if (turn == 0) return;
    const std::optional<SettingsEdits::Turn> result = turn < 0 ? ui.edits.Undo(settings) : ui.edits.Redo(settings);
    if (!result) {
        view.statusText = turn < 0 ? "Nothing to undo here." : "Nothing to redo.";
        return;
    }
    // The selection follows its rule; a rule that comes back is selected.
    const std::string selected = ui.selectedRule >= 0 && ui.selectedRule < static_cast<int>(settings.rules.size())
                                     ? settings.rules[static_cast<size_t>(ui.selectedRule)].id
                                     : std::string();
    const std::vector<Rule> before = std::move(settings.rules);
    settings = result->settings;
    ui.selectedRule = -1;
    for (size_t i = 0; i < settings.rules.size(); ++i) {
        const std::string& id = settings.rules[i].id;
        const bool returned = std::none_of(before.begin(), before.end(), [&](const Rule& r) { return r.id == id; });
        if (returned || (ui.selectedRule < 0 && id == selected)) ui.selectedRule = static_cast<int>(i);
    }
    ui.renamingRule = -1;
    ui.pathTargets.clear();  // they point into the rules just replaced
    ui.previousPathTargets.clear();
    ui.hoveredPathTarget = nullptr;
    settingsChanged = true;
    if (actions.applyAllSettings) actions.applyAllSettings();  // the hotkey, autostart, theme, fonts
    std::string edit = result->edit;
    if (!edit.empty() && edit[0] >= 'A' && edit[0] <= 'Z') edit[0] = static_cast<char>(edit[0] - 'A' + 'a');
    view.statusText = turn < 0 ? "Undone: " + edit + " \xE2\x80\x94 Ctrl+Y redoes it" : "Redone: " + edit;
}

// Reads Ctrl+Z, Ctrl+Y and Ctrl+Shift+Z for the tab shown, unless a text field has the keyboard
// (it has an undo of its own) or a menu or dialog is open; and ends an edit once no widget is
// held, so that typing in a field is one step when the field lets go.
void EndFrameEdits(const AppSettings& settings, UiState& ui, const SettingsWindowView& view,
                   const SettingsWindowActions& actions) {
    if (!ImGui::IsAnyItemActive()) {
        const std::string edit = ui.edits.Commit(settings);
        if (edit.rfind("Deleted rule ", 0) == 0) view.statusText = edit + " \xE2\x80\x94 Ctrl+Z brings it back";
    }
    const int shortcut = std::exchange(ui.shortcut, 0);
    if (ImGui::GetIO().WantTextInput || ImGui::IsPopupOpen("", ImGuiPopupFlags_AnyPopupId)) return;
    const bool undo = ui.shortcutsFromMessages ? shortcut < 0 : ImGui::IsKeyChordPressed(ImGuiMod_Ctrl | ImGuiKey_Z);
    const bool redo = ui.shortcutsFromMessages ? shortcut > 0
                                               : ImGui::IsKeyChordPressed(ImGuiMod_Ctrl | ImGuiKey_Y) ||
                                                     ImGui::IsKeyChordPressed(ImGuiMod_Ctrl | ImGuiMod_Shift | ImGuiKey_Z);
    if (!undo && !redo) return;
    if (ui.activityTabShown) {
        // Files go back only from the Activity tab; a batch other than the one just routed is
        // named first, so that Ctrl+Z never puts back something the user is not looking at.
        const UndoOffer offer = view.offers ? view.offers->last : UndoOffer{};
        if (!undo || offer.kind == UndoKind::none || offer.kind == UndoKind::undone || offer.kind == UndoKind::redone ||
            view.batchRunning)
            return;
        const bool justRouted = view.batches && !view.batches->empty() && view.newestOfThisRun != 0 &&
                                view.batches->front().id == view.newestOfThisRun;
        if (justRouted) {
            if (actions.undoBatch) actions.undoBatch(offer.batch);
            return;
        }
        ui.confirmOffer = offer;
        ui.confirmQuestion = ConfirmQuestion(offer, LocalClockText(offer.time));
        ui.confirmUndo = true;
        return;
    }
    if (ui.testerTabShown || ui.rulesTabShown || ui.settingsTabShown) ui.editTurn = undo ? -1 : 1;
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
        UsesDestination(rules[static_cast<size_t>(ui.editorRule)].action))
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

    TurnEdit(settings, ui, settingsChanged, view, actions);
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
    ImGui::Separator();

    // The tabs take the window down to the status bar, at any window size.
    ImGui::BeginChild("tab_area", ImVec2(0.0f, -StatusBarHeight()), ImGuiChildFlags_None, ImGuiWindowFlags_NoScrollbar);
    if (ImGui::BeginTabBar("main_tabs")) {
        ui.rulesTabShown = ui.settingsTabShown = ui.activityTabShown = false;
        if (ImGui::BeginTabItem("Rules")) {
            ui.rulesTabShown = true;
            DrawRulesTab(settings, ui, mainWindow, settingsChanged);
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
            ui.settingsTabShown = true;
            // Taller than the window at the larger font sizes: the tab scrolls on its own, so its
            // last rows (backup, restore, exit) stay reachable and the scroll bar shows there is more.
            ImGui::BeginChild("settings_scroll", ImVec2(0, 0));
            DrawSettingsTab(settings, ui, mainWindow, settingsChanged, view, actions);
            ImGui::EndChild();
            ImGui::EndTabItem();
        }
        if (ImGui::BeginTabItem("Activity")) {
            ui.activityTabShown = true;
            DrawActivityTab(ui, view, actions);
            ImGui::EndTabItem();
        }
        if (ImGui::BeginTabItem("About")) {
            if (!ui.about) ui.about = RunningProgramFacts(view.activityLog.LogFilePath());
            DrawAboutTab(*ui.about, actions.reveal);
            ImGui::EndTabItem();
        }
        // Last, so that its coming and going never moves the other tabs; the plan of a drop
        // comes to the front when it appears.
        const bool previewAppeared = view.preview.active && !ui.previewWasActive;
        ui.previewWasActive = view.preview.active;
        if (view.preview.active &&
            ImGui::BeginTabItem("Preview", nullptr, previewAppeared ? ImGuiTabItemFlags_SetSelected : 0)) {
            DrawPreviewTab(view.preview, actions.routePreview, actions.cancelPreview);
            ImGui::EndTabItem();
        }
        ImGui::EndTabBar();
    }
    ImGui::EndChild();
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
    DrawStatusBar(view.statusText);
    EndFrameEdits(settings, ui, view, actions);
    ImGui::End();
    ui.afterFrame.Run();
}

}  // namespace kw
