#pragma once
// The Test tab: items dropped on it, or names and paths typed in, each with the rule that would
// take it, why every rule above did not, and the outcome in the router's words. Plans are made
// with the routing code itself (PlanItem), again whenever the rules change; nothing is moved.

#include <filesystem>
#include <string>
#include <vector>

#include "model/AppSettings.h"
#include "routing/ItemPlan.h"

namespace kw {

inline constexpr size_t kMaxTesterItems = 50;

struct TesterState {
    char input[1024] = {};
    std::vector<std::filesystem::path> items;
    std::vector<ItemPlan> plans;  // one per item once planned
    AppSettings plannedWith;
    bool planned = false;
    double plannedAt = -1.0;
    std::string notice;  // about the last drop (items left out)
};

// Routing would treat these the same: rules, no-match policy, Unsorted folder, renaming.
bool SameRouting(const AppSettings& a, const AppSettings& b);

// Adds what was dropped or typed (a folder's files instead of it when folders are expanded on
// drop, as a batch would), up to kMaxTesterItems in all.
void AddTesterItems(TesterState& tester, const std::vector<std::filesystem::path>& items, bool expandFolders);

// Plans anything not planned with these settings; at most about five times a second while the
// rules are being edited.
void RefreshTester(TesterState& tester, const AppSettings& settings, double now);

void DrawTesterTab(const AppSettings& settings, TesterState& tester);

// One item's plan: its outcome on a line, and under it (opened) how each rule fared.
void DrawPlanDetails(const AppSettings& settings, const ItemPlan& plan);

}  // namespace kw
