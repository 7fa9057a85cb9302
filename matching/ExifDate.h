#pragma once
// When a photo was taken, from the EXIF data at the start of a JPEG or TIFF-based file (the
// camera's own clock, as it showed the time: no time zone). Bytes in, a date out: damaged and
// hostile data (cut short, looping offsets, huge counts) gives no date.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "model/Clock.h"

namespace kw {

// How much of a file is read: a JPEG's EXIF segment cannot be longer than 64 KiB, and comes
// before the picture.
inline constexpr size_t kPhotoHeadBytes = 128 * 1024;

// The date taken in the first bytes of a file: DateTimeOriginal, else DateTimeDigitized, else
// the picture's DateTime. A JPEG, or a TIFF structure ("II*\0" / "MM\0*", as raw formats are).
std::optional<LocalTime> ExifDateTaken(std::span<const uint8_t> head);

}  // namespace kw
