#pragma once
// Where the system's input method (a Japanese, Chinese or Korean IME) shows what is being
// composed: its composition window at the caret of the field being edited, its candidate list
// next to the caret's line and never over it, and no input method at all while no text field
// has the keyboard (keys then are the window's shortcuts, as in any Windows program). Installed
// as Dear ImGui's io.SetPlatformImeDataFn; ImGui calls it when the caret or the field changes.

#include <imgui.h>

namespace kw {

void PlaceInputMethod(ImGuiViewport* viewport, ImGuiPlatformImeData* data);

}  // namespace kw
