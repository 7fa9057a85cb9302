// Items named on a command line: this copy's own at start, or lists other processes hand over
// (a drop on the exe, Send To, the Explorer menu, `route` in a console). They are gathered for a
// moment, so that one process per selected item still makes one batch, then routed as a drop.

#include <algorithm>

#include "app/App.h"
#include "model/TextEncoding.h"
#include "shell/InstanceHandoff.h"

namespace kw {
namespace {

bool IsReplyWindow(HWND window) {
    wchar_t name[64] = {};
    return window && GetClassNameW(window, name, 64) > 0 && std::wstring_view(name) == kReplyWindowClass;
}

}  // namespace

void App::TakeCommandLine(IntakeRequest request, std::uintptr_t waiter) {
    inbox.Add(std::move(request), waiter, GetTickCount64());
    ArmCommandLineTimer();
}

LRESULT App::OnCopyData(HWND sender, const COPYDATASTRUCT* data) {
    if (!data || data->dwData != kIntakeTag) return FALSE;
    if (!running) return FALSE;  // closing: the sender keeps its items and says so
    // Too large to be a list: refused here, before a byte is copied.
    if (data->cbData > kMaxIntakeBytes || (data->cbData > 0 && !data->lpData)) {
        refusedLists.push_back("Refused a list of items from another program (wrong size).");
        ArmCommandLineTimer();
        return FALSE;
    }
    // The data lives only while this message is handled: copied, and read on the inbox's thread
    // (a list of a hundred thousand paths must not stop the window, nor keep its sender waiting).
    // Only a `route --wait` process's own reply window is answered: the sender names it.
    inbox.Take(data->lpData, data->cbData, IsReplyWindow(sender) ? reinterpret_cast<std::uintptr_t>(sender) : 0,
               GetTickCount64());
    return TRUE;
}

void App::TakeArrivedLists() {
    for (std::string& refused : inbox.TakeRefusals()) refusedLists.push_back(std::move(refused));
    ArmCommandLineTimer();
}

void App::ArmCommandLineTimer() {
    if (!mainWindow || !initDone) return;  // Init arms it once the program can route
    std::optional<uint64_t> due = inbox.NextDue();
    if (!refusedLists.empty()) due = GetTickCount64();
    if (!due) return;
    const uint64_t now = GetTickCount64();
    const UINT delay = *due > now ? static_cast<UINT>(*due - now) : 0;
    // Given the id of a timer the window has, SetTimer resets it.
    SetTimer(mainWindow, kCommandLineTimer, std::max<UINT>(delay, USER_TIMER_MINIMUM), nullptr);
}

void App::RouteDueCommandLines() {
    if (mainWindow) KillTimer(mainWindow, kCommandLineTimer);
    for (const std::string& refused : refusedLists) AddLog(refused);
    refusedLists.clear();
    for (GatheredBatch& batch : inbox.TakeDue(GetTickCount64())) RouteCommandLineBatch(std::move(batch));
    ArmCommandLineTimer();
}

void App::RouteCommandLineBatch(GatheredBatch batch) {
    std::vector<HWND> waiters;
    for (std::uintptr_t waiter : batch.waiters) waiters.push_back(reinterpret_cast<HWND>(waiter));
    for (const std::string& note : batch.notes) AddLog("Command line: " + note);
    const int count = static_cast<int>(batch.paths.size());
    if (count == 0) {
        statusText = "Nothing to route from the command line \xE2\x80\x94 see the Activity tab.";
        redrawRequested = true;
        AnswerWaiters(waiters, {}, 1, "Nothing was routed.");
        return;
    }
    AddLog("From the command line: " + std::to_string(count) + " item(s).");
    intakeWaiters = std::move(waiters);
    // Looked at already: by the inbox, or by this copy as it started (a look at each of many
    // thousand paths would stop the window).
    RouteOrPreview(std::move(batch.paths), batch.preview, BatchOptions{batch.copy});
    // The intake made no batch and no preview (the items went, or the program is closing).
    if (!intakeWaiters.empty()) AnswerWaiters(intakeWaiters, {}, 1, statusText.empty() ? "Nothing was routed." : statusText);
}

void App::AnswerWaiters(std::vector<HWND>& waiters, const std::vector<std::string>& lines, int exitCode,
                        const std::string& text) {
    // Sent from a thread of their own: a waiting console that stalls never stops the window.
    waiterReplies.Answer(waiters, mainWindow, lines, exitCode, text);
    waiters.clear();
}

void App::EndCommandLines() {
    if (mainWindow) KillTimer(mainWindow, kCommandLineTimer);
    for (GatheredBatch& batch : inbox.TakeAll()) {
        if (!batch.paths.empty())
            AddLog("Not routed as the program closed: " + std::to_string(batch.paths.size()) +
                   " item(s) from the command line; they stay where they were.");
        std::vector<HWND> waiters;
        for (std::uintptr_t waiter : batch.waiters) waiters.push_back(reinterpret_cast<HWND>(waiter));
        AnswerWaiters(waiters, {}, 1, "Kestrane Fileweir closed before routing these items; nothing was moved.");
    }
    AnswerWaiters(previewWaiters, {}, 1, "Kestrane Fileweir closed with the preview open; nothing was moved.");
}

}  // namespace kw
