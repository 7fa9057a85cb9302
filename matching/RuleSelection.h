#pragma once
// Which rule (or which no-match outcome) applies to one dropped item.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "matching/ConditionEvaluation.h"
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
};

// A rule takes part when it is enabled and is not a move rule without a destination.
bool IsUsableRule(const Rule& rule);

// The rules of a batch made ready for many items: each list parsed and each pattern compiled
// once, when the selector is made. First the usable exclusive rule nearest the top wins
// outright (its clauses are not even evaluated); otherwise the first usable rule that matches;
// otherwise the no-match policy. Keeps a reference to `settings`.
class RuleSelector {
public:
    explicit RuleSelector(const AppSettings& settings);
    RuleDecision Select(const std::filesystem::path& item, const Clock& clock = SystemClock()) const;
    // For the benchmarks: patterns compiled, and attribute queries made for size and date
    // conditions over all items so far.
    int PatternsCompiled() const { return patternsCompiled; }
    long long AttributeQueries() const { return attributeQueries; }

private:
    const AppSettings& settings;
    std::vector<std::optional<PreparedRule>> prepared;  // one per rule; nothing for unusable ones
    int patternsCompiled = 0;
    mutable long long attributeQueries = 0;
};

// A one-off selection (the rules prepared for this item alone).
RuleDecision SelectRule(const AppSettings& settings, const std::filesystem::path& item,
                        const Clock& clock = SystemClock());

}  // namespace kw
