#include "model/ExtendedPath.h"

#include <cwctype>

namespace kw {
namespace fs = std::filesystem;

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

std::wstring Normalised(const fs::path& path) {
    std::wstring p = path.lexically_normal().make_preferred().native();
    if (p.size() > 3 && p.back() == L'\\') p.pop_back();
    return p;
}

}  // namespace

std::wstring ExtendedPath(const fs::path& path) {
    const std::wstring& raw = path.native();
    if (raw.rfind(L"\\\\?\\", 0) == 0 || raw.rfind(L"\\\\.\\", 0) == 0) return raw;
    // libstdc++ sees no root name in "\\server\share\..." and calls it relative: a UNC path is
    // recognised here and normalised from the server name on.
    if (raw.size() > 2 && IsSeparator(raw[0]) && IsSeparator(raw[1]) && !IsSeparator(raw[2]))
        return L"\\\\?\\UNC\\" + Normalised(raw.substr(2));
    if (!path.is_absolute()) return raw;
    return L"\\\\?\\" + Normalised(path);
}

std::wstring ChildPath(const std::wstring& folder, std::wstring_view name) {
    std::wstring child = folder;
    if (!child.empty() && !IsSeparator(child.back())) child += L'\\';
    child += name;
    return child;
}

}  // namespace kw

namespace kw {

namespace {

bool StartsWithFolded(std::wstring_view text, std::wstring_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (towupper(text[i]) != towupper(prefix[i])) return false;
    return true;
}

}  // namespace

fs::path PlainPath(const fs::path& path) {
    std::wstring p = path.native();
    for (wchar_t& c : p)
        if (c == L'/') c = L'\\';
    if (StartsWithFolded(p, L"\\\\?\\UNC\\")) p = L"\\\\" + p.substr(8);
    else if (p.rfind(L"\\\\?\\", 0) == 0) p = p.substr(4);
    if (p.size() > 2 && p[0] == L'\\' && p[1] == L'\\') {
        // libstdc++ does not parse the server of a UNC path as a root: normalise what follows it.
        std::wstring rest = fs::path(p.substr(2)).lexically_normal().native();
        while (!rest.empty() && rest.back() == L'\\') rest.pop_back();
        return L"\\\\" + rest;
    }
    std::wstring normal = fs::path(p).lexically_normal().native();
    const fs::path root = fs::path(normal).root_path();
    while (normal.size() > root.native().size() && normal.back() == L'\\') normal.pop_back();
    return normal;
}

bool IsVolumeRoot(const fs::path& path) {
    std::wstring p = path.native();
    for (wchar_t& c : p)
        if (c == L'/') c = L'\\';
    while (p.size() > 2 && p.back() == L'\\') p.pop_back();
    if (p.empty()) return true;
    size_t skip = 0;  // the part that names the volume: a drive, a volume GUID or a share
    int volumeParts = 1;
    if (StartsWithFolded(p, L"\\\\?\\UNC\\") || StartsWithFolded(p, L"\\\\.\\UNC\\")) {
        skip = 8;
        volumeParts = 2;
    } else if (p.rfind(L"\\\\?\\", 0) == 0 || p.rfind(L"\\\\.\\", 0) == 0) {
        skip = 4;
    } else if (p.size() >= 2 && p[0] == L'\\' && p[1] == L'\\') {
        skip = 2;
        volumeParts = 2;
    } else if (p.size() >= 2 && p[1] == L':') {
        const fs::path normal = fs::path(p).lexically_normal();
        return !normal.has_relative_path();
    } else {
        return false;  // relative: names something in the current folder
    }
    const fs::path rest = fs::path(p.substr(skip)).lexically_normal();
    if (skip == 4 && rest.native().size() >= 2 && rest.native()[1] == L':') return !rest.has_relative_path();
    int parts = 0;
    for (const fs::path& part : rest)
        if (!part.empty() && part.native() != L"\\") ++parts;
    return parts <= volumeParts;
}

}  // namespace kw
