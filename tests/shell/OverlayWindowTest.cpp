#include <gtest/gtest.h>

#include "ShellTestSupport.h"
#include "shell/DropZoneImage.h"
#include "shell/OverlayWindow.h"
#include "support/TempDir.h"

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

// The drop zone's picture at 100 % and 150 %: outside the rounded border the corners are
// transparent (nothing painted black), the edge along a corner fades over a pixel (smooth, not
// jagged), the border and the inside are opaque in their colours, and every pixel is
// premultiplied (as UpdateLayeredWindow takes it). Text blends onto the tile, never the corners.
TEST(DropZoneImage, TransparentCornersSmoothEdgeAndOpaqueInside) {
    const DropZoneColours colours = DropZoneColoursFor(true, false);
    for (const float scale : {1.0f, 1.5f}) {
        const int w = static_cast<int>(320 * scale), h = static_cast<int>(200 * scale);
        DropZonePixels image = DropZoneShape(w, h, scale, colours);
        ASSERT_EQ(image.argb.size(), static_cast<size_t>(w) * h);
        for (const auto& [x, y] : {std::pair{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}, {2, 2}})
            EXPECT_EQ(image.At(x, y), 0u) << scale << ": corner " << x << "," << y;
        EXPECT_EQ(image.At(w / 2, h / 2), 0xFF000000u | colours.fill);
        EXPECT_EQ(image.At(w / 2, 1), 0xFF000000u | colours.border);
        int partial = 0;
        for (int y = 0; y < static_cast<int>(14 * scale); ++y)
            for (int x = 0; x < static_cast<int>(14 * scale); ++x) {
                const uint32_t p = image.At(x, y), a = p >> 24;
                if (a > 0 && a < 255) ++partial;
                for (int shift : {16, 8, 0}) ASSERT_LE((p >> shift) & 0xFF, a) << "not premultiplied";
            }
        EXPECT_GE(partial, static_cast<int>(14 * scale)) << "the rounded edge is not smoothed";

        std::vector<uint8_t> everywhere(image.argb.size(), 255);
        BlendCoverage(image, everywhere, 0xFFFFFF);
        EXPECT_EQ(image.At(0, 0), 0u) << "text drawn over a transparent corner";
        EXPECT_EQ(image.At(w / 2, h / 2), 0xFFFFFFFFu);
    }
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

TEST(OverlayWindow, StaysOnScreenWhileItsOwnerIsMinimised) {
    test::TestWindow owner(test::TestWindow::Kind::popup, {500, 400, 900, 700});
    if (!owner.Handle()) GTEST_SKIP() << "no display: top-level windows cannot be created";
    OverlayWindow overlay;
    ASSERT_TRUE(overlay.Create(GetModuleHandleW(nullptr), owner.Handle(), nullptr));
    overlay.SetPosition(60, 60, 320, 200);
    overlay.Show(true);
    test::PumpMessages();
    ASSERT_TRUE(IsWindowVisible(overlay.Handle()));

    // Minimised from its title bar: the owner's owned windows are told it is closing.
    SetForegroundWindow(owner.Handle());
    SendMessageW(owner.Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    test::PumpMessages();
    ASSERT_TRUE(IsIconic(owner.Handle()));
    EXPECT_TRUE(IsWindowVisible(overlay.Handle()));
    ShowWindow(owner.Handle(), SW_RESTORE);
    test::PumpMessages();
    EXPECT_TRUE(IsWindowVisible(overlay.Handle()));

    // Hidden by the user, it stays hidden when the owner comes back.
    overlay.Show(false);
    ShowWindow(owner.Handle(), SW_MINIMIZE);
    ShowWindow(owner.Handle(), SW_RESTORE);
    test::PumpMessages();
    EXPECT_FALSE(IsWindowVisible(overlay.Handle()));
}

// Drops that come as the shell's WM_DROPFILES (where OLE could not be registered) reach the
// callback as they came: a Recycle Bin item in the list must be counted and reported ("No
// compatible files to route"), not silently left out.
TEST(OverlayWindow, PassesEveryItemOfAWmDropfilesDropOn) {
    test::TempDir dir;
    test::WriteFile(dir / L"a.txt", "a");
    const std::wstring recycled = L"C:\\$Recycle.Bin\\::{645FF040-5081-101B-9F00-00AA005B4382}\\old.txt";
    std::vector<std::vector<std::filesystem::path>> received;
    OverlayWindow overlay;
    if (!overlay.Create(GetModuleHandleW(nullptr), nullptr,
                        [&received](std::vector<std::filesystem::path> paths, DWORD) { received.push_back(paths); }))
        GTEST_SKIP() << "no display: top-level windows cannot be created";
    HGLOBAL drop = test::GlobalFromBytes(test::DropFilesBytes({(dir / L"a.txt").native(), recycled}));
    PostMessageW(overlay.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
    test::PumpMessages();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0], (std::vector<std::filesystem::path>{dir / L"a.txt", recycled}));
}

}  // namespace
}  // namespace kw
