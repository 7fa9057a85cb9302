// Log-off and shutdown while the program runs. Once WM_ENDSESSION has been answered the process
// may be ended at any moment, so everything that must outlive it is done before the answer: a
// running batch stops after the item in hand, every item it handled gets its log line, and the
// settings are saved.

#include "app/App.h"
#include "history/CrashRecovery.h"

namespace kw {

bool App::OnQueryEndSession() {
    // The session may end; while a batch runs the user is told why ending takes a moment. (Wine
    // shows no such list; Windows shows the reason beside the program's name.)
    if (routeJob.IsRunning())
        ShutdownBlockReasonCreate(mainWindow, L"Finishing the file being moved and writing the activity log.");
    return true;
}

void App::OnEndSession(bool ending) {
    if (ending) {
        routeJob.DropQueued();
        routeJob.RequestStop();
        routeJob.Wait();  // the item in hand ends; the result is in the hand-over by now
        PumpJobEvents();
        HistoryLoaded(true);  // a crash's leftovers are logged now or never
        SaveSettings();
        EndSession(SessionMarkerPath());  // ending with the session is no crash
    }
    ShutdownBlockReasonDestroy(mainWindow);
}

}  // namespace kw
