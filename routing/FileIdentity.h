#pragma once
// Which file-system object a path names, whatever its spelling: letter case, trailing
// separators, "." and "..", the \\?\ form, 8.3 short names, a second drive letter mapped onto
// the same folder (subst), a hard link. Decisions that could destroy an item ("is the target
// the item itself?", "is the item already in its destination?") are made on this identity,
// never on the text of the paths.

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <system_error>

namespace kw {

struct FileIdentity {
    uint64_t volume = 0;
    std::array<uint8_t, 16> file{};
    bool wide = false;  // from the 128-bit id; the 64-bit fallback is compared only with its kind
    bool operator==(const FileIdentity&) const = default;
};

enum class FinalLink { follow, keep };

// What stands at a path, by its own attributes (a link is not followed): a plain file, a
// folder, or a link of any kind (symbolic link, junction, other reparse point).
enum class ItemKind { file, folder, link };

// One attribute look-up, literal ("CON", "name."). Nothing when nothing is there: the Windows
// "not found" family (2, 3, 53, 64, 123, 267); any other error is returned in `error`.
std::optional<ItemKind> ItemKindAt(const std::filesystem::path& path, std::error_code& error);

// Nothing when the object cannot be opened for its attributes (missing, or not reachable).
// With FinalLink::keep a link at the path is identified itself, not what it points to.
std::optional<FileIdentity> IdentityOf(const std::filesystem::path& path, FinalLink link = FinalLink::follow);

// The file system's 64-bit number for the object, without its volume: one object always has
// the same number, so different numbers prove different objects, while equal numbers prove
// nothing (another volume, or a file system whose ids are wider). Cheap where IdentityOf is
// not: Wine answers it without asking another process for the volume's serial number. Nothing
// when it cannot be had.
std::optional<uint64_t> FileIndexOf(const std::filesystem::path& path);
// The same number for an open file handle (a HANDLE).
std::optional<uint64_t> FileIndexOfHandle(void* handle);

// Both name one object; anything that cannot be identified is not the same.
bool SameObject(const std::filesystem::path& a, const std::filesystem::path& b, FinalLink link = FinalLink::follow);

// The child is the parent itself (the child not followed if it is a link), or one of the
// folders on the child's path (its ancestors, as Win32 resolves them) is the parent.
bool IsInsideOrSame(const std::filesystem::path& child, const std::filesystem::path& parent);

}  // namespace kw
