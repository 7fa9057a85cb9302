#pragma once
// The one system-wide hotkey that toggles the drop zone: registration, capture of a new
// combination, and its display text ("Ctrl + Alt + D").

#include <windows.h>

#include <functional>
#include <string>

#include "model/AppSettings.h"
#include "shell/KeyState.h"

namespace kw {

constexpr int kHotkeyId = 1;

// "A".."Z", "0".."9", "F1".."F24", "Space", "Tab", "+", ",", "-", ".", else the system's key
// name, else "VK_<code>".
std::string KeyName(unsigned vk);
// Modifiers in the fixed order Ctrl, Alt, Shift, Win, then the key: "Shift + Win + F5".
std::string HotkeyText(unsigned modifiers, unsigned vk);

// Registers (modifiers | MOD_NOREPEAT, vk) as hotkey 1 of `window`. On success stores the pair
// in `settings` (not saved) and clears `error`. On failure `error` explains it with the system
// error code, the stored combination is registered again, and false is returned.
bool ApplyHotkey(HWND window, AppSettings& settings, unsigned modifiers, unsigned vk, std::string& error);

// What the settings window shows while a new combination is being recorded.
struct HotkeyCaptureState {
    bool capturing = false;  // capture mode is on
    std::string error;       // last failure or hint; empty when none
    std::string status;      // the capture prompt; empty when none
};

// One key press during capture. Pure modifier keys are ignored; Esc cancels; a key without a
// held modifier asks for one; otherwise `apply` (an ApplyHotkey) is tried. Returns true when a
// new combination was applied and capture ended (the caller then saves the settings).
bool CaptureHotkeyKey(unsigned vk, HotkeyCaptureState& state, const KeyState& keys,
                      const std::function<bool(unsigned, unsigned, std::string&)>& apply);

}  // namespace kw
