#include "routing/BatchCache.h"

#include "model/AppFolder.h"

#include <windows.h>

#include "model/ExtendedPath.h"
#include "model/TextEncoding.h"

namespace kw {
namespace fs = std::filesystem;

BatchCache::BatchCache(const AppSettings& batchSettings) : settings(batchSettings), staging(AppFolder()) {
    // Folders that do not exist are never the same object as anything: each is kept.
    const auto add = [&](const std::string& utf8) {
        const fs::path folder = PathFromUtf8(utf8);
        const std::optional<FileIdentity>& id = Folder(folder).identity;
        for (const fs::path& existing : routingFolders)
            if (id && Folder(existing).identity == id) return;
        routingFolders.push_back(folder);
    };
    for (const Rule& rule : settings.rules)
        if (rule.enabled && rule.action == RuleAction::move && !rule.destination.empty()) add(rule.destination);
    if (settings.noMatchPolicy == NoMatchPolicy::unsorted && !settings.catchAllPath.empty()) add(settings.catchAllPath);
}

const FolderFacts& BatchCache::Folder(const fs::path& path) {
    const auto [entry, added] = folders.try_emplace(path.native());
    if (added) {
        // Only a folder itself counts as one: what a link leads to is known by identity alone.
        const DWORD attributes = GetFileAttributesW(ExtendedPath(path).c_str());
        entry->second.isFolder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
                                 !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
        entry->second.identity = IdentityOf(path);
        if (!entry->second.identity) entry->second.isFolder = false;
    }
    return entry->second;
}

bool BatchCache::IsRoutingFolder(const fs::path& item, ItemKind kind) {
    std::optional<FileIdentity> self;
    bool identified = false;
    for (const fs::path& folder : routingFolders) {
        const FolderFacts& facts = Folder(folder);
        if (!facts.identity || (kind == ItemKind::file && facts.isFolder)) continue;
        if (!identified) {
            self = IdentityOf(item);
            identified = true;
        }
        if (self && *self == *facts.identity) return true;
    }
    return false;
}

const std::optional<uint64_t>& BatchCache::Index(const fs::path& path) {
    const auto [entry, added] = indexes.try_emplace(path.native());
    if (added) entry->second = FileIndexOf(path);
    return entry->second;
}

bool BatchCache::LiesBelow(const fs::path& item, const fs::path& folderPath) {
    const std::optional<FileIdentity> folder = Folder(folderPath).identity;  // a copy: Folder() may add entries
    if (!folder) return false;
    const std::optional<uint64_t> folderIndex = Index(folderPath);
    // As IsInsideOrSame: Win32 resolves ".." lexically before any link is followed.
    fs::path at = PlainPath(item);
    for (;;) {
        const fs::path up = at.parent_path();
        if (up.empty() || up == at) return false;
        at = up;
        // Different indexes are different objects; the same index is asked in full.
        if (const std::optional<uint64_t>& index = Index(at); folderIndex && index && *index != *folderIndex) continue;
        if (const auto& id = Folder(at).identity; id && *id == *folder) return true;
    }
}

}  // namespace kw
