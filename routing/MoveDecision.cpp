#include "routing/MoveDecision.h"

#include <windows.h>

#include "model/ExtendedPath.h"
#include "model/TextEncoding.h"
#include "routing/NameConflicts.h"
#include "routing/RouteMessages.h"

namespace kw {
namespace fs = std::filesystem;

namespace {

// Names compared as the file system compares them (ordinal, ignoring case).
bool SameNameIgnoringCase(const fs::path& a, const fs::path& b) {
    const std::wstring& x = a.native();
    const std::wstring& y = b.native();
    return CompareStringOrdinal(x.c_str(), static_cast<int>(x.size()), y.c_str(), static_cast<int>(y.size()), TRUE) ==
           CSTR_EQUAL;
}

bool IsFolderItemAt(const fs::path& path) {
    const DWORD attributes = GetFileAttributesW(ExtendedPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The item lies directly in `folder`: a rename there stays in its folder. The path as given
// (a rename's destination is the item's own folder) answers without a look-up.
bool InFolder(const fs::path& item, const fs::path& folder) {
    const fs::path parent = PlainPath(item).parent_path();
    return SameNameIgnoringCase(parent, PlainPath(folder)) || SameObject(parent, folder);
}

MoveDecision& Verdict(MoveDecision& d, MoveVerdict verdict, std::string message, fs::path target = {}) {
    d.verdict = verdict;
    d.message = std::move(message);
    d.target = std::move(target);
    return d;
}

// The target may be the item itself under another name (a hard link, another spelling of its
// folder): replacing such a "target" would delete the item.
bool TargetIsItem(const fs::path& target, const fs::path& item) {
    return SameObject(target, item) || SameObject(target, item, FinalLink::keep);
}

fs::path NextFreeName(const MoveDecision& d, const AutoRenameOptions& autoRename, BatchCache& batch,
                      const Clock& clock) {
    return UniqueTargetPath(d.wanted, autoRename, clock, [&](const fs::path& p) { return batch.Claimed(p); });
}

// A name taken on disk (`clash` onDisk) or by an earlier item of the batch.
MoveDecision& ResolveClash(MoveDecision& d, NameClash clash, ConflictPolicy conflict,
                           const AutoRenameOptions& autoRename, BatchCache& batch, const Clock& clock) {
    d.clash = clash;
    if (conflict == ConflictPolicy::skip)
        return Verdict(d, MoveVerdict::skip, clash == NameClash::batchItem ? kMessageNameTakenInBatch : kMessageNameExists,
                       d.wanted);
    if (conflict == ConflictPolicy::overwrite && clash == NameClash::onDisk) {
        d.replace = true;
        return d;
    }
    d.target = NextFreeName(d, autoRename, batch, clock);
    return d;
}

}  // namespace

MoveDecision DecideMove(const fs::path& item, std::optional<ItemKind> kind, const fs::path& destination,
                        ConflictPolicy conflict, const AutoRenameOptions& autoRename, BatchCache& batch,
                        const Clock& clock, bool lookUpTarget, const fs::path& newName) {
    MoveDecision d;
    if (destination.empty()) return Verdict(d, MoveVerdict::fail, kMessageNoDestination);
    // An item without a name of its own (a whole drive, a share) would target the destination itself.
    if (IsVolumeRoot(item)) return Verdict(d, MoveVerdict::fail, kMessageWholeVolume);
    const FolderFacts dest = batch.Folder(destination);  // a copy: Forget() drops the batch's
    if (!dest.isFolder) {
        std::error_code error;
        const std::optional<ItemKind> there = ItemKindAt(destination, error);
        if (error) return Verdict(d, MoveVerdict::fail, "The destination cannot be reached: " + error.message());
        if (there == ItemKind::file)
            return Verdict(d, MoveVerdict::fail, "The destination " + PathToUtf8(destination) + " is a file, not a folder.");
        d.createsFolder = !there;
    }
    const fs::path ownName = PlainPath(item).filename();
    d.wanted = d.target = destination / (newName.empty() ? ownName : newName);
    d.plainFile = kind == ItemKind::file && dest.isFolder;
    d.verdict = MoveVerdict::move;
    if (kind && !newName.empty() && InFolder(item, destination)) {
        // A rename where the item lies.
        if (newName.native() == ownName.native()) return Verdict(d, MoveVerdict::stays, kMessageSameName, d.wanted);
        if (SameNameIgnoringCase(newName, ownName)) {
            d.caseOnly = true;  // the rename itself changes the case (MoveFileExW does)
            return d;
        }
        // Another name of the same file (a hard link): it is there already.
        if (TargetIsItem(d.wanted, item)) return Verdict(d, MoveVerdict::stays, kMessageAlreadyThere, d.wanted);
    } else if (kind) {
        // For a plain file going into a folder the batch has seen, the batch's facts decide: a
        // file is never the same object as a folder and no folder lies inside it, and whether it
        // already lies in the destination is decided by the identities of the folders above it.
        // By identity: the destination may be spelled in another case, through another drive
        // letter or a short name.
        if (!d.plainFile && SameObject(item, destination)) return Verdict(d, MoveVerdict::stays, kMessageIntoItself);
        if (*kind != ItemKind::file && IsFolderItemAt(item) && IsInsideOrSame(destination, item))
            return Verdict(d, MoveVerdict::stays, kMessageFolderIntoItself);
        const bool inDestination = d.plainFile ? batch.LiesBelow(item, destination) : IsInsideOrSame(item, destination);
        if (inDestination || (!d.plainFile && TargetIsItem(d.wanted, item)))
            return Verdict(d, MoveVerdict::stays, kMessageAlreadyThere, d.wanted);
    }
    if (batch.Claimed(d.wanted)) return ResolveClash(d, NameClash::batchItem, conflict, autoRename, batch, clock);
    if (!lookUpTarget || d.createsFolder) return d;
    std::error_code error;
    if (!TargetExists(d.wanted, error)) {
        d.lookupError = error;
        return d;
    }
    // Whether the name is the item itself is asked of a plain file only when the name is taken.
    if (d.plainFile && TargetIsItem(d.wanted, item)) return Verdict(d, MoveVerdict::stays, kMessageAlreadyThere, d.wanted);
    return ResolveClash(d, NameClash::onDisk, conflict, autoRename, batch, clock);
}

MoveDecision DecideOnTakenName(MoveDecision d, const fs::path& item, ConflictPolicy conflict,
                               const AutoRenameOptions& autoRename, BatchCache& batch, const Clock& clock) {
    if (d.plainFile && d.target == d.wanted && TargetIsItem(d.wanted, item))
        return Verdict(d, MoveVerdict::stays, kMessageAlreadyThere, d.wanted);
    if (d.clash == NameClash::none) d.clash = NameClash::onDisk;
    // Something took the name since it was decided: never replaced, whatever the policy.
    if (conflict == ConflictPolicy::skip)
        return Verdict(d, MoveVerdict::skip, d.clash == NameClash::batchItem ? kMessageNameTakenInBatch : kMessageNameExists,
                       d.target);
    const fs::path next = NextFreeName(d, autoRename, batch, clock);
    // The untested " (copy)" name, when every numbered one is taken, is taken too.
    if (next == d.target) return Verdict(d, MoveVerdict::fail, kMessageNameExists, d.target);
    d.target = next;
    return d;
}

}  // namespace kw
