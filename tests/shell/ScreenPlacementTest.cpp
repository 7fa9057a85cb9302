#include <gtest/gtest.h>

#include "shell/ScreenPlacement.h"

namespace kw {
namespace {

TEST(KeepOnWorkArea, LeavesAMostlyVisibleWindowAndBringsBackALostOne) {
    const RECT screen{0, 0, 1280, 984};
    const RECT leftMonitor{-1920, 0, 0, 1040};
    const struct {
        const char* what;
        RECT window, area, expected;
    } cases[] = {
        {"inside", {80, 80, 400, 280}, screen, {80, 80, 400, 280}},
        {"half off the right edge", {1120, 80, 1440, 280}, screen, {1120, 80, 1440, 280}},
        {"mostly off the right edge", {1200, 80, 1520, 280}, screen, {960, 80, 1280, 280}},
        {"below every screen", {5000, 5000, 5320, 5200}, screen, {960, 784, 1280, 984}},
        {"above and left", {-3000, -2000, -2680, -1800}, screen, {0, 0, 320, 200}},
        {"larger than the screen", {-100, 2000, 2900, 4000}, screen, {0, 0, 1280, 984}},
        {"on a monitor left of the main one", {-5000, 300, -4680, 500}, leftMonitor, {-1920, 300, -1600, 500}},
        {"empty", {700, 700, 700, 700}, screen, {700, 700, 700, 700}},
    };
    for (const auto& c : cases) {
        const RECT placed = KeepOnWorkArea(c.window, c.area);
        EXPECT_TRUE(EqualRect(&placed, &c.expected))
            << c.what << ": " << placed.left << "," << placed.top << " " << placed.right << "," << placed.bottom;
    }
}

}  // namespace
}  // namespace kw
