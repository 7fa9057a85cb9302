#include <gtest/gtest.h>

#include "ui/ActivityTab.h"
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

// Recent batches with an Undo each, Cancel while a batch runs, and the filter over the log lines.
// (Ctrl+Z and Esc are taken from the window's key messages: the undo-ctrl-z end-to-end scenario.)
TEST(ActivityTab, UndoCancelAndFilter) {
    SettingsWindowDriver w;
    std::vector<uint64_t> undone;
    int cancels = 0;
    w.actions.undoBatch = [&](uint64_t id) { undone.push_back(id); };
    w.actions.cancelBatch = [&] { ++cancels; };
    HistoryItem moved;
    moved.fate = ItemFate::moved;
    moved.source = "C:\\in\\a.pdf";
    moved.target = "D:\\Docs\\a.pdf";
    w.batches = {HistoryBatch{20, 0, 0, {moved, moved}}, HistoryBatch{10, 0, 0, {moved}}};
    w.logLines = {"t | [ok] C:\\in\\a.pdf -> D:\\Docs\\a.pdf (Moved via Docs)", "t | [fail] C:\\in\\b.txt -> (Access denied)"};
    w.OpenTab("Activity");
    EXPECT_TRUE(w.imgui.Shows("\xE2\x80\x94 moved 2")) << w.imgui.ShownText();
    EXPECT_FALSE(w.imgui.Shows("skipped")) << "outcomes that did not occur are not counted";
    w.imgui.ClickNth("Undo", 1);
    w.imgui.Click("Undo last batch");
    EXPECT_EQ(undone, (std::vector<uint64_t>{10, 0}));

    w.imgui.TypeInto("##filter", "b.TXT");
    EXPECT_FALSE(w.imgui.Shows("[ok] C:"));
    EXPECT_TRUE(w.imgui.Shows("[fail] C:"));
    EXPECT_FALSE(LogLineShown("t | [ok] x", "", 3));
    EXPECT_TRUE(LogLineShown("t | [undo] [ok] x", "X", 4));

    w.batchRunning = true;
    w.imgui.Frame();
    w.imgui.Click("Cancel");
    EXPECT_EQ(cancels, 1);
}

}  // namespace
}  // namespace kw::test
