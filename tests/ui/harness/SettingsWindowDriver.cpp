#include "ui/harness/SettingsWindowDriver.h"

#include "model/MissingFolders.h"

namespace kw::test {

SettingsWindowDriver::SettingsWindowDriver(int moreFrames)
    : activityLog(dir / L"activity.log"),
      imgui([this] {
          bool frameChanged = false;
          const BatchOffers offers = OffersFor(batches);
          const SettingsWindowView view{statusText,   progressDone, progressTotal, logLines, activityLog,    hotkey,
                                        folderWarning, &batches,    batchRunning,  preview,  &offers,        newestOfThisRun, queuedItems,
                                        watch};
          DrawSettingsWindow(settings, ui, frameChanged, nullptr, view, actions);
          changed = frameChanged;
          if (frameChanged) ++changedFrames;
      }) {
    ui.platform.pickFolder = [this](HWND, const std::string& current) {
        return pickedFolder.empty() ? current : pickedFolder;
    };
    ui.platform.chooseBackupFile = [this](HWND, bool) {
        if (backupAnswers.empty()) return std::string();
        std::string answer = backupAnswers.front();
        backupAnswers.erase(backupAnswers.begin());
        return answer;
    };
    ui.platform.messageBox = [this](HWND, const std::string& text, const std::string& caption, UINT type) {
        messages.push_back(MessageRecord{text, caption, type});
        return messageAnswer;
    };
    ui.platform.setStartWithWindows = [this](bool enable) { startWithWindowsCalls.push_back(enable); };
    ui.platform.otherCopyStartingWithWindows = [this] { return otherCopyStartingWithWindows; };
    ui.platform.startThisCopyWithWindows = [this] {
        ++startThisCopyCalls;
        otherCopyStartingWithWindows.clear();
    };
    ui.platform.setSendTo = [this](bool enable) {
        sendToCalls.push_back(enable);
        return std::string();
    };
    ui.platform.setExplorerVerb = [this](bool enable) {
        explorerVerbCalls.push_back(enable);
        return explorerVerbProblem;
    };
    ui.platform.quit = [this] { ++quits; };
    ui.platform.copyText = [this](const std::string& text) { clipboard = text; };
    ui.platform.openFile = [this](const std::filesystem::path& file) {
        openedFiles.push_back(file);
        return true;
    };
    actions.saveSettings = [this] { ++saves; };
    actions.applyAllSettings = [this] { ++applies; };
    // As the application answers (there on a thread of its own), at once.
    actions.checkRoutingFolders = [this](bool showBox) {
        folderWarning = FolderWarningText(MissingRoutingFolders(settings));
        if (showBox && !folderWarning.empty())
            messages.push_back(MessageRecord{folderWarning, "Routing folders missing", MB_ICONWARNING});
    };
    imgui.Frame(moreFrames);
}

void SettingsWindowDriver::OpenTab(const std::string& name) {
    imgui.Click(name);
    imgui.Frame();
}

}  // namespace kw::test
