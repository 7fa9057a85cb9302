#include "matching/RuleSelection.h"

namespace kw {

bool IsUsableRule(const Rule& rule) {
    return rule.enabled && !(rule.action == RuleAction::move && rule.destination.empty());
}

RuleSelector::RuleSelector(const AppSettings& batchSettings) : settings(batchSettings) {
    prepared.reserve(settings.rules.size());
    for (const Rule& rule : settings.rules) {
        // An exclusive rule wins without its clauses being looked at.
        if (!IsUsableRule(rule) || IsExclusive(rule)) {
            prepared.emplace_back();
            continue;
        }
        patternsCompiled += prepared.emplace_back(rule)->Patterns();
    }
}

RuleDecision RuleSelector::Select(const std::filesystem::path& item, const Clock& clock) const {
    const auto decide = [](const Rule& r) { return RuleDecision{r.name, r.destination, r.action, r.conflict, {}}; };
    for (const Rule& rule : settings.rules)
        if (IsUsableRule(rule) && IsExclusive(rule)) return decide(rule);
    ItemFacts facts(item);
    std::string notes;
    RuleDecision decision;
    bool decided = false;
    for (size_t i = 0; i < prepared.size() && !decided; ++i) {
        if (!prepared[i]) continue;
        std::string note;
        if (prepared[i]->Matches(facts, clock, note)) {
            decision = decide(settings.rules[i]);
            decided = true;
        }
        if (!note.empty()) notes += (notes.empty() ? "" : "; ") + note + " (rule " + settings.rules[i].name + ")";
    }
    attributeQueries += facts.Queries();
    if (!decided) {
        if (settings.noMatchPolicy == NoMatchPolicy::leave_in_place)
            decision = {"No matching rule", "", RuleAction::leave_in_place, ConflictPolicy::skip, {}};
        else
            decision = {"Catch-All", settings.catchAllPath, RuleAction::move, settings.catchAllConflict, {}};
    }
    decision.note = std::move(notes);
    return decision;
}

RuleDecision SelectRule(const AppSettings& settings, const std::filesystem::path& item, const Clock& clock) {
    return RuleSelector(settings).Select(item, clock);
}

}  // namespace kw
