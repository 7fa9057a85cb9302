#pragma once
// When to draw the settings window. Dear ImGui can need more than one frame to lay a window out:
// a tab bar takes two, so a window just shown and drawn once shows no tabs, and a change of
// size, fonts or content can leave a first picture that is not the final one. After each change
// frames are drawn until two in a row produce the same draw lists (at most a few), then none
// until the next change: the picture left on screen is the settled one, and an idle window
// costs nothing.

#include <cstdint>

namespace kw {

class FrameSettling {
public:
    // Something visible changed (shown, resized, new fonts or DPI, new status or log lines).
    void Invalidate();
    // Only a text changed in place (a batch's progress): one frame shows it, the layout stays.
    // Frames are drawn by a software rasteriser here, on the cores the batch's worker uses.
    void TextChanged() {
        if (!settled) return;  // frames are coming anyway
        settled = false;
        oneFrame = true;
    }
    bool WantsFrame() const { return !settled; }
    // The frame wanted is the one a text change asked for.
    bool OneFrame() const { return oneFrame; }
    // After each rendered frame: compares its draw lists with the previous frame's.
    void FrameDrawn();

    // Frames drawn since the last change before the picture is taken as final anyway (a text
    // cursor blinks for as long as a field has the focus).
    static constexpr int kMaxFrames = 8;

private:
    bool settled = false;
    bool oneFrame = false;
    int frames = 0;
    uint64_t lastHash = 0;
};

// A hash of what the current ImGui context's last rendered frame draws.
uint64_t CurrentDrawHash();

// What the current ImGui context still waits for after its last frame, though no message may
// come to ask for another: `input` it was given but has not applied yet (it applies one change
// of a key or button per frame, so typing at speed leaves a tail of keys queued), or a `hover`
// delay running on the item under a resting pointer (a tooltip appears once it has run out, and
// only frames advance it). Idle, it waits for nothing.
enum class ImGuiAwaits { nothing, input, hover };
ImGuiAwaits WhatImGuiAwaits();

}  // namespace kw
