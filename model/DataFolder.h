#pragma once
// Where the program keeps the files it writes for itself: the journal key, the move journals and
// the batch history. Beside the executable, as everything else of a portable program; but a
// copy run from where it cannot write (Program Files as a standard user, a write-protected
// stick, a read-only share) keeps them in the user's local application data folder instead, so
// that undo and the move journals still work. Settings are read from beside the program either
// way.

#include <filesystem>

namespace kw {

struct DataFolderChoice {
    std::filesystem::path folder;  // where the data files are kept
    bool besideProgram = true;     // false: the program's folder could not be written
    bool writable = true;          // false: neither folder could be written; nothing is recorded
};

// The program's choice, made once (at start-up, by the first caller) and kept for the process.
const DataFolderChoice& DataFolder();

// Whether a new file can be made in `folder`: a probe file is really created there and deleted
// again (attributes and access checks cannot tell a read-only share or a locked medium).
bool FolderTakesNewFiles(const std::filesystem::path& folder);

// "%LOCALAPPDATA%\Kestrane Fileweir", made if missing; empty when there is no such folder.
std::filesystem::path LocalDataFolder();

}  // namespace kw
