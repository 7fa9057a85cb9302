#pragma once
// The routing folders a move could need that are not there yet (informational: routing never
// waits for them, the user is told).

#include <string>
#include <vector>

#include "model/AppSettings.h"

namespace kw {

// Destinations of enabled move rules (of a template, the folder before its first placeholder), then the catch-all folder when unmatched items go there
// (empty ones left out), as written.
std::vector<std::string> RoutingFolders(const AppSettings& settings);

// Of RoutingFolders, each missing (or not-a-folder) path once, in order of first appearance.
std::vector<std::string> MissingRoutingFolders(const AppSettings& settings);

// Empty for an empty list, else the warning with one "- path" line per folder.
std::string FolderWarningText(const std::vector<std::string>& missing);

}  // namespace kw
