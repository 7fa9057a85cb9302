#pragma once
// Which rule (or which no-match outcome) applies to one dropped item.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "matching/ConditionEvaluation.h"
#include "matching/RuleTemplates.h"
#include "model/AppSettings.h"
#include "model/Clock.h"

namespace kw {

struct RuleDecision {
    std::string ruleName;     // the rule's name, "Catch-All" or "No matching rule"
    std::string destination;  // UTF-8 folder path; empty when nothing is moved
    RuleAction action = RuleAction::leave_in_place;
    ConflictPolicy conflict = ConflictPolicy::skip;
    // Why a condition could not be decided and counted as not holding (a pattern gave up),
    // for the item's log line; empty when every condition was decided.
    std::string note;
    // The rule's destination is a template that does not parse ("An unknown placeholder {x}
    // at 4"): the rule routes nothing. `destination` is then the template as written.
    std::string templateError;
    // The item's new name (UTF-8, one name) from the rule's "Rename to"; empty keeps its name.
    // For the rename action `destination` is the item's own folder.
    std::string newName;
    // "Rename to" does not parse: the rule routes nothing, as for `templateError`.
    std::string newNameError;
};

// A rule takes part when it is enabled and is not a move rule without a destination, nor a
// rename rule without a new name.
bool IsUsableRule(const Rule& rule);

// How one rule fared in a selection, for people asking why (the rule tester).
enum class RuleStanding {
    off,                // disabled
    no_destination,     // a move rule without a folder (a rename rule without a new name): never used
    passed_over,        // an exclusive "any file" rule further down takes every item
    not_matched,        // judged: its conditions do not hold
    depends,            // judged: the answer needs the file itself (a name alone was given)
    won,                // the decision
    not_reached,        // below the winner
};

struct RuleFinding {
    RuleStanding standing = RuleStanding::not_reached;
    std::vector<ClauseFinding> clauses;  // for judged rules, one per condition
};

// One entry per rule, in order.
struct SelectionTrace {
    std::vector<RuleFinding> rules;
    int exclusiveWinner = -1;  // the exclusive rule that took the item, if one did
    // The decision treats a rule that `depends` as not matching: for a name alone it is the
    // outcome when the file turns out to fail every such rule.
};

// The rules of a batch made ready for many items: each list parsed and each pattern compiled
// once, when the selector is made. First the usable exclusive rule nearest the top wins
// outright (its clauses are not even evaluated); otherwise the first usable rule that matches;
// otherwise the no-match policy. Keeps a reference to `settings`.
class RuleSelector {
public:
    explicit RuleSelector(const AppSettings& settings);
    RuleDecision Select(const std::filesystem::path& item, const Clock& clock = SystemClock()) const;
    // The one selection, routing's and the tester's: with `trace`, how each rule fared.
    RuleDecision Select(ItemFacts& item, const Clock& clock, SelectionTrace* trace) const;
    // The decision a rule would give, were it the one that matched (its template not resolved).
    static RuleDecision DecisionOf(const Rule& rule);
    // The decision rule `index` gives for this item: its destination template and new name resolved.
    RuleDecision DecisionFor(size_t index, ItemFacts& item, const Clock& clock) const;
    // For the benchmarks: patterns compiled, and attribute queries made for size and date
    // conditions over all items so far.
    int PatternsCompiled() const { return patternsCompiled; }
    long long AttributeQueries() const { return attributeQueries; }

private:
    RuleDecision NoMatchDecision() const;

    const AppSettings& settings;
    std::vector<std::optional<PreparedRule>> prepared;  // one per rule; nothing for unusable ones
    // One per rule; for destinations with placeholders and for new names.
    std::vector<std::optional<PreparedTemplates>> templates;
    int patternsCompiled = 0;
    mutable long long attributeQueries = 0;
};

// A one-off selection (the rules prepared for this item alone).
RuleDecision SelectRule(const AppSettings& settings, const std::filesystem::path& item,
                        const Clock& clock = SystemClock());

}  // namespace kw
