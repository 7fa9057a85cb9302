#pragma once
// The window procedure of an object that owns its window. CreateWindowExW receives the object as
// its creation parameter; WM_NCCREATE stores it in the window's user data and its handle in the
// object, and from then on every message goes to the object's handler. Messages sent before
// WM_NCCREATE (WM_GETMINMAXINFO) get the default handling.

#include <windows.h>

namespace kw {

template <typename Owner, HWND Owner::*Handle, LRESULT (Owner::*Handler)(UINT, WPARAM, LPARAM)>
LRESULT CALLBACK OwnerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* owner = static_cast<Owner*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        owner->*Handle = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
        return DefWindowProcW(window, message, wParam, lParam);
    }
    auto* owner = reinterpret_cast<Owner*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return owner ? (owner->*Handler)(message, wParam, lParam) : DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace kw
