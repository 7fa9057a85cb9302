#include "app/live/LiveApp.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <thread>

#include "model/AppFolder.h"
#include "support/TempDir.h"

namespace kw::test {
namespace {

constexpr UINT kRunOnUiMessage = WM_APP + 40;

void RemoveLeftovers() {
    for (const wchar_t* name : {L"config.json", L"config.json.tmp", L"activity.log", L"journal.key", L"Unsorted",
                                L"history.jsonl", L"session.marker"})
        RemoveTree(AppFolder() / name);
}

}  // namespace

LiveApp::LiveApp(const std::string& configJson) : app(App::Instance()) {
    static bool used = false;
    if (used) ADD_FAILURE() << "one program per process: run each live test on its own";
    used = true;
    RemoveLeftovers();
    std::ofstream(AppFolder() / L"config.json", std::ios::binary) << configJson;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = HookProcedure;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KwLiveAppHook";
    RegisterClassExW(&wc);
    hook = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
}

LiveApp::~LiveApp() {
    if (hook) DestroyWindow(hook);
    RemoveLeftovers();
}

int LiveApp::Run(const std::function<void()>& body) {
    std::atomic<bool> finished{false};
    std::thread driver([&] {
        body();
        // Exit, as the tray menu's command does (the loop may still be starting).
        for (int attempt = 0; attempt < 600; ++attempt) {
            const HWND window = OnUi([&] { return app.MainWindow(); });
            if (!window || PostMessageW(window, WM_COMMAND, 204, 0)) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        finished = true;
    });
    const int code = app.Run(GetModuleHandleW(nullptr), SW_SHOWNORMAL);
    // The program has ended (or never started): the body's calls are still answered here.
    while (!finished) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    driver.join();
    return code;
}

bool LiveApp::WaitUntil(const std::function<bool()>& condition, int seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!OnUi(condition)) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

void LiveApp::RunOnUi(const std::function<void()>& f) {
    SendMessageW(hook, kRunOnUiMessage, 0, reinterpret_cast<LPARAM>(&f));
}

LRESULT CALLBACK LiveApp::HookProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kRunOnUiMessage) return DefWindowProcW(window, message, wParam, lParam);
    (*reinterpret_cast<const std::function<void()>*>(lParam))();
    return 0;
}

}  // namespace kw::test
