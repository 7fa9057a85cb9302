#include "ui/PathRow.h"

#include <imgui.h>
#include <imgui_internal.h>

#include <cstring>

#include "model/TextEncoding.h"

namespace kw {

void DrawPathRow(const char* label, std::string& path, UiState& ui, HWND owner, bool& settingsChanged,
                 const char* browseLabel) {
    char buffer[1024];
    // Cut on a character boundary so an edited path stays valid UTF-8.
    const std::string shown = TruncateUtf8(path, sizeof buffer - 1);
    std::memcpy(buffer, shown.c_str(), shown.size() + 1);

    ImGui::BeginGroup();
    if (ImGui::InputTextWithHint(label, "Choose a folder\xE2\x80\xA6", buffer, sizeof buffer)) {
        path = buffer;
        settingsChanged = true;
    }
    ImGui::SameLine();
    if (ImGui::Button(browseLabel)) {
        if (ui.platform.pickFolder) path = ui.platform.pickFolder(owner, path);
        settingsChanged = true;
    }
    ImGui::TextDisabled("Drop a folder on this row to set the path.");
    ImGui::EndGroup();

    const ImVec2 min = ImGui::GetItemRectMin(), max = ImGui::GetItemRectMax();
    const ImRect grown(min.x - 10, min.y - 10, max.x + 10, max.y + 10);
    ui.pathTargets.push_back(PathRowTarget{grown.Min.x, grown.Min.y, grown.Max.x, grown.Max.y, &path});

    if (ui.pendingDrop) {
        // The drop point arrives in screen coordinates; the rows live in the window's client area.
        POINT point = ui.pendingDropPoint;
        if (owner) ScreenToClient(owner, &point);
        ImRect dropArea = grown;
        dropArea.Expand(12.0f);
        if (dropArea.Contains(ImVec2(static_cast<float>(point.x), static_cast<float>(point.y))))
            ImGui::GetWindowDrawList()->AddRect(grown.Min, grown.Max, IM_COL32(255, 214, 0, 255), 4.0f, 0, 2.5f);
    }
    if (ImGui::IsItemHovered(ImGuiHoveredFlags_RectOnly)) ui.hoveredPathTarget = &path;
}

}  // namespace kw
