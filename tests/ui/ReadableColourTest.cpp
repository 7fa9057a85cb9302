#include <gtest/gtest.h>

#include "render/ThemeColours.h"
#include "ui/ReadableColour.h"

namespace kw {
namespace {

// The accent colours of the window's texts, and the two themes' window backgrounds.
const ImVec4 kAccents[] = {
    {0.40f, 0.85f, 1.00f, 1.00f}, {0.45f, 0.90f, 1.00f, 1.00f}, {0.55f, 0.55f, 0.55f, 1.00f},
    {0.85f, 0.75f, 0.35f, 1.00f}, {1.00f, 0.75f, 0.25f, 1.00f}, {1.00f, 0.50f, 0.35f, 1.00f},
    {1.00f, 0.85f, 0.20f, 1.00f}, {1.00f, 0.35f, 0.35f, 1.00f}, {1.00f, 0.55f, 0.35f, 1.00f},
};
const ImVec4 kDarkWindow{0.07f, 0.09f, 0.14f, 1.00f};
const ImVec4 kLightWindow{0.94f, 0.94f, 0.94f, 1.00f};

TEST(ReadableColour, DarkThemeColoursStayAndLightThemeOnesAreDarkenedInTheirHue) {
    EXPECT_NEAR(ContrastRatio({0, 0, 0, 1}, {1, 1, 1, 1}), 21.0f, 0.01f);
    for (const ImVec4& accent : kAccents) {
        const ImVec4 onDark = ReadableOn(accent, kDarkWindow);
        EXPECT_EQ(onDark.x, accent.x);
        EXPECT_EQ(onDark.y, accent.y);
        EXPECT_EQ(onDark.z, accent.z);

        const ImVec4 onLight = ReadableOn(accent, kLightWindow);
        EXPECT_GE(ContrastRatio(onLight, kLightWindow), 4.5f);
        EXPECT_LT(ContrastRatio(onLight, kLightWindow), 6.0f) << "darkened far more than needed";
        EXPECT_NEAR(onLight.x * accent.y, onLight.y * accent.x, 1e-4f) << "hue changed";
        EXPECT_NEAR(onLight.z * accent.y, onLight.y * accent.z, 1e-4f) << "hue changed";
        EXPECT_EQ(onLight.w, accent.w);
    }
}

ImVec4 Over(const ImVec4& top, const ImVec4& below) {
    const float a = top.w;
    return {top.x * a + below.x * (1 - a), top.y * a + below.y * (1 - a), top.z * a + below.z * (1 - a), 1.0f};
}

// Every text colour of each scheme on every background text is drawn on (WCAG AA: 4.5:1), as the
// window composes them over its own background; the borders of fields and check boxes, and the
// check mark, stand out from what they sit on (WCAG's 3:1 for controls); the accents reach 4.5:1.
TEST(ThemeColours, EveryTextReadsOnEveryBackgroundOfBothThemesAndFieldsHaveBorders) {
    const ImGuiCol backgrounds[] = {
        ImGuiCol_WindowBg,      ImGuiCol_PopupBg,     ImGuiCol_FrameBg,      ImGuiCol_FrameBgHovered,
        ImGuiCol_FrameBgActive, ImGuiCol_Button,      ImGuiCol_ButtonHovered, ImGuiCol_ButtonActive,
        ImGuiCol_Header,        ImGuiCol_HeaderHovered, ImGuiCol_HeaderActive, ImGuiCol_Tab,
        ImGuiCol_TabHovered,    ImGuiCol_TabActive,   ImGuiCol_TabUnfocused, ImGuiCol_TabUnfocusedActive,
        ImGuiCol_MenuBarBg,     ImGuiCol_TableHeaderBg, ImGuiCol_TitleBgActive};
    for (const bool dark : {true, false}) {
        ImGuiStyle style;
        StyleColours(style, dark);
        const ImVec4* c = style.Colors;
        const ImVec4 window = c[ImGuiCol_WindowBg];
        EXPECT_EQ(window.w, 1.0f);
        for (const ImGuiCol bg : backgrounds) {
            const ImVec4 under = Over(c[bg], window);
            EXPECT_GE(ContrastRatio(c[ImGuiCol_Text], under), 4.5f) << (dark ? "dark " : "light ") << ImGui::GetStyleColorName(bg);
            // Greyed texts (hints, notes) sit on the window, lists and fields.
            if (bg == ImGuiCol_WindowBg || bg == ImGuiCol_PopupBg || bg == ImGuiCol_FrameBg || bg == ImGuiCol_FrameBgHovered ||
                bg == ImGuiCol_FrameBgActive) {
                EXPECT_GE(ContrastRatio(c[ImGuiCol_TextDisabled], under), 4.5f) << (dark ? "dark " : "light ") << ImGui::GetStyleColorName(bg);
            }
        }
        EXPECT_GE(ContrastRatio(c[ImGuiCol_Text], Over(c[ImGuiCol_TextSelectedBg], Over(c[ImGuiCol_FrameBg], window))), 4.5f);
        EXPECT_GE(style.FrameBorderSize, 1.0f);
        EXPECT_GE(ContrastRatio(Over(c[ImGuiCol_Border], window), window), 3.0f);
        EXPECT_GE(ContrastRatio(Over(c[ImGuiCol_Border], window), Over(c[ImGuiCol_FrameBg], window)), 3.0f);
        EXPECT_GE(ContrastRatio(c[ImGuiCol_CheckMark], Over(c[ImGuiCol_FrameBg], window)), 3.0f);
        for (const ImVec4& accent : kAccents) EXPECT_GE(ContrastRatio(ReadableOn(accent, window), window), 4.5f);
    }

    EXPECT_TRUE(UsesDarkColours(Theme::dark, true));
    EXPECT_FALSE(UsesDarkColours(Theme::light, false));
    EXPECT_TRUE(UsesDarkColours(Theme::system, false));
    EXPECT_FALSE(UsesDarkColours(Theme::system, true));
}

}  // namespace
}  // namespace kw
