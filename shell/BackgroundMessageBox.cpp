#include "shell/BackgroundMessageBox.h"

namespace kw {

BackgroundMessageBox::~BackgroundMessageBox() { Close(); }

void BackgroundMessageBox::Show(std::wstring text, std::wstring caption, UINT type) {
    if (open) return;
    if (thread.joinable()) thread.join();  // the last box was answered
    open = true;
    threadId = 0;
    thread = std::thread([this, text = std::move(text), caption = std::move(caption), type] {
        // The thread's message queue exists before anyone may post to it.
        MSG msg;
        PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
        threadId = GetCurrentThreadId();
        MessageBoxW(nullptr, text.c_str(), caption.c_str(), type | MB_SETFOREGROUND);
        open = false;
    });
}

void BackgroundMessageBox::Close() {
    if (!thread.joinable()) return;
    // A box with only an OK button takes WM_CLOSE as its answer; WM_QUIT ends any modal loop
    // that is still starting up. Both are repeated until the thread is done.
    for (int attempt = 0; open && attempt < 250; ++attempt) {
        if (const DWORD id = threadId) {
            EnumThreadWindows(
                id,
                [](HWND window, LPARAM) {
                    PostMessageW(window, WM_CLOSE, 0, 0);
                    return TRUE;
                },
                0);
            if (attempt % 10 == 9) PostThreadMessageW(id, WM_QUIT, 0, 0);
        }
        Sleep(20);
    }
    if (open) {
        // Five seconds without an end: the process is going, and it ends the thread with it.
        thread.detach();
        return;
    }
    thread.join();
}

}  // namespace kw
