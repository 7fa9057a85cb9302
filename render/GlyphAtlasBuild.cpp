#include "render/GlyphAtlasBuild.h"

#include "render/NotedCharacters.h"

namespace kw {

std::vector<ImWchar> RangesOf(const std::vector<char32_t>& characters) {
    std::vector<ImWchar> ranges;
    for (char32_t c : characters) {
        if (c == 0 || c > IM_UNICODE_CODEPOINT_MAX) continue;
        if (!ranges.empty() && ranges.back() + 1 == c) ranges.back() = static_cast<ImWchar>(c);
        else ranges.insert(ranges.end(), {static_cast<ImWchar>(c), static_cast<ImWchar>(c)});
    }
    ranges.push_back(0);
    return ranges;
}

void AdoptAtlas(AtlasPtr atlas) {
    ImGuiIO& io = ImGui::GetIO();
    IM_ASSERT(!io.Fonts->Locked && "An atlas cannot be replaced inside a frame");
    AtlasPtr previous(io.Fonts);  // made with IM_NEW, by the context or by BuildGlyphAtlas
    io.Fonts = atlas.release();
}

AtlasPtr BuildGlyphAtlas(const unsigned char* base, size_t baseSize, float pixels,
                                             const std::vector<AtlasFace>& faces) {
    if (!base || baseSize == 0) return nullptr;
    AtlasPtr atlas(IM_NEW(ImFontAtlas)());
    ImFontConfig config;
    config.FontDataOwnedByAtlas = false;  // the caller's bytes; the atlas must never free them
    // ImGui reads the font data as a mutable pointer but never writes through it.
    if (!atlas->AddFontFromMemoryTTF(const_cast<unsigned char*>(base), static_cast<int>(baseSize), pixels, &config,
                                     EmbeddedFontRanges()))
        return nullptr;

    // The ranges must live until Build has read them.
    std::vector<std::vector<ImWchar>> ranges;
    ranges.reserve(faces.size());
    for (const AtlasFace& face : faces) {
        ranges.push_back(RangesOf(face.characters));
        if (ranges.back().size() < 3 || !face.data) continue;
        ImFontConfig merged;
        merged.MergeMode = true;
        merged.FontDataOwnedByAtlas = false;
        merged.FontNo = face.index;
        // One sample across: CJK faces bring thousands of glyphs, and the horizontal
        // oversampling ImGui uses for Latin text would double the texture for little gain.
        merged.OversampleH = 1;
        merged.OversampleV = 1;
        atlas->AddFontFromMemoryTTF(const_cast<unsigned char*>(face.data), static_cast<int>(face.size), pixels,
                                    &merged, ranges.back().data());
    }
    if (!atlas->Build()) return nullptr;
    unsigned char* pixelsRgba = nullptr;
    int width = 0, height = 0;
    atlas->GetTexDataAsRGBA32(&pixelsRgba, &width, &height);
    // The RGBA copy is what the renderer uploads (again after a device loss); the alpha one and
    // the inputs (font bytes owned elsewhere, the ranges above) are not needed any more.
    IM_FREE(atlas->TexPixelsAlpha8);
    atlas->TexPixelsAlpha8 = nullptr;
    atlas->ClearInputData();
    return atlas;
}

}  // namespace kw
