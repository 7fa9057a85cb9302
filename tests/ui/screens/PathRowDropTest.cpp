#include <gtest/gtest.h>

#include "model/TextEncoding.h"
#include "ui/harness/SettingsWindowDriver.h"

namespace kw::test {
namespace {

class PathRowDrop : public ::testing::Test {
protected:
    PathRowDrop() {
        std::filesystem::create_directory(folder);
        WriteFile(file, "x");
    }
    // A drop on the main window as the shell hands it over, resolved by the next frame.
    void Drop(std::vector<std::filesystem::path> paths, POINT point) {
        w.ui.pendingDrop = true;
        w.ui.pendingDropPoint = point;
        w.ui.pendingDropPaths = std::move(paths);
        w.imgui.Frame();
    }
    SettingsWindowDriver w;
    std::filesystem::path folder = w.dir / L"Dropped";
    std::filesystem::path file = w.dir / L"note.txt";
};

TEST_F(PathRowDrop, TheOnlyRowOnScreenTakesAFolderDroppedAnywhere) {
    w.settings.noMatchPolicy = NoMatchPolicy::unsorted;
    w.OpenTab("Settings");
    Drop({file, folder}, POINT{5, 1700});
    EXPECT_EQ(w.settings.catchAllPath, PathToUtf8(folder));
    EXPECT_EQ(w.statusText, "Folder path updated.");
    EXPECT_TRUE(w.changed);
    EXPECT_FALSE(w.ui.pendingDrop);
    EXPECT_TRUE(w.ui.pendingDropPaths.empty());
}

TEST_F(PathRowDrop, TheEditedMoveRuleTakesItsDestination) {
    Rule rule;
    rule.id = "rule-00000001";
    w.settings.rules.push_back(rule);
    w.ui.selectedRule = 0;
    w.imgui.Frame(2);
    const RecordedItem* row = w.imgui.Find("Destination");
    ASSERT_NE(row, nullptr);
    Drop({folder}, POINT{static_cast<LONG>(row->rect.Min.x + 5), static_cast<LONG>(row->rect.Min.y + 5)});
    EXPECT_EQ(w.settings.rules[0].destination, PathToUtf8(folder));
}

TEST_F(PathRowDrop, NoRowMeansTheUserIsToldWhereToDrop) {
    Rule rule;
    rule.action = RuleAction::recycle;
    w.settings.rules.push_back(rule);
    w.ui.selectedRule = 0;
    w.imgui.Frame(2);
    Drop({folder}, POINT{600, 300});
    EXPECT_EQ(w.statusText,
              "Drop the folder on the Destination or Unsorted path row. Use the drop zone to route files.");
    EXPECT_EQ(w.settings.rules[0].destination, "");
    EXPECT_FALSE(w.changed);

    Drop({file}, POINT{600, 300});
    EXPECT_EQ(w.statusText, "Drop a folder (not a file) onto the Destination path row.");
    EXPECT_FALSE(w.ui.pendingDrop);
}

TEST_F(PathRowDrop, TheRowUnderTheMouseIsRemembered) {
    w.settings.noMatchPolicy = NoMatchPolicy::unsorted;
    w.OpenTab("Settings");
    const RecordedItem* row = w.imgui.Find("Unsorted folder");
    ASSERT_NE(row, nullptr);
    w.imgui.MoveTo(ImVec2(row->rect.Min.x + 4, row->rect.Min.y + 4));
    EXPECT_EQ(w.ui.hoveredPathTarget, &w.settings.catchAllPath);
    w.imgui.MoveTo(ImVec2(5, 1750));
    EXPECT_EQ(w.ui.hoveredPathTarget, nullptr);
}

}  // namespace
}  // namespace kw::test
