#include <gtest/gtest.h>

#include <cfloat>

#include "model/TextEncoding.h"
#include "ui/PathRow.h"
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

// The bounds of everything the last frame drew in the drop outline's colour (inverted when
// nothing was).
ImRect OutlineBounds() {
    ImRect box(FLT_MAX, FLT_MAX, -FLT_MAX, -FLT_MAX);
    const ImDrawData* data = ImGui::GetDrawData();
    for (int n = 0; n < data->CmdListsCount; ++n)
        for (const ImDrawVert& v : data->CmdLists[n]->VtxBuffer)
            if (v.col == IM_COL32(255, 214, 0, 255)) box.Add(v.pos);
    return box;
}

bool Outlined() { return OutlineBounds().Min.x <= OutlineBounds().Max.x; }

ImVec2 Centre(const PathRowTarget& t) { return ImVec2((t.left + t.right) / 2, (t.top + t.bottom) / 2); }

// Two path rows far apart, resolved the way the settings window resolves a drop.
TEST(PathRowsDrop, NearestRowWithin120PixelsTakesADropBesideItAndTheDroppedRowIsOutlined) {
    UiState ui;
    std::string first = "first", second = "second";
    std::vector<Rule> rules;
    bool changed = false;
    ImGuiHarness imgui([&] {
        ImGui::SetNextWindowPos(ImVec2(0, 0));
        ImGui::SetNextWindowSize(ImVec2(900, 900));
        ImGui::Begin("rows");
        ui.pathTargets.clear();
        DrawPathRow("First", first, ui, nullptr, changed, "Browse##first");
        ImGui::Dummy(ImVec2(10, 300));
        DrawPathRow("Second", second, ui, nullptr, changed, "Browse##second");
        ImGui::End();
        ui.previousPathTargets = ui.pathTargets;
        ui.pendingDrop = false;
    });
    imgui.Frame();
    ASSERT_EQ(ui.previousPathTargets.size(), 2u);
    const PathRowTarget a = ui.previousPathTargets[0], b = ui.previousPathTargets[1];
    EXPECT_FALSE(Outlined());

    // 100 pixels below the first row's centre, clear of its rectangle and margin.
    const POINT beside{static_cast<LONG>(Centre(a).x), static_cast<LONG>(Centre(a).y + 100)};
    ASSERT_GT(static_cast<float>(beside.y), a.bottom + 14);
    EXPECT_TRUE(ApplyFolderDrop(ui, rules, nullptr, beside, L"D:\\Near", changed));
    EXPECT_EQ(first, "D:\\Near");
    EXPECT_EQ(second, "second");

    // Halfway between them, more than 120 pixels from either centre: no row.
    changed = false;
    const POINT between{static_cast<LONG>(Centre(a).x), static_cast<LONG>((a.bottom + b.top) / 2)};
    ASSERT_GT(static_cast<float>(between.y) - Centre(a).y, 120.0f);
    ASSERT_GT(Centre(b).y - static_cast<float>(between.y), 120.0f);
    EXPECT_FALSE(ApplyFolderDrop(ui, rules, nullptr, between, L"D:\\Far", changed));
    EXPECT_EQ(first, "D:\\Near");
    EXPECT_EQ(second, "second");
    EXPECT_FALSE(changed);

    // The frame that resolves a drop outlines the row it landed on, only that row, only then.
    ui.pendingDrop = true;
    ui.pendingDropPoint = POINT{static_cast<LONG>(Centre(b).x), static_cast<LONG>(b.bottom + 5)};
    imgui.Frame();
    const ImRect outline = OutlineBounds();
    EXPECT_NEAR(outline.Min.x, b.left, 3.0f);
    EXPECT_NEAR(outline.Max.x, b.right, 3.0f);
    EXPECT_NEAR(outline.Min.y, b.top, 3.0f);
    EXPECT_NEAR(outline.Max.y, b.bottom, 3.0f);
    imgui.Frame();
    EXPECT_FALSE(Outlined());
    ui.pendingDrop = true;
    ui.pendingDropPoint = between;
    imgui.Frame();
    EXPECT_FALSE(Outlined());
}

}  // namespace
}  // namespace kw::test
