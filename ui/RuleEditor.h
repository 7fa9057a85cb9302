#pragma once
// The editor panel of the selected rule: name, conditions, how they combine, the exclusive
// switch, the action and, for a move or copy, the destination, "Rename to" and the conflict policy
// (for a rename, "Rename to" and the conflict policy).

#include <windows.h>

#include "model/Rule.h"
#include "ui/SettingsWindow.h"

namespace kw {

// `rule` is settings.rules[ui.selectedRule]; the rule check's findings about it come from
// ui.ruleWarnings and go to ui.editorStrip, below the fields, with whatever the fields add.
void DrawRuleEditor(Rule& rule, UiState& ui, HWND owner, bool& settingsChanged);
// One clause of `rule` (its type and value fields); the rule is needed because choosing "Any file" makes it exclusive.
void DrawConditionEditor(Rule& rule, RuleClause& clause, bool& settingsChanged);
// The "Conflict" combo under the id scope `id`; true when the policy changed.
bool DrawConflictCombo(const char* id, ConflictPolicy& policy);

}  // namespace kw
