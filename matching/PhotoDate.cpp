#include "matching/PhotoDate.h"

#include <windows.h>

#include <libexif/exif-data.h>

#include <cstring>
#include <memory>
#include <vector>

#include "model/AsciiCase.h"
#include "model/ExtendedPath.h"
#include "model/FileName.h"
#include "model/TextEncoding.h"
#include "model/UniqueFile.h"

namespace kw {

namespace {

struct ExifDataFree {
    void operator()(ExifData* d) const { exif_data_unref(d); }
};

// "YYYY:MM:DD HH:MM:SS", as EXIF writes dates; anything else (blank, "0000:00:00 ...") is none.
std::optional<LocalTime> ParseExifDate(const ExifEntry* entry) {
    if (!entry || entry->format != EXIF_FORMAT_ASCII || !entry->data || entry->size < 19) return std::nullopt;
    const char* t = reinterpret_cast<const char*>(entry->data);
    const auto number = [&](size_t at, size_t digits, int& out) {
        out = 0;
        for (size_t i = at; i < at + digits; ++i) {
            if (t[i] < '0' || t[i] > '9') return false;
            out = out * 10 + (t[i] - '0');
        }
        return true;
    };
    LocalTime when;
    if (!number(0, 4, when.year) || !number(5, 2, when.month) || !number(8, 2, when.day) || !number(11, 2, when.hour) ||
        !number(14, 2, when.minute) || !number(17, 2, when.second))
        return std::nullopt;
    if (when.year < 1800 || when.month < 1 || when.month > 12 || when.day < 1 || when.day > 31 || when.hour > 23 ||
        when.minute > 59 || when.second > 60)
        return std::nullopt;
    return when;
}

bool IsTiff(std::span<const uint8_t> d) {
    return d.size() >= 8 && ((d[0] == 'I' && d[1] == 'I' && d[2] == 42 && d[3] == 0) ||
                             (d[0] == 'M' && d[1] == 'M' && d[2] == 0 && d[3] == 42));
}

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

std::optional<LocalTime> ExifDateTaken(std::span<const uint8_t> head) {
    if (head.size() < 4 || head.size() > 0xFFFFFFFFu) return std::nullopt;
    std::vector<uint8_t> framed;
    if (IsTiff(head)) {
        // A TIFF file is the structure an EXIF segment holds after its "Exif\0\0" header.
        static constexpr uint8_t kHeader[] = {'E', 'x', 'i', 'f', 0, 0};
        framed.assign(std::begin(kHeader), std::end(kHeader));
        framed.insert(framed.end(), head.begin(), head.end());
        head = framed;
    } else if (head[0] != 0xFF || head[1] != 0xD8) {
        return std::nullopt;  // not a JPEG either
    }
    const std::unique_ptr<ExifData, ExifDataFree> data(exif_data_new());
    if (!data) return std::nullopt;
    // Read only: no fixing up of what the file holds, and no maker notes' own formats.
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_IGNORE_UNKNOWN_TAGS);
    exif_data_load_data(data.get(), head.data(), static_cast<unsigned int>(head.size()));
    for (const auto& [ifd, tag] : {std::pair{EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_ORIGINAL},
                                   std::pair{EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_DIGITIZED},
                                   std::pair{EXIF_IFD_0, EXIF_TAG_DATE_TIME}})
        if (const auto when = ParseExifDate(exif_content_get_entry(data->ifd[ifd], tag))) return when;
    return std::nullopt;
}

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
