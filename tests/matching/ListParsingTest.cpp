#include <gtest/gtest.h>

#include "matching/ListParsing.h"

namespace kw {
namespace {

using List = std::vector<std::string>;

TEST(ParseExtensionList, SplitsNormalisesAndKeepsOrder) {
    const std::pair<const char*, List> cases[] = {
        {"jpg, .PNG;;..pdf|tar.gz", {".jpg", ".png", ".pdf", ".tar.gz"}},
        {"...", {}},
        {"", {}},
        {" \t\n,;|", {}},
        {".JPG; png", {".jpg", ".png"}},
        {"pdf pdf", {".pdf", ".pdf"}},
        {"a\tb\nc", {".a", ".b", ".c"}},
        {".\xC3\x84Z", {".\xC3\x84z"}},  // non-ASCII bytes untouched
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(ParseExtensionList(text), expected) << text;
}

TEST(ParseKeywordList, SpacesBelongToKeywordsAndCaseIsKept) {
    const std::pair<const char*, List> cases[] = {
        {"inv, Tax return", {"inv", "Tax return"}},
        {"  a  ;\tb\t|c\n", {"a", "b", "c"}},
        {" , ;; \t", {}},
        {"", {}},
        {"Invoice", {"Invoice"}},
        {"x  y", {"x  y"}},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(ParseKeywordList(text), expected) << text;
}

}  // namespace
}  // namespace kw
