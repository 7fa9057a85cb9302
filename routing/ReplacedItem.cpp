#include "routing/ReplacedItem.h"

namespace kw {
namespace fs = std::filesystem;

ReplaceWay ReplaceWayFor(const fs::path& target) {
    // A name the shell cannot reach exactly, or a volume without a bin: the shell would delete
    // it for good anyway (and say it succeeded), so it is deleted as the policy always did.
    return RecycleCheck(target) == RecycleOutcome::recycled ? ReplaceWay::recycle : ReplaceWay::deleteForGood;
}

std::error_code RecycleReplaced(const fs::path& target, ReplacedItem& replaced) {
    const RecycleMark mark = MarkBeforeRecycling(target);
    replaced.at = mark.at;
    replaced.bytes = mark.bytes;
    replaced.tried = true;
    replaced.outcome = SendToRecycleBin(target);
    switch (replaced.outcome) {
        case RecycleOutcome::recycled: return {};
        case RecycleOutcome::declined: return {ERROR_CANCELLED, std::system_category()};
        default: return {ERROR_ACCESS_DENIED, std::system_category()};
    }
}

std::string ReplacedMessage(const std::string& done, bool copy, const std::string& rule, ReplaceWay way) {
    if (way == ReplaceWay::recycle)
        return (copy ? "Replaced with a copy via " : "Replaced via ") + rule + "; the old one is in the Recycle Bin";
    return done + " \xE2\x80\x94 replaced (the old one was deleted for good)";
}

std::string NotReplacedMessage(const ReplacedItem& replaced) {
    if (replaced.outcome == RecycleOutcome::declined)
        return "Skipped (the item there could not go to the Recycle Bin \xE2\x80\x94 nothing was replaced).";
    return "Could not send the item there to the Recycle Bin \xE2\x80\x94 nothing was replaced.";
}

}  // namespace kw
