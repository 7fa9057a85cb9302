#pragma once
// Start with Windows: the value "KestraneFileweir" under the current user's Run key, holding
// the quoted path of the running executable.

#include <optional>
#include <string>

namespace kw {

// Writes (enable) or deletes the Run value; registry failures are silent.
void SetStartWithWindows(bool enable);
// The current Run value, if any.
std::optional<std::wstring> StartWithWindowsValue();

}  // namespace kw
