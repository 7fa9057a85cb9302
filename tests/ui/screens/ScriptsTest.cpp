#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "render/GlyphSupply.h"
#include "ui/harness/SettingsWindowDriver.h"

namespace kw::test {
namespace {

// Files as users name them, one of each script, as the Activity tab shows them: right-to-left
// names read right to left (drawn left to right, reversed), Arabic letters joined.
struct Name {
    std::string name;
    std::string shown;
};
const std::vector<Name> kNames = {
    {"\xE5\xA0\xB1\xE5\x91\x8A\xE6\x9B\xB8.pdf", ""},                          // 報告書
    {"\xED\x95\x9C\xEA\xB5\xAD\xEC\x96\xB4.pdf", ""},                          // 한국어
    {"\xD9\x85\xD8\xB1\xD8\xAD\xD8\xA8\xD8\xA7.pdf",                          // مرحبا, joined
     "\xEF\xBA\x8E\xEF\xBA\x92\xEF\xBA\xA3\xEF\xBA\xAE\xEF\xBB\xA3.pdf"},
    {"\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D.pdf", "\xD7\x9D\xD7\x95\xD7\x9C\xD7\xA9.pdf"},  // שלום
    {"\xE0\xB8\xA0\xE0\xB8\xB2\xE0\xB8\xA9\xE0\xB8\xB2\xE0\xB9\x84\xE0\xB8\x97\xE0\xB8\xA2.pdf", ""},  // ภาษาไทย
    {"\xF0\x9F\x93\xB7 photo.pdf", ""},                                            // 📷
    {"\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82.pdf", ""},          // Привет
    {"\xE0\xA4\xB9\xE0\xA4\xBF\xE0\xA4\x82\xE0\xA4\xA6\xE0\xA5\x80.pdf", ""},  // हिंदी
    {"plain.pdf", ""},
};
const std::string kNoFontHasIt = "\xF4\x8F\xBF\xBD.pdf";

std::shared_ptr<const std::vector<unsigned char>> EmbeddedFont() {
    HMODULE exe = GetModuleHandleW(nullptr);
    HRSRC info = FindResourceW(exe, MAKEINTRESOURCEW(102), RT_RCDATA);
    if (!info) return nullptr;
    const auto* bytes = static_cast<const unsigned char*>(LockResource(LoadResource(exe, info)));
    return std::make_shared<const std::vector<unsigned char>>(bytes, bytes + SizeofResource(exe, info));
}

std::vector<char32_t> CodePoints(const std::string& utf8) {
    std::vector<char32_t> out;
    for (const char* p = utf8.c_str(); *p;) {
        unsigned int c = 0;
        p += ImTextCharFromUtf8(&c, p, nullptr);
        out.push_back(c);
    }
    return out;
}

// The Activity tab after a batch routed a file of each name: each line is noted as the window
// notes a log line, the grown atlas is taken in between frames, and every character the tab
// then draws (Arabic's joined forms too) has a glyph of its own; ImGui draws the replacement box
// for any other.
TEST(Scripts, NamesInEveryScriptAreDrawnFromRealGlyphsAndOnlyTheUnknownAsTheBox) {
    SettingsWindowDriver w;
    auto font = EmbeddedFont();
    ASSERT_TRUE(font);
    GlyphSupply glyphs;
    glyphs.SetBase(font, 16.0f);
    std::vector<Name> names = kNames;
    names.push_back({kNoFontHasIt, ""});
    for (const auto& [name, shown] : names) {
        w.logLines.push_front("10:14:02 | [ok] Z:\\tmp\\files\\" + name + " -> Z:\\tmp\\Docs\\" + name +
                              " (Moved via Documents)");
        glyphs.Note(w.logLines.front());
    }
    // Builds follow each other while lines come in: the window draws with the newest one.
    std::optional<GrownAtlas> grown;
    for (int i = 0; i < 600 && glyphs.Pending(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (std::optional<GrownAtlas> newer = glyphs.Take()) grown = std::move(newer);
    }
    ASSERT_TRUE(grown) << "no atlas was built within 30 s";
    EXPECT_EQ(grown->pixels, 16.0f);
    AdoptAtlas(std::move(grown->atlas));
    w.OpenTab("Activity");

    const ImFont* drawn = ImGui::GetIO().Fonts->Fonts[0];
    for (const auto& [name, shown] : names) EXPECT_TRUE(w.imgui.Shows(shown.empty() ? name : shown)) << name;
    std::string boxes;
    for (char32_t c : CodePoints(w.imgui.ShownText())) {
        if (c < 0x20 || c == 0x10FFFD) continue;
        if (drawn->FindGlyphNoFallback(static_cast<ImWchar>(c))) continue;
        char code[16];
        snprintf(code, sizeof code, " U+%04X", static_cast<unsigned>(c));
        boxes += code;
    }
    EXPECT_EQ(boxes, "") << "characters drawn as the replacement box";
    EXPECT_EQ(drawn->FindGlyphNoFallback(0x10FFFD), nullptr);
    EXPECT_EQ(drawn->FindGlyph(0x10FFFD), drawn->FallbackGlyph) << "what no font has is the box, as before";
    EXPECT_EQ(drawn->FallbackChar, 0xFFFD);
}

}  // namespace
}  // namespace kw::test
