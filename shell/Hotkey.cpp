#include "shell/Hotkey.h"

#include <cstdio>

#include "model/TextEncoding.h"

namespace kw {

namespace {

bool IsModifierKey(unsigned vk) {
    return (vk >= VK_SHIFT && vk <= VK_MENU) || vk == VK_LWIN || vk == VK_RWIN || (vk >= VK_LSHIFT && vk <= VK_RMENU);
}

unsigned HeldModifiers(const KeyState& keys) {
    unsigned modifiers = 0;
    if (keys.IsHeld(VK_CONTROL)) modifiers |= MOD_CONTROL;
    if (keys.IsHeld(VK_MENU)) modifiers |= MOD_ALT;
    if (keys.IsHeld(VK_SHIFT)) modifiers |= MOD_SHIFT;
    if (keys.IsHeld(VK_LWIN) || keys.IsHeld(VK_RWIN)) modifiers |= MOD_WIN;
    return modifiers;
}

}  // namespace

std::string KeyName(unsigned vk) {
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) return std::string(1, static_cast<char>(vk));
    if (vk >= VK_F1 && vk <= VK_F24) return std::string("F").append(std::to_string(vk - VK_F1 + 1));
    switch (vk) {
    case VK_SPACE: return "Space";
    case VK_TAB: return "Tab";
    case VK_OEM_PLUS: return "+";
    case VK_OEM_COMMA: return ",";
    case VK_OEM_MINUS: return "-";
    case VK_OEM_PERIOD: return ".";
    default: break;
    }
    // Without the extended-key bit, keys sharing a scan code with the keypad get its names.
    const LONG scanCode = static_cast<LONG>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC) << 16);
    wchar_t name[64]{};
    const int length = scanCode ? GetKeyNameTextW(scanCode, name, 64) : 0;
    if (length > 0) return ToUtf8(std::wstring_view(name, static_cast<size_t>(length)));
    char fallback[16];
    std::snprintf(fallback, sizeof fallback, "VK_%u", vk);
    return fallback;
}

std::string HotkeyText(unsigned modifiers, unsigned vk) {
    std::string text;
    if (modifiers & MOD_CONTROL) text += "Ctrl + ";
    if (modifiers & MOD_ALT) text += "Alt + ";
    if (modifiers & MOD_SHIFT) text += "Shift + ";
    if (modifiers & MOD_WIN) text += "Win + ";
    return text + KeyName(vk);
}

namespace {
constexpr unsigned kModifierFlags = MOD_ALT | MOD_CONTROL | MOD_SHIFT | MOD_WIN;
}  // namespace

bool ApplyHotkey(HWND window, AppSettings& settings, unsigned modifiers, unsigned vk, std::string& error) {
    // A hand-edited settings file can hold a key without a modifier; registered system-wide, a
    // bare letter would be taken from every other program. Capture never produces one.
    if ((modifiers & kModifierFlags) == 0) {
        error = "Could not register " + HotkeyText(modifiers, vk) +
                ": include at least one modifier (Ctrl, Alt, Shift, or Win).";
        return false;
    }
    UnregisterHotKey(window, kHotkeyId);
    // MOD_NOREPEAT: holding the combination down toggles the drop zone once, not repeatedly.
    if (RegisterHotKey(window, kHotkeyId, modifiers | MOD_NOREPEAT, vk)) {
        settings.hotkeyModifiers = modifiers;
        settings.hotkeyVk = vk;
        error.clear();
        return true;
    }
    const DWORD code = GetLastError();
    error = "Could not register " + HotkeyText(modifiers, vk) + " (Win32 error " + std::to_string(code) +
            "). The combination may already be in use by another application.";
    // Keep the previous combination working (never a bare key, as above).
    if (settings.hotkeyModifiers & kModifierFlags)
        RegisterHotKey(window, kHotkeyId, settings.hotkeyModifiers | MOD_NOREPEAT, settings.hotkeyVk);
    return false;
}

bool CaptureHotkeyKey(unsigned vk, HotkeyCaptureState& state, const KeyState& keys,
                      const std::function<bool(unsigned, unsigned, std::string&)>& apply) {
    if (IsModifierKey(vk)) return false;
    if (vk == VK_ESCAPE) {
        state.capturing = false;
        state.status.clear();
        return false;
    }
    const unsigned modifiers = HeldModifiers(keys);
    if (modifiers == 0) {
        state.error = "Include at least one modifier (Ctrl, Alt, Shift, or Win).";
        return false;
    }
    std::string error;
    if (!apply || !apply(modifiers, vk, error)) {
        state.error = error;
        return false;
    }
    state.error.clear();
    state.status.clear();
    state.capturing = false;
    return true;
}

}  // namespace kw
