#pragma once
// Which of the Recycle Bin's items is the one a batch sent there. Plain records in, a choice out:
// the shell adapter (shell/RecycleBinRestore) reads the records from the bin once per undo, and
// this decides. An item matches only by its original file name (with its extension, whatever
// Explorer shows) and folder, both compared as the file system does, ignoring case; by its size
// where both sizes are known; and by a deletion no earlier than the one recorded. Of several that
// match, the earliest such deletion is the recorded one: a later deletion of another file from
// the same path (the user's own, after the batch) is never taken for it.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kw {

struct BinRecord {
    std::wstring name;    // original file name with its extension
    std::wstring folder;  // the folder it was deleted from
    std::optional<uint64_t> bytes;
    uint64_t deleted = 0;  // UTC file-time ticks
};

struct BinWanted {
    std::wstring name;
    std::wstring folder;
    std::optional<uint64_t> bytes;  // unknown for a folder, or in a history of an earlier version
    uint64_t deletedAfter = 0;      // the recorded deletion, less the bin's rounding (UTC ticks)
};

// The original name of a bin item from what the shell gives for it: `fileName` (System.FileName)
// when that is the original name; otherwise the name Explorer shows (`shown`, without the
// extension under "hide extensions for known file types") with the extension of the item's
// stored file (`stored`, the bin's own "$R..." name, which keeps the original extension) put
// back. A name that stays ambiguous matches nothing later, and the item is left in the bin.
std::wstring OriginalBinName(std::wstring_view fileName, std::wstring_view shown, std::wstring_view stored);

// The index in `bin` of the item to restore, or nothing when none matches. Records marked taken
// (restored already by this undo) are passed over.
std::optional<size_t> PickBinRecord(const std::vector<BinRecord>& bin, const BinWanted& wanted,
                                    const std::vector<bool>& taken = {});

}  // namespace kw
