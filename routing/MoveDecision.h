#pragma once
// What moving one item into a folder is to do, decided in one place for the plan of a drop (the
// preview, the Test tab) and for the move itself: the checks in their order, each with the
// router's words; the name the item takes; and how a taken name is resolved under the rule's
// conflict policy, counting the names that earlier items of the same batch took. The plan
// reports the decision; the move carries it out, and asks DecideOnTakenName when a rename finds
// a name taken that was free when it was decided.
//
// A batch never replaces what it put there itself: a name an earlier item of the batch took is
// a conflict with that item, resolved by auto-rename (under the overwrite and auto-rename
// policies) or by a skip, never by overwriting.

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "model/AppSettings.h"
#include "model/Clock.h"
#include "routing/BatchCache.h"
#include "routing/FileIdentity.h"

namespace kw {

enum class MoveVerdict {
    move,
    stays,  // nothing to do and nothing wrong (already in its destination, a folder into itself)
    skip,   // not moved: the name is taken and the rule's conflict policy skips
    fail,   // the rule cannot be carried out (no destination, a whole drive, no free name, ...)
};

// Why the target is not simply the item's own name in the destination (or why it is skipped).
enum class NameClash {
    none,
    onDisk,     // something stands there
    batchItem,  // an earlier item of this batch took the name
};

struct MoveDecision {
    MoveVerdict verdict = MoveVerdict::fail;
    std::string message;           // stays, skip and fail: the router's words
    std::filesystem::path wanted;  // the item's own name in the destination
    std::filesystem::path target;  // where it goes (stays and skip: the name in question, if any)
    NameClash clash = NameClash::none;
    bool replace = false;        // the overwrite policy: what stands at the target is deleted first
    bool createsFolder = false;  // the destination folder does not exist yet
    bool plainFile = false;      // a plain file going into a folder (the batch's facts decide for it)
    // A rename in the item's own folder that changes only the case of its name: the name "taken"
    // is the item's own, and nothing there is replaced.
    bool caseOnly = false;
    // Whether the target name is taken could not be asked (the destination does not answer, or
    // refuses): a plan says so; the move tries, and the system's own answer is its message.
    std::error_code lookupError;
};

// `kind` is what a look-up just found at `item`; nothing for a name judged alone (a plan of a
// name that does not exist). `lookUpTarget` asks now whether the target name is taken; without
// it the move finds out by trying (a look-up of a missing name costs a folder scan under Wine,
// and a rename refuses a taken name by itself). `newName` (one name) is the name the item takes
// in the destination instead of its own; the destination may then be the item's own folder (a
// rename), where the item is left only when it already has that very name.
MoveDecision DecideMove(const std::filesystem::path& item, std::optional<ItemKind> kind,
                        const std::filesystem::path& destination, ConflictPolicy conflict,
                        const AutoRenameOptions& autoRename, BatchCache& batch, const Clock& clock,
                        bool lookUpTarget, const std::filesystem::path& newName = {});

// The move into `decided.target` found that name taken: what to do now (the item may be the
// one already standing there; else skip or the next free name, as the policy says).
MoveDecision DecideOnTakenName(MoveDecision decided, const std::filesystem::path& item, ConflictPolicy conflict,
                               const AutoRenameOptions& autoRename, BatchCache& batch, const Clock& clock);

}  // namespace kw
