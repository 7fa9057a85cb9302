#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/GlyphAtlasBuild.h"
#include "render/NotedCharacters.h"

namespace kw {
namespace {

// What a text adds to the characters the window must find in the system's fonts: only those
// beyond the embedded font's blocks, each once, whatever the text's encoding faults.
TEST(NotedCharacters, OnlyCharactersBeyondTheEmbeddedFontAreNotedOnce) {
    struct Case {
        const char* text;
        std::vector<char32_t> added;
    };
    const Case cases[] = {
        {"plain.pdf", {}},
        {"\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 \xE2\x80\x94 caf\xC3\xA9", {}},  // Cyrillic, em dash, Latin-1
        {"\xE5\xA0\xB1\xE5\x91\x8A\xE6\x9B\xB8.pdf", {U'\u5831', U'\u544A', U'\u66F8'}},
        {"\xE5\xA0\xB1\xE5\xA0\xB1 again", {}},                                           // seen before
        {"\xF0\x9F\x93\xB7 photo", {U'\U0001F4F7'}},                                      // beyond the BMP
        {"\xD7\xA9\x01\t\x7F\xC2\x85", {U'\u05E9'}},                                      // controls skipped
        {"bad \xE5\xA0 \xC0\xAF \xED\xA0\x80 \xF4\x90\x80\x80 end", {}},                  // malformed: U+FFFD
        {"cut short \xF0\x9F\x93", {}},
    };
    NotedCharacters noted;
    std::vector<char32_t> expected;
    for (const Case& c : cases) {
        EXPECT_EQ(noted.Note(c.text), !c.added.empty()) << c.text;
        expected.insert(expected.end(), c.added.begin(), c.added.end());
        EXPECT_EQ(noted.All(), expected) << c.text;
    }
}

TEST(NotedCharacters, RangesJoinRunsOfConsecutiveCharacters) {
    EXPECT_EQ(RangesOf({}), (std::vector<ImWchar>{0}));
    EXPECT_EQ(RangesOf({0x5831}), (std::vector<ImWchar>{0x5831, 0x5831, 0}));
    EXPECT_EQ(RangesOf({0x0E20, 0x0E21, 0x0E22, 0x0E32, 0x1F4F7}),
              (std::vector<ImWchar>{0x0E20, 0x0E22, 0x0E32, 0x0E32, 0x1F4F7, 0x1F4F7, 0}));
}

}  // namespace
}  // namespace kw
