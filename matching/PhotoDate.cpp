#include "matching/PhotoDate.h"

#include <windows.h>

#include <string>
#include <vector>

#include "model/AsciiCase.h"
#include "model/ExtendedPath.h"
#include "model/FileName.h"
#include "model/UniqueFile.h"

namespace kw {

namespace {

// Extensions of JPEG and TIFF-based files (raw formats of most cameras are TIFF inside).
bool MayHoldExif(std::wstring_view name) {
    std::wstring_view ext = SplitFileName(name).ext;
    if (ext.empty()) return false;
    std::string lower;
    for (const wchar_t c : ext.substr(1)) lower.push_back(c < 128 ? AsciiLower(static_cast<char>(c)) : '?');
    for (const char* known : {"jpg", "jpeg", "jpe", "jfif", "tif", "tiff", "dng", "nef", "cr2", "arw", "orf", "rw2", "pef", "srw"})
        if (lower == known) return true;
    return false;
}

}  // namespace

std::optional<LocalTime> PhotoDateTaken(const std::filesystem::path& file) {
    if (!MayHoldExif(file.filename().native())) return std::nullopt;
    const UniqueFile h = OwnFile(CreateFileW(ExtendedPath(file).c_str(), GENERIC_READ,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                             FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!h) return std::nullopt;
    std::vector<uint8_t> head(kPhotoHeadBytes);
    DWORD got = 0;
    if (!ReadFile(h.get(), head.data(), static_cast<DWORD>(head.size()), &got, nullptr)) return std::nullopt;
    head.resize(got);
    return ExifDateTaken(head);
}

}  // namespace kw
