#include "matching/PhotoDate.h"

#include <gtest/gtest.h>
#include <libexif/exif-data.h>

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

// A little-endian TIFF as a Canon camera writes it: IFD0 names the maker and points to the EXIF
// IFD, which holds the date taken and a maker note (an IFD in the maker's own format).
std::vector<uint8_t> CanonTiff() {
    std::vector<uint8_t> d = {'I', 'I', 42, 0, 8, 0, 0, 0};
    const auto u16 = [&](uint16_t v) { d.push_back(v & 0xFF), d.push_back(v >> 8); };
    const auto u32 = [&](uint32_t v) { u16(v & 0xFFFF), u16(v >> 16); };
    const auto text = [&](const char* t, size_t n) { d.insert(d.end(), t, t + n); };
    u16(2);                                            // IFD0 at 8, 30 bytes
    u16(0x010F), u16(2), u32(6), u32(38);              // Make "Canon" at 38
    u16(0x8769), u16(4), u32(1), u32(44);              // the EXIF IFD at 44
    u32(0);
    text("Canon", 6);
    u16(2);                                            // EXIF IFD at 44, 30 bytes
    u16(0x9003), u16(2), u32(20), u32(74);             // DateTimeOriginal at 74
    u16(0x927C), u16(7), u32(28), u32(94);             // MakerNote at 94
    u32(0);
    text("2020:08:15 14:22:09", 20);
    u16(1);                                            // the maker note: Canon's own IFD
    u16(0x0006), u16(2), u32(10), u32(112);            // its image type, at 112
    u32(0);
    text("Canon EOS", 10);
    return d;
}

// libexif has no option that stops it from parsing a maker note in the maker's own format; it
// is built without those parsers, so a maker note stays bytes nobody reads, and the date is read.
TEST(PhotoDate, AMakerNoteIsNeverParsedAndTheDateIsStillRead) {
    const std::vector<uint8_t> tiff = CanonTiff();
    EXPECT_EQ(Text(ExifDateTaken(tiff)), "2020-08-15 14:22");

    std::vector<uint8_t> segment = {'E', 'x', 'i', 'f', 0, 0};
    segment.insert(segment.end(), tiff.begin(), tiff.end());
    ExifData* data = exif_data_new_from_data(segment.data(), static_cast<unsigned int>(segment.size()));
    ASSERT_NE(data, nullptr);
    const ExifEntry* note = exif_data_get_entry(data, EXIF_TAG_MAKER_NOTE);
    EXPECT_TRUE(note && note->size == 28) << "the maker note is kept as the bytes of its tag";
    EXPECT_EQ(exif_data_get_mnote_data(data), nullptr) << "and never parsed";
    exif_data_unref(data);
}

}  // namespace
}  // namespace kw
