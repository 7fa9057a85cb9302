#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "ui/ActivityTab.h"
#include "model/Clock.h"
#include "ui/harness/SettingsWindowDriver.h"

namespace kw::test {
namespace {

constexpr uint64_t kTen14 = 134125436420000000;  // 2026-12-07 10:14:02 UTC

HistoryItem Moved(const std::string& source, const std::string& target) {
    HistoryItem item;
    item.fate = ItemFate::moved;
    item.source = source;
    item.target = target;
    return item;
}

// Frames until the search of the log (on its thread) has ended and its lines are shown.
void FinishSearch(SettingsWindowDriver& w) {
    for (int i = 0; i < 1000 && w.ui.activity.search.Running(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        w.imgui.Frame();
    }
    w.imgui.Frame(2);
}

size_t Count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

TEST(ActivityTab, ProgressShowsWhileABatchRuns) {
    SettingsWindowDriver w;
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
    EXPECT_EQ(w.changedFrames, 0);
}

// "Clear log" asks first, saying how many lines go and that they are kept; "Keep it" changes
// nothing. Cleared, the log is kept aside beside the log file, the list empties, the batches and
// their undo stay, and "Bring back the cleared log" appears at the end of its row (nothing the
// user may click moves); it puts the lines back in front of those logged since.
TEST(ActivityTab, ClearLogAsksFirstKeepsTheLogAsideAndBringsItBack) {
    SettingsWindowDriver w;
    std::vector<std::string> messages;
    for (int i = 0; i < 1200; ++i) messages.push_back("[ok] C:\\in\\" + std::to_string(i) + ".txt -> D:\\Docs (Moved via Docs)");
    const std::vector<std::string> logged = w.activityLog.AppendAll(messages);
    w.logLines.assign(logged.rbegin(), logged.rbegin() + 500);
    w.batches = {HistoryBatch{20, kTen14, 0, {Moved("C:\\in\\a.pdf", "D:\\Docs\\a.pdf")}}};
    const std::string before = ReadFile(w.activityLog.LogFilePath());
    w.OpenTab("Activity");
    const auto placeOf = [&w](const std::string& label) {
        const RecordedItem* item = w.imgui.Find(label);
        return item ? item->rect.Min : ImVec2(-1, -1);
    };
    const ImVec2 clearAt = placeOf("Clear log"), openAt = placeOf("Open log file"), filterAt = placeOf("##filter");

    w.imgui.Click("Clear log");
    w.imgui.Frame();
    EXPECT_TRUE(w.imgui.Shows("Clear the activity log? 1,200 lines go from this tab and from the log file. The file "
                              "is kept, renamed with today's date"))
        << w.imgui.ShownText();
    w.imgui.Click("Keep it");
    w.imgui.Frame();
    EXPECT_FALSE(w.imgui.Has("Clear the log"));
    EXPECT_EQ(w.logLines.size(), 500u);
    EXPECT_EQ(ReadFile(w.activityLog.LogFilePath()), before);

    w.imgui.Click("Clear log");
    w.imgui.Frame();
    w.imgui.Click("Clear the log");
    w.imgui.Frame();
    EXPECT_TRUE(w.logLines.empty());
    EXPECT_FALSE(w.imgui.Shows("1199.txt"));
    EXPECT_EQ(std::filesystem::file_size(w.activityLog.LogFilePath()), 0u);
    std::vector<std::string> asides;
    for (const std::string& name : EntryNames(w.dir.Path()))
        if (name != "activity.log") asides.push_back(name);
    ASSERT_EQ(asides.size(), 1u);
    EXPECT_EQ(asides[0].size(), std::string("activity-2026-12-10-0830.log").size()) << asides[0];
    EXPECT_EQ(ReadFile(w.dir / asides[0]), before);
    EXPECT_EQ(w.statusText.rfind("Cleared the activity log. Its lines are kept in " + asides[0] + " beside it", 0), 0u)
        << w.statusText;
    EXPECT_TRUE(w.imgui.Has("Undo last batch (1 item, " + LocalClockText(kTen14) + ")##last")) << w.imgui.Labels();
    EXPECT_TRUE(w.imgui.Has("Bring back the cleared log"));
    EXPECT_EQ(placeOf("Clear log").x, clearAt.x);
    EXPECT_EQ(placeOf("Open log file").x, openAt.x);
    EXPECT_EQ(placeOf("##filter").x, filterAt.x);
    EXPECT_EQ(placeOf("##filter").y, filterAt.y);

    const std::string later = w.activityLog.Append("Watching paused.");
    w.logLines.push_front(later);
    w.imgui.Click("Bring back the cleared log");
    w.imgui.Frame();
    EXPECT_EQ(ReadFile(w.activityLog.LogFilePath()), before + later + "\n");
    EXPECT_EQ(EntryNames(w.dir.Path()), std::vector<std::string>{"activity.log"});
    ASSERT_EQ(w.logLines.size(), 500u);
    EXPECT_EQ(w.logLines.front(), later);
    EXPECT_EQ(w.logLines[1], logged.back());
    EXPECT_FALSE(w.imgui.Has("Bring back the cleared log"));
    EXPECT_EQ(w.statusText, "Brought back the cleared activity log.");
    EXPECT_EQ(w.changedFrames, 0);
}

// Recent batches with an Undo each (one that a watched folder started says so), Cancel while a
// batch runs, and the filter over the log lines.
// (Esc is taken from the window's key messages: the exit and log-off end-to-end scenarios.)
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
    w.batches = {HistoryBatch{20, kTen14, 0, {moved, moved}}, HistoryBatch{10, kTen14, 0, {moved}}};
    w.batches[1].watchedFolder = "C:\\Users\\me\\Downloads";
    w.logLines = {"t | [ok] C:\\in\\a.pdf -> D:\\Docs\\a.pdf (Moved via Docs)", "t | [fail] C:\\in\\b.txt -> (Access denied)"};
    w.OpenTab("Activity");
    EXPECT_TRUE(w.imgui.Shows("\xE2\x80\x94 moved 2")) << w.imgui.ShownText();
    EXPECT_FALSE(w.imgui.Shows("skipped")) << "outcomes that did not occur are not counted";
    EXPECT_TRUE(w.imgui.Shows("moved 1 \xE2\x80\x94 from C:\\Users\\me\\Downloads")) << w.imgui.ShownText();
    EXPECT_EQ(Count(w.imgui.ShownText(), "[watch] "), 1u);
    w.imgui.ClickNth("Undo", 1);
    w.imgui.Click("Undo last batch (2 items, " + LocalClockText(kTen14) + ")");
    EXPECT_EQ(undone, (std::vector<uint64_t>{10, 0}));

    w.imgui.TypeInto("##filter", "b.TXT");
    FinishSearch(w);  // no log file here: the window's own lines are searched
    EXPECT_FALSE(w.imgui.Shows("[ok] C:"));
    EXPECT_TRUE(w.imgui.Shows("[fail] C:"));
    EXPECT_FALSE(LogLineShown("t | [ok] x", "", 3));
    EXPECT_TRUE(LogLineShown("t | [undo] [ok] x", "X", 4));

    w.batchRunning = true;
    w.imgui.Frame();
    EXPECT_FALSE(w.imgui.Has("Cancel queued too"));
    w.imgui.Click("Cancel this batch");
    EXPECT_EQ(cancels, 1);
    // Drops waiting behind the batch: said, and cancelled with it on request.
    int dropped = 0;
    w.actions.cancelQueued = [&] { ++dropped; };
    w.queuedItems = 3;
    w.imgui.Frame();
    EXPECT_TRUE(w.imgui.Shows("Queued: 3 item(s)"));
    w.imgui.Click("Cancel queued too");
    EXPECT_EQ(dropped, 1);
}

// Each batch says what undoing it would do now: an undone batch shows when, one whose undo was cut
// short offers the rest, an undo offers Redo. Ctrl+Z here names a batch of an earlier run before
// putting it back, and puts back the batch just routed without asking.
TEST(ActivityTab, UndoneBatchesAreMarkedAndCtrlZAsksBeforeAnEarlierBatch) {
    SettingsWindowDriver w;
    std::vector<uint64_t> undone;
    w.actions.undoBatch = [&](uint64_t id) { undone.push_back(id); };
    const uint64_t minute = 60 * kTicksPerSecond;
    HistoryBatch photos{20, kTen14, 0, {Moved("C:\\in\\a.jpg", "D:\\P\\a.jpg"), Moved("C:\\in\\b.jpg", "D:\\P\\b.jpg"),
                                       Moved("C:\\in\\c.jpg", "D:\\P\\c.jpg")}};
    HistoryBatch cutShort{30, kTen14 + 6 * minute, 20, {Moved("D:\\P\\c.jpg", "C:\\in\\c.jpg")}};
    HistoryBatch docs{5, kTen14 - 60 * minute, 0, {Moved("C:\\in\\d.pdf", "D:\\D\\d.pdf")}};
    HistoryBatch docsBack{8, kTen14 - 50 * minute, 5, {Moved("D:\\D\\d.pdf", "C:\\in\\d.pdf")}};
    w.batches = {cutShort, photos, docsBack, docs};
    w.OpenTab("Activity");
    EXPECT_TRUE(w.imgui.Has("Put back the rest (2 items)##last")) << w.imgui.Labels();
    EXPECT_TRUE(w.imgui.Shows("Undone " + LocalClockText(docsBack.time))) << w.imgui.ShownText();
    EXPECT_EQ(w.imgui.FindAll("Redo").size(), 2u);  // the two undo batches
    EXPECT_EQ(w.imgui.FindAll("Put back the rest (2 items)").size(), 2u);  // the batch's row too

    w.imgui.PressChord(ImGuiMod_Ctrl | ImGuiKey_Z);
    w.imgui.Frame();
    EXPECT_TRUE(undone.empty());
    EXPECT_TRUE(w.imgui.Shows("Put back the other 2 items moved at " + LocalClockText(kTen14) + "?")) << w.imgui.ShownText();
    w.imgui.Click("Keep them");
    w.imgui.Frame();
    EXPECT_TRUE(undone.empty());
    EXPECT_FALSE(w.imgui.Has("Keep them"));
    w.imgui.PressChord(ImGuiMod_Ctrl | ImGuiKey_Z);
    w.imgui.Frame();
    w.imgui.Click("Put back");
    EXPECT_EQ(undone, (std::vector<uint64_t>{20}));

    w.newestOfThisRun = 30;  // the undo that was cut short ran in this run: no question
    w.imgui.PressChord(ImGuiMod_Ctrl | ImGuiKey_Z);
    w.imgui.Frame();
    EXPECT_EQ(undone, (std::vector<uint64_t>{20, 20}));
    EXPECT_FALSE(w.imgui.Has("Keep them"));
}

// The filter searches the whole log, not only the newest lines the window holds, says how many
// lines matched, and a line or a path it names is copied by right-click or Ctrl+C; the log opens
// in its program; the list of batches is made taller by dragging its lower edge.
TEST(ActivityTab, SearchesTheWholeLogAndCopiesALineOrAPath) {
    SettingsWindowDriver w;
    std::vector<std::string> messages;
    for (int i = 0; i < 3000; ++i)
        messages.push_back("[ok] C:\\in\\photo" + std::to_string(i) + ".jpg -> D:\\Pictures\\photo" + std::to_string(i) +
                           ".jpg (Moved via Photos)");
    const std::vector<std::string> lines = w.activityLog.AppendAll(messages);
    w.logLines.assign(lines.rbegin(), lines.rbegin() + 500);  // what the window holds: the newest 500
    w.batches = {HistoryBatch{20, kTen14, 0, {Moved("C:\\in\\a.pdf", "D:\\Docs\\a.pdf")}}};
    w.OpenTab("Activity");
    EXPECT_TRUE(w.imgui.Shows("The newest 500 lines of the log")) << w.imgui.ShownText();

    w.imgui.TypeInto("##filter", "PHOTO12");  // photo12, photo120-129, photo1200-1299
    FinishSearch(w);
    EXPECT_TRUE(w.imgui.Shows("111 lines of the whole log matched")) << w.imgui.ShownText();
    EXPECT_TRUE(w.imgui.Shows("photo12.jpg -> D:")) << "a line older than the window's 500";
    EXPECT_FALSE(w.imgui.Shows("photo13.jpg"));

    const std::vector<RecordedItem> rows = w.imgui.FindAll("##line");
    ASSERT_GE(rows.size(), 2u);
    w.imgui.ClickAt(rows[0].rect.GetCenter(), ImGuiMouseButton_Right);
    w.imgui.Click("Copy destination path");
    EXPECT_EQ(w.clipboard, "D:\\Pictures\\photo1299.jpg");
    w.imgui.ClickAt(w.imgui.FindAll("##line")[1].rect.GetCenter());
    w.imgui.PressChord(ImGuiMod_Ctrl | ImGuiKey_C);
    EXPECT_EQ(w.clipboard, lines[1298]);

    w.imgui.Click("Open log file");
    EXPECT_EQ(w.openedFiles, std::vector<std::filesystem::path>{w.activityLog.LogFilePath()});

    const RecordedItem* grip = w.imgui.Find("##batchesHeight");
    ASSERT_NE(grip, nullptr);
    const float before = grip->rect.Min.y;
    const ImVec2 from = grip->rect.GetCenter();
    w.imgui.DragBetween(from, ImVec2(from.x, from.y + 150));
    w.imgui.Frame();
    EXPECT_NEAR(w.imgui.Find("##batchesHeight")->rect.Min.y, before + 150, 4.0f);
    EXPECT_EQ(w.changedFrames, 0);
}

}  // namespace
}  // namespace kw::test
