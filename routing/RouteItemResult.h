#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kw {

// What stands for the Recycle Bin as a recycled item's target, and as the source of an item an
// undo took out of it.
inline constexpr char kRecycleBinName[] = "Recycle Bin";

// The outcome of one dropped item. The flags classify it: ok alone = moved or recycled;
// ok + copied = copied; ok + renamed = renamed in its own folder; ok + skipped = left alone,
// nothing wrong; skipped alone = not moved because the rule's conflict policy skips a taken name;
// neither = failed: the rule could not be carried out (an error, a template that does not work,
// no Recycle Bin, no free name), and the item stays where it was.
struct RouteItemResult {
    std::string source;   // UTF-8 path as dropped
    std::string target;   // where it went or would have gone; "Recycle Bin"; or empty
    std::string rule;     // name from the routing decision; empty when none was made
    std::string message;  // what the user reads
    bool ok = false;
    bool skipped = false;
    bool copied = false;  // ok: a copy went to the target and the item stayed where it was
    bool renamed = false;  // ok: the rename action gave the item its new name in its own folder
    bool copyRemoved = false;  // ok: an undo removed this copy (`source`) of the item at `target`
    // Sent to the Recycle Bin: the time just before the shell was asked (UTC file-time ticks)
    // and, for a file, its size; undo picks this very deletion out of the bin by them.
    uint64_t recycledAt = 0;
    std::optional<uint64_t> recycledBytes{};
    // Moved or copied over an item the overwrite policy replaced, which went to the Recycle Bin:
    // when it was sent and, for a file, its size, as for a recycled item (undo restores it).
    uint64_t replacedAt = 0;
    std::optional<uint64_t> replacedBytes{};
};

}  // namespace kw
