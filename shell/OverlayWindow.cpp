#include "shell/OverlayWindow.h"

#include "shell/BatchCommands.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdint>
#include <memory>

#include "model/TextEncoding.h"
#include "shell/Dpi.h"
#include "shell/DropZoneImage.h"
#include "shell/TrayIcon.h"
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

struct DcDeleter {
    void operator()(HDC dc) const { DeleteDC(dc); }
};
using UniqueDc = std::unique_ptr<std::remove_pointer_t<HDC>, DcDeleter>;

struct IconDestroyer {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
using UniqueIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDestroyer>;

// A top-down 32-bit DIB section selected into a memory DC of its own: GDI draws into it and
// its pixels can be read and written directly.
class DibCanvas {
public:
    DibCanvas(int width, int height) : w(width), h(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // negative: rows from the top
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc.reset(CreateCompatibleDC(nullptr));
        if (!dc) return;
        bitmap.reset(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!bitmap || !bits) return;
        previous = SelectObject(dc.get(), bitmap.get());
    }
    ~DibCanvas() {
        if (previous) SelectObject(dc.get(), previous);
    }
    DibCanvas(const DibCanvas&) = delete;
    DibCanvas& operator=(const DibCanvas&) = delete;

    bool Ok() const { return previous != nullptr; }
    HDC Dc() const { return dc.get(); }
    uint32_t* Pixels() const { return static_cast<uint32_t*>(bits); }
    size_t Count() const { return static_cast<size_t>(w) * h; }
    void Fill(uint32_t value) const {
        GdiFlush();  // GDI may still be writing to the bits
        std::fill(Pixels(), Pixels() + Count(), value);
    }

private:
    int w, h;
    UniqueDc dc;
    UniqueGdiObject bitmap;
    void* bits = nullptr;
    HGDIOBJ previous = nullptr;
};

UniqueGdiObject MakeFont(int size, int weight) {
    LOGFONTW font{};
    font.lfHeight = -size;
    font.lfWeight = weight;
    // Greyscale smoothing: its coverage reads from any one channel (ClearType's differs per channel).
    font.lfQuality = ANTIALIASED_QUALITY;
    wcscpy_s(font.lfFaceName, L"Segoe UI");
    return UniqueGdiObject(CreateFontIndirectW(&font));
}

// Text drawn white on black in `mask`, centred in `area`, its coverage blended onto `pixels`.
void BlendText(DropZonePixels& pixels, const DibCanvas& mask, const std::wstring& text, RECT area, int size, int weight,
               uint32_t colour, UINT format = DT_CENTER | DT_VCENTER | DT_WORDBREAK | DT_END_ELLIPSIS) {
    if (text.empty()) return;
    mask.Fill(0);
    UniqueGdiObject font = MakeFont(size, weight);
    HGDIOBJ previous = SelectObject(mask.Dc(), font.get());
    SetBkMode(mask.Dc(), TRANSPARENT);
    SetTextColor(mask.Dc(), RGB(255, 255, 255));
    if (format & DT_WORDBREAK) {
        // DT_VCENTER centres single lines only: wrapped text is measured and centred by hand.
        RECT measured = area;
        DrawTextW(mask.Dc(), text.c_str(), -1, &measured, format | DT_CALCRECT);
        const LONG spare = (area.bottom - area.top) - (measured.bottom - measured.top);
        if (spare > 0) area.top += spare / 2;
    }
    DrawTextW(mask.Dc(), text.c_str(), -1, &area, format);
    SelectObject(mask.Dc(), previous);
    GdiFlush();
    std::vector<uint8_t> coverage(mask.Count());
    for (size_t i = 0; i < coverage.size(); ++i) coverage[i] = static_cast<uint8_t>((mask.Pixels()[i] >> 8) & 0xFF);
    BlendCoverage(pixels, coverage, colour);
}

// The application icon at `size` pixels as premultiplied ARGB. DrawIconEx blends by the icon's
// own alpha but leaves the DIB's alpha byte undefined, so the icon is drawn on black and on
// white: on black it gives the premultiplied colour, and the difference gives the alpha.
std::vector<uint32_t> IconPixels(HINSTANCE instance, int size) {
    UniqueIcon icon(static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kAppIconId), IMAGE_ICON, size, size, 0)));
    DibCanvas onBlack(size, size), onWhite(size, size);
    if (!icon || !onBlack.Ok() || !onWhite.Ok()) return {};
    onBlack.Fill(0xFF000000);
    onWhite.Fill(0xFFFFFFFF);
    DrawIconEx(onBlack.Dc(), 0, 0, icon.get(), size, size, 0, nullptr, DI_NORMAL);
    DrawIconEx(onWhite.Dc(), 0, 0, icon.get(), size, size, 0, nullptr, DI_NORMAL);
    GdiFlush();
    std::vector<uint32_t> pixels(onBlack.Count());
    for (size_t i = 0; i < pixels.size(); ++i) {
        const uint32_t black = onBlack.Pixels()[i] & 0xFFFFFF;
        const int overBlack = static_cast<int>((black >> 8) & 0xFF), overWhite = static_cast<int>((onWhite.Pixels()[i] >> 8) & 0xFF);
        const auto alpha = static_cast<uint32_t>(255 - std::clamp(overWhite - overBlack, 0, 255));
        pixels[i] = alpha << 24 | black;
    }
    return pixels;
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
    drops.DescribeDrags(DropZoneDescription);
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
    Render();
}

void OverlayWindow::SetLastBatch(const std::string& utf8Text) {
    lastBatch = ToWide(utf8Text);
    Render();
}

void OverlayWindow::SetTheme(int value) {
    theme = value;
    Render();
}

void OverlayWindow::SetAlpha(int value) {
    alpha = ClampOverlayAlpha(value);
    Render();
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
    if (show) Render();
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
        case WM_PAINT: {
            // The picture is handed over whole by UpdateLayeredWindow; a paint request only
            // needs to be validated.
            PAINTSTRUCT ps{};
            BeginPaint(hwnd, &ps);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_SIZE:
            Render();
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
            Render();
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
        case WM_NCRBUTTONDOWN:
            // A click quicker than the hit test above arrives on the caption. Taken here (an
            // application that processes it returns zero): Wine's DefWindowProc would wait for
            // the button-up itself, test it against its own hit test (client area here) and send
            // no WM_CONTEXTMENU, so a quick right-click opened no menu.
            return 0;
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

void OverlayWindow::Render() {
    if (!hwnd) return;
    RECT r{};
    if (!GetWindowRect(hwnd, &r)) return;
    const int width = r.right - r.left, height = r.bottom - r.top;
    if (width <= 0 || height <= 0) return;
    const UINT dpi = DpiOf(hwnd);
    const auto px = [dpi](int length96) { return ScaleToDpi(length96, dpi); };  // lengths designed at 96 DPI
    const DropZoneColours colours = DropZoneColoursFor(theme == 0, busy);
    DropZonePixels pixels = DropZoneShape(width, height, static_cast<float>(dpi) / kDesignDpi, colours);
    DibCanvas canvas(width, height), mask(width, height);
    if (!canvas.Ok() || !mask.Ok()) return;

    // Title row: the icon, then the name, centred together.
    const int iconSize = px(20), gap = px(8), titleSize = px(20);
    int titleWidth = 0;
    {
        UniqueGdiObject font = MakeFont(titleSize, 600);
        HGDIOBJ previous = SelectObject(mask.Dc(), font.get());
        SIZE extent{};
        if (GetTextExtentPoint32W(mask.Dc(), kTitle, static_cast<int>(wcslen(kTitle)), &extent)) titleWidth = extent.cx;
        SelectObject(mask.Dc(), previous);
    }
    const int titleTop = px(16), titleBottom = px(46);
    const int groupLeft = std::max(px(14), (width - (iconSize + gap + titleWidth)) / 2);
    const std::vector<uint32_t> icon = IconPixels(hInstance, iconSize);
    if (!icon.empty())
        BlendImage(pixels, icon, iconSize, iconSize, groupLeft, (titleTop + titleBottom - iconSize) / 2);
    BlendText(pixels, mask, kTitle, RECT{groupLeft + iconSize + gap, titleTop, width - px(14), titleBottom}, titleSize, 600,
              colours.title, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);

    // The status in the middle; the last batch's tally on the bottom line.
    const int tallyHeight = lastBatch.empty() ? 0 : px(22);
    BlendText(pixels, mask, status, RECT{px(16), px(50), width - px(16), height - px(14) - tallyHeight}, px(15), 400,
              colours.status);
    BlendText(pixels, mask, lastBatch, RECT{px(16), height - px(12) - tallyHeight, width - px(16), height - px(12)}, px(13),
              400, colours.tally, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);

    GdiFlush();
    std::copy(pixels.argb.begin(), pixels.argb.end(), canvas.Pixels());
    // Per-pixel alpha: the corners outside the rounded border are transparent (and let clicks
    // through), the edge is smooth. SourceConstantAlpha carries the opacity setting. Windows
    // refuses UpdateLayeredWindow on a window given SetLayeredWindowAttributes, so that is never
    // called here; the bits must be premultiplied by their alpha (AC_SRC_ALPHA).
    POINT origin{r.left, r.top}, source{0, 0};
    SIZE size{width, height};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(alpha), AC_SRC_ALPHA};
    UpdateLayeredWindow(hwnd, nullptr, &origin, &size, canvas.Dc(), &source, 0, &blend, ULW_ALPHA);
}

void OverlayWindow::ShowContextMenu(POINT screen) {
    if (!hwnd || !owner) return;
    UniqueMenu menu(CreatePopupMenu());
    if (!menu) return;
    AppendMenuW(menu.get(), MF_STRING, kCommandOpenMainWindow, L"Settings\u2026");
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
    AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu.get(), MF_STRING, kTrayExitCommand, L"Exit");
    SetForegroundWindow(hwnd);
    const UINT chosen = static_cast<UINT>(
        TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, 0, hwnd, nullptr));
    menu.reset();
    PostMessageW(hwnd, WM_NULL, 0, 0);
    // Every entry is a command of the application, handled by the owner as the tray's are.
    if (chosen != 0) PostMessageW(owner, WM_COMMAND, chosen, 0);
}

}  // namespace kw
