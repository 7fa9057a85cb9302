#pragma once
// activity.log: the program's only record of what it did, one "timestamp | message" line per
// event, appended and never rewritten; clearing it keeps it aside (LogAside.h). Every operation
// opens and closes the file by itself.

#include <filesystem>
#include <string>
#include <vector>

#include "model/Clock.h"
#include "routing/LogAside.h"

namespace kw {

// The newest lines the window holds (and reads back from the log at start).
constexpr size_t kMaxLogLines = 500;

class ActivityLog {
public:
    // The log beside the executable.
    ActivityLog();
    explicit ActivityLog(std::filesystem::path file, const Clock& clock = SystemClock());

    const std::filesystem::path& LogFilePath() const { return path; }

    // Local time as "YYYY-MM-DD HH:MM:SS".
    std::string Timestamp() const;

    // Appends "timestamp | message" and returns that line, also when the file could not be
    // written (locked or read-only): the window still shows it.
    std::string Append(const std::string& message) const;

    // Appends several lines with one open of the file (a batch's per-item lines); returns the
    // lines as built, in order.
    std::vector<std::string> AppendAll(const std::vector<std::string>& messages) const;

    // Whether the log can be appended to where it is, without making it: an existing log that
    // may be written, or none yet in a folder that takes new files (as the caller knows).
    bool CanAppend(bool folderTakesNewFiles) const;

    // Clears the log: it is renamed aside with the time of the clear and an empty log takes its
    // place (see SetLogAside); the newest five cleared logs are kept.
    ClearedLog Clear() const;
    // Puts a cleared log's lines back in front of those logged since.
    std::error_code BringBack(const std::filesystem::path& aside) const;
    size_t LineCount() const;

    // The last `max` non-empty lines, oldest first, exactly as reading the whole file would give
    // them (CR before LF removed), but reading only as much of the file's end as needed.
    void LoadTail(std::vector<std::string>& lines, size_t max) const;

private:
    std::filesystem::path path;
    const Clock* clock;
};

}  // namespace kw
