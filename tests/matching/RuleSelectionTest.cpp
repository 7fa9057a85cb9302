#include <gtest/gtest.h>

#include "matching/RuleSelection.h"
#include "support/FakeClock.h"

namespace kw {
namespace {

Rule PdfRule(const char* name, const char* destination) {
    Rule r;
    r.name = name;
    r.destination = destination;
    return r;
}

Rule AnyFileRule(const char* name, const char* destination) {
    Rule r = PdfRule(name, destination);
    r.clauses[0].type = ConditionType::any_file;
    return r;
}

AppSettings WithRules(std::vector<Rule> rules, NoMatchPolicy policy = NoMatchPolicy::leave_in_place) {
    AppSettings s;
    s.catchAllPath = "C:\\Unsorted";
    s.catchAllConflict = ConflictPolicy::overwrite;
    s.noMatchPolicy = policy;
    s.rules = std::move(rules);
    return s;
}

std::string Winner(const AppSettings& s, const wchar_t* item) { return SelectRule(s, item).ruleName; }

TEST(SelectRule, NoRulesFollowsTheNoMatchPolicy) {
    RuleDecision d = SelectRule(WithRules({}), L"C:\\in\\a.pdf");
    EXPECT_EQ(d.ruleName, "No matching rule");
    EXPECT_EQ(d.destination, "");
    EXPECT_EQ(d.action, RuleAction::leave_in_place);
    EXPECT_EQ(d.conflict, ConflictPolicy::skip);

    d = SelectRule(WithRules({}, NoMatchPolicy::unsorted), L"C:\\in\\a.pdf");
    EXPECT_EQ(d.ruleName, "Catch-All");
    EXPECT_EQ(d.destination, "C:\\Unsorted");
    EXPECT_EQ(d.action, RuleAction::move);
    EXPECT_EQ(d.conflict, ConflictPolicy::overwrite);
}

TEST(SelectRule, ExclusiveRuleBeatsAnEarlierMatchWhereverItStands) {
    Rule a = PdfRule("A", "D1");
    Rule b = AnyFileRule("B", "D2");
    b.conflict = ConflictPolicy::skip;
    AppSettings s = WithRules({a, b});
    RuleDecision d = SelectRule(s, L"C:\\in\\a.pdf");
    EXPECT_EQ(d.ruleName, "B");
    EXPECT_EQ(d.destination, "D2");
    EXPECT_EQ(d.conflict, ConflictPolicy::skip);

    s.rules[1].enabled = false;
    EXPECT_EQ(Winner(s, L"C:\\in\\a.pdf"), "A");
    EXPECT_EQ(Winner(s, L"C:\\in\\a.txt"), "No matching rule");

    s.rules[1].enabled = true;
    s.rules[1].anyFileExclusive = false;
    EXPECT_EQ(Winner(s, L"C:\\in\\a.pdf"), "A");
    EXPECT_EQ(Winner(s, L"C:\\in\\a.txt"), "B");
}

TEST(SelectRule, TopmostUsableExclusiveRuleWins) {
    Rule noFolder = AnyFileRule("no folder", "");
    Rule first = AnyFileRule("first", "D1");
    Rule second = AnyFileRule("second", "D2");
    EXPECT_EQ(Winner(WithRules({PdfRule("pdf", "D0"), noFolder, first, second}), L"C:\\a.pdf"), "first");
    EXPECT_EQ(Winner(WithRules({noFolder, PdfRule("pdf", "D0")}), L"C:\\a.pdf"), "pdf");

    Rule recycle = AnyFileRule("recycle", "");
    recycle.action = RuleAction::recycle;
    EXPECT_EQ(Winner(WithRules({PdfRule("pdf", "D0"), recycle}), L"C:\\a.pdf"), "recycle");
    Rule leave = PdfRule("leave", "");
    leave.action = RuleAction::leave_in_place;
    EXPECT_EQ(SelectRule(WithRules({leave, PdfRule("pdf", "D0")}), L"C:\\a.pdf").action, RuleAction::leave_in_place);
}

TEST(SelectRule, FirstMatchWinsAndLaterRulesAreNotEvaluated) {
    Rule dated = PdfRule("dated", "D2");
    dated.clauses[0].type = ConditionType::date;
    dated.clauses[0].dateDays = 0;  // always holds, and reads the clock
    test::FakeClock clock(test::kMarch9th2026Noon);
    const AppSettings s = WithRules({PdfRule("pdf", "D1"), dated});

    EXPECT_EQ(SelectRule(s, L"C:\\in\\a.pdf", clock).ruleName, "pdf");
    EXPECT_EQ(clock.Reads(), 0);
    EXPECT_EQ(SelectRule(s, L"C:\\in\\a.txt", clock).ruleName, "dated");
    EXPECT_EQ(clock.Reads(), 1);
}

TEST(SelectRule, DisabledAndFolderlessMoveRulesAreIgnored) {
    Rule disabled = PdfRule("disabled", "D1");
    disabled.enabled = false;
    Rule blank = PdfRule("blank", "");
    EXPECT_EQ(Winner(WithRules({disabled, blank}), L"C:\\a.pdf"), "No matching rule");
    EXPECT_EQ(Winner(WithRules({disabled, blank}, NoMatchPolicy::unsorted), L"C:\\a.pdf"), "Catch-All");
    EXPECT_FALSE(IsUsableRule(blank));
    EXPECT_FALSE(IsUsableRule(disabled));
}

// The trace is the selection itself, told: the decision is the same with or without it.
TEST(SelectRule, TraceTellsWhyEachRuleWonOrNot) {
    Rule off = PdfRule("off", "D0");
    off.enabled = false;
    Rule photos = PdfRule("photos", "D1");
    photos.clauses[0].extensions = ".jpg .png";
    RuleClause pattern;
    pattern.type = ConditionType::regex;
    pattern.regex = "^IMG_\\d+";
    Rule camera = PdfRule("camera", "D2");
    camera.clauses = {photos.clauses[0], pattern};  // ALL
    Rule either = camera;
    either.name = "either";
    either.combineLogic = CombineLogic::any;
    const AppSettings s = WithRules({off, PdfRule("blank", ""), photos, camera, either, PdfRule("after", "D3")});
    test::FakeClock clock(test::kMarch9th2026Noon);
    const RuleSelector selector(s);

    ItemFacts facts(L"C:\\in\\IMG_0042.pdf");
    SelectionTrace trace;
    const RuleDecision d = selector.Select(facts, clock, &trace);
    EXPECT_EQ(d.ruleName, "either");
    EXPECT_EQ(d.ruleName, selector.Select(L"C:\\in\\IMG_0042.pdf", clock).ruleName);
    ASSERT_EQ(trace.rules.size(), 6u);
    const RuleStanding expected[] = {RuleStanding::off,         RuleStanding::no_destination, RuleStanding::not_matched,
                                     RuleStanding::not_matched, RuleStanding::won,            RuleStanding::not_reached};
    for (size_t i = 0; i < 6; ++i) EXPECT_EQ(trace.rules[i].standing, expected[i]) << i;
    // Every condition of a judged rule is told, with the value that decided it.
    const std::vector<ClauseFinding>& all = trace.rules[3].clauses;
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].truth, Truth::no);
    EXPECT_EQ(all[0].seen, ".pdf");
    EXPECT_EQ(all[1].truth, Truth::yes);
    EXPECT_EQ(all[1].seen, "IMG_0042");
    EXPECT_EQ(trace.exclusiveWinner, -1);
}

}  // namespace
}  // namespace kw
