#pragma once
// Takes an item back out of the Recycle Bin, through the shell's own Recycle Bin folder: the
// item deleted from `original` no earlier than `deletedAfter` (UTC file-time ticks), restored
// with the folder's "undelete" verb. Callable from any thread (it enters a COM apartment of its
// own for the call).

#include <cstdint>
#include <filesystem>

namespace kw {

// True when the item is back at `original`. False when no such item is in the bin, the shell
// cannot say (Wine's Recycle Bin folder answers no details), or the restore did not happen.
bool RestoreFromRecycleBin(const std::filesystem::path& original, uint64_t deletedAfter);

}  // namespace kw
