#include <gtest/gtest.h>

#include "model/Clock.h"
#include "ui/harness/SettingsWindowDriver.h"

namespace kw::test {
namespace {

// The editor open on one selected move rule with a single extension condition.
class RuleEditor : public ::testing::Test {
protected:
    RuleEditor() {
        Rule r;
        r.id = "rule-0000abcd";
        r.name = "Photos";
        r.destination = "D:\\Photos";
        w.settings.rules.push_back(r);
        w.ui.selectedRule = 0;
        w.imgui.Frame(2);
        w.ResetChanged();
    }
    Rule& rule() { return w.settings.rules[0]; }
    SettingsWindowDriver w;
};

TEST_F(RuleEditor, NameIsSavedOnEveryKeystroke) {
    w.imgui.TypeInto("Rule name", "Pics");
    EXPECT_EQ(rule().name, "Pics");
    EXPECT_GE(w.changedFrames, 1);
}

TEST_F(RuleEditor, ConditionsCanBeAddedUpToSixAndRemovedDownToOne) {
    EXPECT_FALSE(w.imgui.Has("Combine conditions"));
    EXPECT_FALSE(w.imgui.Has("Remove this condition"));
    for (int i = 0; i < 5; ++i) w.imgui.Click("Add condition");
    ASSERT_EQ(rule().clauses.size(), 6u);
    EXPECT_EQ(rule().clauses[5].type, ConditionType::file_size);
    EXPECT_EQ(rule().clauses[5].sizeBytes, 1048576u);
    EXPECT_FALSE(w.imgui.Has("Add condition"));
    EXPECT_TRUE(w.imgui.Has("Combine conditions"));
    EXPECT_EQ(w.imgui.FindAll("Remove this condition").size(), 6u);

    w.imgui.Choose("Combine conditions", "ANY can match (OR)");
    EXPECT_EQ(rule().combineLogic, CombineLogic::any);

    w.imgui.ClickNth("Remove this condition", 0);
    ASSERT_EQ(rule().clauses.size(), 5u);
    EXPECT_EQ(rule().clauses[0].type, ConditionType::file_size);  // the rest moved up
    while (rule().clauses.size() > 1) w.imgui.ClickNth("Remove this condition", 0);
    EXPECT_FALSE(w.imgui.Has("Remove this condition"));
}

// Findings go to the strip under the fields: the fields stay where they were as they come and go.
TEST_F(RuleEditor, APatternErrorIsShownBelowTheFieldsWithoutMovingThem) {
    w.ui.folderProbe.stateOf = [](const std::string&) { return FolderState::folder; };
    rule().clauses[0].regex = "(?i)^img_";
    w.imgui.ChooseNth("Type", 0, "Regex");
    w.imgui.Frame(1);
    EXPECT_TRUE(w.imgui.Shows("Nothing to report about this rule.")) << w.imgui.ShownText();
    const std::vector<std::string> fields = {"Pattern", "When matched", "Destination", "Conflict"};
    std::vector<ImRect> before;
    for (const std::string& field : fields) before.push_back(w.imgui.Find(field)->rect);

    w.imgui.TypeInto("Pattern", "([");
    w.imgui.Frame(1);
    EXPECT_TRUE(w.imgui.Shows(
        "(!) Condition 1: The pattern has an error: missing terminating ] for character class (at character 3)."))
        << w.imgui.ShownText();
    for (size_t i = 0; i < fields.size(); ++i) {
        const ImRect now = w.imgui.Find(fields[i])->rect;
        EXPECT_EQ(now.Min.x, before[i].Min.x) << fields[i];
        EXPECT_EQ(now.Min.y, before[i].Min.y) << fields[i];
    }
}

// Whatever type is chosen from a condition's list, the list closes onto that condition's fields,
// never onto its "Remove this condition" button.
TEST_F(RuleEditor, ChoosingATypeNeverLeavesRemoveUnderThePointer) {
    w.imgui.Click("Add condition");
    for (const char* type : kConditionTypeLabels) {
        if (std::string(type) == "Any file") continue;  // it hides the other condition's removal too
        w.imgui.ChooseNth("Type", 1, type);
        w.imgui.Frame(1);
        const ImVec2 pointer = ImGui::GetIO().MousePos;
        for (const RecordedItem& remove : w.imgui.FindAll("Remove this condition"))
            EXPECT_FALSE(remove.rect.Contains(pointer)) << "after choosing " << type;
    }
    EXPECT_EQ(rule().clauses.size(), 2u);
}

TEST_F(RuleEditor, TypeSwitchKeepsTheOtherFieldsAndAnyFileMakesTheRuleExclusive) {
    rule().clauses[0].extensions = "jpg, png";
    rule().anyFileExclusive = false;
    w.imgui.Click("Add condition");
    w.imgui.ChooseNth("Type", 0, "Keyword");
    EXPECT_EQ(rule().clauses[0].type, ConditionType::keyword);
    w.imgui.ChooseNth("Type", 0, "Extension");
    EXPECT_EQ(rule().clauses[0].extensions, "jpg, png");

    w.imgui.ChooseNth("Type", 1, "Any file");
    EXPECT_EQ(rule().clauses[1].type, ConditionType::any_file);
    EXPECT_TRUE(rule().anyFileExclusive);
    EXPECT_EQ(rule().clauses[1].sizeBytes, 1048576u);
    w.imgui.Frame();
    EXPECT_FALSE(w.imgui.Has("Add condition"));
    EXPECT_TRUE(w.imgui.Shows("Matches every file for this clause."));
    EXPECT_TRUE(w.imgui.Shows("When this rule is enabled, every dropped file goes here"));
    EXPECT_TRUE(w.imgui.Shows("Tip: use a single Any file condition, or turn off exclusive mode."));

    w.imgui.Click("Ignore all other rules (exclusive)");
    EXPECT_FALSE(rule().anyFileExclusive);
    EXPECT_FALSE(w.imgui.Shows("When this rule is enabled, every dropped file goes here"));
}

TEST_F(RuleEditor, SizeIsTakenOnEnterOnly) {
    w.imgui.Choose("Type", "File size");
    w.imgui.TypeInto("Size", "2gb");
    EXPECT_EQ(rule().clauses[0].sizeBytes, 1048576u);  // not yet
    w.imgui.PressEnter();
    EXPECT_EQ(rule().clauses[0].sizeBytes, 2ull << 30);

    w.ResetChanged();
    w.imgui.TypeInto("Size", "2 parsecs");
    w.imgui.PressEnter();
    EXPECT_EQ(rule().clauses[0].sizeBytes, 2ull << 30);
    w.imgui.TypeInto("Size", "7mb");
    w.imgui.Click("Rule name");  // left without Enter: dropped
    EXPECT_EQ(rule().clauses[0].sizeBytes, 2ull << 30);
    EXPECT_EQ(w.changedFrames, 0);

    w.imgui.Choose("Compare", "is at most");
    EXPECT_EQ(rule().clauses[0].sizeOp, SizeOp::less_equal);
}

TEST_F(RuleEditor, LettersAreUpperCasedAndEmptyFieldsKeepThem) {
    w.imgui.Choose("Type", "Alphabetical");
    w.imgui.TypeInto("From", "abc");
    EXPECT_EQ(rule().clauses[0].alphaFrom, 'A');
    w.imgui.TypeInto("To", "m");
    EXPECT_EQ(rule().clauses[0].alphaTo, 'M');
    w.imgui.TypeInto("To", "");
    EXPECT_EQ(rule().clauses[0].alphaTo, 'M');
    w.imgui.TypeInto("From", "\xC3\xA9");  // not ASCII: would leave half a character stored
    EXPECT_EQ(rule().clauses[0].alphaFrom, 'A');
}

TEST_F(RuleEditor, DaysAreNeverNegative) {
    w.imgui.Choose("Type", "Date modified/created");
    w.imgui.TypeInto("Days", "-3");
    EXPECT_EQ(rule().clauses[0].dateDays, 0);
    w.imgui.Choose("Age", "Newer than N days");
    EXPECT_EQ(rule().clauses[0].dateOp, DateOp::newer);
    w.imgui.Choose("Timestamp", "Date created");
    EXPECT_EQ(rule().clauses[0].dateField, DateField::created);
}

TEST_F(RuleEditor, ActionSwitchHidesButKeepsDestinationAndConflict) {
    w.imgui.Choose("Conflict", "Skip");
    EXPECT_EQ(rule().conflict, ConflictPolicy::skip);
    w.imgui.Choose("When matched", "Send to Recycle Bin");
    EXPECT_EQ(rule().action, RuleAction::recycle);
    EXPECT_FALSE(w.imgui.Has("Destination"));
    EXPECT_FALSE(w.imgui.Has("Conflict"));
    w.imgui.Choose("When matched", "Leave in place (do not move)");
    EXPECT_EQ(rule().action, RuleAction::leave_in_place);
    w.imgui.Choose("When matched", "Move to folder");
    EXPECT_EQ(rule().destination, "D:\\Photos");
    EXPECT_EQ(rule().conflict, ConflictPolicy::skip);
    EXPECT_TRUE(w.imgui.Has("Browse##rule-0000abcd"));
}

// A destination built from each item, as typed: its error with the position beside the field
// while a placeholder is unknown, then an example under it; a copy rule keeps the destination.
TEST_F(RuleEditor, ADestinationTemplateShowsItsErrorOrAnExampleAsTyped) {
    w.imgui.TypeInto("Destination", "D:\\Photos\\{modified:yyyy}\\{colour}");
    w.imgui.Frame(2);
    EXPECT_TRUE(w.imgui.Shows("An unknown placeholder {colour} at 27")) << w.imgui.ShownText();
    EXPECT_FALSE(w.imgui.Shows("Example:"));
    w.imgui.TypeInto("Destination", "D:\\Photos\\{modified:yyyy}\\{type}");
    w.imgui.Frame(2);
    EXPECT_FALSE(w.imgui.Shows("An unknown placeholder")) << w.imgui.ShownText();
    const std::string year = std::to_string(SystemClock().Local().year);
    EXPECT_TRUE(w.imgui.Shows("Example: D:\\Photos\\" + year + "\\Documents\\Example.pdf")) << w.imgui.ShownText();
    w.imgui.Choose("When matched", "Copy to folder");
    EXPECT_EQ(rule().action, RuleAction::copy);
    EXPECT_TRUE(w.imgui.Has("Destination"));
}

// "Rename to" as typed: its error with the position below the fields (which stay put), then the
// name an example item gets; for the rename action it is the only target, and a must.
TEST_F(RuleEditor, RenameToShowsItsErrorOrTheNewNameAndIsTheRenameActionsOnlyTarget) {
    w.ui.folderProbe.stateOf = [](const std::string&) { return FolderState::folder; };
    w.imgui.Frame(1);
    const std::vector<std::string> fields = {"Destination", "Rename to", "Conflict"};
    std::vector<ImRect> before;
    for (const std::string& field : fields) before.push_back(w.imgui.Find(field)->rect);
    w.imgui.TypeInto("Rename to", "{modified:yyyy} {colour}");
    w.imgui.Frame(2);
    EXPECT_TRUE(w.imgui.Shows("The new name's template has an error: An unknown placeholder {colour} at 17"))
        << w.imgui.ShownText();
    for (size_t i = 0; i < fields.size(); ++i) EXPECT_EQ(w.imgui.Find(fields[i])->rect.Min.y, before[i].Min.y) << fields[i];
    w.imgui.TypeInto("Rename to", "{modified:yyyy} {name}");
    w.imgui.Frame(2);
    const std::string year = std::to_string(SystemClock().Local().year);
    EXPECT_TRUE(w.imgui.Shows("Example: " + year + " Example.pdf")) << w.imgui.ShownText();
    EXPECT_EQ(rule().renameTo, "{modified:yyyy} {name}");

    w.imgui.Choose("When matched", "Rename in place");
    EXPECT_EQ(rule().action, RuleAction::rename);
    EXPECT_FALSE(w.imgui.Has("Destination"));
    EXPECT_TRUE(w.imgui.Has("Conflict"));
    w.imgui.TypeInto("Rename to", "");
    w.imgui.Frame(2);
    EXPECT_TRUE(w.imgui.Shows("still needs a new name in \"Rename to\"")) << w.imgui.ShownText();
    EXPECT_EQ(rule().destination, "D:\\Photos");  // kept for a switch back
}

TEST_F(RuleEditor, BrowseTakesThePickedFolderAndCancelStillSaves) {
    w.pickedFolder = "E:\\Picked";
    w.imgui.Click("Browse##rule-0000abcd");
    EXPECT_EQ(rule().destination, "E:\\Picked");
    w.pickedFolder.clear();
    w.ResetChanged();
    w.imgui.Click("Browse##rule-0000abcd");
    EXPECT_EQ(rule().destination, "E:\\Picked");
    EXPECT_EQ(w.changedFrames, 1);
}

// A stored text longer than its field is shown cut before the first character that does not
// fit whole; typing at the end then stores valid UTF-8, and a character too big for the room
// left is refused without touching the stored text.
TEST_F(RuleEditor, TextsAreCutOnCharacterBoundariesAndKeepEveryCharacter) {
    const auto typeAtEnd = [&](const std::string& label, const std::string& text) {
        w.imgui.Click(label);
        w.imgui.PressKey(ImGuiKey_End);
        w.imgui.TypeText(text);
    };
    const std::string euro = "\xE2\x82\xAC", eAcute = "\xC3\xA9";

    // Path rows hold 1,023 bytes: a euro sign at bytes 1,021-1,023 does not fit; an e-acute does.
    const std::string path(1021, 'p');
    rule().destination = path + euro + "tail";
    w.imgui.Frame();
    typeAtEnd("Destination", eAcute);
    EXPECT_EQ(rule().destination, path + eAcute);

    // The rule name holds 127 bytes: after 126 ASCII bytes only one more byte fits.
    const std::string name(126, 'n');
    const std::string longName = name + eAcute + "x";
    rule().name = longName;
    w.imgui.Frame();
    typeAtEnd("Rule name", eAcute);
    EXPECT_EQ(rule().name, longName);
    w.imgui.TypeText("b");
    EXPECT_EQ(rule().name, name + "b");
    w.imgui.PressKey(ImGuiKey_Backspace);
    EXPECT_EQ(rule().name, name);

    // Extensions hold 255 bytes.
    const std::string extensions(254, 'e');
    rule().clauses[0].extensions = extensions + euro;
    w.imgui.Frame();
    typeAtEnd("Extensions", "s");
    EXPECT_EQ(rule().clauses[0].extensions, extensions + "s");

    // Characters beyond U+FFFF (four bytes) outlive an edit of the text around them.
    const std::string camera = "\xF0\x9F\x93\xB7";
    rule().name = camera + " Photos";
    w.imgui.Frame();
    typeAtEnd("Rule name", "s");
    EXPECT_EQ(rule().name, camera + " Photoss");
}

}  // namespace
}  // namespace kw::test
