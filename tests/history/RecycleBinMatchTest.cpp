#include <gtest/gtest.h>

#include "history/BatchHistory.h"
#include "history/RecycleBinMatch.h"
#include "history/Undo.h"
#include "model/Clock.h"

namespace kw {
namespace {

constexpr uint64_t kSent = 133'000'000'000'000'000;  // when the batch recycled report.txt
constexpr uint64_t kSecond = kTicksPerSecond;

struct PickCase {
    const char* what;
    std::vector<BinRecord> bin;
    std::optional<size_t> expected;
};

// The bin as the shell lists it; the batch sent C:\Work\report.txt (1200 bytes) at kSent.
const PickCase kCases[] = {
    {"the real name matches whatever Explorer shows",
     {{L"REPORT.TXT", L"c:\\work\\", 1200, kSent + kSecond}}, 0},
    {"a name without its extension is another file (report.pdf, shown as \"report\")",
     {{L"report", L"C:\\Work", 1200, kSent}, {L"report.pdf", L"C:\\Work", 1200, kSent}}, std::nullopt},
    {"another folder's report.txt is not it",
     {{L"report.txt", L"C:\\Work\\Old", 1200, kSent}}, std::nullopt},
    {"a deletion from before the batch is an older file of that name",
     {{L"report.txt", L"C:\\Work", 1200, kSent - 3 * kSecond}}, std::nullopt},
    {"of two deletions from the same path, the earlier one after the batch's is ours",
     {{L"report.txt", L"C:\\Work", 1200, kSent + 90 * kSecond}, {L"report.txt", L"C:\\Work", 1200, kSent + kSecond}}, 1},
    {"a later deletion of a file of another size is never taken for it",
     {{L"report.txt", L"C:\\Work", 999, kSent + kSecond}}, std::nullopt},
    {"the size decides between two deletions from the same path",
     {{L"report.txt", L"C:\\Work", 999, kSent + kSecond}, {L"report.txt", L"C:\\Work", 1200, kSent + 5 * kSecond}}, 1},
    {"a size the bin does not give does not rule it out",
     {{L"report.txt", L"C:\\Work", std::nullopt, kSent}}, 0},
};

// The original name of a bin item, from what the shell gives: System.FileName, the name shown
// and the stored file's name ("$R" and six characters, with the original extension).
TEST(RecycleBinMatch, OriginalNameKeepsItsExtensionWhenExplorerHidesIt) {
    struct {
        const wchar_t *fileName, *shown, *stored, *expected;
    } const cases[] = {
        {L"report.txt", L"report", L"$RAB12CD.txt", L"report.txt"},  // System.FileName is the original
        {L"$RAB12CD.txt", L"report", L"$RAB12CD.txt", L"report.txt"},  // ... or the stored file's: extension hidden
        {L"", L"report.txt", L"$RAB12CD.txt", L"report.txt"},          // extensions shown
        {L"", L"archive.tar", L"$RAB12CD.gz", L"archive.tar.gz"},      // only the last one hidden
        {L"", L"README", L"$RAB12CD", L"README"},                      // none to hide
        {L"$Recycle notes.txt", L"$Recycle notes", L"$RAB12CD.txt", L"$Recycle notes.txt"},
    };
    for (const auto& c : cases) EXPECT_EQ(OriginalBinName(c.fileName, c.shown, c.stored), c.expected) << c.shown;
}

TEST(RecycleBinMatch, PicksTheBatchsOwnDeletion) {
    const BinWanted wanted{L"report.txt", L"C:\\Work", 1200, kSent - 2 * kSecond};
    for (const PickCase& c : kCases) EXPECT_EQ(PickBinRecord(c.bin, wanted), c.expected) << c.what;
    // Restored once, an entry is not offered to the next item of the same undo.
    const std::vector<BinRecord> two = {{L"report.txt", L"C:\\Work", 1200, kSent}, {L"report.txt", L"C:\\Work", 1200, kSent + kSecond}};
    EXPECT_EQ(PickBinRecord(two, wanted, {true, false}), 1u);
}

// What picks the deletion out of the bin reaches undo through the history file.
TEST(RecycleBinMatch, HistoryKeepsTheDeletionTimeAndSizeForUndo) {
    RouteItemResult r{"C:\\Work\\report.txt", "Recycle Bin", "Old", "Sent to Recycle Bin via Old", true, false};
    r.recycledAt = kSent;
    r.recycledBytes = 1200;
    const HistoryBatch written{7, kSent - 60 * kSecond, 0, {RecordOf(7, r)}};
    const std::vector<HistoryBatch> read =
        ParseHistory(FormatBatchLine(written) + "\n" + FormatItemLine(written.items[0]) + "\n");
    ASSERT_EQ(read.size(), 1u);
    const std::vector<UndoStep> steps = PlanUndo(read[0]);
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_TRUE(steps[0].recycled);
    EXPECT_EQ(steps[0].deletedAfter, kSent - 2 * kSecond);  // not the batch's start, a minute earlier
    EXPECT_EQ(steps[0].bytes, std::optional<uint64_t>(1200));
}

}  // namespace
}  // namespace kw
