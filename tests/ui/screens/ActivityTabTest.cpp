#include <gtest/gtest.h>

#include "ui/harness/SettingsWindowDriver.h"

namespace kw::test {
namespace {

size_t Count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

TEST(ActivityTab, ProgressShowsWhileABatchRunsAndClearEmptiesTheLinesAndTheFile) {
    SettingsWindowDriver w;
    w.activityLog.Append("Moved a.txt");
    w.logLines = {"line one", "line two"};
    w.OpenTab("Activity");
    EXPECT_TRUE(w.imgui.Shows("line two"));
    EXPECT_FALSE(w.imgui.Shows("%"));

    w.statusText = "Routing 2 of 5";
    w.progressDone = 2;
    w.progressTotal = 5;
    w.imgui.Frame();
    EXPECT_TRUE(w.imgui.Shows("40%")) << w.imgui.ShownText();
    EXPECT_EQ(Count(w.imgui.ShownText(), "Routing 2 of 5"), 2u);  // the header and under the bar
    w.progressTotal = 0;
    w.imgui.Frame();
    EXPECT_FALSE(w.imgui.Shows("40%"));
    EXPECT_EQ(Count(w.imgui.ShownText(), "Routing 2 of 5"), 1u);

    ASSERT_GT(std::filesystem::file_size(w.activityLog.LogFilePath()), 0u);
    w.imgui.Click("Clear log");
    EXPECT_TRUE(w.logLines.empty());
    EXPECT_FALSE(w.imgui.Shows("line one"));
    EXPECT_TRUE(std::filesystem::exists(w.activityLog.LogFilePath()));
    EXPECT_EQ(std::filesystem::file_size(w.activityLog.LogFilePath()), 0u);
    EXPECT_EQ(w.changedFrames, 0);
}

}  // namespace
}  // namespace kw::test
