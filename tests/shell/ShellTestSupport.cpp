#include "ShellTestSupport.h"

#include <string>

namespace kw::test {

namespace {

constexpr wchar_t kClassName[] = L"KwShellTestWindow";

}  // namespace

TestWindow::TestWindow(Kind kind, RECT area) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Procedure;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClassName;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    RegisterClassExW(&wc);  // already registered by an earlier window is fine
    if (kind == Kind::messageOnly) {
        window = CreateWindowExW(0, kClassName, L"shell test", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 wc.hInstance, this);
    } else {
        const DWORD style = kind == Kind::popup ? WS_POPUP | WS_VISIBLE : WS_POPUP;
        window = CreateWindowExW(WS_EX_TOPMOST, kClassName, L"shell test", style, area.left,
                                 area.top, area.right - area.left, area.bottom - area.top, nullptr, nullptr,
                                 wc.hInstance, this);
        if (window && kind == Kind::popup) UpdateWindow(window);
    }
}

TestWindow::~TestWindow() {
    if (window) DestroyWindow(window);
}

LRESULT CALLBACK TestWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<TestWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<TestWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && message == WM_COMMAND) self->commands.push_back(LOWORD(wParam));
    return DefWindowProcW(window, message, wParam, lParam);
}

DesktopLock::DesktopLock(const wchar_t* name)
    : mutex(CreateMutexW(nullptr, FALSE, (std::wstring(L"Local\\KwShellTest.") + name).c_str())) {
    // An abandoned lock (a test that crashed) is taken over like a released one.
    if (mutex) WaitForSingleObject(mutex, 60000);
}

DesktopLock::~DesktopLock() {
    if (!mutex) return;
    ReleaseMutex(mutex);
    CloseHandle(mutex);
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace kw::test
