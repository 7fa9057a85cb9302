#include <gtest/gtest.h>

#include <string>

#include "render/VisualOrder.h"

namespace kw {
namespace {

// Lines as the window draws them, left to right: right-to-left words reversed in place with
// Arabic letters joined, everything else (a path's folders, arrows, names in other scripts) in
// its own order, direction marks gone.
TEST(VisualOrder, RightToLeftRunsReadRightToLeftInsideALeftToRightLine) {
    struct Case {
        const char* logical;
        const char* visual;
    };
    const Case cases[] = {
        {"plain.pdf", "plain.pdf"},
        {"\xE5\xA0\xB1\xE5\x91\x8A\xE6\x9B\xB8.pdf", "\xE5\xA0\xB1\xE5\x91\x8A\xE6\x9B\xB8.pdf"},  // 報告書 unchanged
        // שלום.pdf: the Hebrew word reversed, its extension after it.
        {"\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D.pdf", "\xD7\x9D\xD7\x95\xD7\x9C\xD7\xA9.pdf"},
        // مرحبا: final alef, medial beh, initial hah, final reh, initial meem (U+FE8E FE92 FEA3 FEAE FEE3).
        {"\xD9\x85\xD8\xB1\xD8\xAD\xD8\xA8\xD8\xA7",
         "\xEF\xBA\x8E\xEF\xBA\x92\xEF\xBA\xA3\xEF\xBA\xAE\xEF\xBB\xA3"},
        // A log line: the path keeps its order, both names read right to left.
        {"[ok] C:\\in\\\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D.pdf -> D:\\Docs\\\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D.pdf (Moved)",
         "[ok] C:\\in\\\xD7\x9D\xD7\x95\xD7\x9C\xD7\xA9.pdf -> D:\\Docs\\\xD7\x9D\xD7\x95\xD7\x9C\xD7\xA9.pdf (Moved)"},
        // A right-to-left mark steers, but is not drawn; each line is ordered on its own.
        {"a\xE2\x80\x8F\xD7\x90\xD7\x91\nb", "a\xD7\x91\xD7\x90\nb"},
    };
    for (const Case& c : cases) EXPECT_EQ(VisualOrder(c.logical), c.visual) << c.logical;
    EXPECT_FALSE(HasRightToLeft("plain \xD0\x9F\xD1\x80\xD0\xB8 \xE5\xA0\xB1"));
    std::string scratch;
    const std::string plain = "C:\\in\\plain.pdf";
    EXPECT_EQ(&Drawn(plain, scratch), &plain) << "plain text is drawn as it is, without a copy";
}

}  // namespace
}  // namespace kw
