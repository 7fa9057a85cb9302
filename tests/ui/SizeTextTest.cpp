#include <gtest/gtest.h>

#include "ui/SizeText.h"

namespace kw {
namespace {

TEST(FormatSize, UnitsStepBy1024AndStopAtTerabytes) {
    const struct {
        uint64_t bytes;
        const char* text;
    } cases[] = {
        {0, "0 B"},
        {512, "512 B"},
        {1023, "1023 B"},
        {1024, "1.00 KB"},
        {1536, "1.50 KB"},
        {1048575, "1024.00 KB"},
        {5242880, "5.00 MB"},
        {3ull << 30, "3.00 GB"},
        {2048ull << 40, "2048.00 TB"},
        {UINT64_MAX, "16777216.00 TB"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatSize(c.bytes), c.text) << c.bytes;
}

TEST(ParseSize, AcceptsNumbersWithUnitsAndSpaces) {
    const struct {
        const char* text;
        uint64_t bytes;
    } cases[] = {
        {"5MB", 5ull << 20},        {"1.5 gb", 3ull << 29}, {" 2 k ", 2048},      {"512", 512},
        {"1.00 MB", 1048576},       {"10b", 10},            {"1 T B", 1ull << 40}, {"+3kb", 3072},
        {"0.5k", 512},              {"1e3", 1000},          {"2e1kb", 20480},      {".5 KB", 512},
        {"1.9999", 1},              {"2gb", 2ull << 30},
    };
    for (const auto& c : cases) {
        const auto parsed = ParseSize(c.text);
        ASSERT_TRUE(parsed.has_value()) << c.text;
        EXPECT_EQ(*parsed, c.bytes) << c.text;
    }
}

TEST(ParseSize, RejectsWhatIsNotASize) {
    for (const char* text : {"", "   ", "MB", "5 MiB", "1 bytes", "5mbx", "2 parsecs", "abc", ".", "-5mb", "0x10",
                             "inf", "nan", "1e400", "20000000 TB", "1 e"}) {
        EXPECT_FALSE(ParseSize(text).has_value()) << text;
    }
}

TEST(ParseSize, ReadsBackWhatFormatSizeWrites) {
    for (uint64_t bytes : {0ull, 512ull, 1024ull, 1536ull, 5ull << 20, 2ull << 30, 7ull << 40})
        EXPECT_EQ(ParseSize(FormatSize(bytes)), bytes) << bytes;
}

}  // namespace
}  // namespace kw
