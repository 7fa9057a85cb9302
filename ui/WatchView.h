#pragma once
// What the settings window shows of folder watching, owned by the application.

#include <cstddef>
#include <string>
#include <vector>

#include "watch/FolderWatcher.h"

namespace kw {

struct WatchView {
    std::vector<WatchFolderStatus> statuses;  // as the watcher last reported them
    std::string offer;  // "Watching Downloads would route 1,234 items that are already there"; "" when none waits
};

// The answers to an offer of the items already in a folder just watched.
enum class WatchOfferChoice { preview, route, onlyNew };

}  // namespace kw
