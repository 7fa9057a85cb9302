#pragma once
// The folder path row shared by the rule editor and the Settings tab: a text field, a Browse
// button and a drop target for a folder dragged onto the window.

#include <windows.h>

#include <string>

#include "ui/SettingsWindow.h"

namespace kw {

// Edits `path` in place (saved on every keystroke) and registers the row as a drop target for
// this frame. `browseLabel` carries a "##" id when several rows could share a label.
void DrawPathRow(const char* label, std::string& path, UiState& ui, HWND owner, bool& settingsChanged,
                 const char* browseLabel);

}  // namespace kw
