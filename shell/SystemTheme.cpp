#include "shell/SystemTheme.h"

#include <cwchar>

namespace kw {

bool SystemAppsUseLightTheme() {
    // The value Settings > Personalisation > Colours writes: 0 dark, 1 light. RegGetValueW with
    // RRF_RT_REG_DWORD refuses a value of another type, so a damaged one reads as missing.
    DWORD light = 1;
    DWORD size = sizeof light;
    const LSTATUS read = RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize",
                                      L"AppsUseLightTheme", RRF_RT_REG_DWORD, nullptr, &light, &size);
    return read != ERROR_SUCCESS || light != 0;
}

bool IsColourModeChange(LPARAM settingChangeParam) {
    // Settings broadcasts WM_SETTINGCHANGE with the section name "ImmersiveColorSet" when the
    // colour mode changes; other broadcasts carry other names or none.
    const auto* section = reinterpret_cast<const wchar_t*>(settingChangeParam);
    return section && std::wcscmp(section, L"ImmersiveColorSet") == 0;
}

}  // namespace kw
