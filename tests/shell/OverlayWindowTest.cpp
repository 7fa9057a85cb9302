#include <gtest/gtest.h>

#include "shell/OverlayWindow.h"

namespace kw {
namespace {

TEST(OverlayHitTest, BorderBandResizesAndTheRestMoves) {
    const RECT r{100, 100, 420, 300};
    const std::pair<POINT, LRESULT> cases[] = {
        {{105, 105}, HTTOPLEFT},     {{415, 105}, HTTOPRIGHT},    {{105, 295}, HTBOTTOMLEFT},
        {{415, 295}, HTBOTTOMRIGHT}, {{105, 200}, HTLEFT},        {{408, 200}, HTRIGHT},
        {{250, 111}, HTTOP},         {{250, 288}, HTBOTTOM},      {{250, 200}, HTCAPTION},
        {{112, 112}, HTCAPTION},     {{407, 287}, HTCAPTION},
    };
    for (const auto& [point, expected] : cases)
        EXPECT_EQ(OverlayHitTest(point, r), expected) << point.x << "," << point.y;
}

TEST(OverlayAlpha, StaysWithinVisibleRange) {
    EXPECT_EQ(ClampOverlayAlpha(0), 80);
    EXPECT_EQ(ClampOverlayAlpha(79), 80);
    EXPECT_EQ(ClampOverlayAlpha(230), 230);
    EXPECT_EQ(ClampOverlayAlpha(300), 255);
}

TEST(OverlayWindow, KeepsStatusAndVisibilityWithoutAWindow) {
    OverlayWindow overlay;
    EXPECT_EQ(overlay.Status(), L"Drop files to route them");
    overlay.SetStatus("Busy \xE2\x80\x94 wait for the current batch", true);
    EXPECT_EQ(overlay.Status(), L"Busy \u2014 wait for the current batch");
    EXPECT_TRUE(overlay.IsBusy());
    overlay.Show(false);
    EXPECT_FALSE(overlay.IsVisible());
    int x = 1, y = 2, w = 3, h = 4;
    overlay.GetRect(x, y, w, h);
    EXPECT_EQ(x + y + w + h, 10);  // untouched without a window
}

}  // namespace
}  // namespace kw
