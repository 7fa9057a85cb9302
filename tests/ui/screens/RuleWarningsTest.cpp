#include <gtest/gtest.h>

#include "ui/harness/SettingsWindowDriver.h"

namespace kw::test {
namespace {

Rule Named(const char* name, const char* destination) {
    Rule rule;
    rule.id = NewRuleId();
    rule.name = name;
    rule.destination = destination;
    return rule;
}

// A rule whose pattern does not compile is marked in the list, its condition says why in the
// editor and the summary lists it; once the pattern is fixed all three are gone, and the check
// runs on changes only, not on every frame.
TEST(RuleWarnings, AppearBesideTheRuleAndGoWhenItIsFixed) {
    SettingsWindowDriver w;
    w.ui.folderProbe.stateOf = [](const std::string&) { return FolderState::folder; };
    w.ui.folderProbe.systemFolders.clear();
    w.ui.folderProbe.appFolder = "C:\\Fileweir";
    w.settings.rules = {Named("Photos", "D:\\Photos"), Named("Raw", "D:\\Raw")};
    w.settings.rules[0].clauses[0].extensions = "jpg";
    w.settings.rules[1].clauses[0].type = ConditionType::regex;
    w.settings.rules[1].clauses[0].regex = "([";
    w.imgui.Frame(2);

    EXPECT_TRUE(w.imgui.Shows("ON ] (!) Raw")) << w.imgui.ShownText();
    EXPECT_FALSE(w.imgui.Shows("(!) Photos"));
    const int runs = w.ui.ruleWarnings.Runs();
    w.imgui.Frame(10);
    EXPECT_EQ(w.ui.ruleWarnings.Runs(), runs);

    w.OpenTab("Summary");
    EXPECT_TRUE(w.imgui.Shows("(!) Rule 2 \"Raw\", condition 1: The pattern has an error: missing terminating ]"))
        << w.imgui.ShownText();
    w.OpenTab("Rules");
    w.imgui.Click("Raw");
    EXPECT_TRUE(w.imgui.Shows("(!) Condition 1: The pattern has an error: missing terminating ]")) << w.imgui.ShownText();

    w.imgui.TypeInto("Pattern", "^RAW_\\d+");
    w.imgui.Frame();
    EXPECT_EQ(w.settings.rules[1].clauses[0].regex, "^RAW_\\d+");
    EXPECT_FALSE(w.imgui.Shows("(!)")) << w.imgui.ShownText();
    w.OpenTab("Summary");
    EXPECT_TRUE(w.imgui.Shows("Rule check: nothing to report.")) << w.imgui.ShownText();
}

}  // namespace
}  // namespace kw::test
