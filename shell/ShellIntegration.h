#pragma once
// The integrations with Explorer that the Settings tab turns on and off (Send To, the menu
// verb), applied for the running exe at their real places.

#include <filesystem>
#include <string>

namespace kw {

// The running exe's full path, however long.
std::filesystem::path ProgramPath();

// "" on success, else the reason for the status line. COM must be initialised on this thread.
std::string SetSendTo(bool enable);
std::string SetExplorerVerb(bool enable);

}  // namespace kw
