#include "routing/BatchCache.h"

#include "model/PortablePath.h"

#include "model/DataFolder.h"
#include "model/MissingFolders.h"

#include <windows.h>

#include <algorithm>

#include "model/ExtendedPath.h"
#include "model/TextEncoding.h"

namespace kw {
namespace fs = std::filesystem;

BatchCache::BatchCache(const AppSettings& batchSettings)
    : settings(WithResolvedFolders(batchSettings, SystemPathContext())), staging(DataFolder().folder) {
    // Two spellings of one folder are both kept: each is compared by identity when it matters.
    for (const std::string& utf8 : kw::RoutingFolders(settings)) {
        const fs::path folder = PathFromUtf8(utf8);
        if (std::find(routingFolders.begin(), routingFolders.end(), folder) == routingFolders.end())
            routingFolders.push_back(folder);
    }
}

const FolderFacts& BatchCache::Folder(const fs::path& path) {
    const auto [entry, added] = folders.try_emplace(path.native());
    if (added) {
        // Only a folder itself counts as one: what a link leads to is known by identity alone.
        const DWORD attributes = GetFileAttributesW(ExtendedPath(path).c_str());
        entry->second.isFolder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
                                 !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    }
    return entry->second;
}

const std::optional<FileIdentity>& BatchCache::Identity(const fs::path& path) {
    const auto [entry, added] = identities.try_emplace(path.native());
    if (added) entry->second = IdentityOf(path);
    return entry->second;
}

bool BatchCache::IsRoutingFolder(const fs::path& item, ItemKind kind) {
    std::optional<FileIdentity> self;
    bool identified = false;
    for (const fs::path& folder : routingFolders) {
        // A plain file is not the same object as a folder.
        if (kind == ItemKind::file && Folder(folder).isFolder) continue;
        const std::optional<FileIdentity> id = Identity(folder);  // a copy: Identity() may add entries
        if (!id) continue;
        if (!identified) {
            self = IdentityOf(item);
            identified = true;
        }
        if (self && *self == *id) return true;
    }
    return false;
}

const std::optional<uint64_t>& BatchCache::Index(const fs::path& path) {
    const auto [entry, added] = indexes.try_emplace(path.native());
    if (added) entry->second = FileIndexOf(path);
    return entry->second;
}

namespace {

// The plain path in upper case, as the file system's own case-insensitive comparison of names
// sees it.
std::wstring ClaimKey(const fs::path& target) {
    std::wstring key = PlainPath(target).native();
    if (!key.empty()) CharUpperBuffW(key.data(), static_cast<DWORD>(key.size()));
    return key;
}

}  // namespace

void BatchCache::Claim(const fs::path& target) { claimed.insert(ClaimKey(target)); }

bool BatchCache::Claimed(const fs::path& target) const { return !claimed.empty() && claimed.count(ClaimKey(target)); }

bool BatchCache::LiesBelow(const fs::path& item, const fs::path& folderPath) {
    // As IsInsideOrSame: Win32 resolves ".." lexically before any link is followed.
    fs::path at = PlainPath(item);
    const auto [entry, added] = below.try_emplace(std::pair(at.parent_path().native(), folderPath.native()), false);
    if (!added) return entry->second;
    const std::optional<uint64_t> folderIndex = Index(folderPath);  // a copy: Index() may add entries
    for (;;) {
        const fs::path up = at.parent_path();
        if (up.empty() || up == at) break;
        at = up;
        // Different indexes are different objects; the same index (or none) is asked in full.
        if (const std::optional<uint64_t>& index = Index(at); folderIndex && index && *index != *folderIndex) continue;
        const std::optional<FileIdentity> folder = Identity(folderPath);
        if (!folder) break;
        if (const std::optional<FileIdentity>& id = Identity(at); id && *id == *folder) {
            entry->second = true;
            break;
        }
    }
    return entry->second;
}

}  // namespace kw
