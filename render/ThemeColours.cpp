#include "render/ThemeColours.h"

namespace kw {

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
    ImVec4* c = style.Colors;
    if (dark) {
        ImGui::StyleColorsDark(&style);
        c[ImGuiCol_Text] = ImVec4(0.93f, 0.95f, 0.98f, 1.00f);
        c[ImGuiCol_TextDisabled] = ImVec4(0.66f, 0.70f, 0.76f, 1.00f);
        c[ImGuiCol_WindowBg] = ImVec4(0.07f, 0.09f, 0.14f, 1.00f);
        c[ImGuiCol_PopupBg] = ImVec4(0.09f, 0.11f, 0.17f, 0.98f);
        c[ImGuiCol_Border] = ImVec4(0.42f, 0.50f, 0.60f, 1.00f);
        c[ImGuiCol_FrameBg] = ImVec4(0.13f, 0.18f, 0.27f, 1.00f);
        c[ImGuiCol_FrameBgHovered] = ImVec4(0.16f, 0.23f, 0.34f, 1.00f);
        c[ImGuiCol_FrameBgActive] = ImVec4(0.18f, 0.26f, 0.38f, 1.00f);
        c[ImGuiCol_Button] = ImVec4(0.07f, 0.42f, 0.55f, 1.00f);
        c[ImGuiCol_ButtonHovered] = ImVec4(0.08f, 0.46f, 0.60f, 1.00f);
        c[ImGuiCol_ButtonActive] = ImVec4(0.06f, 0.36f, 0.48f, 1.00f);
        c[ImGuiCol_Header] = ImVec4(0.10f, 0.36f, 0.48f, 1.00f);
        c[ImGuiCol_HeaderHovered] = ImVec4(0.10f, 0.42f, 0.56f, 1.00f);
        c[ImGuiCol_HeaderActive] = ImVec4(0.10f, 0.40f, 0.54f, 1.00f);
        c[ImGuiCol_Tab] = ImVec4(0.11f, 0.19f, 0.29f, 1.00f);
        c[ImGuiCol_TabHovered] = ImVec4(0.10f, 0.42f, 0.56f, 1.00f);
        c[ImGuiCol_TabActive] = ImVec4(0.09f, 0.40f, 0.54f, 1.00f);
        c[ImGuiCol_TabUnfocused] = c[ImGuiCol_Tab];
        c[ImGuiCol_TabUnfocusedActive] = ImVec4(0.10f, 0.33f, 0.45f, 1.00f);
        c[ImGuiCol_CheckMark] = ImVec4(0.40f, 0.85f, 1.00f, 1.00f);
        c[ImGuiCol_TextSelectedBg] = ImVec4(0.16f, 0.45f, 0.66f, 0.70f);
        c[ImGuiCol_TitleBgActive] = ImVec4(0.10f, 0.16f, 0.25f, 1.00f);
        c[ImGuiCol_MenuBarBg] = ImVec4(0.10f, 0.13f, 0.19f, 1.00f);
        c[ImGuiCol_TableHeaderBg] = ImVec4(0.12f, 0.17f, 0.25f, 1.00f);
    } else {
        ImGui::StyleColorsLight(&style);
        c[ImGuiCol_Text] = ImVec4(0.07f, 0.09f, 0.12f, 1.00f);
        c[ImGuiCol_TextDisabled] = ImVec4(0.36f, 0.39f, 0.43f, 1.00f);
        c[ImGuiCol_WindowBg] = ImVec4(0.94f, 0.95f, 0.96f, 1.00f);
        c[ImGuiCol_PopupBg] = ImVec4(1.00f, 1.00f, 1.00f, 0.98f);
        c[ImGuiCol_Border] = ImVec4(0.46f, 0.49f, 0.54f, 1.00f);
        c[ImGuiCol_FrameBg] = ImVec4(1.00f, 1.00f, 1.00f, 1.00f);
        c[ImGuiCol_FrameBgHovered] = ImVec4(0.95f, 0.97f, 1.00f, 1.00f);
        c[ImGuiCol_FrameBgActive] = ImVec4(0.90f, 0.95f, 1.00f, 1.00f);
        c[ImGuiCol_Button] = ImVec4(0.66f, 0.84f, 0.94f, 1.00f);
        c[ImGuiCol_ButtonHovered] = ImVec4(0.56f, 0.78f, 0.92f, 1.00f);
        c[ImGuiCol_ButtonActive] = ImVec4(0.46f, 0.72f, 0.89f, 1.00f);
        c[ImGuiCol_Header] = ImVec4(0.74f, 0.86f, 0.96f, 1.00f);
        c[ImGuiCol_HeaderHovered] = ImVec4(0.64f, 0.81f, 0.94f, 1.00f);
        c[ImGuiCol_HeaderActive] = ImVec4(0.56f, 0.77f, 0.93f, 1.00f);
        c[ImGuiCol_Tab] = ImVec4(0.85f, 0.88f, 0.92f, 1.00f);
        c[ImGuiCol_TabHovered] = ImVec4(0.64f, 0.81f, 0.94f, 1.00f);
        c[ImGuiCol_TabActive] = ImVec4(0.56f, 0.78f, 0.94f, 1.00f);
        c[ImGuiCol_TabUnfocused] = c[ImGuiCol_Tab];
        c[ImGuiCol_TabUnfocusedActive] = ImVec4(0.70f, 0.84f, 0.95f, 1.00f);
        c[ImGuiCol_CheckMark] = ImVec4(0.05f, 0.40f, 0.64f, 1.00f);
        c[ImGuiCol_TextSelectedBg] = ImVec4(0.55f, 0.76f, 0.95f, 0.70f);
        c[ImGuiCol_TitleBgActive] = ImVec4(0.82f, 0.85f, 0.89f, 1.00f);
        c[ImGuiCol_MenuBarBg] = ImVec4(0.88f, 0.90f, 0.93f, 1.00f);
        c[ImGuiCol_TableHeaderBg] = ImVec4(0.86f, 0.89f, 0.93f, 1.00f);
    }
    // A one-pixel frame around fields, check boxes and buttons: a white field on the light
    // window is otherwise told from it by 1.1:1.
    style.FrameBorderSize = 1.0f;
}

}  // namespace kw
