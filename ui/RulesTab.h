#pragma once
// The Rules tab: the toolbar, the ordered rule list (on/off, rename, delete, drag to reorder)
// and the editor panel of the selected rule. List order is routing priority.

#include <windows.h>

#include "model/AppSettings.h"
#include "ui/SettingsWindow.h"

namespace kw {

void DrawRulesTab(AppSettings& settings, UiState& ui, HWND owner, bool& settingsChanged);

}  // namespace kw
