#pragma once
// The side of a second process that hands its list to the copy already running: find that copy's
// main window (waiting while it is still starting), send the list as WM_COPYDATA, and, for
// `route --wait`, take the replies on a message-only window of its own until the batch ends.

#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "shell/IntakeMessage.h"

namespace kw {

inline constexpr wchar_t kReplyWindowClass[] = L"KestraneFileweirReply";

// The running copy's main window; waits up to `patience` for one that is still starting.
HWND FindRunningCopy(const wchar_t* windowClass, std::chrono::milliseconds patience);

// `unconfirmed`: the list was sent but no answer came in time; whether it was taken, and what
// became of it, only the running copy's Activity tab can say.
enum class HandOverResult { accepted, refused, noAnswer, notAllowed, unconfirmed };
HandOverResult HandOver(HWND target, const IntakeRequest& request, HWND replyWindow);
// The words for a result other than accepted, about a list of `items` item(s).
std::string HandOverProblem(HandOverResult result, size_t items);

// A message-only window that hears the replies for one request.
class ReplyWindow {
public:
    ReplyWindow();
    ~ReplyWindow();
    ReplyWindow(const ReplyWindow&) = delete;
    ReplyWindow& operator=(const ReplyWindow&) = delete;

    HWND Handle() const { return window; }
    struct Outcome {
        int exitCode = 1;
        std::string text;
    };
    // Runs until the final reply, passing each line on as it comes; ends with exit code 1 when
    // `target` goes away first (the running copy was closed).
    Outcome Wait(HWND target, const std::function<void(const std::string& line)>& onLine);

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND window = nullptr;
    std::function<void(const std::string&)> lineSink;
    std::optional<Outcome> outcome;
};

}  // namespace kw
