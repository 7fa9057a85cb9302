#pragma once
// What is at a path, asked of Win32 through the \\?\ form. The standard library's status calls
// reach Windows through MAX_PATH-limited forms (refused past 260 characters unless long paths
// are enabled machine-wide and the program declares itself long-path aware; Wine never refuses).

#include <filesystem>

namespace kw {

enum class PathKind { missing, file, folder };

// A link counts as what it points to, and a dangling one as missing (as std::filesystem::status).
PathKind KindOf(const std::filesystem::path& path);

}  // namespace kw
