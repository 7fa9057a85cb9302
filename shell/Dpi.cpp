#include "shell/Dpi.h"

namespace kw {
namespace {

template <typename Function>
Function UserFunction(const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

UINT SystemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : kDesignDpi;
}

}  // namespace

bool BecomePerMonitorDpiAware() {
    using SetContext = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT);
    static const auto set = UserFunction<SetContext>("SetProcessDpiAwarenessContext");  // 1703
    if (!set) return false;
    return set(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2) || set(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE);
}

UINT DpiOf(HWND window) {
    using GetForWindow = UINT(WINAPI*)(HWND);
    static const auto get = UserFunction<GetForWindow>("GetDpiForWindow");  // 1607
    if (window && get)
        if (const UINT dpi = get(window)) return dpi;
    return SystemDpi();
}

int ScaleToDpi(int length, UINT dpi) { return MulDiv(length, static_cast<int>(dpi), static_cast<int>(kDesignDpi)); }

float ScaleOf(UINT dpi) { return static_cast<float>(dpi) / static_cast<float>(kDesignDpi); }

RECT WindowRectForClient(RECT client, DWORD style, DWORD exStyle, UINT dpi) {
    using AdjustForDpi = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    static const auto adjust = UserFunction<AdjustForDpi>("AdjustWindowRectExForDpi");  // 1607
    if (!adjust || !adjust(&client, style, FALSE, exStyle, dpi)) AdjustWindowRectEx(&client, style, FALSE, exStyle);
    return client;
}

}  // namespace kw
