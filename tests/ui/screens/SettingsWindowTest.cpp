#include <gtest/gtest.h>

#include "model/StarterRules.h"
#include "ui/harness/SettingsWindowDriver.h"

namespace kw::test {
namespace {

// At the window's smallest size (640 x 480 at 96 DPI) every tab lays out within it: the tab
// headers, the rule toolbar, list and editor, the Settings rows, the About tab's button, and
// the status line (cut to its bar).
TEST(SettingsWindow, EveryTabFitsTheSmallestWindow) {
    SettingsWindowDriver w;
    ImGui::GetIO().DisplaySize = ImVec2(640, 480);
    w.settings.rules = StarterRules(UserFolders{"C:\\Users\\ann", "", "", "", "", ""});
    for (Rule& rule : w.settings.rules) rule.id = NewRuleId();
    w.ui.selectedRule = 0;
    w.statusText = "Done \xE2\x80\x94 moved 12, left in place 3, could not route 1: a status line far longer than the window is wide";
    w.imgui.Frame(3);
    const auto onScreen = [&](const std::string& label) {
        const RecordedItem* item = w.imgui.Find(label);
        return item && ImRect(0, 0, 640, 480).Contains(item->rect);
    };
    for (const char* item : {"Rules", "Test", "Summary", "Settings", "Activity", "About", "Add rule", "Move down",
                             "Installers", "Rule name", "Extensions"})
        EXPECT_TRUE(onScreen(item)) << item;
    EXPECT_TRUE(w.imgui.Shows("Done \xE2\x80\x94 moved 12")) << w.imgui.ShownText();
    EXPECT_FALSE(w.imgui.Shows("wide")) << "the status line should be cut to its bar";
    w.OpenTab("Settings");
    EXPECT_TRUE(onScreen("Drop zone opacity"));
    w.OpenTab("About");
    const RecordedItem* open = w.imgui.Find("Open settings folder");
    ASSERT_NE(open, nullptr);
    EXPECT_LE(open->rect.Max.x, 640.0f);
}

// At the larger font sizes, or with the Unsorted row shown, the Settings tab is taller than the
// window; its last rows must still be reachable.
TEST(SettingsWindow, TheSettingsTabScrollsToItsLastRowsInAShortWindow) {
    SettingsWindowDriver w;
    ImGui::GetIO().DisplaySize = ImVec2(980, 420);
    w.settings.noMatchPolicy = NoMatchPolicy::unsorted;
    w.OpenTab("Settings");
    w.imgui.Frame(2);

    const RecordedItem* exit = w.imgui.Find("Exit application");
    ASSERT_NE(exit, nullptr);
    ASSERT_GT(exit->rect.Min.y, 420.0f) << "the window is not short enough to need scrolling";

    const RecordedItem* darkTheme = w.imgui.Find("Theme");
    ASSERT_NE(darkTheme, nullptr);
    bool scrollBarShown = false;  // a wheel scrolls any ImGui window; the bar tells there is more
    for (const ImGuiWindow* window : ImGui::GetCurrentContext()->Windows)
        if (window->Active && window->ScrollbarY && window->InnerRect.Contains(darkTheme->rect)) scrollBarShown = true;
    EXPECT_TRUE(scrollBarShown);
    w.imgui.MoveTo(darkTheme->rect.GetCenter());
    for (int i = 0; i < 20; ++i) {
        ImGui::GetIO().AddMouseWheelEvent(0.0f, -5.0f);
        w.imgui.Frame(2);
    }
    exit = w.imgui.Find("Exit application");
    ASSERT_NE(exit, nullptr);
    EXPECT_LT(exit->rect.Max.y, 420.0f);
    w.imgui.Click("Exit application");
    EXPECT_EQ(w.quits, 1);
}

}  // namespace
}  // namespace kw::test
