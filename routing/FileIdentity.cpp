#include "routing/FileIdentity.h"

#include <windows.h>

#include <cstring>
#include <memory>

#include "model/UniqueFile.h"
#include "model/ExtendedPath.h"

namespace kw {
namespace fs = std::filesystem;

std::optional<ItemKind> ItemKindAt(const fs::path& path, std::error_code& error) {
    error.clear();
    const DWORD attributes = GetFileAttributesW(ExtendedPath(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return ItemKind::link;
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? ItemKind::folder : ItemKind::file;
    }
    const DWORD code = GetLastError();
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_BAD_NETPATH:
        case ERROR_NETNAME_DELETED:
        case ERROR_INVALID_NAME:
        case ERROR_DIRECTORY:
            return std::nullopt;
        default:
            error = std::error_code(static_cast<int>(code), std::system_category());
            return std::nullopt;
    }
}

std::optional<FileIdentity> IdentityOf(const fs::path& path, FinalLink link) {
    if (path.empty()) return std::nullopt;
    // FILE_READ_ATTRIBUTES is all GetFileInformationByHandle(Ex) needs; full sharing so that an
    // item another program holds open is still identified; FILE_FLAG_BACKUP_SEMANTICS is
    // required to open a folder at all.
    DWORD flags = FILE_FLAG_BACKUP_SEMANTICS;
    if (link == FinalLink::keep) flags |= FILE_FLAG_OPEN_REPARSE_POINT;
    const HANDLE raw = CreateFileW(ExtendedPath(path).c_str(), FILE_READ_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   flags, nullptr);
    if (raw == INVALID_HANDLE_VALUE) return std::nullopt;
    const UniqueFile handle(raw);
    FileIdentity identity;
    // The 128-bit id is the one that is unique on every file system (ReFS among them); the
    // 64-bit index of GetFileInformationByHandle is the fallback where FileIdInfo is refused.
    FILE_ID_INFO wide{};
    if (GetFileInformationByHandleEx(raw, FileIdInfo, &wide, sizeof wide)) {
        identity.volume = wide.VolumeSerialNumber;
        static_assert(sizeof wide.FileId.Identifier == 16);
        std::memcpy(identity.file.data(), wide.FileId.Identifier, 16);
        identity.wide = true;
        return identity;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(raw, &info)) return std::nullopt;
    identity.volume = info.dwVolumeSerialNumber;
    const uint64_t index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    std::memcpy(identity.file.data(), &index, sizeof index);
    return identity;
}

std::optional<uint64_t> FileIndexOfHandle(void* handle) {
    // FileInternalInformation through NtQueryInformationFile: Microsoft documents it with the
    // warning that it may change in later versions of Windows, so it is looked up at run time
    // and its absence only costs the full identity.
    struct IoStatus {
        union {
            LONG status;
            void* pointer;
        };
        ULONG_PTR information;
    };
    using Query = LONG(WINAPI*)(HANDLE, IoStatus*, void*, ULONG, int);
    constexpr int kFileInternalInformation = 6;
    static const Query query = [] {
        const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
        return ntdll ? reinterpret_cast<Query>(reinterpret_cast<void*>(GetProcAddress(ntdll, "NtQueryInformationFile")))
                     : nullptr;
    }();
    if (!query || !handle || handle == INVALID_HANDLE_VALUE) return std::nullopt;
    IoStatus status{};
    LARGE_INTEGER index{};
    if (query(static_cast<HANDLE>(handle), &status, &index, sizeof index, kFileInternalInformation) < 0) return std::nullopt;
    return static_cast<uint64_t>(index.QuadPart);
}

std::optional<uint64_t> FileIndexOf(const fs::path& path) {
    if (path.empty()) return std::nullopt;
    const UniqueFile handle = OwnFile(CreateFileW(ExtendedPath(path).c_str(), FILE_READ_ATTRIBUTES,
                                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return handle ? FileIndexOfHandle(handle.get()) : std::nullopt;
}

bool SameObject(const fs::path& a, const fs::path& b, FinalLink link) {
    const auto ia = IdentityOf(a, link);
    if (!ia) return false;
    const auto ib = IdentityOf(b, link);
    return ib && *ia == *ib;
}

bool IsInsideOrSame(const fs::path& child, const fs::path& parent) {
    const auto target = IdentityOf(parent);
    if (!target) return false;
    if (const auto self = IdentityOf(child, FinalLink::keep); self && *self == *target) return true;
    // Win32 resolves ".." in a path lexically before any link is followed, so the folders a
    // path passes through are its lexical ancestors; each is compared by identity.
    fs::path folder = PlainPath(child);
    for (;;) {
        const fs::path up = folder.parent_path();
        if (up.empty() || up == folder) return false;
        folder = up;
        if (const auto id = IdentityOf(folder); id && *id == *target) return true;
    }
}

}  // namespace kw
