#pragma once
// What will happen to a dropped file, in plain English: one entry per rule in priority order
// and a closing entry for files no rule takes. Built fresh from the settings for each display.

#include <string>
#include <vector>

#include "matching/RuleCheck.h"
#include "model/AppSettings.h"

namespace kw {

struct SummaryRow {
    int index = 0;  // 1-based; the closing entry follows the last rule
    std::string title;
    bool enabled = true;
    std::string when;
    std::string then;
    std::string note;  // empty when there is nothing to remark
};

std::string DescribeCondition(const RuleClause& clause);
std::string DescribeConditions(const Rule& rule);
std::string DescribeAction(const Rule& rule);
std::vector<SummaryRow> BuildRoutingSummary(const AppSettings& settings);

// The body of the Summary tab: what the rule check found, then the rules as sentences.
void DrawSummaryTab(const AppSettings& settings, const std::vector<RuleWarning>& warnings);

}  // namespace kw
