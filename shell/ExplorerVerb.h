#pragma once
// "Route with Kestrane Fileweir" on Explorer's menu for files and folders: a classic verb under
// the current user's Software\Classes (no administrator rights needed; on Windows 11 it shows
// under "Show more options"). The registry place is a parameter, so tests write under a prefix
// of their own; the program uses the default.

#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>

namespace kw {

struct ClassesKey {
    HKEY root = HKEY_CURRENT_USER;
    std::wstring path = L"Software\\Classes";
    bool notifyShell = true;  // tell Explorer its menus changed (not for a test's own key)
};

inline constexpr wchar_t kVerbName[] = L"KestraneFileweir.Route";
inline constexpr wchar_t kVerbText[] = L"Route with Kestrane Fileweir";

// The command Explorer runs for one item: the quoted exe and the quoted item.
std::wstring VerbCommand(const std::filesystem::path& exe);
// The verb's key under `classes` for one class ("*" for files, "Directory" for folders).
std::wstring VerbKeyPath(const ClassesKey& classes, const wchar_t* className);

// The command registered for files; nothing when the verb is not there.
std::optional<std::wstring> RegisteredVerbCommand(const ClassesKey& classes);

// Writes the verb for files and folders (unchanged keys are not rewritten); "" or the reason.
std::string AddExplorerVerb(const ClassesKey& classes, const std::filesystem::path& exe);
// Removes the verb while it runs `exe` (another copy's is left alone); "" or the reason.
std::string RemoveExplorerVerb(const ClassesKey& classes, const std::filesystem::path& exe);

}  // namespace kw
