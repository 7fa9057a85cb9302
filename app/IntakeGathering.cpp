#include "app/IntakeGathering.h"

#include <algorithm>

namespace kw {

uint64_t IntakeGathering::Group::Due() const {
    return complete ? first : std::min(last + kQuietMs, first + kLongestMs);
}

void IntakeGathering::Add(IntakeRequest request, std::uintptr_t waiter, uint64_t nowMs) {
    Group* group = nullptr;
    if (!request.fromConsole && waiter == 0) {
        for (Group& open : groups)
            if (!open.complete && open.batch.copy == request.copy && open.batch.preview == request.preview &&
                nowMs < open.Due())
                group = &open;
    }
    if (!group) {
        groups.emplace_back();
        group = &groups.back();
        group->complete = request.fromConsole || waiter != 0;
        group->first = nowMs;
        group->batch.copy = request.copy;
        group->batch.preview = request.preview;
    }
    group->last = nowMs;
    // The same item named twice (two processes for one selection) is routed once.
    for (std::wstring& path : request.paths) {
        std::filesystem::path item(std::move(path));
        if (std::find(group->batch.paths.begin(), group->batch.paths.end(), item) == group->batch.paths.end())
            group->batch.paths.push_back(std::move(item));
    }
    for (std::string& note : request.notes) group->batch.notes.push_back(std::move(note));
    if (waiter != 0) group->batch.waiters.push_back(waiter);
}

std::optional<uint64_t> IntakeGathering::NextDue() const {
    std::optional<uint64_t> next;
    for (const Group& group : groups) next = std::min(next.value_or(group.Due()), group.Due());
    return next;
}

std::vector<GatheredBatch> IntakeGathering::TakeDue(uint64_t nowMs) {
    std::vector<GatheredBatch> due;
    for (auto it = groups.begin(); it != groups.end();) {
        if (it->Due() <= nowMs) {
            due.push_back(std::move(it->batch));
            it = groups.erase(it);
        } else {
            ++it;
        }
    }
    return due;
}

std::vector<GatheredBatch> IntakeGathering::TakeAll() {
    std::vector<GatheredBatch> all;
    for (Group& group : groups) all.push_back(std::move(group.batch));
    groups.clear();
    return all;
}

}  // namespace kw
