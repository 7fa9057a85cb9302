#include "app/JobEvents.h"

#include <iterator>

namespace kw {

bool JobEvents::StoreProgress(int done, int total, std::string current, bool listing) {
    std::lock_guard lock(eventMutex);
    pendingProgress = ProgressReport{done, total, std::move(current), listing};
    if (progressPosted) return false;
    const std::chrono::steady_clock::time_point now = std::chrono::steady_clock::now();
    if (lastPost != std::chrono::steady_clock::time_point{} && now - lastPost < interval) return false;
    lastPost = now;
    progressPosted = true;
    maxQueued = 1;
    return true;
}

void JobEvents::ProgressPostFailed() {
    std::lock_guard lock(eventMutex);
    progressPosted = false;
    lastPost = {};  // the next report tries again at once
}

void JobEvents::StoreResult(RouteJobResult result) {
    std::lock_guard lock(eventMutex);
    pendingResults.push_back(std::move(result));
}

JobEvents::Taken JobEvents::Take() {
    std::lock_guard lock(eventMutex);
    Taken taken{std::move(pendingProgress),
                {std::make_move_iterator(pendingResults.begin()), std::make_move_iterator(pendingResults.end())}};
    pendingProgress.reset();
    pendingResults.clear();
    progressPosted = false;
    return taken;
}

int JobEvents::MaxQueuedProgressPosts() const {
    std::lock_guard lock(eventMutex);
    return maxQueued;
}

}  // namespace kw
