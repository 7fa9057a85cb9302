#include <gtest/gtest.h>

#include "routing/BatchCache.h"
#include "ui/FrameSettling.h"
#include "ui/harness/SettingsWindowDriver.h"

namespace kw::test {
namespace {

// Shown and drawn once, the settings window has no tab bar yet (Dear ImGui lays it out over two
// frames). After a show it is drawn until its layout settles, and the picture left on screen is
// the one another frame would draw; then no more frames are asked for. A progress report while
// a batch runs costs one frame: they are drawn by a software rasteriser on the batch's cores.
TEST(FrameSettling, AWindowJustShownIsDrawnUntilItsLayoutSettles) {
    FrameSettling settling;
    settling.Invalidate();
    SettingsWindowDriver window(0);  // its first frame
    settling.FrameDrawn();
    const uint64_t first = CurrentDrawHash();
    int frames = 1;
    while (settling.WantsFrame()) {
        window.imgui.Frame();
        settling.FrameDrawn();
        ++frames;
    }
    const uint64_t left = CurrentDrawHash();
    EXPECT_NE(first, left) << "the first frame was complete: this window tells nothing";
    EXPECT_LT(frames, FrameSettling::kMaxFrames);
    window.imgui.Frame();
    EXPECT_EQ(CurrentDrawHash(), left) << "the window was left with a picture that was still changing";
    EXPECT_TRUE(window.imgui.Has("Summary"));

    // A batch's progress (text changed in place) is shown by one frame; while the layout still
    // settles it changes nothing; a change of the layout starts it again.
    settling.TextChanged();
    EXPECT_TRUE(settling.WantsFrame());
    window.imgui.Frame();
    settling.FrameDrawn();
    EXPECT_FALSE(settling.WantsFrame());
    settling.Invalidate();
    settling.TextChanged();
    window.imgui.Frame();
    settling.FrameDrawn();
    EXPECT_TRUE(settling.WantsFrame()) << "a progress report cut a settling run short";
}


// Typed faster than frames come, keys wait in Dear ImGui's queue (it applies one change of a key
// per frame). The window is drawn for as long as any wait, however few messages arrive, so every
// character shows without the mouse moving; then it asks for nothing more.
TEST(FrameSettling, ABurstOfTypedKeysIsAllShown) {
    SettingsWindowDriver w;
    Rule rule;
    rule.name = "PDFs";
    w.settings.rules = {rule};
    w.ui.selectedRule = 0;
    w.imgui.Frame(2);
    w.imgui.Click("Rule name");
    w.imgui.PressKey(ImGuiKey_End);
    ImGuiIO& io = ImGui::GetIO();
    for (const char c : std::string(" to Documents")) {  // as WM_KEYDOWN, WM_CHAR, WM_KEYUP bring them
        const ImGuiKey key = c == ' ' ? ImGuiKey_Space : static_cast<ImGuiKey>(ImGuiKey_A + (c | 0x20) - 'a');
        io.AddKeyEvent(key, true);
        io.AddInputCharacter(static_cast<unsigned>(c));
        io.AddKeyEvent(key, false);
    }
    int frames = 0;
    do {
        w.imgui.Frame();
        ++frames;
    } while (WhatImGuiAwaits() != ImGuiAwaits::nothing && frames < 200);
    EXPECT_EQ(w.settings.rules[0].name, "PDFs to Documents");
    EXPECT_GT(frames, 3) << "a burst this short never needed more frames than input gets anyway";
    EXPECT_EQ(WhatImGuiAwaits(), ImGuiAwaits::nothing);
}

// A pointer resting on an item with a tooltip: frames go on while its delay runs, so the tooltip
// appears without the mouse moving again, and stop once it has.
TEST(FrameSettling, ATooltipAppearsUnderAPointerAtRest) {
    SettingsWindowDriver w;
    BatchCache batch(w.settings);
    std::vector<ItemPlan> plans = {PlanItem(w.dir / L"a.pdf", batch)};
    w.preview.active = true;
    w.preview.plans = &plans;
    w.preview.plannedWith = &w.settings;
    w.imgui.Frame(2);
    const RecordedItem* row = w.imgui.Find("a.pdf");
    ASSERT_NE(row, nullptr) << w.imgui.Labels();
    w.imgui.MoveTo(ImVec2((row->rect.Min.x + row->rect.Max.x) / 2, (row->rect.Min.y + row->rect.Max.y) / 2));
    const auto tooltipShown = [] {
        for (const ImGuiWindow* window : ImGui::GetCurrentContext()->Windows)
            if ((window->Flags & ImGuiWindowFlags_Tooltip) && window->Active) return true;
        return false;
    };
    EXPECT_FALSE(tooltipShown());
    EXPECT_EQ(WhatImGuiAwaits(), ImGuiAwaits::hover);
    int frames = 0;
    while (WhatImGuiAwaits() != ImGuiAwaits::nothing && frames < 200) {
        w.imgui.Frame();
        ++frames;
    }
    EXPECT_TRUE(tooltipShown());
    EXPECT_LT(frames, 60) << "frames went on long after the tooltip's delay";
}

}  // namespace
}  // namespace kw::test
