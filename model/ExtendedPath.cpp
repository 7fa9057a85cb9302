#include "model/ExtendedPath.h"

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

}  // namespace kw
