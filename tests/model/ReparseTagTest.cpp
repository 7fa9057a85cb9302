#include <gtest/gtest.h>

#include <windows.h>

#include "model/ReparseTag.h"

namespace kw {
namespace {

TEST(IsLink, OnlyNameSurrogatesAreLinks) {
    const struct {
        const char* what;
        uint32_t tag;
        bool link;
    } cases[] = {
        {"symbolic link", 0xA000000C, true},
        {"junction (mount point)", 0xA0000003, true},
        {"WSL symbolic link", 0xA000001D, true},
        {"cloud-file placeholder", 0x9000001A, false},
        {"cloud-file placeholder, provider 3", 0x9000301A, false},
        {"OneDrive", 0x80000021, false},
        {"deduplicated file", 0x80000013, false},
        {"compressed file (WOF)", 0x80000017, false},
        {"app execution alias", 0x8000001B, false},
        {"Unix socket", 0x80000023, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsLink(FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY, c.tag), c.link) << c.what;
        EXPECT_EQ(IsLink(FILE_ATTRIBUTE_REPARSE_POINT, c.tag), c.link) << c.what;
        EXPECT_FALSE(IsLink(FILE_ATTRIBUTE_DIRECTORY, c.tag)) << c.what << " without the reparse attribute";
    }
}

}  // namespace
}  // namespace kw
