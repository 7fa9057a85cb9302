#pragma once
// What the user is told once at start-up about where the program keeps its own files, when that
// is not beside it, and about a journal key that had to be replaced: one line each, for the
// status line and the activity log. Nothing when all is as usual.

#include <cstddef>
#include <string>
#include <vector>

#include "model/DataFolder.h"
#include "routing/JournalKey.h"

namespace kw {

std::vector<std::string> DataFolderNotices(const DataFolderChoice& data, bool logMoved, const JournalKeyFile& key,
                                           size_t journalsLeft);

}  // namespace kw
