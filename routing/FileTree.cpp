#include "routing/FileTree.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "model/UniqueFile.h"
#include "model/ReparseTag.h"

namespace kw {
namespace fs = std::filesystem;

namespace {

std::error_code LastError() { return {static_cast<int>(GetLastError()), std::system_category()}; }

struct FindCloser {
    void operator()(HANDLE h) const { FindClose(h); }
};
using UniqueFind = std::unique_ptr<void, FindCloser>;

// Calls `visit(name, data)` for every entry of a folder except "." and "..".
template <typename Visit>
std::error_code ForEachEntry(const std::wstring& folder, Visit visit) {
    WIN32_FIND_DATAW data{};
    HANDLE raw = FindFirstFileExW(ChildPath(folder, L"*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                  FIND_FIRST_EX_LARGE_FETCH);
    if (raw == INVALID_HANDLE_VALUE) return LastError();
    UniqueFind find(raw);
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        if (std::error_code ec = visit(name, data)) return ec;
    } while (FindNextFileW(find.get(), &data));
    const DWORD end = GetLastError();
    return end == ERROR_NO_MORE_FILES ? std::error_code{} : std::error_code(static_cast<int>(end), std::system_category());
}

// A folder whose contents are its own: not a link (a junction or a symbolic link to a folder).
bool IsFolder(DWORD attributes, DWORD reparseTag) {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) && !IsLink(attributes, reparseTag);
}

// Attributes and reparse tag of one item, as a folder listing gives them.
bool ReadEntry(const std::wstring& path, DWORD& attributes, DWORD& reparseTag) {
    WIN32_FIND_DATAW data{};
    const HANDLE find = FindFirstFileExW(path.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) return false;
    FindClose(find);
    attributes = data.dwFileAttributes;
    reparseTag = data.dwReserved0;
    return true;
}

std::error_code CopyEntry(const std::wstring& source, const std::wstring& target, bool mergeOverwrite) {
    const DWORD attributes = GetFileAttributesW(source.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return LastError();
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        const DWORD flags = mergeOverwrite ? 0 : COPY_FILE_FAIL_IF_EXISTS;
        if (!CopyFileExW(source.c_str(), target.c_str(), nullptr, nullptr, nullptr, flags)) {
            const std::error_code ec = LastError();
            // Replacing a read-only file is part of overwriting it.
            if (mergeOverwrite && ec.value() == ERROR_ACCESS_DENIED) {
                const DWORD existing = GetFileAttributesW(target.c_str());
                if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_READONLY) &&
                    SetFileAttributesW(target.c_str(), existing & ~FILE_ATTRIBUTE_READONLY) &&
                    CopyFileExW(source.c_str(), target.c_str(), nullptr, nullptr, nullptr, 0))
                    return {};
            }
            return ec;
        }
        return {};
    }
    if (!CreateDirectoryW(target.c_str(), nullptr)) {
        const std::error_code ec = LastError();
        const DWORD existing = GetFileAttributesW(target.c_str());
        const bool mergeable = mergeOverwrite && ec.value() == ERROR_ALREADY_EXISTS &&
                               existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_DIRECTORY);
        if (!mergeable) return ec;
    }
    return ForEachEntry(source, [&](const std::wstring& name, const WIN32_FIND_DATAW&) {
        return CopyEntry(ChildPath(source, name), ChildPath(target, name), mergeOverwrite);
    });
}

std::error_code DeleteEntry(const std::wstring& path, DWORD attributes, DWORD reparseTag) {
    if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (!IsFolder(attributes, reparseTag)) {
        const BOOL removed = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? RemoveDirectoryW(path.c_str())  // junction
                                                                     : DeleteFileW(path.c_str());
        return removed ? std::error_code{} : LastError();
    }
    std::error_code first;
    const std::error_code listed = ForEachEntry(path, [&](const std::wstring& name, const WIN32_FIND_DATAW& data) {
        // Keep going after a failure so that as much as possible is removed; report the first.
        if (std::error_code ec = DeleteEntry(ChildPath(path, name), data.dwFileAttributes, data.dwReserved0); ec && !first)
            first = ec;
        return std::error_code{};
    });
    if (first) return first;
    if (listed) return listed;
    return RemoveDirectoryW(path.c_str()) ? std::error_code{} : LastError();
}

uint64_t Ticks(const FILETIME& t) { return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime; }

// FNV-1a, fed in a fixed order: names sorted within each folder.
struct Digest {
    uint64_t value = 1469598103934665603ull;
    void Add(const void* data, size_t size) {
        const auto* p = static_cast<const unsigned char*>(data);
        for (size_t i = 0; i < size; ++i) value = (value ^ p[i]) * 1099511628211ull;
    }
    void Add(uint64_t number) { Add(&number, sizeof number); }
};

std::error_code FingerprintFolder(const std::wstring& folder, const std::wstring& relative, TreeFingerprint& fingerprint,
                                  Digest& digest, int64_t timeShift) {
    std::vector<std::pair<std::wstring, WIN32_FIND_DATAW>> entries;
    if (std::error_code ec = ForEachEntry(folder, [&](const std::wstring& name, const WIN32_FIND_DATAW& data) {
            entries.emplace_back(name, data);
            return std::error_code{};
        }))
        return ec;
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [name, data] : entries) {
        if (IsLink(data.dwFileAttributes, data.dwReserved0)) return {ERROR_NOT_SUPPORTED, std::system_category()};
        const std::wstring path = relative.empty() ? name : relative + L"\\" + name;
        const bool isFolder = data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
        digest.Add(path.data(), path.size() * sizeof(wchar_t));
        digest.Add(isFolder ? 1 : 0);
        ++fingerprint.entries;
        if (isFolder) {
            if (std::error_code ec = FingerprintFolder(ChildPath(folder, name), path, fingerprint, digest, timeShift))
                return ec;
            continue;
        }
        const uint64_t size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        fingerprint.bytes += size;
        digest.Add(size);
        digest.Add(Ticks(data.ftLastWriteTime) + static_cast<uint64_t>(timeShift));
    }
    return {};
}

UniqueFile OpenForReading(const std::wstring& path) {
    const HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    return OwnFile(h);
}

bool SameBytes(const std::wstring& a, const std::wstring& b) {
    const UniqueFile fa = OpenForReading(a), fb = OpenForReading(b);
    LARGE_INTEGER sa{}, sb{};
    if (!fa || !fb || !GetFileSizeEx(fa.get(), &sa) || !GetFileSizeEx(fb.get(), &sb) || sa.QuadPart != sb.QuadPart)
        return false;
    std::vector<char> ba(1 << 16), bb(1 << 16);
    for (;;) {
        DWORD ga = 0, gb = 0;
        if (!ReadFile(fa.get(), ba.data(), static_cast<DWORD>(ba.size()), &ga, nullptr) ||
            !ReadFile(fb.get(), bb.data(), static_cast<DWORD>(bb.size()), &gb, nullptr) || ga != gb)
            return false;
        if (ga == 0) return true;
        if (std::memcmp(ba.data(), bb.data(), ga) != 0) return false;
    }
}

bool HoldsCopy(const std::wstring& copy, const std::wstring& original) {
    DWORD o = 0, c = 0, originalTag = 0, copyTag = 0;
    if (!ReadEntry(original, o, originalTag) || !ReadEntry(copy, c, copyTag)) return false;
    if (IsLink(o, originalTag) || IsLink(c, copyTag)) return false;
    if ((o & FILE_ATTRIBUTE_DIRECTORY) != (c & FILE_ATTRIBUTE_DIRECTORY)) return false;
    if (!(o & FILE_ATTRIBUTE_DIRECTORY)) return SameBytes(copy, original);
    bool holds = true;
    const std::error_code listed = ForEachEntry(original, [&](const std::wstring& name, const WIN32_FIND_DATAW&) {
        holds = HoldsCopy(ChildPath(copy, name), ChildPath(original, name));
        return holds ? std::error_code{} : std::error_code(ERROR_NOT_SAME_DEVICE, std::system_category());
    });
    return holds && !listed;
}

}  // namespace

bool HoldsCopyOf(const fs::path& copy, const fs::path& original) {
    return HoldsCopy(ExtendedPath(copy), ExtendedPath(original));
}

std::error_code FingerprintTree(const fs::path& path, TreeFingerprint& fingerprint, int64_t timeShift) {
    const std::wstring p = ExtendedPath(path);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(p.c_str(), GetFileExInfoStandard, &data)) return LastError();
    DWORD attributes = 0, reparseTag = 0;
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && ReadEntry(p, attributes, reparseTag) &&
        IsLink(attributes, reparseTag))
        return {ERROR_NOT_SUPPORTED, std::system_category()};
    TreeFingerprint result;
    result.folder = data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
    if (!result.folder) {
        result.bytes = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        result.entries = 1;
        result.stamp = Ticks(data.ftLastWriteTime) + static_cast<uint64_t>(timeShift);
    } else {
        Digest digest;
        if (std::error_code ec = FingerprintFolder(p, L"", result, digest, timeShift)) return ec;
        result.stamp = digest.value;
    }
    fingerprint = result;
    return {};
}

TimeKeeping TimeKeepingAt(const fs::path& path) {
    // The volume's own root: "C:\", "\\server\share\", or the folder a volume is mounted on.
    wchar_t root[MAX_PATH + 1] = {};
    if (!GetVolumePathNameW(PlainPath(path).c_str(), root, MAX_PATH + 1)) return TimeKeeping::exact;
    wchar_t fileSystem[MAX_PATH + 1] = {};
    if (!GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, nullptr, fileSystem, MAX_PATH + 1))
        return TimeKeeping::exact;
    const std::wstring_view name = fileSystem;
    return name.starts_with(L"FAT") || name == L"exFAT" ? TimeKeeping::fat : TimeKeeping::exact;
}

bool SameFileTime(uint64_t recorded, uint64_t now, TimeKeeping keeping) {
    if (recorded == now || keeping == TimeKeeping::exact) return recorded == now;
    constexpr uint64_t kSecond = 10'000'000, kHour = 3600 * kSecond;
    const uint64_t apart = recorded > now ? recorded - now : now - recorded;
    // Kept to 2 s; a daylight-saving change moves every time stored in local time by an hour.
    for (const uint64_t shift : {uint64_t{0}, kHour})
        if ((apart > shift ? apart - shift : shift - apart) <= 2 * kSecond) return true;
    return false;
}

bool SameFingerprint(const TreeFingerprint& recorded, const TreeFingerprint& now, TimeKeeping keeping) {
    if (recorded.folder || now.folder) return recorded == now;  // a folder's times are in its digest
    return recorded.bytes == now.bytes && recorded.entries == now.entries &&
           SameFileTime(recorded.stamp, now.stamp, keeping);
}

namespace {

// Writes what the system still holds of a file to its disk. FlushFileBuffers needs a handle with
// GENERIC_WRITE access ("FlushFileBuffers function", Microsoft's documentation), which a
// read-only file refuses: its attribute is cleared for the flush and put back.
std::error_code FlushFile(const std::wstring& path, DWORD attributes) {
    const bool readOnly = attributes & FILE_ATTRIBUTE_READONLY;
    if (readOnly && !SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY)) return LastError();
    const HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    std::error_code ec;
    if (h == INVALID_HANDLE_VALUE) {
        ec = LastError();
    } else {
        if (!FlushFileBuffers(h)) ec = LastError();
        CloseHandle(h);
    }
    if (readOnly) SetFileAttributesW(path.c_str(), attributes);
    return ec;
}

std::error_code FlushEntry(const std::wstring& path, DWORD attributes, DWORD reparseTag) {
    if (!IsFolder(attributes, reparseTag)) return IsLink(attributes, reparseTag) ? std::error_code{} : FlushFile(path, attributes);
    return ForEachEntry(path, [&](const std::wstring& name, const WIN32_FIND_DATAW& data) {
        return FlushEntry(ChildPath(path, name), data.dwFileAttributes, data.dwReserved0);
    });
}

}  // namespace

std::error_code FlushTree(const fs::path& path) {
    const std::wstring p = ExtendedPath(path);
    DWORD attributes = 0, reparseTag = 0;
    if (!ReadEntry(p, attributes, reparseTag)) return LastError();
    return FlushEntry(p, attributes, reparseTag);
}

std::error_code CreateFolderTree(const fs::path& folder) {
    const fs::path plain = PlainPath(folder);
    const DWORD attributes = GetFileAttributesW(ExtendedPath(plain).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? std::error_code{} : std::error_code(ERROR_ALREADY_EXISTS, std::system_category());
    if (plain.has_relative_path() && plain.parent_path() != plain)
        if (std::error_code ec = CreateFolderTree(plain.parent_path())) return ec;
    if (CreateDirectoryW(ExtendedPath(plain).c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) return {};
    return LastError();
}

std::error_code CopyTree(const fs::path& source, const fs::path& target, bool mergeOverwrite) {
    return CopyEntry(ExtendedPath(source), ExtendedPath(target), mergeOverwrite);
}

std::error_code DeleteTree(const fs::path& path) {
    const std::wstring p = ExtendedPath(path);
    const DWORD attributes = GetFileAttributesW(p.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return LastError();
    DWORD sameAttributes = 0, reparseTag = 0;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) ReadEntry(p, sameAttributes, reparseTag);
    return DeleteEntry(p, attributes, reparseTag);
}

}  // namespace kw
