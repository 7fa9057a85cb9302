#include "matching/RuleSelection.h"

#include <optional>

#include "model/TextEncoding.h"

namespace kw {

bool IsUsableRule(const Rule& rule) {
    return rule.enabled && !(UsesDestination(rule.action) && rule.destination.empty()) &&
           !(rule.action == RuleAction::rename && rule.renameTo.empty());
}

RuleSelector::RuleSelector(const AppSettings& batchSettings) : settings(batchSettings) {
    prepared.reserve(settings.rules.size());
    templates.reserve(settings.rules.size());
    for (const Rule& rule : settings.rules) {
        const bool hasTemplate = UsesDestination(rule.action) && rule.destination.find_first_of("{}") != std::string::npos;
        const bool renames = UsesNewName(rule.action) && !rule.renameTo.empty();
        if (IsUsableRule(rule) && (hasTemplate || renames)) templates.emplace_back(rule);
        else templates.emplace_back();
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
    RuleDecision decision;
    decision.ruleName = rule.name.empty() ? "New rule" : rule.name;
    decision.destination = rule.action == RuleAction::rename ? std::string() : rule.destination;
    decision.action = rule.action;
    decision.conflict = rule.conflict;
    return decision;
}

RuleDecision RuleSelector::DecisionFor(size_t index, ItemFacts& item, const Clock& clock) const {
    RuleDecision decision = DecisionOf(settings.rules[index]);
    // A rename stays in the item's own folder, spelled as the item's path spells it.
    if (decision.action == RuleAction::rename) decision.destination = PathToUtf8(item.Path().parent_path());
    if (index >= templates.size() || !templates[index]) return decision;
    const PreparedTemplates& t = *templates[index];
    const bool braces = settings.rules[index].destination.find_first_of("{}") != std::string::npos;
    if (UsesDestination(decision.action) && braces) {
        if (t.Destination().error) decision.templateError = TemplateErrorText(*t.Destination().error);
        else decision.destination = ToUtf8(t.ResolveDestination(item, clock));
    }
    if (t.NewName().error) decision.newNameError = TemplateErrorText(*t.NewName().error);
    else if (UsesNewName(decision.action)) decision.newName = ToUtf8(t.ResolveNewName(item, clock));
    return decision;
}

RuleDecision RuleSelector::NoMatchDecision() const {
    if (settings.noMatchPolicy == NoMatchPolicy::leave_in_place)
        return {"No matching rule", "", RuleAction::leave_in_place, ConflictPolicy::skip, {}, {}, {}, {}};
    return {"Catch-All", settings.catchAllPath, RuleAction::move, settings.catchAllConflict, {}, {}, {}, {}};
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
        return DecisionFor(i, facts, clock);
    }
    std::string notes;
    std::optional<RuleDecision> decision;
    for (size_t i = 0; i < prepared.size() && !decision; ++i) {
        if (!prepared[i]) continue;
        std::string note;
        RuleFinding* finding = trace ? &trace->rules[i] : nullptr;
        const Truth truth = prepared[i]->Judge(facts, clock, note, finding ? &finding->clauses : nullptr);
        if (truth == Truth::yes) decision = DecisionFor(i, facts, clock);
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
