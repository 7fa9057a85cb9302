#include <gtest/gtest.h>

#include "ui/FrameSettling.h"
#include "ui/harness/SettingsWindowDriver.h"

namespace kw::test {
namespace {

// Shown and drawn once, the settings window has no tab bar yet (Dear ImGui lays it out over two
// frames). After a show it is drawn until its layout settles, and the picture left on screen is
// the one another frame would draw; then no more frames are asked for.
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

    // A change (new status text) starts it again.
    settling.Invalidate();
    EXPECT_TRUE(settling.WantsFrame());
}

}  // namespace
}  // namespace kw::test
