#pragma once
// Names that Win32 path parsing would turn into a device or trim ("CON", "report.", "x ") exist
// only through the \\?\ form; these helpers make, read and look for such files literally.

#include <filesystem>
#include <string>
#include <string_view>

namespace kw::test {

// Creates a new file with the given bytes (missing parent folders are created); throws when the
// name is already taken or cannot be created.
void WriteLiteral(const std::filesystem::path& path, std::string_view bytes = {});
// The file's first bytes (up to 64 KiB), or "<missing>" when it cannot be opened.
std::string ReadLiteral(const std::filesystem::path& path);
bool LiteralExists(const std::filesystem::path& path);

}  // namespace kw::test
