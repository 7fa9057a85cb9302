#pragma once
// Folders whose arrivals are routed by the rules without a drop: what the user chose for each,
// and the switches that hold for all of them. Stored under "watching" in the settings document.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kw {

struct WatchedFolder {
    std::string path;  // UTF-8, as chosen
    bool enabled = true;
    bool includeSubfolders = false;
    // At start (and when the folder is turned on), items found there are routed too; off: only
    // what arrives from then on.
    bool routeExisting = false;
    int32_t settleSeconds = 3;  // size and write time unchanged this long before an item is routed
    int32_t pollSeconds = 60;   // network and removable folders, where notifications are unreliable

    bool operator==(const WatchedFolder&) const = default;
};

struct WatchSettings {
    std::vector<WatchedFolder> folders;
    bool paused = false;
    bool balloons = true;  // one balloon per watched batch (never one per file)

    bool operator==(const WatchSettings&) const = default;
};

// Values a document may hold that the watcher cannot use are brought into range: settle time
// 1-3600 s, poll interval 5-86400 s.
WatchedFolder Sanitized(WatchedFolder folder);

// `item` is `folder` or lies below it (with `subfolders`), or directly in it (without).
bool LiesIn(const std::filesystem::path& folder, const std::filesystem::path& item, bool subfolders = true);

// The enabled watched folder a rule's destination (UTF-8) equals, or lies in while that folder
// is watched with its subfolders; nothing when none.
std::optional<std::string> WatchedFolderHolding(const std::vector<WatchedFolder>& folders,
                                                const std::string& destination);


}  // namespace kw
