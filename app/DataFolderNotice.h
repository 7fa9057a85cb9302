#pragma once
// What the user is told once at start-up about where the program keeps its own files, when that
// is not beside it, and about a journal key that had to be replaced: one line each, for the
// status line and the activity log. Nothing when all is as usual.

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "model/DataFolder.h"
#include "routing/JournalKey.h"

namespace kw {

// `logFolder`: where the activity log went because it could not be written beside the program
// (empty: it stays there).
std::vector<std::string> DataFolderNotices(const DataFolderChoice& data, const std::filesystem::path& logFolder,
                                           const JournalKeyFile& key, size_t journalsLeft);

}  // namespace kw
