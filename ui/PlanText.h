#pragma once
// A plan of one item (ItemPlan) in words: how each rule fared, the conditions of the deciding
// rule with the values that decided them, and the outcome. Pure: built from the plan and the
// settings it was made with.

#include <string>
#include <vector>

#include "model/AppSettings.h"
#include "routing/ItemPlan.h"

namespace kw {

// "Extension is one of: .jpg, .png — .pdf: no", "File size is greater than 5.00 MB — 1.20 MB: yes".
std::string ClauseWords(const RuleClause& clause, const ClauseFinding& finding);

struct PlanLine {
    int depth = 0;  // 0 a rule, 1 one of its conditions, 0 again for the outcome
    std::string text;
    Truth truth = Truth::no;  // how the line reads: yes (it holds, it wins), no, unknown (depends)
    bool dim = false;         // a rule that took no part (off, passed over)
};

// The rules down to the deciding one (every one for an item no rule takes), each with why it did
// or did not win; the winner's conditions; then the outcome and, for a name alone, its branches.
std::vector<PlanLine> ExplainPlan(const AppSettings& settings, const ItemPlan& plan);

// The outcome's one-line summary: "Photos: Would move via Photos to C:\Pictures\a.jpg".
std::string OutcomeLine(const ItemPlan& plan);

}  // namespace kw
