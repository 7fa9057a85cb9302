#include "history/ItemIdentity.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>

#include "model/ExtendedPath.h"
#include "model/UniqueFile.h"
#include "routing/FileIdentity.h"

namespace kw {
namespace fs = std::filesystem;

namespace {

std::string NarrowText(uint64_t volume, uint64_t index) {
    char text[40];
    std::snprintf(text, sizeof text, "%016llx:%016llx", static_cast<unsigned long long>(volume),
                  static_cast<unsigned long long>(index));
    return text;
}

constexpr size_t kNarrowLength = 16 + 1 + 16;

}  // namespace

std::string IdentityText(const fs::path& item) {
    const std::optional<FileIdentity> id = IdentityOf(item, FinalLink::keep);
    if (!id) return {};
    char text[64];
    int n = std::snprintf(text, sizeof text, "%016llx:", static_cast<unsigned long long>(id->volume));
    for (const uint8_t b : id->file) n += std::snprintf(text + n, sizeof text - n, "%02x", b);
    return text;
}

std::optional<uint64_t> ItemIdentities::IndexVolume(const fs::path& folder) {
    const auto known = folders.find(folder.native());
    if (known != folders.end()) return known->second;
    std::optional<uint64_t> volume;
    // FILE_READ_ATTRIBUTES is all both queries need; FILE_FLAG_BACKUP_SEMANTICS opens a folder.
    const UniqueFile handle = OwnFile(CreateFileW(ExtendedPath(folder).c_str(), FILE_READ_ATTRIBUTES,
                                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    wchar_t system[MAX_PATH + 1] = {};
    DWORD serial = 0;
    FILE_ID_INFO id{};
    // The file system's name says whether its 64-bit indexes are unique ("GetFileInformationByHandle":
    // on ReFS they may not be, and the 128-bit FileIdInfo is the identity there). The volume's
    // serial is taken as the full identity takes it, so both forms name a volume alike.
    if (handle && GetVolumeInformationByHandleW(handle.get(), nullptr, 0, &serial, nullptr, nullptr, system, MAX_PATH + 1) &&
        (_wcsicmp(system, L"NTFS") == 0 || _wcsicmp(system, L"FAT") == 0 || _wcsicmp(system, L"FAT32") == 0 ||
         _wcsicmp(system, L"exFAT") == 0) &&
        GetFileInformationByHandleEx(handle.get(), FileIdInfo, &id, sizeof id))
        volume = id.VolumeSerialNumber;
    folders.emplace(folder.native(), volume);
    return volume;
}

std::string ItemIdentities::TextOf(const fs::path& item, bool isFile) {
    if (isFile) {
        const std::optional<uint64_t> volume = IndexVolume(item.parent_path());
        const std::optional<uint64_t> index = volume ? FileIndexOf(item) : std::nullopt;
        if (index) return NarrowText(*volume, *index);
    }
    return IdentityText(item);
}

bool ItemIdentities::Matches(const fs::path& item, const std::string& text) {
    if (text.size() != kNarrowLength) return IdentityText(item) == text;
    const std::optional<uint64_t> volume = IndexVolume(item.parent_path());
    const std::optional<uint64_t> index = volume ? FileIndexOf(item) : std::nullopt;
    return index && NarrowText(*volume, *index) == text;
}

}  // namespace kw
