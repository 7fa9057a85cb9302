#pragma once
// The light or dark mode the user chose for apps in Windows' personalisation settings, for the
// "Use the system setting" theme.

#include <windows.h>

namespace kw {

// True when apps are to be light: the setting says so, or there is no such setting (Windows
// before dark mode, and Windows' default).
bool SystemAppsUseLightTheme();

// Whether a WM_SETTINGCHANGE (its lParam) announces a change of the apps' colour mode.
bool IsColourModeChange(LPARAM settingChangeParam);

}  // namespace kw
