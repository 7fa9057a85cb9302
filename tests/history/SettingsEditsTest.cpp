#include <gtest/gtest.h>

#include "history/SettingsEdits.h"

namespace kw {
namespace {

Rule Named(const std::string& name) {
    Rule rule;
    rule.id = "rule-" + name;
    rule.name = name;
    return rule;
}

AppSettings With(std::vector<std::string> names) {
    AppSettings s;
    for (const std::string& name : names) s.rules.push_back(Named(name));
    return s;
}

TEST(SettingsEdits, EachEditIsDescribedInTheUsersWords) {
    const AppSettings two = With({"Photos", "Docs"});
    AppSettings off = two, edited = two, moved = With({"Docs", "Photos"}), dark = two, dragged = two, restored;
    restored.theme = Theme::light;
    off.rules[0].enabled = false;
    edited.rules[1].destination = "D:\\Papers";
    dark.theme = Theme::light;
    dragged.overlayX += 40;
    dragged.overlayVisible = false;
    const struct {
        AppSettings before, after;
        std::string said;
    } cases[] = {
        {two, With({"Docs"}), "Deleted rule \"Photos\""},
        {two, With({"Photos", "Docs", "New"}), "Added rule \"New\""},
        {two, off, "Turned rule \"Photos\" off"},
        {off, two, "Turned rule \"Photos\" on"},
        {two, edited, "Edited rule \"Docs\""},
        {two, moved, "Moved rule \"Docs\""},
        {two, dark, "Changed settings"},
        {two, restored, "Changed settings"},  // a restore is no rule's deletion
        {two, dragged, ""},  // where the drop zone is, and whether it shows, is no edit
    };
    for (const auto& c : cases) EXPECT_EQ(DescribeEdit(c.before, c.after), c.said);
}

// Steps go back and forth; a new edit drops what could be redone; the oldest steps go past the
// cap; turning back never moves the drop zone.
TEST(SettingsEdits, UndoAndRedoWalkTheStepsAndKeepTheDropZoneWhereItIs) {
    SettingsEdits edits(2);
    AppSettings now = With({"a"});
    edits.Reset(now);
    for (const char* name : {"b", "c", "d"}) {
        now.rules.push_back(Named(name));
        EXPECT_EQ(edits.Commit(now), std::string("Added rule \"") + name + "\"");
    }
    EXPECT_EQ(edits.Commit(now), "");
    now.overlayX = 999;
    auto turn = edits.Undo(now);
    ASSERT_TRUE(turn);
    EXPECT_EQ(turn->edit, "Added rule \"d\"");
    EXPECT_EQ(turn->settings.rules.size(), 3u);
    EXPECT_EQ(turn->settings.overlayX, 999);
    ASSERT_TRUE(edits.Undo(turn->settings));
    EXPECT_FALSE(edits.Undo(now = With({"a", "b"})));  // capped at two steps
    turn = edits.Redo(now);
    ASSERT_TRUE(turn);
    EXPECT_EQ(turn->settings.rules.size(), 3u);
    now = turn->settings;
    now.rules.erase(now.rules.begin());  // a new edit, not yet committed: Undo takes it first
    turn = edits.Undo(now);
    ASSERT_TRUE(turn);
    EXPECT_EQ(turn->edit, "Deleted rule \"a\"");
    EXPECT_EQ(turn->settings.rules.size(), 3u);
    now = turn->settings;
    now.theme = Theme::light;  // an edit after an undo drops what could be redone
    EXPECT_EQ(edits.Commit(now), "Changed settings");
    EXPECT_FALSE(edits.Redo(now));
}

}  // namespace
}  // namespace kw
