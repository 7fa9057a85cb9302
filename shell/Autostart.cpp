#include "shell/Autostart.h"

#include <windows.h>

#include <cwctype>
#include <memory>
#include <type_traits>

#include "shell/SendToShortcut.h"

namespace kw {

namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kValueName[] = L"KestraneFileweir";

struct KeyCloser {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using UniqueKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

// The running executable's full path, however long: a fixed 260-character buffer would cut a
// long path and leave a Run value that starts nothing.
std::wstring ExecutablePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        if (path.size() >= 0x10000) return {};
        path.resize(path.size() * 2);
    }
}

}  // namespace

std::filesystem::path ProgramOfRunCommand(const std::wstring& command) {
    const size_t start = command.find_first_not_of(L" \t");
    if (start == std::wstring::npos) return {};
    if (command[start] == L'"') {
        const size_t end = command.find(L'"', start + 1);
        return std::filesystem::path(command.substr(start + 1, end == std::wstring::npos ? end : end - start - 1));
    }
    // Unquoted, a path with spaces is read as Windows reads it: up to the program's extension.
    std::wstring upper = command;
    for (wchar_t& c : upper) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
    const size_t exe = upper.find(L".EXE", start);
    if (exe != std::wstring::npos) return std::filesystem::path(command.substr(start, exe + 4 - start));
    return std::filesystem::path(command.substr(start, command.find_first_of(L" \t", start) - start));
}

StartupEntry ReadStartWithWindows(const std::filesystem::path& exe) {
    StartupEntry entry;
    const std::optional<std::wstring> command = StartWithWindowsValue();
    if (!command) return entry;
    entry.program = ProgramOfRunCommand(*command);
    entry.owner = !entry.program.empty() && SameProgram(entry.program, exe) ? StartupOwner::thisCopy
                                                                            : StartupOwner::otherCopy;
    return entry;
}

namespace {

void WriteRunValue(const std::wstring& exe) {
    HKEY raw = nullptr;
    // Created if missing: a fresh profile need not have the Run key yet.
    if (exe.empty() || RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &raw,
                                       nullptr) != ERROR_SUCCESS)
        return;
    UniqueKey key(raw);
    // Quoted, so that a path with spaces still starts the program at log-on.
    const std::wstring command = L"\"" + exe + L"\"";
    RegSetValueExW(key.get(), kValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                   static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
}

}  // namespace

void SetStartWithWindows(bool enable) {
    const std::wstring exe = ExecutablePath();
    // Another copy's value (an installed copy, while this one runs from a stick) is the user's
    // choice for that copy: it is shown on the Settings tab and replaced only at their click.
    const StartupOwner owner = ReadStartWithWindows(exe).owner;
    if (owner == StartupOwner::otherCopy) return;
    if (enable) {
        WriteRunValue(exe);  // written again when it is there: the spelling of this start wins
        return;
    }
    if (owner == StartupOwner::none) return;
    HKEY raw = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, &raw) != ERROR_SUCCESS) return;
    UniqueKey key(raw);
    RegDeleteValueW(key.get(), kValueName);
}

void StartThisCopyWithWindows() { WriteRunValue(ExecutablePath()); }

std::optional<std::wstring> StartWithWindowsValue() {
    HKEY raw = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS) return std::nullopt;
    UniqueKey key(raw);
    DWORD type = 0;
    DWORD bytes = 0;
    if (RegQueryValueExW(key.get(), kValueName, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) return std::nullopt;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
    std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key.get(), kValueName, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &bytes) !=
        ERROR_SUCCESS)
        return std::nullopt;
    // The stored data need not end in a NUL, or may end in several.
    value.resize(wcsnlen(value.c_str(), bytes / sizeof(wchar_t)));
    return value;
}

}  // namespace kw
