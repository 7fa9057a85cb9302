#pragma once
// The rule checker's findings in the settings window (matching/RuleCheck.h): kept for the
// settings they were found for, marked beside rules in the list, written beside the fields at
// fault in the editor and listed on the Summary tab.

#include <vector>

#include "matching/RuleCheck.h"
#include "model/AppSettings.h"
#include "ui/MessageStrip.h"

namespace kw {

class RuleWarningCache {
public:
    // The findings for `settings`. The check runs again only when the rules, the Unsorted
    // folder or its use changed, or kRecheckSeconds after the last run (a missing folder may
    // have been made meanwhile): the probe reads the disk, and this is asked every frame.
    const std::vector<RuleWarning>& For(const AppSettings& settings, const FolderProbe& probe, double nowSeconds);
    const std::vector<RuleWarning>& Current() const { return warnings; }
    int Runs() const { return runs; }

    static constexpr double kRecheckSeconds = 5.0;

private:
    bool fresh = false;
    std::vector<Rule> rules;
    std::string catchAllPath;
    NoMatchPolicy noMatchPolicy = NoMatchPolicy::leave_in_place;
    double checkedAt = 0;
    std::vector<RuleWarning> warnings;
    int runs = 0;
};

// "(!)" for a rule with warnings, its warnings in the tooltip; for a rule without, a space as
// wide when `keepColumn` (so the names of a list stay in line), else nothing.
void DrawRuleMark(const std::vector<RuleWarning>& warnings, int rule, bool keepColumn);
// Whether some rule has a warning (not only notes).
bool AnyRuleMarked(const std::vector<RuleWarning>& warnings);

// The findings about one field of the editor (`clause` -1: the rule as a whole), a line each.
void DrawFieldWarnings(const std::vector<RuleWarning>& warnings, int rule, int clause, RuleField field);

// Whether the rule is still being made (marked in a neutral tone, not as a fault).
bool RuleIncomplete(const std::vector<RuleWarning>& warnings, int rule);

// The findings about one rule, for the rule editor's strip: what it lacks, then its warnings,
// then its notes, each naming its condition.
void AddRuleFindings(MessageStrip& strip, const std::vector<RuleWarning>& warnings, int rule);

// Every finding, warnings before notes, each with the rule and condition it is about.
void DrawWarningList(const AppSettings& settings, const std::vector<RuleWarning>& warnings);

}  // namespace kw
