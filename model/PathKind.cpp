#include "model/PathKind.h"

#include <windows.h>

#include "model/ExtendedPath.h"

namespace kw {

PathKind KindOf(const std::filesystem::path& path) {
    const std::wstring literal = ExtendedPath(path);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(literal.c_str(), GetFileExInfoStandard, &data)) return PathKind::missing;
    DWORD attributes = data.dwFileAttributes;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        // Opened without FILE_FLAG_OPEN_REPARSE_POINT, the handle is that of the link's target;
        // reading attributes does not fetch a cloud file's contents.
        const HANDLE h = CreateFileW(literal.c_str(), FILE_READ_ATTRIBUTES,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (h == INVALID_HANDLE_VALUE) return PathKind::missing;
        BY_HANDLE_FILE_INFORMATION info{};
        const BOOL read = GetFileInformationByHandle(h, &info);
        CloseHandle(h);
        if (!read) return PathKind::missing;
        attributes = info.dwFileAttributes;
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::folder : PathKind::file;
}

}  // namespace kw
