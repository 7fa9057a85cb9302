// The date taken of a photo, read by libexif from the first bytes of any JPEG or TIFF-based file
// a {taken} rule or a watched folder sees: no user chose to open it.
#include <cstdint>
#include <span>

#include "matching/ExifDate.h"
#include "support/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto when = kw::ExifDateTaken(std::span<const uint8_t>(data, size));
    if (when) {
        KW_FUZZ_CHECK(when->year >= 1800 && when->year <= 9999);
        KW_FUZZ_CHECK(when->month >= 1 && when->month <= 12 && when->day >= 1 && when->day <= 31);
        KW_FUZZ_CHECK(when->hour >= 0 && when->hour <= 23 && when->minute >= 0 && when->minute <= 59);
        KW_FUZZ_CHECK(when->second >= 0 && when->second <= 60);
    }
    return 0;
}
