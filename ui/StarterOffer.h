#pragma once
// What the Rules tab offers while there are no rules: a short set of starter rules, shown with
// where each kind of file would go, added in one click and then edited like any other.
// Nothing is added without that click.

#include "model/AppSettings.h"
#include "ui/SettingsWindow.h"

namespace kw {

void DrawStarterOffer(AppSettings& settings, UiState& ui, bool& settingsChanged);

}  // namespace kw
