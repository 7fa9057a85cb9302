#pragma once
// Right-to-left text for a renderer that lays glyphs out left to right without shaping (Dear
// ImGui): each line in the order its characters are drawn, by the Unicode bidirectional
// algorithm with a left-to-right paragraph (a path keeps its own order, a Hebrew or Arabic name
// in it reads right to left), Arabic letters in their joined presentation forms, brackets
// mirrored, and the invisible direction marks dropped. GNU FriBidi does the work.

#include <string>
#include <string_view>

namespace kw {

// Whether `utf8` holds a right-to-left character (Hebrew, Arabic, Syriac, Thaana, N'Ko, ...) or
// a right-to-left mark; a quick scan, nothing for plain text.
bool HasRightToLeft(std::string_view utf8);

// `utf8` in visual order, line by line; the same text when it holds nothing right-to-left.
std::string VisualOrder(std::string_view utf8);

// `text` as it is drawn: `text` itself, or its visual order kept in `scratch` (so that frames
// drawing plain text allocate nothing).
const std::string& Drawn(const std::string& text, std::string& scratch);

}  // namespace kw
