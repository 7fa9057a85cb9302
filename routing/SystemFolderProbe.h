#pragma once
// The rule checker's view of this machine's folders (matching/RuleCheck.h), from Win32.

#include "matching/RuleCheck.h"

namespace kw {

// Answers through \\?\ paths what is at a path and whether its drive is there; network paths
// are not asked (a server that does not answer would hold the settings window for seconds).
// The system folders (Windows, System, Program Files with its x86 twin) and the program's own
// folder are read once, when the probe is made.
FolderProbe SystemFolderProbe();

}  // namespace kw
