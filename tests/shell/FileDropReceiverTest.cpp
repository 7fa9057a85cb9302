#include <gtest/gtest.h>

#include <windows.h>

#include "ShellTestSupport.h"
#include "shell/FileDropReceiver.h"

namespace kw {
namespace {
namespace fs = std::filesystem;
using Paths = std::vector<fs::path>;
using test::TestWindow;

struct Received {
    std::vector<Paths> drops;
    POINT point{};
};

FileDropReceiver::Callback Recorder(Received& received) {
    return [&received](Paths paths, POINT point, DWORD) {
        received.drops.push_back(std::move(paths));
        received.point = point;
    };
}

TEST(FileDropReceiver, ReleasesTheOleSourceAtOnceAndRevokesTheRegistrationWhenItsWindowGoes) {
    test::OleSession ole;
    ASSERT_TRUE(ole.ok);
    TestWindow window(TestWindow::Kind::popup, {100, 100, 300, 300});
    if (!window.Handle()) GTEST_SKIP() << "no display: top-level windows cannot be created";
    test::DesktopLock pointer(L"pointer");
    FileDropReceiver receiver;
    HRESULT revokeAfterDestroy = S_OK;
    window.SetHook([&](UINT message, WPARAM wParam, LPARAM lParam) -> std::optional<LRESULT> {
        if (receiver.HandleMessage(message, wParam, lParam)) return 0;
        // What is left registered once the receiver has seen WM_DESTROY.
        if (message == WM_DESTROY) revokeAfterDestroy = RevokeDragDrop(window.Handle());
        return std::nullopt;
    });
    Received received;
    ASSERT_TRUE(receiver.Attach(window.Handle(), Recorder(received)));
    EXPECT_FALSE(GetWindowLongPtrW(window.Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);

    test::TestDataObject files = test::TestDataObject::Files({L"C:\\x\\one.txt", L"::{20D04FE0-3AEA-1069}"});
    test::TestDropSource source({200, 210});
    DWORD effect = DROPEFFECT_NONE;
    EXPECT_EQ(DoDragDrop(&files, &source, DROPEFFECT_COPY | DROPEFFECT_MOVE, &effect), DRAGDROP_S_DROP);
    // The source is released before anything is done with the drop: it is delivered by the
    // window's own loop.
    EXPECT_TRUE(received.drops.empty());
    test::PumpMessages();
    ASSERT_EQ(received.drops.size(), 1u);
    EXPECT_EQ(received.drops[0], (Paths{L"C:\\x\\one.txt", L"::{20D04FE0-3AEA-1069}"}));  // as delivered
    EXPECT_EQ(received.point.x, 200);
    EXPECT_EQ(received.point.y, 210);

    // Destroyed without Detach, as a drop zone goes with its owner: the registration (and OLE's
    // reference to the target) ends at WM_DESTROY, while the window can still be revoked.
    DestroyWindow(window.Handle());
    EXPECT_EQ(revokeAfterDestroy, DRAGDROP_E_NOTREGISTERED);
    EXPECT_FALSE(receiver.UsesOle());
}

// When OLE refuses the registration (on Windows it always does after CoInitializeEx without
// OleInitialize; here the window is already taken), drops come as the shell's WM_DROPFILES with
// the point in client coordinates, and the callback receives it on the screen.
TEST(FileDropReceiver, WithoutOleTakesWmDropfilesWithTheScreenPoint) {
    test::OleSession ole;
    TestWindow window(TestWindow::Kind::popup, {300, 300, 500, 500});
    if (!window.Handle()) GTEST_SKIP() << "no display: top-level windows cannot be created";
    FileDropTarget* squatter = new FileDropTarget(nullptr);
    ASSERT_EQ(RegisterDragDrop(window.Handle(), squatter), S_OK);
    FileDropReceiver receiver;
    window.SetHook([&receiver](UINT message, WPARAM wParam, LPARAM lParam) -> std::optional<LRESULT> {
        if (receiver.HandleMessage(message, wParam, lParam)) return 0;
        return std::nullopt;
    });
    Received received;
    EXPECT_FALSE(receiver.Attach(window.Handle(), Recorder(received)));
    EXPECT_TRUE(GetWindowLongPtrW(window.Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);

    // Made in this process: an HDROP from another process cannot be read by the receiver.
    HGLOBAL drop = test::GlobalFromBytes(test::DropFilesBytes({L"C:\\In\\Reports", L"C:\\In\\b.txt"}, {15, 25}));
    PostMessageW(window.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
    test::PumpMessages();
    ASSERT_EQ(received.drops.size(), 1u);
    EXPECT_EQ(received.drops[0], (Paths{L"C:\\In\\Reports", L"C:\\In\\b.txt"}));
    EXPECT_EQ(received.point.x, 315);
    EXPECT_EQ(received.point.y, 325);
    RevokeDragDrop(window.Handle());
    squatter->Release();
}

}  // namespace
}  // namespace kw
