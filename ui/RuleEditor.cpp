#include "ui/RuleEditor.h"
#include "ui/ReadableColour.h"

#include <imgui.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "matching/RuleTemplates.h"
#include "model/Clock.h"
#include "model/TextEncoding.h"
#include "ui/PathRow.h"
#include "ui/RuleWarnings.h"
#include "ui/SizeText.h"

namespace kw {
namespace {

// Fills an ImGui text buffer from a stored value; cut on a character boundary so that an edit
// never stores half a UTF-8 sequence.
template <size_t N>
void Fill(char (&buffer)[N], const std::string& value) {
    const std::string cut = TruncateUtf8(value, N - 1);
    std::memcpy(buffer, cut.c_str(), cut.size() + 1);
}

template <size_t N>
bool EditText(const char* label, std::string& value, bool& settingsChanged, const char* hint = nullptr) {
    char buffer[N];
    Fill(buffer, value);
    if (!(hint ? ImGui::InputTextWithHint(label, hint, buffer, N) : ImGui::InputText(label, buffer, N))) return false;
    value = buffer;
    settingsChanged = true;
    return true;
}

bool HasAnyFileClause(const Rule& rule) {
    return std::any_of(rule.clauses.begin(), rule.clauses.end(),
                       [](const RuleClause& c) { return c.type == ConditionType::any_file; });
}

// One letter of an alphabetical range. Only ASCII letters and digits are taken: the field
// holds a single byte, and anything else would leave broken UTF-8 in the settings.
void EditLetter(const char* label, char& letter, bool& settingsChanged) {
    char buffer[4] = {letter, 0, 0, 0};
    ImGui::SetNextItemWidth(60.0f);
    if (!ImGui::InputText(label, buffer, sizeof buffer) || buffer[0] == 0) return;
    char c = buffer[0];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return;
    letter = c;
    settingsChanged = true;
}

template <typename Enum, size_t N>
bool EnumCombo(const char* label, Enum& value, const std::array<const char*, N>& labels) {
    int item = static_cast<int>(value);
    if (!ImGui::Combo(label, &item, labels.data(), static_cast<int>(N))) return false;
    value = static_cast<Enum>(item);
    return true;
}

}  // namespace

bool DrawConflictCombo(const char* id, ConflictPolicy& policy) {
    ImGui::PushID(id);
    const bool changed = EnumCombo("Conflict", policy, kConflictPolicyLabels);
    ImGui::PopID();
    return changed;
}

void DrawConditionEditor(Rule& rule, RuleClause& clause, bool& settingsChanged) {
    if (EnumCombo("Type", clause.type, kConditionTypeLabels)) {
        if (clause.type == ConditionType::any_file) rule.anyFileExclusive = true;
        settingsChanged = true;
    }
    switch (clause.type) {
        case ConditionType::any_file:
            ImGui::TextColored(Readable(ImVec4(1.00f, 0.75f, 0.25f, 1.00f)), "Matches every file for this clause.");
            break;
        case ConditionType::extension:
            EditText<256>("Extensions", clause.extensions, settingsChanged, "jpg, png, pdf");
            ImGui::TextDisabled("Comma-separated; with or without dot: jpg, .png, pdf (also ; or |)");
            break;
        case ConditionType::file_size: {
            if (EnumCombo("Compare", clause.sizeOp, kSizeOpLabels)) settingsChanged = true;
            // The size commits on Enter only: a half-typed "5" must not become 5 bytes.
            char buffer[64];
            Fill(buffer, FormatSize(clause.sizeBytes));
            if (ImGui::InputText("Size", buffer, sizeof buffer, ImGuiInputTextFlags_EnterReturnsTrue)) {
                if (const auto bytes = ParseSize(buffer)) {
                    clause.sizeBytes = *bytes;
                    settingsChanged = true;
                }
            }
            ImGui::SameLine();
            ImGui::TextDisabled("e.g. 5MB, 1GB");
            break;
        }
        case ConditionType::alphabetical:
            EditLetter("From", clause.alphaFrom, settingsChanged);
            ImGui::SameLine();
            EditLetter("To", clause.alphaTo, settingsChanged);
            ImGui::TextDisabled("Matches the starting letter of the filename (A-M, N-Z, ...)");
            break;
        case ConditionType::keyword:
            EditText<256>("Keyword", clause.keyword, settingsChanged, "invoice, receipt");
            if (ImGui::Checkbox("Case sensitive", &clause.keywordCaseSensitive)) settingsChanged = true;
            ImGui::TextDisabled("Comma-separated: matches if the filename contains any listed keyword.");
            break;
        case ConditionType::date: {
            int field = clause.dateField == DateField::created ? 1 : 0;
            if (ImGui::Combo("Timestamp", &field, kDateFieldLabels.data(), static_cast<int>(kDateFieldLabels.size()))) {
                clause.dateField = field == 1 ? DateField::created : DateField::modified;
                settingsChanged = true;
            }
            int op = clause.dateOp == DateOp::newer ? 1 : 0;
            if (ImGui::Combo("Age", &op, kDateOpLabels.data(), static_cast<int>(kDateOpLabels.size()))) {
                clause.dateOp = op == 1 ? DateOp::newer : DateOp::older;
                settingsChanged = true;
            }
            int days = clause.dateDays;
            if (ImGui::InputInt("Days", &days, 1, 100)) {
                clause.dateDays = std::max(days, 0);
                settingsChanged = true;
            }
            break;
        }
        case ConditionType::regex:
            EditText<512>("Pattern", clause.regex, settingsChanged, "^IMG_\\d+");
            ImGui::TextDisabled("One regex on the filename (not the full path). Use (foo|bar) for OR inside the pattern.");
            ImGui::TextDisabled("For multiple separate tests, add another condition and set Combine to ANY (OR).");
            break;
    }
}

// "Rename to" and, on a line of its own that is always there (nothing below it moves as the
// user types), the name it gives an example item, or what the field is for.
static void DrawNewNameField(Rule& rule, const LocalTime& now, bool& settingsChanged) {
    const bool rename = rule.action == RuleAction::rename;
    EditText<256>("Rename to", rule.renameTo, settingsChanged,
                  rename ? "New name, e.g. {modified:yyyy-MM-dd} {name}" : "Optional: a new name for the item");
    if (const std::string example = NewNameExample(rule, now); !example.empty())
        ImGui::TextDisabled("Example: %s", example.c_str());
    else if (rule.renameTo.empty() && !rename)
        ImGui::TextDisabled("Empty keeps the item's name.");
    else
        ImGui::TextDisabled("The extension is kept unless the new name gives one, e.g. {name}.{ext}");
}

// The editor's fields, top to bottom (they scroll above the strip).
static void DrawRuleFields(Rule& rule, UiState& ui, HWND owner, bool& settingsChanged);

void DrawRuleEditor(Rule& rule, UiState& ui, HWND owner, bool& settingsChanged) {
    // The findings go to a strip of fixed height under the fields, so that no field moves while
    // they come and go as the user types; the fields scroll above it when the panel is short.
    ui.editorStrip.Clear();
    AddRuleFindings(ui.editorStrip, ui.ruleWarnings.Current(), ui.selectedRule);
    ImGui::BeginChild("rule_fields", ImVec2(0.0f, -(MessageStrip::Height() + ImGui::GetStyle().ItemSpacing.y)));
    DrawRuleFields(rule, ui, owner, settingsChanged);
    ImGui::EndChild();
    ui.editorStrip.Draw("rule_messages", "Nothing to report about this rule.");
}

static void DrawRuleFields(Rule& rule, UiState& ui, HWND owner, bool& settingsChanged) {
    EditText<128>("Rule name", rule.name, settingsChanged, "Name this rule, e.g. Photos");

    if (rule.clauses.size() >= 2) {
        int logic = rule.combineLogic == CombineLogic::any ? 1 : 0;
        if (ImGui::Combo("Combine conditions", &logic, kCombineLogicLabels.data(),
                         static_cast<int>(kCombineLogicLabels.size()))) {
            rule.combineLogic = logic == 1 ? CombineLogic::any : CombineLogic::all;
            settingsChanged = true;
        }
        ImGui::TextDisabled("Example AND: .jpg + larger than 1MB + regex. Example OR: .jpg OR .png.");
    }

    for (size_t j = 0; j < rule.clauses.size(); ++j) {
        ImGui::PushID(static_cast<int>(j));
        ImGui::Separator();
        // On the condition's first line, above its Type: a type chosen from the list below never
        // leaves this button under the pointer, whatever fields the new type brings.
        ImGui::Text("Condition %d", static_cast<int>(j) + 1);
        if (rule.clauses.size() > 1) {
            ImGui::SameLine();
            if (ImGui::SmallButton("Remove this condition")) {
                // The conditions below this one are still to be drawn this frame.
                ui.afterFrame.Add([&rule, &settingsChanged, j] {
                    if (j >= rule.clauses.size() || rule.clauses.size() < 2) return;
                    rule.clauses.erase(rule.clauses.begin() + static_cast<std::ptrdiff_t>(j));
                    settingsChanged = true;
                });
            }
        }
        DrawConditionEditor(rule, rule.clauses[j], settingsChanged);
        ImGui::PopID();
    }

    const bool anyFile = HasAnyFileClause(rule);
    if (rule.clauses.size() < static_cast<size_t>(kMaxClausesPerRule) && !anyFile) {
        if (ImGui::Button("Add condition")) {
            RuleClause clause;
            clause.type = ConditionType::file_size;
            rule.clauses.push_back(clause);
            settingsChanged = true;
        }
        ImGui::SameLine();
        ImGui::TextDisabled("Up to %d conditions per rule", kMaxClausesPerRule);
    }
    if (anyFile) {
        if (ImGui::Checkbox("Ignore all other rules (exclusive)", &rule.anyFileExclusive)) settingsChanged = true;
        if (rule.anyFileExclusive)
            ImGui::TextWrapped("When this rule is enabled, every dropped file goes here and other rules are skipped.");
        if (rule.clauses.size() > 1)
            ImGui::TextColored(Readable(ImVec4(1.00f, 0.50f, 0.35f, 1.00f)),
                               "Tip: use a single Any file condition, or turn off exclusive mode.");
    }

    // The stored value is the index of its label; one outside the list reads as a move.
    int action = static_cast<int>(rule.action);
    if (action < 0 || action >= static_cast<int>(kRuleActionLabels.size())) action = 0;
    if (ImGui::Combo("When matched", &action, kRuleActionLabels.data(), static_cast<int>(kRuleActionLabels.size()))) {
        rule.action = static_cast<RuleAction>(action);
        settingsChanged = true;
    }
    if (rule.action == RuleAction::leave_in_place) {
        ImGui::TextWrapped(
            "Matching files are not moved. Use this as an exclude rule: drag it to the top of the list so it runs "
            "before rules that would otherwise move those files.");
    } else if (rule.action == RuleAction::recycle) {
        ImGui::TextWrapped(
            "Matching files are deleted with Recycle Bin support (you can restore them from the Recycle Bin).");
    } else {
        const LocalTime now = SystemClock().Local();
        if (UsesDestination(rule.action)) {
            char browse[160];
            std::snprintf(browse, sizeof browse, "Browse##%s", rule.id.c_str());
            DrawPathRow("Destination", rule.destination, ui, owner, settingsChanged, browse);
            // What a destination made from each item gives today, on a line of its own that is
            // always there, so that typing the first brace moves nothing below it.
            if (const std::string example = DestinationExample(rule, now); !example.empty())
                ImGui::TextDisabled("Example: %s", example.c_str());
            else
                ImGui::TextDisabled("Folders can be made from each item, e.g. Photos\\{modified:yyyy}\\{modified:MM}");
        }
        DrawNewNameField(rule, now, settingsChanged);
        if (DrawConflictCombo(rule.id.c_str(), rule.conflict)) settingsChanged = true;
    }
}

}  // namespace kw
