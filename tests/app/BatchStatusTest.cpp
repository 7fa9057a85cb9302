#include <gtest/gtest.h>

#include "app/App.h"
#include "app/BatchStatus.h"
#include "history/BatchHistory.h"
#include "history/HistoryFile.h"
#include "support/TempDir.h"

namespace kw {
namespace {

RouteItemResult Item(const char* source, const char* target, const char* message, bool ok, bool skipped) {
    return RouteItemResult{source, target, "R", message, ok, skipped};
}

TEST(BatchStatus, TextsOfABatch) {
    EXPECT_EQ(ProgressStatusText(3, 10, "bill \xC3\xA4.pdf"), "Routing 3/10 \xE2\x80\x94 bill \xC3\xA4.pdf");
    EXPECT_EQ(ProgressStatusText(3, 10, "a.pdf", true), "Putting back 3/10 \xE2\x80\x94 a.pdf");

    const std::vector<RouteItemResult> items = {
        Item("C:\\in\\a.pdf", "D:\\Docs\\a.pdf", "Moved via Invoices", true, false),
        Item("C:\\in\\b.txt", "", "Left in place (No matching rule)", true, true),
        Item("C:\\in\\c.pdf", "D:\\Docs\\c.pdf", "Skipped (name already exists).", false, true),
        Item("C:\\in\\d.pdf", "D:\\Docs\\d.pdf", "Access denied", false, false),
        Item("C:\\in\\e.exe", "Recycle Bin", "Sent to Recycle Bin via Old", true, false)};
    const BatchTally tally = TallyOf(items);
    EXPECT_EQ(BatchTallyText(tally, BatchEnd::finished),
              "Done \xE2\x80\x94 moved 1, recycled 1, left in place 1, skipped 1, could not route 1");
    EXPECT_EQ(BatchTallyText(TallyOf(items, 295), BatchEnd::cancelled),
              "Cancelled \xE2\x80\x94 moved 1, recycled 1, left in place 1, skipped 1, could not route 1, not routed 295");
    // An undo counts what it put back against all it tried.
    EXPECT_EQ(BatchTallyText(TallyOf({items[0], items[0], items[2], items[3]}), BatchEnd::finished, true),
              "Put back 2 of 4, skipped 1, could not put back 1");
    EXPECT_EQ(BatchTallyText(TallyOf({items[1]}, 2), BatchEnd::stopped), "Stopped \xE2\x80\x94 left in place 1, not routed 2");

    EXPECT_EQ(ItemLogLine(items[0]), "[ok] C:\\in\\a.pdf -> D:\\Docs\\a.pdf (Moved via Invoices)");
    EXPECT_EQ(ItemLogLine(items[1]), "[left] C:\\in\\b.txt \xE2\x80\x94 Left in place (No matching rule)");
    EXPECT_EQ(ItemLogLine(items[2]), "[skip] C:\\in\\c.pdf -> D:\\Docs\\c.pdf (Skipped (name already exists).)");
    EXPECT_EQ(ItemLogLine(items[3]), "[fail] C:\\in\\d.pdf -> D:\\Docs\\d.pdf (Access denied)");
    EXPECT_EQ(ItemLogLine(Item("C:\\in\\x", "", "Unexpected error.", false, false)),
              "[fail] C:\\in\\x \xE2\x80\x94 Unexpected error.");

    // A balloon whenever something other than leaving items in place happened.
    EXPECT_FALSE(BatchNeedsBalloon(TallyOf({items[1], items[1]})));
    for (const RouteItemResult& item : {items[0], items[2], items[3], items[4]})
        EXPECT_TRUE(BatchNeedsBalloon(TallyOf({item}))) << item.message;
    EXPECT_TRUE(BatchNeedsBalloon(TallyOf({}, 3)));
}

// Of the failed moves, those whose folder is not there after the batch: the move could not make it.
TEST(BatchStatus, NamesTheFoldersAFailedMoveCouldNotCreate) {
    const std::vector<RouteItemResult> items = {
        Item("C:\\in\\a.pdf", "D:\\Docs\\a.pdf", "Access denied", false, false),           // its folder is there
        Item("C:\\in\\b.txt", "X:\\blocked\\Notes\\b.txt", "Path not found", false, false),
        Item("C:\\in\\c.txt", "X:\\blocked\\Notes\\c.txt", "Path not found", false, false),  // named once
        Item("C:\\in\\d.pdf", "X:\\New\\d.pdf", "Moved via Invoices", true, false),          // made and moved
        Item("C:\\in\\e.pdf", "X:\\Gone\\e.pdf", "Skipped (name already exists).", false, true),
        Item("C:\\in\\f.exe", "Recycle Bin", "Could not recycle", false, false)};
    const auto isFolder = [](const std::string& folder) { return folder == "D:\\Docs"; };
    EXPECT_EQ(UncreatedFolders(items, isFolder), std::vector<std::string>{"X:\\blocked\\Notes"});
    EXPECT_EQ(UncreatedFoldersText({"X:\\blocked\\Notes"}),
              "This folder could not be created, so nothing was moved there:\n- X:\\blocked\\Notes\n\n"
              "The files stay where they were. Check the rule's destination.");
    EXPECT_EQ(UncreatedFoldersText({}), "");
}

// The status line and the list of recent batches count one batch alike: items a rule left in
// place are "left in place" in both, never "skipped" in one and missing from the other, and the
// items a cancelled batch never reached are "not routed" in both, also once the history is read
// back from its file.
TEST(BatchStatus, StatusAndHistoryCountABatchAlike) {
    std::vector<RouteItemResult> items;
    for (int i = 0; i < 6; ++i) items.push_back(Item("C:\\in\\m.pdf", "C:\\gone\\m.pdf", "Moved via Invoices", true, false));
    for (int i = 0; i < 4; ++i) items.push_back(Item("C:\\in\\n.txt", "", "Left in place (No matching rule)", true, true));
    test::TempDir dir;
    {
        BatchRecording recording(std::make_shared<HistoryFile>(dir / L"history.jsonl"), HistoryBatch{7, 7, 0, {}});
        for (const RouteItemResult& item : items) recording.Add(item);
        EXPECT_EQ(recording.Batch().Tally(), TallyOf(items));
        EXPECT_EQ(BatchTallyText(TallyOf(items), BatchEnd::finished), "Done \xE2\x80\x94 moved 6, left in place 4");
        EXPECT_EQ(TallyText(recording.Batch().Tally()), "moved 6, left in place 4");
        recording.Stopped(5);
        EXPECT_EQ(recording.Batch().Tally(), TallyOf(items, 5));
    }
    const std::vector<HistoryBatch> read = LoadHistory(dir / L"history.jsonl");
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].Tally(), TallyOf(items, 5));
    EXPECT_EQ(TallyText(read[0].Tally()), "moved 6, left in place 4, not routed 5");
}

TEST(MainWindowSize, GrowsWithTheFontSize) {
    EXPECT_EQ(ClientSizeFor(UiFontSize::medium).cx, 980);
    EXPECT_EQ(ClientSizeFor(UiFontSize::large).cy, 840);
    EXPECT_EQ(ClientSizeFor(UiFontSize::larger).cx, 1180);
    EXPECT_EQ(ClientSizeFor(static_cast<UiFontSize>(9)).cy, 760);
    EXPECT_EQ(FontPixelSize(UiFontSize::medium), 16.0f);
    EXPECT_EQ(FontPixelSize(UiFontSize::large), 20.0f);
    EXPECT_EQ(FontPixelSize(UiFontSize::larger), 26.0f);
    EXPECT_EQ(FontPixelSize(static_cast<UiFontSize>(-1)), 16.0f);
}

}  // namespace
}  // namespace kw
