#pragma once
// A message box on a thread of its own, for news the user should see but need not answer before
// going on: the program's loop keeps drawing, routing and logging while it is open. One box at
// a time; it is closed (as if answered) by Close or when the object goes.

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

namespace kw {

class BackgroundMessageBox {
public:
    BackgroundMessageBox() = default;
    ~BackgroundMessageBox();  // Close
    BackgroundMessageBox(const BackgroundMessageBox&) = delete;
    BackgroundMessageBox& operator=(const BackgroundMessageBox&) = delete;

    // MessageBoxW without an owner; ignored while an earlier box is still open.
    void Show(std::wstring text, std::wstring caption, UINT type);
    void Close();
    bool IsOpen() const { return open; }

private:
    std::thread thread;
    std::atomic<DWORD> threadId{0};
    std::atomic<bool> open{false};
};

}  // namespace kw
