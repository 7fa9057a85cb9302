#include <gtest/gtest.h>

#include <set>

#include "model/Rule.h"

namespace kw {
namespace {

TEST(Rule, DefaultsAreWhatANewUserSees) {
    const Rule rule;
    EXPECT_EQ(rule.name, "New rule");
    EXPECT_TRUE(rule.enabled);
    ASSERT_EQ(rule.clauses.size(), 1u);
    EXPECT_EQ(rule.clauses[0].type, ConditionType::extension);
    EXPECT_EQ(rule.clauses[0].extensions, ".pdf");
    EXPECT_EQ(rule.combineLogic, CombineLogic::all);
    EXPECT_TRUE(rule.anyFileExclusive);
    EXPECT_EQ(rule.action, RuleAction::move);
    EXPECT_TRUE(rule.destination.empty());
    EXPECT_EQ(rule.conflict, ConflictPolicy::rename);
    EXPECT_FALSE(IsExclusive(rule));

    const RuleClause clause;
    EXPECT_EQ(clause.sizeOp, SizeOp::greater);
    EXPECT_EQ(clause.sizeBytes, 1048576u);
    EXPECT_EQ(clause.alphaFrom, 'A');
    EXPECT_EQ(clause.alphaTo, 'M');
    EXPECT_EQ(clause.keyword, "Invoice");
    EXPECT_FALSE(clause.keywordCaseSensitive);
    EXPECT_EQ(clause.dateField, DateField::modified);
    EXPECT_EQ(clause.dateOp, DateOp::older);
    EXPECT_EQ(clause.dateDays, 30);
    EXPECT_EQ(clause.regex, ".*");
}

TEST(Rule, ExclusiveNeedsBothTheFlagAndAnAnyFileClause) {
    Rule rule;
    rule.clauses = {RuleClause{}, RuleClause{}};
    rule.clauses[1].type = ConditionType::any_file;
    EXPECT_TRUE(IsExclusive(rule));
    rule.anyFileExclusive = false;
    EXPECT_FALSE(IsExclusive(rule));
    rule.anyFileExclusive = true;
    rule.clauses[1].type = ConditionType::keyword;
    EXPECT_FALSE(IsExclusive(rule));
}

TEST(Rule, ClauseKeepsOtherFieldsAcrossTypeSwitches) {
    RuleClause clause;
    clause.extensions = ".jpg .png";
    clause.type = ConditionType::file_size;
    clause.sizeBytes = 5;
    clause.type = ConditionType::extension;
    EXPECT_EQ(clause.extensions, ".jpg .png");
    EXPECT_EQ(clause.sizeBytes, 5u);
}

TEST(NewRuleId, HasTheStoredShapeAndVaries) {
    std::set<std::string> seen;
    for (int i = 0; i < 200; ++i) {
        const std::string id = NewRuleId();
        ASSERT_EQ(id.size(), 13u) << id;
        EXPECT_EQ(id.substr(0, 5), "rule-");
        EXPECT_EQ(id.find_first_not_of("0123456789abcdef", 5), std::string::npos) << id;
        seen.insert(id);
    }
    EXPECT_GT(seen.size(), 190u);  // 32 random bits each: collisions are vanishingly rare
}

TEST(NewRuleId, EachDigitIsTheTopNibbleOfOneGeneratorOutput) {
    std::mt19937 generator(12345), reference(12345);
    const std::string id = NewRuleId(generator);
    std::string expected = "rule-";
    for (int i = 0; i < 8; ++i) expected += "0123456789abcdef"[reference() >> 28];
    EXPECT_EQ(id, expected);
    EXPECT_EQ(generator, reference);  // exactly eight outputs consumed
}

TEST(ConflictPolicyLabel, NamesEveryPolicyAndFallsBackToAutoRename) {
    EXPECT_STREQ(ConflictPolicyLabel(ConflictPolicy::rename), "Auto-rename");
    EXPECT_STREQ(ConflictPolicyLabel(ConflictPolicy::overwrite), "Overwrite");
    EXPECT_STREQ(ConflictPolicyLabel(ConflictPolicy::skip), "Skip");
    EXPECT_STREQ(ConflictPolicyLabel(static_cast<ConflictPolicy>(7)), "Auto-rename");
}

}  // namespace
}  // namespace kw
