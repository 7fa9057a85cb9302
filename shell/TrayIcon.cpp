#include "shell/TrayIcon.h"

#include "shell/BatchCommands.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <type_traits>

namespace kw {

namespace {

constexpr UINT kIconId = 1;
constexpr WORD kIconResource = 101;
constexpr wchar_t kTooltip[] = L"Kestrane Fileweir";
// NIF_SHOWTIP: with NOTIFYICON_VERSION_4 the shell hides the standard tooltip unless asked.
constexpr UINT kBaseFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;

struct MenuDestroyer {
    void operator()(HMENU menu) const { DestroyMenu(menu); }
};
using UniqueMenu = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDestroyer>;

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }

template <size_t N>
void CopyToField(std::wstring_view text, wchar_t (&field)[N]) {
    const std::wstring_view fitted = FitToField(text, N);
    std::copy(fitted.begin(), fitted.end(), field);
    field[fitted.size()] = L'\0';
}

}  // namespace

std::wstring_view FitToField(std::wstring_view text, size_t capacity) {
    if (text.size() < capacity) return text;
    if (capacity == 0) return {};
    const std::wstring_view cut = text.substr(0, capacity - 1);
    return (!cut.empty() && IsHighSurrogate(cut.back())) ? cut.substr(0, cut.size() - 1) : cut;
}

UINT TaskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

TrayIcon::TrayIcon() : data{} { data.cbSize = sizeof data; }

TrayIcon::~TrayIcon() { Remove(); }

bool TrayIcon::Add(HINSTANCE iconModule, HWND ownerWindow) {
    if (added) return true;
    module = iconModule;
    owner = ownerWindow;
    wanted = true;
    // Run elevated, the program would not hear a new taskbar: UIPI blocks registered messages
    // from the lower-integrity Explorer unless the window lets this one through.
    ChangeWindowMessageFilterEx(owner, TaskbarCreatedMessage(), MSGFLT_ALLOW, nullptr);
    data = NOTIFYICONDATAW{};
    data.cbSize = sizeof data;
    data.hWnd = owner;
    data.uID = kIconId;
    data.uFlags = kBaseFlags;
    data.uCallbackMessage = kTrayCallbackMessage;
    // Icons from LoadIconW are shared and must not be destroyed. A module without the
    // application icon (a test program) still gets a visible one.
    data.hIcon = LoadIconW(module, MAKEINTRESOURCEW(kIconResource));
    if (!data.hIcon) data.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    static_assert(std::size(kTooltip) <= std::size(decltype(data.szTip){}));
    ApplyTip();
    added = Shell_NotifyIconW(NIM_ADD, &data) == TRUE;
    data.uVersion = NOTIFYICON_VERSION_4;
    Shell_NotifyIconW(NIM_SETVERSION, &data);
    return added;
}

bool TrayIcon::HandleTaskbarCreated(UINT message) {
    if (message != TaskbarCreatedMessage()) return false;
    // The new taskbar knows nothing of the icon: add it as new, even if it counted as added.
    if (wanted) {
        added = false;
        Add(module, owner);
    }
    return true;
}

void TrayIcon::SetTip(TipLine line, const std::wstring& text) {
    std::wstring& shown = tipLines[static_cast<size_t>(line)];
    if (text == shown) return;
    shown = text;
    ApplyTip();
    if (added) Shell_NotifyIconW(NIM_MODIFY, &data);
}

void TrayIcon::ApplyTip() {
    std::wstring text = kTooltip;
    for (const std::wstring& line : tipLines)
        if (!line.empty()) text += L"\n" + line;
    CopyToField(text, data.szTip);  // 128 units with the NUL (NOTIFYICONDATAW.szTip)
}

void TrayIcon::Remove() {
    wanted = false;
    if (!added) return;
    Shell_NotifyIconW(NIM_DELETE, &data);
    added = false;
}

void TrayIcon::ShowBalloon(const std::wstring& title, const std::wstring& text) {
    if (!added) return;
    data.uFlags = kBaseFlags | NIF_INFO;
    CopyToField(title, data.szInfoTitle);
    CopyToField(text, data.szInfo);
    data.dwInfoFlags = NIIF_INFO;
    Shell_NotifyIconW(NIM_MODIFY, &data);
    // Later modifications must not show the balloon again.
    data.uFlags = kBaseFlags;
}

void TrayIcon::ShowMenu(bool overlayVisible, bool batchRunning, bool previewPending, bool queued,
                        const std::wstring& undoLabel) {
    POINT cursor{};
    GetCursorPos(&cursor);
    UniqueMenu menu(CreatePopupMenu());
    if (!menu) return;
    AppendMenuW(menu.get(), MF_STRING, kTrayOpenCommand, L"Open Kestrane Fileweir");
    AppendMenuW(menu.get(), MF_STRING | (overlayVisible ? MF_CHECKED : MF_UNCHECKED), kTrayDropZoneCommand,
                L"Show drop zone");
    AppendMenuW(menu.get(), MF_STRING, kTraySettingsCommand, L"Settings");
    AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    // While a batch runs, an undo or a previewed drop waits for it in the queue.
    AppendMenuW(menu.get(), MF_STRING | (undoLabel.empty() ? MF_GRAYED : 0), kUndoLastBatchCommand,
                undoLabel.empty() ? L"Undo last batch" : undoLabel.c_str());
    AppendMenuW(menu.get(), MF_STRING | (batchRunning ? 0 : MF_GRAYED), kCancelBatchCommand, L"Cancel this batch");
    if (queued) AppendMenuW(menu.get(), MF_STRING, kCancelQueuedCommand, L"Cancel queued too");
    if (previewPending) {
        AppendMenuW(menu.get(), MF_STRING, kRoutePreviewCommand, L"Route previewed items");
        AppendMenuW(menu.get(), MF_STRING, kCancelPreviewCommand, L"Cancel preview");
    }
    AppendWatchMenu(menu.get(), watchMenu);
    AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu.get(), MF_STRING, kTrayExitCommand, L"Exit");
    // Without the foreground the menu would not close when the user clicks elsewhere.
    SetForegroundWindow(owner);
    TrackPopupMenu(menu.get(), TPM_BOTTOMALIGN | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, owner, nullptr);
    // Forces the task switch Windows needs so the menu shows properly the next time.
    PostMessageW(owner, WM_NULL, 0, 0);
}

}  // namespace kw
