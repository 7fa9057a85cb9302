#pragma once
// The whole settings window in a headless ImGui harness, with the application's side (status
// line, log, hotkey capture, folder warning, actions) and the platform services replaced by
// recorders. `changed` is the last frame's flag; `changedFrames` counts frames that set it.

#include <deque>
#include <string>
#include <vector>

#include "routing/ActivityLog.h"
#include "support/TempDir.h"
#include "ui/SettingsWindow.h"
#include "ui/harness/ImGuiHarness.h"

namespace kw::test {

struct MessageRecord {
    std::string text;
    std::string caption;
    UINT type = 0;
};

class SettingsWindowDriver {
public:
    // The harness draws the window's first frame; `moreFrames` follow (enough to settle it).
    explicit SettingsWindowDriver(int moreFrames = 2);

    // Brings a tab to the front by clicking its header.
    void OpenTab(const std::string& name);
    void ResetChanged() { changedFrames = 0; }

    AppSettings settings;
    UiState ui;
    bool changed = false;
    int changedFrames = 0;

    std::string statusText;
    int progressDone = 0;
    int progressTotal = 0;  // above 0 while a batch runs
    std::vector<HistoryBatch> batches;  // newest first; their undo offers are worked out each frame
    uint64_t newestOfThisRun = 0;
    bool batchRunning = false;
    int queuedItems = 0;
    PreviewView preview;
    WatchView watch;
    std::deque<std::string> logLines;
    HotkeyCaptureState hotkey;
    std::string folderWarning;
    SettingsWindowActions actions;
    int saves = 0;
    int applies = 0;

    // Platform stand-ins: what the dialogs answer and what was asked of them.
    std::string pickedFolder;            // empty: the picker is cancelled
    std::vector<std::string> backupAnswers;  // answers of the backup file dialog, in order
    int messageAnswer = IDYES;
    std::vector<MessageRecord> messages;
    std::vector<bool> startWithWindowsCalls;
    std::filesystem::path otherCopyStartingWithWindows;  // the Run value's other copy, if any
    int startThisCopyCalls = 0;
    std::vector<bool> sendToCalls;
    std::vector<bool> explorerVerbCalls;
    std::string explorerVerbProblem;  // what the verb's switch answers (empty: applied)
    int quits = 0;
    std::vector<std::filesystem::path> openedFiles;
    std::string clipboard;  // the last text copied

    TempDir dir;
    ActivityLog activityLog;
    ImGuiHarness imgui;
};

}  // namespace kw::test
