#include <gtest/gtest.h>

#include "support/TempDir.h"
#include "ui/SettingsWindow.h"

namespace kw {
namespace {

PathRowTarget Row(float left, float top, float right, float bottom, std::string* path) {
    return PathRowTarget{left, top, right, bottom, path};
}

TEST(FindPathTarget, InsideGrownRowThenNearestCentreWithin120) {
    std::string a, b;
    const std::vector<PathRowTarget> rows = {Row(10, 10, 410, 60, &a), Row(10, 300, 410, 350, &b)};
    EXPECT_EQ(FindPathTarget(POINT{200, 30}, rows, 1.0f)->path, &a);
    EXPECT_EQ(FindPathTarget(POINT{200, 73}, rows, 1.0f)->path, &a);   // within the 14-pixel margin
    EXPECT_EQ(FindPathTarget(POINT{200, 200}, rows, 1.0f), nullptr);  // 165 from the nearest centre
    EXPECT_EQ(FindPathTarget(POINT{210, 230}, rows, 1.0f)->path, &b);  // nearest centre, 95 away
    // At 150% scale a point measured in physical pixels still finds its row.
    EXPECT_EQ(FindPathTarget(POINT{600, 490}, rows, 1.5f)->path, &b);
    EXPECT_EQ(FindPathTarget(POINT{200, 30}, {Row(10, 10, 410, 60, nullptr)}, 1.0f), nullptr);
}

TEST(ApplyFolderDrop, PicksHoveredThenNearbyThenEditorThenOnlyRow) {
    std::vector<Rule> rules(2);
    rules[1].action = RuleAction::move;
    std::string unsorted = "old";
    bool changed = false;
    UiState ui;

    // Nothing registered: nothing applied.
    EXPECT_FALSE(ApplyFolderDrop(ui, rules, nullptr, POINT{5, 5}, L"D:\\New", changed));
    EXPECT_FALSE(changed);

    // The rule editor panel of a move rule takes it.
    ui.editorRectValid = true;
    ui.editorRect = UiRect{300, 100, 900, 700};
    ui.editorRule = 1;
    EXPECT_TRUE(ApplyFolderDrop(ui, rules, nullptr, POINT{500, 400}, L"D:\\Editor", changed));
    EXPECT_EQ(rules[1].destination, "D:\\Editor");
    EXPECT_TRUE(changed);
    rules[1].action = RuleAction::recycle;
    EXPECT_FALSE(ApplyFolderDrop(ui, rules, nullptr, POINT{500, 400}, L"D:\\Recycle", changed));
    ui.editorRectValid = false;

    // A single registered row takes a drop anywhere.
    ui.previousPathTargets = {Row(10, 10, 410, 60, &unsorted)};
    EXPECT_TRUE(ApplyFolderDrop(ui, rules, nullptr, POINT{900, 900}, L"D:\\Anywhere", changed));
    EXPECT_EQ(unsorted, "D:\\Anywhere");

    // The hovered row wins over everything.
    std::string hovered;
    ui.hoveredPathTarget = &hovered;
    EXPECT_TRUE(ApplyFolderDrop(ui, rules, nullptr, POINT{20, 20}, L"D:\\Hovered", changed));
    EXPECT_EQ(hovered, "D:\\Hovered");
}

TEST(FirstFolder, SkipsFilesAndMissingPaths) {
    test::TempDir dir;
    test::WriteFile(dir / L"file.txt", "x");
    std::filesystem::create_directory(dir / L"folder");
    EXPECT_EQ(FirstFolder({dir / L"missing", dir / L"file.txt", dir / L"folder"}), dir / L"folder");
    EXPECT_FALSE(FirstFolder({dir / L"file.txt"}).has_value());
}

}  // namespace
}  // namespace kw
