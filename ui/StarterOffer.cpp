#include "ui/StarterOffer.h"

#include <imgui.h>

namespace kw {
namespace {

// The first few extensions of a list, for a line of the offer: ".pdf, .docx, .txt, ..."
std::string FirstExtensions(const std::string& list, int count) {
    size_t at = 0;
    for (int i = 0; i < count; ++i) {
        at = list.find(',', at);
        if (at == std::string::npos) return list;
        ++at;
    }
    return list.substr(0, at - 1) + ", ...";
}

}  // namespace

void DrawStarterOffer(AppSettings& settings, UiState& ui, bool& settingsChanged) {
    if (!ui.starterRules) ui.starterRules = StarterRules(ui.platform.userFolders ? ui.platform.userFolders() : UserFolders{});
    ImGui::Text("No rules yet");
    ImGui::TextWrapped(
        "Rules decide where dropped files go. Start with these and change them as you like, or press Add rule to "
        "make your own.");
    ImGui::Spacing();
    // The button first, where a short window still shows it.
    if (ImGui::Button("Add these starter rules")) {
        for (Rule rule : *ui.starterRules) {
            rule.id = NewRuleId();
            settings.rules.push_back(std::move(rule));
        }
        ui.selectedRule = 0;
        settingsChanged = true;
        return;
    }
    ImGui::SameLine();
    ImGui::TextDisabled("Folders are made when the first file goes there.");
    ImGui::Spacing();
    if (ImGui::BeginTable("starter_rules", 2, ImGuiTableFlags_RowBg)) {
        ImGui::TableSetupColumn("kind", ImGuiTableColumnFlags_WidthFixed, ImGui::CalcTextSize("Installers").x * 1.3f);
        ImGui::TableSetupColumn("where", ImGuiTableColumnFlags_WidthStretch);
        for (const Rule& rule : *ui.starterRules) {
            ImGui::TableNextRow();
            ImGui::TableNextColumn();
            ImGui::TextUnformatted(rule.name.c_str());
            ImGui::TableNextColumn();
            // Paths are not wrapped: cut at the panel's edge, they still read from the start.
            ImGui::Text("to %s", rule.destination.c_str());
            ImGui::TextDisabled("%s", FirstExtensions(rule.clauses.front().extensions, 5).c_str());
        }
        ImGui::EndTable();
    }
}

}  // namespace kw
