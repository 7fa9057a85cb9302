#include <gtest/gtest.h>

#include "app/live/LiveApp.h"
#include "support/TempDir.h"

namespace kw {
namespace {

// A dropped folder is listed on the worker; one that holds no files ends its batch there, and
// the settings window shows no progress beside the message.
TEST(LiveApp, AFolderDropWithNothingInItEndsWithoutProgress) {
    test::TempDir dir;
    std::filesystem::create_directories(dir / L"Empty" / L"Inner");
    test::LiveApp live(R"({"expandFoldersOnDrop": true, "overlayVisible": true, "minimizeToTray": false})");
    App& app = live.app;
    live.Run([&] {
        live.OnUi([&] { app.HandleDroppedFiles({dir / L"Empty"}); });
        EXPECT_TRUE(live.WaitUntil([&] { return app.StatusText() == "No files to route."; }))
            << live.OnUi([&] { return app.StatusText(); });
        live.OnUi([&] {
            EXPECT_EQ(app.Progress(), (std::pair<int, int>{0, 0}));
            EXPECT_EQ(app.DropZone().Status(), L"No files to route");
            EXPECT_FALSE(app.DropZone().IsBusy());
        });
    });
}

}  // namespace
}  // namespace kw
