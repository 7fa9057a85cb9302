#pragma once
// The window's accent texts (status line, summary titles and notes, warnings) have fixed colours
// chosen for the dark theme; on the light theme's pale background the same light cyan or yellow
// is barely visible. These keep the hue and darken the colour until it reads.

#include <imgui.h>

namespace kw {

// WCAG contrast ratio of two opaque colours (1 to 21).
float ContrastRatio(const ImVec4& a, const ImVec4& b);

// `colour` unchanged when it already has a contrast of at least 4.5 against `background`,
// otherwise the same hue darkened (or, on a dark background, lightened) just enough.
ImVec4 ReadableOn(const ImVec4& colour, const ImVec4& background);

// ReadableOn the current style's window background.
ImVec4 Readable(const ImVec4& colour);

}  // namespace kw
