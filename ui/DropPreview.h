#pragma once
// The Preview tab: the plan of a drop (each item, the rule that takes it and the outcome) before
// anything moves, with "Route these N items" (or "Route this item") and "Cancel". Shown while the
// application holds a preview; the plan is made off the window's thread (PlanJob) and shown with
// its progress.

#include <functional>
#include <vector>

#include "model/AppSettings.h"
#include "routing/ItemPlan.h"
#include "routing/PlanJob.h"

namespace kw {

struct PreviewView {
    bool active = false;  // a preview is held: the tab is shown
    PlanJob::Progress progress;
    const std::vector<ItemPlan>* plans = nullptr;  // once planned
    const AppSettings* plannedWith = nullptr;
    bool batchRunning = false;
    bool routeChosen = false;  // Route was chosen before the plan was in: it routes once it is
};

struct PreviewCounts {
    int move = 0, recycle = 0, leave = 0, skip = 0, fail = 0;
    int copy = 0, rename = 0;  // of `move`: copies, and renames in the item's own folder
};
PreviewCounts CountFates(const std::vector<ItemPlan>& plans);

// `route` and `cancel` are the buttons' actions; the window runs them after its frame, as they
// free the plans the table draws.
void DrawPreviewTab(const PreviewView& view, const std::function<void()>& route, const std::function<void()>& cancel);

}  // namespace kw
