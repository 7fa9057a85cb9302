#include "routing/ItemPlan.h"

#include "model/ExtendedPath.h"
#include "model/TextEncoding.h"
#include "routing/FileIdentity.h"
#include "routing/ItemActions.h"
#include "routing/NameConflicts.h"
#include "routing/RouteMessages.h"

namespace kw {
namespace fs = std::filesystem;

namespace {

PlannedOutcome Outcome(PlannedFate fate, std::string message, std::string target = {}) {
    return PlannedOutcome{fate, std::move(target), std::move(message)};
}

PlannedOutcome PlanRecycle(const fs::path& item, bool nameOnly, const std::string& rule) {
    const PlannedOutcome recycled = Outcome(PlannedFate::recycle, "Would go to the Recycle Bin via " + rule, "Recycle Bin");
    if (nameOnly) return recycled;
    switch (RecycleCheck(item)) {
        case RecycleOutcome::recycled: return recycled;
        case RecycleOutcome::no_bin: return Outcome(PlannedFate::skip, kMessageNoRecycleBin);
        case RecycleOutcome::name_not_exact: return Outcome(PlannedFate::skip, kMessageRecycleName);
        default: return Outcome(PlannedFate::fail, kMessageRecycleFailed);
    }
}

// The checks of a move in the order the router makes them, each asked of the disk as it is.
PlannedOutcome PlanMove(const fs::path& item, std::optional<ItemKind> kind, const RuleDecision& decision,
                        BatchCache& batch, const Clock& clock) {
    if (decision.destination.empty()) return Outcome(PlannedFate::fail, kMessageNoDestination);
    const fs::path destination = PathFromUtf8(decision.destination);
    const FolderFacts dest = batch.Folder(destination);
    std::string created;
    if (!dest.isFolder) {
        std::error_code error;
        const std::optional<ItemKind> there = ItemKindAt(destination, error);
        if (error) return Outcome(PlannedFate::fail, "The destination cannot be reached: " + error.message());
        if (there && *there == ItemKind::file)
            return Outcome(PlannedFate::fail, "The destination " + decision.destination + " is a file, not a folder.");
        if (!there) created = " (the folder will be created)";
    }
    const fs::path target = destination / PlainPath(item).filename();
    // As the move decides it, with the batch's facts for a plain file going into a folder the
    // batch has seen (a file is never the same object as a folder): a large drop is planned at
    // about the cost of routing it.
    const bool plainFile = kind && *kind == ItemKind::file && dest.isFolder;
    const auto targetIsItem = [&] { return SameObject(target, item) || SameObject(target, item, FinalLink::keep); };
    const PlannedOutcome alreadyThere = Outcome(PlannedFate::skip, kMessageAlreadyThere, PathToUtf8(target));
    if (kind) {
        if (!plainFile && SameObject(item, destination)) return Outcome(PlannedFate::skip, kMessageIntoItself);
        if (*kind != ItemKind::file && IsInsideOrSame(destination, item))
            return Outcome(PlannedFate::skip, kMessageFolderIntoItself);
        const bool inDestination = plainFile ? batch.LiesBelow(item, destination) : IsInsideOrSame(item, destination);
        if (inDestination || (!plainFile && targetIsItem())) return alreadyThere;
    }
    std::error_code error;
    const bool taken = TargetExists(target, error);
    if (taken && plainFile && targetIsItem()) return alreadyThere;
    if (!taken) {
        if (error) return Outcome(PlannedFate::fail, "The destination cannot be reached: " + error.message());
        return Outcome(PlannedFate::move, "Would move via " + decision.ruleName + " to " + PathToUtf8(target) + created,
                       PathToUtf8(target));
    }
    switch (decision.conflict) {
        case ConflictPolicy::skip: return Outcome(PlannedFate::skip, kMessageNameExists, PathToUtf8(target));
        case ConflictPolicy::overwrite:
            return Outcome(PlannedFate::move,
                           "Would replace " + PathToUtf8(target) + ": the name is taken, overwrite", PathToUtf8(target));
        default: {
            const fs::path renamed = UniqueTargetPath(target, batch.Settings().autoRename, clock);
            return Outcome(PlannedFate::move,
                           "Would become " + PathToUtf8(renamed.filename()) + " in " + decision.destination +
                               ": the name is taken, auto-rename",
                           PathToUtf8(renamed));
        }
    }
}

PlannedOutcome PlanDecision(const fs::path& item, std::optional<ItemKind> kind, const RuleDecision& decision,
                            BatchCache& batch, const Clock& clock) {
    try {
        if (decision.action == RuleAction::leave_in_place)
            return Outcome(PlannedFate::leave, "Left in place (" + decision.ruleName + ")");
        if (kind && batch.IsRoutingFolder(item, *kind)) return Outcome(PlannedFate::skip, kMessageRoutingFolder);
        if (decision.action == RuleAction::recycle) return PlanRecycle(item, !kind, decision.ruleName);
        return PlanMove(item, kind, decision, batch, clock);
    } catch (const std::exception& e) {
        return Outcome(PlannedFate::fail, e.what());
    }
}

}  // namespace

ItemPlan PlanItem(const fs::path& item, BatchCache& batch, const Clock& clock) {
    ItemPlan plan;
    plan.item = item;
    if (IsVolumeRoot(item)) {
        plan.outcome = Outcome(PlannedFate::skip, kMessageWholeVolume);
        return plan;
    }
    // A name typed alone is a name, not a file of the current folder that happens to have it.
    std::error_code lookupError;
    const std::optional<ItemKind> kind =
        item.is_absolute() ? ItemKindAt(item, lookupError) : std::optional<ItemKind>();
    if (lookupError) {
        plan.outcome = Outcome(PlannedFate::fail, std::system_category().message(lookupError.value()));
        return plan;
    }
    plan.nameOnly = !kind;
    ItemFacts facts = kind ? ItemFacts(item) : ItemFacts::NameOnly(item);
    plan.decision = batch.Rules().Select(facts, clock, &plan.trace);
    plan.outcome = PlanDecision(item, kind, plan.decision, batch, clock);
    if (!plan.decision.note.empty()) plan.outcome.message += " \xE2\x80\x94 " + plan.decision.note;
    const std::vector<Rule>& rules = batch.Settings().rules;
    for (size_t i = 0; i < plan.trace.rules.size(); ++i)
        if (plan.trace.rules[i].standing == RuleStanding::depends)
            plan.branches.push_back({i, PlanDecision(item, kind, RuleSelector::DecisionOf(rules[i]), batch, clock)});
    return plan;
}

}  // namespace kw
