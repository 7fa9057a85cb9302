#include "routing/ItemPlan.h"

#include "model/ExtendedPath.h"
#include "model/TextEncoding.h"
#include "routing/FileIdentity.h"
#include "routing/ItemActions.h"
#include "routing/MoveDecision.h"
#include "routing/NameConflicts.h"
#include "routing/ReplacedItem.h"
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
        // The rule could not be carried out: as the batch counts it, a failure.
        case RecycleOutcome::no_bin: return Outcome(PlannedFate::fail, kMessageNoRecycleBin);
        case RecycleOutcome::name_not_exact: return Outcome(PlannedFate::fail, kMessageRecycleName);
        default: return Outcome(PlannedFate::fail, kMessageRecycleFailed);
    }
}

// The move's own decision (MoveDecision.h), in words. The main outcome of an item claims its
// target name, as the batch's move would, so that later items of the plan meet it.
PlannedOutcome PlanMoveOrCopy(const fs::path& item, std::optional<ItemKind> kind, const RuleDecision& decision,
                              BatchCache& batch, const Clock& clock, bool claim);

// The planned move, marked as a copy or a rename in place where it is one (the preview counts them).
PlannedOutcome PlanMove(const fs::path& item, std::optional<ItemKind> kind, const RuleDecision& decision,
                        BatchCache& batch, const Clock& clock, bool claim) {
    PlannedOutcome outcome = PlanMoveOrCopy(item, kind, decision, batch, clock, claim);
    if (outcome.fate == PlannedFate::move) {
        outcome.copy = decision.action == RuleAction::copy ||
                       (decision.action == RuleAction::move && batch.Options().copyInsteadOfMove);
        outcome.renameInPlace = decision.action == RuleAction::rename;
    }
    return outcome;
}

PlannedOutcome PlanMoveOrCopy(const fs::path& item, std::optional<ItemKind> kind, const RuleDecision& decision,
                              BatchCache& batch, const Clock& clock, bool claim) {
    const bool rename = decision.action == RuleAction::rename;
    // A name typed alone has no folder: its rename is all there is to say.
    if (rename && decision.destination.empty())
        return Outcome(PlannedFate::move, "Would rename to " + decision.newName + " via " + decision.ruleName,
                       decision.newName);
    const MoveDecision d = DecideMove(item, kind, PathFromUtf8(decision.destination), decision.conflict,
                                      batch.Settings().autoRename, batch, clock, true, PathFromUtf8(decision.newName));
    const std::string target = d.target.empty() ? std::string() : PathToUtf8(d.target);
    switch (d.verdict) {
        case MoveVerdict::fail: return Outcome(PlannedFate::fail, d.message);
        case MoveVerdict::stays:
        case MoveVerdict::skip: return Outcome(PlannedFate::skip, d.message, target);
        case MoveVerdict::move: break;
    }
    if (d.lookupError) return Outcome(PlannedFate::fail, "The destination cannot be reached: " + d.lookupError.message());
    if (claim) batch.Claim(d.target);
    const bool copy = decision.action == RuleAction::copy ||
                      (decision.action == RuleAction::move && batch.Options().copyInsteadOfMove);
    const std::string verb = copy ? "Would copy via " : "Would move via ";
    const std::string created = d.createsFolder ? " (the folder will be created)" : "";
    switch (d.clash) {
        case NameClash::none:
            if (rename)
                return Outcome(PlannedFate::move,
                               "Would rename to " + PathToUtf8(d.target.filename()) + " via " + decision.ruleName, target);
            return Outcome(PlannedFate::move, verb + decision.ruleName + " to " + target + created, target);
        case NameClash::onDisk:
            if (d.replace)
                return Outcome(PlannedFate::move,
                               "Would replace " + target + ": the name is taken, overwrite" +
                                   (ReplaceWayFor(d.target) == ReplaceWay::recycle
                                        ? "; the old one would go to the Recycle Bin"
                                        : "; the old one would be deleted for good"),
                               target);
            return Outcome(PlannedFate::move,
                           "Would become " + PathToUtf8(d.target.filename()) + " in " + decision.destination +
                               ": the name is taken, auto-rename",
                           target);
        case NameClash::batchItem: break;
    }
    return Outcome(PlannedFate::move,
                   "Would become " + PathToUtf8(d.target.filename()) + " in " + decision.destination +
                       ": an earlier item of this batch takes the name",
                   target);
}

PlannedOutcome PlanDecision(const fs::path& item, std::optional<ItemKind> kind, const RuleDecision& decision,
                            BatchCache& batch, const Clock& clock, bool claim) {
    try {
        if (decision.action == RuleAction::leave_in_place)
            return Outcome(PlannedFate::leave, "Left in place (" + decision.ruleName + ")");
        if (!decision.templateError.empty()) return Outcome(PlannedFate::fail, kMessageTemplateError);
        if (!decision.newNameError.empty()) return Outcome(PlannedFate::fail, kMessageNewNameError);
        if (kind && batch.IsRoutingFolder(item, *kind)) return Outcome(PlannedFate::skip, kMessageRoutingFolder);
        if (decision.action == RuleAction::recycle) return PlanRecycle(item, !kind, decision.ruleName);
        return PlanMove(item, kind, decision, batch, clock, claim);
    } catch (const std::exception& e) {
        return Outcome(PlannedFate::fail, e.what());
    }
}

}  // namespace

ItemPlan PlanItem(const fs::path& item, BatchCache& batch, const Clock& clock) {
    ItemPlan plan;
    plan.item = item;
    if (IsVolumeRoot(item)) {
        plan.outcome = Outcome(PlannedFate::fail, kMessageWholeVolume);
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
    plan.outcome = PlanDecision(item, kind, plan.decision, batch, clock, true);
    if (!plan.decision.note.empty()) plan.outcome.message += " \xE2\x80\x94 " + plan.decision.note;
    for (size_t i = 0; i < plan.trace.rules.size(); ++i)
        if (plan.trace.rules[i].standing == RuleStanding::depends)
            plan.branches.push_back({i, PlanDecision(item, kind, batch.Rules().DecisionFor(i, facts, clock), batch, clock, false)});
    return plan;
}

}  // namespace kw
