#pragma once
// What one batch knows about the folders it works with (its destinations and routing folders,
// and the folders its items lie in), and what it holds while it runs: the staging of its copies
// across volumes and, once needed, a COM apartment. Under Wine, identifying a folder costs about a millisecond
// (the volume's serial number is asked of another process), several times what a move costs, so
// each folder is identified once per batch, not once per item.
//
// Only the program's own changes, and failures, say that a folder changed within a batch: the
// item step calls Forget() after it creates a folder, moves, recycles or deletes anything that
// may be a folder, and when an operation fails in a way that could mean a folder went; the next
// question then reads the disk again. Every step that replaces or deletes something still asks
// the disk itself (see ItemActions.cpp): cached facts only ever take the fast path of a
// non-destructive rename.

#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "matching/RuleSelection.h"
#include "model/AppSettings.h"
#include "routing/BatchOptions.h"
#include "routing/ComApartment.h"
#include "routing/BatchPhases.h"
#include "routing/FileIdentity.h"
#include "routing/MoveStaging.h"

namespace kw {

// Destination folders of the enabled move rules (and the catch-all folder when unmatched
// items go there), one entry per spelling. They are never routed themselves.
using RoutingFolderList = std::vector<std::filesystem::path>;

struct FolderFacts {
    bool isFolder = false;  // a folder itself, not a link to one
};

class BatchCache {
public:
    // Compiles the rules' patterns. Nothing is read from the disk until it is asked for: a full
    // identity costs about half a millisecond under Wine (the volume's serial number is asked of
    // another process), and a batch of plain files needs none in the common case.
    explicit BatchCache(const AppSettings& settings, BatchOptions options = {});
    BatchCache(const BatchCache&) = delete;
    BatchCache& operator=(const BatchCache&) = delete;

    const AppSettings& Settings() const { return settings; }
    const BatchOptions& Options() const { return options; }
    const RuleSelector& Rules() const { return rules; }
    const RoutingFolderList& RoutingFolders() const { return routingFolders; }

    // The facts of the folder at this path, as spelled.
    const FolderFacts& Folder(const std::filesystem::path& path);
    // The identity of what is at this path, as spelled: nothing when missing or unreachable.
    const std::optional<FileIdentity>& Identity(const std::filesystem::path& path);

    // Whether the item (of this kind, from a look-up just made) is one of the routing folders.
    // A plain file cannot be the same object as a folder, so it is identified only when some
    // routing "folder" is in fact a file.
    bool IsRoutingFolder(const std::filesystem::path& item, ItemKind kind);

    // Whether one of the folders on the item's path (its lexical ancestors, as Win32 resolves
    // them) is this folder: IsInsideOrSame for an item that is not the folder. An ancestor is
    // identified in full only when its file index matches the folder's. Items of one folder share
    // the answer.
    bool LiesBelow(const std::filesystem::path& item, const std::filesystem::path& folder);

    // Names the batch's items took (or, in a plan, would take): a later item that wants one
    // meets the batch's own item, which it never replaces. Compared as the file system
    // compares names, ignoring case; kept when the rest is forgotten.
    void Claim(const std::filesystem::path& target);
    bool Claimed(const std::filesystem::path& target) const;

    // Where the batch's copies across volumes are made and journaled.
    MoveStaging& Staging() { return staging; }

    // Where the batch's time went (the selection is timed where it happens).
    BatchPhases& Phases() { return phases; }

    // The shell (the Recycle Bin) is to be called from a single-threaded apartment. The batch's
    // thread enters one at its first item that needs it, and leaves it with the batch: most
    // batches never recycle, and entering one costs up to a millisecond or two under Wine.
    // Call only on the batch's thread, which must not already be in a multithreaded apartment.
    void EnterComApartment() {
        if (!apartment) apartment.emplace();
    }

    // Everything is read again from the disk when next asked.
    void Forget() {
        folders.clear();
        identities.clear();
        indexes.clear();
        below.clear();
    }

private:
    AppSettings settings;
    BatchOptions options;
    RuleSelector rules{settings};
    RoutingFolderList routingFolders;
    std::map<std::wstring, FolderFacts> folders;
    std::map<std::wstring, std::optional<FileIdentity>> identities;
    std::map<std::wstring, std::optional<uint64_t>> indexes;
    std::map<std::pair<std::wstring, std::wstring>, bool> below;  // (an item's folder, a folder)
    std::set<std::wstring> claimed;
    MoveStaging staging;  // its journal in the program's data folder
    BatchPhases phases;
    std::optional<ComApartment> apartment;
    const std::optional<uint64_t>& Index(const std::filesystem::path& path);
};

}  // namespace kw
