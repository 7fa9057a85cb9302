#include "history/Undo.h"

#include <windows.h>

#include "model/Clock.h"
#include "model/TextEncoding.h"
#include "routing/FileTree.h"
#include "routing/ItemActions.h"
#include "routing/NameConflicts.h"
#include "routing/RouteMessages.h"
#include "routing/SourceDeletion.h"

namespace kw {
namespace fs = std::filesystem;

std::vector<UndoStep> PlanUndo(const HistoryBatch& batch) {
    std::vector<UndoStep> steps;
    for (auto item = batch.items.rbegin(); item != batch.items.rend(); ++item) {
        if (!PlacedAtTarget(item->fate) && item->fate != ItemFate::recycled && item->fate != ItemFate::uncopied) continue;
        UndoStep step;
        step.from = PathFromUtf8(item->target);
        step.to = PathFromUtf8(item->source);
        step.copyAgain = item->fate == ItemFate::uncopied;
        step.expected = item->moved;
        step.identity = item->identity;
        step.recycled = item->fate == ItemFate::recycled;
        step.copy = item->fate == ItemFate::copied;
        step.toBin = item->fate == ItemFate::moved && item->source == kRecycleBinName;
        // The bin's deletion time, as the shell gives it, may be rounded (the Recycle Bin's column
        // is a local date; OLE dates hold about a millisecond): a little before the recorded time,
        // which histories of earlier versions lack (the batch's start stands in for it).
        const auto rounded = [](uint64_t recorded) {
            return recorded > 2 * kTicksPerSecond ? recorded - 2 * kTicksPerSecond : 0;
        };
        step.deletedAfter = rounded(item->recycledAt ? item->recycledAt : batch.time);
        step.bytes = item->recycledBytes;
        step.rule = item->rule;
        steps.push_back(std::move(step));
        if (PlacedAtTarget(item->fate) && item->replacedAt) {
            UndoStep old;
            old.from = PathFromUtf8(kRecycleBinName);
            old.to = PathFromUtf8(item->target);
            old.recycled = true;
            old.deletedAfter = rounded(item->replacedAt);
            old.bytes = item->replacedBytes;
            old.rule = item->rule;
            steps.push_back(std::move(old));
        }
    }
    return steps;
}

namespace {

RouteItemResult Skipped(RouteItemResult r, const std::string& message) {
    r.skipped = true;
    r.message = message;
    return r;
}

// Whether what stands at `path` is what was put there. On FAT and exFAT a daylight-saving change
// since shifts every stored time by an hour: a file is compared with that tolerance, a folder
// (whose times are in its digest) read again as if shifted back.
bool Unchanged(const std::filesystem::path& path, const TreeFingerprint& expected) {
    TreeFingerprint now;
    if (FingerprintTree(path, now)) return false;
    if (now == expected) return true;
    if (TimeKeepingAt(path) != TimeKeeping::fat) return false;
    if (!now.folder) return SameFingerprint(expected, now, TimeKeeping::fat);
    constexpr int64_t kHour = 3600LL * 10'000'000;
    for (const int64_t shift : {kHour, -kHour})
        if (!FingerprintTree(path, now, shift) && now == expected) return true;
    return false;
}

// Whether what stands where the batch put an item is still it: the same sizes and times, and the
// same object (named in the form its record holds: a batch records files in the short form).
// Another object in its place (a copy with the same sizes and times) is not it.
bool StillAsPut(const UndoStep& step, ItemIdentities* identities) {
    ItemIdentities own;
    return Unchanged(step.from, step.expected) &&
           (step.identity.empty() || (identities ? identities : &own)->Matches(step.from, step.identity));
}

// The copy goes only while it is provably the copy that was made, and the item it is a copy of
// is still where it was: otherwise it may be the only one left.
RouteItemResult RemoveCopy(const UndoStep& step, RouteItemResult r, ItemIdentities* identities) {
    std::error_code lookup;
    if (!TargetExists(step.from, lookup)) return Skipped(r, "Skipped (the copy is no longer where it was put \xE2\x80\x94 nothing to remove).");
    if (!StillAsPut(step, identities))
        return Skipped(r, "Skipped (the copy changed since it was made \xE2\x80\x94 left where it is).");
    if (!TargetExists(step.to, lookup) || lookup)
        return Skipped(r, "Skipped (the original is no longer there \xE2\x80\x94 the copy is kept).");
    switch (SendToRecycleBin(step.from)) {
        case RecycleOutcome::recycled:
            r.ok = true;
            r.copyRemoved = true;
            r.message = "Removed the copy (it is in the Recycle Bin)";
            return r;
        case RecycleOutcome::no_bin:
        case RecycleOutcome::name_not_exact:
            // No Recycle Bin can take it: the original is there, so the copy is deleted.
            if (const std::error_code ec = DeleteTree(step.from)) {
                r.message = std::system_category().message(ec.value());
                return r;
            }
            r.ok = true;
            r.copyRemoved = true;
            r.message = "Removed the copy";
            return r;
        case RecycleOutcome::declined: return Skipped(r, "Skipped (the copy could not go to the Recycle Bin \xE2\x80\x94 left where it is).");
        case RecycleOutcome::failed: break;
    }
    r.message = kMessageRecycleFailed;
    return r;
}

// The redo of a removed copy copies the item again, to where the copy was; the item itself
// never moves.
RouteItemResult CopyAgain(const UndoStep& step, RouteItemResult r, MoveStaging* staging) {
    std::error_code lookup;
    if (!TargetExists(step.from, lookup)) return Skipped(r, "Skipped (the original is no longer there \xE2\x80\x94 nothing to copy).");
    if (std::error_code ec = CreateFolderTree(step.to.parent_path())) {
        r.message = std::system_category().message(ec.value());
        return r;
    }
    const std::error_code copied = CopyToTarget(step.from, step.to, false, staging);
    if (copied.value() == ERROR_ALREADY_EXISTS || copied.value() == ERROR_FILE_EXISTS)
        return Skipped(r, "Skipped (the copy's name is taken \xE2\x80\x94 not copied again).");
    if (copied) {
        r.message = std::system_category().message(copied.value());
        return r;
    }
    r.ok = true;
    r.copied = true;
    r.message = "Copied again";
    return r;
}

// An item an undo took out of the Recycle Bin goes back there (a redo), while it is the one
// that was restored.
RouteItemResult SendBack(const UndoStep& step, RouteItemResult r, ItemIdentities* identities) {
    std::error_code lookup;
    if (!TargetExists(step.from, lookup)) return Skipped(r, "Skipped (no longer where it was put \xE2\x80\x94 nothing to put back).");
    if (!StillAsPut(step, identities))
        return Skipped(r, "Skipped (changed since it was moved \xE2\x80\x94 left where it is).");
    const RecycleMark mark = MarkBeforeRecycling(step.from);
    r.recycledAt = mark.at;
    r.recycledBytes = mark.bytes;
    if (SendToRecycleBin(step.from) != RecycleOutcome::recycled)
        return Skipped(r, "Skipped (it could not go back to the Recycle Bin \xE2\x80\x94 left where it is).");
    r.ok = true;
    r.target = kRecycleBinName;
    r.message = "Sent back to the Recycle Bin";
    return r;
}

}  // namespace

RouteItemResult UndoItem(const UndoStep& step, const RecycleRestore& restore, MoveStaging* staging,
                         ItemIdentities* identities) {
    RouteItemResult r;
    r.source = PathToUtf8(step.from);
    r.target = PathToUtf8(step.to);
    r.rule = step.rule;
    if (step.copy) return RemoveCopy(step, std::move(r), identities);
    if (step.copyAgain) return CopyAgain(step, std::move(r), staging);
    if (step.toBin) return SendBack(step, std::move(r), identities);
    std::error_code lookup;
    if (step.recycled) {
        r.source = "Recycle Bin";
        if (TargetExists(step.to, lookup) || lookup)
            return Skipped(r, "Skipped (the original name is taken \xE2\x80\x94 left in the Recycle Bin).");
        if (restore && restore(step)) {
            r.ok = true;
            r.message = "Restored from the Recycle Bin";
            return r;
        }
        return Skipped(r, "Not restored \xE2\x80\x94 find it in the Recycle Bin (deleted from " + r.target + ").");
    }
    if (!TargetExists(step.from, lookup)) return Skipped(r, "Skipped (no longer where it was put \xE2\x80\x94 nothing to put back).");
    if (!StillAsPut(step, identities))
        return Skipped(r, "Skipped (changed since it was moved \xE2\x80\x94 left where it is).");
    // On one volume the rename itself refuses a taken name (below), and a look-up of a name that
    // is not there costs a scan of the folder under Wine; a copy to another volume, or a
    // folder's, is costly enough to check first.
    const bool renames = SameRootName(step.from, step.to) && !step.expected.folder;
    // After a rename that changed only the case, the original name is the item's own.
    if (!renames && (TargetExists(step.to, lookup) || lookup) && (lookup || !SameObject(step.to, step.from, FinalLink::keep)))
        return Skipped(r, "Skipped (the original name is taken \xE2\x80\x94 left where it is).");
    if (std::error_code ec = CreateFolderTree(step.to.parent_path())) {
        r.message = std::system_category().message(ec.value());
        return r;
    }
    const std::error_code moved = MoveToTarget(step.from, step.to, false, staging);
    if (moved.value() == ERROR_ALREADY_EXISTS || moved.value() == ERROR_FILE_EXISTS)
        return Skipped(r, "Skipped (the original name is taken \xE2\x80\x94 left where it is).");
    if (IsSourceChanged(moved))
        return Skipped(r, "Skipped (it changed while it was being put back \xE2\x80\x94 left where it is).");
    if (moved) {
        r.message = std::system_category().message(moved.value());
        return r;
    }
    r.ok = true;
    r.message = "Put back";
    return r;
}

}  // namespace kw
