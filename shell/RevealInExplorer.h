#pragma once
// Opens an item's folder in Explorer with the item selected.

#include <filesystem>

namespace kw {

// False when the item cannot be found or the shell refuses; nothing is shown then.
bool RevealInExplorer(const std::filesystem::path& item);

}  // namespace kw
