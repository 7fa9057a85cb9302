#include <gtest/gtest.h>

#include "ui/harness/SettingsWindowDriver.h"

namespace kw::test {
namespace {

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
