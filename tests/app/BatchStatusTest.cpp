#include <gtest/gtest.h>

#include "app/App.h"
#include "app/BatchStatus.h"

namespace kw {
namespace {

RouteItemResult Item(const char* source, const char* target, const char* message, bool ok, bool skipped) {
    return RouteItemResult{source, target, "R", message, ok, skipped};
}

TEST(BatchStatus, TextsOfABatch) {
    EXPECT_EQ(ProgressStatusText(3, 10, "bill \xC3\xA4.pdf"), "Routing 3/10 \xE2\x80\x94 bill \xC3\xA4.pdf");

    RouteJobResult r;
    r.items = {Item("C:\\in\\a.pdf", "D:\\Docs\\a.pdf", "Moved via Invoices", true, false),
               Item("C:\\in\\b.txt", "", "Left in place (No matching rule)", true, true),
               Item("C:\\in\\c.pdf", "D:\\Docs\\c.pdf", "Skipped (name already exists).", false, true),
               Item("C:\\in\\d.pdf", "D:\\Docs\\d.pdf", "Access denied", false, false)};
    r.moved = 1;
    r.skipped = 2;
    r.failed = 1;
    EXPECT_EQ(BatchTallyText(r), "Done \xE2\x80\x94 moved 1, skipped 2, failed 1");
    EXPECT_EQ(ItemLogLine(r.items[0]), "[ok] C:\\in\\a.pdf -> D:\\Docs\\a.pdf (Moved via Invoices)");
    EXPECT_EQ(ItemLogLine(r.items[1]), "[ok] C:\\in\\b.txt ->  (Left in place (No matching rule))");
    EXPECT_EQ(ItemLogLine(r.items[2]), "[skip] C:\\in\\c.pdf -> D:\\Docs\\c.pdf (Skipped (name already exists).)");
    EXPECT_EQ(ItemLogLine(r.items[3]), "[fail] C:\\in\\d.pdf -> D:\\Docs\\d.pdf (Access denied)");
}

TEST(BatchStatus, BalloonOnlyWhenSomethingMovedOrFailed) {
    RouteJobResult r;
    r.skipped = 4;
    EXPECT_FALSE(BatchNeedsBalloon(r));
    r.failed = 1;
    EXPECT_TRUE(BatchNeedsBalloon(r));
    r.failed = 0;
    r.moved = 1;
    EXPECT_TRUE(BatchNeedsBalloon(r));
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
