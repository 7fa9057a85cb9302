#pragma once
// The two ways a program saves a file the user is editing: over its contents (the file stays the
// same object), or as most editors do, by writing a new file beside it and renaming that over it
// (another object then has the name).

#include <filesystem>
#include <string_view>

namespace kw::test {

// Rewrites the file's contents in place; false when the system refused to open it for writing
// (another program holds it so).
bool SaveInPlace(const std::filesystem::path& path, std::string_view bytes);

// Writes a new file beside it and renames it over the old one; throws when that fails.
void SaveByReplacing(const std::filesystem::path& path, std::string_view bytes);

}  // namespace kw::test
