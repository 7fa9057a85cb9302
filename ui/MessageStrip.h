#pragma once
// A strip of fixed height at the bottom of a panel for the warnings and hints about the fields
// above it. Lines come and go as the user types without moving any field: the strip's room is
// kept whether it holds nothing or more than fits (then it scrolls). Whoever draws the panel's
// fields adds lines while drawing them (the rule check's findings, an error in a typed
// template, ...); the strip itself is drawn after the fields.

#include <string>
#include <vector>

namespace kw {

enum class StripTone { warning, note, neutral };

struct StripLine {
    StripTone tone = StripTone::neutral;
    std::string text;
};

class MessageStrip {
public:
    void Clear() { lines.clear(); }
    void Add(StripTone tone, std::string text) { lines.push_back(StripLine{tone, std::move(text)}); }
    const std::vector<StripLine>& Lines() const { return lines; }

    // The height the panel keeps free below its fields (current font).
    static float Height();
    // Draws the lines in a child of Height() at the cursor; `empty` is shown when there are none.
    void Draw(const char* id, const char* empty) const;

    static constexpr int kVisibleLines = 3;

private:
    std::vector<StripLine> lines;
};

}  // namespace kw
