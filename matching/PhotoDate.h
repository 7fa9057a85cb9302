#pragma once
// When a photo was taken, from the EXIF data of a JPEG or TIFF-based file (the camera's own
// clock, as it showed the time: no time zone). Only the first part of a file is read, never the
// whole; damaged and hostile data (cut short, looping offsets, huge counts) gives no date.

#include <cstdint>
#include <filesystem>
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

// The same for a file on disk, for the extensions that can hold such data (nothing for others,
// and for a file that cannot be read).
std::optional<LocalTime> PhotoDateTaken(const std::filesystem::path& file);

}  // namespace kw
