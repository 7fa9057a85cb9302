#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "ShellTestSupport.h"
#include "shell/TrayIcon.h"

namespace kw {
namespace {
using test::TestWindow;

TEST(FitToField, CutsTextToTheFieldWithoutSplittingACharacter) {
    const std::wstring pair = L"\xD83D\xDCC1";  // one character outside the basic plane
    const struct {
        std::wstring text;
        size_t capacity;
        std::wstring fitted;
    } cases[] = {
        {L"short", 64, L"short"},
        {std::wstring(63, L'a'), 64, std::wstring(63, L'a')},
        {std::wstring(64, L'a'), 64, std::wstring(63, L'a')},
        {std::wstring(300, L'b'), 256, std::wstring(255, L'b')},
        {std::wstring(61, L'c') + pair, 64, std::wstring(61, L'c') + pair},
        {std::wstring(62, L'c') + pair, 64, std::wstring(62, L'c')},  // the pair would lose its half
        {L"x", 1, L""},
        {L"x", 0, L""},
        {L"", 0, L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FitToField(c.text, c.capacity), c.fitted) << c.text.size() << " in " << c.capacity;
}

// Whether the shell holds an icon of `owner` with our id: modifying a missing icon fails.
bool IconExists(HWND owner) {
    NOTIFYICONDATAW probe{};
    probe.cbSize = sizeof probe;
    probe.hWnd = owner;
    probe.uID = 1;
    return Shell_NotifyIconW(NIM_MODIFY, &probe) == TRUE;
}

// Under Wine without a window manager, hiding a window waits two seconds for it to be withdrawn,
// and the tray hides when its last icon goes; an icon of another window keeps it shown.
class TrayAnchor {
public:
    TrayAnchor() {
        data.cbSize = sizeof data;
        data.hWnd = window.Handle();
        data.uID = 99;
        data.uFlags = NIF_ICON;
        data.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
        Shell_NotifyIconW(NIM_ADD, &data);
    }
    ~TrayAnchor() { Shell_NotifyIconW(NIM_DELETE, &data); }

private:
    TestWindow window{TestWindow::Kind::messageOnly};
    NOTIFYICONDATAW data{};
};

TEST(TrayIcon, AddsBalloonsAndRemovesTheIcon) {
    TestWindow owner(TestWindow::Kind::hidden);
    if (!owner.Handle()) GTEST_SKIP() << "no display: the tray needs one";
    TrayAnchor anchor;
    const HINSTANCE module = GetModuleHandleW(nullptr);
    {
        TrayIcon tray;
        tray.ShowBalloon(L"Kestrane Fileweir", L"no icon yet");  // nothing to show it on
        EXPECT_FALSE(IconExists(owner.Handle()));

        ASSERT_TRUE(tray.Add(module, owner.Handle()));
        EXPECT_TRUE(tray.IsAdded());
        EXPECT_TRUE(IconExists(owner.Handle()));
        EXPECT_TRUE(tray.Add(module, owner.Handle()));  // already there: no second icon

        tray.ShowBalloon(L"Kestrane Fileweir", std::wstring(400, L'x'));
        EXPECT_TRUE(IconExists(owner.Handle()));

        tray.Remove();
        EXPECT_FALSE(tray.IsAdded());
        EXPECT_FALSE(IconExists(owner.Handle()));
        tray.Remove();

        ASSERT_TRUE(tray.Add(module, owner.Handle()));
        EXPECT_TRUE(IconExists(owner.Handle()));
    }
    EXPECT_FALSE(IconExists(owner.Handle()));  // the owner removed it when it went
}

// Explorer restarted: the new taskbar holds no icons and announces itself to every top-level
// window, whose icon must come back.
TEST(TrayIcon, ComesBackWhenTheTaskbarIsCreatedAgain) {
    TestWindow owner(TestWindow::Kind::hidden);
    if (!owner.Handle()) GTEST_SKIP() << "no display: the tray needs one";
    TrayAnchor anchor;
    TrayIcon tray;
    owner.SetHook([&tray](UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (tray.HandleTaskbarCreated(message)) return 0;
        return std::nullopt;
    });
    ASSERT_TRUE(tray.Add(GetModuleHandleW(nullptr), owner.Handle()));
    NOTIFYICONDATAW forgotten{};
    forgotten.cbSize = sizeof forgotten;
    forgotten.hWnd = owner.Handle();
    forgotten.uID = 1;
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &forgotten));
    ASSERT_FALSE(IconExists(owner.Handle()));

    SendMessageW(owner.Handle(), TaskbarCreatedMessage(), 0, 0);
    EXPECT_TRUE(IconExists(owner.Handle()));
    EXPECT_TRUE(tray.IsAdded());
}

TEST(TrayIcon, RetriesAFailedAdd) {
    TestWindow owner(TestWindow::Kind::hidden);
    if (!owner.Handle()) GTEST_SKIP() << "no display: the tray needs one";
    TrayAnchor anchor;
    // Another icon under the same window and id makes the shell refuse ours.
    NOTIFYICONDATAW squatter{};
    squatter.cbSize = sizeof squatter;
    squatter.hWnd = owner.Handle();
    squatter.uID = 1;
    ASSERT_TRUE(Shell_NotifyIconW(NIM_ADD, &squatter));

    TrayIcon tray;
    EXPECT_FALSE(tray.Add(GetModuleHandleW(nullptr), owner.Handle()));
    EXPECT_FALSE(tray.IsAdded());
    Shell_NotifyIconW(NIM_DELETE, &squatter);
    EXPECT_TRUE(tray.Add(GetModuleHandleW(nullptr), owner.Handle()));
    EXPECT_TRUE(tray.IsAdded());
}

// Looks at the popup menu while TrackPopupMenu runs its modal loop, then picks an item with
// the keyboard, as a user would.
struct MenuItem {
    UINT id;
    std::wstring text;
    bool separator;
    bool checked;
};
struct MenuProbe {
    std::vector<WPARAM> keys;  // pressed once the menu is open
    std::vector<MenuItem> items;
    RECT menuRect{};
    int ticks = 0;
};
MenuProbe* activeProbe = nullptr;

void CALLBACK InspectMenu(HWND, UINT, UINT_PTR, DWORD) {
    MenuProbe& probe = *activeProbe;
    if (++probe.ticks > 40) {  // give up after about two seconds
        EndMenu();
        return;
    }
    HWND menuWindow = nullptr;  // this thread's menu, not another program's
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM found) {
            wchar_t name[16]{};
            GetClassNameW(window, name, 16);
            if (std::wstring_view(name) != L"#32768") return TRUE;
            *reinterpret_cast<HWND*>(found) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&menuWindow));
    if (!menuWindow || !IsWindowVisible(menuWindow) || !probe.items.empty()) return;
    const auto menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
    GetWindowRect(menuWindow, &probe.menuRect);
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[128]{};
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_STRING | MIIM_FTYPE | MIIM_STATE;
        info.dwTypeData = text;
        info.cch = 128;
        GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
        probe.items.push_back({info.wID, text, (info.fType & MFT_SEPARATOR) != 0, (info.fState & MFS_CHECKED) != 0});
    }
    for (WPARAM key : probe.keys) PostMessageW(menuWindow, WM_KEYDOWN, key, 0);
}

TEST(TrayIcon, MenuOffersTheCommandsAndSendsTheChoiceToTheOwner) {
    TestWindow owner(TestWindow::Kind::hidden);
    if (!owner.Handle()) GTEST_SKIP() << "no display: menus need one";
    TrayAnchor anchor;
    test::DesktopLock pointer(L"pointer");
    const struct {
        bool overlayVisible;
        std::vector<WPARAM> keys;
        UINT command;
    } cases[] = {
        {true, {VK_DOWN, VK_DOWN, VK_RETURN}, kTrayDropZoneCommand},
        {false, {VK_UP, VK_RETURN}, kTrayExitCommand},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(SetCursorPos(700, 600));
        MenuProbe probe;
        probe.keys = c.keys;
        activeProbe = &probe;
        const UINT_PTR timer = SetTimer(owner.Handle(), 1, 50, InspectMenu);
        TrayIcon tray;
        tray.Add(GetModuleHandleW(nullptr), owner.Handle());  // the menu belongs to the icon's window
        tray.ShowMenu(c.overlayVisible);
        KillTimer(owner.Handle(), timer);
        activeProbe = nullptr;
        test::PumpMessages();

        ASSERT_EQ(probe.items.size(), 8u);
        const UINT ids[] = {201, 202, 203, 0, 207, 208, 0, 204};
        const wchar_t* texts[] = {L"Open Kestrane Fileweir", L"Show drop zone", L"Settings", L"", L"Undo last batch",
                                  L"Cancel this batch", L"", L"Exit"};
        for (size_t i = 0; i < 8; ++i) {
            EXPECT_EQ(probe.items[i].separator, i == 3 || i == 6) << i;
            if (i == 3 || i == 6) continue;
            EXPECT_EQ(probe.items[i].id, ids[i]);
            EXPECT_EQ(probe.items[i].text, texts[i]);
            EXPECT_EQ(probe.items[i].checked, i == 1 && c.overlayVisible) << i;
        }
        // Opened at the cursor, above it.
        EXPECT_EQ(probe.menuRect.left, 700);
        EXPECT_EQ(probe.menuRect.bottom, 600);
        EXPECT_EQ(owner.TakeCommands(), std::vector<UINT>{c.command});
    }
}

}  // namespace
}  // namespace kw
