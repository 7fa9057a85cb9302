#pragma once
// What routing one item would do if it ran now, found without changing anything on disk: the
// rule selection (with how every rule fared) and the outcome in the router's own words. The
// router still makes every check again when it runs; a plan is what would happen now.
//
// An item that does not exist, or a name without a folder, is judged by its name alone: conditions that need the file
// (size, dates) are unknown, and each rule that depends on them is a branch of its own.

#include <filesystem>
#include <string>
#include <vector>

#include "matching/RuleSelection.h"
#include "model/Clock.h"
#include "routing/BatchCache.h"

namespace kw {

enum class PlannedFate { move, recycle, leave, skip, fail };

struct PlannedOutcome {
    PlannedFate fate = PlannedFate::fail;
    std::string target;   // UTF-8 path where it would go; empty when it stays
    std::string message;  // in the router's words: "Would become report (2).pdf ..."
    // For `move`: the item would be copied there, or renamed in its own folder.
    bool copy = false;
    bool renameInPlace = false;
};

struct ItemPlan {
    std::filesystem::path item;
    bool nameOnly = false;  // nothing at that path: judged by its name
    RuleDecision decision;  // for a name alone: when every rule that `depends` fails
    SelectionTrace trace;
    PlannedOutcome outcome;
    // For a name alone: the outcome should a rule that depends on the file hold, one per such
    // rule above the decision, in order.
    struct Branch {
        size_t rule = 0;
        PlannedOutcome outcome;
    };
    std::vector<Branch> branches;
};

ItemPlan PlanItem(const std::filesystem::path& item, BatchCache& batch, const Clock& clock = SystemClock());

}  // namespace kw
