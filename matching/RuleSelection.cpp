#include "matching/RuleSelection.h"

#include <optional>

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

RuleDecision RuleSelector::DecisionOf(const Rule& rule) {
    // A rule not named yet is called what the rule list calls it.
    return RuleDecision{rule.name.empty() ? "New rule" : rule.name, rule.destination, rule.action, rule.conflict, {}};
}

RuleDecision RuleSelector::NoMatchDecision() const {
    if (settings.noMatchPolicy == NoMatchPolicy::leave_in_place)
        return {"No matching rule", "", RuleAction::leave_in_place, ConflictPolicy::skip, {}};
    return {"Catch-All", settings.catchAllPath, RuleAction::move, settings.catchAllConflict, {}};
}

RuleDecision RuleSelector::Select(const std::filesystem::path& item, const Clock& clock) const {
    ItemFacts facts(item);
    return Select(facts, clock, nullptr);
}

RuleDecision RuleSelector::Select(ItemFacts& facts, const Clock& clock, SelectionTrace* trace) const {
    const std::vector<Rule>& rules = settings.rules;
    if (trace) {
        trace->rules.assign(rules.size(), RuleFinding{});
        trace->exclusiveWinner = -1;
        for (size_t i = 0; i < rules.size(); ++i)
            if (!rules[i].enabled) trace->rules[i].standing = RuleStanding::off;
            else if (!IsUsableRule(rules[i])) trace->rules[i].standing = RuleStanding::no_destination;
    }
    for (size_t i = 0; i < rules.size(); ++i) {
        if (!IsUsableRule(rules[i]) || !IsExclusive(rules[i])) continue;
        if (trace) {
            trace->exclusiveWinner = static_cast<int>(i);
            for (size_t j = 0; j < rules.size(); ++j)
                if (IsUsableRule(rules[j])) trace->rules[j].standing = j == i ? RuleStanding::won : RuleStanding::passed_over;
        }
        return DecisionOf(rules[i]);
    }
    std::string notes;
    std::optional<RuleDecision> decision;
    for (size_t i = 0; i < prepared.size() && !decision; ++i) {
        if (!prepared[i]) continue;
        std::string note;
        RuleFinding* finding = trace ? &trace->rules[i] : nullptr;
        const Truth truth = prepared[i]->Judge(facts, clock, note, finding ? &finding->clauses : nullptr);
        if (truth == Truth::yes) decision = DecisionOf(rules[i]);
        if (finding)
            finding->standing = truth == Truth::yes       ? RuleStanding::won
                                : truth == Truth::unknown ? RuleStanding::depends
                                                          : RuleStanding::not_matched;
        if (!note.empty()) notes += (notes.empty() ? "" : "; ") + note + " (rule " + rules[i].name + ")";
    }
    attributeQueries += facts.Queries();
    RuleDecision result = decision ? std::move(*decision) : NoMatchDecision();
    result.note = std::move(notes);
    return result;
}

RuleDecision SelectRule(const AppSettings& settings, const std::filesystem::path& item, const Clock& clock) {
    return RuleSelector(settings).Select(item, clock);
}

}  // namespace kw
