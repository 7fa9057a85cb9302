#pragma once
// Whole-tree copy and delete on Win32 calls, so that they work past 260 characters, on
// read-only entries, and without the standard library's same-volume overwrite fault.
// Errors come back as Windows error codes (system category).

#include <cstdint>
#include <filesystem>
#include <system_error>

#include "model/ExtendedPath.h"
#include "routing/MoveJournal.h"

namespace kw {

// Copies a file, or a folder with everything in it, to `target`. With `mergeOverwrite` an
// existing folder at the target is merged into and existing files are replaced; without it
// nothing at the target is ever replaced (ERROR_ALREADY_EXISTS / ERROR_FILE_EXISTS).
std::error_code CopyTree(const std::filesystem::path& source, const std::filesystem::path& target,
                         bool mergeOverwrite);

// Writes every file of a file or a folder tree to its disk (what the system still holds in its
// cache), so that a power cut or a removed stick cannot leave it truncated or zero-filled.
std::error_code FlushTree(const std::filesystem::path& path);

// Creates a folder and the folders above it that are missing, in the literal form (any length,
// any name). An existing folder is success.
std::error_code CreateFolderTree(const std::filesystem::path& folder);

// Deletes a file or a whole folder tree, clearing read-only attributes on the way (moving an
// item means its source goes, read-only or not). A link is removed, never followed.
std::error_code DeleteTree(const std::filesystem::path& path);

// The fingerprint of a file or a whole tree, from its directory entries alone. A tree holding
// a link has none (ERROR_NOT_SUPPORTED): what a link stands for cannot be proven copied.
// `timeShift` (in 100 ns ticks) is added to every last-write time read: the fingerprint the tree
// would have with its times shifted so.
std::error_code FingerprintTree(const std::filesystem::path& path, TreeFingerprint& fingerprint, int64_t timeShift = 0);

// How the file system holding a path keeps last-write times: FAT and exFAT (most sticks and
// memory cards) to 2 s and in local time, so that a copy's time is rounded and a daylight-saving
// change shifts every time by an hour; the others exactly.
enum class TimeKeeping { exact, fat };
TimeKeeping TimeKeepingAt(const std::filesystem::path& path);
bool SameFileTime(uint64_t recorded, uint64_t now, TimeKeeping keeping);
// `now` is what `recorded` was, read again from a file system that keeps times so. A folder's
// times are inside its digest: compared exactly (see FingerprintTree's `timeShift`).
bool SameFingerprint(const TreeFingerprint& recorded, const TreeFingerprint& now, TimeKeeping keeping);

// Whether `copy` holds every file of `original` byte for byte, under the same relative names
// (a folder at `copy` may hold more). Read in full: this is the proof asked before an original
// is deleted on the word of a journal, not a check for every move. Links are never proof.
bool HoldsCopyOf(const std::filesystem::path& copy, const std::filesystem::path& original);

}  // namespace kw
