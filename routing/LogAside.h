#pragma once
// Clearing the activity log keeps it: the log is the only record of where older batches' files
// went, so "Clear log" renames it aside with the time of the clear ("activity-2026-12-10-0830.log"
// beside it) and starts an empty one; the newest few cleared logs are kept, older ones removed,
// and a cleared log can be brought back in front of what was logged since.

#include <filesystem>
#include <system_error>

#include "model/Clock.h"

namespace kw {

struct ClearedLog {
    std::filesystem::path aside;  // where the cleared lines are kept; empty when there was no log
    std::error_code error;        // set when the log could not be set aside: it is unchanged
};

// Renames `log` to "<stem>-YYYY-MM-DD-HHMM<extension>" beside it ("-2", "-3"... added when the
// name is taken) and makes an empty log in its place; of the cleared logs beside it, the newest
// `keep` stay (the one just made always among them).
ClearedLog SetLogAside(const std::filesystem::path& log, const LocalTime& now, size_t keep = 5);

// Puts the lines of a cleared log back in front of those logged since it was cleared (through a
// temporary file that replaces the log whole); the cleared log is then removed. On failure both
// files are as they were.
std::error_code BringBackLog(const std::filesystem::path& log, const std::filesystem::path& aside);

// Lines in the file (a last line without its line break counts); 0 when it cannot be read.
size_t CountLines(const std::filesystem::path& file);

}  // namespace kw
