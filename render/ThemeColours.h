#pragma once
// The two colour schemes of the settings window, and which one a theme setting means. Every
// text colour of a scheme reads on every background it is drawn on (contrast 4.5:1 or more),
// and text fields and check boxes have a border that stands out from the window (3:1).

#include <imgui.h>

#include "model/AppSettings.h"

namespace kw {

// The dark scheme for Theme::dark, the light one for Theme::light, and for Theme::system the
// one the user chose for apps in Windows (`systemAppsLight`).
bool UsesDarkColours(Theme theme, bool systemAppsLight);

// Colours and borders of one scheme; sizes and rounding are left as they are.
void StyleColours(ImGuiStyle& style, bool dark);

}  // namespace kw
