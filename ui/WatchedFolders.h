#pragma once
// The "Watched folders" section of the Settings tab: the list with each folder's switches and
// state, adding by Browse or by dropping a folder on the list, and the offer of what a folder
// just watched already holds.

#include <windows.h>

#include "model/AppSettings.h"
#include "ui/SettingsWindow.h"

namespace kw {

void DrawWatchedFolders(AppSettings& settings, UiState& ui, HWND owner, bool& settingsChanged,
                        const SettingsWindowView& view, const SettingsWindowActions& actions);

// Adds `folder` (UTF-8) to the list unless it is there already (in any spelling); false then.
bool AddWatchedFolder(WatchSettings& watching, const std::string& folder);

}  // namespace kw
