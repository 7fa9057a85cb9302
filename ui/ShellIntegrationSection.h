#pragma once
// The Settings tab's section on Explorer and the command line: Send To, the Explorer menu verb,
// and "Remove from this PC", which turns off everything the program writes outside its folder.

#include <string>

#include "model/AppSettings.h"
#include "ui/UiPlatform.h"

namespace kw {

void DrawShellIntegrationSection(AppSettings& settings, const UiPlatform& platform, bool& settingsChanged,
                                 std::string& statusText);

}  // namespace kw
