#pragma once
// Which installed font Windows itself would draw a character with. DirectWrite's system font
// fallback (IDWriteFactory2::GetSystemFontFallback, Windows 8.1 and later) decides, given the
// user's locale, so that Han characters take the Japanese, Simplified or Traditional Chinese
// or Korean forms the user expects; where that interface is missing, or the font it names lacks
// the character, a short table of the fonts every Windows 10/11 has is asked instead.
// Made and used on one thread (the glyph builder's); no window, no ImGui.

#include <memory>
#include <string>
#include <vector>

namespace kw {

// One face of a font file on disk; `index` is the face's number in a collection (.ttc).
struct FontFaceFile {
    std::wstring path;
    int index = 0;
    bool operator==(const FontFaceFile&) const = default;
};

struct FaceCharacters {
    FontFaceFile face;
    std::vector<char32_t> characters;  // ascending
};

class SystemFontFinder {
public:
    // `locale` as "ja-JP"; empty: the user's default locale.
    explicit SystemFontFinder(std::wstring locale = {});
    ~SystemFontFinder();
    SystemFontFinder(const SystemFontFinder&) = delete;
    SystemFontFinder& operator=(const SystemFontFinder&) = delete;

    // `characters` grouped by the face that draws them; characters no installed font has are
    // left out (they stay the replacement box). False from Available(): DirectWrite is missing.
    std::vector<FaceCharacters> Find(const std::vector<char32_t>& characters);
    bool Available() const;
    const std::wstring& Locale() const { return locale; }

private:
    struct DirectWrite;
    std::unique_ptr<DirectWrite> dwrite;
    std::wstring locale;
};

}  // namespace kw
