#include "ui/RulesTab.h"

#include <imgui.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "render/VisualOrder.h"
#include "model/TextEncoding.h"
#include "ui/RuleEditor.h"
#include "ui/RuleWarnings.h"
#include "ui/StarterOffer.h"

namespace kw {
namespace {

constexpr const char* kRulePayload = "RULE_INDEX";
constexpr const char* kUnnamedRule = "New rule";  // what the list calls a rule not yet named

bool IsValidIndex(int index, const std::vector<Rule>& rules) {
    return index >= 0 && index < static_cast<int>(rules.size());
}

void EraseRule(std::vector<Rule>& rules, int index) { rules.erase(rules.begin() + index); }

// The path rows of the frame just drawn point into the rules; once the list changes under them
// a folder dropped before the next frame must find none rather than another rule's.
void ForgetPathRows(UiState& ui) {
    ui.pathTargets.clear();
    ui.previousPathTargets.clear();
    ui.hoveredPathTarget = nullptr;
}

void CommitRename(Rule& rule, UiState& ui, bool& settingsChanged) {
    // An empty name is never taken: the rename simply ends.
    if (ui.renameBuffer[0] != 0) {
        rule.name = ui.renameBuffer;
        settingsChanged = true;
    }
    ui.renamingRule = -1;
}

void DrawToggle(Rule& rule, bool& settingsChanged) {
    const bool on = rule.enabled;
    ImGui::PushStyleColor(ImGuiCol_Button, on ? ImVec4(0.45f, 0.78f, 1.00f, 1.00f) : ImVec4(0.55f, 0.10f, 0.12f, 1.00f));
    ImGui::PushStyleColor(ImGuiCol_ButtonHovered,
                          on ? ImVec4(0.55f, 0.85f, 1.00f, 1.00f) : ImVec4(0.65f, 0.14f, 0.16f, 1.00f));
    ImGui::PushStyleColor(ImGuiCol_ButtonActive,
                          on ? ImVec4(0.35f, 0.68f, 0.95f, 1.00f) : ImVec4(0.45f, 0.08f, 0.10f, 1.00f));
    ImGui::PushStyleColor(ImGuiCol_Text, on ? ImVec4(0.06f, 0.10f, 0.18f, 1.00f) : ImVec4(0.95f, 0.95f, 0.95f, 1.00f));
    if (ImGui::SmallButton(on ? "ON" : "off")) {
        rule.enabled = !rule.enabled;
        settingsChanged = true;
    }
    ImGui::PopStyleColor(4);
}

// The rule moves to `to` whichever direction it travels; the rules between shift by one.
void MoveRule(std::vector<Rule>& rules, int from, int to) {
    Rule moved = rules[static_cast<size_t>(from)];
    EraseRule(rules, from);
    rules.insert(rules.begin() + to, std::move(moved));
}

// Draws the rows. A delete from a row's menu and a row dropped elsewhere change the list once the
// frame has drawn it.
void DrawRuleList(AppSettings& settings, UiState& ui, bool& settingsChanged) {
    std::vector<Rule>& rules = settings.rules;
    const std::vector<RuleWarning>& warnings = ui.ruleWarnings.For(settings, ui.folderProbe, ImGui::GetTime());
    const bool markColumn = AnyRuleMarked(warnings);
    for (int i = 0; i < static_cast<int>(rules.size()); ++i) {
        ImGui::PushID(i);
        Rule& rule = rules[static_cast<size_t>(i)];
        DrawToggle(rule, settingsChanged);
        ImGui::SameLine();
        float incompleteAt = 0.0f;  // where the row's "incomplete" goes; 0: not incomplete
        DrawRuleMark(warnings, i, markColumn);
        if (ui.renamingRule == i) {
            if (ImGui::InputText("##rename", ui.renameBuffer, sizeof ui.renameBuffer,
                                 ImGuiInputTextFlags_EnterReturnsTrue))
                CommitRename(rule, ui, settingsChanged);
            if (ImGui::IsItemDeactivatedAfterEdit() && ui.renamingRule == i) CommitRename(rule, ui, settingsChanged);
        } else {
            const bool anyFile = std::any_of(rule.clauses.begin(), rule.clauses.end(),
                                             [](const RuleClause& c) { return c.type == ConditionType::any_file; });
            std::string label = rule.name.empty() ? std::string(kUnnamedRule) : VisualOrder(rule.name);
            if (anyFile) label += " [any]";
            incompleteAt = RuleIncomplete(warnings, i)
                               ? ImGui::GetCursorPosX() + ImGui::CalcTextSize(label.c_str()).x +
                                     ImGui::GetStyle().ItemSpacing.x * 2.0f
                               : 0.0f;
            if (ImGui::Selectable(label.c_str(), ui.selectedRule == i, ImGuiSelectableFlags_AllowDoubleClick))
                ui.selectedRule = i;
            if (ImGui::BeginPopupContextItem()) {
                if (ImGui::MenuItem("Rename")) {
                    ui.renamingRule = i;
                    const std::string cut = TruncateUtf8(rule.name, sizeof ui.renameBuffer - 1);
                    std::memcpy(ui.renameBuffer, cut.c_str(), cut.size() + 1);
                }
                if (ImGui::MenuItem("Delete")) {
                    ui.afterFrame.Add([&rules, &ui, &settingsChanged, i] {
                        if (!IsValidIndex(i, rules)) return;
                        EraseRule(rules, i);
                        ForgetPathRows(ui);
                        if (ui.selectedRule == i) ui.selectedRule = -1;
                        else if (ui.selectedRule > i) --ui.selectedRule;
                        ui.renamingRule = -1;
                        settingsChanged = true;
                    });
                }
                ImGui::EndPopup();
            }
        }
        if (ImGui::BeginDragDropSource(ImGuiDragDropFlags_SourceAllowNullID)) {
            const int32_t index = i;
            ImGui::SetDragDropPayload(kRulePayload, &index, sizeof index);
            ImGui::Text("Reorder: %s", rule.name.c_str());
            ImGui::EndDragDropSource();
        }
        if (ImGui::BeginDragDropTarget()) {
            if (const ImGuiPayload* payload = ImGui::AcceptDragDropPayload(kRulePayload)) {
                int32_t from = -1;
                if (payload->DataSize == sizeof from) std::memcpy(&from, payload->Data, sizeof from);
                if (from != i && IsValidIndex(from, rules)) {
                    ui.afterFrame.Add([&rules, &ui, &settingsChanged, from, to = i] {
                        if (!IsValidIndex(from, rules) || !IsValidIndex(to, rules)) return;
                        MoveRule(rules, from, to);
                        ForgetPathRows(ui);
                        ui.selectedRule = to;
                        ui.renamingRule = -1;
                        settingsChanged = true;
                    });
                }
            }
            ImGui::EndDragDropTarget();
        }
        if (incompleteAt > 0.0f) {
            // A rule still being made: said in a neutral tone, not as a fault. Drawn last, so the
            // row's menu and drag belong to the row itself.
            ImGui::SameLine(incompleteAt);
            // On the selected row's highlight the grey of disabled text would not read.
            if (ui.selectedRule == i) ImGui::Text("incomplete");
            else ImGui::TextDisabled("incomplete");
        }
        ImGui::PopID();
    }
}

}  // namespace

void DrawRulesTab(AppSettings& settings, UiState& ui, HWND owner, bool& settingsChanged) {
    std::vector<Rule>& rules = settings.rules;
    ImGui::TextWrapped(
        "Rules run top-to-bottom. Click ON/off beside a rule. Up to %d conditions per rule (ALL/AND or ANY/OR). "
        "First matching enabled rule wins. Drag rows to reorder.",
        kMaxClausesPerRule);
    if (ImGui::Button("View routing summary")) ui.openSummaryTab = true;
    ImGui::SameLine();
    ImGui::TextDisabled("See what will happen to dropped files");
    ImGui::SameLine();
    if (ImGui::Button("Test rules")) ui.openTesterTab = true;
    ImGui::Separator();

    if (ImGui::Button("Add rule")) {
        // Blank where the user has to decide (name, value, folder): the fields show hints, and
        // the rule is marked incomplete rather than warned about, or taken for a copy of another.
        Rule rule;
        rule.id = NewRuleId();
        rule.name.clear();
        rule.clauses = {RuleClause{}};
        rule.clauses[0].extensions.clear();
        rules.push_back(std::move(rule));
        ui.selectedRule = static_cast<int>(rules.size()) - 1;
        settingsChanged = true;
    }
    ImGui::SameLine();
    const bool selected = IsValidIndex(ui.selectedRule, rules);
    ImGui::BeginDisabled(!selected);
    if (ImGui::Button("Delete") && selected) {
        EraseRule(rules, ui.selectedRule);
        ui.selectedRule = -1;
        ui.renamingRule = -1;
        settingsChanged = true;
    }
    ImGui::EndDisabled();
    ImGui::SameLine();
    ImGui::BeginDisabled(!selected || ui.selectedRule == 0);
    if (ImGui::Button("Move up") && ui.selectedRule > 0 && IsValidIndex(ui.selectedRule, rules)) {
        std::swap(rules[static_cast<size_t>(ui.selectedRule)], rules[static_cast<size_t>(ui.selectedRule - 1)]);
        --ui.selectedRule;
        ui.renamingRule = -1;  // the rename belongs to a row, which now shows another rule
        settingsChanged = true;
    }
    ImGui::EndDisabled();
    ImGui::SameLine();
    ImGui::BeginDisabled(!selected || ui.selectedRule + 1 >= static_cast<int>(rules.size()));
    if (ImGui::Button("Move down") && ui.selectedRule >= 0 && ui.selectedRule + 1 < static_cast<int>(rules.size())) {
        std::swap(rules[static_cast<size_t>(ui.selectedRule)], rules[static_cast<size_t>(ui.selectedRule + 1)]);
        ++ui.selectedRule;
        ui.renamingRule = -1;
        settingsChanged = true;
    }

    ImGui::EndDisabled();

    // The list keeps a third of a narrow window (20 characters' room at most) for the editor's sake.
    const float listWidth = std::min(ImGui::GetFontSize() * 20.0f, ImGui::GetContentRegionAvail().x * 0.36f);
    ImGui::BeginChild("rule_list", ImVec2(listWidth, 0.0f), ImGuiChildFlags_Border);
    DrawRuleList(settings, ui, settingsChanged);
    ImGui::EndChild();
    ImGui::SameLine();

    ImGui::BeginChild("rule_edit", ImVec2(0.0f, 0.0f), ImGuiChildFlags_Border);
    // Checked again for what the list changed this frame, so the editor's findings are its rule's.
    ui.ruleWarnings.For(settings, ui.folderProbe, ImGui::GetTime());
    if (IsValidIndex(ui.selectedRule, rules))
        DrawRuleEditor(rules[static_cast<size_t>(ui.selectedRule)], ui, owner, settingsChanged);
    else if (rules.empty())
        DrawStarterOffer(settings, ui, settingsChanged);
    else
        ImGui::TextDisabled("Select a rule to edit, or add one.");
    ImGui::EndChild();
    const ImVec2 min = ImGui::GetItemRectMin(), max = ImGui::GetItemRectMax();
    ui.editorRect = UiRect{min.x, min.y, max.x, max.y};
    ui.editorRectValid = true;
    ui.editorRule = ui.selectedRule;
}

}  // namespace kw

