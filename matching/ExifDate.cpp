#include "matching/ExifDate.h"

#include <libexif/exif-data.h>

#include <iterator>
#include <memory>
#include <utility>
#include <vector>

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
    // Read only: no fixing up of what the file holds. No option stops the load from parsing a
    // maker note in its camera maker's own format; this libexif is built without those parsers
    // (cmake/libexif.cmake), so a maker note stays opaque bytes nobody reads.
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_IGNORE_UNKNOWN_TAGS);
    exif_data_load_data(data.get(), head.data(), static_cast<unsigned int>(head.size()));
    for (const auto& [ifd, tag] : {std::pair{EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_ORIGINAL},
                                   std::pair{EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_DIGITIZED},
                                   std::pair{EXIF_IFD_0, EXIF_TAG_DATE_TIME}})
        if (const auto when = ParseExifDate(exif_content_get_entry(data->ifd[ifd], tag))) return when;
    return std::nullopt;
}

}  // namespace kw
