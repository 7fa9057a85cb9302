#include <gtest/gtest.h>

#include <windows.h>

#include "history/Undo.h"
#include "model/Clock.h"
#include "model/TextEncoding.h"
#include "routing/ItemActions.h"
#include "shell/RecycleBinRestore.h"
#include "support/Fixtures.h"
#include "support/TempDir.h"

namespace kw {
namespace {
namespace fs = std::filesystem;

// Undo of a recycled item asks the shell's Recycle Bin folder to restore it. Wine's Recycle Bin
// folder answers no details (GetDetailsEx is not implemented there), so under Wine nothing is
// restored and the line says where the item is; on Windows the item comes back.
TEST(RecycleBinRestore, UndoRestoresOrSaysWhereTheItemIs) {
    const auto data = test::FixturePath("xdg-data");
    if (!data) GTEST_SKIP() << "needs a private XDG data folder (run through ctest)";
    test::TempDir dir;
    const std::wstring name = L"restore-me-" + std::to_wstring(GetCurrentProcessId()) + L".txt";
    const fs::path original = dir / name;
    test::WriteFile(original, "from the bin");
    HistoryBatch batch{1, SystemClock().UtcTicks(), 0, {}};
    const RouteItemResult recycled = RecycleItem(original, "Old files");
    ASSERT_TRUE(recycled.ok) << recycled.message;
    batch.items.push_back(RecordOf(1, recycled));
    const std::vector<UndoStep> steps = PlanUndo(batch);
    ASSERT_EQ(steps.size(), 1u);
    RecycleBinIndex bin;
    const RouteItemResult r = UndoItem(steps[0], [&](const UndoStep& step) { return bin.Restore(step); });
    if (r.ok) {
        EXPECT_EQ(r.message, "Restored from the Recycle Bin");
        EXPECT_EQ(test::ReadFile(original), "from the bin");
    } else {
        EXPECT_TRUE(r.skipped);
        EXPECT_EQ(r.message, "Not restored \xE2\x80\x94 find it in the Recycle Bin (deleted from " + PathToUtf8(original) + ").");
        EXPECT_EQ(test::ReadFile(*data / L"Trash" / L"files" / name), "from the bin");
    }
}

}  // namespace
}  // namespace kw
