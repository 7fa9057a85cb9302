#include "app/JobEvents.h"

namespace kw {

bool JobEvents::StoreProgress(int done, int total, std::string current) {
    std::lock_guard lock(eventMutex);
    pendingProgress = ProgressReport{done, total, std::move(current)};
    if (progressPosted) return false;
    progressPosted = true;
    maxQueued = 1;
    return true;
}

void JobEvents::ProgressPostFailed() {
    std::lock_guard lock(eventMutex);
    progressPosted = false;
}

void JobEvents::StoreResult(RouteJobResult result) {
    std::lock_guard lock(eventMutex);
    pendingResult = std::move(result);
}

JobEvents::Taken JobEvents::Take() {
    std::lock_guard lock(eventMutex);
    Taken taken{std::move(pendingProgress), std::move(pendingResult)};
    pendingProgress.reset();
    pendingResult.reset();
    progressPosted = false;
    return taken;
}

int JobEvents::MaxQueuedProgressPosts() const {
    std::lock_guard lock(eventMutex);
    return maxQueued;
}

}  // namespace kw
