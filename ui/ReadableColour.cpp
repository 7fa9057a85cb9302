#include "ui/ReadableColour.h"

#include <algorithm>
#include <cmath>

namespace kw {
namespace {

float Linear(float c) { return c <= 0.04045f ? c / 12.92f : std::pow((c + 0.055f) / 1.055f, 2.4f); }

float Luminance(const ImVec4& c) { return 0.2126f * Linear(c.x) + 0.7152f * Linear(c.y) + 0.0722f * Linear(c.z); }

constexpr float kReadableContrast = 4.5f;

}  // namespace

float ContrastRatio(const ImVec4& a, const ImVec4& b) {
    const float la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05f) / (std::min(la, lb) + 0.05f);
}

ImVec4 ReadableOn(const ImVec4& colour, const ImVec4& background) {
    const bool darken = Luminance(background) > 0.18f;  // mid-grey: above it, text must be darker
    ImVec4 c = colour;
    for (int step = 0; step < 40 && ContrastRatio(c, background) < kReadableContrast; ++step) {
        if (darken) {
            c.x *= 0.92f, c.y *= 0.92f, c.z *= 0.92f;
        } else {
            c.x += (1.0f - c.x) * 0.08f, c.y += (1.0f - c.y) * 0.08f, c.z += (1.0f - c.z) * 0.08f;
        }
    }
    return c;
}

ImVec4 Readable(const ImVec4& colour) { return ReadableOn(colour, ImGui::GetStyle().Colors[ImGuiCol_WindowBg]); }

}  // namespace kw
