#pragma once
// Which rule (or which no-match outcome) applies to one dropped item.

#include <filesystem>
#include <string>

#include "model/AppSettings.h"
#include "model/Clock.h"

namespace kw {

struct RuleDecision {
    std::string ruleName;     // the rule's name, "Catch-All" or "No matching rule"
    std::string destination;  // UTF-8 folder path; empty when nothing is moved
    RuleAction action = RuleAction::leave_in_place;
    ConflictPolicy conflict = ConflictPolicy::skip;
};

// A rule takes part when it is enabled and is not a move rule without a destination.
bool IsUsableRule(const Rule& rule);

// First the usable exclusive rule nearest the top wins outright (its clauses are not even
// evaluated); otherwise the first usable rule that matches; otherwise the no-match policy.
RuleDecision SelectRule(const AppSettings& settings, const std::filesystem::path& item,
                        const Clock& clock = SystemClock());

}  // namespace kw
