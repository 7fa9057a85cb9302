// Process entry: per-monitor DPI awareness, the single-instance guard, OLE, then the App.

#include <ole2.h>
#include <windows.h>

#include "app/App.h"
#include "model/AppFolder.h"
#include "shell/CrashReport.h"
#include "shell/Dpi.h"

namespace {

constexpr wchar_t kInstanceMutexName[] = L"Local\\KestraneFileweir.SingleInstance.v1";

// Hands the user over to the copy that already runs; a second copy never shows anything itself.
void WakeFirstInstance() {
    HWND first = FindWindowW(kw::kMainWindowClass, nullptr);
    if (!first) return;
    // The first copy brings its window to the front when woken; only a process that may set the
    // foreground window (this one, just started by the user) can pass that right on.
    DWORD firstProcess = 0;
    GetWindowThreadProcessId(first, &firstProcess);
    if (firstProcess) AllowSetForegroundWindow(firstProcess);
    if (IsIconic(first)) ShowWindow(first, SW_RESTORE);
    SetForegroundWindow(first);
    PostMessageW(first, kw::kWakeMessage, 0, 0);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    // The manifest asks for per-monitor (v2) awareness; this call is for systems that did not
    // take it from there. It fails once the manifest has set it, and under Wine: harmless.
    kw::BecomePerMonitorDpiAware();

    HANDLE mutex = CreateMutexW(nullptr, TRUE, kInstanceMutexName);
    const DWORD mutexError = GetLastError();
    // A mutex that exists but cannot be opened belongs to a first copy with other rights (run
    // elevated): it runs all the same.
    if ((mutex && mutexError == ERROR_ALREADY_EXISTS) || (!mutex && mutexError == ERROR_ACCESS_DENIED)) {
        WakeFirstInstance();
        if (mutex) CloseHandle(mutex);
        return 0;
    }

    // A crash leaves a report beside the activity log, which the next start points to.
    kw::InstallCrashReporter(kw::AppFolder());

    // OleInitialize, not CoInitializeEx: OLE drag and drop (RegisterDragDrop) works only on a
    // thread that initialised OLE; the apartment is single-threaded either way.
    const HRESULT ole = OleInitialize(nullptr);
    const int exitCode = kw::App::Instance().Run(instance, showCommand);
    if (SUCCEEDED(ole)) OleUninitialize();
    if (mutex) {
        ReleaseMutex(mutex);
        CloseHandle(mutex);
    }
    return exitCode;
}
