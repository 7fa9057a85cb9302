#include "support/Fixtures.h"

#include <windows.h>

#include <cstdlib>
#include <string>

namespace kw::test {

std::optional<std::filesystem::path> FixturePath(const char* name) {
    const char* root = std::getenv("KW_FIXTURES");
    if (!root || !*root) return std::nullopt;
    std::string windows = std::string("Z:") + root + "/" + name;
    for (char& c : windows) c = c == '/' ? '\\' : c;
    return std::filesystem::path(windows);
}

std::optional<std::filesystem::path> SecondVolume() {
    if (!std::getenv("KW_FIXTURES")) return std::nullopt;
    if (GetFileAttributesW(L"T:\\") == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    return std::filesystem::path(L"T:\\");
}

std::optional<std::filesystem::path> MountedFolderOnC() {
    if (!std::getenv("KW_FIXTURES")) return std::nullopt;
    if (GetFileAttributesW(L"C:\\kw-mounted") == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    return std::filesystem::path(L"C:\\kw-mounted");
}

std::optional<std::filesystem::path> StickFolder() {
    const auto folder = FixturePath("stick");
    if (!folder || GetFileAttributesW(L"V:\\") == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    return folder;
}

std::optional<std::filesystem::path> ThroughAliasDrive(const std::filesystem::path& onC) {
    const std::wstring& p = onC.native();
    if (!std::getenv("KW_FIXTURES") || p.size() < 3 || (p[0] != L'C' && p[0] != L'c') || p[1] != L':') return std::nullopt;
    if (GetFileAttributesW(L"U:\\") == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    return std::filesystem::path(L"U" + p.substr(1));
}

}  // namespace kw::test
