#include "ui/WatchedFolders.h"

#include <imgui.h>
#include <imgui_internal.h>

#include <optional>

#include "render/VisualOrder.h"
#include "model/ExtendedPath.h"
#include "model/TextEncoding.h"
#include "ui/ReadableColour.h"
#include "model/WatchedFolder.h"

namespace kw {
namespace {

const char* StateText(WatchState state) {
    switch (state) {
        case WatchState::unavailable: return "Unavailable \xE2\x80\x94 watched again when it is back";
        case WatchState::polling: return "Looked at every minute (network or removable drive)";
        case WatchState::paused: return "Paused";
        default: return nullptr;
    }
}

std::optional<WatchState> StateOf(const WatchView& view, const std::string& folder) {
    for (const WatchFolderStatus& status : view.statuses)
        if (status.folder == folder) return status.state;
    return std::nullopt;
}

void DrawOffer(UiState& ui, const SettingsWindowView& view, const SettingsWindowActions& actions) {
    if (view.watch.offer.empty()) return;
    ImGui::TextColored(Readable(ImVec4(1.00f, 0.85f, 0.20f, 1.00f)), "%s:", view.watch.offer.c_str());
    const auto answer = [&](WatchOfferChoice choice) {
        if (actions.answerWatchOffer) ui.afterFrame.Add([answer = actions.answerWatchOffer, choice] { answer(choice); });
    };
    if (ImGui::Button("Preview##watchoffer")) answer(WatchOfferChoice::preview);
    ImGui::SameLine();
    if (ImGui::Button("Route them##watchoffer")) answer(WatchOfferChoice::route);
    ImGui::SameLine();
    if (ImGui::Button("Only new items##watchoffer")) answer(WatchOfferChoice::onlyNew);
}

}  // namespace

bool AddWatchedFolder(WatchSettings& watching, const std::string& folder) {
    if (folder.empty()) return false;
    const std::filesystem::path added = PathFromUtf8(folder);
    for (const WatchedFolder& f : watching.folders)
        if (LiesIn(PathFromUtf8(f.path), added, false) && LiesIn(added, PathFromUtf8(f.path), false)) return false;
    WatchedFolder entry;
    entry.path = PathToUtf8(PlainPath(added));
    watching.folders.push_back(std::move(entry));
    return true;
}

void DrawWatchedFolders(AppSettings& settings, UiState& ui, HWND owner, bool& settingsChanged,
                        const SettingsWindowView& view, const SettingsWindowActions& actions) {
    WatchSettings& watching = settings.watching;
    ImGui::Text("Watched folders");
    ImGui::BeginGroup();
    ImGui::TextWrapped(
        "Files that arrive in these folders are routed by your rules once they are complete, without a drop. "
        "Partial downloads, temporary and hidden files are never routed.");
    DrawOffer(ui, view, actions);
    std::optional<size_t> removed;
    for (size_t i = 0; i < watching.folders.size(); ++i) {
        WatchedFolder& folder = watching.folders[i];
        ImGui::PushID(static_cast<int>(i));
        if (ImGui::Checkbox("##on", &folder.enabled)) settingsChanged = true;
        ImGui::SameLine();
        ImGui::TextUnformatted(VisualOrder(folder.path).c_str());
        const std::optional<WatchState> state = StateOf(view.watch, folder.path);
        if (const char* text = state ? StateText(*state) : nullptr) {
            ImGui::SameLine();
            ImGui::TextColored(Readable(*state == WatchState::unavailable ? ImVec4(1.00f, 0.55f, 0.35f, 1.00f)
                                                                          : ImVec4(0.60f, 0.60f, 0.60f, 1.00f)),
                               "(%s)", text);
        }
        ImGui::Indent();
        if (ImGui::Checkbox("Include subfolders", &folder.includeSubfolders)) settingsChanged = true;
        ImGui::SameLine();
        if (ImGui::Checkbox("Route items that are already there", &folder.routeExisting)) settingsChanged = true;
        ImGui::SameLine();
        if (ImGui::Button("Remove")) removed = i;
        ImGui::Unindent();
        ImGui::PopID();
    }
    if (watching.folders.empty()) ImGui::TextDisabled("No folder is watched.");
    if (ImGui::Button("Add folder...##watch")) {
        const std::string chosen = ui.platform.pickFolder ? ui.platform.pickFolder(owner, std::string()) : std::string();
        if (!chosen.empty()) {
            if (AddWatchedFolder(watching, chosen)) settingsChanged = true;
            else view.statusText = "That folder is watched already.";
        }
    }
    ImGui::SameLine();
    ImGui::TextDisabled("Or drop a folder on this list.");
    ImGui::EndGroup();
    // The whole list takes a folder dropped on it (the path rows have had their turn by now).
    if (ui.pendingDrop && !ui.pendingDropHandled) {
        POINT point = ui.pendingDropPoint;  // screen coordinates; the list is in the client area
        if (owner) ScreenToClient(owner, &point);
        ImRect area(ImGui::GetItemRectMin(), ImGui::GetItemRectMax());
        area.Expand(12.0f);
        const std::optional<std::filesystem::path> folder = FirstFolder(ui.pendingDropPaths);
        if (folder && area.Contains(ImVec2(static_cast<float>(point.x), static_cast<float>(point.y)))) {
            ui.pendingDropHandled = true;
            if (AddWatchedFolder(watching, PathToUtf8(*folder))) {
                settingsChanged = true;
                view.statusText = "Watching " + PathToUtf8(*folder) + ".";
            } else {
                view.statusText = "That folder is watched already.";
            }
        }
    }

    if (removed) {
        watching.folders.erase(watching.folders.begin() + static_cast<std::ptrdiff_t>(*removed));
        settingsChanged = true;
    }
    if (ImGui::Checkbox("Notify after each watched batch", &watching.balloons)) settingsChanged = true;
    ImGui::SameLine();
    ImGui::TextDisabled("(one notification per batch, never one per file)");
}

}  // namespace kw
