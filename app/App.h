#pragma once
// The process-wide application object: owns every long-lived piece of the shell and runs the
// message loop on the UI thread.

#include <windows.h>

namespace kw {

class App {
public:
    static App& Instance();

    App(const App&) = delete;
    App& operator=(const App&) = delete;

    // Exit code: 1 when start-up failed, else 0.
    int Run(HINSTANCE instance, int showCommand);

private:
    App() = default;

    HINSTANCE hInstance = nullptr;
};

}  // namespace kw
