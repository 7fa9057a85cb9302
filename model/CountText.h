#pragma once
// Counts as the window and the log write them for people: digits grouped by thousands.

#include <cstddef>
#include <string>

namespace kw {

// "1,234"
std::string GroupedCount(size_t count);

}  // namespace kw
