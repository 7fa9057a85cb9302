#pragma once
// Start with Windows: the value "KestraneFileweir" under the current user's Run key, holding
// the quoted path of the executable that starts at log-on. Several copies of the portable
// program (an installed one, one on a stick) share that one value: a copy changes it only while
// it opens this very copy, and replaces another copy's only when the user asks for it.

#include <filesystem>
#include <optional>
#include <string>

namespace kw {

enum class StartupOwner { none, thisCopy, otherCopy };
struct StartupEntry {
    StartupOwner owner = StartupOwner::none;
    std::filesystem::path program;  // the program the value starts (otherCopy)
};

// The program a Run command starts: the quoted first part, or the text up to ".exe".
std::filesystem::path ProgramOfRunCommand(const std::wstring& command);
// Whose the Run value is, `exe` being this copy.
StartupEntry ReadStartWithWindows(const std::filesystem::path& exe);

// Writes (enable) or deletes the Run value for the running exe, leaving another copy's value as
// it is; registry failures are silent.
void SetStartWithWindows(bool enable);
// Makes the running exe the copy that starts with Windows, whoever had the value: only at the
// user's request.
void StartThisCopyWithWindows();
// The current Run value, if any.
std::optional<std::wstring> StartWithWindowsValue();

}  // namespace kw
