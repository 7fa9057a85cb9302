// Process entry: per-monitor DPI awareness, the single-instance guard, OLE, then the App.

#include <ole2.h>
#include <windows.h>

#include "app/App.h"
#include "app/CommandLineRun.h"
#include "model/AppFolder.h"
#include "model/DataFolder.h"
#include "shell/CrashReport.h"
#include "shell/Dpi.h"

namespace {

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

    // `--help`, `--version`, an unknown option and `route` answer in the console and never
    // become the running copy.
    const kw::CommandLine line = kw::ParseCommandLine(kw::ProcessArguments());
    if (line.mode != kw::CommandLine::Mode::start && line.mode != kw::CommandLine::Mode::open)
        return kw::RunConsoleCommand(line);

    HANDLE mutex = CreateMutexW(nullptr, TRUE, kw::kInstanceMutexName);
    const DWORD mutexError = GetLastError();
    // A mutex that exists but cannot be opened belongs to a first copy with other rights (run
    // elevated): it runs all the same.
    if ((mutex && mutexError == ERROR_ALREADY_EXISTS) || (!mutex && mutexError == ERROR_ACCESS_DENIED)) {
        if (mutex) CloseHandle(mutex);
        // Paths from the shell (a drop on the exe, Send To, the Explorer menu) go to the copy
        // that runs, which routes them; without paths this start only wakes it.
        if (line.mode == kw::CommandLine::Mode::open) return kw::HandPathsToRunningCopy(line);
        WakeFirstInstance();
        return 0;
    }
    if (line.mode == kw::CommandLine::Mode::open) kw::App::Instance().TakeCommandLine(kw::RequestFromShell(line));

    // A crash leaves a report in the data folder (beside the program, or in the local one when
    // the program's folder cannot be written), which the next start points to.
    kw::InstallCrashReporter(kw::DataFolder().folder);

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
