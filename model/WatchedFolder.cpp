#include "model/WatchedFolder.h"

#include <algorithm>

namespace kw {

WatchedFolder Sanitized(WatchedFolder folder) {
    // A settle time of 0 would route a file between two writes; a poll every second would keep a
    // share (or a sleeping disk) busy for nothing.
    folder.settleSeconds = std::clamp<int32_t>(folder.settleSeconds, 1, 3600);
    folder.pollSeconds = std::clamp<int32_t>(folder.pollSeconds, 5, 86400);
    return folder;
}

}  // namespace kw
