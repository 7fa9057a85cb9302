#pragma once
// The characters the window has been given to show that the embedded font is not loaded with:
// gathered as texts are set (log lines, names, fields), so that only the characters that appear
// are ever looked up in the system's fonts and added to the atlas.

#include <imgui.h>

#include <string_view>
#include <unordered_set>
#include <vector>

namespace kw {

// The blocks the embedded font is loaded with (pairs of first and last, zero-terminated).
const ImWchar* EmbeddedFontRanges();
bool EmbeddedFontCovers(char32_t c);

class NotedCharacters {
public:
    // Adds the characters of `utf8` beyond the embedded font's blocks; true when one is new.
    // Control characters and malformed sequences are not characters to draw and are skipped.
    bool Note(std::string_view utf8);
    bool Note(char32_t c);
    // In the order first seen.
    const std::vector<char32_t>& All() const { return order; }

private:
    std::unordered_set<char32_t> seen;
    std::vector<char32_t> order;
};

}  // namespace kw
