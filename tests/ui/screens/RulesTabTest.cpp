#include <gtest/gtest.h>

#include "ui/harness/SettingsWindowDriver.h"

namespace kw::test {
namespace {

Rule Named(const std::string& name) {
    Rule rule;
    rule.id = NewRuleId();
    rule.name = name;
    return rule;
}

std::vector<std::string> Names(const AppSettings& settings) {
    std::vector<std::string> names;
    for (const Rule& rule : settings.rules) names.push_back(rule.name);
    return names;
}

class RulesTab : public ::testing::Test {
protected:
    void Use(std::vector<std::string> names) {
        for (const std::string& name : names) w.settings.rules.push_back(Named(name));
        w.imgui.Frame();
        w.ResetChanged();
    }
    SettingsWindowDriver w;
};

// A new rule starts blank where the user has to choose, and is marked incomplete, in a neutral
// tone, instead of warned about (or taken for a copy of the rule added before it).
TEST_F(RulesTab, AddRuleStartsBlankAndIncompleteNotFaulty) {
    w.settings.catchAllPath = "D:\\Unsorted";
    Use({"Photos"});
    w.imgui.Click("Add rule");
    w.imgui.Click("Add rule");
    ASSERT_EQ(w.settings.rules.size(), 3u);
    const Rule& added = w.settings.rules[2];
    EXPECT_EQ(added.name, "");
    ASSERT_EQ(added.clauses.size(), 1u);
    EXPECT_EQ(added.clauses[0].type, ConditionType::extension);
    EXPECT_EQ(added.clauses[0].extensions, "");
    EXPECT_EQ(added.destination, "");
    EXPECT_NE(added.id, w.settings.rules[1].id);
    EXPECT_EQ(w.ui.selectedRule, 2);
    EXPECT_GE(w.changedFrames, 2);
    w.imgui.Frame();
    EXPECT_TRUE(w.imgui.Has("Rule name"));  // the editor opened on it
    EXPECT_EQ(w.imgui.FindAll("New rule").size(), 2u);
    EXPECT_TRUE(w.imgui.Shows("incomplete"));
    EXPECT_TRUE(w.imgui.Shows("Incomplete: still needs a name, a value for its condition and a destination folder."))
        << w.imgui.ShownText();
    EXPECT_FALSE(w.imgui.Shows("(!)")) << w.imgui.ShownText();
    EXPECT_FALSE(w.imgui.Shows("Never reached")) << w.imgui.ShownText();

    w.imgui.TypeInto("Rule name", "Scans");
    w.imgui.TypeInto("Extensions", "pdf");
    w.imgui.TypeInto("Destination", "D:\\Scans");
    w.imgui.Frame();
    EXPECT_FALSE(w.imgui.Shows("Incomplete:")) << w.imgui.ShownText();
}

// With no rules the tab offers the starter set, built from the user's own folders, and adds it
// only when asked.
TEST_F(RulesTab, StarterRulesAreOfferedAndAddedInOneClick) {
    w.ui.platform.userFolders = [] {
        UserFolders f;
        f.profile = "C:\\Users\\ann";
        f.documents = "C:\\Users\\ann\\OneDrive\\Documents";
        f.pictures = "D:\\Photos";  // moved off the profile
        f.music = "C:\\Users\\ann\\Music";
        f.downloads = "C:\\Users\\ann\\Downloads";
        return f;  // no Videos folder known
    };
    w.ui.starterRules.reset();  // the first frame offered the real folders
    w.ui.folderProbe.stateOf = [](const std::string&) { return FolderState::missing; };  // made at the first move
    w.imgui.Frame(3);
    EXPECT_TRUE(w.settings.rules.empty());
    EXPECT_EQ(w.changedFrames, 0);
    EXPECT_TRUE(w.imgui.Shows("to %USERPROFILE%\\Downloads\\Installers")) << w.imgui.ShownText();

    w.imgui.Click("Add these starter rules");
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"Documents", "%USERPROFILE%\\OneDrive\\Documents"}, {"Pictures", "D:\\Photos"},
        {"Videos", "%USERPROFILE%\\Videos"},                  {"Music", "%USERPROFILE%\\Music"},
        {"Archives", "%USERPROFILE%\\Downloads\\Archives"},   {"Installers", "%USERPROFILE%\\Downloads\\Installers"}};
    ASSERT_EQ(w.settings.rules.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const Rule& rule = w.settings.rules[i];
        EXPECT_EQ(rule.name, expected[i].first);
        EXPECT_EQ(rule.destination, expected[i].second);
        EXPECT_EQ(rule.clauses.size(), 1u);
        EXPECT_EQ(rule.id.rfind("rule-", 0), 0u);
    }
    EXPECT_NE(w.settings.rules[1].clauses[0].extensions.find(".jpg"), std::string::npos);
    EXPECT_NE(w.settings.rules[5].clauses[0].extensions.find(".msi"), std::string::npos);
    EXPECT_EQ(w.ui.selectedRule, 0);
    EXPECT_EQ(w.changedFrames, 1);
    w.imgui.Frame();
    EXPECT_FALSE(w.imgui.Has("Add these starter rules"));
    EXPECT_FALSE(w.imgui.Shows("(!)")) << w.imgui.ShownText();
}

TEST_F(RulesTab, ToolbarActsOnlyOnAValidSelection) {
    w.imgui.Click("Delete");
    w.imgui.Click("Move up");
    w.imgui.Click("Move down");
    EXPECT_EQ(w.changedFrames, 0);

    Use({"a", "b", "c"});
    w.imgui.Click("b");
    EXPECT_EQ(w.ui.selectedRule, 1);
    w.imgui.Click("Move up");
    EXPECT_EQ(Names(w.settings), (std::vector<std::string>{"b", "a", "c"}));
    EXPECT_EQ(w.ui.selectedRule, 0);
    w.imgui.Click("Move up");  // already on top
    EXPECT_EQ(Names(w.settings), (std::vector<std::string>{"b", "a", "c"}));
    w.imgui.Click("Move down");
    w.imgui.Click("Move down");
    EXPECT_EQ(Names(w.settings), (std::vector<std::string>{"a", "c", "b"}));
    EXPECT_EQ(w.ui.selectedRule, 2);
    w.ResetChanged();
    w.imgui.Click("Move down");  // already at the bottom
    EXPECT_EQ(w.changedFrames, 0);
    w.imgui.Click("Delete");
    EXPECT_EQ(Names(w.settings), (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(w.ui.selectedRule, -1);
    EXPECT_EQ(w.changedFrames, 1);
}

TEST_F(RulesTab, ToggleFlipsEnabled) {
    Use({"a"});
    w.imgui.Click("ON");
    EXPECT_FALSE(w.settings.rules[0].enabled);
    EXPECT_EQ(w.changedFrames, 1);
    w.imgui.Click("off");
    EXPECT_TRUE(w.settings.rules[0].enabled);
}

TEST_F(RulesTab, DragMovesARuleInEitherDirection) {
    Use({"1", "2", "3", "4"});
    w.imgui.Drag("1", "4");
    EXPECT_EQ(Names(w.settings), (std::vector<std::string>{"2", "3", "4", "1"}));
    EXPECT_EQ(w.ui.selectedRule, 3);
    w.imgui.Drag("1", "2");
    EXPECT_EQ(Names(w.settings), (std::vector<std::string>{"1", "2", "3", "4"}));
    EXPECT_EQ(w.ui.selectedRule, 0);
    w.ResetChanged();
    w.imgui.Drag("3", "3");
    EXPECT_EQ(Names(w.settings), (std::vector<std::string>{"1", "2", "3", "4"}));
    EXPECT_EQ(w.changedFrames, 0);
}

TEST_F(RulesTab, RenameInPlaceCommitsOnEnterOrLeavingAndNeverEmpty) {
    Use({"old", "other"});
    w.imgui.Click("old", ImGuiMouseButton_Right);
    w.imgui.Click("Rename");
    w.imgui.Frame();
    EXPECT_EQ(w.ui.renamingRule, 0);
    w.imgui.TypeInto("##rename", "fresh");
    w.imgui.PressEnter();
    EXPECT_EQ(w.settings.rules[0].name, "fresh");
    EXPECT_EQ(w.ui.renamingRule, -1);

    // Leaving the field after an edit commits too.
    w.imgui.Click("fresh", ImGuiMouseButton_Right);
    w.imgui.Click("Rename");
    w.imgui.TypeInto("##rename", "left");
    w.imgui.Click("Add rule");
    EXPECT_EQ(w.settings.rules[0].name, "left");
    EXPECT_EQ(w.ui.renamingRule, -1);

    // An empty name ends the rename and keeps the old one.
    w.imgui.Click("left", ImGuiMouseButton_Right);
    w.imgui.Click("Rename");
    w.imgui.TypeInto("##rename", "");
    w.imgui.PressEnter();
    EXPECT_EQ(w.settings.rules[0].name, "left");
    EXPECT_EQ(w.ui.renamingRule, -1);
}

TEST_F(RulesTab, DoubleClickOnARowOnlySelectsIt) {
    Use({"a", "b"});
    w.imgui.DoubleClick("b");
    EXPECT_EQ(ImGui::GetIO().MouseClickedLastCount[ImGuiMouseButton_Left], 2);
    EXPECT_EQ(w.ui.selectedRule, 1);
    EXPECT_EQ(w.ui.renamingRule, -1);
    EXPECT_FALSE(w.imgui.Has("##rename"));
    EXPECT_TRUE(w.imgui.Has("Rule name"));
    EXPECT_EQ(Names(w.settings), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(w.changedFrames, 0);
}

TEST_F(RulesTab, ContextDeleteAboveTheSelectionKeepsTheSameRuleSelected) {
    Use({"a", "b", "c"});
    w.imgui.Click("c");
    w.imgui.Click("a", ImGuiMouseButton_Right);
    w.imgui.Click("Delete");
    EXPECT_EQ(Names(w.settings), (std::vector<std::string>{"b", "c"}));
    EXPECT_EQ(w.ui.selectedRule, 1);
    EXPECT_EQ(w.changedFrames, 1);
}

TEST_F(RulesTab, AnyFileRulesAreMarkedInTheList) {
    Use({"all"});
    w.settings.rules[0].clauses[0].type = ConditionType::any_file;
    w.settings.rules[0].anyFileExclusive = false;
    w.imgui.Frame();
    EXPECT_TRUE(w.imgui.Has("all [any]"));
}

TEST_F(RulesTab, SummaryButtonBringsTheSummaryTabForward) {
    Use({"Old stuff"});
    w.settings.rules[0].enabled = false;
    w.imgui.Click("View routing summary");
    w.imgui.Frame();
    EXPECT_FALSE(w.ui.openSummaryTab);
    EXPECT_TRUE(w.imgui.Shows("1. Old stuff  [OFF]")) << w.imgui.ShownText();
    EXPECT_TRUE(w.imgui.Shows("Skipped (rule is off)."));
    EXPECT_TRUE(w.imgui.Shows("2. No match"));
}

// Ctrl+Z on the Rules tab turns back the last rule edit, never a batch of files (even one just
// routed, which Ctrl+Z on the Activity tab would put back at once); Ctrl+Y and Ctrl+Shift+Z
// redo it. Typing in a field is one step, ended when the field lets go.
TEST_F(RulesTab, CtrlZBringsADeletedRuleBackAndMovesNoFiles) {
    std::vector<uint64_t> undone;
    w.actions.undoBatch = [&](uint64_t id) { undone.push_back(id); };
    HistoryItem moved;
    moved.fate = ItemFate::moved;
    moved.source = "C:\\Downloads\\a.jpg";
    moved.target = "D:\\Pictures\\a.jpg";
    w.batches = {HistoryBatch{7, 7, 0, {moved}}};
    w.newestOfThisRun = 7;
    Use({"Photos", "Docs"});
    w.imgui.Click("Photos");
    w.imgui.Click("Delete");
    EXPECT_EQ(Names(w.settings), (std::vector<std::string>{"Docs"}));
    EXPECT_EQ(w.statusText, "Deleted rule \"Photos\" \xE2\x80\x94 Ctrl+Z brings it back");

    w.imgui.PressChord(ImGuiMod_Ctrl | ImGuiKey_Z);
    EXPECT_EQ(Names(w.settings), (std::vector<std::string>{"Photos", "Docs"}));
    EXPECT_EQ(w.ui.selectedRule, 0);
    EXPECT_TRUE(undone.empty());
    EXPECT_GE(w.changedFrames, 2);  // the delete and its undo are both saved
    w.imgui.PressChord(ImGuiMod_Ctrl | ImGuiKey_Y);
    EXPECT_EQ(Names(w.settings), (std::vector<std::string>{"Docs"}));
    w.imgui.PressChord(ImGuiMod_Ctrl | ImGuiKey_Z);
    w.imgui.PressChord(ImGuiMod_Ctrl | ImGuiMod_Shift | ImGuiKey_Z);
    EXPECT_EQ(Names(w.settings), (std::vector<std::string>{"Docs"}));
    w.imgui.PressChord(ImGuiMod_Ctrl | ImGuiKey_Z);

    w.imgui.Click("Docs");
    w.imgui.TypeInto("Rule name", "Papers");
    w.imgui.PressEnter();
    ASSERT_EQ(Names(w.settings), (std::vector<std::string>{"Photos", "Papers"}));
    w.imgui.PressChord(ImGuiMod_Ctrl | ImGuiKey_Z);
    EXPECT_EQ(Names(w.settings), (std::vector<std::string>{"Photos", "Docs"}));
    EXPECT_TRUE(undone.empty());
}

}  // namespace
}  // namespace kw::test
