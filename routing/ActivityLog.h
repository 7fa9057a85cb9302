#pragma once
// activity.log: the program's only record of what it did, one "timestamp | message" line per
// event, appended and never rewritten. Every operation opens and closes the file by itself.

#include <filesystem>
#include <string>
#include <vector>

#include "model/Clock.h"

namespace kw {

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

    // Empties the file (it stays, with length 0).
    void Clear() const;

    // The last `max` non-empty lines, oldest first, exactly as reading the whole file would give
    // them (CR before LF removed), but reading only as much of the file's end as needed.
    void LoadTail(std::vector<std::string>& lines, size_t max) const;

private:
    std::filesystem::path path;
    const Clock* clock;
};

}  // namespace kw
