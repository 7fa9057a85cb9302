#include <gtest/gtest.h>

#include "ui/RoutingSummary.h"

namespace kw {
namespace {

RuleClause Clause(ConditionType type) {
    RuleClause clause;
    clause.type = type;
    return clause;
}

TEST(DescribeCondition, OneSentencePerConditionType) {
    RuleClause ext = Clause(ConditionType::extension);
    ext.extensions = "JPG; .png";
    RuleClause noExt = Clause(ConditionType::extension);
    noExt.extensions = ",;";
    RuleClause oneExt = Clause(ConditionType::extension);
    oneExt.extensions = "pdf";
    RuleClause size = Clause(ConditionType::file_size);
    size.sizeOp = SizeOp::greater_equal;
    size.sizeBytes = 5ull << 20;
    RuleClause oddSize = Clause(ConditionType::file_size);
    oddSize.sizeOp = static_cast<SizeOp>(42);
    oddSize.sizeBytes = 0;
    RuleClause alpha = Clause(ConditionType::alphabetical);
    alpha.alphaFrom = 'A';
    alpha.alphaTo = 'M';
    RuleClause keywords = Clause(ConditionType::keyword);
    keywords.keyword = "invoice, receipt";
    keywords.keywordCaseSensitive = true;
    RuleClause keyword = Clause(ConditionType::keyword);
    keyword.keyword = " invoice ";
    RuleClause created = Clause(ConditionType::date);
    created.dateField = DateField::created;
    created.dateOp = DateOp::newer;
    created.dateDays = 1;
    RuleClause modified = Clause(ConditionType::date);
    RuleClause regex = Clause(ConditionType::regex);
    regex.regex = "^IMG_\\d+";

    const struct {
        RuleClause clause;
        const char* text;
    } cases[] = {
        {ext, "Extension is one of: .jpg, .png"},
        {noExt, "Extension is ,;"},
        {oneExt, "Extension is one of: .pdf"},
        {size, "File size is at least 5.00 MB"},
        {oddSize, "File size is greater than 0 B"},
        {alpha, "Name starts with A-M"},
        {keywords, "Filename contains any of: \"invoice\", \"receipt\" (case sensitive)"},
        {keyword, "Filename contains \" invoice \""},
        {created, "Date created is newer than 1 days"},
        {modified, "Date modified is older than 30 days"},
        {regex, "Filename matches regex: ^IMG_\\d+"},
        {Clause(ConditionType::any_file), "Any file"},
        {Clause(static_cast<ConditionType>(9)), "Unknown condition"},
    };
    for (const auto& c : cases) EXPECT_EQ(DescribeCondition(c.clause), c.text);
}

TEST(DescribeConditions, PrefixAndJoinOnlyForSeveralClauses) {
    Rule rule;
    rule.clauses = {};
    EXPECT_EQ(DescribeConditions(rule), "(no conditions)");
    rule.clauses = {Clause(ConditionType::extension)};
    rule.clauses[0].extensions = "jpg";
    EXPECT_EQ(DescribeConditions(rule), "Extension is one of: .jpg");
    rule.clauses.push_back(Clause(ConditionType::file_size));
    EXPECT_EQ(DescribeConditions(rule), "When all of: Extension is one of: .jpg and File size is greater than 1.00 MB");
    rule.combineLogic = CombineLogic::any;
    EXPECT_EQ(DescribeConditions(rule), "When any of: Extension is one of: .jpg or File size is greater than 1.00 MB");
}

TEST(DescribeAction, MoveNamesFolderAndConflictPolicy) {
    Rule rule;
    rule.destination = "D:\\Photos";
    EXPECT_EQ(DescribeAction(rule), "Move to: D:\\Photos \xE2\x80\x94 on name conflict: Auto-rename");
    rule.destination.clear();
    rule.conflict = ConflictPolicy::skip;
    EXPECT_EQ(DescribeAction(rule), "Move to: (no folder set) \xE2\x80\x94 on name conflict: Skip");
    rule.action = RuleAction::recycle;
    EXPECT_EQ(DescribeAction(rule), "Send to Recycle Bin");
    rule.action = RuleAction::leave_in_place;
    EXPECT_EQ(DescribeAction(rule), "Leave in place (not moved)");
}

TEST(BuildRoutingSummary, NoRulesLeavesInPlace) {
    AppSettings settings;
    settings.noMatchPolicy = NoMatchPolicy::leave_in_place;
    const auto rows = BuildRoutingSummary(settings);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].index, 1);
    EXPECT_EQ(rows[0].title, "No match");
    EXPECT_EQ(rows[0].when, "No other rule matched");
    EXPECT_EQ(rows[0].then, "Leave in place (not moved)");
    EXPECT_EQ(rows[0].note, "Configured in Settings: files with no matching rule stay where they are.");
    EXPECT_TRUE(rows[0].enabled);
}

TEST(BuildRoutingSummary, CatchAllEntryFollowsTheRules) {
    AppSettings settings;
    settings.noMatchPolicy = NoMatchPolicy::unsorted;
    settings.catchAllConflict = ConflictPolicy::skip;
    settings.rules.resize(2);
    settings.rules[0].destination = "D:\\A";
    settings.rules[1].destination = "D:\\B";
    auto rows = BuildRoutingSummary(settings);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2].index, 3);
    EXPECT_EQ(rows[2].title, "Catch-all (Unsorted)");
    EXPECT_EQ(rows[2].then, "Move to: (default Unsorted) \xE2\x80\x94 on name conflict: Skip");
    EXPECT_EQ(rows[2].note, "Configured in Settings as the Unsorted fallback.");
    settings.catchAllPath = "E:\\Unsorted";
    settings.noMatchPolicy = static_cast<NoMatchPolicy>(7);
    rows = BuildRoutingSummary(settings);
    EXPECT_EQ(rows[2].then, "Move to: E:\\Unsorted \xE2\x80\x94 on name conflict: Skip");
}

TEST(BuildRoutingSummary, NoteFollowsTheFirstConditionThatHolds) {
    Rule off;  // off wins over exclusive and a missing folder
    off.enabled = false;
    off.clauses = {Clause(ConditionType::any_file)};
    Rule exclusive;
    exclusive.clauses = {Clause(ConditionType::any_file)};
    Rule flagWithoutAnyFile;  // the flag alone is not exclusivity
    flagWithoutAnyFile.anyFileExclusive = true;
    Rule leave;
    leave.action = RuleAction::leave_in_place;
    Rule recycle;
    recycle.action = RuleAction::recycle;
    Rule withFolder;
    withFolder.destination = "D:\\X";
    withFolder.name = "";

    AppSettings settings;
    settings.rules = {off, exclusive, flagWithoutAnyFile, leave, recycle, withFolder};
    const auto rows = BuildRoutingSummary(settings);
    ASSERT_EQ(rows.size(), 7u);
    EXPECT_FALSE(rows[0].enabled);
    EXPECT_EQ(rows[0].note, "Skipped (rule is off).");
    EXPECT_EQ(rows[1].note, "Exclusive: while enabled, ALL dropped files use this rule; other rules are ignored.");
    EXPECT_EQ(rows[2].note, "Warning: no destination folder \xE2\x80\x94 this rule will not run.");
    EXPECT_EQ(rows[3].note, "Matching files are not moved. Put this rule above others to exclude items from routing.");
    EXPECT_EQ(rows[4].note, "");
    EXPECT_EQ(rows[5].note, "");
    EXPECT_EQ(rows[5].title, "");
    EXPECT_EQ(rows[5].index, 6);
}

}  // namespace
}  // namespace kw
