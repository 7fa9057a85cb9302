#include "render/GlyphAtlasBuild.h"

#include "render/NotedCharacters.h"

#include <algorithm>
#include <cstdint>

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

namespace {

// The embedded Roboto Medium spans 2,400 units from its ascender to its descender ("hhea"), at
// 2,048 units to the em: what a size in pixels spans, per em.
constexpr float kEmbeddedHeightPerEm = 2400.0f / 2048.0f;

uint32_t Big(const unsigned char* p, int bytes) {
    uint32_t value = 0;
    for (int i = 0; i < bytes; ++i) value = (value << 8) | p[i];
    return value;
}

// A face's ascender-to-descender height per em, read from its "head" and "hhea" tables (in a
// collection, of face `index`), or 0 when the file does not say.
float HeightPerEm(const unsigned char* data, size_t size, int index) {
    const auto has = [&](size_t offset, size_t bytes) { return offset <= size && bytes <= size - offset; };
    size_t font = 0;
    if (has(0, 12) && Big(data, 4) == 0x74746366) {  // "ttcf": a collection
        const size_t at = 12 + 4 * static_cast<size_t>(index);
        if (index < 0 || index >= static_cast<int>(Big(data + 8, 4)) || !has(at, 4)) return 0;
        font = Big(data + at, 4);
    }
    if (!has(font, 12)) return 0;
    const uint32_t tables = Big(data + font + 4, 2);
    uint32_t head = 0, hhea = 0;
    for (uint32_t i = 0; i < tables && has(font + 12 + 16 * i, 16); ++i) {
        const unsigned char* entry = data + font + 12 + 16 * i;
        if (Big(entry, 4) == 0x68656164) head = Big(entry + 8, 4);  // "head"
        if (Big(entry, 4) == 0x68686561) hhea = Big(entry + 8, 4);  // "hhea"
    }
    if (!head || !hhea || !has(head, 20) || !has(hhea, 8)) return 0;
    const uint32_t unitsPerEm = Big(data + head + 18, 2);
    const auto ascender = static_cast<int16_t>(Big(data + hhea + 4, 2));
    const auto descender = static_cast<int16_t>(Big(data + hhea + 6, 2));
    if (unitsPerEm == 0 || ascender <= descender) return 0;
    return static_cast<float>(ascender - descender) / static_cast<float>(unitsPerEm);
}

}  // namespace

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
        // The same em as the embedded font's letters: a size in pixels spans the face from its
        // ascender to its descender, which scripts with marks stacked above and below (Arabic,
        // Thai) make tall, so their letters came out at half the size of the text around them.
        const float heightPerEm = HeightPerEm(face.data, face.size, face.index);
        const float scale = heightPerEm > 0 ? std::clamp(heightPerEm / kEmbeddedHeightPerEm, 1.0f, 2.5f) : 1.0f;
        atlas->AddFontFromMemoryTTF(const_cast<unsigned char*>(face.data), static_cast<int>(face.size), pixels * scale,
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
