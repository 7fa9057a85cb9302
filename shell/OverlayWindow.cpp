#include "shell/OverlayWindow.h"

#include "shell/BatchCommands.h"

#include <windowsx.h>

#include <memory>

#include "model/TextEncoding.h"
#include "shell/Dpi.h"
#include "shell/OwnerWindowProc.h"

namespace kw {
namespace {

constexpr wchar_t kClassName[] = L"KestraneFileweirOverlay";
constexpr wchar_t kTitle[] = L"Kestrane Fileweir";
constexpr int kAppIconId = 101;

struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
using UniqueGdiObject = std::unique_ptr<std::remove_pointer_t<HGDIOBJ>, GdiObjectDeleter>;

struct MenuDeleter {
    void operator()(HMENU menu) const { DestroyMenu(menu); }
};
using UniqueMenu = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDeleter>;

void DrawCenteredText(HDC dc, const std::wstring& text, RECT area, int size, int weight, COLORREF colour) {
    LOGFONTW font{};
    font.lfHeight = -size;
    font.lfWeight = weight;
    wcscpy_s(font.lfFaceName, L"Segoe UI");
    UniqueGdiObject handle(CreateFontIndirectW(&font));
    HGDIOBJ previous = SelectObject(dc, handle.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour);
    DrawTextW(dc, text.c_str(), -1, &area, DT_CENTER | DT_VCENTER | DT_WORDBREAK | DT_END_ELLIPSIS);
    SelectObject(dc, previous);
}

}  // namespace

LRESULT OverlayHitTest(POINT p, const RECT& r, int band) {
    const bool top = p.y < r.top + band;
    const bool bottom = p.y >= r.bottom - band;
    const bool left = p.x < r.left + band;
    const bool right = p.x >= r.right - band;
    if (top && left) return HTTOPLEFT;
    if (top && right) return HTTOPRIGHT;
    if (left) return bottom ? HTBOTTOMLEFT : HTLEFT;
    if (right) return bottom ? HTBOTTOMRIGHT : HTRIGHT;
    if (top) return HTTOP;
    if (bottom) return HTBOTTOM;
    return HTCAPTION;
}

int ClampOverlayAlpha(int value) { return value < 80 ? 80 : value > 255 ? 255 : value; }

OverlayWindow::~OverlayWindow() { Destroy(); }

bool OverlayWindow::Create(HINSTANCE instance, HWND ownerWindow, DropCallback callback) {
    hInstance = instance;
    owner = ownerWindow;
    onDrop = std::move(callback);

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = OwnerWindowProc<OverlayWindow, &OverlayWindow::hwnd, &OverlayWindow::HandleMessage>;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(kAppIconId));
    wc.lpszClassName = kClassName;
    RegisterClassExW(&wc);  // a second registration fails harmlessly

    CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_ACCEPTFILES | WS_EX_TOPMOST, kClassName, kTitle, WS_POPUP,
                    80, 80, 320, 200, owner, nullptr, instance, this);
    if (!hwnd) return false;

    // Both roads deliver the list unfiltered: the receiver of the drop counts and reports what it
    // cannot route ("No compatible files"), whichever way the drop came.
    drops.Attach(hwnd, [this](std::vector<std::filesystem::path> paths, POINT, DWORD keys) {
        if (onDrop) onDrop(std::move(paths), keys);
    });
    SetAlpha(alpha);
    return true;
}

void OverlayWindow::Destroy() {
    drops.Detach();
    if (hwnd) DestroyWindow(hwnd);
    hwnd = nullptr;
}

void OverlayWindow::SetStatus(const std::string& utf8Text, bool isBusy) {
    status = ToWide(utf8Text);
    busy = isBusy;
    if (hwnd) InvalidateRect(hwnd, nullptr, TRUE);
}

void OverlayWindow::SetTheme(int value) {
    theme = value;
    if (hwnd) InvalidateRect(hwnd, nullptr, TRUE);
}

void OverlayWindow::SetAlpha(int value) {
    alpha = ClampOverlayAlpha(value);
    if (!hwnd) return;
    SetLayeredWindowAttributes(hwnd, 0, static_cast<BYTE>(alpha), LWA_ALPHA);
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void OverlayWindow::SetPosition(int x, int y, int width, int height) {
    if (!hwnd) return;
    const UINT dpi = DpiOf(hwnd);
    SetWindowPos(hwnd, HWND_TOPMOST, x, y, ScaleToDpi(width, dpi), ScaleToDpi(height, dpi), SWP_NOACTIVATE);
}

void OverlayWindow::GetRect(int& x, int& y, int& width, int& height) const {
    RECT r{};
    if (!hwnd || !GetWindowRect(hwnd, &r)) return;
    const int dpi = static_cast<int>(DpiOf(hwnd));
    x = r.left;
    y = r.top;
    width = MulDiv(r.right - r.left, static_cast<int>(kDesignDpi), dpi);
    height = MulDiv(r.bottom - r.top, static_cast<int>(kDesignDpi), dpi);
}

void OverlayWindow::Show(bool show) {
    visible = show;
    if (!hwnd) return;
    ShowWindow(hwnd, show ? SW_SHOWNOACTIVATE : SW_HIDE);
    if (show) {
        SetAlpha(alpha);
        InvalidateRect(hwnd, nullptr, TRUE);
    }
}

LRESULT OverlayWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (drops.HandleMessage(message, wParam, lParam)) return 0;
    switch (message) {
        case WM_NCHITTEST: {
            // With the right button held the whole window is client area, so a right-click
            // anywhere reaches the context menu. GetAsyncKeyState reads the physical buttons:
            // with swapped buttons the user's right button is the physical left one.
            const int rightButton = GetSystemMetrics(SM_SWAPBUTTON) ? VK_LBUTTON : VK_RBUTTON;
            if (GetAsyncKeyState(rightButton) < 0) return HTCLIENT;
            RECT r{};
            GetWindowRect(hwnd, &r);
            return OverlayHitTest(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, r,
                                  ScaleToDpi(kOverlayBorderBand, DpiOf(hwnd)));
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            Paint();
            return 0;
        case WM_GETMINMAXINFO: {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            const UINT dpi = DpiOf(hwnd);
            info->ptMinTrackSize = POINT{ScaleToDpi(kOverlayMinWidth, dpi), ScaleToDpi(kOverlayMinHeight, dpi)};
            return 0;
        }
        case WM_DPICHANGED: {
            // Moved to a monitor of another scale: the size the system suggests keeps the drop
            // zone as large as it looked, and everything painted is scaled to the new DPI.
            const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(hwnd, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                         suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
            InvalidateRect(hwnd, nullptr, TRUE);
            return 0;
        }
        case WM_CONTEXTMENU: {
            POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            if (p.x == -1 && p.y == -1) {
                RECT r{};
                GetWindowRect(hwnd, &r);
                p = POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
            }
            ShowContextMenu(p);
            return 0;
        }
        case WM_NCRBUTTONUP:
            ShowContextMenu(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            return 0;
        case WM_RBUTTONUP: {
            POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            ClientToScreen(hwnd, &p);
            ShowContextMenu(p);
            return 0;
        }
        case WM_SHOWWINDOW:
            // An owned window is hidden and shown with its owner by DefWindowProc; the drop zone
            // stays where the user put it while the settings window is minimised.
            if (lParam == SW_PARENTCLOSING || lParam == SW_PARENTOPENING) return 0;
            return DefWindowProcW(hwnd, message, wParam, lParam);
        case WM_NCLBUTTONDBLCLK:
            // The whole inside answers HTCAPTION (to move the window), so a double click arrives
            // as a non-client one; on the resizing border it keeps its default meaning.
            if (wParam != HTCAPTION) return DefWindowProcW(hwnd, message, wParam, lParam);
            [[fallthrough]];
        case WM_LBUTTONDBLCLK:
            if (owner) {
                ShowWindow(owner, SW_RESTORE);
                SetForegroundWindow(owner);
                PostMessageW(owner, kOverlayDoubleClickMessage, 0, 0);
            }
            return 0;
        case WM_EXITSIZEMOVE:
            if (owner) PostMessageW(owner, WM_EXITSIZEMOVE, 0, 0);
            return 0;
        case WM_DESTROY:
            hwnd = nullptr;
            return 0;
        default:
            return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

void OverlayWindow::Paint() {
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(hwnd, &ps);
    RECT r{};
    GetClientRect(hwnd, &r);
    const bool dark = theme == 0;
    const UINT dpi = DpiOf(hwnd);
    const auto px = [dpi](int length96) { return ScaleToDpi(length96, dpi); };  // lengths designed at 96 DPI
    UniqueGdiObject brush(CreateSolidBrush(dark ? RGB(18, 24, 38) : RGB(245, 248, 255)));
    UniqueGdiObject pen(CreatePen(PS_SOLID, px(3), busy ? RGB(255, 184, 48) : RGB(0, 210, 255)));
    HGDIOBJ oldBrush = SelectObject(dc, brush.get());
    HGDIOBJ oldPen = SelectObject(dc, pen.get());
    RoundRect(dc, r.left + px(1), r.top + px(1), r.right - px(1), r.bottom - px(1), px(28), px(28));
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DrawCenteredText(dc, kTitle, RECT{r.left, r.top + px(18), r.right, r.top + px(54)}, px(20), 600,
                     dark ? RGB(255, 255, 255) : RGB(16, 24, 40));
    DrawCenteredText(dc, status, RECT{r.left + px(16), r.top + px(58), r.right - px(16), r.bottom - px(16)}, px(15),
                     400, dark ? RGB(160, 190, 210) : RGB(70, 90, 110));
    EndPaint(hwnd, &ps);
}

void OverlayWindow::ShowContextMenu(POINT screen) {
    if (!hwnd || !owner) return;
    UniqueMenu menu(CreatePopupMenu());
    if (!menu) return;
    AppendMenuW(menu.get(), MF_STRING, kCommandOpenMainWindow, L"Open main window");
    AppendMenuW(menu.get(), MF_STRING, kCommandCloseDropZone, L"Close drop zone");
    AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    // While a batch runs, an undo or a previewed drop waits for it in the queue.
    AppendMenuW(menu.get(), MF_STRING | (undoLabel.empty() ? MF_GRAYED : 0), kUndoLastBatchCommand,
                undoLabel.empty() ? L"Undo last batch" : undoLabel.c_str());
    AppendMenuW(menu.get(), MF_STRING | (busy ? 0 : MF_GRAYED), kCancelBatchCommand, L"Cancel this batch");
    if (queued) AppendMenuW(menu.get(), MF_STRING, kCancelQueuedCommand, L"Cancel queued too");
    if (previewPending) {
        AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu.get(), MF_STRING, kRoutePreviewCommand, L"Route previewed items");
        AppendMenuW(menu.get(), MF_STRING, kCancelPreviewCommand, L"Cancel preview");
    }
    AppendWatchMenu(menu.get(), watchMenu);
    SetForegroundWindow(hwnd);
    const UINT chosen = static_cast<UINT>(
        TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0, hwnd, nullptr));
    menu.reset();
    PostMessageW(hwnd, WM_NULL, 0, 0);
    if (chosen == kCommandOpenMainWindow || chosen == kCommandCloseDropZone || chosen == kUndoLastBatchCommand ||
        chosen == kCancelBatchCommand || chosen == kCancelQueuedCommand || chosen == kRoutePreviewCommand ||
        chosen == kCancelPreviewCommand || chosen == kPauseWatchingCommand || chosen == kResumeWatchingCommand)
        PostMessageW(owner, WM_COMMAND, chosen, 0);
}

}  // namespace kw
