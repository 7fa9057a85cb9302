#include <gtest/gtest.h>

#include "model/TextEncoding.h"

namespace kw {
namespace {

TEST(TextEncoding, RoundTripsNonAsciiText) {
    const std::string utf8 = "Rechnung \xC3\xA4 \xD0\x96 \xE6\x96\x87 \xF0\x9F\x98\x80";
    const std::wstring wide = ToWide(utf8);
    EXPECT_EQ(wide, L"Rechnung \u00E4 \u0416 \u6587 \U0001F600");
    EXPECT_EQ(ToUtf8(wide), utf8);
    EXPECT_EQ(ToUtf8(L""), "");
    EXPECT_EQ(ToWide(""), L"");
}

TEST(TextEncoding, InvalidUtf8NeverThrowsAndIsReplaced) {
    EXPECT_EQ(ToWide("a\xFF" "b"), L"a\uFFFDb");
    EXPECT_EQ(SanitizeUtf8("a\xFF" "b"), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(SanitizeUtf8("\xC3"), "\xEF\xBF\xBD");                  // cut sequence
    EXPECT_EQ(SanitizeUtf8("\xED\xA0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");  // surrogate
    EXPECT_EQ(SanitizeUtf8("ok \xE2\x80\x94 fine"), "ok \xE2\x80\x94 fine");
}

TEST(TextEncoding, TruncationKeepsWholeCharacters) {
    const std::string text = "ab\xE2\x80\x94";  // "ab" + em dash (3 bytes)
    EXPECT_EQ(TruncateUtf8(text, 5), text);
    EXPECT_EQ(TruncateUtf8(text, 4), "ab");
    EXPECT_EQ(TruncateUtf8(text, 2), "ab");
    EXPECT_EQ(TruncateUtf8(text, 1), "a");
}

}  // namespace
}  // namespace kw
