#include "ui/MessageStrip.h"

#include <imgui.h>

#include "ui/ReadableColour.h"

namespace kw {
namespace {

ImVec4 ToneColour(StripTone tone) {
    switch (tone) {
        case StripTone::warning: return Readable(ImVec4(1.00f, 0.50f, 0.35f, 1.00f));
        case StripTone::note: return Readable(ImVec4(0.85f, 0.75f, 0.35f, 1.00f));
        default: return ImGui::GetStyleColorVec4(ImGuiCol_TextDisabled);
    }
}

}  // namespace

float MessageStrip::Height() {
    const ImGuiStyle& style = ImGui::GetStyle();
    return ImGui::GetTextLineHeightWithSpacing() * static_cast<float>(kVisibleLines) + style.WindowPadding.y * 2.0f;
}

void MessageStrip::Draw(const char* id, const char* empty) const {
    ImGui::BeginChild(id, ImVec2(0.0f, Height()), ImGuiChildFlags_Border);
    if (lines.empty() && empty) ImGui::TextDisabled("%s", empty);
    for (const StripLine& line : lines) {
        ImGui::PushStyleColor(ImGuiCol_Text, ToneColour(line.tone));
        ImGui::TextWrapped("%s", line.text.c_str());
        ImGui::PopStyleColor();
    }
    ImGui::EndChild();
}

}  // namespace kw
