#include "render/ThemeColours.h"

#include <span>

namespace kw {

namespace {

struct SlotColour {
    ImGuiCol slot;
    ImVec4 colour;
};

// One scheme: Dear ImGui's own set it starts from, and the colours it sets over it.
struct Scheme {
    void (*base)(ImGuiStyle*);
    std::span<const SlotColour> colours;
};

const SlotColour kDarkColours[] = {
    {ImGuiCol_Text, {0.93f, 0.95f, 0.98f, 1.00f}},
    {ImGuiCol_TextDisabled, {0.66f, 0.70f, 0.76f, 1.00f}},
    {ImGuiCol_WindowBg, {0.07f, 0.09f, 0.14f, 1.00f}},
    {ImGuiCol_PopupBg, {0.09f, 0.11f, 0.17f, 0.98f}},
    {ImGuiCol_Border, {0.42f, 0.50f, 0.60f, 1.00f}},
    {ImGuiCol_FrameBg, {0.13f, 0.18f, 0.27f, 1.00f}},
    {ImGuiCol_FrameBgHovered, {0.16f, 0.23f, 0.34f, 1.00f}},
    {ImGuiCol_FrameBgActive, {0.18f, 0.26f, 0.38f, 1.00f}},
    {ImGuiCol_Button, {0.07f, 0.42f, 0.55f, 1.00f}},
    {ImGuiCol_ButtonHovered, {0.08f, 0.46f, 0.60f, 1.00f}},
    {ImGuiCol_ButtonActive, {0.06f, 0.36f, 0.48f, 1.00f}},
    {ImGuiCol_Header, {0.10f, 0.36f, 0.48f, 1.00f}},
    {ImGuiCol_HeaderHovered, {0.10f, 0.42f, 0.56f, 1.00f}},
    {ImGuiCol_HeaderActive, {0.10f, 0.40f, 0.54f, 1.00f}},
    {ImGuiCol_Tab, {0.11f, 0.19f, 0.29f, 1.00f}},
    {ImGuiCol_TabHovered, {0.10f, 0.42f, 0.56f, 1.00f}},
    {ImGuiCol_TabActive, {0.09f, 0.40f, 0.54f, 1.00f}},
    {ImGuiCol_TabUnfocusedActive, {0.10f, 0.33f, 0.45f, 1.00f}},
    {ImGuiCol_CheckMark, {0.40f, 0.85f, 1.00f, 1.00f}},
    {ImGuiCol_TextSelectedBg, {0.16f, 0.45f, 0.66f, 0.70f}},
    {ImGuiCol_TitleBgActive, {0.10f, 0.16f, 0.25f, 1.00f}},
    {ImGuiCol_MenuBarBg, {0.10f, 0.13f, 0.19f, 1.00f}},
    {ImGuiCol_TableHeaderBg, {0.12f, 0.17f, 0.25f, 1.00f}},
};

const SlotColour kLightColours[] = {
    {ImGuiCol_Text, {0.07f, 0.09f, 0.12f, 1.00f}},
    {ImGuiCol_TextDisabled, {0.36f, 0.39f, 0.43f, 1.00f}},
    {ImGuiCol_WindowBg, {0.94f, 0.95f, 0.96f, 1.00f}},
    {ImGuiCol_PopupBg, {1.00f, 1.00f, 1.00f, 0.98f}},
    {ImGuiCol_Border, {0.46f, 0.49f, 0.54f, 1.00f}},
    {ImGuiCol_FrameBg, {1.00f, 1.00f, 1.00f, 1.00f}},
    {ImGuiCol_FrameBgHovered, {0.95f, 0.97f, 1.00f, 1.00f}},
    {ImGuiCol_FrameBgActive, {0.90f, 0.95f, 1.00f, 1.00f}},
    {ImGuiCol_Button, {0.66f, 0.84f, 0.94f, 1.00f}},
    {ImGuiCol_ButtonHovered, {0.56f, 0.78f, 0.92f, 1.00f}},
    {ImGuiCol_ButtonActive, {0.46f, 0.72f, 0.89f, 1.00f}},
    {ImGuiCol_Header, {0.74f, 0.86f, 0.96f, 1.00f}},
    {ImGuiCol_HeaderHovered, {0.64f, 0.81f, 0.94f, 1.00f}},
    {ImGuiCol_HeaderActive, {0.56f, 0.77f, 0.93f, 1.00f}},
    {ImGuiCol_Tab, {0.85f, 0.88f, 0.92f, 1.00f}},
    {ImGuiCol_TabHovered, {0.64f, 0.81f, 0.94f, 1.00f}},
    {ImGuiCol_TabActive, {0.56f, 0.78f, 0.94f, 1.00f}},
    {ImGuiCol_TabUnfocusedActive, {0.70f, 0.84f, 0.95f, 1.00f}},
    {ImGuiCol_CheckMark, {0.05f, 0.40f, 0.64f, 1.00f}},
    {ImGuiCol_TextSelectedBg, {0.55f, 0.76f, 0.95f, 0.70f}},
    {ImGuiCol_TitleBgActive, {0.82f, 0.85f, 0.89f, 1.00f}},
    {ImGuiCol_MenuBarBg, {0.88f, 0.90f, 0.93f, 1.00f}},
    {ImGuiCol_TableHeaderBg, {0.86f, 0.89f, 0.93f, 1.00f}},
};

const Scheme kDark{ImGui::StyleColorsDark, kDarkColours};
const Scheme kLight{ImGui::StyleColorsLight, kLightColours};

}  // namespace

bool UsesDarkColours(Theme theme, bool systemAppsLight) {
    switch (theme) {
        case Theme::light: return false;
        case Theme::system: return !systemAppsLight;
        default: return true;
    }
}

void StyleColours(ImGuiStyle& style, bool dark) {
    // Dear ImGui's own schemes give the colours nobody reads text on (scroll bars, plots, nav
    // highlights); every colour text is drawn on is set here, opaque, so that its contrast
    // does not depend on what lies beneath.
    const Scheme& scheme = dark ? kDark : kLight;
    scheme.base(&style);
    for (const SlotColour& set : scheme.colours) style.Colors[set.slot] = set.colour;
    style.Colors[ImGuiCol_TabUnfocused] = style.Colors[ImGuiCol_Tab];
    // A one-pixel frame around fields, check boxes and buttons: a white field on the light
    // window is otherwise told from it by 1.1:1.
    style.FrameBorderSize = 1.0f;
}

}  // namespace kw
