#pragma once
// What the Activity tab keeps between frames: the search of the whole log with the lines found
// so far, the line the user picked (to copy), how tall the list of batches was made, and the
// log cleared in this run, which can be brought back.

#include <filesystem>
#include <string>
#include <vector>

#include "routing/LogSearch.h"

namespace kw {

struct ActivitySearch {
    LogSearch search;                // its wake is set by the application (a posted message)
    std::vector<std::string> found;  // newest first, as the search hands them over
    bool active = false;             // a filter is set: `found` is what the list shows
    std::string newestSeen;          // the log's newest line when the search began
    int selected = -1;               // the picked row of the list shown, or -1
    float batchLines = 7.5f;         // height of the list of batches, in text lines
    bool askClear = false;           // "Clear log" was clicked: the question opens next
    size_t clearLines = 0;           // lines of the log, counted when the question was asked
    std::filesystem::path clearedAside;  // the log cleared last in this run, until brought back
};

}  // namespace kw
