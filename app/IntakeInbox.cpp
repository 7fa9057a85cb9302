#include "app/IntakeInbox.h"

#include <cstring>
#include <utility>

#include "shell/PathFiltering.h"

namespace kw {

IntakeInbox::IntakeInbox(std::function<void()> onArrived) : arrived(std::move(onArrived)) {}

IntakeInbox::~IntakeInbox() {
    {
        const std::lock_guard<std::mutex> lock(mutex);
        ending = true;
    }
    wake.notify_all();
    if (thread.joinable()) thread.join();
}

void IntakeInbox::Take(const void* data, size_t bytes, std::uintptr_t waiter, uint64_t nowMs) {
    Raw raw{std::vector<std::byte>(bytes), waiter, nowMs};
    if (bytes > 0) std::memcpy(raw.bytes.data(), data, bytes);
    {
        const std::lock_guard<std::mutex> lock(mutex);
        inbox.push_back(std::move(raw));
        if (!thread.joinable()) thread = std::thread([this] { Run(); });
    }
    wake.notify_all();
}

void IntakeInbox::Add(IntakeRequest request, std::uintptr_t waiter, uint64_t nowMs) {
    const std::lock_guard<std::mutex> lock(mutex);
    gathering.Add(std::move(request), waiter, nowMs);
}

std::optional<uint64_t> IntakeInbox::NextDue() {
    const std::lock_guard<std::mutex> lock(mutex);
    return gathering.NextDue();
}

std::vector<GatheredBatch> IntakeInbox::TakeDue(uint64_t nowMs) {
    const std::lock_guard<std::mutex> lock(mutex);
    return gathering.TakeDue(nowMs);
}

std::vector<GatheredBatch> IntakeInbox::TakeAll() {
    std::unique_lock<std::mutex> lock(mutex);
    idle.wait(lock, [this] { return inbox.empty() && !reading; });
    return gathering.TakeAll();
}

std::vector<std::string> IntakeInbox::TakeRefusals() {
    const std::lock_guard<std::mutex> lock(mutex);
    return std::exchange(refusals, {});
}

void IntakeInbox::Run() {
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        wake.wait(lock, [this] { return ending || !inbox.empty(); });
        if (inbox.empty()) return;
        Raw raw = std::move(inbox.front());
        inbox.pop_front();
        reading = true;
        lock.unlock();
        std::string why;
        std::optional<IntakeRequest> request = DecodeIntake(raw.bytes.data(), raw.bytes.size(), why);
        raw.bytes = {};
        int unsupported = 0;
        if (request) {
            // Looked at here, not on the window's thread: a hundred thousand look-ups take seconds.
            std::vector<std::filesystem::path> given(request->paths.begin(), request->paths.end()), kept;
            FilterDroppedPaths(given, kept, &unsupported);
            request->paths.assign(kept.begin(), kept.end());
            if (unsupported > 0)
                request->notes.push_back("Skipped " + std::to_string(unsupported) +
                                         " unsupported item(s) (e.g. Recycle Bin or shell objects).");
        }
        lock.lock();
        if (request) gathering.Add(std::move(*request), raw.waiter, raw.at);
        else refusals.push_back("Refused a list of items from another program (" + why + ").");
        reading = false;
        idle.notify_all();
        lock.unlock();
        if (arrived) arrived();
        lock.lock();
    }
}

}  // namespace kw
