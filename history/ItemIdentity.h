#pragma once
// Which object a history record names, kept as text, and asked cheaply. The full identity (the
// volume's serial number and the 128-bit file id) costs a question to another process under
// Wine (0.25-2.5 ms an item, more than the move itself). Where the file system's 64-bit index is
// unique (NTFS, FAT, exFAT: not ReFS) a file is named by its folder's volume, asked once per
// folder, and its own 64-bit index, which needs no such question. Both forms are
// "<volume, 16 hex digits>:<id>", told apart by the id's length (32 or 16 hex digits); a record
// of either form is checked in its own form.

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace kw {

// The full form: "" when the object cannot be identified.
std::string IdentityText(const std::filesystem::path& item);

// What one batch learns about its folders (one thread's; not shared).
class ItemIdentities {
public:
    // The identity of what stands at `item`, a file when `isFile` (a folder or a link is always
    // named in full); "" when unknown.
    std::string TextOf(const std::filesystem::path& item, bool isFile);
    // Whether what stands at `item` is the object `text` names.
    bool Matches(const std::filesystem::path& item, const std::string& text);

private:
    // The volume of the folder when its 64-bit indexes are unique, asked once per folder.
    std::optional<uint64_t> IndexVolume(const std::filesystem::path& folder);
    std::map<std::wstring, std::optional<uint64_t>> folders;
};

}  // namespace kw
