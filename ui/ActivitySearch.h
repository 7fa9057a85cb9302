#pragma once
// What the Activity tab keeps between frames: the search of the whole log with the lines found
// so far, the line the user picked (to copy), and how tall the list of batches was made.

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
};

}  // namespace kw
