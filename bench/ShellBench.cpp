// Shell benchmarks: runs the real application object in this process (its folder holds the
// config.json and activity.log that the bench script prepared) and prints what the loop did.
// Modes:
//   startup            time from Run to the first rendered frame, then exit
//   idle-hidden        main window hidden: frames and loop wake-ups over 10 s with the drop zone idle
//   idle-shown         the same with the main window shown and left alone
//   batch <files>      a batch of that many files dropped on the drop zone while the main window
//                      shows: largest gap between frames, queued progress messages
//   drop-folder <files> a real OLE drag of the folder "in" (holding that many files) onto the
//                      drop zone with folder expansion on: time until the target's Drop returns
//                      to the dragging program, largest gap between frames while the folder is
//                      listed and while its files are routed
//   glyphs             500 log lines holding 3,000 distinct CJK characters added at once while the
//                      window shows: time until every one is drawn from a real glyph, the
//                      builder's time, the longest the window thread answered no message and
//                      spent swapping the atlas in, and the memory the glyphs added
// Every mode also prints the working set after start-up.

#include <windows.h>
#include <psapi.h>
#include <shlobj.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "app/App.h"
#include "model/AppFolder.h"

namespace {

PROCESS_MEMORY_COUNTERS PrintMemory(const char* when) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    std::printf("RESULT memory %s: working set %.1f MB, private %.1f MB\n", when,
                static_cast<double>(counters.WorkingSetSize) / 1048576.0,
                static_cast<double>(counters.PagefileUsage) / 1048576.0);
    return counters;
}

// A log line of six CJK ideographs from `first` on, UTF-8.
std::string IdeographLine(int line, char32_t first) {
    std::string text = "2026-03-09 14:05:31 | [ok] C:\\Inbox\\";
    for (char32_t c = first; c < first + 6; ++c) {
        text += static_cast<char>(0xE0 | (c >> 12));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    }
    return text + std::to_string(line) + ".pdf -> D:\\Docs (Moved via Documents)";
}

void Exit(kw::App& app) { PostMessageW(app.MainWindow(), WM_COMMAND, 204, 0); }

// Runs a function on the UI thread (between two turns of the program's loop), so that the
// driver reads the program's state without racing it.
constexpr UINT kRunOnUi = WM_APP + 40;
HWND uiHook = nullptr;
LRESULT CALLBACK UiHookProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kRunOnUi) return DefWindowProcW(window, message, wParam, lParam);
    (*reinterpret_cast<const std::function<void()>*>(lParam))();
    return 0;
}
void OnUi(const std::function<void()>& f) { SendMessageW(uiHook, kRunOnUi, 0, reinterpret_cast<LPARAM>(&f)); }

// Drops after a few polls over the target, as a user letting go of the button, and notes when.
class DropSource final : public IDropSource {
public:
    explicit DropSource(POINT point) : point(point) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropSource)) {
            *object = static_cast<IDropSource*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL, DWORD) override {
        SetCursorPos(point.x, point.y);
        if (++polls < 6) return S_OK;
        dropped = std::chrono::steady_clock::now();
        return DRAGDROP_S_DROP;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
    std::chrono::steady_clock::time_point dropped;

private:
    POINT point;
    int polls = 0;
};

// Drags `folder` with the shell's own data object (as Explorer would) onto the middle of
// `target`; returns the milliseconds from letting go until DoDragDrop returned, or -1.
double DragFolderOnto(HWND target, const std::wstring& folder) {
    if (FAILED(OleInitialize(nullptr))) return -1;
    double elapsed = -1;
    PIDLIST_ABSOLUTE parent = ILCreateFromPathW(std::filesystem::path(folder).parent_path().c_str());
    PIDLIST_ABSOLUTE item = ILCreateFromPathW(folder.c_str());
    IShellFolder* desktop = nullptr;
    IShellFolder* parentFolder = nullptr;
    IDataObject* data = nullptr;
    if (parent && item && SUCCEEDED(SHGetDesktopFolder(&desktop)) &&
        SUCCEEDED(desktop->BindToObject(parent, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&parentFolder)))) {
        PCUITEMID_CHILD child = ILFindLastID(item);
        if (SUCCEEDED(parentFolder->GetUIObjectOf(nullptr, 1, &child, IID_IDataObject, nullptr,
                                                  reinterpret_cast<void**>(&data)))) {
            RECT r{};
            GetWindowRect(target, &r);
            DropSource source({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
            DWORD effect = DROPEFFECT_NONE;
            if (DoDragDrop(data, &source, DROPEFFECT_COPY | DROPEFFECT_MOVE, &effect) == DRAGDROP_S_DROP)
                elapsed = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - source.dropped).count();
            data->Release();
        }
        parentFolder->Release();
    }
    if (desktop) desktop->Release();
    ILFree(item);
    ILFree(parent);
    OleUninitialize();
    return elapsed;
}

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
                        "between frames while routing %.1f ms, gaps over 50 ms %llu of %llu, %llu frames, at most %d "
                        "progress message(s) queued\n",
                        files, seconds, s.lastIntakeMs, s.maxFrameGapMs, static_cast<unsigned long long>(s.gapsOver50Ms),
                        static_cast<unsigned long long>(s.framesWhileRouting), static_cast<unsigned long long>(s.frames),
                        app.MaxQueuedProgressPosts());
            Exit(app);
        } else if (mode == "glyphs") {
            const PROCESS_MEMORY_COUNTERS before = PrintMemory("before the glyphs");
            // The window thread's answers to WM_NULL, every 5 ms, from here: how long it is held up.
            std::atomic<bool> probing{true};
            std::atomic<double> longestAnswerMs{0.0};
            std::thread probe([&] {
                while (probing) {
                    const auto sent = std::chrono::steady_clock::now();
                    DWORD_PTR result = 0;
                    SendMessageTimeoutW(app.MainWindow(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &result);
                    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - sent).count();
                    if (ms > longestAnswerMs) longestAnswerMs = ms;
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
                }
            });
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            const auto start = std::chrono::steady_clock::now();
            OnUi([&] {
                for (int line = 0; line < 500; ++line) app.AddLog(IdeographLine(line, 0x4E00 + 6 * line));
            });
            kw::RenderHost::GlyphFigures figures;
            for (bool drawn = false; !drawn;) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
                OnUi([&] {
                    figures = app.Glyphs();
                    drawn = figures.characters >= 3000 && !app.GlyphsPending();
                });
            }
            const double growMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            probing = false;
            probe.join();
            const PROCESS_MEMORY_COUNTERS after = PrintMemory("after the glyphs");
            std::printf("RESULT glyphs for 500 log lines with 3000 distinct CJK characters: drawn after %.1f ms (the "
                        "builder's last build %.1f ms, %d atlas(es) swapped in); longest the window answered no message "
                        "%.1f ms, longest swap %.1f ms (target <= 50); memory added: private %.1f MB, working set %.1f MB\n",
                        growMs, figures.buildMs, figures.swaps, longestAnswerMs.load(), figures.longestSwapMs,
                        (static_cast<double>(after.PagefileUsage) - static_cast<double>(before.PagefileUsage)) / 1048576.0,
                        (static_cast<double>(after.WorkingSetSize) - static_cast<double>(before.WorkingSetSize)) / 1048576.0);
            Exit(app);
        } else if (mode == "drop-folder") {
            const std::wstring folder = (kw::AppFolder() / L"in").wstring();
            const auto start = std::chrono::steady_clock::now();
            const double dropMs = DragFolderOnto(app.OverlayHandle(), folder);
            bool done = false;
            while (!done) {
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
                OnUi([&] { done = app.StatusText().rfind("Done", 0) == 0 || app.StatusText() == "No files to route."; });
            }
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            kw::LoopStats s;
            std::string status;
            OnUi([&] {
                s = app.Stats();
                status = app.StatusText();
            });
            std::printf("RESULT drop of a folder holding %d files: Drop returned to the dragging program after %.1f ms; "
                        "largest gap between frames while listing %.1f ms, over the whole batch %.1f ms; %.1f s in "
                        "all (%s)\n",
                        files, dropMs, s.maxListingFrameGapMs, s.maxFrameGapMs, seconds, status.c_str());
            Exit(app);
        }
    });
    WNDCLASSEXW hookClass{};
    hookClass.cbSize = sizeof hookClass;
    hookClass.lpfnWndProc = UiHookProcedure;
    hookClass.hInstance = GetModuleHandleW(nullptr);
    hookClass.lpszClassName = L"KwShellBenchHook";
    RegisterClassExW(&hookClass);
    uiHook = CreateWindowExW(0, hookClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             hookClass.hInstance, nullptr);
    const int code = app.Run(GetModuleHandleW(nullptr), SW_SHOWDEFAULT);
    driver.join();
    std::printf("RESULT start-up to first frame: %.1f ms\n", app.Stats().firstFrameMs);
    return code;
}
