// Shell benchmarks: runs the real application object in this process (its folder holds the
// config.json and activity.log that the bench script prepared) and prints what the loop did.
// Modes:
//   startup            time from Run to the first rendered frame, then exit
//   idle-hidden        main window hidden: frames and loop wake-ups over 10 s with the drop zone idle
//   idle-shown         the same with the main window shown and left alone
//   batch <files>      a batch of that many files dropped on the drop zone while the main window
//                      shows: largest gap between frames, queued progress messages
// Every mode also prints the working set after start-up.

#include <windows.h>
#include <psapi.h>
#include <shlobj.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "app/App.h"
#include "model/AppFolder.h"

namespace {

void PrintMemory(const char* when) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    std::printf("RESULT memory %s: working set %.1f MB, private %.1f MB\n", when,
                static_cast<double>(counters.WorkingSetSize) / 1048576.0,
                static_cast<double>(counters.PagefileUsage) / 1048576.0);
}

void Exit(kw::App& app) { PostMessageW(app.MainWindow(), WM_COMMAND, 204, 0); }

// Hands a file list to the drop zone exactly as a shell drop without OLE would.
void DropOnOverlay(HWND overlay, const std::wstring& folder, int count) {
    std::wstring names;
    for (int i = 0; i < count; ++i) names += folder + L"\\f" + std::to_wstring(i) + L".dat" + L'\0';
    names += L'\0';
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), names.data(), names.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    SendMessageW(overlay, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "startup";
    const int files = argc > 2 ? std::atoi(argv[2]) : 20000;
    kw::App& app = kw::App::Instance();
    OleInitialize(nullptr);  // as the program does, so that its windows take OLE drops

    std::thread driver([&] {
        while (!app.MainWindow() || !app.Stats().frames) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        PrintMemory("after start-up");
        if (mode == "startup") {
            Exit(app);
        } else if (mode == "idle-hidden" || mode == "idle-shown") {
            if (mode == "idle-hidden") ShowWindow(app.MainWindow(), SW_HIDE);
            std::this_thread::sleep_for(std::chrono::seconds(1));
            const kw::LoopStats before = app.Stats();
            std::this_thread::sleep_for(std::chrono::seconds(10));
            const kw::LoopStats after = app.Stats();
            std::printf("RESULT %s 10 s: %llu frames, %llu loop wake-ups\n", mode == "idle-hidden" ? "hidden" : "shown",
                        static_cast<unsigned long long>(after.frames - before.frames),
                        static_cast<unsigned long long>(after.wakeups - before.wakeups));
            Exit(app);
        } else if (mode == "batch") {
            const std::wstring folder = (kw::AppFolder() / L"in").wstring();
            DropOnOverlay(app.OverlayHandle(), folder, files);
            const auto start = std::chrono::steady_clock::now();
            std::this_thread::sleep_for(std::chrono::seconds(1));
            while (GetFileAttributesW((folder + L"\\f" + std::to_wstring(files - 1) + L".dat").c_str()) !=
                   INVALID_FILE_ATTRIBUTES)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            std::this_thread::sleep_for(std::chrono::seconds(2));
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            const kw::LoopStats s = app.Stats();
            std::printf("RESULT batch of %d files in %.1f s: drop intake on the UI thread %.1f ms, largest gap "
                        "between frames while routing %.1f ms, %llu frames, at most %d progress message(s) queued\n",
                        files, seconds, s.lastIntakeMs, s.maxFrameGapMs, static_cast<unsigned long long>(s.frames),
                        app.MaxQueuedProgressPosts());
            Exit(app);
        }
    });
    const int code = app.Run(GetModuleHandleW(nullptr), SW_SHOWDEFAULT);
    driver.join();
    std::printf("RESULT start-up to first frame: %.1f ms\n", app.Stats().firstFrameMs);
    return code;
}
