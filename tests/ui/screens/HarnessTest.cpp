#include <gtest/gtest.h>

#include "ui/harness/ImGuiHarness.h"

namespace kw::test {
namespace {

TEST(ImGuiHarness, SeesTextsAndClicks) {
    int clicks = 0;
    ImGuiHarness imgui([&] {
        ImGui::Begin("w");
        ImGui::Text("hello %d", 5);
        if (ImGui::Button("Press")) ++clicks;
        ImGui::End();
    });
    imgui.Frame();
    EXPECT_TRUE(imgui.Shows("hello 5")) << "[" << imgui.ShownText() << "]";
    imgui.Click("Press");
    EXPECT_EQ(clicks, 1);
}

}  // namespace
}  // namespace kw::test
