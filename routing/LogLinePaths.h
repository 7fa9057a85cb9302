#pragma once
// The paths an item's line in the activity log names, for copying them out of the window:
// "[ok] C:\In\a.pdf -> D:\Docs\a.pdf (Moved via Docs)" names a source and a target,
// "[left] C:\In\notes.txt — Left in place (No matching rule)" a source alone.

#include <string>
#include <string_view>

namespace kw {

struct LogLinePaths {
    std::string source;  // empty: the line is not an item's
    std::string target;  // empty: none, or not a place on disk (the Recycle Bin)
};

LogLinePaths PathsInLogLine(std::string_view line);

}  // namespace kw
