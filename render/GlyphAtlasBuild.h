#pragma once
// Builds a Dear ImGui font atlas: the embedded font first, for everything it covers, then each
// system face merged in with exactly the characters it was chosen for. Touches no ImGui context,
// so it runs on any thread; the result is a finished atlas whose RGBA pixels are ready to upload.

#include <imgui.h>

#include <memory>
#include <vector>

namespace kw {

struct AtlasDeleter {
    void operator()(ImFontAtlas* atlas) const { IM_DELETE(atlas); }
};
// Allocated as Dear ImGui allocates, so that a context that takes it over (io.Fonts) frees it.
using AtlasPtr = std::unique_ptr<ImFontAtlas, AtlasDeleter>;

struct AtlasFace {
    const unsigned char* data = nullptr;  // the font file's bytes, alive until the build returns
    size_t size = 0;
    int index = 0;  // the face within a collection
    std::vector<char32_t> characters;  // ascending
};

// `base` is the embedded font's bytes at `pixels`, loaded with EmbeddedFontRanges(). The atlas
// keeps no pointer to any input once built (its input data is dropped); null if nothing could
// be built (the base font unreadable).
AtlasPtr BuildGlyphAtlas(const unsigned char* base, size_t baseSize, float pixels,
                                             const std::vector<AtlasFace>& faces);

// Makes `atlas` the current ImGui context's font atlas, between two frames; the one it replaces
// (ImGui's own or an earlier grown one) is freed, and the context frees this one at its end.
void AdoptAtlas(AtlasPtr atlas);

// ImGui's ranges (pairs of first and last, zero-terminated) for ascending characters, runs of
// consecutive characters joined.
std::vector<ImWchar> RangesOf(const std::vector<char32_t>& characters);

}  // namespace kw
