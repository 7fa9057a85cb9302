#include "matching/RuleSelection.h"

#include "matching/ConditionEvaluation.h"

namespace kw {

bool IsUsableRule(const Rule& rule) {
    return rule.enabled && !(rule.action == RuleAction::move && rule.destination.empty());
}

RuleDecision SelectRule(const AppSettings& settings, const std::filesystem::path& item, const Clock& clock) {
    const auto decide = [](const Rule& r) { return RuleDecision{r.name, r.destination, r.action, r.conflict}; };
    for (const Rule& rule : settings.rules)
        if (IsUsableRule(rule) && IsExclusive(rule)) return decide(rule);
    for (const Rule& rule : settings.rules)
        if (IsUsableRule(rule) && RuleMatches(rule, item, clock)) return decide(rule);
    if (settings.noMatchPolicy == NoMatchPolicy::leave_in_place)
        return {"No matching rule", "", RuleAction::leave_in_place, ConflictPolicy::skip};
    return {"Catch-All", settings.catchAllPath, RuleAction::move, settings.catchAllConflict};
}

}  // namespace kw
