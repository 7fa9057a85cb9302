#pragma once
// The user's known folders (Documents, Pictures, ...) as the shell names them: moved folders
// (to another drive, or into a synced folder) are found where they are now.

#include "model/StarterRules.h"

namespace kw {

// Folders the system cannot name are left empty.
UserFolders UserKnownFolders();

}  // namespace kw
