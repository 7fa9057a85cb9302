#pragma once
// The Settings tab: every preference that is not a rule, the hotkey, the no-match policy with
// the Unsorted folder, backup and restore, and quitting.

#include <windows.h>

#include "model/AppSettings.h"
#include "ui/SettingsWindow.h"

namespace kw {

void DrawSettingsTab(AppSettings& settings, UiState& ui, HWND owner, bool& settingsChanged,
                     const SettingsWindowView& view, const SettingsWindowActions& actions);

}  // namespace kw
