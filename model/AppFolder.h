#pragma once
// Where the portable program keeps its files: the folder of the running executable.

#include <filesystem>

namespace kw {

// The executable's folder; the current directory when the module name cannot be had.
std::filesystem::path AppFolder();
std::filesystem::path ConfigPath();       // AppFolder() / "config.json"
std::filesystem::path DefaultCatchAllPath();  // AppFolder() / "Unsorted"

}  // namespace kw
