#include <gtest/gtest.h>

#include "model/TextEncoding.h"
#include "ui/harness/SettingsWindowDriver.h"

namespace kw::test {
namespace {

class WatchedFolders : public ::testing::Test {
protected:
    WatchedFolders() {
        w.OpenTab("Settings");
        w.ResetChanged();
    }
    SettingsWindowDriver w;
};

TEST_F(WatchedFolders, FoldersAreAddedByBrowseAndByADropTheirSwitchesStoredAndTheyAreRemoved) {
    EXPECT_TRUE(w.imgui.Shows("No folder is watched."));
    w.pickedFolder = "D:\\Downloads\\";
    w.imgui.Click("Add folder...##watch");
    ASSERT_EQ(w.settings.watching.folders.size(), 1u);
    EXPECT_EQ(w.settings.watching.folders[0], (WatchedFolder{"D:\\Downloads"}));
    w.pickedFolder = "d:\\downloads";  // the same folder, spelled otherwise
    w.imgui.Click("Add folder...##watch");
    EXPECT_EQ(w.settings.watching.folders.size(), 1u);
    EXPECT_EQ(w.statusText, "That folder is watched already.");

    w.imgui.Click("Include subfolders");
    w.imgui.Click("Route items that are already there");
    w.imgui.Click("##on");
    EXPECT_EQ(w.settings.watching.folders[0], (WatchedFolder{"D:\\Downloads", false, true, true}));

    // A folder dropped anywhere on the list is added to it.
    const RecordedItem* add = w.imgui.Find("Add folder...##watch");
    ASSERT_NE(add, nullptr);
    std::filesystem::create_directory(w.dir / L"Scans");
    w.ui.pendingDrop = true;
    w.ui.pendingDropPoint = POINT{static_cast<LONG>(add->rect.Min.x + 2), static_cast<LONG>(add->rect.Min.y + 2)};
    w.ui.pendingDropPaths = {w.dir / L"Scans"};
    w.imgui.Frame(2);
    ASSERT_EQ(w.settings.watching.folders.size(), 2u);
    EXPECT_EQ(w.settings.watching.folders[1].path, PathToUtf8(w.dir / L"Scans"));

    w.imgui.ClickNth("Remove", 0);
    ASSERT_EQ(w.settings.watching.folders.size(), 1u);
    EXPECT_EQ(w.settings.watching.folders[0].path, PathToUtf8(w.dir / L"Scans"));
    EXPECT_GE(w.changedFrames, 6);
}

TEST_F(WatchedFolders, AnUnavailableFolderIsMarkedAndTheOfferOfWhatIsThereIsAnswered) {
    w.settings.watching.folders = {WatchedFolder{"E:\\Camera"}};
    w.watch.statuses = {WatchFolderStatus{"E:\\Camera", WatchState::unavailable}};
    w.watch.offer = "Watching Camera would route 1,234 items that are already there";
    std::vector<WatchOfferChoice> answers;
    w.actions.answerWatchOffer = [&](WatchOfferChoice choice) { answers.push_back(choice); };
    w.imgui.Frame();
    EXPECT_TRUE(w.imgui.Shows("Unavailable \xE2\x80\x94 watched again when it is back"));
    EXPECT_TRUE(w.imgui.Shows("Watching Camera would route 1,234 items that are already there:"));
    w.imgui.Click("Preview##watchoffer");
    w.imgui.Click("Route them##watchoffer");
    w.imgui.Click("Only new items##watchoffer");
    EXPECT_EQ(answers, (std::vector<WatchOfferChoice>{WatchOfferChoice::preview, WatchOfferChoice::route,
                                                      WatchOfferChoice::onlyNew}));
    EXPECT_EQ(w.changedFrames, 0) << "answering changes no setting";
}

}  // namespace
}  // namespace kw::test
