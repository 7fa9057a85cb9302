#include "app/App.h"

namespace kw {

App& App::Instance() {
    static App app;
    return app;
}

int App::Run(HINSTANCE instance, int /*showCommand*/) {
    hInstance = instance;
    // The shell (windows, drop zone, tray, routing) is not wired in yet.
    return 0;
}

}  // namespace kw
