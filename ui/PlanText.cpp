#include "ui/PlanText.h"

#include "ui/RoutingSummary.h"
#include "ui/SizeText.h"

namespace kw {
namespace {

constexpr const char* kDash = " \xE2\x80\x94 ";

const char* TruthWord(Truth truth) {
    switch (truth) {
        case Truth::yes: return "yes";
        case Truth::unknown: return "unknown";
        default: return "no";
    }
}

std::string AgeWords(uint64_t days) {
    if (days == 0) return "today";
    if (days == 1) return "1 day ago";
    return std::to_string(days) + " days ago";
}

// The item's value a condition compared, in words.
std::string SeenWords(const RuleClause& clause, const ClauseFinding& f) {
    if (!f.note.empty()) return f.note;
    switch (clause.type) {
        case ConditionType::extension: return f.seen.empty() ? "no extension" : f.seen;
        case ConditionType::file_size:
            if (f.truth == Truth::unknown) return "unknown: no such file";
            if (f.unreadable) return "cannot be read";
            return f.folder ? "a folder (counts as 0 bytes)" : FormatSize(f.number);
        case ConditionType::alphabetical: return "first letter " + f.seen;
        case ConditionType::keyword: return f.truth == Truth::yes ? "found \"" + f.seen + "\"" : "none in the name";
        case ConditionType::date:
            if (f.truth == Truth::unknown) return "unknown: no such file";
            if (f.unreadable) return "cannot be read (counts as very old)";
            return AgeWords(f.number);
        case ConditionType::regex: return f.truth == Truth::yes ? "matched '" + f.seen + "'" : "no match";
        case ConditionType::any_file: return "every item";
    }
    return {};
}

std::string RuleTitle(const std::vector<Rule>& rules, size_t index) {
    return std::to_string(index + 1) + ". \"" + rules[index].name + "\"";
}

// Why a judged rule did not match: for ALL the first condition that failed, for ANY that none held.
std::string MissWords(const Rule& rule, const RuleFinding& finding) {
    const bool any = rule.combineLogic == CombineLogic::any && finding.clauses.size() > 1;
    if (any) return "none of its conditions holds";
    for (size_t i = 0; i < finding.clauses.size() && i < rule.clauses.size(); ++i)
        if (finding.clauses[i].truth == Truth::no) return ClauseWords(rule.clauses[i], finding.clauses[i]);
    return rule.clauses.empty() ? "it has no conditions" : "its conditions do not hold";
}

}  // namespace

std::string ClauseWords(const RuleClause& clause, const ClauseFinding& finding) {
    return DescribeCondition(clause) + kDash + SeenWords(clause, finding) + ": " + TruthWord(finding.truth);
}

std::vector<PlanLine> ExplainPlan(const AppSettings& settings, const ItemPlan& plan) {
    std::vector<PlanLine> lines;
    const std::vector<Rule>& rules = settings.rules;
    const SelectionTrace& trace = plan.trace;
    // Rules below the one that won take no part, whatever their state.
    size_t shown = trace.rules.size();
    for (size_t i = 0; i < trace.rules.size(); ++i)
        if (trace.rules[i].standing == RuleStanding::won) shown = i + 1;
    for (size_t i = 0; i < shown && i < rules.size(); ++i) {
        const RuleFinding& f = trace.rules[i];
        if (f.standing == RuleStanding::not_reached) continue;
        PlanLine line;
        line.text = RuleTitle(rules, i) + kDash;
        switch (f.standing) {
            case RuleStanding::off:
                line.text += "rule off";
                line.dim = true;
                break;
            case RuleStanding::no_destination:
                line.text += rules[i].action == RuleAction::rename ? "no new name, never used"
                                                                   : "no destination folder, never used";
                line.dim = true;
                break;
            case RuleStanding::passed_over:
                line.text += "passed over: the exclusive any-file rule ";
                line.text += RuleTitle(rules, static_cast<size_t>(trace.exclusiveWinner));
                line.text += " takes every item";
                line.dim = true;
                break;
            case RuleStanding::not_matched: line.text += "no: " + MissWords(rules[i], f); break;
            case RuleStanding::depends:
                line.text += "depends on the file (its size or dates)";
                line.truth = Truth::unknown;
                break;
            case RuleStanding::won:
                line.text += static_cast<int>(i) == trace.exclusiveWinner ? "wins: exclusive any-file rule" : "wins";
                line.truth = Truth::yes;
                break;
            case RuleStanding::not_reached: break;
        }
        lines.push_back(std::move(line));
        if (f.standing == RuleStanding::won || f.standing == RuleStanding::depends)
            for (size_t c = 0; c < f.clauses.size() && c < rules[i].clauses.size(); ++c)
                lines.push_back({1, ClauseWords(rules[i].clauses[c], f.clauses[c]), f.clauses[c].truth, false});
    }
    if (shown == trace.rules.size() && (shown == 0 || trace.rules[shown - 1].standing != RuleStanding::won) &&
        !plan.decision.ruleName.empty())
        lines.push_back({0,
                         settings.noMatchPolicy == NoMatchPolicy::unsorted ? "No rule matches: unmatched items go to the Unsorted folder"
                                                               : "No rule matches: unmatched items stay where they are",
                         Truth::no, false});
    for (const ItemPlan::Branch& b : plan.branches)
        if (b.rule < rules.size())
            lines.push_back({0, "If " + RuleTitle(rules, b.rule) + " holds: " + b.outcome.message, Truth::unknown, false});
    lines.push_back({0, (plan.branches.empty() ? "Outcome: " : "Otherwise: ") + plan.outcome.message, Truth::yes, false});
    return lines;
}

std::string OutcomeLine(const ItemPlan& plan) {
    std::string line = plan.decision.ruleName.empty() ? "" : plan.decision.ruleName + ": ";
    line += plan.outcome.message;
    if (!plan.branches.empty()) line += " (unless a rule that depends on its size or dates holds)";
    return line;
}

}  // namespace kw
