#include <gtest/gtest.h>

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

}  // namespace
}  // namespace kw
