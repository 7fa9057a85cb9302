#pragma once
// Cleaning the path list a drop delivers: shell objects (the Recycle Bin, virtual folders) and
// vanished paths are not routable; folders can be replaced by the files inside them.

#include <atomic>
#include <filesystem>
#include <functional>
#include <string_view>
#include <vector>

namespace kw {

// True for an empty path, a namespace parsing name ("::{...}") and anything containing the
// Recycle Bin's class identifier (any letter case).
bool IsShellPath(std::wstring_view path);

// Keeps, in order, every item that is not a shell path and exists; stores how many were not
// taken in *unsupported when given.
void FilterDroppedPaths(const std::vector<std::filesystem::path>& dropped, std::vector<std::filesystem::path>& kept,
                        int* unsupported = nullptr);

// How a long listing is followed and cut short: `found` hears the running count every
// `reportEvery` files, and the walk ends (with what it has) once `stop` is set.
struct ListingControl {
    const std::atomic<bool>* stop = nullptr;
    std::function<void(size_t found)> found;
    size_t reportEvery = 1000;
};

// With `expand`, each folder is replaced by every regular file below it (sub-folders walked,
// unreadable ones skipped, long paths included); everything else is passed on unchanged.
void ExpandFolders(const std::vector<std::filesystem::path>& items, bool expand,
                   std::vector<std::filesystem::path>& out, const ListingControl& control = {});

}  // namespace kw
