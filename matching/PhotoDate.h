#pragma once
// When a photo on disk was taken: the first part of the file (never the whole) read for its EXIF
// date (matching/ExifDate.h).

#include <filesystem>
#include <optional>

#include "matching/ExifDate.h"

namespace kw {

// The date taken of a file on disk, for the extensions that can hold such data (nothing for
// others, and for a file that cannot be read).
std::optional<LocalTime> PhotoDateTaken(const std::filesystem::path& file);

}  // namespace kw
