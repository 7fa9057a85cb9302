#include "app/IntakeGathering.h"

#include <algorithm>
#include <cwctype>

namespace kw {

std::wstring PathKey(const std::wstring& path) {
    std::wstring key;
    key.reserve(path.size());
    for (size_t i = 0; i < path.size(); ++i) {
        wchar_t c = path[i] == L'/' ? L'\\' : path[i];
        // A run of separators is one, except the two that open a share or a \\?\ path.
        if (c == L'\\' && i > 1 && !key.empty() && key.back() == L'\\') continue;
        key += static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
    }
    return key;
}

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
    // The same item named twice (two processes for one selection) is routed once. A set of keys
    // keeps this linear: a script may hand over a hundred thousand paths.
    group->batch.paths.reserve(group->batch.paths.size() + request.paths.size());
    for (std::wstring& path : request.paths) {
        if (group->named.insert(PathKey(path)).second) group->batch.paths.emplace_back(std::move(path));
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
