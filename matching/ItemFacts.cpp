#include "matching/ItemFacts.h"

#include <windows.h>

#include "model/ExtendedPath.h"
#include "model/TextEncoding.h"

namespace kw {
namespace fs = std::filesystem;

namespace {

uint64_t Ticks(const FILETIME& t) { return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime; }

// Size and times of the item itself, looked up literally: through a plain Win32 path a name
// such as "CON" or "report." would reach a device or a trimmed name instead. A link is
// followed, so that it is judged by what it points to.
bool ReadItemData(const fs::path& path, WIN32_FILE_ATTRIBUTE_DATA& data) {
    const std::wstring literal = ExtendedPath(path);
    if (!GetFileAttributesExW(literal.c_str(), GetFileExInfoStandard, &data)) return false;
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) return true;
    HANDLE h = CreateFileW(literal.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;  // a dangling link
    BY_HANDLE_FILE_INFORMATION info{};
    const BOOL read = GetFileInformationByHandle(h, &info);
    CloseHandle(h);
    if (!read) return false;
    data = {info.dwFileAttributes, info.ftCreationTime, info.ftLastAccessTime, info.ftLastWriteTime,
            info.nFileSizeHigh, info.nFileSizeLow};
    return true;
}

}  // namespace

ItemFacts::ItemFacts(const fs::path& itemPath) : path(itemPath), name(itemPath.filename().native()) {
    nameUtf8 = ToUtf8(name);
}

ItemFacts::ItemFacts(const fs::path& itemPath, std::wstring itemName, std::string itemNameUtf8)
    : path(itemPath), name(std::move(itemName)), nameUtf8(std::move(itemNameUtf8)) {}

ItemFacts ItemFacts::NameOnly(const fs::path& itemPath) {
    ItemFacts facts(itemPath);
    facts.nameOnly = true;
    return facts;
}

const std::optional<ItemData>& ItemFacts::Data() {
    if (queries > 0 || nameOnly) return data;
    ++queries;
    WIN32_FILE_ATTRIBUTE_DATA raw{};
    if (!ReadItemData(path, raw)) return data;
    ItemData d;
    d.folder = raw.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
    d.size = d.folder ? 0 : (static_cast<uint64_t>(raw.nFileSizeHigh) << 32) | raw.nFileSizeLow;
    d.createdTicks = Ticks(raw.ftCreationTime);
    d.writtenTicks = Ticks(raw.ftLastWriteTime);
    data = d;
    return data;
}

}  // namespace kw
