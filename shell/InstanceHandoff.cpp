#include "shell/InstanceHandoff.h"

#include <thread>
#include <vector>

namespace kw {

HWND FindRunningCopy(const wchar_t* windowClass, std::chrono::milliseconds patience) {
    const auto until = std::chrono::steady_clock::now() + patience;
    for (;;) {
        if (HWND window = FindWindowW(windowClass, nullptr)) return window;
        if (std::chrono::steady_clock::now() >= until) return nullptr;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

HandOverResult HandOver(HWND target, const IntakeRequest& request, HWND replyWindow) {
    const std::vector<std::byte> bytes = EncodeIntake(request);
    COPYDATASTRUCT data{};
    data.dwData = kIntakeTag;
    data.cbData = static_cast<DWORD>(bytes.size());
    data.lpData = const_cast<std::byte*>(bytes.data());  // read-only for the receiver
    // WM_COPYDATA must be sent, not posted: the data lives only while the message is handled.
    DWORD_PTR answer = FALSE;
    SetLastError(0);
    if (!SendMessageTimeoutW(target, WM_COPYDATA, reinterpret_cast<WPARAM>(replyWindow), reinterpret_cast<LPARAM>(&data),
                             SMTO_ABORTIFHUNG, 30000, &answer)) {
        // A copy running with higher rights (as administrator) does not take lists from this
        // one: User Interface Privilege Isolation refuses the message with access denied.
        // ERROR_TIMEOUT: no answer in time (SendMessageTimeout); the list may still have been
        // taken, so nothing is said about its items that is not known.
        const DWORD error = GetLastError();
        if (error == ERROR_ACCESS_DENIED) return HandOverResult::notAllowed;
        return error == ERROR_TIMEOUT ? HandOverResult::unconfirmed : HandOverResult::noAnswer;
    }
    return answer == TRUE ? HandOverResult::accepted : HandOverResult::refused;
}

std::string HandOverProblem(HandOverResult result, size_t items) {
    switch (result) {
        case HandOverResult::accepted: return {};
        case HandOverResult::refused: return "The running Kestrane Fileweir did not take the list.";
        case HandOverResult::notAllowed:
            return "The running Kestrane Fileweir runs as administrator and takes no lists from programs that do not.";
        case HandOverResult::unconfirmed:
            return "Handed over " + std::to_string(items) +
                   " item(s), but Kestrane Fileweir did not confirm it took them; see its Activity tab for what was "
                   "routed.";
        case HandOverResult::noAnswer: break;
    }
    return "The running Kestrane Fileweir did not answer.";
}

ReplyWindow::ReplyWindow() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &ReplyWindow::Procedure;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kReplyWindowClass;
    RegisterClassExW(&wc);
    window = CreateWindowExW(0, kReplyWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    if (!window) return;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    // Run as administrator, this process would not hear a running copy with normal rights.
    ChangeWindowMessageFilterEx(window, WM_COPYDATA, MSGFLT_ALLOW, nullptr);
}

ReplyWindow::~ReplyWindow() {
    if (window) DestroyWindow(window);
}

ReplyWindow::Outcome ReplyWindow::Wait(HWND target, const std::function<void(const std::string&)>& onLine) {
    lineSink = onLine;
    constexpr UINT_PTR kCheckTimer = 1;
    SetTimer(window, kCheckTimer, 500, nullptr);
    MSG message;
    while (!outcome) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0 || got == -1) break;
        if (message.message == WM_TIMER && message.hwnd == window && !IsWindow(target)) {
            outcome = Outcome{1, "Kestrane Fileweir closed before the batch ended."};
            break;
        }
        DispatchMessageW(&message);
    }
    KillTimer(window, kCheckTimer);
    return outcome.value_or(Outcome{1, "Kestrane Fileweir closed before the batch ended."});
}

LRESULT CALLBACK ReplyWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<ReplyWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message != WM_COPYDATA || !self) return DefWindowProcW(window, message, wParam, lParam);
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (!data || data->cbData > kMaxIntakeBytes || (data->cbData > 0 && !data->lpData)) return FALSE;
    if (data->dwData == kReplyLinesTag) {
        const std::string text(static_cast<const char*>(data->lpData), data->cbData);
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find('\n', start);
            if (end == std::string::npos) end = text.size();
            if (self->lineSink) self->lineSink(text.substr(start, end - start));
            start = end + 1;
        }
        return TRUE;
    }
    if (data->dwData == kReplyDoneTag) {
        Outcome done;
        if (!DecodeDone(data->lpData, data->cbData, done.exitCode, done.text)) return FALSE;
        self->outcome = std::move(done);
        return TRUE;
    }
    return FALSE;
}

}  // namespace kw
