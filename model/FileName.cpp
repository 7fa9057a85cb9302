#include "model/FileName.h"

#include <algorithm>
#include <string>

namespace kw {

FileNameParts SplitFileName(std::wstring_view name) {
    if (const size_t colon = name.find(L':'); colon != std::wstring_view::npos) name = name.substr(0, colon);
    if (name == L"." || name == L"..") return {name, {}};
    const size_t dot = name.rfind(L'.');
    if (dot == std::wstring_view::npos || dot == 0) return {name, {}};
    return {name.substr(0, dot), name.substr(dot)};
}

bool Win32KeepsName(std::wstring_view name) {
    if (name.empty() || name.back() == L'.' || name.back() == L' ') return false;
    std::wstring_view base = name.substr(0, std::min(name.find(L'.'), name.size()));
    while (!base.empty() && base.back() == L' ') base.remove_suffix(1);
    std::wstring upper;
    for (const wchar_t c : base) upper.push_back(c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - 32) : c);
    for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"})
        if (upper == device) return false;
    if (upper.size() == 4 && (upper.rfind(L"COM", 0) == 0 || upper.rfind(L"LPT", 0) == 0)) {
        const wchar_t n = upper[3];
        if ((n >= L'0' && n <= L'9') || n == L'\u00B9' || n == L'\u00B2' || n == L'\u00B3') return false;
    }
    return true;
}

}  // namespace kw
