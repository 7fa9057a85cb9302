#pragma once
// The literal ("\\?\") form of a path for Win32 calls. Plain Win32 paths are parsed before use:
// a last component such as "CON" or "COM1.txt" names a device, and trailing dots and spaces are
// trimmed, so such items can be reached only through this form. Pure string work: no file
// system access.

#include <filesystem>
#include <string>
#include <string_view>

namespace kw {

// Absolute paths gain the \\?\ (or \\?\UNC\) prefix after lexical normalisation (the literal
// form skips Win32's own handling of "." and ".." and of '/'). Relative paths and paths
// already in a literal or device form come back unchanged.
std::wstring ExtendedPath(const std::filesystem::path& path);

// `name` under `folder` (any form) with one separator between them, also when the folder is a
// drive root whose \\?\ form ends in one ("\\?\E:\" + "a" is "\\?\E:\a", not "\\?\E:\\a", which
// Windows does not take as the same name).
std::wstring ChildPath(const std::wstring& folder, std::wstring_view name);

// The plain form of a path: the \\?\ (or \\?\UNC\) prefix removed, '/' as '\', "." and ".."
// resolved lexically and trailing separators dropped (a root keeps its own). What Win32 would
// make of it as an item: "C:\Docs\PDF\" and "\\?\C:\Docs\x\..\PDF" both name C:\Docs\PDF.
std::filesystem::path PlainPath(const std::filesystem::path& path);

// Whether the path names a whole drive or share rather than an item in one: "E:", "E:\",
// "\\server\share\", "\\?\E:\", "\\?\UNC\server\share", "\\?\Volume{...}\", or an empty
// path. Such a path has no name to move under: routing it would target the destination itself.
bool IsVolumeRoot(const std::filesystem::path& path);

}  // namespace kw
