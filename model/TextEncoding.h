#pragma once
// UTF-8 <-> UTF-16 conversion at the operating-system boundary. Strings in memory are UTF-8;
// paths are std::filesystem::path (UTF-16 on Windows).

#include <filesystem>
#include <string>
#include <string_view>

namespace kw {

// Invalid input never throws: ill-formed UTF-8 becomes U+FFFD, unpaired surrogates likewise.
std::string ToUtf8(std::wstring_view text);
std::wstring ToWide(std::string_view utf8);

std::string PathToUtf8(const std::filesystem::path& path);
std::filesystem::path PathFromUtf8(std::string_view utf8);

// Replaces every ill-formed sequence with U+FFFD, so the text can be written as JSON.
std::string SanitizeUtf8(std::string_view text);

// Shortens text to at most maxBytes without splitting a multi-byte character.
std::string TruncateUtf8(std::string_view text, size_t maxBytes);

}  // namespace kw
