#pragma once
// What shell tests share: windows that record the commands they receive, and locks on state
// that every program on the desktop shares.

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace kw::test {

// A message-only window (works without a display), or a hidden or visible top-level popup
// (both need one).
class TestWindow {
public:
    enum class Kind { messageOnly, hidden, popup };
    // A popup covers `area` in screen coordinates.
    explicit TestWindow(Kind kind, RECT area = {100, 100, 300, 300});
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    // Null when the window could not be created (a popup without a display).
    HWND Handle() const { return window; }
    // WM_COMMAND identifiers in the order they arrived since the last call.
    std::vector<UINT> TakeCommands() { return std::exchange(commands, {}); }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window = nullptr;
    std::vector<UINT> commands;
};

// Serialises tests on state shared by every program on the desktop (the mouse pointer and
// menu mode, a registry value), since test programs run side by side.
class DesktopLock {
public:
    explicit DesktopLock(const wchar_t* name);  // waits up to a minute for other holders
    ~DesktopLock();
    DesktopLock(const DesktopLock&) = delete;
    DesktopLock& operator=(const DesktopLock&) = delete;

private:
    HANDLE mutex;
};

// Dispatches whatever is queued for this thread.
void PumpMessages();

}  // namespace kw::test
