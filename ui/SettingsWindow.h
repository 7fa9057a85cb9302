#pragma once
// The settings window: one full-window ImGui window per rendered frame with the header, the
// status line and the tabs Rules, Summary, Settings, Activity and About.

#include <windows.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "history/BatchHistory.h"
#include "history/SettingsEdits.h"
#include "history/UndoOffer.h"
#include "model/AppSettings.h"
#include "routing/ActivityLog.h"
#include "shell/Hotkey.h"
#include "ui/ActivitySearch.h"
#include "ui/AboutTab.h"
#include "ui/AfterFrame.h"
#include "routing/SystemFolderProbe.h"
#include "ui/DropPreview.h"
#include "ui/MessageStrip.h"
#include "ui/RuleTester.h"
#include "ui/RuleWarnings.h"
#include "ui/UiPlatform.h"
#include "ui/WatchView.h"

namespace kw {

// A folder path row registered while drawing, so that a folder dropped on the window can find
// the row under the drop point. `path` points into the settings and is valid for one frame.
struct PathRowTarget {
    float left = 0, top = 0, right = 0, bottom = 0;
    std::string* path = nullptr;
};

struct UiRect {
    float left = 0, top = 0, right = 0, bottom = 0;
};

struct UiState {
    bool openSummaryTab = false;
    bool pendingDrop = false;
    bool pendingDropHandled = false;
    POINT pendingDropPoint{0, 0};  // screen coordinates
    std::vector<std::filesystem::path> pendingDropPaths;
    std::vector<PathRowTarget> pathTargets;
    std::vector<PathRowTarget> previousPathTargets;
    std::string* hoveredPathTarget = nullptr;
    UiRect editorRect;
    bool editorRectValid = false;
    int editorRule = -1;
    int selectedRule = -1;
    int renamingRule = -1;       // row whose name is being edited in place
    char renameBuffer[128] = {};
    char activityFilter[128] = {};  // narrows the shown log lines by text
    int activityOutcome = 0;        // 0 all, then [ok], [skip], [fail], [undo] lines only
    ActivitySearch activity;        // the filter searches the whole log
    UiPlatform platform = SystemUiPlatform();
    FolderProbe folderProbe = SystemFolderProbe();  // what the rule check knows of the disk
    RuleWarningCache ruleWarnings;
    // Findings about the rule being edited, shown under its fields in a fixed place; filled anew
    // each frame by the rule editor (and whatever its fields have to say).
    MessageStrip editorStrip;
    TesterState tester;
    bool testerTabShown = false;  // drops on the window go to the tester while it is shown
    bool openTesterTab = false;
    bool previewWasActive = false;  // a preview tab appearing is brought to the front once
    AfterFrame afterFrame;  // what this frame's clicks asked for, done once it has drawn
    // Ctrl+Z and Ctrl+Y (or Ctrl+Shift+Z) on the Rules, Settings and Test tabs turn rule and
    // settings edits back and forth; asked for in one frame, done before the next one draws.
    SettingsEdits edits;
    int editTurn = 0;  // -1 undo, +1 redo
    // Where the keys come from: the application reads Ctrl+Z and Ctrl+Y from the window's key
    // messages and leaves them here (-1 undo, +1 redo) for the next frame, since Dear ImGui's
    // per-frame key state has been seen under Wine to lose the Ctrl of a quick Ctrl+Z; without
    // the application (a headless frame), the frame reads them from Dear ImGui.
    bool shortcutsFromMessages = false;
    int shortcut = 0;
    bool rulesTabShown = false;
    bool settingsTabShown = false;
    bool activityTabShown = false;
    // Ctrl+Z on the Activity tab for a batch of an earlier run (or earlier in this one) asks first.
    bool confirmUndo = false;
    UndoOffer confirmOffer;
    std::string confirmQuestion;
    std::optional<AboutFacts> about;  // looked up when the About tab is first shown
    std::optional<std::vector<Rule>> starterRules;  // offered while there are no rules; made once
};

// What the window shows besides the settings, owned by the application.
struct SettingsWindowView {
    std::string& statusText;
    int progressDone;
    int progressTotal;
    std::deque<std::string>& logLines;
    const ActivityLog& activityLog;
    HotkeyCaptureState& hotkey;
    std::string& folderWarning;  // missing routing folders, shown on the Settings tab
    const std::vector<HistoryBatch>* batches = nullptr;  // recent batches, newest first
    bool batchRunning = false;
    PreviewView preview;  // the plan of a drop awaiting "Route"
    const BatchOffers* offers = nullptr;  // what undo offers for `batches`, row by row
    uint64_t newestOfThisRun = 0;  // the batch that ended last in this run, or 0
    int queuedItems = 0;  // items of the drops waiting behind the running batch
    WatchView watch;      // watched folders' states and the offer waiting for an answer
};

// What the window may ask of the application. The window calls those that change what it draws
// (undo, cancel, route, reveal) only after its frame has ended.
struct SettingsWindowActions {
    std::function<bool(unsigned, unsigned, std::string&)> applyHotkey;
    std::function<void()> saveSettings;
    std::function<void(bool)> setOverlayVisible;
    std::function<void()> applyAllSettings;
    // Puts back (or, for an undo, sends out again) what batch `id` did; 0: "Undo last batch".
    // Asked for during a frame, done after it.
    std::function<void(uint64_t)> undoBatch;
    std::function<void()> cancelBatch;
    std::function<void()> cancelQueued;  // the running batch and every drop waiting behind it
    std::function<void(const std::string&)> reveal;  // opens the item's folder with the item selected
    std::function<void()> routePreview;   // routes exactly the previewed items
    std::function<void()> cancelPreview;  // drops the preview; nothing is routed
    // Looks for missing routing folders (in the background: a share may not answer) and updates
    // the warning; with a message box when asked and something is missing.
    std::function<void(bool)> checkRoutingFolders;
    // The answer to the offer of items already in a folder just watched (after the frame).
    std::function<void(WatchOfferChoice)> answerWatchOffer;
};

void DrawSettingsWindow(AppSettings& settings, UiState& ui, bool& settingsChanged, HWND mainWindow,
                        const SettingsWindowView& view, const SettingsWindowActions& actions);

// The first path that is a folder.
std::optional<std::filesystem::path> FirstFolder(const std::vector<std::filesystem::path>& paths);

// The row a drop at `point` (client coordinates of the main window) belongs to: inside a row
// grown by 14 pixels (also after undoing a display scale), else the row whose centre is
// nearest, within 120 pixels.
const PathRowTarget* FindPathTarget(POINT point, const std::vector<PathRowTarget>& targets, float scale);

// Sets the path row under a dropped folder (the hovered row, a registered row near the point,
// the rule editor panel of a move rule, or the only row); true when one was set. `point` is in
// screen coordinates.
bool ApplyFolderDrop(UiState& ui, std::vector<Rule>& rules, HWND window, POINT point,
                     const std::filesystem::path& folder, bool& settingsChanged);

}  // namespace kw
