#pragma once
// The Test tab: items dropped on it, or names and paths typed in, each with the rule that would
// take it, why every rule above did not, and the outcome in the router's words. Plans are made
// with the routing code itself (PlanItem), again whenever the rules change, on a thread of their
// own (a path on a share that does not answer must not stop the window); nothing is moved.

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/AppSettings.h"
#include "routing/ItemPlan.h"
#include "routing/PlanJob.h"

namespace kw {

inline constexpr size_t kMaxTesterItems = 50;

struct TesterState {
    char input[1024] = {};
    // As dropped or typed; folders among them are listed by the plan job, never on the window's
    // thread (a path on a share that does not answer must not stop the window).
    std::vector<std::filesystem::path> items;
    bool expandFolders = false;   // a folder stands for the files inside it, as in a batch
    int itemsVersion = 0;         // counts changes of `items`
    std::vector<ItemPlan> plans;  // the last plans made
    AppSettings plansMadeWith;    // ... with these settings
    int plannedVersion = -1;      // the items the plan in progress (or the last one) is of
    AppSettings plannedWith;      // ... and its settings
    bool planning = false;
    std::string notice;  // about the last drop (items left out)
    // Called from the planning thread when plans are ready, to wake the window.
    std::function<void()> wake;
    std::shared_ptr<PlanJob> job = std::make_shared<PlanJob>();
};

// Routing would treat these the same: rules, no-match policy, Unsorted folder, renaming.
bool SameRouting(const AppSettings& a, const AppSettings& b);

// Adds what was dropped or typed (a folder's files instead of it when folders are expanded on
// drop, as a batch would, listed when the items are planned), up to kMaxTesterItems in all.
// Touches no disk.
void AddTesterItems(TesterState& tester, const std::vector<std::filesystem::path>& items, bool expandFolders);

// Takes finished plans, and plans again (off this thread) what is not planned with these
// settings.
void RefreshTester(TesterState& tester, const AppSettings& settings);

void DrawTesterTab(const AppSettings& settings, TesterState& tester);

// One item's plan: its outcome on a line, and under it (opened) how each rule fared.
void DrawPlanDetails(const AppSettings& settings, const ItemPlan& plan);

}  // namespace kw
