#pragma once
// Windows for shell tests, recording the commands they receive: a message-only window (works
// without a display), or a hidden or visible top-level popup (both need one).

#include <windows.h>

#include <utility>
#include <vector>

namespace kw::test {

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

// Dispatches whatever is queued for this thread.
void PumpMessages();

}  // namespace kw::test
