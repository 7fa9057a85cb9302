#include "model/FileName.h"

namespace kw {

FileNameParts SplitFileName(std::wstring_view name) {
    if (const size_t colon = name.find(L':'); colon != std::wstring_view::npos) name = name.substr(0, colon);
    if (name == L"." || name == L"..") return {name, {}};
    const size_t dot = name.rfind(L'.');
    if (dot == std::wstring_view::npos || dot == 0) return {name, {}};
    return {name.substr(0, dot), name.substr(dot)};
}

}  // namespace kw
