#include "matching/PhotoDate.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>

#include "support/Fixtures.h"

namespace kw {
namespace {
namespace fs = std::filesystem;

std::vector<uint8_t> Bytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Text(const std::optional<LocalTime>& t) {
    if (!t) return "none";
    char text[32];
    snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", t->year, t->month, t->day, t->hour, t->minute);
    return text;
}

// Pictures made by the test fixture with Debian's ImageMagick and exiftool.
TEST(PhotoDate, ReadsTheDateTakenOfJpegAndTiffFiles) {
    const auto photos = test::FixturePath("photos");
    if (!photos) GTEST_SKIP() << "needs the sample photos (run through ctest)";
    EXPECT_EQ(Text(PhotoDateTaken(*photos / L"taken.jpg")), "2024-05-17 09:30");
    EXPECT_EQ(Text(PhotoDateTaken(*photos / L"taken.tif")), "2023-12-01 23:59");
    EXPECT_EQ(Text(PhotoDateTaken(*photos / L"modified-only.jpg")), "2022-01-02 03:04");
    EXPECT_EQ(Text(PhotoDateTaken(*photos / L"plain.jpg")), "none");
    EXPECT_EQ(Text(PhotoDateTaken(*photos / L"missing.jpg")), "none");
}

// A little-endian TIFF of one IFD whose entries and next-IFD offset the caller shapes.
std::vector<uint8_t> Tiff(uint16_t count, uint32_t nextIfd, uint32_t exifPointer) {
    std::vector<uint8_t> d = {'I', 'I', 42, 0, 8, 0, 0, 0};
    const auto u16 = [&](uint16_t v) { d.push_back(v & 0xFF), d.push_back(v >> 8); };
    const auto u32 = [&](uint32_t v) { u16(v & 0xFFFF), u16(v >> 16); };
    u16(count);
    u16(0x8769), u16(4), u32(1), u32(exifPointer);  // the EXIF IFD pointer
    u32(nextIfd);
    return d;
}

// Cut short, flipped, looping or huge: never a crash or a hang, and a date only when it is one.
TEST(PhotoDate, HostileDataGivesNoDateAndNeverHangs) {
    EXPECT_EQ(Text(ExifDateTaken(Tiff(1, 8, 8))), "none");            // both offsets loop to itself
    EXPECT_EQ(Text(ExifDateTaken(Tiff(0xFFFF, 0, 8))), "none");       // a count far past the data
    EXPECT_EQ(Text(ExifDateTaken(Tiff(1, 0xFFFFFFF0, 0xFFFFFFF0))), "none");
    const uint8_t jpegLoop[] = {0xFF, 0xD8, 0xFF, 0xE1, 0x00, 0x02, 0xFF, 0xE1, 0xFF, 0xFF, 'E', 'x', 'i', 'f', 0, 0};
    EXPECT_EQ(Text(ExifDateTaken(jpegLoop)), "none");

    const auto photos = test::FixturePath("photos");
    if (!photos) GTEST_SKIP() << "needs the sample photos (run through ctest)";
    std::mt19937 random(20240517);
    for (const wchar_t* sample : {L"taken.jpg", L"taken.tif"}) {
        const std::vector<uint8_t> original = Bytes(*photos / sample);
        ASSERT_GT(original.size(), 64u);
        for (int round = 0; round < 3000; ++round) {
            std::vector<uint8_t> d = original;
            d.resize(std::uniform_int_distribution<size_t>(4, d.size())(random));
            const int flips = std::uniform_int_distribution<int>(1, 8)(random);
            for (int f = 0; f < flips; ++f)
                d[std::uniform_int_distribution<size_t>(0, d.size() - 1)(random)] = static_cast<uint8_t>(random());
            const std::optional<LocalTime> t = ExifDateTaken(d);
            if (t) {
                EXPECT_TRUE(t->month >= 1 && t->month <= 12 && t->day >= 1 && t->day <= 31) << Text(t);
            }
        }
    }
}

}  // namespace
}  // namespace kw
