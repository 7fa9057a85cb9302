#pragma once
// The real application object run in the test process, for what only the whole program shows.
// AppFolder() is this exe's folder (a build folder of its own): the test's config.json is
// written there, and what the program leaves there is removed before and after. The program's
// loop runs on the test's thread; the test body runs on a second one and reaches the program
// through OnUi, which runs a function on the UI thread between two turns of the loop. One
// program per process: ctest runs each test on its own.

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <type_traits>

#include "app/App.h"

namespace kw::test {

class LiveApp {
public:
    explicit LiveApp(const std::string& configJson);
    ~LiveApp();
    LiveApp(const LiveApp&) = delete;
    LiveApp& operator=(const LiveApp&) = delete;

    // Runs the program on this thread and `body` on another; the program exits when the body
    // ends. Returns the program's exit code.
    int Run(const std::function<void()>& body);

    // Runs `f` on the UI thread and returns its result.
    template <typename F>
    auto OnUi(F f) -> decltype(f()) {
        if constexpr (std::is_void_v<decltype(f())>) {
            RunOnUi(std::function<void()>(f));
        } else {
            std::optional<decltype(f())> result;
            RunOnUi([&] { result.emplace(f()); });
            return std::move(*result);
        }
    }
    // Asks `condition` on the UI thread until it holds; false when `seconds` passed first.
    bool WaitUntil(const std::function<bool()>& condition, int seconds = 30);

    App& app;

private:
    void RunOnUi(const std::function<void()>& f);
    static LRESULT CALLBACK HookProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND hook = nullptr;
};

}  // namespace kw::test
