#include <gtest/gtest.h>

#include "model/SettingsFile.h"
#include "model/TextEncoding.h"
#include "ui/harness/SettingsWindowDriver.h"

namespace kw::test {
namespace {

class SettingsTab : public ::testing::Test {
protected:
    SettingsTab() {
        w.OpenTab("Settings");
        w.ResetChanged();
    }
    std::string InDir(const wchar_t* name) { return PathToUtf8(w.dir / name); }
    SettingsWindowDriver w;
};

TEST_F(SettingsTab, PreferencesAreStoredAndFlagged) {
    w.imgui.Click("Minimize to tray (otherwise taskbar)");
    EXPECT_FALSE(w.settings.minimizeToTray);
    EXPECT_EQ(w.settings.minimizeTarget, MinimizeTarget::taskbar);
    w.imgui.Choose("Theme", "Use the system setting");
    EXPECT_EQ(w.settings.theme, Theme::system);
    w.imgui.Click("Start with Windows");
    EXPECT_TRUE(w.settings.startWithWindows);
    EXPECT_EQ(w.startWithWindowsCalls, std::vector<bool>{true});
    w.imgui.Choose("Font size", "Larger");
    EXPECT_EQ(w.settings.uiFontSize, UiFontSize::larger);
    w.imgui.Choose("Rename style", "Custom suffix + numbered");
    EXPECT_EQ(w.settings.autoRename.mode, AutoRenameMode::suffix_numbered);
    w.imgui.TypeInto("Rename suffix", "_v");
    EXPECT_EQ(w.settings.autoRename.customSuffix, "_v");
    EXPECT_GE(w.changedFrames, 6);
}

// Another copy that starts with Windows (an installed one, while this one runs from a stick) is
// named under the switch; turning the switch off leaves it be, and only the button makes this
// copy the one that starts.
TEST_F(SettingsTab, AnotherCopyThatStartsWithWindowsIsNamedAndReplacedOnlyByItsButton) {
    w.otherCopyStartingWithWindows = L"C:\\Program Files\\Kestrane Fileweir\\KestraneFileweir.exe";
    w.imgui.Frame();
    EXPECT_TRUE(w.imgui.Shows(
        "Another copy starts with Windows: C:\\Program Files\\Kestrane Fileweir\\KestraneFileweir.exe"))
        << w.imgui.ShownText();
    w.imgui.Click("Start with Windows");
    w.imgui.Click("Start with Windows");
    EXPECT_EQ(w.startWithWindowsCalls, (std::vector<bool>{true, false}));
    EXPECT_EQ(w.startThisCopyCalls, 0);
    EXPECT_TRUE(w.imgui.Shows("Another copy starts with Windows"));

    w.ResetChanged();
    w.imgui.Click("Start this copy with Windows instead");
    EXPECT_EQ(w.startThisCopyCalls, 1);
    EXPECT_TRUE(w.settings.startWithWindows);
    EXPECT_EQ(w.statusText, "This copy now starts with Windows; the other copy no longer does.");
    EXPECT_EQ(w.changedFrames, 1);
    w.imgui.Frame();
    EXPECT_FALSE(w.imgui.Shows("Another copy starts with Windows"));
    EXPECT_FALSE(w.imgui.Has("Start this copy with Windows instead"));
}

TEST_F(SettingsTab, StartupFolderAndPrefixOptionsAreStoredAndFlagged) {
    w.imgui.Click("Start minimized");
    EXPECT_TRUE(w.settings.startMinimized);
    EXPECT_EQ(w.changedFrames, 1);
    w.imgui.Click("Expand folders and route each file inside");
    EXPECT_TRUE(w.settings.expandFoldersOnDrop);
    EXPECT_EQ(w.changedFrames, 2);
    w.imgui.Choose("Rename style", "Custom prefix + numbered");
    EXPECT_EQ(w.settings.autoRename.mode, AutoRenameMode::prefix_numbered);
    w.imgui.TypeInto("Rename prefix", "old_");
    EXPECT_EQ(w.settings.autoRename.customPrefix, "old_");
    EXPECT_EQ(w.settings.autoRename.customSuffix, "");
    w.imgui.Click("Start minimized");
    w.imgui.Click("Expand folders and route each file inside");
    EXPECT_FALSE(w.settings.startMinimized);
    EXPECT_FALSE(w.settings.expandFoldersOnDrop);
    EXPECT_GE(w.changedFrames, 6);
}

TEST_F(SettingsTab, NoMatchPolicyShowsTheUnsortedRowAndItsWarning) {
    w.settings.catchAllPath = InDir(L"missing-unsorted");
    EXPECT_TRUE(w.imgui.Shows("Unsorted folder is not used while no-match behavior is Leave in place."));
    w.imgui.Choose("No-match behavior", "Move to Unsorted folder");
    EXPECT_EQ(w.settings.noMatchPolicy, NoMatchPolicy::unsorted);
    EXPECT_NE(w.folderWarning.find("missing-unsorted"), std::string::npos);
    w.imgui.Frame();
    EXPECT_TRUE(w.imgui.Shows("This folder will be created at the first move:"));
    EXPECT_TRUE(w.imgui.Has("Browse##catch"));

    // A typed folder that exists clears the warning at once.
    std::filesystem::create_directory(w.dir / L"unsorted");
    w.imgui.TypeInto("Unsorted folder", InDir(L"unsorted"));
    w.imgui.Frame();
    EXPECT_EQ(w.settings.catchAllPath, InDir(L"unsorted"));
    EXPECT_EQ(w.folderWarning, "");

    w.imgui.Choose("Conflict", "Overwrite");
    EXPECT_EQ(w.settings.catchAllConflict, ConflictPolicy::overwrite);
    w.settings.catchAllPath = InDir(L"gone");
    w.imgui.Frame(2);
    w.imgui.Choose("No-match behavior", "Leave files in place (default)");
    EXPECT_EQ(w.folderWarning, "");
}

TEST_F(SettingsTab, HotkeyRemapAndCancel) {
    w.hotkey.error = "earlier failure";
    w.imgui.Click("Remap hotkey");
    EXPECT_TRUE(w.hotkey.capturing);
    EXPECT_EQ(w.hotkey.error, "");
    EXPECT_EQ(w.hotkey.status, "Press a key combination now (include Ctrl/Alt/Shift/Win). Esc cancels.");
    EXPECT_TRUE(w.imgui.Shows("Press a key combination now"));
    w.hotkey.error = "Could not register";
    w.imgui.Frame();
    EXPECT_TRUE(w.imgui.Shows("Could not register"));
    w.imgui.Click("Cancel remap");
    EXPECT_FALSE(w.hotkey.capturing);
    EXPECT_EQ(w.hotkey.status, "");
    EXPECT_EQ(w.settings.hotkeyVk, 68u);
    EXPECT_TRUE(w.imgui.Shows("Current: Ctrl + Alt + D"));
    EXPECT_TRUE(w.imgui.Has("Remap hotkey"));
}

TEST_F(SettingsTab, BackupWritesTheFileOrShowsWhyNot) {
    w.imgui.Click("Backup settings...");  // cancelled dialog: nothing at all
    EXPECT_TRUE(w.messages.empty());
    EXPECT_EQ(w.statusText, "");

    w.backupAnswers = {InDir(L"backup.json")};
    w.imgui.Click("Backup settings...");
    EXPECT_EQ(w.statusText, "Settings backed up.");
    EXPECT_TRUE(std::filesystem::exists(w.dir / L"backup.json"));

    w.backupAnswers = {InDir(L"no-such-folder\\backup.json")};
    w.imgui.Click("Backup settings...");
    ASSERT_EQ(w.messages.size(), 1u);
    EXPECT_EQ(w.messages[0].text, "Could not write settings file.");
    EXPECT_EQ(w.messages[0].caption, "Backup failed");
    EXPECT_EQ(w.messages[0].type, static_cast<UINT>(MB_ICONERROR));
}

TEST_F(SettingsTab, RestoreAsksFirstAndReplacesEverythingWithDefaultsForMissingKeys) {
    WriteFile(w.dir / L"partial.json", R"({"theme": "light", "rules": []})");
    w.settings.overlayAlpha = 100;
    w.settings.rules.resize(2);

    w.backupAnswers = {InDir(L"partial.json")};
    w.messageAnswer = IDNO;
    w.imgui.Click("Restore settings...");
    ASSERT_EQ(w.messages.size(), 1u);
    EXPECT_EQ(w.messages[0].caption, "Restore settings");
    EXPECT_EQ(w.messages[0].text,
              "This replaces all current rules and settings with the chosen backup file. Continue?");
    EXPECT_EQ(w.messages[0].type, static_cast<UINT>(MB_YESNO | MB_ICONWARNING));
    EXPECT_EQ(w.settings.overlayAlpha, 100);
    EXPECT_EQ(w.settings.rules.size(), 2u);

    w.backupAnswers = {InDir(L"partial.json")};
    w.messageAnswer = IDYES;
    w.imgui.Click("Restore settings...");
    EXPECT_EQ(w.settings.theme, Theme::light);
    EXPECT_EQ(w.settings.overlayAlpha, AppSettings{}.overlayAlpha);  // the default, not 100
    EXPECT_TRUE(w.settings.rules.empty());
    EXPECT_EQ(w.statusText, "Settings restored from backup.");
    EXPECT_EQ(w.saves, 1);
    EXPECT_EQ(w.applies, 1);
    EXPECT_GE(w.changedFrames, 1);
}

TEST_F(SettingsTab, RestoreNamesTheRoutingFoldersThatAreMissingWithoutABox) {
    std::filesystem::create_directory(w.dir / L"here");
    Rule gone;
    gone.id = "rule-00000001";
    gone.destination = InDir(L"gone");
    Rule off = gone;  // a rule that is off needs no folder
    off.id = "rule-00000002";
    off.enabled = false;
    off.destination = InDir(L"off");
    Rule here = gone;
    here.id = "rule-00000003";
    here.destination = InDir(L"here");
    AppSettings backup;
    backup.rules = {gone, off, here};
    backup.noMatchPolicy = NoMatchPolicy::unsorted;
    backup.catchAllPath = InDir(L"unsorted");
    std::string error;
    ASSERT_TRUE(BackupSettingsFile(w.dir / L"missing.json", backup, error)) << error;

    w.backupAnswers = {InDir(L"missing.json")};
    w.imgui.Click("Restore settings...");
    ASSERT_EQ(w.messages.size(), 1u);  // the question before the restore, nothing after it
    EXPECT_EQ(w.folderWarning,
              "These folders will be created at the first move:\n- " + InDir(L"gone") + "\n- " + InDir(L"unsorted"));
    EXPECT_EQ(w.settings.rules.size(), 3u);
    EXPECT_EQ(w.applies, 1);
    w.imgui.Frame();
    EXPECT_TRUE(w.imgui.Shows("- " + InDir(L"gone")));

    // A backup whose folders are all there clears the warning without a message.
    backup.rules = {here};
    backup.noMatchPolicy = NoMatchPolicy::leave_in_place;
    ASSERT_TRUE(BackupSettingsFile(w.dir / L"present.json", backup, error)) << error;
    w.backupAnswers = {InDir(L"present.json")};
    w.imgui.Click("Restore settings...");
    EXPECT_EQ(w.messages.size(), 2u);
    EXPECT_EQ(w.folderWarning, "");
    EXPECT_FALSE(w.imgui.Shows("will be created at the first move"));
}

TEST_F(SettingsTab, RestoreFailuresLeaveTheSettingsAlone) {
    WriteFile(w.dir / L"broken.json", "this is not json");
    w.settings.overlayAlpha = 100;
    const AppSettings before = w.settings;
    w.backupAnswers = {InDir(L"broken.json")};
    w.imgui.Click("Restore settings...");
    ASSERT_EQ(w.messages.size(), 2u);
    EXPECT_EQ(w.messages[1].text, "Settings file is not valid JSON.");
    EXPECT_EQ(w.messages[1].caption, "Restore failed");
    EXPECT_EQ(w.messages[1].type, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(w.settings, before);
    EXPECT_EQ(w.saves, 0);

    w.backupAnswers = {InDir(L"absent.json")};
    w.imgui.Click("Restore settings...");
    ASSERT_EQ(w.messages.size(), 4u);
    EXPECT_EQ(w.messages[3].text, "Could not open settings file.");
    EXPECT_EQ(w.settings, before);
}

TEST_F(SettingsTab, OpacityIsAPercentageSavedInEveryFrameOfADrag) {
    EXPECT_TRUE(w.imgui.Shows("90 %"));  // the default alpha of 230
    const RecordedItem* slider = w.imgui.Find("Drop zone opacity");
    ASSERT_NE(slider, nullptr);
    const float y = (slider->rect.Min.y + slider->rect.Max.y) / 2;
    w.imgui.DragBetween(ImVec2(slider->rect.Min.x + 200, y), ImVec2(slider->rect.Min.x + 1, y));
    EXPECT_EQ(w.settings.overlayAlpha, 80);
    EXPECT_GE(w.changedFrames, 3);
}

TEST_F(SettingsTab, ExitQuits) {
    w.imgui.Click("Exit application");
    EXPECT_EQ(w.quits, 1);
}

}  // namespace
}  // namespace kw::test

namespace kw::test {
namespace {

// Each switch applies itself at once; one the system refuses goes back off with the reason in
// the status line; "Remove from this PC" turns all three integrations off in one click.
TEST_F(SettingsTab, ExplorerSwitchesApplyAtOnceAndRemoveFromThisPcTurnsAllOff) {
    w.imgui.Click("Add to Send To");
    EXPECT_TRUE(w.settings.sendToShortcut);
    EXPECT_EQ(w.sendToCalls, std::vector<bool>{true});
    w.explorerVerbProblem = "Could not add the Explorer menu entry (Access denied).";
    w.imgui.Click("Add \"Route with Kestrane Fileweir\" to Explorer's menu");
    EXPECT_FALSE(w.settings.explorerMenuVerb);
    EXPECT_EQ(w.statusText, w.explorerVerbProblem);
    w.explorerVerbProblem.clear();
    w.imgui.Click("Add \"Route with Kestrane Fileweir\" to Explorer's menu");
    EXPECT_TRUE(w.settings.explorerMenuVerb);
    w.imgui.Click("Start with Windows");
    EXPECT_EQ(w.changedFrames, 4);

    w.imgui.Click("Remove from this PC");
    EXPECT_FALSE(w.settings.startWithWindows || w.settings.sendToShortcut || w.settings.explorerMenuVerb);
    EXPECT_EQ(w.startWithWindowsCalls, (std::vector<bool>{true, false}));
    EXPECT_EQ(w.sendToCalls, (std::vector<bool>{true, false}));
    EXPECT_EQ(w.explorerVerbCalls, (std::vector<bool>{true, true, false}));
    EXPECT_EQ(w.statusText.rfind("Removed from this PC", 0), 0u) << w.statusText;
    EXPECT_EQ(w.changedFrames, 5);
}

}  // namespace
}  // namespace kw::test
